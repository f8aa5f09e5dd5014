// User strings and localisation files of the stand-in host, and its module loader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "hostsim/Host.h"
#include "hostsim/PluginModule.h"

using hostsim::Host;

namespace {

int64_t P(const void* p) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(p));
}

std::string tempPath(const std::string& leaf) {
    return ::testing::TempDir() + "hostsim_" + std::to_string(::getpid()) + "_" + leaf;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// OMReadUserString through dispatch, buffer of the given size.
std::string readUser(Host& h, const char* section, const char* key, const char* def, int size,
                     int64_t* result = nullptr) {
    std::vector<char> buffer(static_cast<size_t>(size) + 8, '#');
    int64_t slots[5] = {P(section), P(key), P(buffer.data()), P(def), size};
    int64_t r = h.dispatch(hostsim::kCmdReadUserString, slots);
    if (result) *result = r;
    EXPECT_EQ(buffer[static_cast<size_t>(size)], '#');  // nothing past the size
    return std::string(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(size)));
}

void writeUser(Host& h, const char* section, const char* key, const char* value) {
    int64_t slots[5] = {P(section), P(key), P(value), 0, 0};
    h.dispatch(hostsim::kCmdWriteUserString, slots);
}

}  // namespace

TEST(HostsimFiles, UserStringsReadWriteAndSurviveAFile) {
    const std::string path = tempPath("user.txt");
    std::remove(path.c_str());
    {
        Host h(7, 5);
        ASSERT_TRUE(h.setUserStringFile(path));
        int64_t r = -1;
        EXPECT_EQ(readUser(h, "Daubwise 1.0", "Open", "0", 255, &r), "0");
        EXPECT_EQ(r, 0);
        writeUser(h, "Daubwise 1.0", "Open", "1");
        writeUser(h, "Daubwise-1.0", "bgValues", "255 0 255 255");
        writeUser(h, "odd [section]", "k", "a=b\\c\nsecond line");
        EXPECT_EQ(readUser(h, "Daubwise 1.0", "Open", "0", 255, &r), "1");
        EXPECT_EQ(r, 1);
        // Sections and keys are distinct: the hyphen is not the blank.
        EXPECT_EQ(readUser(h, "Daubwise-1.0", "Open", "dflt", 255), "dflt");
        // Cut to the buffer's size, NUL included.
        EXPECT_EQ(readUser(h, "Daubwise-1.0", "bgValues", "", 5), "255 ");
        EXPECT_EQ(readUser(h, "Daubwise-1.0", "bgValues", "", 1), "");
    }
    Host again(7, 5);
    ASSERT_TRUE(again.loadUserStrings(path));
    EXPECT_EQ(again.userString("Daubwise 1.0", "Open"), std::optional<std::string>("1"));
    EXPECT_EQ(again.userString("Daubwise-1.0", "bgValues"),
              std::optional<std::string>("255 0 255 255"));
    EXPECT_EQ(again.userString("odd [section]", "k"),
              std::optional<std::string>("a=b\\c\nsecond line"));
    EXPECT_FALSE(again.userString("Daubwise 1.0", "bgValues"));
    EXPECT_FALSE(again.loadUserStrings(path + ".missing"));
    std::remove(path.c_str());
}

