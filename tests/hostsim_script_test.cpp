// The stand-in host's script commands against its own image model.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostsim/Host.h"

using hostsim::Host;
using hostsim::Pixel;

namespace {

// The text between the first two double quotes, as the plug-in reads a name.
std::string quoted(const std::string& answer) {
    size_t a = answer.find('"');
    if (a == std::string::npos) return "<no quote>";
    size_t b = answer.find('"', a + 1);
    if (b == std::string::npos) return "<one quote>";
    return answer.substr(a + 1, b - a - 1);
}

bool isError(const std::string& answer) {
    return answer.rfind("error", 0) == 0;
}

// 7 x 5 with three layers, each filled with its own colour.
struct Image {
    Host host{7, 5};
    int paper, ink, extra;
    Image() {
        paper = host.addLayer("paper");
        ink = host.addLayer("ink");
        extra = host.addLayer("extra");
        host.fillLayer(paper, Pixel{255, 250, 240, 230});
        host.fillLayer(ink, Pixel{200, 10, 20, 30});
        host.fillLayer(extra, Pixel{100, 1, 2, 3});
    }
    std::vector<uint8_t> bytes(int id) { return host.layer(id)->pixels; }
};

}  // namespace

TEST(HostsimScript, IdsPositionsAndNone) {
    Image im;
    Host& h = im.host;
    EXPECT_EQ(h.sendCommand("om_LayerCurrentID"), std::to_string(im.paper));
    EXPECT_EQ(h.sendCommand("om_LayerGetID 0"), std::to_string(im.paper));
    EXPECT_EQ(h.sendCommand("om_LayerGetID 1"), std::to_string(im.ink));
    EXPECT_EQ(h.sendCommand("om_LayerGetID 2"), std::to_string(im.extra));
    EXPECT_EQ(h.sendCommand("om_LayerGetID 3"), "none");
    EXPECT_EQ(h.sendCommand("om_LayerGetID 2147483647"), "none");
    EXPECT_EQ(h.sendCommand("om_LayerGetPos " + std::to_string(im.extra)), "2");
    EXPECT_EQ(h.sendCommand("om_LayerGetPos " + std::to_string(im.paper)), "0");
    // Ids never look like positions.
    EXPECT_GE(im.paper, 3);

    EXPECT_EQ(h.sendCommand("om_LayerSet " + std::to_string(im.extra)), "");
    EXPECT_EQ(h.currentLayerId(), im.extra);
    EXPECT_EQ(h.sendCommand("om_LayerCurrentID"), std::to_string(im.extra));
    // A position is not an id: refused, current layer kept.
    EXPECT_TRUE(isError(h.sendCommand("om_LayerSet 1")));
    EXPECT_EQ(h.currentLayerId(), im.extra);

    EXPECT_EQ(quoted(h.sendCommand("om_LayerInfo " + std::to_string(im.ink))), "ink");
    EXPECT_TRUE(isError(h.sendCommand("om_LayerInfo 5")));
    EXPECT_TRUE(isError(h.sendCommand("om_LayerGetPos 5")));
}

TEST(HostsimScript, DuplicatePlacesNamedCopyNextAndKeepsIds) {
    Image im;
    Host& h = im.host;
    h.setCurrentLayer(im.ink);
    std::string answer = h.sendCommand("om_LayerDuplicate ink copy_scribbles");
    int copy = h.layerIdAt(2);
    EXPECT_EQ(answer, std::to_string(copy));
    EXPECT_EQ(h.currentLayerId(), copy);
    EXPECT_EQ(h.layerNames(),
              (std::vector<std::string>{"paper", "ink", "ink copy_scribbles", "extra"}));
    EXPECT_EQ(im.bytes(copy), im.bytes(im.ink));
    // Every older layer keeps its id; the new id is fresh.
    EXPECT_EQ(h.layerIdAt(0), im.paper);
    EXPECT_EQ(h.layerIdAt(1), im.ink);
    EXPECT_EQ(h.layerIdAt(3), im.extra);
    EXPECT_NE(copy, im.paper);
    EXPECT_NE(copy, im.ink);
    EXPECT_NE(copy, im.extra);
    EXPECT_EQ(h.sendCommand("om_LayerGetPos " + std::to_string(im.extra)), "3");
    EXPECT_EQ(h.sendCommand("om_LayerGetID 4"), "none");
    EXPECT_EQ(quoted(h.sendCommand("om_LayerInfo " + std::to_string(copy))), "ink copy_scribbles");

    // Ids are not reused after a removal.
    h.removeLayer(copy);
    int later = h.addLayer("later");
    EXPECT_GT(later, copy);

    EXPECT_TRUE(isError(h.sendCommand("om_LayerDuplicate")));
    EXPECT_EQ(h.layerCount(), 4);
}

