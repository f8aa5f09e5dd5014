// The ten entry points the host calls in the plug-in module, by their plain
// names. plugin/entry.cpp includes this header, so the compiler holds each
// definition to the line here; a host or a fuzzer takes its function types
// from it (decltype(&PI_Msg)) instead of writing the prototypes again, which
// for extern "C" names would link and then go wrong at run time.
//
//   using MsgFn = decltype(&PI_Msg);
//   auto msg = reinterpret_cast<MsgFn>(dlsym(module, "PI_Msg"));
//
// The host owns the filter record and calls one entry point at a time; none
// of them throws.
#pragma once

#include <cstdint>

#include "host/PIFilter.h"
#include "host/om_export.h"

// Once after loading: names the plug-in in the record, may open the panel. Returns 1.
OM_EXPORT int32_t PI_Open(PIFilter* filter);
// Before unloading: closes the localisation file and an open panel.
OM_EXPORT void PI_Close(PIFilter* filter);
// Shows the name, version and revision in a message box.
OM_EXPORT void PI_About(PIFilter* filter);
// arg 0 opens the panel (or raises it): 1, or 0 when it cannot be opened; any other arg: 1.
OM_EXPORT int32_t PI_Parameters(PIFilter* filter, intptr_t arg);
// A panel message and its 64-bit argument slots (null reads as all zero);
// unread is not looked at. 1, or 0 when a button's action was refused.
OM_EXPORT int32_t PI_Msg(PIFilter* filter, int64_t message, int64_t unread, int64_t* args);
// Both values unread. Returns 1.
OM_EXPORT int32_t PI_Start(PIFilter* filter, double a, double b);
// Redraws the record's update rectangle. Returns 1.
OM_EXPORT int32_t PI_Work(PIFilter* filter);
// Does nothing.
OM_EXPORT void PI_Finish(PIFilter* filter);
// 1 for a sequence of one image; any other length: a message and 0.
OM_EXPORT int32_t PI_SequenceStart(PIFilter* filter, int32_t length);
// Does nothing.
OM_EXPORT void PI_SequenceFinish(PIFilter* filter);
