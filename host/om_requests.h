// Requests, string stores, files and devices glue: execution and work
// progress, the Demand requests, installing a function, erasing user-string
// sections, the project-string store, string files, file requesters, filter
// aliases, display and video devices, text blocks, keys and image IDs. Same
// convention as host/om_core.h: filter first, one dispatch call, nothing
// checked. The p-numbered values are the host's to interpret.
#pragma once

#include <cstdint>

#include "host/PIFilter.h"
#include "host/om_export.h"

// Execution, work, the Demand requests and installing a function.
OM_EXPORT int32_t OMExecute(PIFilter* filter);
OM_EXPORT void OMWorkOn(PIFilter* filter, void* p1);
OM_EXPORT int32_t OMWorkTrace(PIFilter* filter, int32_t p1, int32_t p2);
OM_EXPORT void OMWorkOff(PIFilter* filter);
OM_EXPORT int32_t OMDemand(PIFilter* filter, void* p1, void* p2, void* p3);
OM_EXPORT int32_t OMDemandInt(PIFilter* filter, void* p1, void* p2, int32_t p3, int32_t p4);
OM_EXPORT int32_t OMDemandText(PIFilter* filter, void* p1, void* p2, int32_t p3);
// The host reads p3 and p4 as full doubles through their addresses; anything it
// writes back there is not returned.
OM_EXPORT int32_t OMDemandDouble(PIFilter* filter, void* p1, void* p2, double p3, double p4);
OM_EXPORT int32_t OMInstallFunction(PIFilter* filter, int32_t p1);

// User and project string stores (read and write user strings: host/om_core.h).
OM_EXPORT int32_t OMEraseUserSection(PIFilter* filter, const char* section);
OM_EXPORT int32_t OMWriteProjectString(PIFilter* filter, const char* section, const char* key,
                                       const char* value);
OM_EXPORT int32_t OMReadProjectString(PIFilter* filter, const char* section, const char* key,
                                      char* buffer, const char* defaultText, int32_t size);
OM_EXPORT int32_t OMEraseProjectSection(PIFilter* filter, const char* section);

// String files: the handle from OMOpenStringFile comes first in the others.
OM_EXPORT void* OMOpenStringFile(PIFilter* filter, void* p1, void* p2);
OM_EXPORT int32_t OMCloseStringFile(PIFilter* filter, void* file, void* p2);
OM_EXPORT int32_t OMReadStringFile(PIFilter* filter, void* file, const char* section,
                                   const char* key, char* buffer, const char* defaultText,
                                   int32_t size);
OM_EXPORT int32_t OMWriteStringFile(PIFilter* filter, void* file, const char* section,
                                    const char* key, const char* value);
OM_EXPORT int32_t OMEraseFileSection(PIFilter* filter, void* file, char const* section);

// File requesters and filter aliases.
OM_EXPORT int32_t OMAllocFileReq(PIFilter* filter, void* p1);
OM_EXPORT void OMFreeFileReq(PIFilter* filter, void* p1);
OM_EXPORT int32_t OMOpenFileReq(PIFilter* filter, void* p1);
OM_EXPORT int32_t OMCreateFilterAlias(PIFilter* filter, void* p1, void* p2);

// Display and video devices.
OM_EXPORT int32_t OMAddDisplayDevice(PIFilter* filter, void* p1, void* p2);
OM_EXPORT void* OMEnumDisplayDevice(PIFilter* filter, int32_t p1, void* p2);
OM_EXPORT void* OMLockDisplayDevice(PIFilter* filter, void* p1, void* p2);
OM_EXPORT void OMUnlockDisplayDevice(PIFilter* filter, void* p1);
OM_EXPORT void OMAddVideoDevice(PIFilter* filter, void* p1);
OM_EXPORT void* OMEnumVideoDevice(PIFilter* filter, int32_t p1);

// Text blocks, keys and image IDs.
OM_EXPORT int32_t OMTextBlock(PIFilter* filter, void* p1, int32_t p2, int32_t p3, void* p4,
                              uint32_t p5);
OM_EXPORT void* OMAllocKeys(PIFilter* filter, void* p1, void* p2);
OM_EXPORT int32_t OMGetImageID(PIFilter* filter, int32_t p1, int32_t p2, int32_t p3, void* p4,
                               void* p5);
