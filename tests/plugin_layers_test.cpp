// Layer creation, the scribble pens and the background colour setting, through the loaded
// module and the stand-in host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/Host.h"
#include "support/ModuleScene.h"

namespace {

using daubtest::countPrefix;
using daubtest::ModuleScene;
using hostsim::Pixel;

const char* const kBrush =
    "om_PenBrush mode 22 power 100 opacity 100 dry 0 aaliasing 0 Con_Power N";
const char* const kRefused = "Scribble/color layers already exist!";

std::vector<std::string> getIds(int layers) {
    std::vector<std::string> out;
    for (int p = 0; p <= layers; ++p) out.push_back("om_LayerGetID " + std::to_string(p));
    return out;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

TEST(PluginLayers, InkExampleWithBothButtons) {
    for (int button : {12, 11}) {
        ModuleScene s(640, 480);
        s.open();
        const int paper = s.host.addLayer("paper");  // 1001
        const int ink = s.host.addLayer("ink");      // 1002, p = 1
        const int top = s.host.addLayer("top");      // 1003
        s.host.setCurrentLayer(ink);
        s.host.setPenColor(10, 20, 30);
        EXPECT_EQ(s.press(button), 1);

        std::vector<std::string> expected = {"om_LayerCurrentID", "om_LayerGetPos 1002",
                                             "om_LayerInfo 1002"};
        append(expected, getIds(3));
        append(expected, {"om_LayerInfo 1001", "om_LayerInfo 1002", "om_LayerInfo 1003",
                          "om_LayerDuplicate ink_scribbles", "om_LayerSelect 0 9999",
                          "om_cmd heads om_clear", "om_layercolor set 0 7", "om_LayerAnim"});
        if (button == 12) {
            append(expected,
                   {"om_LayerSelect 0 9999", "om_cmd heads om_FastLine 0 0 639 0 255 0 255 255",
                    "om_LayerSelect 0 9999", "om_cmd heads om_FastLine 639 0 639 479 255 0 255 255",
                    "om_LayerSelect 0 9999", "om_cmd heads om_FastLine 639 479 0 479 255 0 255 255",
                    "om_LayerSelect 0 9999", "om_cmd heads om_FastLine 0 479 0 0 255 0 255 255"});
        }
        append(expected, getIds(4));
        append(expected,
               {"om_LayerInfo 1001", "om_LayerInfo 1002", "om_LayerInfo 1004", "om_LayerInfo 1003",
                "om_LayerDuplicate ink_color", "om_LayerSelect 0 9999", "om_cmd heads om_clear",
                "om_layercolor set 0 8", "om_LayerAnim"});
        append(expected, getIds(5));
        append(expected, {"om_LayerSet 1004", "om_layerblendingmode 1002 Multiply", kBrush});
        EXPECT_EQ(s.host.scriptCommands(), expected);
        EXPECT_TRUE(s.host.warnings().empty());

        // Answers are asked for exactly where they are read (and for the duplicates).
        for (const hostsim::Call& c : s.host.callsOf(hostsim::kCmdSendCmd)) {
            const std::string t = c.text(0);
            const bool asks = t.rfind("om_LayerCurrentID", 0) == 0 ||
                              t.rfind("om_LayerGetPos", 0) == 0 ||
                              t.rfind("om_LayerInfo", 0) == 0 || t.rfind("om_LayerGetID", 0) == 0 ||
                              t.rfind("om_LayerDuplicate", 0) == 0;
            EXPECT_EQ(c.slots.at(1) != 0, asks) << t;
        }

        const std::vector<std::string> names = {"paper", "ink", "ink_scribbles", "ink_color",
                                                "top"};
        EXPECT_EQ(s.host.layerNames(), names);
        const int scrib = s.host.layerIdAt(2), color = s.host.layerIdAt(3);
        EXPECT_EQ(s.host.currentLayerId(), scrib);
        EXPECT_EQ(s.host.layer(ink)->blendMode, "Multiply");
        EXPECT_EQ(s.host.layer(paper)->blendMode, "Normal");
        EXPECT_EQ(s.host.layer(top)->blendMode, "Normal");
        EXPECT_EQ(s.host.layer(scrib)->colorTag, 7);
        EXPECT_EQ(s.host.layer(color)->colorTag, 8);
        // The frame lies on the scribbles layer only; the colour layer is empty.
        const Pixel magenta{255, 255, 0, 255}, clear{0, 0, 0, 0};
        const Pixel edge = button == 12 ? magenta : clear;
        EXPECT_EQ(s.host.pixel(scrib, 0, 0), edge);
        EXPECT_EQ(s.host.pixel(scrib, 639, 200), edge);
        EXPECT_EQ(s.host.pixel(scrib, 300, 479), edge);
        EXPECT_EQ(s.host.pixel(scrib, 0, 333), edge);
        EXPECT_EQ(s.host.pixel(scrib, 1, 1), clear);
        EXPECT_EQ(s.host.pixel(color, 0, 0), clear);
        EXPECT_EQ(s.host.pixel(color, 639, 479), clear);
        EXPECT_EQ(s.host.penColor(), (std::array<int, 3>{10, 20, 30}));
    }
}

TEST(PluginLayers, RefusedSources) {
    // Sources that are scribbles or colour layers themselves, or have no quoted name.
    for (const char* name : {"lines_color_v2", "a_scribbles_b", "plain"}) {
        ModuleScene s(9, 7);
        s.open();
        int src = s.host.addLayer(name);
        if (std::string(name) == "plain")
            s.host.overrideAnswer({"om_LayerInfo", "name plain, no quotes", true, false});
        EXPECT_EQ(s.press(11), 0) << name;
        const std::vector<std::string> expected = {"om_LayerCurrentID",
                                                   "om_LayerGetPos " + std::to_string(src),
                                                   "om_LayerInfo " + std::to_string(src)};
        EXPECT_EQ(s.host.scriptCommands(), expected) << name;
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{kRefused});
        EXPECT_EQ(s.host.layerCount(), 1);
    }
}

TEST(PluginLayers, ExistingNamesAndRepeatedCreation) {
    {
        // Names compare whole and case-sensitive: INK_scribbles does not block ink_scribbles.
        ModuleScene s(9, 7);
        s.open();
        int ink = s.host.addLayer("ink");
        s.host.addLayer("INK_scribbles");
        s.host.setCurrentLayer(ink);
        EXPECT_EQ(s.press(11), 1);
        const std::vector<std::string> names = {"ink", "ink_scribbles", "ink_color",
                                                "INK_scribbles"};
        EXPECT_EQ(s.host.layerNames(), names);

        // A second creation on the same source is refused at the scribbles name.
        s.host.setCurrentLayer(ink);
        EXPECT_EQ(s.press(12), 0);
        EXPECT_EQ(s.host.layerNames(), names);
        EXPECT_EQ(countPrefix(s.host.scriptCommands(), "om_LayerDuplicate"), 0);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{kRefused});
    }
    {
        // ink_color already there: ink_scribbles is made with its frame, then refused.
        ModuleScene s(9, 7);
        s.open();
        int ink = s.host.addLayer("ink");
        s.host.addLayer("ink_color");
        s.host.setCurrentLayer(ink);
        EXPECT_EQ(s.press(12), 0);
        const std::vector<std::string> names = {"ink", "ink_scribbles", "ink_color"};
        EXPECT_EQ(s.host.layerNames(), names);
        const int scrib = s.host.layerIdAt(1);
        EXPECT_EQ(s.host.currentLayerId(), scrib);
        EXPECT_EQ(s.host.pixel(scrib, 8, 6), (Pixel{255, 255, 0, 255}));
        EXPECT_EQ(s.host.layer(ink)->blendMode, "Normal");
        const std::vector<std::string> cmds = s.host.scriptCommands();
        EXPECT_EQ(countPrefix(cmds, "om_LayerDuplicate"), 1);
        EXPECT_EQ(countPrefix(cmds, "om_cmd heads om_FastLine"), 4);
        EXPECT_EQ(countPrefix(cmds, "om_layerblendingmode"), 0);
        EXPECT_EQ(countPrefix(cmds, "om_PenBrush"), 0);
        EXPECT_EQ(s.host.warnings(), std::vector<std::string>{kRefused});
    }
}