TEST(HostsimScript, ClearEmptiesOnlyTheCurrentLayer) {
    Image im;
    Host& h = im.host;
    h.setCurrentLayer(im.ink);
    auto paper = im.bytes(im.paper);
    auto extra = im.bytes(im.extra);
    EXPECT_EQ(h.sendCommand("om_LayerSelect 0 9999"), "");
    EXPECT_EQ(h.sendCommand("om_cmd heads om_clear"), "");
    EXPECT_EQ(im.bytes(im.ink), std::vector<uint8_t>(7 * 5 * 4, 0));
    EXPECT_EQ(im.bytes(im.paper), paper);
    EXPECT_EQ(im.bytes(im.extra), extra);
}

TEST(HostsimScript, FastLineDrawsExactPixels) {
    Host h(7, 5);
    int id = h.addLayer("s");
    const Pixel c{40, 10, 20, 30};
    h.sendCommand("om_LayerSelect 0 9999");
    EXPECT_EQ(h.sendCommand("om_cmd heads om_FastLine 0 0 6 4 10 20 30 40"), "");
    // x-major: one pixel per column, y rounded from 4x/6.
    const int ys[7] = {0, 1, 1, 2, 3, 3, 4};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(h.pixel(id, x, y), y == ys[x] ? c : Pixel{}) << x << "," << y;

    // y-major, drawn backwards: one pixel per row.
    h.fillLayer(id, Pixel{});
    h.sendCommand("om_cmd heads om_FastLine 3 4 1 0 1 2 3 255");
    const int xs[5] = {1, 1, 2, 2, 3};  // x = 3 - (4 - y) / 2, halves rounded away from the start
    int count = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            if (h.pixel(id, x, y).a) {
                ++count;
                EXPECT_EQ(x, xs[y]) << y;
                EXPECT_EQ(h.pixel(id, x, y), (Pixel{255, 1, 2, 3}));
            }
    EXPECT_EQ(count, 5);

    // The frame that layer creation draws: the four edges, nothing inside.
    h.fillLayer(id, Pixel{});
    for (const char* l : {"0 0 6 0", "6 0 6 4", "6 4 0 4", "0 4 0 0"})
        h.sendCommand(std::string("om_cmd heads om_FastLine ") + l + " 255 0 255 255");
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            bool edge = x == 0 || y == 0 || x == 6 || y == 4;
            EXPECT_EQ(h.pixel(id, x, y), edge ? (Pixel{255, 255, 0, 255}) : Pixel{})
                << x << "," << y;
        }

    // Clipped, also with the int range's ends; channels beyond a byte clamp.
    h.fillLayer(id, Pixel{});
    h.sendCommand("om_cmd heads om_FastLine -2147483648 2 2147483647 2 300 -5 7 9");
    for (int x = 0; x < 7; ++x) EXPECT_EQ(h.pixel(id, x, 2), (Pixel{9, 255, 0, 7}));
    EXPECT_EQ(h.pixel(id, 0, 1), Pixel{});
    h.fillLayer(id, Pixel{});
    h.sendCommand("om_cmd heads om_FastLine -2147483648 -2147483648 2147483647 2147483647 1 1 1 1");
    EXPECT_EQ(h.pixel(id, 3, 3), (Pixel{1, 1, 1, 1}));
    h.sendCommand("om_cmd heads om_FastLine 50 50 90 90 1 1 1 1");  // wholly outside: nothing
    h.sendCommand("om_cmd heads om_FastLine 2 3 2 3 5 6 7 8");      // a point
    EXPECT_EQ(h.pixel(id, 2, 3), (Pixel{8, 5, 6, 7}));
}

TEST(HostsimScript, PenBlendingAndSilentCommands) {
    Image im;
    Host& h = im.host;
    EXPECT_EQ(h.sendCommand("om_SetAPen 12 34 56"), "");
    EXPECT_EQ(h.sendCommand("om_GetAPen"), "12 34 56");
    const std::string brush =
        "om_PenBrush mode 22 power 100 opacity 100 dry 0 aaliasing 0 Con_Power N";
    EXPECT_EQ(h.sendCommand(brush), "");
    EXPECT_EQ(h.penBrush(), "mode 22 power 100 opacity 100 dry 0 aaliasing 0 Con_Power N");
    h.setCurrentLayer(im.extra);
    EXPECT_TRUE(h.penDab(6, 4));
    EXPECT_EQ(h.pixel(im.extra, 6, 4), (Pixel{255, 12, 34, 56}));
    EXPECT_FALSE(h.penDab(7, 4));

    EXPECT_EQ(h.sendCommand("om_layerblendingmode " + std::to_string(im.paper) + " Multiply"), "");
    EXPECT_EQ(h.layer(im.paper)->blendMode, "Multiply");
    EXPECT_EQ(h.layer(im.ink)->blendMode, "Normal");

    auto before = im.bytes(im.extra);
    for (const char* c :
         {"om_layercolor set 0 7", "om_layercolor set 0 8", "om_LayerAnim", "om_updateundo"})
        EXPECT_EQ(h.sendCommand(c), "") << c;
    EXPECT_EQ(im.bytes(im.extra), before);
    EXPECT_EQ(h.undoSteps(), 1);
    EXPECT_EQ(h.layer(im.extra)->colorTag, 8);
}

