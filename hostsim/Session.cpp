#include "hostsim/Session.h"

#include <chrono>
#include <filesystem>
#include <new>

#include "hostsim/Host.h"
#include "hostsim/PluginModule.h"

namespace fs = std::filesystem;

namespace hostsim {

namespace {

bool loadImage(const std::string& path, RgbaImage& img, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = path + ": no such file";
        return false;
    }
    return readPng(path, img, error);
}

std::string sizeText(int w, int h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

void play(const SessionOptions& o, SessionResult& r) {
    RgbaImage lineart, scribbles;
    if (!loadImage(o.lineart, lineart, r.error) || !loadImage(o.scribbles, scribbles, r.error))
        return;
    if (scribbles.width != lineart.width || scribbles.height != lineart.height) {
        r.error = o.scribbles + " is " + sizeText(scribbles.width, scribbles.height) +
                  " pixels but the line art is " + sizeText(lineart.width, lineart.height);
        return;
    }
    std::error_code ec;
    if (!o.loc.empty() && !fs::is_regular_file(o.loc, ec)) {
        r.error = o.loc + ": no such localisation file";
        return;
    }
    fs::create_directories(o.outDir, ec);
    if (!fs::is_directory(o.outDir, ec)) {
        r.error = "cannot make the output folder " + o.outDir;
        return;
    }

    const int w = lineart.width, h = lineart.height;
    r.width = w;
    r.height = h;
    Host host(w, h);
    host.setWarningSink([&](const std::string& m) {
        r.warnings.push_back(m);
        if (o.onWarning) o.onWarning(m);
    });
    if (!o.settings.empty() && !host.setUserStringFile(o.settings)) {
        r.error = o.settings + ": cannot read the settings";
        return;
    }
    if (!o.bg.empty()) host.setUserString("Daubwise-1.0", "bgValues", o.bg);
    if (!o.loc.empty()) host.setLocalFilePath("daubwise.loc", o.loc);

    std::string layerName = fs::path(o.lineart).stem().string();
    if (layerName.empty()) layerName = "lineart";
    const int lineId = host.addLayer(layerName);
    host.layer(lineId)->pixels = rgbaToLayer(lineart.rgba);

    PluginModule module(o.module);
    if (!module.ok()) {
        r.error = module.error();
        return;
    }
    PIFilter* f = host.filter();
    module.open(f);
    if (!host.openRequester()) module.parameters(f);
    if (!host.openRequester()) {
        r.error = "the plug-in's panel did not open";
        module.close(f);
        return;
    }
    if (!module.pressButton(f, o.frame ? 12 : 11)) {
        r.error = "the plug-in refused to create its layers";
        module.close(f);
        return;
    }
    const int p = host.positionOf(lineId);
    const int scribId = host.layerIdAt(p + 1), colorId = host.layerIdAt(p + 2);
    if (scribId < 0 || colorId < 0 || host.currentLayerId() != scribId) {
        r.error = "the plug-in did not leave its scribbles layer current";
        module.close(f);
        return;
    }

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
    r.paintMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    module.close(f);

    r.colorLayer = host.layer(colorId)->pixels;
    r.scribblesLayer = host.layer(scribId)->pixels;
    r.lineLayer = host.layer(lineId)->pixels;
    r.colorPng = (fs::path(o.outDir) / "color.png").string();
    r.scribblesPng = (fs::path(o.outDir) / "scribbles.png").string();
    r.compositePng = (fs::path(o.outDir) / "composite.png").string();
    if (!writePng(r.colorPng, {w, h, layerToRgba(r.colorLayer)}, r.error) ||
        !writePng(r.scribblesPng, {w, h, layerToRgba(r.scribblesLayer)}, r.error) ||
        !writePng(r.compositePng, compositeOverWhite(w, h, r.colorLayer, r.lineLayer), r.error))
        return;
    r.exitCode = r.warnings.empty() ? 0 : 3;
}

}  // namespace

SessionResult runSession(const SessionOptions& options) {
    SessionResult r;
    try {
        play(options, r);
    } catch (const std::bad_alloc&) {
        r.error = "not enough memory";
    } catch (const std::exception& e) {
        r.error = e.what();
    }
    if (!r.error.empty()) r.exitCode = 1;
    return r;
}

RgbaImage compositeOverWhite(int width, int height, const std::vector<uint8_t>& color,
                             const std::vector<uint8_t>& lines) {
    const size_t n = size_t(width) * size_t(height);
    RgbaImage out{width, height, std::vector<uint8_t>(n * 4)};
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* c = &color[i * 4];
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

}  // namespace hostsim
