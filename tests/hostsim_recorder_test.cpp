// The stand-in host's recorder and its answers to the non-script services.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hostsim/Host.h"

using hostsim::Call;
using hostsim::Host;
using hostsim::Pixel;

namespace {

int64_t P(const void* p) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(p));
}

// Calls dispatch with a heap array of exactly n slots, so that the sanitizer
// build catches any read past the layout.
int64_t call(Host& h, int64_t command, std::vector<int64_t> slots) {
    std::unique_ptr<int64_t[]> exact(new int64_t[slots.size() ? slots.size() : 1]);
    std::copy(slots.begin(), slots.end(), exact.get());
    return h.filter()->dispatch(h.filter(), command, exact.get());
}

struct Layout {
    int64_t command, subOp;
    size_t slots;
};

// Every glue layout: command, sub-operation code (-1: none), number of slots.
const Layout kLayouts[] = {
    {234, -1, 9},  {229, -1, 1},  {230, 2, 6},   {230, 10, 9},  {230, 3, 2},    {230, 13, 4},
    {230, 31, 11}, {230, 38, 11}, {230, 39, 11}, {838, -1, 8},  {134, -1, 1},   {138, -1, 4},
    {139, -1, 2},  {140, -1, 7},  {141, -1, 7},  {329, -1, 3},  {728, -1, 5},   {729, -1, 5},
    {1228, -1, 8}, {1229, -1, 8}, {1230, -1, 8}, {968, -1, 8},  {230, 1, 6},    {230, 4, 2},
    {230, 5, 4},   {230, 6, 7},   {230, 11, 3},  {230, 12, 5},  {230, 20, 8},   {230, 21, 8},
    {230, 22, 14}, {230, 24, 5},  {230, 25, 5},  {230, 26, 5},  {230, 27, 12},  {230, 28, 5},
    {230, 29, 8},  {230, 30, 5},  {230, 32, 19}, {230, 33, 16}, {230, 34, 5},   {230, 35, 5},
    {230, 36, 14}, {230, 37, 8},  {230, 40, 8},  {230, 41, 8},  {230, 42, 8},   {230, 43, 10},
    {230, 44, 6},  {230, 45, 6},  {230, 46, 6},  {228, -1, 6},  {233, -1, 11},  {231, -1, 7},
    {232, -1, 7},  {528, -1, 3},  {142, -1, 7},  {428, -1, 3},  {429, -1, 3},   {628, -1, 10},
    {629, -1, 7},  {778, -1, 5},  {779, -1, 8},  {828, -1, 8},  {1668, -1, 8},  {1678, -1, 8},
    {1698, -1, 8}, {839, -1, 8},  {958, -1, 16}, {1628, 1, 9},  {1628, 2, 9},   {1638, -1, 9},
    {1648, 1, 9},  {1648, 2, 9},  {1648, 3, 9},  {1648, 4, 9},  {1658, -1, 11}, {130, -1, 3},
    {131, -1, 1},  {132, -1, 2},  {135, -1, 3},  {136, -1, 4},  {137, -1, 3},   {145, -1, 6},
    {328, -1, 3},  {730, -1, 5},  {733, -1, 5},  {734, -1, 5},  {735, -1, 5},   {738, -1, 6},
    {739, -1, 6},  {740, -1, 8},  {741, -1, 9},  {742, -1, 8},  {928, -1, 8},   {929, -1, 8},
    {930, -1, 8},  {948, -1, 6},  {1128, -1, 8}, {1129, -1, 8}, {1130, -1, 8},  {1131, -1, 8},
    {1528, -1, 8}, {1529, -1, 8}, {1328, -1, 8}, {1428, -1, 8}, {1708, -1, 8},  {1688, 0, 8},
    {1688, 1, 8},  {1688, 2, 10}, {1688, 3, 9},  {1688, 4, 9},  {1688, 5, 12},  {143, -1, 9},
    {144, -1, 9},  {146, -1, 9},
};

}  // namespace

