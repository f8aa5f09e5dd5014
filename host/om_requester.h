// The rest of the requester glue: other kinds of requesters, moving, resizing,
// querying and layering them, buttons and their texts, text drawing, rectangles,
// antialiased drawing, sliders, tabs, a compass, video buttons, saved state and
// a requester's pixel data. Same convention as host/om_core.h: filter first, one
// dispatch call, nothing checked. The requester family shares command 230 with
// a sub-operation code in slot 0; letters name values whose meaning is the host's.
#pragma once

#include <cstdint>

#include "host/PIFilter.h"
#include "host/om_export.h"

// Writes the host's four answers through a, b, c, d (each may be null), and only
// when the result is non-zero.
OM_EXPORT int32_t OMInfoReq(PIFilter* filter, void* req, int32_t* a, int32_t* b, int32_t* c,
                            int32_t* d);
OM_EXPORT int32_t OMReqToBack(PIFilter* filter, void* req);
OM_EXPORT int32_t OMMoveReq(PIFilter* filter, void* req, int32_t a, int32_t b);
OM_EXPORT int32_t OMResizeReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                              int32_t d);
OM_EXPORT int32_t OMRemoveButtonReq(PIFilter* filter, void* req, int32_t id);
OM_EXPORT int32_t OMChangeButtonReq(PIFilter* filter, void* req, int32_t id, int64_t c, int64_t d);
OM_EXPORT int32_t OMTextReq(PIFilter* filter, void* req, int32_t a, int32_t b, int64_t c, int64_t d,
                            uint32_t e, uint32_t f);
OM_EXPORT int32_t OMRectangleReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                 int32_t d, int64_t e, uint32_t f);
OM_EXPORT void OMAADrawReq(PIFilter* filter, void* req, double a, double b, double c, double d,
                           int32_t e, int32_t f, int64_t g, uint32_t h, int32_t i, int32_t j,
                           int32_t k, int32_t l);
OM_EXPORT int32_t OMGetButtonString(PIFilter* filter, void* req, int32_t id, int64_t c, int32_t d);
OM_EXPORT int32_t OMPutButtonString(PIFilter* filter, void* req, int32_t id, int64_t c);
OM_EXPORT int32_t OMGrabCoords(PIFilter* filter, void* req, int32_t a);
OM_EXPORT int32_t OMTextReqClip(PIFilter* filter, void* req, int32_t a, int32_t b, int64_t c,
                                int64_t d, uint32_t e, uint32_t f, int32_t g, int32_t h, int32_t i,
                                int32_t j);
OM_EXPORT int32_t OMGrabTicks(PIFilter* filter, void* req, int32_t a);
OM_EXPORT int32_t OMTextLength(PIFilter* filter, void* req, int64_t b, int32_t c);
OM_EXPORT int32_t OMPutButtonStringUnit(PIFilter* filter, void* req, int32_t id, int64_t c);
OM_EXPORT int32_t OMAddSliderReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                 int32_t d, int32_t e, int64_t f, int32_t g, int32_t h, int32_t i,
                                 int32_t j, int32_t k, int32_t l);
OM_EXPORT int32_t OMChangeSliderReq(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                    int32_t d, int32_t e, int32_t f, int32_t g);
OM_EXPORT int32_t OMChangeButtonName(PIFilter* filter, void* req, int32_t id, int64_t c, int64_t d);
OM_EXPORT int32_t OMChangeButtonFlags(PIFilter* filter, void* req, int32_t id, int64_t flags);
OM_EXPORT int32_t OMAddTabs(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c, int32_t d,
                            int32_t e, int32_t f, int32_t g, int64_t h);
OM_EXPORT int32_t OMChangeTabs(PIFilter* filter, void* req, int32_t a, int32_t b);
OM_EXPORT int32_t OMCompassOpen(PIFilter* filter, void* req, int32_t a, double b);
// The compass is the host's one at a time: change and close take no requester.
OM_EXPORT void OMCompassChange(PIFilter* filter, double a);
OM_EXPORT void OMCompassClose(PIFilter* filter);
OM_EXPORT int32_t OMAddVideoButton(PIFilter* filter, void* req, int32_t a, int32_t b, int32_t c,
                                   int32_t d, int32_t e, int64_t f, int32_t g, int32_t h);
OM_EXPORT void OMSaveReqState(PIFilter* filter, void* req, int64_t b, int64_t c);
OM_EXPORT void OMLoadReqState(PIFilter* filter, void* req, int64_t b, int64_t c);
OM_EXPORT int32_t OMDisplayReq(PIFilter* filter, void* req, int32_t a);

// Opening requesters (null on failure) and the other requester services.
OM_EXPORT void* OMOpenReq(PIFilter* filter, int32_t a, int32_t b, int32_t c, int32_t d, int64_t e,
                          int64_t f);
OM_EXPORT void* OMOpenReqEx(PIFilter* filter, int32_t a, int32_t b, int32_t c, int32_t d, int64_t e,
                            int64_t f, int64_t g);
OM_EXPORT void* OMOpenFilterReq(PIFilter* filter, int32_t width, int32_t height, int64_t c,
                                int64_t d, int64_t e);
OM_EXPORT int32_t OMReadReqData(PIFilter* filter, int64_t a, int32_t b, int32_t c, int32_t d,
                                int32_t e, int32_t f, int64_t g);
OM_EXPORT int32_t OMWriteReqData(PIFilter* filter, int64_t a, int32_t b, int32_t c, int32_t d,
                                 int32_t e, int32_t f, int64_t g);
OM_EXPORT int32_t OMPopup(PIFilter* filter, int64_t a, int32_t b, int32_t c);
