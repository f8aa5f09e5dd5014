// Requests, string stores, files and devices glue. Bodies follow the table
// rows: command, then the slots in order, trailing zero slots as the template
// argument.
#include "host/om_requests.h"

#include "host/dispatch.h"

using omglue::omDispatch;
using omglue::omInt;
using omglue::omPtr;

OM_EXPORT int32_t OMExecute(PIFilter* filter) {
    return omInt(omDispatch<3>(filter, 130));
}

OM_EXPORT void OMWorkOn(PIFilter* filter, void* p1) {
    omDispatch(filter, 131, p1);
}

OM_EXPORT int32_t OMWorkTrace(PIFilter* filter, int32_t p1, int32_t p2) {
    return omInt(omDispatch(filter, 132, p1, p2));
}

// The host reads no slots for this command, so none are built.
OM_EXPORT void OMWorkOff(PIFilter* filter) {
    filter->dispatch(filter, 133, nullptr);
}

OM_EXPORT int32_t OMDemand(PIFilter* filter, void* p1, void* p2, void* p3) {
    return omInt(omDispatch(filter, 135, p1, p2, p3));
}

OM_EXPORT int32_t OMDemandInt(PIFilter* filter, void* p1, void* p2, int32_t p3, int32_t p4) {
    return omInt(omDispatch(filter, 136, p1, p2, p3, p4));
}

OM_EXPORT int32_t OMDemandText(PIFilter* filter, void* p1, void* p2, int32_t p3) {
    return omInt(omDispatch(filter, 137, p1, p2, p3));
}

// Unlike every other double of the glue, these go by address, not as 16.16.
OM_EXPORT int32_t OMDemandDouble(PIFilter* filter, void* p1, void* p2, double p3, double p4) {
    return omInt(omDispatch<2>(filter, 145, p1, p2, &p3, &p4));
}

OM_EXPORT int32_t OMInstallFunction(PIFilter* filter, int32_t p1) {
    return omInt(omDispatch<2>(filter, 328, p1));
}

OM_EXPORT int32_t OMEraseUserSection(PIFilter* filter, const char* section) {
    return omInt(omDispatch<4>(filter, 730, section));
}

OM_EXPORT int32_t OMWriteProjectString(PIFilter* filter, const char* section, const char* key,
                                       const char* value) {
    return omInt(omDispatch<2>(filter, 733, section, key, value));
}

OM_EXPORT int32_t OMReadProjectString(PIFilter* filter, const char* section, const char* key,
                                      char* buffer, const char* defaultText, int32_t size) {
    return omInt(omDispatch(filter, 734, section, key, buffer, defaultText, size));
}

OM_EXPORT int32_t OMEraseProjectSection(PIFilter* filter, const char* section) {
    return omInt(omDispatch<4>(filter, 735, section));
}

OM_EXPORT void* OMOpenStringFile(PIFilter* filter, void* p1, void* p2) {
    return omPtr(omDispatch<4>(filter, 738, p1, p2));
}

OM_EXPORT int32_t OMCloseStringFile(PIFilter* filter, void* file, void* p2) {
    return omInt(omDispatch<4>(filter, 739, file, p2));
}

OM_EXPORT int32_t OMReadStringFile(PIFilter* filter, void* file, const char* section,
                                   const char* key, char* buffer, const char* defaultText,
                                   int32_t size) {
    return omInt(omDispatch<2>(filter, 740, file, section, key, buffer, defaultText, size));
}

OM_EXPORT int32_t OMWriteStringFile(PIFilter* filter, void* file, const char* section,
                                    const char* key, const char* value) {
    return omInt(omDispatch<5>(filter, 741, file, section, key, value));
}

OM_EXPORT int32_t OMEraseFileSection(PIFilter* filter, void* file, char const* section) {
    return omInt(omDispatch<6>(filter, 742, file, section));
}

OM_EXPORT int32_t OMAllocFileReq(PIFilter* filter, void* p1) {
    return omInt(omDispatch<7>(filter, 928, p1));
}

OM_EXPORT void OMFreeFileReq(PIFilter* filter, void* p1) {
    omDispatch<7>(filter, 929, p1);
}

OM_EXPORT int32_t OMOpenFileReq(PIFilter* filter, void* p1) {
    return omInt(omDispatch<7>(filter, 930, p1));
}

OM_EXPORT int32_t OMCreateFilterAlias(PIFilter* filter, void* p1, void* p2) {
    return omInt(omDispatch<4>(filter, 948, p1, p2));
}

OM_EXPORT int32_t OMAddDisplayDevice(PIFilter* filter, void* p1, void* p2) {
    return omInt(omDispatch<6>(filter, 1128, p1, p2));
}

OM_EXPORT void* OMEnumDisplayDevice(PIFilter* filter, int32_t p1, void* p2) {
    return omPtr(omDispatch<6>(filter, 1129, p1, p2));
}

OM_EXPORT void* OMLockDisplayDevice(PIFilter* filter, void* p1, void* p2) {
    return omPtr(omDispatch<6>(filter, 1130, p1, p2));
}

OM_EXPORT void OMUnlockDisplayDevice(PIFilter* filter, void* p1) {
    omDispatch<7>(filter, 1131, p1);
}

OM_EXPORT void OMAddVideoDevice(PIFilter* filter, void* p1) {
    omDispatch<7>(filter, 1528, p1);
}

OM_EXPORT void* OMEnumVideoDevice(PIFilter* filter, int32_t p1) {
    return omPtr(omDispatch<7>(filter, 1529, p1));
}

OM_EXPORT int32_t OMTextBlock(PIFilter* filter, void* p1, int32_t p2, int32_t p3, void* p4,
                              uint32_t p5) {
    return omInt(omDispatch<3>(filter, 1328, p1, p2, p3, p4, p5));
}

OM_EXPORT void* OMAllocKeys(PIFilter* filter, void* p1, void* p2) {
    return omPtr(omDispatch<6>(filter, 1428, p1, p2));
}

OM_EXPORT int32_t OMGetImageID(PIFilter* filter, int32_t p1, int32_t p2, int32_t p3, void* p4,
                               void* p5) {
    return omInt(omDispatch<3>(filter, 1708, p1, p2, p3, p4, p5));
}