TEST(HostsimRecorder, ReadsExactlyEachLayoutsSlots) {
    Host h(7, 5);
    h.setRecordOnly(true);  // the made-up values below are no real pointers
    // 120 glue functions less OMMakeRGBAPixel and OMWorkOff, with the two pairs
    // that share a layout (234, 958) counted once.
    EXPECT_EQ(std::size(kLayouts), 116u);
    for (const Layout& l : kLayouts) {
        std::vector<int64_t> slots(l.slots);
        for (size_t i = 0; i < l.slots; ++i)
            slots[i] = (l.command << 8) + static_cast<int64_t>(i) - 0x123456789;
        if (l.subOp >= 0) slots[0] = l.subOp;
        call(h, l.command, slots);
        const Call& c = h.calls().back();
        EXPECT_TRUE(c.known) << l.command << "/" << l.subOp;
        EXPECT_EQ(c.slots, slots) << l.command << "/" << l.subOp;
        EXPECT_EQ(c.subOp, l.subOp) << l.command;
    }
    EXPECT_EQ(h.calls().size(), std::size(kLayouts));

    // OMWorkOff: a null slot array, nothing read.
    EXPECT_EQ(h.filter()->dispatch(h.filter(), 133, nullptr), 0);
    EXPECT_TRUE(h.calls().back().nullSlots);
    EXPECT_TRUE(h.calls().back().known);
    EXPECT_TRUE(h.calls().back().slots.empty());
}

TEST(HostsimRecorder, UnknownOrSlotlessCallsAreRecordedAndAnsweredZero) {
    Host h(7, 5);
    int64_t slots[4] = {99, 1, 2, 3};
    EXPECT_EQ(h.dispatch(9999, slots), 0);
    EXPECT_FALSE(h.calls().back().known);
    EXPECT_TRUE(h.calls().back().slots.empty());
    EXPECT_EQ(h.dispatch(230, slots), 0);  // sub-operation 99 is not one of the family's
    EXPECT_EQ(h.calls().back().subOp, 99);
    EXPECT_TRUE(h.calls().back().slots.empty());
    for (int64_t cmd : {134, 139, 140, 230, 729, 1230, 1688}) {
        EXPECT_EQ(h.dispatch(cmd, nullptr), 0) << cmd;
        EXPECT_TRUE(h.calls().back().nullSlots);
    }
    // A record the host never made: answered 0 without a recording.
    alignas(8) uint8_t foreign[4096] = {};
    EXPECT_EQ(h.filter()->dispatch(reinterpret_cast<PIFilter*>(foreign), 134, slots), 0);
    EXPECT_EQ(h.calls().size(), 9u);

    h.faults().forcedResult = int64_t(1) << 32;
    std::string w = "hi";
    EXPECT_EQ(call(h, 134, {P(w.c_str())}), int64_t(1) << 32);
    EXPECT_EQ(h.calls().back().result, int64_t(1) << 32);
}

