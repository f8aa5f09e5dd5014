// The Paint button end to end: the real module loaded with dlopen, driven by the stand-in host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/solver.h"
#include "hostsim/Host.h"
#include "support/ModuleScene.h"

namespace {

using daubtest::countPrefix;
using daubtest::ModuleScene;
using hostsim::Host;
using hostsim::Pixel;

constexpr int64_t kPaint = 15;
const Pixel kClear{0, 0, 0, 0};
const Pixel kInkBlack{255, 0, 0, 0};
const char* const kTooComplex =
    "Too complex scribble layer. Please use 'Set FG/BG Scribble' to avoid smooth pen strokes.";
const char* const kNoMemory = "Not enough memory to paint this image.";

// One dispatch call as a line: script commands by text ("?" when an answer buffer went
// along), layer transfers by their slots after the buffer, warnings by text.
std::string describe(const hostsim::Call& c) {
    switch (c.command) {
        case hostsim::kCmdSendCmd:
            return c.text(0) + (c.slots.size() > 1 && c.slots[1] != 0 ? " ?" : "");
        case hostsim::kCmdReadLayer:
        case hostsim::kCmdWriteLayer: {
            std::string s = c.command == hostsim::kCmdReadLayer ? "read" : "write";
            if (c.slots.empty() || c.slots[0] == 0) s += " (null)";
            for (size_t k = 1; k < c.slots.size(); ++k) s += " " + std::to_string(c.slots[k]);
            return s;
        }
        case hostsim::kCmdWarning:
            return "warning " + c.text(0);
        default:
            return "command " + std::to_string(c.command);
    }
}

std::vector<std::string> describeAll(const Host& host) {
    std::vector<std::string> out;
    for (const hostsim::Call& c : host.calls()) out.push_back(describe(c));
    return out;
}

// What a Paint should give, computed from the two layers without the module.
std::vector<uint8_t> expectedColourLayer(const Host& host, int inkId, int scribblesId,
                                         const int bg[3]) {
    const int w = host.width(), h = host.height();
    const std::vector<uint8_t>& ink = host.layer(inkId)->pixels;
    std::vector<uint8_t> scrib = host.layer(scribblesId)->pixels;
    const size_t n = static_cast<size_t>(w) * h;
    std::vector<unsigned char> grey(n);
    for (size_t i = 0; i < n; ++i) {
        const int a = ink[4 * i], sum = ink[4 * i + 1] + ink[4 * i + 2] + ink[4 * i + 3];
        grey[i] = static_cast<unsigned char>(((255 - a) * 255 + sum * a / 3) / 255);
    }
    auto nearBg = [&](const uint8_t* p) {
        for (int k = 0; k < 3; ++k)
            if (p[k] - bg[k] < -1 || p[k] - bg[k] > 1) return false;
        return true;
    };
    auto value = [](const uint8_t* p) {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    std::set<uint32_t> colours;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = &scrib[4 * i];
        if (p[0] == 0) continue;
        if (nearBg(p + 1))
            for (int k = 0; k < 3; ++k) p[1 + k] = static_cast<uint8_t>(bg[k]);
        colours.insert(value(p));
    }
    std::vector<uint32_t> byLabel(colours.begin(), colours.end());
    std::vector<int> labels(n, -1);
    for (size_t i = 0; i < n; ++i) {
        if (scrib[4 * i] == 0) continue;
        labels[i] = static_cast<int>(
            std::lower_bound(byLabel.begin(), byLabel.end(), value(&scrib[4 * i])) -
            byLabel.begin());
    }
    std::vector<int> result(n, -1);
    solverSolve(w, h, grey.data(), labels.data(), static_cast<int>(byLabel.size()), result.data());
    std::vector<uint8_t> out(4 * n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t v = byLabel.at(static_cast<size_t>(result[i]));
        uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        if (nearBg(bytes + 1)) v = 0;
        for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    return out;
}

TEST(PluginPaint, HostCommandsOfOnePaintInOrder) {
    ModuleScene s(7, 5);
    s.open();
    s.threeLayers();
    s.host.setPixel(s.scribbles, 1, 1, Pixel{255, 200, 30, 40});
    s.host.setPixel(s.scribbles, 5, 3, Pixel{255, 255, 0, 255});
    EXPECT_EQ(s.press(kPaint), 1);
    const std::vector<std::string> expected = {
        // the panel's test of the current layer
        "om_LayerCurrentID ?", "om_LayerInfo 1002 ?",
        // init
        "om_LayerGetID 0 ?", "om_LayerGetID 1 ?", "om_LayerGetID 2 ?", "om_LayerGetID 3 ?",
        "om_LayerCurrentID ?",
        // scribbles, then the outlines one position down
        "read 0 0 7 5 0 0", "om_updateundo", "om_LayerGetPos 1002 ?", "om_LayerSet 1001",
        "read 0 0 7 5 0 0", "om_LayerSet 1002",
        // the colour layer one position up
        "om_LayerGetPos 1002 ?", "om_LayerSet 1003", "write 0 0 7 5 0 1", "om_updateundo",
        "om_LayerSet 1002"};
    EXPECT_EQ(describeAll(s.host), expected);
    EXPECT_TRUE(s.host.warnings().empty());
    EXPECT_EQ(s.host.currentLayerId(), s.scribbles);
}

TEST(PluginPaint, ColourLayerOfClosedShapes) {
    // Three closed boxes on a 19 by 13 image: A scribbled in red, B in a half-opaque blue,
    // C left alone; the paper outside them carries background scribbles, one slightly off.
    ModuleScene s(19, 13);
    s.open();
    s.threeLayers();
    s.outline(s.ink, 1, 1, 7, 11, kInkBlack);
    s.outline(s.ink, 9, 1, 17, 5, kInkBlack);
    s.outline(s.ink, 9, 7, 17, 11, kInkBlack);
    const Pixel red{255, 200, 30, 40}, blue{200, 20, 60, 220};
    // Scribbles tie with a strength that grows with the image, so they must outweigh
    // the outlines around them: broad strokes here.
    s.fill(s.scribbles, 3, 3, 5, 9, red);
    s.fill(s.scribbles, 11, 2, 15, 4, blue);
    s.fill(s.scribbles, 0, 0, 0, 12, Pixel{255, 254, 1, 254});
    s.host.setPixel(s.scribbles, 18, 6, Pixel{255, 255, 0, 255});
    const std::vector<uint8_t> inkBefore = s.bytes(s.ink), scribBefore = s.bytes(s.scribbles);

    EXPECT_EQ(s.press(kPaint), 1);
    EXPECT_TRUE(s.host.warnings().empty());
    for (int y = 2; y <= 10; ++y)
        for (int x = 2; x <= 6; ++x) EXPECT_EQ(s.host.pixel(s.color, x, y), red) << x << "," << y;
    for (int y = 2; y <= 4; ++y)
        for (int x = 10; x <= 16; ++x)
            EXPECT_EQ(s.host.pixel(s.color, x, y), blue) << x << "," << y;
    // The paper outside the boxes is transparent, the snapped scribbles included.
    for (int x = 0; x < 19; ++x) {
        EXPECT_EQ(s.host.pixel(s.color, x, 0), kClear) << x;
        EXPECT_EQ(s.host.pixel(s.color, x, 12), kClear) << x;
    }
    for (int y = 0; y < 13; ++y) {
        EXPECT_EQ(s.host.pixel(s.color, 8, y), kClear) << y;
        EXPECT_EQ(s.host.pixel(s.color, 18, y), kClear) << y;
    }
    // The unscribbled box gets one colour throughout.
    const Pixel c = s.host.pixel(s.color, 10, 8);
    for (int y = 8; y <= 10; ++y)
        for (int x = 10; x <= 16; ++x) EXPECT_EQ(s.host.pixel(s.color, x, y), c) << x << "," << y;
    // Only the colour layer changed.
    EXPECT_EQ(s.bytes(s.ink), inkBefore);
    EXPECT_EQ(s.bytes(s.scribbles), scribBefore);
    EXPECT_EQ(s.host.undoSteps(), 2);
}

TEST(PluginPaint, SingleLabelImages) {
    {
        // One colour only: the whole layer in it, with the scribble's own opacity.
        ModuleScene s(7, 5);
        s.open();
        s.threeLayers();
        s.outline(s.ink, 1, 1, 4, 3, kInkBlack);
        const Pixel green{90, 10, 240, 30};
        s.host.setPixel(s.scribbles, 6, 4, green);
        EXPECT_EQ(s.press(kPaint), 1);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(s.host.pixel(s.color, x, y), green);
    }
    {
        // Background only: the whole layer written transparent, whatever was there.
        ModuleScene s(7, 5);
        s.open();
        s.threeLayers();
        s.host.fillLayer(s.color, Pixel{255, 1, 2, 3});
        s.host.setPixel(s.scribbles, 2, 2, Pixel{17, 254, 0, 255});
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(countPrefix(describeAll(s.host), "write"), 1);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(s.host.pixel(s.color, x, y), kClear);
    }
}

TEST(PluginPaint, ColourLayerEqualsTheEngineOnTheSameImages) {
    const int bg[3] = {255, 0, 255};
    // Same colour at two opacities, red/blue/magenta, near-background values on both sides
    // of the snapping limit.
    const Pixel palette[] = {{255, 255, 0, 0},   {255, 0, 0, 255},   {255, 255, 0, 255},
                             {255, 254, 1, 254}, {255, 253, 0, 255}, {120, 40, 200, 90},
                             {255, 40, 200, 90}, {9, 255, 0, 255}};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        const int w = 23 + static_cast<int>(seed % 3), h = 17 - static_cast<int>(seed % 2);
        ModuleScene s(w, h);
        s.open();
        s.threeLayers();
        // Strokes of ink in random greys and opacities, plus transparent pixels with colour.
        for (int stroke = 0; stroke < 6; ++stroke) {
            int x = rng() % w, y = rng() % h;
            const Pixel p{static_cast<uint8_t>(rng() % 256), static_cast<uint8_t>(rng() % 90),
                          static_cast<uint8_t>(rng() % 90), static_cast<uint8_t>(rng() % 90)};
            for (int step = 0; step < 30; ++step) {
                s.host.setPixel(s.ink, x, y, p);
                if (rng() % 2)
                    x = (x + 1) % w;
                else
                    y = (y + 1) % h;
            }
        }
        for (int k = 0; k < 8; ++k)
            s.host.setPixel(s.ink, rng() % w, rng() % h, Pixel{0, 12, 34, 56});
        const int colours = 2 + static_cast<int>(seed % 6);
        for (int dab = 0; dab < 14; ++dab)
            s.host.setPixel(s.scribbles, rng() % w, rng() % h, palette[dab % colours]);
        s.host.setPixel(s.scribbles, 0, 0, Pixel{0, 200, 30, 40});  // no opacity: no scribble

        const std::vector<uint8_t> expected = expectedColourLayer(s.host, s.ink, s.scribbles, bg);
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_TRUE(s.host.warnings().empty());
        const std::vector<uint8_t> got = s.bytes(s.color);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_EQ(got[i], expected[i])
                << "seed " << seed << " pixel " << i / 4 << " byte " << i % 4;
    }
}

TEST(PluginPaint, OutlineGreyMovesACutByOneStep) {
    // Between a red and a blue scribble stand two ink columns, black on every other row; the
    // cut passes beside the one whose pixels weigh less. The other rows of column A hold
    // part-opaque ink that comes out at exactly 192 over white, the bright threshold's value;
    // those of column B opaque grey 192, but for one pixel a step darker or lighter. So A must
    // lose to the darker B and win over the lighter one: its grey a step off either way moves
    // the cut, and the pixels between the columns change colour. Weights grow with width plus
    // height: on a smaller image neighbouring greys near 192 may weigh the same.
    const int w = 61, h = 41, xA = 28, xB = 31, yOff = 21;
    const Pixel kAt192[] = {{66, 10, 12, 13},
                            {79, 40, 52, 63},
                            {93, 70, 82, 95},
                            {112, 100, 111, 124},
                            {123, 110, 125, 139}};
    for (const Pixel& p : kAt192)
        ASSERT_EQ(((255 - p.a) * 255 + (p.r + p.g + p.b) * p.a / 3) / 255, 192);
    const Pixel red{255, 200, 30, 40}, blue{255, 20, 60, 220};

    for (const int off : {191, 193}) {
        SCOPED_TRACE("B's pixel at " + std::to_string(off));
        ModuleScene s(w, h);
        s.open();
        s.threeLayers();
        for (int y = 0; y < h; ++y) {
            const bool black = y % 2 == 0;
            s.host.setPixel(s.ink, xA, y, black ? kInkBlack : kAt192[(y / 2) % 5]);
            const uint8_t g = static_cast<uint8_t>(y == yOff ? off : 192);
            s.host.setPixel(s.ink, xB, y, black ? kInkBlack : Pixel{255, g, g, g});
        }
        s.fill(s.scribbles, 2, 0, 5, h - 1, red);
        s.fill(s.scribbles, w - 6, 0, w - 3, h - 1, blue);

        EXPECT_EQ(s.press(kPaint), 1);
        const int lastRed = off < 192 ? xB : xA;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(s.host.pixel(s.color, x, y), x <= lastRed ? red : blue) << x << "," << y;
    }
}

TEST(PluginPaint, LabelLimitAndEmptyScribbles) {
    for (int count : {128, 129}) {
        ModuleScene s(17, 9);
        s.open();
        s.threeLayers();
        for (int i = 0; i < count; ++i)
            s.host.setPixel(s.scribbles, i % 17, i / 17,
                            Pixel{255, static_cast<uint8_t>(i), 7, static_cast<uint8_t>(i / 2)});
        const std::vector<uint8_t> before = s.bytes(s.color);
        EXPECT_EQ(s.press(kPaint), 1);
        const std::vector<std::string> calls = describeAll(s.host);
        if (count == 128) {
            EXPECT_TRUE(s.host.warnings().empty());
            EXPECT_EQ(countPrefix(calls, "write"), 1);
        } else {
            EXPECT_EQ(s.host.warnings(), std::vector<std::string>{kTooComplex});
            EXPECT_EQ(countPrefix(calls, "write"), 0);
            EXPECT_EQ(countPrefix(calls, "om_updateundo"), 0);
            EXPECT_EQ(s.bytes(s.color), before);
        }
    }
    // Nothing opaque on the scribbles layer: a quiet stop after reading it.
    ModuleScene s(7, 5);
    s.open();
    s.threeLayers();
    s.host.fillLayer(s.scribbles, Pixel{0, 255, 255, 255});
    EXPECT_EQ(s.press(kPaint), 1);
    const std::vector<std::string> calls = describeAll(s.host);
    EXPECT_TRUE(s.host.warnings().empty());
    EXPECT_EQ(countPrefix(calls, "read"), 1);
    EXPECT_EQ(countPrefix(calls, "write"), 0);
    EXPECT_EQ(countPrefix(calls, "om_updateundo"), 0);
}

TEST(PluginPaint, FailuresOfTheLayerArrangement) {
    const Pixel dab{255, 200, 30, 40};
    {
        // One layer only: the Paint ends at the layer table, nothing read.
        ModuleScene s(7, 5);
        s.open();
        int only = s.host.addLayer("lone_scribbles");
        s.host.setPixel(only, 1, 1, dab);
        EXPECT_EQ(s.press(kPaint), 1);
        const std::vector<std::string> expected = {"om_LayerCurrentID ?", "om_LayerInfo 1001 ?",
                                                   "om_LayerGetID 0 ?", "om_LayerGetID 1 ?"};
        EXPECT_EQ(describeAll(s.host), expected);
    }
    {
        // The scribbles layer cannot be read.
        ModuleScene s(7, 5);
        s.open();
        s.threeLayers();
        s.host.setPixel(s.scribbles, 1, 1, dab);
        s.host.faults().failLayerReadIds = {s.scribbles};
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Cannot read scribbles layer"});
        const std::vector<std::string> calls = describeAll(s.host);
        EXPECT_EQ(countPrefix(calls, "om_updateundo"), 0);
        EXPECT_EQ(countPrefix(calls, "write"), 0);
    }
    {
        // Scribbles at position 0: no outline below it.
        ModuleScene s(7, 5);
        s.open();
        s.scribbles = s.host.addLayer("ink_scribbles");
        s.color = s.host.addLayer("ink_color");
        s.host.setPixel(s.scribbles, 1, 1, dab);
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Cannot change current layer"});
        const std::vector<std::string> calls = describeAll(s.host);
        EXPECT_EQ(countPrefix(calls, "read"), 1);
        EXPECT_EQ(countPrefix(calls, "write"), 0);
        EXPECT_EQ(countPrefix(calls, "om_LayerSet"), 0);
        EXPECT_EQ(s.host.currentLayerId(), s.scribbles);
    }
    {
        // The outline layer cannot be read: it stays current, nothing is written.
        ModuleScene s(7, 5);
        s.open();
        s.threeLayers();
        s.host.setPixel(s.scribbles, 1, 1, dab);
        s.host.faults().failLayerReadIds = {s.ink};
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Cannot read outines layer"});
        EXPECT_EQ(countPrefix(describeAll(s.host), "write"), 0);
        EXPECT_EQ(s.host.currentLayerId(), s.ink);
    }
    {
        // Scribbles on top: the solver runs, nothing is written anywhere.
        ModuleScene s(7, 5);
        s.open();
        s.ink = s.host.addLayer("ink");
        s.scribbles = s.host.addLayer("ink_scribbles");
        s.host.setCurrentLayer(s.scribbles);
        s.host.setPixel(s.scribbles, 1, 1, dab);
        const std::vector<uint8_t> inkBefore = s.bytes(s.ink), scribBefore = s.bytes(s.scribbles);
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Cannot change current layer"});
        const std::vector<std::string> calls = describeAll(s.host);
        EXPECT_EQ(countPrefix(calls, "write"), 0);
        EXPECT_EQ(countPrefix(calls, "om_updateundo"), 1);  // the one after the scribbles read
        EXPECT_EQ(calls.back(), "warning Cannot change current layer");
        EXPECT_EQ(s.host.currentLayerId(), s.scribbles);
        EXPECT_EQ(s.bytes(s.ink), inkBefore);
        EXPECT_EQ(s.bytes(s.scribbles), scribBefore);
    }
}

TEST(PluginPaint, ImagesWithoutPixelsOrTooLarge) {
    {
        ModuleScene s(0, 5);
        s.open();
        s.threeLayers();
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_TRUE(s.host.warnings().empty());
        EXPECT_EQ(countPrefix(describeAll(s.host), "read"), 0);
    }
    for (auto size : {std::pair<int, int>{46341, 46341}, {65536, 65536}, {-3, -4}}) {
        ModuleScene s(7, 5);
        s.open();
        s.threeLayers();
        s.host.setPixel(s.scribbles, 1, 1, Pixel{255, 1, 2, 3});
        s.host.filter()->width = size.first;
        s.host.filter()->height = size.second;
        EXPECT_EQ(s.press(kPaint), 1);
        const std::vector<std::string> calls = describeAll(s.host);
        EXPECT_EQ(countPrefix(calls, "read"), 0);
        EXPECT_EQ(countPrefix(calls, "write"), 0);
        if (size.first > 0)
            EXPECT_EQ(s.host.warnings(), std::vector<std::string>{kNoMemory});
        else
            EXPECT_TRUE(s.host.warnings().empty());
        // The next Paint on a sane size works as before.
        s.host.filter()->width = 7;
        s.host.filter()->height = 5;
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(s.host.pixel(s.color, 6, 4), (Pixel{255, 1, 2, 3}));
    }
}

TEST(PluginPaint, LayerTableFromTheHostsAnswers) {
    {
        // 300 layers: the table stops at 255 entries.
        ModuleScene s(7, 5);
        s.open();
        for (int i = 0; i < 300; ++i) s.host.addLayer(i == 1 ? "x_scribbles" : "l");
        s.host.setCurrentLayer(s.host.layerIdAt(1));
        s.host.setPixel(s.host.layerIdAt(1), 1, 1, Pixel{255, 1, 2, 3});
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(countPrefix(describeAll(s.host), "om_LayerGetID"), 255);
        EXPECT_EQ(s.host.pixel(s.host.layerIdAt(2), 0, 0), (Pixel{255, 1, 2, 3}));
    }
    {
        // "NONE" in capitals ends the table: the colour layer then lies outside it.
        ModuleScene s(7, 5);
        s.open();
        s.host.addLayer("a");
        s.host.addLayer("b");
        s.scribbles = s.host.addLayer("b_scribbles");
        s.color = s.host.addLayer("b_color");
        s.host.addLayer("top");
        s.host.setCurrentLayer(s.scribbles);
        s.host.setPixel(s.scribbles, 1, 1, Pixel{255, 1, 2, 3});
        s.host.overrideAnswer({"om_LayerGetID 3", "NONE", false, false});
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(countPrefix(describeAll(s.host), "om_LayerGetID"), 4);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{"Cannot change current layer"});
        EXPECT_EQ(s.host.pixel(s.color, 1, 1), kClear);
    }
    {
        // "none " with a blank is a layer (id 0), and the table goes on.
        ModuleScene s(7, 5);
        s.open();
        s.threeLayers();
        s.host.overrideAnswer({"om_LayerGetID 3", "none ", false, false});
        s.host.setPixel(s.scribbles, 1, 1, Pixel{255, 1, 2, 3});
        EXPECT_EQ(s.press(kPaint), 1);
        EXPECT_EQ(countPrefix(describeAll(s.host), "om_LayerGetID"), 5);
        EXPECT_EQ(s.host.pixel(s.color, 1, 1), (Pixel{255, 1, 2, 3}));
    }
}

}  // namespace
