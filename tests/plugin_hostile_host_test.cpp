// A host that answers badly: every script command answered with every kind of hostile text, and
// answers and stored strings that fill their buffers without a terminator. The real module must
// neither crash nor overrun (the sanitizer build watches), and a Paint may change at most the one
// layer it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostsim/Host.h"
#include "support/ModuleScene.h"

namespace {

using daubtest::ModuleScene;
using hostsim::Pixel;

// Ink down the middle between a red and a blue dab, the usual three layers.
void inkAndTwoDabs(ModuleScene& s) {
    const int w = s.host.width(), h = s.host.height();
    s.threeLayers();
    for (int y = 0; y < h; ++y) s.host.setPixel(s.ink, w / 2, y, Pixel{255, 0, 0, 0});
    s.host.setPixel(s.scribbles, 1, 1, Pixel{255, 200, 0, 0});
    s.host.setPixel(s.scribbles, w - 2, h - 2, Pixel{255, 0, 0, 200});
}

const char* const kVerbs[] = {
    "om_LayerCurrentID", "om_LayerGetID",
    "om_LayerGetPos",    "om_LayerInfo",
    "om_LayerSet",       "om_LayerDuplicate",
    "om_GetAPen",        "om_SetAPen",
    "om_LayerSelect",    "om_cmd",
    "om_updateundo",     "",
};

std::vector<std::string> hostileAnswers() {
    return {"",
            "none",
            "NONE",
            "none ",
            "-1",
            "-2147483648",
            "99999999999999999999",
            "\"ink\"",
            "\"unterminated",
            "no quotes",
            "\"ink_scribbles\" scribbles",
            std::string(255, 'x'),
            "\"" + std::string(253, 'n') + "\"",
            "255 0 255"};
}

// Fills every answer buffer to its last byte and every user-string buffer to its size.
PIDispatch realDispatch = nullptr;
int64_t unterminatedDispatch(PIFilter* f, int64_t command, int64_t* slots) {
    const int64_t result = realDispatch(f, command, slots);
    if (slots != nullptr && command == hostsim::kCmdSendCmd && slots[1] != 0) {
        char* answer = reinterpret_cast<char*>(static_cast<intptr_t>(slots[1]));
        std::memset(answer, 's', 256);
        // A layer description whose "scribbles" ends on the last byte: only a reader that
        // goes past the field sees the whole word.
        const char* text = reinterpret_cast<const char*>(static_cast<intptr_t>(slots[0]));
        if (text != nullptr && std::strncmp(text, "om_LayerInfo", 12) == 0)
            std::memcpy(answer + 256 - 9, "scribbles", 9);
    }
    if (slots != nullptr && command == hostsim::kCmdReadUserString && slots[2] != 0 &&
        static_cast<int32_t>(slots[4]) > 0)
        std::memset(reinterpret_cast<char*>(static_cast<intptr_t>(slots[2])), '9',
                    static_cast<size_t>(static_cast<int32_t>(slots[4])));
    return result;
}

// PI_Msg answers 0 exactly when the press was refused, and a refusal always says why.
bool refusedSince(const ModuleScene& s, size_t warningsBefore) {
    const std::vector<std::string>& w = s.host.warnings();
    for (size_t i = warningsBefore; i < w.size(); ++i)
        if (w[i] == "Scribble/color layers already exist!" ||
            w[i] == "Scribbles layer not selected!")
            return true;
    return false;
}

}  // namespace

TEST(PluginHostileHost, EveryCommandAnsweredBadly) {
    for (const char* verb : kVerbs) {
        for (const std::string& answer : hostileAnswers()) {
            SCOPED_TRACE(std::string(verb) + " -> \"" + answer + "\"");
            ModuleScene s(13, 9);
            inkAndTwoDabs(s);
            s.module.open(s.host.filter());
            s.host.overrideAnswer({verb, answer, /*prefix=*/true, /*perform=*/true});
            for (int button : {15, 13, 14, 15, 12, 11, 15}) {
                const auto before = s.snapshot();
                const size_t calls = s.host.calls().size();
                const size_t warnings = s.host.warnings().size();
                const int result = s.module.pressButton(s.host.filter(), button);
                EXPECT_EQ(result, refusedSince(s, warnings) ? 0 : 1);
                if (button == 13 || button == 14) {
                    EXPECT_TRUE(s.changedSince(before).empty());
                }
                if (button == 15) {
                    const size_t writes = static_cast<size_t>(s.writes(calls));
                    EXPECT_LE(s.changedSince(before).size(), writes);
                    EXPECT_LE(writes, 1u);
                }
            }
        }
    }
}

TEST(PluginHostileHost, AnswersAndStringsWithoutTerminator) {
    for (int image : {0, 1, 13}) {
        SCOPED_TRACE("image side " + std::to_string(image));
        ModuleScene s(image, image);
        inkAndTwoDabs(s);
        realDispatch = s.host.filter()->dispatch;
        s.host.filter()->dispatch = &unterminatedDispatch;
        hostsim::PluginModule& m = s.module;
        PIFilter* f = s.host.filter();
        EXPECT_EQ(m.open(f), 1);
        m.about(f);
        m.parameters(f);
        for (int button : {11, 12, 13, 14, 15, 13, 17}) {
            const auto before = s.snapshot();
            const size_t warnings = s.host.warnings().size();
            const int result = m.pressButton(f, button);
            EXPECT_EQ(result, refusedSince(s, warnings) ? 0 : 1);
            // Cut at its last byte the description says "scribble": no pen, no Paint.
            if (button >= 13 && button <= 15) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(s.host.warnings().back(), "Scribbles layer not selected!");
                EXPECT_TRUE(s.changedSince(before).empty());
            }
        }
        m.closePanel(f, 1);
        m.close(f);
        s.host.filter()->dispatch = realDispatch;
    }
}