TEST(PluginLayers, ScribblePens) {
    ModuleScene s(9, 7);
    s.open();
    int ink = s.host.addLayer("ink");
    s.host.setCurrentLayer(ink);
    s.host.setPenColor(10, 20, 30);
    ASSERT_EQ(s.press(11), 1);
    const std::vector<std::string> check = {"om_LayerCurrentID", "om_LayerInfo 1002"};

    // Foreground pen without a background pen before it: only the brush.
    EXPECT_EQ(s.press(13), 1);
    EXPECT_EQ(s.host.scriptCommands(), (std::vector<std::string>{check[0], check[1], kBrush}));

    // Background twice, then foreground while the pen is still the background colour.
    EXPECT_EQ(s.press(14), 1);
    EXPECT_EQ(s.host.scriptCommands(), (std::vector<std::string>{check[0], check[1], "om_GetAPen",
                                                                 "om_SetAPen 255 0 255", kBrush}));
    EXPECT_EQ(s.press(14), 1);
    EXPECT_EQ(s.host.scriptCommands(),
              (std::vector<std::string>{check[0], check[1], "om_SetAPen 255 0 255", kBrush}));
    EXPECT_EQ(s.press(13), 1);
    EXPECT_EQ(s.host.scriptCommands(), (std::vector<std::string>{check[0], check[1], "om_GetAPen",
                                                                 "om_SetAPen 10 20 30", kBrush}));
    EXPECT_EQ(s.host.penColor(), (std::array<int, 3>{10, 20, 30}));

    // Within one step of the background still counts as the background colour.
    EXPECT_EQ(s.press(14), 1);
    s.host.setPenColor(254, 1, 255);
    EXPECT_EQ(s.press(13), 1);
    EXPECT_EQ(s.host.penColor(), (std::array<int, 3>{10, 20, 30}));

    // A colour picked two steps away stays.
    EXPECT_EQ(s.press(14), 1);
    s.host.setPenColor(253, 0, 255);
    EXPECT_EQ(s.press(13), 1);
    EXPECT_EQ(s.host.scriptCommands(),
              (std::vector<std::string>{check[0], check[1], "om_GetAPen", kBrush}));
    EXPECT_EQ(s.host.penColor(), (std::array<int, 3>{253, 0, 255}));

    // An answer that is not three numbers leaves the pen alone.
    EXPECT_EQ(s.press(14), 1);
    s.host.overrideAnswer({"om_GetAPen", "255 0", false, false});
    EXPECT_EQ(s.press(13), 1);
    EXPECT_EQ(countPrefix(s.host.scriptCommands(), "om_SetAPen"), 0);
    EXPECT_TRUE(s.host.warnings().empty());
}

