// A Paint of a 16-megapixel image with 32 labels through the real module, timed, with the peak
// memory it adds to the process. Slow (minutes under the sanitizers), so it runs only when asked:
//
//   DAUB_LARGE_PAINT=1 build/tests/plugin_large_paint_test
//
// and prints its figures. Anywhere else it is skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "hostsim/Host.h"
#include "support/ModuleScene.h"

namespace {

using hostsim::Pixel;

constexpr int kW = 4096, kH = 4096;
constexpr int kCols = 8, kRows = 4;  // 32 cells of 512 by 1024
constexpr int kCellW = kW / kCols, kCellH = kH / kRows, kRadius = 200;

// Kilobytes of a /proc/self/status line ("VmRSS", "VmHWM").
long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, std::strlen(key), key) == 0)
            return std::atol(line.c_str() + std::strlen(key) + 1);
    return -1;
}

// Scribble colour number k (0 to 30) as a layer pixel; 31 stands for the background colour.
Pixel scribbleColour(int k) {
    if (k == 31) return Pixel{255, 255, 0, 255};
    return Pixel{255, static_cast<uint8_t>(20 + 7 * k), static_cast<uint8_t>(250 - 5 * k),
                 static_cast<uint8_t>((k * 37) & 127)};
}

void put(std::vector<uint8_t>& layer, int x, int y, Pixel p) {
    uint8_t* q = &layer[(static_cast<size_t>(y) * kW + x) * 4];
    q[0] = p.a;
    q[1] = p.r;
    q[2] = p.g;
    q[3] = p.b;
}

// Cell borders 3 pixels wide and a ring of radius 200 in each cell, 2 to 3 pixels of dark ink
// with a grey anti-aliased rim; every other ring has a small gap.
std::vector<uint8_t> lineArt() {
    std::vector<uint8_t> layer(static_cast<size_t>(kW) * kH * 4, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int cx = x % kCellW, cy = y % kCellH;
            if (cx < 3 || cy < 3) {
                put(layer, x, y, Pixel{255, 0, 0, 0});
                continue;
            }
            const int dx = cx - kCellW / 2, dy = cy - kCellH / 2;
            const double d = std::abs(std::sqrt(double(dx) * dx + double(dy) * dy) - kRadius);
            const int cell = (y / kCellH) * kCols + x / kCellW;
            const bool gap = cell % 2 == 1 && dy < 0 && std::abs(dx) < 3;
            if (gap) continue;
            if (d < 1.2)
                put(layer, x, y, Pixel{255, 10, 10, 10});
            else if (d < 2.0)
                put(layer, x, y, Pixel{140, 30, 30, 30});
        }
    return layer;
}

// In cell k a stroke of colour k outside the ring and one of colour (k + 7) % 32 inside it.
std::vector<uint8_t> scribbles() {
    std::vector<uint8_t> layer(static_cast<size_t>(kW) * kH * 4, 0);
    for (int cell = 0; cell < kCols * kRows; ++cell) {
        const int x0 = (cell % kCols) * kCellW, y0 = (cell / kCols) * kCellH;
        for (int t = 0; t < 120; ++t)
            for (int k = 0; k < 5; ++k) {
                put(layer, x0 + 30 + t, y0 + 40 + k + t / 4, scribbleColour(cell));
                put(layer, x0 + kCellW / 2 - 60 + t, y0 + kCellH / 2 + k + t / 6,
                    scribbleColour((cell + 7) % 32));
            }
    }
    return layer;
}

}  // namespace

TEST(PluginLargePaint, SixteenMegapixelsWith32Labels) {
    if (std::getenv("DAUB_LARGE_PAINT") == nullptr)
        GTEST_SKIP() << "set DAUB_LARGE_PAINT=1 to paint 16 megapixels";

    daubtest::ModuleScene s(kW, kH);
    ASSERT_TRUE(s.module.ok());
    hostsim::Host& host = s.host;
    const int ink = host.addLayer("ink");
    host.layer(ink)->pixels = lineArt();
    s.open();
    ASSERT_EQ(s.press(11), 1);
    const int scrib = host.currentLayerId();
    const int color = host.layerIdAt(host.positionOf(scrib) + 1);
    host.layer(scrib)->pixels = scribbles();

    // Peak resident memory from here on: the kernel's high-water mark is reset first.
    const long baseKb = statusKb("VmRSS");
    bool hwmReset = false;
    {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        hwmReset = static_cast<bool>(clear.flush());
    }
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(s.press(15), 1);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long peakKb = statusKb("VmHWM");
    EXPECT_TRUE(host.warnings().empty()) << host.warnings().front();

    const double mp = double(kW) * kH / 1e6;
    std::printf("Paint of %d x %d (%.1f MP), 32 labels: %.2f s\n", kW, kH, mp, seconds);
    std::printf("resident before the Paint: %.1f MiB (host layers included)\n", baseKb / 1024.0);
    if (hwmReset && peakKb > 0)
        std::printf(
            "peak resident during the Paint: %.1f MiB, %.1f MiB above the start "
            "(%.1f bytes a pixel)\n",
            peakKb / 1024.0, (peakKb - baseKb) / 1024.0,
            (peakKb - baseKb) * 1024.0 / (double(kW) * kH));
    RecordProperty("paint_seconds", std::to_string(seconds));
    RecordProperty("peak_kb_above_start", std::to_string(peakKb - baseKb));

    // Each ring's inside takes its own scribble, the area around it the other one; the
    // background cell (31) comes out transparent.
    for (int cell = 0; cell < kCols * kRows; ++cell) {
        const int x0 = (cell % kCols) * kCellW, y0 = (cell / kCols) * kCellH;
        const Pixel outside = host.pixel(color, x0 + 10, y0 + kCellH - 10);
        const Pixel inside = host.pixel(color, x0 + kCellW / 2, y0 + kCellH / 2 + 40);
        const Pixel clear{0, 0, 0, 0};
        EXPECT_EQ(outside, cell == 31 ? clear : scribbleColour(cell)) << "cell " << cell;
        const int in = (cell + 7) % 32;
        if (cell % 2 == 0) {
            EXPECT_EQ(inside, in == 31 ? clear : scribbleColour(in)) << "cell " << cell;
        }
    }
}
