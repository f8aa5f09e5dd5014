// The entry points, the panel, its logo and the "Open" setting, through the loaded module.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "hostsim/Host.h"
#include "plugin/logo.h"
#include "support/ModuleScene.h"

namespace {

using daubtest::ModuleScene;
using hostsim::Host;

// (command, sub-operation) of every call, in order.
std::vector<std::pair<int64_t, int64_t>> shape(const Host& host) {
    std::vector<std::pair<int64_t, int64_t>> out;
    for (const hostsim::Call& c : host.calls()) out.emplace_back(c.command, c.subOp);
    return out;
}

struct Expected {
    int id, y;
    const char* label;
    const char* help;
};

const char* const kCreateHelp = "Creates two layers for scribbles and final colors";
const Expected kEnglish[5] = {
    {11, 45, "Create Layers (w/o BG)", kCreateHelp},
    {12, 65, "Create Layers (with BG)", kCreateHelp},
    {13, 85, "Set FG Scribble",
     "Sets the current tool to a pen suitable for FG scribbles. Do not turn Antialiasing on!"},
    {14, 105, "Set BG Scribble", "Paints a transparent scribble for background"},
    {15, 125, "Paint", "Paints the color layer using the scribbles layer"},
};

void checkButtons(const hostsim::Requester& r, const Expected (&want)[5]) {
    ASSERT_EQ(r.buttons.size(), 6u);
    const hostsim::Button& logo = r.buttons[0];
    EXPECT_EQ(logo.id, 17);
    EXPECT_EQ((std::vector<int>{logo.x, logo.y, logo.w, logo.h}),
              (std::vector<int>{8, 0, 185, 35}));
    EXPECT_EQ(logo.flags, 0x200);
    EXPECT_EQ(logo.label, "");
    for (int k = 0; k < 5; ++k) {
        const hostsim::Button& b = r.buttons[k + 1];
        EXPECT_EQ(b.id, want[k].id);
        EXPECT_EQ((std::vector<int>{b.x, b.y, b.w, b.h}), (std::vector<int>{9, want[k].y, 181, 0}));
        EXPECT_EQ(b.flags, 0x2001);
        EXPECT_EQ(b.label, want[k].label);
        EXPECT_EQ(b.help, want[k].help);
    }
}

// The logo as it must land in a block of w by h: premultiplied, clipped, stride w.
std::vector<uint8_t> expectedLogo(int w, int h) {
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4, 0);
    for (int r = 0; r < std::min(h, 35); ++r)
        for (int c = 0; c < std::min(w, 185); ++c) {
            const uint32_t word = daub::logoData[r * 185 + c];
            const uint32_t a = word >> 24;
            uint8_t* p = &out[(static_cast<size_t>(r) * w + c) * 4];
            p[0] = static_cast<uint8_t>(a);
            p[1] = static_cast<uint8_t>(((word >> 16) & 255) * a / 255);
            p[2] = static_cast<uint8_t>(((word >> 8) & 255) * a / 255);
            p[3] = static_cast<uint8_t>((word & 255) * a / 255);
        }
    return out;
}

const PIBlock* logoBlock(const Host& host) {
    for (const hostsim::Call& c : host.calls())
        if (c.command == hostsim::kCmdReq && c.subOp == 38)
            return reinterpret_cast<const PIBlock*>(static_cast<intptr_t>(c.result));
    return nullptr;
}

std::vector<uint8_t> blockBytes(const PIBlock* b) {
    return std::vector<uint8_t>(b->data, b->data + static_cast<size_t>(b->width) * b->height * 4);
}

TEST(PluginPanel, PanelWithoutLocalisation) {
    ModuleScene s;
    EXPECT_EQ(s.module.open(s.f()), 1);
    s.host.clearCalls();
    EXPECT_EQ(s.module.parameters(s.f()), 1);

    std::vector<std::pair<int64_t, int64_t>> want = {{234, -1}, {230, 2},  {230, 10}, {838, -1},
                                                     {230, 31}, {230, 38}, {230, 39}};
    for (int k = 0; k < 5; ++k) {
        want.emplace_back(230, 10);
        want.emplace_back(230, 13);
    }
    EXPECT_EQ(shape(s.host), want);

    const hostsim::Requester* r = s.host.openRequester();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->width, 200);
    EXPECT_EQ(r->height, 131);
    EXPECT_EQ(r->values, (std::array<int64_t, 4>{0, 0, 0, 8}));
    EXPECT_EQ(r->title, "");
    checkButtons(*r, kEnglish);

    // The logo: premultiplied into the button's own block, then refreshed once.
    const PIBlock* block = logoBlock(s.host);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block, r->button(17)->image);
    EXPECT_EQ(blockBytes(block), expectedLogo(185, 35));
    EXPECT_EQ(r->button(17)->refreshCount, 1);
    const hostsim::Call refresh = s.host.calls()[6];
    EXPECT_EQ(refresh.slots, (std::vector<int64_t>{39, r->handle, 17, 0, 0, 185, 35, 0, 0, 0, 0}));

    // Open already: only raised. A non-zero argument opens nothing.
    const size_t blocks = s.host.blockCount();
    s.host.clearCalls();
    EXPECT_EQ(s.module.parameters(s.f()), 1);
    EXPECT_EQ(s.module.parametersFn(s.f(), 5), 1);
    EXPECT_EQ(shape(s.host), (std::vector<std::pair<int64_t, int64_t>>{{230, 3}}));
    EXPECT_EQ(s.host.requesters().size(), 1u);
    EXPECT_EQ(s.host.blockCount(), blocks);
    EXPECT_EQ(s.host.openRequester()->toFrontCount, 1);
}

