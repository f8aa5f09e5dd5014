// PNG files and the driver's session: malformed input fails with one line,
// and a real session through the loaded module paints what the scribbles say.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hostsim/Png.h"
#include "hostsim/Session.h"

using hostsim::RgbaImage;

namespace {

std::string tempPath(const std::string& leaf) {
    return ::testing::TempDir() + "hostsim_drv_" + std::to_string(::getpid()) + "_" + leaf;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// 7 x 5 with distinct channel values and partial alpha.
RgbaImage asymmetric() {
    RgbaImage img{7, 5, std::vector<uint8_t>(7 * 5 * 4)};
    for (int i = 0; i < 35; ++i) {
        img.rgba[i * 4 + 0] = uint8_t(i * 7);
        img.rgba[i * 4 + 1] = uint8_t(255 - i);
        img.rgba[i * 4 + 2] = uint8_t(i * 3 + 1);
        img.rgba[i * 4 + 3] = uint8_t(i == 0 ? 0 : 100 + i);
    }
    return img;
}

std::string sample(const char* leaf) {
    return std::string(DAUB_SOURCE_DIR) + "/samples/" + leaf;
}

}  // namespace

TEST(HostsimPng, RoundTripAndLayerOrder) {
    const std::string path = tempPath("rt.png");
    std::string error;
    RgbaImage img = asymmetric(), back;
    ASSERT_TRUE(hostsim::writePng(path, img, error)) << error;
    ASSERT_TRUE(hostsim::readPng(path, back, error)) << error;
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 5);
    // Fully transparent pixels may lose their colour; the others come back exactly.
    for (size_t i = 4; i < img.rgba.size(); ++i) EXPECT_EQ(back.rgba[i], img.rgba[i]) << i;
    std::vector<uint8_t> bytes = fileBytes(path);
    ASSERT_TRUE(hostsim::readPngMemory(bytes.data(), bytes.size(), back, error)) << error;
    EXPECT_EQ(back.width, 7);

    std::vector<uint8_t> layer = hostsim::rgbaToLayer(img.rgba);
    EXPECT_EQ(layer[4 * 3 + 0], img.rgba[4 * 3 + 3]);  // opacity first
    EXPECT_EQ(layer[4 * 3 + 1], img.rgba[4 * 3 + 0]);
    EXPECT_EQ(layer[4 * 3 + 3], img.rgba[4 * 3 + 2]);
    EXPECT_EQ(hostsim::layerToRgba(layer), img.rgba);
    EXPECT_FALSE(hostsim::writePng(path, RgbaImage{}, error));
    std::remove(path.c_str());
}

TEST(HostsimPng, MalformedFilesFailCleanly) {
    std::vector<uint8_t> good = fileBytes(sample("lineart.png"));
    ASSERT_GT(good.size(), 100u);
    RgbaImage img;
    std::string error;
    // Every prefix: not a PNG below the signature, damaged after it.
    for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 41)) {
        EXPECT_FALSE(hostsim::readPngMemory(good.data(), n, img, error)) << n;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_TRUE(img.rgba.empty());
    }
    // Flipped bytes anywhere: either read or refused, never more.
    for (size_t at = 8; at < good.size(); at += 29) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0x5A;
        if (hostsim::readPngMemory(bad.data(), bad.size(), img, error)) {
            EXPECT_EQ(img.rgba.size(), size_t(img.width) * size_t(img.height) * 4);
        }
    }
    // A header claiming an enormous image is refused before any allocation.
    std::vector<uint8_t> huge = good;
    huge[16] = 0x00;
    huge[17] = 0x01;  // width 65536 + ..., CRC now wrong as well
    EXPECT_FALSE(hostsim::readPngMemory(huge.data(), huge.size(), img, error));

    const std::string text = tempPath("text.png");
    writeBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    EXPECT_FALSE(hostsim::readPng(text, img, error));
    EXPECT_NE(error.find("not a PNG"), std::string::npos);
    std::remove(text.c_str());
    EXPECT_FALSE(hostsim::readPng(tempPath("absent.png"), img, error));
}

