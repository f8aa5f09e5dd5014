// Image, block and pixel glue: brushes, run-length packing, colour blending,
// display and project images, blocks and fonts, RGBA/YUV and premultiply
// conversions, blits, image sequences, profiles and colour picking. Same
// convention as host/om_core.h: filter first, one dispatch call, nothing
// checked. The p-numbered values are the host's to interpret; 64-bit ones are
// passed as opaque pointers, doubles as 16.16 fixed point.
#pragma once

#include <cstdint>

#include "host/PIFilter.h"
#include "host/om_export.h"

// Brushes, run-length packing and colour blending.
OM_EXPORT int32_t OMMakeBrush(PIFilter* filter, void* p1, int32_t p2, int32_t p3);
OM_EXPORT int32_t OMPackRLE(PIFilter* filter, void* p1, void* p2, int32_t p3);
OM_EXPORT int32_t OMUnpackRLE(PIFilter* filter, void* p1, void* p2, int32_t p3);
OM_EXPORT void OMColorBlend(PIFilter* filter, void* p1, int32_t p2, void* p3, int32_t p4, void* p5,
                            int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10);
OM_EXPORT void OMColorBlendMode(PIFilter* filter, void* p1, void* p2, void* p3, int32_t p4,
                                int32_t p5);

// Images.
OM_EXPORT int32_t OMMakeDisplayImage(PIFilter* filter, void* p1, int32_t p2, int32_t p3,
                                     int32_t p4);
OM_EXPORT int32_t OMReadProjectImage(PIFilter* filter, void* p1, int32_t p2, int32_t p3,
                                     int32_t p4);
OM_EXPORT int32_t OMReadImage(PIFilter* filter, void* p1, void* p2, int32_t p3, int32_t p4);
OM_EXPORT void* OMOpenImageSequence(PIFilter* filter, void* p1, int32_t p2);
OM_EXPORT void* OMAllocProfile(PIFilter* filter, void* p1, int32_t p2);
OM_EXPORT int32_t OMPickColor(PIFilter* filter, void* p1);

// Blocks and fonts. OMFreePIBlock releases what OMAllocPIBlock gave.
OM_EXPORT void OMFreePIBlock(PIFilter* filter, PIBlock* block);
OM_EXPORT int32_t OMWrapPIBlock(PIFilter* filter, void* p1, void* p2, double p3, double p4,
                                double p5, double p6, double p7, double p8, double p9, double p10);
OM_EXPORT int32_t OMWrapPIBlockMode(PIFilter* filter, void* p1, void* p2, double p3, double p4,
                                    double p5, double p6, double p7, double p8, double p9,
                                    double p10, int32_t p11, int32_t p12);
OM_EXPORT int32_t OMBlockStretch(PIFilter* filter, void* p1, void* p2);
OM_EXPORT int32_t OMBlockBlur(PIFilter* filter, void* p1, double p2, double p3, int32_t p4);
OM_EXPORT void* OMOpenPIFont(PIFilter* filter, void* p1, void* p2, void* p3);

// Pixel conversions and blits.
OM_EXPORT int32_t OMRGBAToYUV(PIFilter* filter, void* p1, void* p2, void* p3, int32_t p4);
OM_EXPORT int32_t OMYUVToRGBA(PIFilter* filter, void* p1, void* p2, void* p3, int32_t p4);
OM_EXPORT int32_t OMRGBAUnmultiply(PIFilter* filter, void* p1, void* p2, int32_t p3);
OM_EXPORT int32_t OMRGBAPremultiply(PIFilter* filter, void* p1, void* p2, int32_t p3);
OM_EXPORT int32_t OMDDBlit(PIFilter* filter, void* p1, int32_t p2, int32_t p3, int32_t p4,
                           int32_t p5, int32_t p6, void* p7, int32_t p8, int32_t p9, int32_t p10,
                           int32_t p11);
