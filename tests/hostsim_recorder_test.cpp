// The stand-in host's recorder and its answers to the non-script services.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hostsim/Host.h"

using namespace hostsim;

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

}  // namespace

TEST(HostsimRecorder, ReadsExactlyEachLayoutsSlots) {
    Host h(7, 5);
    h.setRecordOnly(true);  // the made-up values below are no real pointers
    // 120 glue functions less OMMakeRGBAPixel, with OMOpenFilterReq and
    // OMWrapPIBlock sharing the layout of their longer forms.
    EXPECT_EQ(std::size(kCommands), 117u);
    for (const CommandLayout& l : kCommands) {
        std::vector<int64_t> slots(l.slots);
        for (size_t i = 0; i < slots.size(); ++i)
            slots[i] = (l.command << 8) + static_cast<int64_t>(i) - 0x123456789;
        if (l.subOp != kNoSubOp) slots[0] = l.subOp;
        call(h, l.command, slots);
        const Call& c = h.calls().back();
        EXPECT_TRUE(c.known) << l.glue;
        EXPECT_EQ(c.slots, slots) << l.glue;
        EXPECT_EQ(c.subOp, l.subOp) << l.glue;
    }
    EXPECT_EQ(h.calls().size(), std::size(kCommands));

    // OMWorkOff: a null slot array, nothing read.
    EXPECT_EQ(h.filter()->dispatch(h.filter(), kCmdWorkOff, nullptr), 0);
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
    EXPECT_EQ(h.dispatch(kCmdReq, slots), 0);  // sub-operation 99 is not one of the family's
    EXPECT_EQ(h.calls().back().subOp, 99);
    EXPECT_TRUE(h.calls().back().slots.empty());
    for (int64_t cmd : {kCmdWarning, kCmdSendCmd, kCmdReadLayer, kCmdReq, kCmdReadUserString,
                        kCmdGetLocalString, kCmdHud}) {
        EXPECT_EQ(h.dispatch(cmd, nullptr), 0) << cmd;
        EXPECT_TRUE(h.calls().back().nullSlots);
    }
    // A record the host never made: answered 0 without a recording.
    alignas(8) uint8_t foreign[4096] = {};
    EXPECT_EQ(h.filter()->dispatch(reinterpret_cast<PIFilter*>(foreign), kCmdWarning, slots), 0);
    EXPECT_EQ(h.calls().size(), 9u);

    h.faults().forcedResult = int64_t(1) << 32;
    std::string w = "hi";
    EXPECT_EQ(call(h, kCmdWarning, {P(w.c_str())}), int64_t(1) << 32);
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

    int64_t req = call(h, kCmdOpenFilterReq, {200, 131, 0, 0, 0, 8, 0, 0, 0});
    ASSERT_NE(req, 0);
    std::string title = "", label = "Paint", help = "Paints";
    EXPECT_EQ(call(h, kCmdReq, {kOpSetReqTitle, req, P(title.c_str()), 0, 0, 0}), 1);
    EXPECT_EQ(
        call(h, kCmdReq, {kOpAddButtonReq, req, 9, 125, 181, 0, 15, 0x2001, P(label.c_str())}), 1);
    EXPECT_EQ(call(h, kCmdReq, {kOpSetButtonInfoText, req, 15, P(help.c_str())}), 1);
    EXPECT_EQ(h.calls().back().text(3), "Paints");
    EXPECT_EQ(call(h, kCmdReq, {kOpAddButtonReq, req, 8, 0, 185, 35, 17, 0x200, P(title.c_str())}),
              1);
    auto* block =
        reinterpret_cast<PIBlock*>(call(h, kCmdAllocPIBlock, {185, 35, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->width, 185);
    EXPECT_EQ(block->height, 35);
    block->data[185 * 35 * 4 - 1] = 9;  // the whole block is writable
    EXPECT_EQ(call(h, kCmdReq, {kOpPutButtonImage, req, 17, P(block), 0, 0, 0, 0, 0, 0, 0}), 1);
    EXPECT_EQ(call(h, kCmdReq, {kOpGetButtonImage, req, 17, 0, 0, 0, 0, 0, 0, 0, 0}), P(block));
    EXPECT_EQ(call(h, kCmdReq, {kOpRefreshButtonImage, req, 17, 0, 0, 185, 35, 0, 0, 0, 0}), 1);
    EXPECT_EQ(call(h, kCmdReq, {kOpReqToFront, req}), 1);

    const Requester* r = h.requester(req);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->width, 200);
    EXPECT_EQ(r->values[3], 8);
    const Button* paint = r->button(15);
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->label, "Paint");
    EXPECT_EQ(paint->help, "Paints");
    EXPECT_EQ(paint->y, 125);
    EXPECT_EQ(paint->flags, 0x2001);
    EXPECT_EQ(r->button(17)->image, block);
    EXPECT_EQ(r->button(17)->refreshCount, 1);
    EXPECT_EQ(r->toFrontCount, 1);

    // OMInfoReq answers in slots 2 to 5 for a live requester only.
    int64_t info[6] = {kOpInfoReq, req, -1, -1, -1, -1};
    EXPECT_EQ(h.dispatch(kCmdReq, info), 1);
    EXPECT_EQ(info[4], 200);
    EXPECT_EQ(info[5], 131);
    EXPECT_EQ(h.calls().back().slots[2], -1);  // recorded as sent
    int64_t noInfo[6] = {kOpInfoReq, req + 77, -1, -1, -1, -1};
    EXPECT_EQ(h.dispatch(kCmdReq, noInfo), 0);
    EXPECT_EQ(noInfo[2], -1);

    // A block the host did not make is refused and never touched.
    EXPECT_EQ(call(h, kCmdReq, {kOpPutButtonImage, req, 17, 0x1234, 0, 0, 0, 0, 0, 0, 0}), 0);

    std::string a = "first", b = "second";
    call(h, kCmdWarning, {P(a.c_str())});
    call(h, kCmdWarning, {P(b.c_str())});
    EXPECT_EQ(h.warnings(), (std::vector<std::string>{"first", "second"}));
    call(h, kCmdUpdateDisplay, {1, 2, -3, 4});
    EXPECT_EQ(h.redraws().back()[2], -3);
    EXPECT_FALSE(h.closeRequested());
    call(h, kCmdCloseFunction, {0, 0, 0});
    EXPECT_TRUE(h.closeRequested());

    call(h, kCmdCloseReq, {req});
    EXPECT_FALSE(h.requester(req)->open);
    EXPECT_EQ(h.openRequester(), nullptr);
    EXPECT_EQ(call(h, kCmdReq, {kOpReqToFront, req}), 0);
}

