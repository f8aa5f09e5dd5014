// Requester and widget glue. Bodies follow the table rows: command, then the
// slots in order, trailing zero slots as the template argument.
#include "host/om_requester.h"

#include "host/dispatch.h"

using omglue::omDispatch;
using omglue::omInt;
using omglue::omPtr;
using omglue::packSlots;

OM_EXPORT int32_t OMInfoReq(PIFilter* filter, void* req, int32_t* a, int32_t* b, int32_t* c,
                            int32_t* d) {
    // The host answers in slots 2 to 5 of our own array.
    auto slots = packSlots<4>(1, req);
    const int32_t result = omInt(filter->dispatch(filter, 230, slots.data()));
    if (result == 0) return 0;
    int32_t* const targets[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
        if (targets[i]) *targets[i] = omInt(slots[2 + i]);
    }
    return result;
}

OM_EXPORT int32_t OMReqToBack(PIFilter* filter, void* req) {
    return omInt(omDispatch(filter, 230, 4, req));
}

OM_EXPORT int32_t OMMoveReq(PIFilter* filter, void* req, int32_t a, int32_t b) {
    return omInt(omDispatch(filter, 230, 5, req, a, b));
}

OM_EXPORT int32_t OMResizeReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                              int32_t d) {
    return omInt(omDispatch<1>(filter, 230, 6, req, a, b, c, d));
}

OM_EXPORT int32_t OMRemoveButtonReq(PIFilter* filter, void* req, int32_t id) {
    return omInt(omDispatch(filter, 230, 11, req, id));
}

OM_EXPORT int32_t OMChangeButtonReq(PIFilter* filter, void* req, int32_t id, int64_t c, int64_t d) {
    return omInt(omDispatch(filter, 230, 12, req, id, c, d));
}

// c travels ahead of a and b.
OM_EXPORT int32_t OMTextReq(PIFilter* filter, void* req, int32_t a, int32_t b, int64_t c, int64_t d,
                            uint32_t e, uint32_t f) {
    return omInt(omDispatch(filter, 230, 20, req, c, a, b, d, e, f));
}

OM_EXPORT int32_t OMRectangleReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                 int32_t d, int64_t e, uint32_t f) {
    return omInt(omDispatch(filter, 230, 21, req, a, b, c, d, e, f));
}

OM_EXPORT void OMAADrawReq(PIFilter* filter, void* req, double a, double b, double c, double d,
                           int32_t e, int32_t f, int64_t g, uint32_t h, int32_t i, int32_t j,
                           int32_t k, int32_t l) {
    omDispatch(filter, 230, 22, req, a, b, c, d, e, f, g, h, i, j, k, l);
}

OM_EXPORT int32_t OMGetButtonString(PIFilter* filter, void* req, int32_t id, int64_t c, int32_t d) {
    return omInt(omDispatch(filter, 230, 24, req, id, c, d));
}

OM_EXPORT int32_t OMPutButtonString(PIFilter* filter, void* req, int32_t id, int64_t c) {
    return omInt(omDispatch<1>(filter, 230, 25, req, id, c));
}

OM_EXPORT int32_t OMGrabCoords(PIFilter* filter, void* req, int32_t a) {
    return omInt(omDispatch<2>(filter, 230, 26, req, a));
}

// c travels ahead of a and b, as in OMTextReq.
OM_EXPORT int32_t OMTextReqClip(PIFilter* filter, void* req, int32_t a, int32_t b, int64_t c,
                                int64_t d, uint32_t e, uint32_t f, int32_t g, int32_t h, int32_t i,
                                int32_t j) {
    return omInt(omDispatch(filter, 230, 27, req, c, a, b, d, e, f, g, h, i, j));
}

OM_EXPORT int32_t OMGrabTicks(PIFilter* filter, void* req, int32_t a) {
    return omInt(omDispatch<2>(filter, 230, 28, req, a));
}

OM_EXPORT int32_t OMTextLength(PIFilter* filter, void* req, int64_t b, int32_t c) {
    return omInt(omDispatch<4>(filter, 230, 29, req, b, c));
}

OM_EXPORT int32_t OMPutButtonStringUnit(PIFilter* filter, void* req, int32_t id, int64_t c) {
    return omInt(omDispatch<1>(filter, 230, 30, req, id, c));
}