TEST(PluginLayers, BackgroundColourSetting) {
    {
        // Missing: the default is used and stored.
        ModuleScene s(9, 7);
        s.open();
        EXPECT_EQ(s.host.userString("Daubwise-1.0", "bgValues"), std::string("255 0 255 255"));
    }
    {
        // Extra numbers are dropped; a short text keeps the earlier components; the colour
        // reaches the frame lines and the background pen.
        ModuleScene s(9, 7);
        s.host.setUserString("Daubwise-1.0", "bgValues", "1 2 3 4 5");
        s.open();
        EXPECT_EQ(s.host.userString("Daubwise-1.0", "bgValues"), std::string("1 2 3 4"));
        s.host.setUserString("Daubwise-1.0", "bgValues", "0 0 255");
        s.open();
        EXPECT_EQ(s.host.userString("Daubwise-1.0", "bgValues"), std::string("0 0 255 4"));
        s.host.setUserString("Daubwise-1.0", "bgValues", " 12  34 56 78 junk");
        s.open();
        EXPECT_EQ(s.host.userString("Daubwise-1.0", "bgValues"), std::string("12 34 56 78"));

        int ink = s.host.addLayer("ink");
        s.host.setCurrentLayer(ink);
        EXPECT_EQ(s.press(12), 1);
        EXPECT_EQ(
            countPrefix(s.host.scriptCommands(), "om_cmd heads om_FastLine 0 0 8 0 12 34 56 78"),
            1);
        EXPECT_EQ(s.host.pixel(s.host.layerIdAt(1), 4, 0), (Pixel{78, 12, 34, 56}));
        EXPECT_EQ(s.press(14), 1);
        EXPECT_EQ(countPrefix(s.host.scriptCommands(), "om_SetAPen 12 34 56"), 1);
    }
}

}  // namespace
