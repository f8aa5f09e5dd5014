// What a Paint and layer creation may touch, checked byte for byte on every layer of the image:
// the real module loaded with dlopen, driven by the stand-in host.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "hostsim/Host.h"
#include "support/ModuleScene.h"

namespace {

using daubtest::ModuleScene;
using daubtest::Snapshot;
using hostsim::Pixel;

const Pixel kInk{255, 0, 0, 0};
const Pixel kRed{255, 200, 10, 20};
const Pixel kBlue{255, 5, 30, 220};
const Pixel kBg{255, 255, 0, 255};
const Pixel kClear{0, 0, 0, 0};

// Ink lines through the middle make four areas, over a faint wash so that no pixel of the
// layer is blank by accident.
void drawInk(ModuleScene& s, int id) {
    const int w = s.host.width(), h = s.host.height();
    s.host.fillLayer(id, Pixel{40, 90, 90, 90});
    s.fill(id, 0, h / 2, w - 1, h / 2 + 1, kInk);
    s.fill(id, w / 2, 0, w / 2 + 1, h - 1, kInk);
}

// Red top left, blue top right, background bottom right, nothing bottom left.
void scribble(ModuleScene& s, int id) {
    const int w = s.host.width(), h = s.host.height();
    s.fill(id, 2, 2, 5, 4, kRed);
    s.fill(id, w - 6, 2, w - 3, 4, kBlue);
    s.fill(id, w - 6, h - 5, w - 3, h - 3, kBg);
}

}  // namespace

// After layer creation through the panel, Paints (the second one over an already painted colour
// layer) leave every layer but the colour layer exactly as it was.
TEST(PluginLayerIsolation, PaintChangesOnlyTheColourLayer) {
    ModuleScene s(41, 29);
    const int paper = s.host.addLayer("paper");
    s.host.fillLayer(paper, Pixel{255, 250, 245, 240});
    const int ink = s.host.addLayer("ink");
    drawInk(s, ink);
    s.host.setCurrentLayer(ink);
    s.open();
    ASSERT_EQ(s.press(11), 1);
    const int scribbles = s.host.currentLayerId();
    const int color = s.host.layerIdAt(s.host.positionOf(scribbles) + 1);
    ASSERT_EQ(s.host.layer(color)->name, "ink_color");
    const int top = s.host.addLayer("notes");
    s.host.fillLayer(top, Pixel{9, 8, 7, 6});
    scribble(s, scribbles);

    for (int round = 0; round < 2; ++round) {
        const Snapshot before = s.snapshot();
        ASSERT_EQ(s.press(15), 1);
        EXPECT_TRUE(s.host.warnings().empty());
        EXPECT_EQ(s.writes(), 1);
        const std::vector<int> changed = s.changedSince(before);
        if (round == 0) {
            EXPECT_EQ(changed, std::vector<int>{color});
        } else {
            EXPECT_TRUE(changed.empty());  // the same inputs paint the same colours
        }
        for (int id : {paper, ink, scribbles, top})
            EXPECT_EQ(s.host.layer(id)->pixels, before.at(id)) << "layer " << id;
        EXPECT_EQ(s.host.currentLayerId(), scribbles);
    }
    // The colour layer really holds the scribbles' colours.
    EXPECT_EQ(s.host.pixel(color, 0, 0), kRed);
    EXPECT_EQ(s.host.pixel(color, 40, 0), kBlue);
    EXPECT_EQ(s.host.pixel(color, 40, 28), kClear);
}