TEST(PluginPanel, LogoCoversTheLogoAndPartlyTransparentEdges) {
    // The picture is not trivial: transparent, opaque and partly covered pixels all occur,
    // so a missing premultiplication shows.
    int clear = 0, solid = 0, partial = 0;
    for (uint32_t w : daub::logoData) {
        const uint32_t a = w >> 24;
        clear += a == 0;
        solid += a == 255;
        partial += a > 0 && a < 255 && ((w >> 16) & 255) > 0;
    }
    EXPECT_GT(clear, 1000);
    EXPECT_GT(solid, 500);
    EXPECT_GT(partial, 50);

    // Blocks of another size than asked: clipped to them, their own row length kept.
    for (auto size : {std::pair<int, int>{20, 7}, {200, 40}, {1, 1}}) {
        ModuleScene s;
        s.host.faults().buttonImageSize = size;
        s.module.open(s.f());
        s.host.clearCalls();
        EXPECT_EQ(s.module.parameters(s.f()), 1);
        const PIBlock* block = logoBlock(s.host);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(blockBytes(block), expectedLogo(size.first, size.second));
        const hostsim::Call refresh = s.host.calls()[6];
        EXPECT_EQ(refresh.slots[5], size.first);
        EXPECT_EQ(refresh.slots[6], size.second);
    }

    // No block at all: no painting, no refresh, the buttons all the same.
    ModuleScene s;
    s.host.faults().buttonImageNull = true;
    s.module.open(s.f());
    EXPECT_EQ(s.module.parameters(s.f()), 1);
    ASSERT_NE(s.host.openRequester(), nullptr);
    checkButtons(*s.host.openRequester(), kEnglish);
    EXPECT_EQ(s.host.openRequester()->button(17)->refreshCount, 0);
}

TEST(PluginPanel, PanelWithLocalisationFile) {
    ModuleScene s;
    s.host.addLocalFile("daubwise.loc",
                        {{10015, "Knopf"}, {10016, "Hilfe"}, {10013, ""}, {30000, "Kein Panel"}});
    s.module.open(s.f());

    // The localised text replaces the requester failure message.
    s.host.faults().failOpenRequester = true;
    EXPECT_EQ(s.module.parameters(s.f()), 0);
    EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Kein Panel"});
    s.host.faults().failOpenRequester = false;

    s.host.clearCalls();
    EXPECT_EQ(s.module.parameters(s.f()), 1);
    std::vector<int64_t> asked;
    for (const hostsim::Call& c : s.host.callsOf(hostsim::kCmdGetLocalString))
        asked.push_back(c.slots.at(1));
    EXPECT_EQ(asked, (std::vector<int64_t>{10015, 10016, 10015, 10016, 10015, 10016, 10013, 10014,
                                           10015, 10016}));
    // One shared text for four buttons; an empty text counts as absent.
    const Expected localised[5] = {
        {11, 45, "Knopf", "Hilfe"},
        {12, 65, "Knopf", "Hilfe"},
        {13, 85, "Knopf", "Hilfe"},
        {14, 105, "Set BG Scribble", "Paints a transparent scribble for background"},
        {15, 125, "Knopf", "Hilfe"},
    };
    checkButtons(*s.host.openRequester(), localised);

    // Closing the plug-in closes the file and the panel.
    s.host.clearCalls();
    s.module.close(s.f());
    EXPECT_EQ(shape(s.host), (std::vector<std::pair<int64_t, int64_t>>{{1229, -1}, {229, -1}}));
    EXPECT_EQ(s.host.openLocalFileCount(), 0);
    EXPECT_EQ(s.host.openRequester(), nullptr);
}

TEST(PluginPanel, RequesterFailureInEnglish) {
    ModuleScene s;
    s.module.open(s.f());
    s.host.faults().failOpenRequester = true;
    EXPECT_EQ(s.module.parameters(s.f()), 0);
    EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Can't Open Requester !"});
    s.host.faults().failOpenRequester = false;
    EXPECT_EQ(s.module.parameters(s.f()), 1);
    EXPECT_NE(s.host.openRequester(), nullptr);
}

