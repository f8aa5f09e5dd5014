// daubhost: plays the host application for one colouring session.
//
// Opens an image whose line-art layer comes from a PNG, loads the plug-in
// module, opens its panel, presses Create Layers, draws the strokes of a
// scribbles PNG onto the scribbles layer with the host's pen, presses Paint and
// writes the colour layer, the scribbles layer and a composite as PNGs.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hostsim/Session.h"

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

int fail(const std::string& message, int code) {
    std::fprintf(stderr, "daubhost: %s\n", message.c_str());
    return code;
}

std::string defaultModulePath(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) self = fs::absolute(argv0, ec);
    return (self.parent_path() / ".." / "plugin" / "daubwise.so").lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    hostsim::SessionOptions o;
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
            if (!value(o.module)) return fail("--module needs a path", 2);
        } else if (a == "--out") {
            if (!value(o.outDir)) return fail("--out needs a folder", 2);
        } else if (a == "--bg") {
            if (!value(o.bg)) return fail("--bg needs \"R G B A\"", 2);
        } else if (a == "--settings") {
            if (!value(o.settings)) return fail("--settings needs a file", 2);
        } else if (a == "--loc") {
            if (!value(o.loc)) return fail("--loc needs a file", 2);
        } else if (a == "--no-frame") {
            o.frame = false;
        } else if (a == "--frame") {
            o.frame = true;
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a + " (see --help)", 2);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return fail("needs a line-art PNG and a scribbles PNG (see --help)", 2);
    o.lineart = files[0];
    o.scribbles = files[1];
    if (o.module.empty()) o.module = defaultModulePath(argv[0]);
    o.onWarning = [](const std::string& m) { std::printf("plug-in message: %s\n", m.c_str()); };

    hostsim::SessionResult r = hostsim::runSession(o);
    if (!r.error.empty()) return fail(r.error, r.exitCode);
    std::printf("daubhost: painted %d x %d pixels in %.1f ms\n", r.width, r.height, r.paintMs);
    std::printf("  colour layer:    %s\n", r.colorPng.c_str());
    std::printf("  scribbles layer: %s\n", r.scribblesPng.c_str());
    std::printf("  composite:       %s\n", r.compositePng.c_str());
    if (r.exitCode != 0)
        return fail("the plug-in showed " + std::to_string(r.warnings.size()) + " message(s)",
                    r.exitCode);
    return 0;
}
