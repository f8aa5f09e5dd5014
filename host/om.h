// All of the host glue: the front end's functions (host/om_core.h) and the
// families that complete the host interface.
#pragma once

#include "host/om_core.h"
#include "host/om_image.h"
#include "host/om_overlay.h"
#include "host/om_requester.h"
#include "host/om_requests.h"