TEST(HostsimRecorder, RecordPanelAndWarnings) {
    Host h(640, 480);
    const PIFilter* f = h.filter();
    EXPECT_EQ(f->hostMajor, 6);
    EXPECT_EQ(f->width, 640);
    EXPECT_EQ(f->height, 480);
    EXPECT_EQ(f->updateRect[2], 640);
    EXPECT_EQ(f->alphaIndex, 0);
    EXPECT_EQ(f->redIndex, 1);
    EXPECT_EQ(f->blueIndex, 3);
    h.setHostVersion(5, 1);
    EXPECT_EQ(f->hostMinor, 1);

    int64_t req = call(h, 234, {200, 131, 0, 0, 0, 8, 0, 0, 0});
    ASSERT_NE(req, 0);
    std::string title = "", label = "Paint", help = "Paints";
    EXPECT_EQ(call(h, 230, {2, req, P(title.c_str()), 0, 0, 0}), 1);
    EXPECT_EQ(call(h, 230, {10, req, 9, 125, 181, 0, 15, 0x2001, P(label.c_str())}), 1);
    EXPECT_EQ(call(h, 230, {13, req, 15, P(help.c_str())}), 1);
    EXPECT_EQ(h.calls().back().text(3), "Paints");
    EXPECT_EQ(call(h, 230, {10, req, 8, 0, 185, 35, 17, 0x200, P(title.c_str())}), 1);
    auto* block = reinterpret_cast<PIBlock*>(call(h, 838, {185, 35, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->width, 185);
    EXPECT_EQ(block->height, 35);
    block->data[185 * 35 * 4 - 1] = 9;  // the whole block is writable
    EXPECT_EQ(call(h, 230, {31, req, 17, P(block), 0, 0, 0, 0, 0, 0, 0}), 1);
    EXPECT_EQ(call(h, 230, {38, req, 17, 0, 0, 0, 0, 0, 0, 0, 0}), P(block));
    EXPECT_EQ(call(h, 230, {39, req, 17, 0, 0, 185, 35, 0, 0, 0, 0}), 1);
    EXPECT_EQ(call(h, 230, {3, req}), 1);

    const hostsim::Requester* r = h.requester(req);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->width, 200);
    EXPECT_EQ(r->values[3], 8);
    const hostsim::Button* paint = r->button(15);
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->label, "Paint");
    EXPECT_EQ(paint->help, "Paints");
    EXPECT_EQ(paint->y, 125);
    EXPECT_EQ(paint->flags, 0x2001);
    EXPECT_EQ(r->button(17)->image, block);
    EXPECT_EQ(r->button(17)->refreshCount, 1);
    EXPECT_EQ(r->toFrontCount, 1);

    // OMInfoReq answers in slots 2 to 5 for a live requester only.
    int64_t info[6] = {1, req, -1, -1, -1, -1};
    EXPECT_EQ(h.dispatch(230, info), 1);
    EXPECT_EQ(info[4], 200);
    EXPECT_EQ(info[5], 131);
    EXPECT_EQ(h.calls().back().slots[2], -1);  // recorded as sent
    int64_t noInfo[6] = {1, req + 77, -1, -1, -1, -1};
    EXPECT_EQ(h.dispatch(230, noInfo), 0);
    EXPECT_EQ(noInfo[2], -1);

    // A block the host did not make is refused and never touched.
    EXPECT_EQ(call(h, 230, {31, req, 17, 0x1234, 0, 0, 0, 0, 0, 0, 0}), 0);

    std::string a = "first", b = "second";
    call(h, 134, {P(a.c_str())});
    call(h, 134, {P(b.c_str())});
    EXPECT_EQ(h.warnings(), (std::vector<std::string>{"first", "second"}));
    call(h, 138, {1, 2, -3, 4});
    EXPECT_EQ(h.redraws().back()[2], -3);
    EXPECT_FALSE(h.closeRequested());
    call(h, 329, {0, 0, 0});
    EXPECT_TRUE(h.closeRequested());

    call(h, 229, {req});
    EXPECT_FALSE(h.requester(req)->open);
    EXPECT_EQ(h.openRequester(), nullptr);
    EXPECT_EQ(call(h, 230, {3, req}), 0);
}

