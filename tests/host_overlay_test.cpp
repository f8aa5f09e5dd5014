// The HUD and preview drawing glue, row by row: floats for the HUD, 16.16 for
// the preview.
#include <gtest/gtest.h>

#include <cstring>

#include "host/om_overlay.h"
#include "support/GlueTable.h"

using namespace glue;

namespace {

const Row kRows[] = {
    {GLUE0(OMHudRedraw), 1688, {0, 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMHudLine, 1.5f, -0.75f, 0.00001f, 1e10f, 0xFFFFFFFFu),
     1688,
     {1, F(1.5f), F(-0.75f), F(0.00001f), F(1e10f), 0xFFFFFFFFu, 0, 0},
     None},
    {GLUE(OMHudSpline, 1.0f, -2.0f, 3.5f, -4.25f, 5.125f, -6.0625f, U(1)),
     1688,
     {2, F(1.0f), F(-2.0f), F(3.5f), F(-4.25f), F(5.125f), F(-6.0625f), U(1), 0, 0},
     None},
    {GLUE(OMHudText, 2.5f, -3.5f, P(1), -4, U(2), 5),
     1688,
     {3, F(2.5f), F(-3.5f), P(1), -4, U(2), 5, 0, 0},
     None},
    {GLUE(OMHudHandle, 0.25f, -0.125f, -6, U(3), 7),
     1688,
     {4, F(0.25f), F(-0.125f), -6, U(3), 7, 0, 0, 0},
     None},
    {GLUE(OMHudImage, 1.f, 2.f, 3.f, 4.f, -5.f, 6.f, 7.f, 8.f, 9.f, -10.f, P(2)),
     1688,
     {5, F(1.f), F(2.f), F(3.f), F(4.f), F(-5.f), F(6.f), F(7.f), F(8.f), F(9.f), F(-10.f), P(2)},
     None},
    {GLUE(OMPreviewLine, 1.5, -0.75, 0.00001, -0.99999, -1),
     143,
     {98304, -49152, 0, -65535, -1, 0, 0, 0, 0},
     None},
    {GLUE(OMPreviewHandle, 2.00001, -1.5, 0.5, 8),
     144,
     {131072, -98304, 32768, 8, 0, 0, 0, 0, 0},
     None},
    {GLUE(OMPreviewText, -0.5, 1.00001, P(3), -9),
     146,
     {-32768, 65536, P(3), -9, 0, 0, 0, 0, 0},
     None},
};

TEST(HostOverlayGlue, EveryFunctionSendsItsTableRow) {
    checkCoversHeader(kRows, "host/om_overlay.h");
    checkRowsRaw(kRows);
}

TEST(HostOverlayGlue, StandInHostRecordsEveryRow) {
    checkRowsHost(kRows);
}

TEST(HostOverlayGlue, HudFloatsKeepTheirValueWherePreviewDoublesAreFixedPoint) {
    RawFilter filter;
    raw().want = 8;
    OMHudLine(filter.get(), 1.5f, 0.00001f, 0, 0, 0xFFFFFFFFu);
    float got[2];
    std::memcpy(&got[0], &raw().slots[1], 4);  // bytes 0-3 of the slot
    std::memcpy(&got[1], &raw().slots[2], 4);
    EXPECT_EQ(got[0], 1.5f);
    EXPECT_EQ(got[1], 0.00001f);
    EXPECT_EQ(raw().slots[5], int64_t(0xFFFFFFFF)) << "uint32 zero-extended";

    raw().want = 9;
    OMPreviewLine(filter.get(), 1.5, 0.00001, -0.75, 0, -1);
    EXPECT_EQ(raw().slots[0], 98304);
    EXPECT_EQ(raw().slots[1], 0);
    EXPECT_EQ(raw().slots[2], -49152);
    EXPECT_EQ(static_cast<uint64_t>(raw().slots[4]), ~uint64_t(0));

    hostsim::Host host(7, 5);
    OMHudLine(host.filter(), -2.75f, 0, 0, 0, 1);
    ASSERT_EQ(host.callsOf(1688).size(), 1u);
    EXPECT_EQ(hostsim::Call::slotFloat(host.callsOf(1688)[0].slots[1]), -2.75f);
}

}  // namespace
