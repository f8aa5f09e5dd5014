// The image, block and pixel glue, row by row.
#include <gtest/gtest.h>

#include "host/om_image.h"
#include "support/GlueTable.h"

using namespace glue;

namespace {

PIBlock* B(int n) {
    return static_cast<PIBlock*>(P(n));
}

const Row kRows[] = {
    {GLUE(OMMakeBrush, P(1), -2, 3), 142, {P(1), -2, 3, 0, 0, 0, 0}, Int},
    {GLUE(OMPackRLE, P(2), P(3), -4), 428, {P(2), P(3), -4}, Int},
    {GLUE(OMUnpackRLE, P(4), P(5), 6), 429, {P(4), P(5), 6}, Int},
    {GLUE(OMColorBlend, P(6), -1, P(7), 2, P(8), -3, 4, -5, 6, -7),
     628,
     {P(6), -1, P(7), 2, P(8), -3, 4, -5, 6, -7},
     None},
    {GLUE(OMColorBlendMode, P(9), P(10), P(11), -12, 13),
     629,
     {P(9), P(10), P(11), -12, 13, 0, 0},
     None},
    {GLUE(OMMakeDisplayImage, P(12), 1, -2, 3), 778, {P(12), 1, -2, 3, 0}, Int},
    {GLUE(OMReadProjectImage, P(13), -4, 5, -6), 779, {P(13), -4, 5, -6, 0, 0, 0, 0}, Int},
    {GLUE(OMReadImage, P(14), P(15), -7, 8), 828, {P(14), P(15), -7, 8, 0, 0, 0, 0}, Int},
    {GLUE(OMOpenImageSequence, P(16), -9), 1668, {P(16), -9, 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMAllocProfile, P(17), 10), 1678, {P(17), 10, 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMPickColor, P(18)), 1698, {P(18), 0, 0, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMFreePIBlock, B(19)), 839, {P(19), 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMWrapPIBlock, P(20), P(21), 0.5, -0.75, 1.5, 2.00001, -0.99999, 0.00001, -0.00001, -1.5),
     958,
     {P(20), P(21), 32768, -49152, 98304, 131072, -65535, 0, 0, -98304, 0, 0, 0, 0, 0, 0},
     Int},
    {GLUE(OMWrapPIBlockMode, P(22), P(23), 1.0, -2.0, 3.25, -4.5, 0.5, 100.0, -0.5, 1.00001, -1, 7),
     958,
     {P(22), P(23), 65536, -131072, 212992, -294912, 32768, 6553600, -32768, 65536, -1, 7, 0, 0, 0,
      0},
     Int},
    {GLUE(OMBlockStretch, P(24), P(25)), 1628, {1, P(24), P(25), 0, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMBlockBlur, P(26), 2.5, -0.25, -3),
     1628,
     {2, P(26), 163840, -16384, -3, 0, 0, 0, 0},
     Int},
    {GLUE(OMOpenPIFont, P(27), P(28), P(29)),
     1638,
     {P(27), P(27), P(28), P(29), 0, 0, 0, 0, 0},
     Ptr},
    {GLUE(OMRGBAToYUV, P(30), P(31), P(32), -4),
     1648,
     {1, P(30), P(31), P(32), -4, 0, 0, 0, 0},
     Int},
    {GLUE(OMYUVToRGBA, P(33), P(34), P(35), 5), 1648, {2, P(33), P(34), P(35), 5, 0, 0, 0, 0}, Int},
    {GLUE(OMRGBAUnmultiply, P(36), P(37), -6), 1648, {3, P(36), P(37), -6, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMRGBAPremultiply, P(38), P(39), 7), 1648, {4, P(38), P(39), 7, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMDDBlit, P(40), -1, 2, -3, 4, -5, P(41), 6, -7, 8, -9),
     1658,
     {P(40), -1, 2, -3, 4, -5, P(41), 6, -7, 8, -9},
     Int},
};

TEST(HostImageGlue, EveryFunctionSendsItsTableRow) {
    checkCoversHeader(kRows, "host/om_image.h");
    checkRowsRaw(kRows);
}

TEST(HostImageGlue, StandInHostRecordsEveryRow) {
    checkRowsHost(kRows);
}

TEST(HostImageGlue, WrapPIBlockIsWrapPIBlockModeWithAZeroMode) {
    RawFilter filter;
    raw().want = 16;
    OMWrapPIBlock(filter.get(), P(1), P(2), 0.5, -0.75, 1.5, 2.00001, -0.99999, 1e-6, 7.0, 8.0);
    const std::vector<int64_t> plain = raw().slots;
    OMWrapPIBlockMode(filter.get(), P(1), P(2), 0.5, -0.75, 1.5, 2.00001, -0.99999, 1e-6, 7.0, 8.0,
                      0, 0);
    EXPECT_EQ(raw().command, 958);
    EXPECT_EQ(plain, raw().slots);
}

}  // namespace
