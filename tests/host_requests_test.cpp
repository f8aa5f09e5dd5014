// The requests, string stores, files and devices glue, row by row.
#include <gtest/gtest.h>

#include "host/om_requests.h"
#include "support/GlueTable.h"

using namespace glue;

namespace {

const Row kRows[] = {
    {GLUE0(OMExecute), 130, {0, 0, 0}, Int},
    {GLUE(OMWorkOn, P(1)), 131, {P(1)}, None},
    {GLUE(OMWorkTrace, -2, 3), 132, {-2, 3}, Int},
    {GLUE0(OMWorkOff), 133, {}, None},
    {GLUE(OMDemand, P(2), P(3), P(4)), 135, {P(2), P(3), P(4)}, Int},
    {GLUE(OMDemandInt, P(5), P(6), -7, 8), 136, {P(5), P(6), -7, 8}, Int},
    {GLUE(OMDemandText, P(7), P(8), -9), 137, {P(7), P(8), -9}, Int},
    {GLUE(OMDemandDouble, P(9), P(10), 0.1, -2.5),
     145,
     {P(9), P(10), anyAddress(), anyAddress(), 0, 0},
     Int},
    {GLUE(OMInstallFunction, -10), 328, {-10, 0, 0}, Int},
    {GLUE(OMEraseUserSection, T(1)), 730, {T(1), 0, 0, 0, 0}, Int},
    {GLUE(OMWriteProjectString, T(2), T(3), T(4)), 733, {T(2), T(3), T(4), 0, 0}, Int},
    {GLUE(OMReadProjectString, T(5), T(6), T(7), T(8), -300),
     734,
     {T(5), T(6), T(7), T(8), -300},
     Int},
    {GLUE(OMEraseProjectSection, T(9)), 735, {T(9), 0, 0, 0, 0}, Int},
    {GLUE(OMOpenStringFile, P(11), P(12)), 738, {P(11), P(12), 0, 0, 0, 0}, Ptr},
    {GLUE(OMCloseStringFile, P(13), P(14)), 739, {P(13), P(14), 0, 0, 0, 0}, Int},
    {GLUE(OMReadStringFile, P(15), T(10), T(11), T(12), T(13), -255),
     740,
     {P(15), T(10), T(11), T(12), T(13), -255, 0, 0},
     Int},
    {GLUE(OMWriteStringFile, P(16), T(14), T(15), T(16)),
     741,
     {P(16), T(14), T(15), T(16), 0, 0, 0, 0, 0},
     Int},
    {GLUE(OMEraseFileSection, P(17), T(17)), 742, {P(17), T(17), 0, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMAllocFileReq, P(18)), 928, {P(18), 0, 0, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMFreeFileReq, P(19)), 929, {P(19), 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMOpenFileReq, P(20)), 930, {P(20), 0, 0, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMCreateFilterAlias, P(21), P(22)), 948, {P(21), P(22), 0, 0, 0, 0}, Int},
    {GLUE(OMAddDisplayDevice, P(23), P(24)), 1128, {P(23), P(24), 0, 0, 0, 0, 0, 0}, Int},
    {GLUE(OMEnumDisplayDevice, -25, P(25)), 1129, {-25, P(25), 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMLockDisplayDevice, P(26), P(27)), 1130, {P(26), P(27), 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMUnlockDisplayDevice, P(28)), 1131, {P(28), 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMAddVideoDevice, P(29)), 1528, {P(29), 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMEnumVideoDevice, -30), 1529, {-30, 0, 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMTextBlock, P(30), -1, 31, P(31), 0xFFFFFFFFu),
     1328,
     {P(30), -1, 31, P(31), 0xFFFFFFFFu, 0, 0, 0},
     Int},
    {GLUE(OMAllocKeys, P(32), P(33)), 1428, {P(32), P(33), 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMGetImageID, -1, 2, -3, P(34), P(35)), 1708, {-1, 2, -3, P(34), P(35), 0, 0, 0}, Int},
};

TEST(HostRequestsGlue, EveryFunctionSendsItsTableRow) {
    checkCoversHeader(kRows, "host/om_requests.h");
    checkRowsRaw(kRows);
}

TEST(HostRequestsGlue, StandInHostRecordsEveryRow) {
    checkRowsHost(kRows);
}

// A host that reads the two doubles of OMDemandDouble through their addresses
// and scribbles over them, as a host asking the user for new values would.
double seen[2];
int64_t demandDispatch(PIFilter*, int64_t command, int64_t* s) {
    if (command != 145) return 0;
    double* p3 = reinterpret_cast<double*>(s[2]);
    double* p4 = reinterpret_cast<double*>(s[3]);
    seen[0] = *p3;
    seen[1] = *p4;
    *p3 = 42.0;
    *p4 = 43.0;
    return 1;
}

TEST(HostRequestsGlue, DemandDoublePassesAddressesOfItsOwnCopies) {
    PIFilter f{};
    f.dispatch = demandDispatch;
    double mine = 0.1;
    EXPECT_EQ(OMDemandDouble(&f, P(1), P(2), mine, -2.5), 1);
    EXPECT_EQ(seen[0], 0.1) << "a full double, not 16.16 (which would have been 6553)";
    EXPECT_EQ(seen[1], -2.5);
    EXPECT_EQ(mine, 0.1) << "what the host writes stays in the copies";

    hostsim::Host host(7, 5);
    OMDemandDouble(host.filter(), P(1), P(2), 0.1, -0.00001);
    const auto calls = host.callsOf(145);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].doubles, (std::vector<double>{0.1, -0.00001}));
}

TEST(HostRequestsGlue, WorkOffSendsNoSlotArray) {
    hostsim::Host host(7, 5);
    OMWorkOff(host.filter());
    const auto calls = host.callsOf(133);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].nullSlots);
    EXPECT_TRUE(calls[0].slots.empty());
}

TEST(HostRequestsGlue, TextBlockExtendsSignedAndUnsignedDifferently) {
    RawFilter filter;
    raw().want = 8;
    OMTextBlock(filter.get(), P(1), -1, 0, P(2), 4294967295u);
    EXPECT_EQ(static_cast<uint64_t>(raw().slots[1]), ~uint64_t(0));
    EXPECT_EQ(raw().slots[4], int64_t(4294967295LL));
}

}  // namespace
