// One image in the stand-in host with the real plug-in module loaded on it, for tests that
// drive the module as a host would.
//
//   daubtest::ModuleScene s(7, 5);      // the module is loaded, not yet opened
//   s.open();                           // PI_Open
//   s.threeLayers();                    // ink, ink_scribbles (current), ink_color
//   s.host.setPixel(s.scribbles, 1, 1, hostsim::Pixel{255, 200, 30, 40});
//   const daubtest::Snapshot before = s.snapshot();
//   s.press(15);                        // Paint; the host's call log starts afresh
//   EXPECT_EQ(s.changedSince(before), std::vector<int>{s.color});
//
// The module is closed (PI_Close) and unloaded when the scene ends. Header only: the
// module's path is known to the test programs, not to the support library.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "hostsim/Host.h"
#include "hostsim/PluginModule.h"

namespace daubtest {

// Every layer's pixels by layer id.
using Snapshot = std::map<int, std::vector<uint8_t>>;

struct ModuleScene {
    explicit ModuleScene(int w = 9, int h = 7) : host(w, h), module(DAUB_MODULE_PATH) {
        EXPECT_TRUE(module.ok()) << module.error();
    }
    ~ModuleScene() { module.close(host.filter()); }
    ModuleScene(const ModuleScene&) = delete;
    ModuleScene& operator=(const ModuleScene&) = delete;

    PIFilter* f() { return host.filter(); }
    int32_t open() { return module.open(host.filter()); }
    // A panel button, with the call log cleared first so that it holds this press alone.
    int32_t press(int64_t id) {
        host.clearCalls();
        return module.pressButton(host.filter(), id);
    }

    // The usual arrangement: ink, ink_scribbles (current), ink_color.
    void threeLayers() {
        ink = host.addLayer("ink");
        scribbles = host.addLayer("ink_scribbles");
        color = host.addLayer("ink_color");
        host.setCurrentLayer(scribbles);
    }
    std::vector<uint8_t> bytes(int id) const { return host.layer(id)->pixels; }
    // The rectangle from (x0, y0) to (x1, y1), both included: all of it, or its border.
    void fill(int id, int x0, int y0, int x1, int y1, hostsim::Pixel p) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) host.setPixel(id, x, y, p);
    }
    void outline(int id, int x0, int y0, int x1, int y1, hostsim::Pixel p) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (x == x0 || x == x1 || y == y0 || y == y1) host.setPixel(id, x, y, p);
    }

    Snapshot snapshot() const {
        Snapshot s;
        for (int p = 0; p < host.layerCount(); ++p)
            s[host.layerIdAt(p)] = host.layer(host.layerIdAt(p))->pixels;
        return s;
    }
    // Layers of the snapshot whose pixels differ now (or that are gone), by id.
    std::vector<int> changedSince(const Snapshot& before) const {
        std::vector<int> out;
        for (const auto& [id, pixels] : before)
            if (host.layer(id) == nullptr || host.layer(id)->pixels != pixels) out.push_back(id);
        return out;
    }
    // Layer writes asked for since the log was last cleared, or since call number `from`.
    int writes(size_t from = 0) const {
        int n = 0;
        for (size_t i = from; i < host.calls().size(); ++i)
            n += host.calls()[i].command == hostsim::kCmdWriteLayer;
        return n;
    }

    hostsim::Host host;
    hostsim::PluginModule module;
    int ink = 0, scribbles = 0, color = 0;
};

// Lines of a log (script commands, described calls) that start with prefix.
inline int countPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& l : lines) n += l.compare(0, prefix.size(), prefix) == 0;
    return n;
}

}  // namespace daubtest