TEST(HostsimRecorder, PanelFaults) {
    Host h(7, 5);
    h.faults().failOpenRequester = true;
    EXPECT_EQ(call(h, kCmdOpenFilterReq, {200, 131, 0, 0, 0, 8, 0, 0, 0}), 0);
    h.faults().failOpenRequester = false;
    int64_t req = call(h, kCmdOpenFilterReq, {200, 131, 0, 0, 0, 8, 0, 0, 0});
    std::string empty;
    call(h, kCmdReq, {kOpAddButtonReq, req, 8, 0, 185, 35, 17, 0x200, P(empty.c_str())});

    h.faults().allocBlockNull = true;
    EXPECT_EQ(call(h, kCmdAllocPIBlock, {185, 35, 0, 0, 0, 0, 0, 0}), 0);
    h.faults().allocBlockNull = false;
    h.faults().allocBlockSize = std::make_pair(3, 2);
    auto* small =
        reinterpret_cast<PIBlock*>(call(h, kCmdAllocPIBlock, {185, 35, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->width, 3);
    EXPECT_EQ(small->height, 2);
    h.faults().allocBlockSize.reset();
    EXPECT_EQ(call(h, kCmdAllocPIBlock, {-1, 35, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_EQ(call(h, kCmdAllocPIBlock, {0x7fffffff, 0x7fffffff, 0, 0, 0, 0, 0, 0}), 0);

    call(h, kCmdReq, {kOpPutButtonImage, req, 17, P(small), 0, 0, 0, 0, 0, 0, 0});
    h.faults().buttonImageNull = true;
    EXPECT_EQ(call(h, kCmdReq, {kOpGetButtonImage, req, 17, 0, 0, 0, 0, 0, 0, 0, 0}), 0);
    h.faults().buttonImageNull = false;
    h.faults().buttonImageSize = std::make_pair(1, 1);
    auto* tiny = reinterpret_cast<PIBlock*>(
        call(h, kCmdReq, {kOpGetButtonImage, req, 17, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(tiny->width * tiny->height, 1);

    // Freeing a block detaches it from its button.
    size_t blocks = h.blockCount();
    call(h, kCmdFreePIBlock, {P(small), 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(h.blockCount(), blocks - 1);
    EXPECT_EQ(h.requester(req)->button(17)->image, nullptr);
    call(h, kCmdFreePIBlock, {0x4321, 0, 0, 0, 0, 0, 0, 0});  // unknown: ignored
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
    EXPECT_EQ(call(h, kCmdReadLayer, {P(buf.data()), 0, 0, 7, 5, 0, 0}), 1);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 140, h.layer(a)->pixels.begin()));
    EXPECT_EQ(buf[140], 0xEE);  // nothing past the layer

    h.setCurrentLayer(b);
    EXPECT_EQ(call(h, kCmdWriteLayer, {P(buf.data()), 0, 0, 7, 5, 0, 1}), 1);
    EXPECT_EQ(h.layer(b)->pixels, h.layer(a)->pixels);

    // A rectangle outside the image is refused and writes nothing.
    std::vector<uint8_t> probe(200, 0x55);
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), 0, 0, 8, 5, 0, 0}), 0);
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), -1, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(call(h, kCmdReadLayer, {0, 0, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(probe, std::vector<uint8_t>(200, 0x55));
    // A part of the layer: rows of w pixels.
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), 2, 3, 2, 2, 0, 0}), 1);
    EXPECT_EQ(probe[0], 2);
    EXPECT_EQ(probe[2], 23);
    EXPECT_EQ(probe[8 + 1], 4);  // second row, first pixel: y = 4

    h.faults().failLayerReadIds.insert(a);
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 1);  // b is current
    h.setCurrentLayer(a);
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 0);
    h.faults().failLayerReadIds.clear();
    h.faults().failAllLayerReads = true;
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 0);
    h.faults().failLayerWrites = true;
    EXPECT_EQ(call(h, kCmdWriteLayer, {P(buf.data()), 0, 0, 7, 5, 0, 1}), 0);

    // A layer whose pixels a test resized is refused, not overrun.
    h.faults() = Faults{};
    h.layer(a)->pixels.resize(3);
    EXPECT_EQ(call(h, kCmdReadLayer, {P(probe.data()), 0, 0, 7, 5, 0, 0}), 0);
    EXPECT_EQ(call(h, kCmdWriteLayer, {P(buf.data()), 0, 0, 7, 5, 0, 1}), 0);
    EXPECT_FALSE(h.setPixel(a, 0, 0, Pixel{1, 2, 3, 4}));

    // No layer at all.
    Host empty(7, 5);
    EXPECT_EQ(call(empty, kCmdReadLayer, {P(buf.data()), 0, 0, 7, 5, 0, 0}), 0);
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
    EXPECT_EQ(
        call(h, kCmdRunMultiThread, {P(reinterpret_cast<void*>(&worker)), -2, 5, 100, 0, 0, 0, 0}),
        103);
    EXPECT_EQ(workerCalls, 1);
    EXPECT_NE(workerFirst, 0);

    double x = 0.1, y = -2.5;
    call(h, kCmdDemandDouble, {11, 22, P(&x), P(&y), 0, 0});
    EXPECT_EQ(h.calls().back().doubles, (std::vector<double>{0.1, -2.5}));
    EXPECT_EQ(h.calls().back().slots[2], P(&x));

    EXPECT_FLOAT_EQ(Call::slotFloat(0x7777777700000000LL | 0x3FC00000), 1.5f);
}
