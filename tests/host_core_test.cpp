// The front end's glue, the slot encodings and the two functions with logic of
// their own (OMMakeRGBAPixel, OMRunMultiThread).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "host/dispatch.h"
#include "host/om_core.h"
#include "support/GlueTable.h"

using namespace glue;

namespace {

int workerCalls = 0;
void* workerFirst = reinterpret_cast<void*>(1);
int32_t worker(void* first, int32_t a, int32_t b, int64_t c) {
    ++workerCalls;
    workerFirst = first;
    return a * 1000 + b + static_cast<int32_t>(c >> 36);
}
const Slot kWorker(static_cast<int64_t>(reinterpret_cast<intptr_t>(&worker)));

PIBlock* B(int n) {
    return static_cast<PIBlock*>(P(n));
}

// Host interface 6.0 for every row, so OMRunMultiThread goes through the host.
const Row kRows[] = {
    {GLUE(OMOpenFilterReqEx, 200, -131, L(1), L(2), -L(3), L(4)),
     234,
     {200, -131, L(1), L(2), -L(3), L(4), 0, 0, 0},
     Ptr},
    {GLUE(OMCloseReq, P(1)), 229, {P(1)}, None},
    {GLUE(OMSetReqTitle, P(1), T(1)), 230, {2, P(1), T(1), 0, 0, 0}, Int},
    {GLUE(OMAddButtonReq, P(1), -8, 3, 185, -35, 17, L(5), T(2)),
     230,
     {10, P(1), -8, 3, 185, -35, 17, L(5), T(2)},
     Int},
    {GLUE(OMReqToFront, P(1)), 230, {3, P(1)}, Int},
    {GLUE(OMSetButtonInfoText, P(1), -11, T(3)), 230, {13, P(1), -11, T(3)}, Int},
    {GLUE(OMPutButtonImage, P(1), 17, B(2), L(6)),
     230,
     {31, P(1), 17, P(2), L(6), 0, 0, 0, 0, 0, 0},
     Int},
    {GLUE(OMGetButtonImage, P(1), -17, L(7)), 230, {38, P(1), -17, L(7), 0, 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMRefreshButtonImage, P(1), 17, -1, 2, 185, 35),
     230,
     {39, P(1), 17, -1, 2, 185, 35, 0, 0, 0, 0},
     Int},
    {GLUE(OMAllocPIBlock, 185, -35, L(8)), 838, {185, -35, L(8), 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMWarning, T(4)), 134, {T(4)}, None},
    {GLUE(OMUpdateDisplay, 1, -2, 640, 480), 138, {1, -2, 640, 480}, None},
    {GLUE(OMSendCmd, T(5), T(6)), 139, {T(5), T(6)}, Int},
    {GLUE(OMReadLayerData, P(3), -1, 2, 7, 5, -3, 4), 140, {P(3), -1, 2, 7, 5, -3, 4}, Int},
    {GLUE(OMWriteLayerData, P(4), 3, -4, 7, 5, 0, 1), 141, {P(4), 3, -4, 7, 5, 0, 1}, Int},
    {GLUE0(OMCloseFunction), 329, {0, 0, 0}, Int},
    {GLUE(OMWriteUserString, T(7), T(8), T(9)), 728, {T(7), T(8), T(9), 0, 0}, Int},
    {GLUE(OMReadUserString, T(10), T(11), T(12), T(13), -255),
     729,
     {T(10), T(11), T(12), T(13), -255},
     Int},
    {GLUE(OMOpenLocalFile, T(14), L(9)), 1228, {T(14), L(9), 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMCloseLocalFile, P(5)), 1229, {P(5), 0, 0, 0, 0, 0, 0, 0}, None},
    {GLUE(OMGetLocalString, P(6), U(1)), 1230, {P(6), U(1), 0, 0, 0, 0, 0, 0}, Ptr},
    {GLUE(OMRunMultiThread, worker, -5, 6, L(10)), 968, {kWorker, -5, 6, L(10), 0, 0, 0, 0}, Int},
};

TEST(HostCoreGlue, EveryFunctionSendsItsTableRow) {
    checkCoversHeader(kRows, "host/om_core.h", {"OMMakeRGBAPixel"});
    checkRowsRaw(kRows);
    EXPECT_EQ(workerCalls, 0) << "host 6.0 runs the worker itself";
}

TEST(HostCoreGlue, StandInHostRecordsEveryRow) {
    checkRowsHost(kRows);
}

TEST(SlotEncoding, DoublesAre1616TruncatedTowardZero) {
    using omglue::encodeSlot;
    EXPECT_EQ(encodeSlot(1.5), 98304);
    EXPECT_EQ(encodeSlot(-1.5), -98304);
    EXPECT_EQ(encodeSlot(-0.5), -32768);
    EXPECT_EQ(encodeSlot(0.5), 32768);
    EXPECT_EQ(encodeSlot(-0.75), -49152);
    EXPECT_EQ(encodeSlot(0.00001), 0);
    EXPECT_EQ(encodeSlot(-0.00001), 0);  // toward zero, not toward minus infinity
    EXPECT_EQ(encodeSlot(1.00001), 65536);
    EXPECT_EQ(encodeSlot(2.00001), 131072);
    EXPECT_EQ(encodeSlot(-0.99999), -65535);
    EXPECT_EQ(encodeSlot(90.0), 5898240);
}

// Read through a volatile so the conversion happens at run time: a folded constant
// would test the compiler's saturation, not ours.
double opaque(double v) {
    volatile double x = v;
    return x;
}

TEST(SlotEncoding, DoublesOutsideTheSlotRangeSaturate) {
    using omglue::fixed1616;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    const double two47 = std::ldexp(1.0, 47);  // times 65536 is exactly 2^63
    EXPECT_EQ(fixed1616(opaque(two47)), kMax);
    EXPECT_EQ(fixed1616(opaque(std::nextafter(two47, 0.0))), kMax - 1023)
        << "the largest double below 2^63 still converts exactly";
    EXPECT_EQ(fixed1616(opaque(-two47)), kMin) << "-2^63 itself is representable";
    EXPECT_EQ(fixed1616(opaque(std::nextafter(-two47, -1e300))), kMin);
    EXPECT_EQ(fixed1616(opaque(1e300)), kMax);
    EXPECT_EQ(fixed1616(opaque(-1e300)), kMin);
    EXPECT_EQ(fixed1616(opaque(std::numeric_limits<double>::infinity())), kMax);
    EXPECT_EQ(fixed1616(opaque(-std::numeric_limits<double>::infinity())), kMin);
    EXPECT_EQ(fixed1616(opaque(std::nan(""))), 0);
}

TEST(SlotEncoding, IntegersFloatsAndPointers) {
    using omglue::encodeSlot;
    EXPECT_EQ(encodeSlot(int32_t(-1)), -1);  // all 64 bits set
    EXPECT_EQ(encodeSlot(int32_t(INT32_MIN)), int64_t(INT32_MIN));
    EXPECT_EQ(encodeSlot(uint32_t(0xFFFFFFFFu)), 0xFFFFFFFFLL);
    EXPECT_EQ(encodeSlot(uint32_t(0x80000000u)), 0x80000000LL);
    EXPECT_EQ(encodeSlot(int64_t(-L(3))), -L(3));
    EXPECT_EQ(encodeSlot(P(9)), reinterpret_cast<intptr_t>(P(9)));
    const int64_t f = encodeSlot(1.5f);
    unsigned char bytes[8];
    std::memcpy(bytes, &f, 8);
    float low;
    std::memcpy(&low, bytes, 4);
    EXPECT_EQ(low, 1.5f) << "float bits in bytes 0-3";
    EXPECT_NE(encodeSlot(-0.00001f) & 0xFFFFFFFF, 0) << "a float keeps what 16.16 would lose";
}

// The edge cases through the real wrappers, bytes as the host sees them.
TEST(HostCoreGlue, ExtremeIntegersReachTheirSlots) {
    RawFilter filter;
    raw().want = 7;
    OMReadLayerData(filter.get(), P(1), -1, INT32_MIN, INT32_MAX, 0, 0, 0);
    EXPECT_EQ(raw().slots[1], -1);
    EXPECT_EQ(static_cast<uint64_t>(raw().slots[1]), ~uint64_t(0));
    EXPECT_EQ(raw().slots[2], int64_t(INT32_MIN));
    EXPECT_EQ(raw().slots[3], int64_t(INT32_MAX));

    raw().want = 8;
    OMGetLocalString(filter.get(), P(2), 0xFFFFFFFFu);
    EXPECT_EQ(raw().slots[1], 0xFFFFFFFFLL) << "upper 32 bits zero";

    raw().want = 2;
    OMSendCmd(filter.get(), "om_updateundo", nullptr);
    EXPECT_EQ(raw().slots[1], 0) << "a null answer buffer is a zero slot";
}

TEST(HostCoreGlue, IntResultsKeepOnlyTheLow32Bits) {
    RawFilter filter;
    raw().result = int64_t(1) << 32;  // bit 32 set, low half zero
    raw().want = 7;
    EXPECT_EQ(OMReadLayerData(filter.get(), P(1), 0, 0, 7, 5, 0, 0), 0) << "reads as failure";
    raw().want = 6;
    EXPECT_EQ(OMSetReqTitle(filter.get(), P(1), ""), 0);
    raw().want = 9;
    EXPECT_EQ(reinterpret_cast<intptr_t>(OMOpenFilterReqEx(filter.get(), 200, 131, 0, 0, 0, 8)),
              int64_t(1) << 32)
        << "a 64-bit result comes back whole";
    raw().want = 8;
    EXPECT_EQ(reinterpret_cast<intptr_t>(OMGetLocalString(filter.get(), P(2), 1)), int64_t(1)
                                                                                       << 32);
    raw().want = 2;
    raw().result = -1;
    EXPECT_EQ(OMSendCmd(filter.get(), "x", nullptr), -1);
    raw().result = 0xFFFFFFFFLL;
    EXPECT_EQ(OMSendCmd(filter.get(), "x", nullptr), -1) << "low 32 bits as a signed int32";
}

PIFilter pixelFilter(int r, int g, int b, int a) {
    PIFilter f{};
    f.dispatch = rawDispatch;
    f.redIndex = static_cast<int8_t>(r);
    f.greenIndex = static_cast<int8_t>(g);
    f.blueIndex = static_cast<int8_t>(b);
    f.alphaIndex = static_cast<int8_t>(a);
    return f;
}

TEST(MakeRGBAPixel, PlacesChannelsAtTheRecordsPositions) {
    raw() = RawCall{};
    PIFilter f = pixelFilter(1, 2, 3, 0);
    const uint32_t px = OMMakeRGBAPixel(&f, 17, 34, 51, 68);
    EXPECT_EQ(px, 857870660u);
    unsigned char bytes[4];
    std::memcpy(bytes, &px, 4);  // little-endian machine: the pixel's own bytes
    EXPECT_EQ(bytes[0], 68);
    EXPECT_EQ(bytes[1], 17);
    EXPECT_EQ(bytes[2], 34);
    EXPECT_EQ(bytes[3], 51);

    EXPECT_EQ(OMMakeRGBAPixel(&f, 511, 0, 0, 0), 255u << 8) << "only the low byte counts";
    EXPECT_EQ(OMMakeRGBAPixel(&f, -1, 0x1234, 0, 0), 0xFFu << 8 | 0x34u << 16);

    PIFilter bgra = pixelFilter(2, 1, 0, 3);
    EXPECT_EQ(OMMakeRGBAPixel(&bgra, 0x11, 0x22, 0x33, 0x44), 0x44112233u);
    EXPECT_EQ(raw().calls, 0) << "no host call";
}

TEST(MakeRGBAPixel, CollidingAndStrayPositions) {
    // Equal positions: the later store wins, alpha over blue over green over red.
    PIFilter same = pixelFilter(2, 2, 2, 2);
    EXPECT_EQ(OMMakeRGBAPixel(&same, 1, 2, 3, 4), 4u << 16) << "unnamed bytes stay zero";
    PIFilter rg = pixelFilter(0, 0, 1, 3);
    EXPECT_EQ(OMMakeRGBAPixel(&rg, 9, 8, 7, 6), 8u | 7u << 8 | 6u << 24);
    // A position outside the pixel must not write outside it.
    PIFilter stray = pixelFilter(4, -1, 127, 0);
    EXPECT_EQ(OMMakeRGBAPixel(&stray, 1, 2, 3, 4), 4u);
}

struct VersionCase {
    int major, minor;
    bool viaHost;
};

TEST(RunMultiThread, DispatchesOnlyFromHostInterface51) {
    const VersionCase cases[] = {{4, 9, false}, {5, 0, false},  {5, 1, true},
                                 {6, 0, true},  {4, 99, false}, {5, -1, false}};
    for (const VersionCase& v : cases) {
        SCOPED_TRACE(testing::Message() << "host " << v.major << "." << v.minor);
        RawFilter filter(v.major, v.minor);
        raw().want = 8;
        workerCalls = 0;
        workerFirst = P(1);
        const int32_t got = OMRunMultiThread(filter.get(), worker, 7, -3, L(2));
        if (v.viaHost) {
            EXPECT_EQ(raw().calls, 1);
            EXPECT_EQ(raw().command, 968);
            EXPECT_EQ(workerCalls, 0);
            EXPECT_EQ(got, int32_t(0x80000005u));
            checkSlots({kWorker, 7, -3, L(2), 0, 0, 0, 0}, raw().slots);
        } else {
            EXPECT_EQ(raw().calls, 0);
            EXPECT_EQ(workerCalls, 1);
            EXPECT_EQ(workerFirst, nullptr);
            EXPECT_EQ(got, 7000 - 3 + 2);
        }
    }
}

TEST(RunMultiThread, StandInHostVersions) {
    for (const VersionCase& v : {VersionCase{5, 0, false}, VersionCase{5, 1, true}}) {
        hostsim::Host host(7, 5);
        host.setHostVersion(v.major, v.minor);
        host.setRecordOnly(true);
        workerCalls = 0;
        OMRunMultiThread(host.filter(), worker, 1, 2, 0);
        EXPECT_EQ(host.callsOf(968).size(), v.viaHost ? 1u : 0u);
        EXPECT_EQ(workerCalls, v.viaHost ? 0 : 1);
    }
}

}  // namespace