TEST(HostsimScript, MalformedCommandsAnswerAnErrorAndChangeNothing) {
    Image im;
    Host& h = im.host;
    auto before = h.layerNames();
    const char* bad[] = {"",
                         "   ",
                         "om_Bogus 1 2",
                         "om_LayerGetID",
                         "om_LayerGetID x",
                         "om_LayerGetID -1",
                         "om_LayerGetID 99999999999999999999",
                         "om_LayerGetID 1 2",
                         "om_LayerSet",
                         "om_LayerSet 1e3",
                         "om_LayerGetPos --4",
                         "om_SetAPen 1 2",
                         "om_SetAPen 1 2 x",
                         "om_cmd heads om_FastLine 1 2 3",
                         "om_cmd heads om_FastLine 1 2 3 4 5 6 7 8 9",
                         "om_cmd heads om_FastLine 1 2 3 4 5 6 7 99999999999",
                         "om_cmd heads",
                         "om_cmd tails om_clear",
                         "om_layerblendingmode 1001",
                         "om_layerblendingmode 77 Multiply",
                         "om_layercolor set 0"};
    for (const char* c : bad) {
        std::string a = h.sendCommand(c);
        EXPECT_TRUE(isError(a)) << "'" << c << "' -> '" << a << "'";
        EXPECT_EQ(h.calls().back().result, 0) << c;
    }
    EXPECT_EQ(h.layerNames(), before);
    EXPECT_EQ(h.scriptCommands().size(), std::size(bad));
    EXPECT_EQ(h.scriptCommands()[2], "om_Bogus 1 2");

    // A null command or a null answer buffer are survived.
    int64_t nullCommand[2] = {0, 0};
    EXPECT_EQ(h.dispatch(hostsim::kCmdSendCmd, nullCommand), 0);
    std::string cmd = "om_LayerCurrentID";
    int64_t noAnswer[2] = {reinterpret_cast<intptr_t>(cmd.c_str()), 0};
    EXPECT_EQ(h.dispatch(hostsim::kCmdSendCmd, noAnswer), 1);
}

TEST(HostsimScript, AnswersFitIn256BytesAndOverridesApply) {
    Image im;
    Host& h = im.host;
    // A long name keeps both quotes; the answer stays within 256 bytes.
    h.setCurrentLayer(im.ink);
    std::string longName(240, 'n');
    h.sendCommand("om_LayerDuplicate " + longName);
    EXPECT_EQ(quoted(h.sendCommand("om_LayerInfo " + std::to_string(h.currentLayerId()))),
              longName);

    h.overrideAnswer({"om_LayerInfo", std::string(400, 'q'), true, false});
    std::string cmd = "om_LayerInfo " + std::to_string(im.ink);
    std::vector<char> buffer(300, 0x7f);
    int64_t slots[2] = {reinterpret_cast<intptr_t>(cmd.c_str()),
                        reinterpret_cast<intptr_t>(buffer.data())};
    h.dispatch(hostsim::kCmdSendCmd, slots);
    EXPECT_EQ(std::strlen(buffer.data()), 255u);
    for (size_t i = 256; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0x7f) << i;
    h.clearOverrides();

    // Exact and prefix matches; the first that matches wins; perform=false skips the effect.
    h.overrideAnswer({"om_LayerGetID 3", "NONE", false, true});
    h.overrideAnswer({"om_LayerGetID", "-7", true, true});
    h.overrideAnswer({"om_LayerSet", "", true, false});
    EXPECT_EQ(h.sendCommand("om_LayerGetID 3"), "NONE");
    EXPECT_EQ(h.sendCommand("om_LayerGetID 0"), "-7");
    int cur = h.currentLayerId();
    h.sendCommand("om_LayerSet " + std::to_string(im.paper));
    EXPECT_EQ(h.currentLayerId(), cur);
    EXPECT_EQ(h.sendCommand("om_LayerCurrentID"), std::to_string(cur));
}