OM_EXPORT int32_t OMAddSliderReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                 int32_t d, int32_t e, int64_t f, int32_t g, int32_t h, int32_t i,
                                 int32_t j, int32_t k, int32_t l) {
    return omInt(omDispatch<5>(filter, 230, 32, req, a, b, c, d, e, f, g, h, i, j, k, l));
}

OM_EXPORT int32_t OMChangeSliderReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                    int32_t d, int32_t e, int32_t f, int32_t g) {
    return omInt(omDispatch<7>(filter, 230, 33, req, a, b, c, d, e, f, g));
}

OM_EXPORT int32_t OMChangeButtonName(PIFilter* filter, void* req, int32_t id, int64_t c,
                                     int64_t d) {
    return omInt(omDispatch(filter, 230, 34, req, id, c, d));
}

OM_EXPORT int32_t OMChangeButtonFlags(PIFilter* filter, void* req, int32_t id, int64_t flags) {
    return omInt(omDispatch<1>(filter, 230, 35, req, id, flags));
}

OM_EXPORT int32_t OMAddTabs(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c, int32_t d,
                            int32_t e, int32_t f, int32_t g, int64_t h) {
    return omInt(omDispatch<4>(filter, 230, 36, req, a, b, c, d, e, f, g, h));
}

OM_EXPORT int32_t OMChangeTabs(PIFilter* filter, void* req, int32_t a, int32_t b) {
    return omInt(omDispatch<4>(filter, 230, 37, req, a, b));
}

OM_EXPORT int32_t OMCompassOpen(PIFilter* filter, void* req, int32_t a, double b) {
    return omInt(omDispatch<4>(filter, 230, 40, req, a, b));
}

OM_EXPORT void OMCompassChange(PIFilter* filter, double a) {
    omDispatch<6>(filter, 230, 41, a);
}

OM_EXPORT void OMCompassClose(PIFilter* filter) {
    omDispatch<7>(filter, 230, 42);
}

OM_EXPORT int32_t OMAddVideoButton(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                   int32_t d, int32_t e, int64_t f, int32_t g, int32_t h) {
    return omInt(omDispatch(filter, 230, 43, req, a, b, c, d, e, f, g, h));
}

OM_EXPORT void OMSaveReqState(PIFilter* filter, void* req, int64_t b, int64_t c) {
    omDispatch<2>(filter, 230, 44, req, b, c);
}

OM_EXPORT void OMLoadReqState(PIFilter* filter, void* req, int64_t b, int64_t c) {
    omDispatch<2>(filter, 230, 45, req, b, c);
}

OM_EXPORT int32_t OMDisplayReq(PIFilter* filter, void* req, int32_t a) {
    return omInt(omDispatch<3>(filter, 230, 46, req, a));
}

OM_EXPORT void* OMOpenReq(PIFilter* filter, int32_t a, int32_t b, int32_t c, int32_t d, int64_t e,
                          int64_t f) {
    return omPtr(omDispatch(filter, 228, a, b, c, d, e, f));
}

OM_EXPORT void* OMOpenReqEx(PIFilter* filter, int32_t a, int32_t b, int32_t c, int32_t d, int64_t e,
                            int64_t f, int64_t g) {
    return omPtr(omDispatch<4>(filter, 233, a, b, c, d, e, f, g));
}

// Shares 234 with OMOpenFilterReqEx, which fills slot 5 where this leaves a zero.
OM_EXPORT void* OMOpenFilterReq(PIFilter* filter, int32_t width, int32_t height, int64_t c,
                                int64_t d, int64_t e) {
    return omPtr(omDispatch<4>(filter, 234, width, height, c, d, e));
}

OM_EXPORT int32_t OMReadReqData(PIFilter* filter, int64_t a, int32_t b, int32_t c, int32_t d,
                                int32_t e, int32_t f, int64_t g) {
    return omInt(omDispatch(filter, 231, a, b, c, d, e, f, g));
}

OM_EXPORT int32_t OMWriteReqData(PIFilter* filter, int64_t a, int32_t b, int32_t c, int32_t d,
                                 int32_t e, int32_t f, int64_t g) {
    return omInt(omDispatch(filter, 232, a, b, c, d, e, f, g));
}

OM_EXPORT int32_t OMPopup(PIFilter* filter, int64_t a, int32_t b, int32_t c) {
    return omInt(omDispatch(filter, 528, a, b, c));
}
