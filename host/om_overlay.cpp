// HUD and preview drawing glue. Bodies follow the table rows: command, then
// the slots in order, trailing zero slots as the template argument.
#include "host/om_overlay.h"

#include "host/dispatch.h"

using omglue::omDispatch;

// Sub-operation 0 is itself the first of the eight zero slots.
OM_EXPORT void OMHudRedraw(PIFilter* filter) {
    omDispatch<7>(filter, 1688, 0);
}

OM_EXPORT void OMHudLine(PIFilter* filter, float p1, float p2, float p3, float p4, uint32_t p5) {
    omDispatch<2>(filter, 1688, 1, p1, p2, p3, p4, p5);
}

OM_EXPORT void OMHudSpline(PIFilter* filter, float p1, float p2, float p3, float p4, float p5,
                           float p6, uint32_t p7) {
    omDispatch<2>(filter, 1688, 2, p1, p2, p3, p4, p5, p6, p7);
}

OM_EXPORT void OMHudText(PIFilter* filter, float p1, float p2, void* p3, int32_t p4, uint32_t p5,
                         int32_t p6) {
    omDispatch<2>(filter, 1688, 3, p1, p2, p3, p4, p5, p6);
}

OM_EXPORT void OMHudHandle(PIFilter* filter, float p1, float p2, int32_t p3, uint32_t p4,
                           int32_t p5) {
    omDispatch<3>(filter, 1688, 4, p1, p2, p3, p4, p5);
}

OM_EXPORT void OMHudImage(PIFilter* filter, float p1, float p2, float p3, float p4, float p5,
                          float p6, float p7, float p8, float p9, float p10, void* p11) {
    omDispatch(filter, 1688, 5, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11);
}

OM_EXPORT void OMPreviewLine(PIFilter* filter, double p1, double p2, double p3, double p4,
                             int32_t p5) {
    omDispatch<4>(filter, 143, p1, p2, p3, p4, p5);
}

OM_EXPORT void OMPreviewHandle(PIFilter* filter, double p1, double p2, double p3, int32_t p4) {
    omDispatch<5>(filter, 144, p1, p2, p3, p4);
}

OM_EXPORT void OMPreviewText(PIFilter* filter, double p1, double p2, void* p3, int32_t p4) {
    omDispatch<5>(filter, 146, p1, p2, p3, p4);
}
