// Image, block and pixel glue. Bodies follow the table rows: command, then the
// slots in order, trailing zero slots as the template argument.
#include "host/om_image.h"

#include "host/dispatch.h"

using omglue::omDispatch;
using omglue::omInt;
using omglue::omPtr;

OM_EXPORT int32_t OMMakeBrush(PIFilter* filter, void* p1, int32_t p2, int32_t p3) {
    return omInt(omDispatch<4>(filter, 142, p1, p2, p3));
}

OM_EXPORT int32_t OMPackRLE(PIFilter* filter, void* p1, void* p2, int32_t p3) {
    return omInt(omDispatch(filter, 428, p1, p2, p3));
}

OM_EXPORT int32_t OMUnpackRLE(PIFilter* filter, void* p1, void* p2, int32_t p3) {
    return omInt(omDispatch(filter, 429, p1, p2, p3));
}

OM_EXPORT void OMColorBlend(PIFilter* filter, void* p1, int32_t p2, void* p3, int32_t p4, void* p5,
                            int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10) {
    omDispatch(filter, 628, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10);
}

OM_EXPORT void OMColorBlendMode(PIFilter* filter, void* p1, void* p2, void* p3, int32_t p4,
                                int32_t p5) {
    omDispatch<2>(filter, 629, p1, p2, p3, p4, p5);
}

OM_EXPORT int32_t OMMakeDisplayImage(PIFilter* filter, void* p1, int32_t p2, int32_t p3,
                                     int32_t p4) {
    return omInt(omDispatch<1>(filter, 778, p1, p2, p3, p4));
}

OM_EXPORT int32_t OMReadProjectImage(PIFilter* filter, void* p1, int32_t p2, int32_t p3,
                                     int32_t p4) {
    return omInt(omDispatch<4>(filter, 779, p1, p2, p3, p4));
}

OM_EXPORT int32_t OMReadImage(PIFilter* filter, void* p1, void* p2, int32_t p3, int32_t p4) {
    return omInt(omDispatch<4>(filter, 828, p1, p2, p3, p4));
}

OM_EXPORT void* OMOpenImageSequence(PIFilter* filter, void* p1, int32_t p2) {
    return omPtr(omDispatch<6>(filter, 1668, p1, p2));
}

OM_EXPORT void* OMAllocProfile(PIFilter* filter, void* p1, int32_t p2) {
    return omPtr(omDispatch<6>(filter, 1678, p1, p2));
}

OM_EXPORT int32_t OMPickColor(PIFilter* filter, void* p1) {
    return omInt(omDispatch<7>(filter, 1698, p1));
}

OM_EXPORT void OMFreePIBlock(PIFilter* filter, PIBlock* block) {
    omDispatch<7>(filter, 839, block);
}

// Same command as OMWrapPIBlockMode; zeros stand where that one passes its mode.
OM_EXPORT int32_t OMWrapPIBlock(PIFilter* filter, void* p1, void* p2, double p3, double p4,
                                double p5, double p6, double p7, double p8, double p9, double p10) {
    return omInt(omDispatch<6>(filter, 958, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10));
}

OM_EXPORT int32_t OMWrapPIBlockMode(PIFilter* filter, void* p1, void* p2, double p3, double p4,
                                    double p5, double p6, double p7, double p8, double p9,
                                    double p10, int32_t p11, int32_t p12) {
    return omInt(omDispatch<4>(filter, 958, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12));
}

OM_EXPORT int32_t OMBlockStretch(PIFilter* filter, void* p1, void* p2) {
    return omInt(omDispatch<6>(filter, 1628, 1, p1, p2));
}

OM_EXPORT int32_t OMBlockBlur(PIFilter* filter, void* p1, double p2, double p3, int32_t p4) {
    return omInt(omDispatch<4>(filter, 1628, 2, p1, p2, p3, p4));
}

// The host expects the first value twice.
OM_EXPORT void* OMOpenPIFont(PIFilter* filter, void* p1, void* p2, void* p3) {
    return omPtr(omDispatch<5>(filter, 1638, p1, p1, p2, p3));
}

OM_EXPORT int32_t OMRGBAToYUV(PIFilter* filter, void* p1, void* p2, void* p3, int32_t p4) {
    return omInt(omDispatch<4>(filter, 1648, 1, p1, p2, p3, p4));
}

OM_EXPORT int32_t OMYUVToRGBA(PIFilter* filter, void* p1, void* p2, void* p3, int32_t p4) {
    return omInt(omDispatch<4>(filter, 1648, 2, p1, p2, p3, p4));
}

OM_EXPORT int32_t OMRGBAUnmultiply(PIFilter* filter, void* p1, void* p2, int32_t p3) {
    return omInt(omDispatch<5>(filter, 1648, 3, p1, p2, p3));
}

OM_EXPORT int32_t OMRGBAPremultiply(PIFilter* filter, void* p1, void* p2, int32_t p3) {
    return omInt(omDispatch<5>(filter, 1648, 4, p1, p2, p3));
}

OM_EXPORT int32_t OMDDBlit(PIFilter* filter, void* p1, int32_t p2, int32_t p3, int32_t p4,
                           int32_t p5, int32_t p6, void* p7, int32_t p8, int32_t p9, int32_t p10,
                           int32_t p11) {
    return omInt(omDispatch(filter, 1658, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11));
}
