// The panel's logo: three overlapping paint daubs with cartoon outlines beside
// the word "Daubwise", 185 by 35 pixels.
//
// logoData holds it as 0xAARRGGBB words (not premultiplied), row after row; it is
// drawn here at compile time from a few circles and a 5 by 7 letter grid scaled
// three times. paintLogo writes it premultiplied into a button's block.
#pragma once

#include <array>
#include <cstdint>

#include "host/PIFilter.h"

namespace daub {

constexpr int kLogoWidth = 185;
constexpr int kLogoHeight = 35;

namespace logo_detail {

struct Colour {
    int a, r, g, b;
};

// Straight-alpha "over" in integers; the result is not premultiplied.
constexpr Colour over(Colour dst, Colour src) {
    const int outA = src.a + dst.a * (255 - src.a) / 255;
    if (outA == 0) return Colour{0, 0, 0, 0};
    const int keep = dst.a * (255 - src.a) / 255;
    return Colour{outA, (src.r * src.a + dst.r * keep) / outA,
                  (src.g * src.a + dst.g * keep) / outA, (src.b * src.a + dst.b * keep) / outA};
}

// Covered share (0 to 16) of pixel (x, y) by the disc of centre (cx, cy) and radius r,
// all in eighths of a pixel, sampled on a 4 by 4 grid. Pixels well inside or outside are
// settled from their centre alone, which keeps the compile-time drawing cheap.
constexpr int discCover(int x, int y, int cx, int cy, int r) {
    const int mx = 8 * x + 4 - cx, my = 8 * y + 4 - cy;
    const int d2 = mx * mx + my * my;
    if (d2 > (r + 6) * (r + 6)) return 0;
    if (r > 6 && d2 < (r - 6) * (r - 6)) return 16;
    int n = 0;
    for (int s = 0; s < 16; ++s) {
        const int dx = 8 * x + 2 * (s % 4) + 1 - cx;
        const int dy = 8 * y + 2 * (s / 4) + 1 - cy;
        if (dx * dx + dy * dy <= r * r) ++n;
    }
    return n;
}

struct Daub {
    int cx, cy;  // eighths of a pixel
    Colour fill;
};

constexpr int kRadius = 80;  // 10 pixels
constexpr int kRing = 12;    // 1.5 pixels of outline
constexpr Colour kInk{255, 0x2B, 0x2D, 0x42};

constexpr Daub kDaubs[3] = {
    {104, 96, Colour{255, 0xEF, 0x47, 0x6F}},   // coral
    {216, 96, Colour{255, 0xFF, 0xD1, 0x66}},   // sunflower
    {160, 184, Colour{255, 0x11, 0x8A, 0xB2}},  // sea blue
};

// "Daubwise" on a 5 by 7 grid; '#' is ink.
constexpr const char* kGlyphs[8][7] = {
    {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."},  // D
    {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"},  // a
    {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"},  // u
    {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."},  // b
    {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."},  // w
    {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."},  // i
    {".....", ".....", ".####", "#....", ".###.", "....#", "####."},  // s
    {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."},  // e
};
constexpr int kScale = 3;
constexpr int kTextX = 43;
constexpr int kTextY = 7;
constexpr int kAdvance = 6 * kScale;

constexpr bool textInk(int x, int y) {
    const int gx = x - kTextX, gy = y - kTextY;
    if (gx < 0 || gy < 0 || gy >= 7 * kScale) return false;
    const int letter = gx / kAdvance, col = (gx % kAdvance) / kScale;
    if (letter >= 8 || col >= 5) return false;
    return kGlyphs[letter][gy / kScale][col] == '#';
}

constexpr std::array<uint32_t, kLogoWidth * kLogoHeight> draw() {
    std::array<uint32_t, kLogoWidth * kLogoHeight> words{};
    for (int y = 0; y < kLogoHeight; ++y) {
        for (int x = 0; x < kLogoWidth; ++x) {
            Colour c{0, 0, 0, 0};
            for (const Daub& d : kDaubs) {
                const int outer = discCover(x, y, d.cx, d.cy, kRadius);
                const int inner = discCover(x, y, d.cx, d.cy, kRadius - kRing);
                if (outer > 0) c = over(c, Colour{outer * 255 / 16, kInk.r, kInk.g, kInk.b});
                if (inner > 0) c = over(c, Colour{inner * 255 / 16, d.fill.r, d.fill.g, d.fill.b});
            }
            if (textInk(x, y)) c = kInk;
            words[static_cast<size_t>(y * kLogoWidth + x)] =
                static_cast<uint32_t>(c.a) << 24 | static_cast<uint32_t>(c.r) << 16 |
                static_cast<uint32_t>(c.g) << 8 | static_cast<uint32_t>(c.b);
        }
    }
    return words;
}

}  // namespace logo_detail

inline constexpr std::array<uint32_t, kLogoWidth* kLogoHeight> logoData = logo_detail::draw();

// Writes the logo premultiplied (byte 0 opacity, then red, green, blue, each
// times opacity / 255) into block, clipped to the block's own width and height.
void paintLogo(PIBlock* block);

}  // namespace daub
