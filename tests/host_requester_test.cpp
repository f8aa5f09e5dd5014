// The requester and widget glue, row by row, and its irregular members.
#include <gtest/gtest.h>

#include <array>

#include "host/om_core.h"
#include "host/om_requester.h"
#include "support/GlueTable.h"

using namespace glue;

namespace {

const Row kRows[] = {
    {GLUE(OMInfoReq, P(1), nullptr, nullptr, nullptr, nullptr), 230, {1, P(1), 0, 0, 0, 0}, Int},
    {GLUE(OMReqToBack, P(1)), 230, {4, P(1)}, Int},
    {GLUE(OMMoveReq, P(1), -7, 9), 230, {5, P(1), -7, 9}, Int},
    {GLUE(OMResizeReq, P(1), 11, -12, 13, 14), 230, {6, P(1), 11, -12, 13, 14, 0}, Int},
    {GLUE(OMRemoveButtonReq, P(1), -21), 230, {11, P(1), -21}, Int},
    {GLUE(OMChangeButtonReq, P(1), 22, L(1), -L(2)), 230, {12, P(1), 22, L(1), -L(2)}, Int},
    {GLUE(OMTextReq, P(1), 5, 7, L(3), L(4), U(1), U(2)),
     230,
     {20, P(1), L(3), 5, 7, L(4), U(1), U(2)},
     Int},
    {GLUE(OMRectangleReq, P(1), -1, 2, -3, 4, L(5), U(3)),
     230,
     {21, P(1), -1, 2, -3, 4, L(5), U(3)},
     Int},
    {GLUE(OMAADrawReq, P(1), 1.5, -0.75, 2.00001, -0.99999, -5, 6, L(6), U(4), 7, -8, 9, -10),
     230,
     {22, P(1), 98304, -49152, 131072, -65535, -5, 6, L(6), U(4), 7, -8, 9, -10},
     None},
    {GLUE(OMGetButtonString, P(1), 24, L(7), -25), 230, {24, P(1), 24, L(7), -25}, Int},
    {GLUE(OMPutButtonString, P(1), -26, L(8)), 230, {25, P(1), -26, L(8), 0}, Int},
    {GLUE(OMGrabCoords, P(1), -27), 230, {26, P(1), -27, 0, 0}, Int},
    {GLUE(OMTextReqClip, P(1), 5, 7, L(9), L(10), U(5), U(6), -1, 2, -3, 4),
     230,
     {27, P(1), L(9), 5, 7, L(10), U(5), U(6), -1, 2, -3, 4},
     Int},
    {GLUE(OMGrabTicks, P(1), 28), 230, {28, P(1), 28, 0, 0}, Int},
    {GLUE(OMTextLength, P(1), L(11), -29), 230, {29, P(1), L(11), -29, 0, 0, 0, 0}, Int},
    {GLUE(OMPutButtonStringUnit, P(1), 30, L(12)), 230, {30, P(1), 30, L(12), 0}, Int},
    {GLUE(OMAddSliderReq, P(1), 1, -2, 3, -4, 5, L(13), -6, 7, -8, 9, -10, 11),
     230,
     {32, P(1), 1, -2, 3, -4, 5, L(13), -6, 7, -8, 9, -10, 11, 0, 0, 0, 0, 0},
     Int},
    {GLUE(OMChangeSliderReq, P(1), -1, 2, -3, 4, -5, 6, -7),
     230,
     {33, P(1), -1, 2, -3, 4, -5, 6, -7, 0, 0, 0, 0, 0, 0, 0},
     Int},
    {GLUE(OMChangeButtonName, P(1), 34, L(14), L(15)), 230, {34, P(1), 34, L(14), L(15)}, Int},
    {GLUE(OMChangeButtonFlags, P(1), -35, L(16)), 230, {35, P(1), -35, L(16), 0}, Int},
    {GLUE(OMAddTabs, P(1), 1, 2, 3, -4, 5, 6, -7, L(17)),
     230,
     {36, P(1), 1, 2, 3, -4, 5, 6, -7, L(17), 0, 0, 0, 0},
     Int},
    {GLUE(OMChangeTabs, P(1), -37, 38), 230, {37, P(1), -37, 38, 0, 0, 0, 0}, Int},
    {GLUE(OMCompassOpen, P(1), -40, -1.5), 230, {40, P(1), -40, -98304, 0, 0, 0, 0}, Int},
    {GLUE(OMCompassChange, 90.0), 230, {41, 5898240, 0, 0, 0, 0, 0, 0}, None},
    {GLUE0(OMCompassClose), 230, {42, 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMAddVideoButton, P(1), 1, -2, 3, -4, 5, L(18), -6, 7),
     230,
     {43, P(1), 1, -2, 3, -4, 5, L(18), -6, 7},
     Int},
    {GLUE(OMSaveReqState, P(1), L(19), -L(20)), 230, {44, P(1), L(19), -L(20), 0, 0}, None},
    {GLUE(OMLoadReqState, P(1), L(21), L(22)), 230, {45, P(1), L(21), L(22), 0, 0}, None},
    {GLUE(OMDisplayReq, P(1), -46), 230, {46, P(1), -46, 0, 0, 0}, Int},
    {GLUE(OMOpenReq, 10, -20, 300, 400, L(23), L(24)), 228, {10, -20, 300, 400, L(23), L(24)}, Ptr},
    {GLUE(OMOpenReqEx, 10, 20, -300, 400, L(25), L(26), L(27)),
     233,
     {10, 20, -300, 400, L(25), L(26), L(27), 0, 0, 0, 0},
     Ptr},
    {GLUE(OMOpenFilterReq, 200, 131, L(28), L(29), L(30)),
     234,
     {200, 131, L(28), L(29), L(30), 0, 0, 0, 0},
     Ptr},
    {GLUE(OMReadReqData, L(31), -1, 2, 3, -4, 5, L(32)), 231, {L(31), -1, 2, 3, -4, 5, L(32)}, Int},
    {GLUE(OMWriteReqData, L(33), 1, -2, 3, 4, -5, L(34)),
     232,
     {L(33), 1, -2, 3, 4, -5, L(34)},
     Int},
    {GLUE(OMPopup, L(35), -1, 36), 528, {L(35), -1, 36}, Int},
};

TEST(HostRequesterGlue, EveryFunctionSendsItsTableRow) {
    checkCoversHeader(kRows, "host/om_requester.h");
    checkRowsRaw(kRows);
}

TEST(HostRequesterGlue, StandInHostRecordsEveryRow) {
    checkRowsHost(kRows);
}

// A host that answers OMInfoReq in slots 2 to 5, with a chosen result.
int64_t infoResult = 0;
int64_t infoDispatch(PIFilter*, int64_t command, int64_t* s) {
    if (command != 230 || s[0] != 1) return -99;
    for (int i = 2; i < 6; ++i) EXPECT_EQ(s[i], 0) << "slot " << i << " goes out zero";
    s[2] = (int64_t(7) << 32) | 0xFFFFFFF6;  // low half -10; the upper half is not ours
    s[3] = 20;
    s[4] = -30;
    s[5] = 40;
    return infoResult;
}

TEST(HostRequesterGlue, InfoReqCopiesAnswersOnlyOnSuccessAndOnlyToGivenTargets) {
    PIFilter f{};
    f.dispatch = infoDispatch;
    int32_t a = 1, b = 2, c = 3, d = 4;

    infoResult = 0;
    EXPECT_EQ(OMInfoReq(&f, P(1), &a, &b, &c, &d), 0);
    EXPECT_EQ((std::array<int32_t, 4>{a, b, c, d}), (std::array<int32_t, 4>{1, 2, 3, 4}));

    infoResult = int64_t(1) << 32;  // zero as an int: still a failure
    EXPECT_EQ(OMInfoReq(&f, P(1), &a, &b, &c, &d), 0);
    EXPECT_EQ((std::array<int32_t, 4>{a, b, c, d}), (std::array<int32_t, 4>{1, 2, 3, 4}));

    infoResult = 5;
    EXPECT_EQ(OMInfoReq(&f, P(1), nullptr, &b, nullptr, &d), 5);
    EXPECT_EQ((std::array<int32_t, 4>{a, b, c, d}), (std::array<int32_t, 4>{1, 20, 3, 40}));

    infoResult = -1;
    EXPECT_EQ(OMInfoReq(&f, P(1), &a, &b, &c, &d), -1);
    EXPECT_EQ((std::array<int32_t, 4>{a, b, c, d}), (std::array<int32_t, 4>{-10, 20, -30, 40}));

    EXPECT_EQ(OMInfoReq(&f, P(1), nullptr, nullptr, nullptr, nullptr), -1);
}

TEST(HostRequesterGlue, InfoReqReadsTheStandInHostsAnswers) {
    hostsim::Host host(7, 5);
    void* req = OMOpenFilterReqEx(host.filter(), 200, 131, 0, 0, 0, 8);
    ASSERT_NE(req, nullptr);
    int32_t a = -1, b = -1, c = -1, d = -1;
    EXPECT_NE(OMInfoReq(host.filter(), req, &a, &b, &c, &d), 0);
    EXPECT_EQ(c, 200);
    EXPECT_EQ(d, 131);
    EXPECT_NE(a, -1);
    EXPECT_NE(b, -1);
}

TEST(HostRequesterGlue, TextReqMovesItsFirstInt64AheadOfTheInts) {
    RawFilter filter;
    raw().want = 8;
    OMTextReq(filter.get(), P(1), 5, 7, L(1), L(2), 1, 2);
    checkSlots({20, P(1), L(1), 5, 7, L(2), 1, 2}, raw().slots);
    raw().want = 12;
    OMTextReqClip(filter.get(), P(1), 5, 7, L(1), L(2), 0xFFFFFFFFu, 2, -1, -2, -3, -4);
    checkSlots({27, P(1), L(1), 5, 7, L(2), int64_t(0xFFFFFFFF), 2, -1, -2, -3, -4}, raw().slots);
}

TEST(HostRequesterGlue, OpenFilterReqDiffersFromTheExtendedFormOnlyInSlot5) {
    RawFilter filter;
    raw().want = 9;
    OMOpenFilterReq(filter.get(), 200, 131, L(1), L(2), L(3));
    const std::vector<int64_t> plain = raw().slots;
    OMOpenFilterReqEx(filter.get(), 200, 131, L(1), L(2), L(3), L(4));
    std::vector<int64_t> extended = raw().slots;
    EXPECT_EQ(plain[5], 0);
    EXPECT_EQ(extended[5], L(4));
    extended[5] = 0;
    EXPECT_EQ(plain, extended);
}

}  // namespace
