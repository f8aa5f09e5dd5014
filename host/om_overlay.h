// HUD and preview drawing glue. The HUD functions share one command with a
// sub-operation code in slot 0 and pass their coordinates as floats; the
// preview functions have a command each and pass theirs as 16.16 fixed point.
// Same convention as host/om_core.h otherwise: filter first, one dispatch call,
// nothing checked, and none returns a value. uint32 values are colours or flags
// for the host.
#pragma once

#include <cstdint>

#include "host/PIFilter.h"
#include "host/om_export.h"

// HUD.
OM_EXPORT void OMHudRedraw(PIFilter* filter);
OM_EXPORT void OMHudLine(PIFilter* filter, float p1, float p2, float p3, float p4, uint32_t p5);
OM_EXPORT void OMHudSpline(PIFilter* filter, float p1, float p2, float p3, float p4, float p5,
                           float p6, uint32_t p7);
OM_EXPORT void OMHudText(PIFilter* filter, float p1, float p2, void* p3, int32_t p4, uint32_t p5,
                         int32_t p6);
OM_EXPORT void OMHudHandle(PIFilter* filter, float p1, float p2, int32_t p3, uint32_t p4,
                           int32_t p5);
OM_EXPORT void OMHudImage(PIFilter* filter, float p1, float p2, float p3, float p4, float p5,
                          float p6, float p7, float p8, float p9, float p10, void* p11);

// Preview.
OM_EXPORT void OMPreviewLine(PIFilter* filter, double p1, double p2, double p3, double p4,
                             int32_t p5);
OM_EXPORT void OMPreviewHandle(PIFilter* filter, double p1, double p2, double p3, int32_t p4);
OM_EXPORT void OMPreviewText(PIFilter* filter, double p1, double p2, void* p3, int32_t p4);