TEST(HostsimRecorder, PanelFaults) {
    Host h(7, 5);
    h.faults().failOpenRequester = true;
    EXPECT_EQ(call(h, 234, {200, 131, 0, 0, 0, 8, 0, 0, 0}), 0);
    h.faults().failOpenRequester = false;
    int64_t req = call(h, 234, {200, 131, 0, 0, 0, 8, 0, 0, 0});
    std::string empty;
    call(h, 230, {10, req, 8, 0, 185, 35, 17, 0x200, P(empty.c_str())});

    h.faults().allocBlockNull = true;
    EXPECT_EQ(call(h, 838, {185, 35, 0, 0, 0, 0, 0, 0}), 0);
    h.faults().allocBlockNull = false;
    h.faults().allocBlockSize = std::make_pair(3, 2);
    auto* small = reinterpret_cast<PIBlock*>(call(h, 838, {185, 35, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->width, 3);
    EXPECT_EQ(small->height, 2);
    h.faults().allocBlockSize.reset();
    EXPECT_EQ(call(h, 838, {-1, 35, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(call(h, 838, {0x7fffffff, 0x7fffffff, 0, 0, 0, 0, 0, 0}), 0);

    call(h, 230, {31, req, 17, P(small), 0, 0, 0, 0, 0, 0, 0});
    h.faults().buttonImageNull = true;
    EXPECT_EQ(call(h, 230, {38, req, 17, 0, 0, 0, 0, 0, 0, 0, 0}), 0);
    h.faults().buttonImageNull = false;
    h.faults().buttonImageSize = std::make_pair(1, 1);
    auto* tiny = reinterpret_cast<PIBlock*>(call(h, 230, {38, req, 17, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(tiny->width * tiny->height, 1);

    // Freeing a block detaches it from its button.
    size_t blocks = h.blockCount();
    call(h, 839, {P(small), 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(h.blockCount(), blocks - 1);
    EXPECT_EQ(h.requester(req)->button(17)->image, nullptr);
    call(h, 839, {0x4321, 0, 0, 0, 0, 0, 0, 0});  // unknown: ignored
    EXPECT_EQ(h.blockCount(), blocks - 1);
}

TEST(HostsimRecorder, LayerReadAndWrite) {
    Host h(7, 5);
    int a = h.addLayer("a");
    int b = h.addLayer("b");
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            h.setPixel(a, x, y,
                       Pixel{uint8_t(x), uint8_t(y), uint8_t(x * 10 + y), uint8_t(200 - x)});
    std::vector<uint8_t> buf(7 * 5 * 4 + 8, 0xEE);
    EXPECT_EQ(call(h, 140, {P(buf.data()), 0, 0, 7, 5, 0, 0}), 1);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 140, h.layer(a)->pixels.begin()));
    EXPECT_EQ(buf[140], 0xEE);  // nothing past the layer

    h.setCurrentLayer(b);
    EXPECT_EQ(call(h, 141, {P(buf.data()), 0, 0, 7, 5, 0, 1}), 1);
    EXPECT_EQ(h.layer(b)->pixels, h.layer(a)->pixels);

    // A rectangle outside the image is refused and writes nothing.
    std::vector<uint8_t> probe(200, 0x55);
    EXPECT_EQ(call(h, 140, {P(probe.data()), 0, 0, 8, 5, 0, 0}), 0);
    EXPECT_EQ(call(h, 140, {P(probe.data()), -1, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(call(h, 140, {0, 0, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(probe, std::vector<uint8_t>(200, 0x55));
    // A part of the layer: rows of w pixels.
    EXPECT_EQ(call(h, 140, {P(probe.data()), 2, 3, 2, 2, 0, 0}), 1);
    EXPECT_EQ(probe[0], 2);
    EXPECT_EQ(probe[2], 23);
    EXPECT_EQ(probe[8 + 1], 4);  // second row, first pixel: y = 4

    h.faults().failLayerReadIds.insert(a);
    EXPECT_EQ(call(h, 140, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 1);  // b is current
    h.setCurrentLayer(a);
    EXPECT_EQ(call(h, 140, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 0);
    h.faults().failLayerReadIds.clear();
    h.faults().failAllLayerReads = true;
    EXPECT_EQ(call(h, 140, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 0);
    h.faults().failLayerWrites = true;
    EXPECT_EQ(call(h, 141, {P(buf.data()), 0, 0, 7, 5, 0, 1}), 0);

    // A layer whose pixels a test resized is refused, not overrun.
    h.faults() = hostsim::Faults{};
    h.layer(a)->pixels.resize(3);
    EXPECT_EQ(call(h, 140, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(call(h, 141, {P(buf.data()), 0, 0, 7, 5, 0, 1}), 0);
    EXPECT_FALSE(h.setPixel(a, 0, 0, Pixel{1, 2, 3, 4}));

    // No layer at all.
    Host empty(7, 5);
    EXPECT_EQ(call(empty, 140, {P(buf.data()), 0, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(empty.sendCommand("om_LayerGetID 0"), "none");
    EXPECT_EQ(empty.sendCommand("om_LayerCurrentID").rfind("error", 0), 0u);
}

namespace {
int workerCalls = 0;
int64_t workerFirst = 0;
int32_t worker(int64_t first, int32_t a, int32_t b, int64_t c) {
    ++workerCalls;
    workerFirst = first;
    return static_cast<int32_t>(a + b + c);
}
}  // namespace

TEST(HostsimRecorder, WorkerAndDemandDouble) {
    Host h(7, 5);
    EXPECT_EQ(call(h, 968, {P(reinterpret_cast<void*>(&worker)), -2, 5, 100, 0, 0, 0, 0}), 103);
    EXPECT_EQ(workerCalls, 1);
    EXPECT_NE(workerFirst, 0);

    double x = 0.1, y = -2.5;
    call(h, 145, {11, 22, P(&x), P(&y), 0, 0});
    EXPECT_EQ(h.calls().back().doubles, (std::vector<double>{0.1, -2.5}));
    EXPECT_EQ(h.calls().back().slots[2], P(&x));

    EXPECT_FLOAT_EQ(Call::slotFloat(0x7777777700000000LL | 0x3FC00000), 1.5f);
}
