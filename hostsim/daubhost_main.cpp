// daubhost: plays the host application for one colouring session.
//
// Opens an image whose line-art layer comes from a PNG, loads the plug-in
// module, opens its panel, presses Create Layers, draws the strokes of a
// scribbles PNG onto the scribbles layer with the host's pen, presses Paint and
// writes the colour layer, the scribbles layer and a composite as PNGs.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "hostsim/Host.h"
#include "hostsim/PluginModule.h"
#include "hostsim/Png.h"

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "usage: daubhost [options] LINEART.png SCRIBBLES.png\n"
    "  --module PATH     plug-in module (default: ../plugin/daubwise.so beside this program)\n"
    "  --out DIR         folder for color.png, scribbles.png, composite.png (default: out)\n"
    "  --no-frame        press Create Layers (w/o BG) instead of Create Layers (with BG)\n"
    "  --bg \"R G B A\"    background scribble colour (user string bgValues)\n"
    "  --settings FILE   user-string file: read at start, written on every change\n"
    "  --loc FILE        localisation file, served to the plug-in as daubwise.loc\n"
    "Scribbles: every pixel with non-zero alpha in SCRIBBLES.png is one dab of the pen in\n"
    "its red, green and blue, fully opaque; transparent pixels are left unpainted.\n";

int fail(const std::string& message, int code = 1) {
    std::fprintf(stderr, "daubhost: %s\n", message.c_str());
    return code;
}

std::string defaultModulePath(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) self = fs::absolute(argv0, ec);
    return (self.parent_path() / ".." / "plugin" / "daubwise.so").lexically_normal().string();
}

bool loadImage(const std::string& path, hostsim::RgbaImage& img, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = path + ": no such file";
        return false;
    }
    return hostsim::readPng(path, img, error);
}

// The colour layer over white paper, then the line art multiplied over it.
hostsim::RgbaImage composite(int w, int h, const std::vector<uint8_t>& color,
                             const std::vector<uint8_t>& lines) {
    hostsim::RgbaImage out{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 4)};
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
        const uint8_t* c = &color[i * 4];  // layer pixels: opacity, red, green, blue
        const uint8_t* l = &lines[i * 4];
        for (int k = 0; k < 3; ++k) {
            int base = (255 * (255 - c[0]) + c[k + 1] * c[0] + 127) / 255;
            int ink = (255 * (255 - l[0]) + l[k + 1] * l[0] + 127) / 255;
            out.rgba[i * 4 + size_t(k)] = uint8_t((base * ink + 127) / 255);
        }
        out.rgba[i * 4 + 3] = 255;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string modulePath, outDir = "out", bg, settings, loc;
    bool frame = true;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--module") {
            if (!value(modulePath)) return fail("--module needs a path", 2);
        } else if (a == "--out") {
            if (!value(outDir)) return fail("--out needs a folder", 2);
        } else if (a == "--bg") {
            if (!value(bg)) return fail("--bg needs \"R G B A\"", 2);
        } else if (a == "--settings") {
            if (!value(settings)) return fail("--settings needs a file", 2);
        } else if (a == "--loc") {
            if (!value(loc)) return fail("--loc needs a file", 2);
        } else if (a == "--no-frame") {
            frame = false;
        } else if (a == "--frame") {
            frame = true;
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a + " (see --help)", 2);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return fail("needs a line-art PNG and a scribbles PNG (see --help)", 2);
    if (modulePath.empty()) modulePath = defaultModulePath(argv[0]);

    std::string error;
    hostsim::RgbaImage lineart, scribbles;
    if (!loadImage(files[0], lineart, error)) return fail(error);
    if (!loadImage(files[1], scribbles, error)) return fail(error);
    if (scribbles.width != lineart.width || scribbles.height != lineart.height)
        return fail(files[1] + " is " + std::to_string(scribbles.width) + " x " +
                    std::to_string(scribbles.height) + " pixels but the line art is " +
                    std::to_string(lineart.width) + " x " + std::to_string(lineart.height));
    std::error_code ec;
    if (!loc.empty() && !fs::is_regular_file(loc, ec))
        return fail(loc + ": no such localisation file");
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir, ec)) return fail("cannot make the output folder " + outDir);

    const int w = lineart.width, h = lineart.height;
    hostsim::Host host(w, h);
    int warningCount = 0;
    host.setWarningSink([&](const std::string& m) {
        ++warningCount;
        std::printf("plug-in message: %s\n", m.c_str());
    });
    if (!settings.empty() && !host.setUserStringFile(settings))
        return fail(settings + ": cannot read the settings");
    if (!bg.empty()) host.setUserString("Daubwise-1.0", "bgValues", bg);
    if (!loc.empty()) host.setLocalFilePath("daubwise.loc", loc);

    std::string layerName = fs::path(files[0]).stem().string();
    if (layerName.empty()) layerName = "lineart";
    const int lineId = host.addLayer(layerName);
    host.layer(lineId)->pixels = hostsim::rgbaToLayer(lineart.rgba);

    hostsim::PluginModule module(modulePath);
    if (!module.ok()) return fail(module.error());
    PIFilter* f = host.filter();
    module.open(f);
    if (!host.openRequester()) module.parameters(f);
    if (!host.openRequester()) return fail("the plug-in's panel did not open");

    if (!module.pressButton(f, frame ? 12 : 11))
        return fail("the plug-in refused to create its layers");
    const int p = host.positionOf(lineId);
    const int scribId = host.layerIdAt(p + 1), colorId = host.layerIdAt(p + 2);
    if (scribId < 0 || colorId < 0 || host.currentLayerId() != scribId)
        return fail("the plug-in did not leave its scribbles layer current");

    // The artist's strokes, dab by dab with the host's pen.
    const auto pen = host.penColor();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = &scribbles.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            if (s[3] == 0) continue;
            host.setPenColor(s[0], s[1], s[2]);
            host.penDab(x, y);
        }
    host.setPenColor(pen[0], pen[1], pen[2]);

    const auto t0 = std::chrono::steady_clock::now();
    module.pressButton(f, 15);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();

    const std::string colorPng = (fs::path(outDir) / "color.png").string();
    const std::string scribPng = (fs::path(outDir) / "scribbles.png").string();
    const std::string compPng = (fs::path(outDir) / "composite.png").string();
    const std::vector<uint8_t>& colorLayer = host.layer(colorId)->pixels;
    const std::vector<uint8_t>& lineLayer = host.layer(lineId)->pixels;
    if (!hostsim::writePng(colorPng, {w, h, hostsim::layerToRgba(colorLayer)}, error) ||
        !hostsim::writePng(scribPng, {w, h, hostsim::layerToRgba(host.layer(scribId)->pixels)},
                           error) ||
        !hostsim::writePng(compPng, composite(w, h, colorLayer, lineLayer), error))
        return fail(error);
    module.close(f);

    std::printf("daubhost: painted %d x %d pixels in %.1f ms\n", w, h, ms);
    std::printf("  colour layer:    %s\n", colorPng.c_str());
    std::printf("  scribbles layer: %s\n", scribPng.c_str());
    std::printf("  composite:       %s\n", compPng.c_str());
    if (warningCount)
        return fail("the plug-in showed " + std::to_string(warningCount) + " message(s)", 3);
    return 0;
}