TEST(PluginPanel, OpenSettingRoundTrip) {
    ModuleScene s;
    s.module.open(s.f());
    EXPECT_EQ(s.module.parameters(s.f()), 1);
    const int64_t first = s.host.openRequester()->handle;
    s.host.closeRequesterByUser(first);
    EXPECT_EQ(s.module.closePanel(s.f(), 1), 1);
    EXPECT_EQ(s.host.userString("Daubwise 1.0", "Open"), std::string("1"));
    s.module.close(s.f());

    // Reopened at the next start, before the background colour is read.
    s.host.clearCalls();
    EXPECT_EQ(s.module.open(s.f()), 1);
    std::vector<int64_t> order;
    for (const hostsim::Call& c : s.host.calls())
        if (c.command == 729 || c.command == 234 || c.command == 728) order.push_back(c.command);
    EXPECT_EQ(order, (std::vector<int64_t>{729, 234, 729, 728}));
    ASSERT_NE(s.host.openRequester(), nullptr);
    EXPECT_NE(s.host.openRequester()->handle, first);
    EXPECT_EQ(s.host.calls()[1].text(0), "Daubwise 1.0");  // the section of "Open"

    // Only the low 32 bits of the fifth slot are stored.
    s.host.closeRequesterByUser(s.host.openRequester()->handle);
    EXPECT_EQ(s.module.closePanel(s.f(), (int64_t{1} << 32) - 7), 1);
    EXPECT_EQ(s.host.userString("Daubwise 1.0", "Open"), std::string("-7"));
    s.module.close(s.f());

    for (const char* stored : {"0", "abc", "", " 7x", "-3"}) {
        s.host.setUserString("Daubwise 1.0", "Open", stored);
        const size_t before = s.host.requesters().size();
        s.module.open(s.f());
        const bool opens = std::strcmp(stored, " 7x") == 0 || std::strcmp(stored, "-3") == 0;
        EXPECT_EQ(s.host.requesters().size(), before + (opens ? 1 : 0)) << "'" << stored << "'";
        s.module.close(s.f());
    }
}

TEST(PluginPanel, AboutSequencesWorkAndStart) {
    ModuleScene s;
    s.module.open(s.f());
    EXPECT_STREQ(s.f()->name, "Daubwise 1.0");
    EXPECT_EQ(s.f()->version, 1);
    EXPECT_EQ(s.f()->revision, 1);
    s.module.about(s.f());
    EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Daubwise 1.0 1,1"});

    s.host.clearCalls();
    EXPECT_EQ(s.module.sequenceStart(s.f(), 1), 1);
    EXPECT_TRUE(s.host.calls().empty());
    for (int n : {0, 2}) EXPECT_EQ(s.module.sequenceStart(s.f(), n), 0);
    EXPECT_EQ(s.host.warnings().size(), 3u);
    EXPECT_EQ(s.host.warnings()[1], "Sequences not yet supported :(");
    EXPECT_EQ(s.host.warnings()[2], "Sequences not yet supported :(");

    s.host.clearCalls();
    const int32_t rect[4] = {3, 1, 4, 2};
    std::memcpy(s.f()->updateRect, rect, sizeof rect);
    EXPECT_EQ(s.module.work(s.f()), 1);
    ASSERT_FALSE(s.host.redraws().empty());
    EXPECT_EQ(s.host.redraws().back(), (std::array<int, 4>{3, 1, 4, 2}));
    EXPECT_EQ(s.module.start(s.f(), 0.5, -2.0), 1);
    s.module.finish(s.f());
    s.module.sequenceFinish(s.f());
    EXPECT_EQ(s.host.calls().size(), 1u);
}

TEST(PluginPanel, MessagesAndButtonsOutsideAScribblesLayer) {
    ModuleScene s;
    s.module.open(s.f());
    s.host.clearCalls();
    // Any other button, the logo included, asks to close; ids compare as whole 64-bit values.
    for (int64_t id : {int64_t{17}, int64_t{16}, int64_t{10}, int64_t{0}, (int64_t{1} << 32) + 11})
        EXPECT_EQ(s.module.pressButton(s.f(), id), 1);
    EXPECT_EQ(s.host.closeRequests(), 5);
    EXPECT_EQ(s.host.calls().size(), 5u);
    for (int64_t message : {110, 200, 221, 0, -1})
        EXPECT_EQ(s.module.message(s.f(), message, 15), 1);
    EXPECT_EQ(s.host.calls().size(), 5u);

    // Pens and Paint want a scribbles layer: the word must be there, in lower case.
    const int layer = s.host.addLayer("Scribbles");
    for (int id : {13, 14, 15}) {
        s.host.clearCalls();
        EXPECT_EQ(s.module.pressButton(s.f(), id), 0);
        EXPECT_EQ(s.host.scriptCommands(),
                  (std::vector<std::string>{"om_LayerCurrentID",
                                            "om_LayerInfo " + std::to_string(layer)}));
    }
    EXPECT_EQ(s.host.warnings(), std::vector<std::string>(3, "Scribbles layer not selected!"));
}

}  // namespace