// Every way a Paint can stop, each on a fresh image: no layer changes, and only a host that
// refuses the write itself sees one asked for.
TEST(PluginLayerIsolation, PaintsThatStopChangeNoLayer) {
    enum Case {
        kScribblesUnreadable,
        kOutlineUnreadable,
        kTooManyColours,
        kEmptyScribbles,
        kScribblesFirst,
        kScribblesLast,
        kWriteRefused,
        kRecordWiderThanLayers,
        kNoPixels,
        kOneLayer,
        kCaseCount
    };
    for (int c = 0; c < kCaseCount; ++c) {
        SCOPED_TRACE("case " + std::to_string(c));
        ModuleScene s(c == kNoPixels ? 0 : 23, 17);
        int ink = 0, scribbles = 0;
        if (c == kScribblesFirst) {
            scribbles = s.host.addLayer("ink_scribbles");
            ink = s.host.addLayer("ink_color");
            drawInk(s, ink);
        } else if (c == kOneLayer) {
            scribbles = s.host.addLayer("ink_scribbles");
        } else {
            ink = s.host.addLayer("ink");
            drawInk(s, ink);
            scribbles = s.host.addLayer("ink_scribbles");
            if (c != kScribblesLast) s.host.fillLayer(s.host.addLayer("ink_color"), kRed);
        }
        if (c != kEmptyScribbles) scribble(s, scribbles);
        if (c == kTooManyColours) {
            for (int i = 0; i < 130; ++i)
                s.host.setPixel(scribbles, i % 23, i / 23,
                                Pixel{255, uint8_t(i), 100, uint8_t(i * 3)});
        }
        s.host.setCurrentLayer(scribbles);
        s.open();
        hostsim::Faults& f = s.host.faults();
        if (c == kScribblesUnreadable) f.failLayerReadIds.insert(scribbles);
        if (c == kOutlineUnreadable) f.failLayerReadIds.insert(ink);
        if (c == kWriteRefused) f.failLayerWrites = true;
        if (c == kRecordWiderThanLayers) s.host.filter()->width = 24;

        const Snapshot before = s.snapshot();
        EXPECT_EQ(s.press(15), 1);  // a Paint that stops still answers 1
        EXPECT_TRUE(s.changedSince(before).empty());
        EXPECT_EQ(s.writes(), c == kWriteRefused ? 1 : 0);
        if (c == kTooManyColours) {
            EXPECT_EQ(s.host.warnings().size(), 1u);
        }
        if (c == kScribblesFirst || c == kScribblesLast) {
            EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Cannot change current layer"});
        }
        if (c == kEmptyScribbles || c == kNoPixels || c == kOneLayer) {
            EXPECT_TRUE(s.host.warnings().empty());
        }
    }
}

// Creation refused at the colour name leaves exactly one new layer, the scribbles layer, right
// above the source and current; nothing else is touched: no other layer's pixels, no blending
// mode, no pen.
TEST(PluginLayerIsolation, CreationRefusedAtTheColourNameAddsOnlyTheScribblesLayer) {
    for (int button : {11, 12}) {
        SCOPED_TRACE("button " + std::to_string(button));
        ModuleScene s(9, 7);
        const int below = s.host.addLayer("below");
        s.host.fillLayer(below, Pixel{255, 1, 2, 3});
        const int ink = s.host.addLayer("ink");
        drawInk(s, ink);
        const int other = s.host.addLayer("other");
        s.host.fillLayer(other, Pixel{128, 4, 5, 6});
        const int color = s.host.addLayer("ink_color");
        s.host.fillLayer(color, kBlue);
        s.host.setCurrentLayer(ink);
        s.host.setPenColor(12, 34, 56);
        s.open();
        const auto namesBefore = s.host.layerNames();
        const Snapshot before = s.snapshot();

        EXPECT_EQ(s.press(button), 0);
        EXPECT_EQ(s.host.warnings(),
                  std::vector<std::string>{"Scribble/color layers already exist!"});
        EXPECT_EQ(s.host.layerNames(), (std::vector<std::string>{"below", "ink", "ink_scribbles",
                                                                 "other", "ink_color"}));
        EXPECT_TRUE(s.changedSince(before).empty());
        for (int id : {below, ink, other, color}) EXPECT_EQ(s.host.layer(id)->blendMode, "Normal");

        const int made = s.host.layerIdAt(2);
        EXPECT_EQ(before.count(made), 0u);
        EXPECT_EQ(s.host.currentLayerId(), made);
        // The new layer holds nothing but, with the frame button, the background frame.
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool edge = x == 0 || y == 0 || x == 8 || y == 6;
                EXPECT_EQ(s.host.pixel(made, x, y), button == 12 && edge ? kBg : kClear)
                    << x << "," << y;
            }
        EXPECT_EQ(s.host.penColor(), (std::array<int, 3>{12, 34, 56}));
        for (const std::string& c : s.host.scriptCommands()) {
            EXPECT_NE(c.rfind("om_PenBrush", 0), 0u) << c;
            EXPECT_NE(c.rfind("om_layerblendingmode", 0), 0u) << c;
            EXPECT_NE(c.rfind("om_SetAPen", 0), 0u) << c;
        }
        EXPECT_EQ(s.host.layerCount(), static_cast<int>(namesBefore.size()) + 1);
    }
}