TEST(HostsimSession, InputErrorsGiveOneLine) {
    const std::string small = tempPath("small.png");
    std::string error;
    ASSERT_TRUE(hostsim::writePng(small, asymmetric(), error));
    const std::string text = tempPath("notpng.png");
    writeBytes(text, {'P', 'N', 'G'});

    struct Case {
        std::string lineart, scribbles, module, loc, expect;
    };
    const Case cases[] = {
        {tempPath("missing.png"), sample("scribbles.png"), "/nonexistent.so", "", "no such file"},
        {sample("lineart.png"), text, "/nonexistent.so", "", "not a PNG"},
        {sample("lineart.png"), small, "/nonexistent.so", "", "7 x 5"},
        {sample("lineart.png"), sample("scribbles.png"), "/nonexistent.so", tempPath("none.loc"),
         "localisation"},
        {sample("lineart.png"), sample("scribbles.png"), "/nonexistent.so", "", "cannot load"},
    };
    for (const Case& c : cases) {
        hostsim::SessionOptions o;
        o.lineart = c.lineart;
        o.scribbles = c.scribbles;
        o.module = c.module;
        o.loc = c.loc;
        o.outDir = tempPath("out");
        hostsim::SessionResult r = hostsim::runSession(o);
        EXPECT_EQ(r.exitCode, 1) << c.expect;
        EXPECT_NE(r.error.find(c.expect), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
    std::remove(small.c_str());
    std::remove(text.c_str());
}

TEST(HostsimSession, CompositeMultipliesLinesOverColourOnWhite) {
    // Layer pixels: opacity, red, green, blue.
    std::vector<uint8_t> color = {0, 9, 9, 9, 255, 200, 100, 50, 128, 0, 0, 0};
    std::vector<uint8_t> lines = {255, 20, 40, 60, 0, 0, 0, 0, 255, 255, 255, 255};
    RgbaImage out = hostsim::compositeOverWhite(3, 1, color, lines);
    EXPECT_EQ(std::vector<uint8_t>(out.rgba.begin(), out.rgba.begin() + 4),
              (std::vector<uint8_t>{20, 40, 60, 255}));
    EXPECT_EQ(std::vector<uint8_t>(out.rgba.begin() + 4, out.rgba.begin() + 8),
              (std::vector<uint8_t>{200, 100, 50, 255}));
    EXPECT_EQ(out.rgba[8], 127);  // black at half opacity over white
}

#ifdef DAUB_MODULE_PATH
TEST(HostsimSession, PaintsTheSampleThroughTheModule) {
    hostsim::SessionOptions o;
    o.lineart = sample("lineart.png");
    o.scribbles = sample("scribbles.png");
    o.module = DAUB_MODULE_PATH;
    o.outDir = tempPath("sample");
    o.settings = tempPath("settings.txt");
    std::remove(o.settings.c_str());
    hostsim::SessionResult r = hostsim::runSession(o);
    ASSERT_EQ(r.exitCode, 0) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    ASSERT_EQ(r.width, 320);
    auto at = [&](const std::vector<uint8_t>& layer, int x, int y) {
        const uint8_t* p = &layer[(size_t(y) * 320 + size_t(x)) * 4];
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(at(r.colorLayer, 80, 180), (std::vector<int>{255, 214, 84, 62}));  // wall
    EXPECT_EQ(at(r.colorLayer, 262, 40), (std::vector<int>{255, 255, 196, 0}));  // sun
    EXPECT_EQ(at(r.colorLayer, 105, 185),
              (std::vector<int>{255, 70, 90, 170}));                    // door, its own region
    EXPECT_EQ(at(r.colorLayer, 5, 5), (std::vector<int>{0, 0, 0, 0}));  // sky: background
    EXPECT_EQ(at(r.colorLayer, 310, 230), (std::vector<int>{0, 0, 0, 0}));
    // The scribbles layer holds the frame and the dabs; the line art is untouched.
    EXPECT_EQ(at(r.scribblesLayer, 0, 120), (std::vector<int>{255, 255, 0, 255}));
    EXPECT_EQ(at(r.scribblesLayer, 319, 239), (std::vector<int>{255, 255, 0, 255}));
    EXPECT_EQ(at(r.scribblesLayer, 5, 5), (std::vector<int>{0, 0, 0, 0}));
    RgbaImage lineart, written;
    std::string error;
    ASSERT_TRUE(hostsim::readPng(o.lineart, lineart, error));
    EXPECT_EQ(r.lineLayer, hostsim::rgbaToLayer(lineart.rgba));
    ASSERT_TRUE(hostsim::readPng(r.compositePng, written, error)) << error;
    EXPECT_EQ(written.rgba, hostsim::compositeOverWhite(320, 240, r.colorLayer, r.lineLayer).rgba);
    // The plug-in stored its background colour in the settings file.
    std::vector<uint8_t> settings = fileBytes(o.settings);
    std::string text(settings.begin(), settings.end());
    EXPECT_NE(text.find("bgValues=255 0 255 255"), std::string::npos) << text;
    std::remove(o.settings.c_str());
}

// The demo target runs daubhost --module M --out DIR samples/lineart.png samples/scribbles.png,
// which is this session with the driver's defaults; what it writes must stay the composite the
// repository shows.
// The demo target's own command line, run as a program: a change anywhere from daubhost's
// arguments to the colour layer shows as a composite that differs from the bundled one.
TEST(HostsimSession, DemoWritesTheBundledComposite) {
    const std::string out = tempPath("demo");
    const std::string command = std::string("'") + DAUB_DAUBHOST_PATH + "' --module '" +
                                DAUB_MODULE_PATH + "' --out '" + out + "' '" +
                                sample("lineart.png") + "' '" + sample("scribbles.png") +
                                "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    RgbaImage written, expected;
    std::string error;
    ASSERT_TRUE(hostsim::readPng(out + "/composite.png", written, error)) << error;
    ASSERT_TRUE(hostsim::readPng(sample("composite.png"), expected, error)) << error;
    ASSERT_EQ(written.width, expected.width);
    ASSERT_EQ(written.height, expected.height);
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < expected.rgba.size(); i += 4)
        if (!std::equal(&written.rgba[i], &written.rgba[i] + 4, &expected.rgba[i]) &&
            differing++ == 0)
            first = i / 4;
    EXPECT_EQ(differing, 0u) << "first at " << first % size_t(expected.width) << ","
                             << first / size_t(expected.width);
}

TEST(HostsimSession, BackgroundOptionAndNoFrame) {
    hostsim::SessionOptions o;
    o.lineart = sample("lineart.png");
    o.scribbles = sample("scribbles.png");
    o.module = DAUB_MODULE_PATH;
    o.outDir = tempPath("noframe");
    o.frame = false;
    o.bg = "214 84 62 255";  // the wall's colour becomes the background
    hostsim::SessionResult r = hostsim::runSession(o);
    ASSERT_EQ(r.exitCode, 0) << r.error;
    const uint8_t* wall = &r.colorLayer[(size_t(180) * 320 + 80) * 4];
    EXPECT_EQ(wall[0], 0);
    const uint8_t* corner = &r.scribblesLayer[0];
    EXPECT_EQ(corner[0], 0);  // no frame drawn
}
#endif