TEST(HostsimFiles, LocalisationLookup) {
    auto strings = Host::parseLocalText(
        "# panel texts\r\n10015=Bouton\r\n10016=\n\nbad line\n30000=Pas de panneau = rien\n"
        "4294967295=last\n4294967296=too big\n-1=neg\n=empty\n");
    EXPECT_EQ(strings.size(), 4u);
    EXPECT_EQ(strings[10015], "Bouton");
    EXPECT_EQ(strings[10016], "");
    EXPECT_EQ(strings[30000], "Pas de panneau = rien");
    EXPECT_EQ(strings[4294967295u], "last");

    Host h(7, 5);
    std::string name = "daubwise.loc";
    int64_t open[8] = {P(name.c_str()), 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(h.dispatch(hostsim::kCmdOpenLocalFile, open), 0);  // nothing registered

    h.addLocalFileText(name, "10015=Bouton\n10016=\n4294967295=last\n");
    int64_t handle = h.dispatch(hostsim::kCmdOpenLocalFile, open);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(h.openLocalFileCount(), 1);
    auto get = [&](int64_t hnd, int64_t number) -> const char* {
        int64_t slots[8] = {hnd, number, 0, 0, 0, 0, 0, 0};
        return reinterpret_cast<const char*>(h.dispatch(hostsim::kCmdGetLocalString, slots));
    };
    ASSERT_NE(get(handle, 10015), nullptr);
    EXPECT_STREQ(get(handle, 10015), "Bouton");
    ASSERT_NE(get(handle, 10016), nullptr);
    EXPECT_STREQ(get(handle, 10016), "");  // present but empty
    EXPECT_EQ(get(handle, 10013), nullptr);
    EXPECT_STREQ(get(handle, 0xFFFFFFFFLL), "last");
    EXPECT_EQ(get(handle, 0x1FFFFFFFFLL), nullptr);  // not a uint32
    EXPECT_EQ(get(handle + 1, 10015), nullptr);
    int64_t close[8] = {handle, 0, 0, 0, 0, 0, 0, 0};
    h.dispatch(hostsim::kCmdCloseLocalFile, close);
    EXPECT_EQ(h.openLocalFileCount(), 0);
    EXPECT_EQ(get(handle, 10015), nullptr);

    // From a file on disk, by path or by directory, read when opened.
    const std::string path = tempPath("fr.loc");
    writeFile(path, "10013=Fond\n");
    Host byPath(7, 5);
    byPath.setLocalFilePath(name, path);
    int64_t hp = byPath.dispatch(hostsim::kCmdOpenLocalFile, open);
    ASSERT_NE(hp, 0);
    int64_t q[8] = {hp, 10013, 0, 0, 0, 0, 0, 0};
    EXPECT_STREQ(reinterpret_cast<const char*>(byPath.dispatch(hostsim::kCmdGetLocalString, q)),
                 "Fond");
    byPath.faults().missingLocalFiles = true;
    EXPECT_EQ(byPath.dispatch(hostsim::kCmdOpenLocalFile, open), 0);

    Host byDir(7, 5);
    byDir.setLocalDir(::testing::TempDir());
    std::string leaf = path.substr(::testing::TempDir().size());
    int64_t openLeaf[8] = {P(leaf.c_str()), 0, 0, 0, 0, 0, 0, 0};
    EXPECT_NE(byDir.dispatch(hostsim::kCmdOpenLocalFile, openLeaf), 0);
    std::string escape = "../" + leaf;
    int64_t openEscape[8] = {P(escape.c_str()), 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(byDir.dispatch(hostsim::kCmdOpenLocalFile, openEscape), 0);
    std::remove(path.c_str());
}

TEST(HostsimModule, LoadFailuresGiveOneLineErrors) {
    hostsim::PluginModule missing("/nonexistent/daubwise.so");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("cannot load"), std::string::npos);
    EXPECT_EQ(missing.error().find('\n'), std::string::npos);

    // A real library that is no plug-in.
    hostsim::PluginModule notPlugin("libm.so.6");
    EXPECT_FALSE(notPlugin.ok());
    EXPECT_NE(notPlugin.error().find("PI_Open"), std::string::npos);
    EXPECT_EQ(notPlugin.open, nullptr);
}

#ifdef DAUB_MODULE_PATH
TEST(HostsimModule, LoadsTheRealModule) {
    hostsim::PluginModule module(DAUB_MODULE_PATH);
    ASSERT_TRUE(module.ok()) << module.error();
    EXPECT_TRUE(module.error().empty());
    EXPECT_NE(module.msg, nullptr);
    EXPECT_NE(module.sequenceFinish, nullptr);
}
#endif
