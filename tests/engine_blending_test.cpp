#include <gtest/gtest.h>
#include <math.h>

#include <random>
#include <vector>

#include "engine/colorBlending.h"

namespace {

typedef unsigned char Byte;

std::vector<Byte> blend(int w, int h, std::vector<Byte> grey, std::vector<Byte> pixels) {
    solveColorBlending(w, h, grey.data(), pixels.data());
    return pixels;
}

// Independent Jacobi iteration of the same smoothing, in the arithmetic the algorithm fixes:
// single precision, sums in neighbour order (up, left, right, down), and the anchor weight formed
// in double and narrowed. Its bytes must agree exactly.
std::vector<Byte> reference(int w, int h, const std::vector<Byte>& grey,
                            const std::vector<Byte>& pixels) {
    const int n = w * h;
    std::vector<float> g(n);
    for (int p = 0; p < n; ++p) g[p] = grey[p] / 255.0f;
    const std::vector<float> in(pixels.begin(), pixels.end());
    std::vector<float> cur = in, next(4 * n);
    for (int sweep = 0; sweep < 64; ++sweep) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int p = y * w + x;
                float num[4] = {0, 0, 0, 0}, den = 0;
                const int nbrs[4][2] = {{x, y - 1}, {x - 1, y}, {x + 1, y}, {x, y + 1}};
                for (const auto& q : nbrs) {
                    if (q[0] < 0 || q[0] >= w || q[1] < 0 || q[1] >= h) continue;
                    const int qi = q[1] * w + q[0];
                    const float d = g[qi] - g[p];
                    const float wt = (expf(-d * d * 100.0f) + 0.1f) * (1.0f - powf(g[p], 4.0f));
                    for (int c = 0; c < 4; ++c) num[c] = num[c] + wt * cur[4 * qi + c];
                    den = den + wt;
                }
                const float a = static_cast<float>(g[p] * 0.1);
                for (int c = 0; c < 4; ++c)
                    next[4 * p + c] = (num[c] + a * in[4 * p + c]) / (den + a);
            }
        }
        cur.swap(next);
    }
    return std::vector<Byte>(cur.begin(), cur.end());
}

}  // namespace

TEST(ColorBlending, ThreeByOneWorkedExample) {
    const std::vector<Byte> out =
        blend(3, 1, {255, 0, 255}, {0, 0, 0, 0, 17, 33, 250, 9, 200, 200, 200, 200});
    EXPECT_EQ(out, std::vector<Byte>({0, 0, 0, 0, 100, 100, 100, 100, 200, 200, 200, 200}));
}

TEST(ColorBlending, BlackPixelTakesTruncatedMeanOfWhiteNeighbours) {
    EXPECT_EQ(blend(3, 1, {255, 0, 255}, {0, 0, 0, 0, 90, 90, 90, 90, 13, 13, 13, 13}),
              std::vector<Byte>({0, 0, 0, 0, 6, 6, 6, 6, 13, 13, 13, 13}));
    // Four white neighbours with distinct channels; the corners do not take part.
    std::vector<Byte> grey(9, 255);
    grey[4] = 0;
    std::vector<Byte> px(36, 250);
    const Byte up[4] = {10, 20, 30, 40}, left[4] = {1, 3, 5, 7}, right[4] = {100, 0, 255, 8},
               down[4] = {4, 9, 16, 25};
    for (int c = 0; c < 4; ++c) {
        px[4 * 1 + c] = up[c];
        px[4 * 3 + c] = left[c];
        px[4 * 5 + c] = right[c];
        px[4 * 7 + c] = down[c];
    }
    const std::vector<Byte> out = blend(3, 3, grey, px);
    for (int c = 0; c < 4; ++c) {
        const int sum = up[c] + left[c] + right[c] + down[c];
        EXPECT_EQ(out[4 * 4 + c], sum / 4) << "channel " << c;
    }
}

TEST(ColorBlending, WhitePixelsKeepTheirBytes) {
    std::mt19937 rng(77);
    for (int trial = 0; trial < 20; ++trial) {
        const int w = 7, h = 5;
        std::vector<Byte> grey(w * h), px(4 * w * h);
        for (Byte& g : grey) g = (rng() % 3 == 0) ? 255 : static_cast<Byte>(rng() % 256);
        for (Byte& p : px) p = static_cast<Byte>(rng() % 256);
        const std::vector<Byte> out = blend(w, h, grey, px);
        for (int i = 0; i < w * h; ++i) {
            if (grey[i] != 255) continue;
            for (int c = 0; c < 4; ++c) ASSERT_EQ(out[4 * i + c], px[4 * i + c]) << i;
        }
    }
}

TEST(ColorBlending, MatchesTheFixedArithmeticExactly) {
    std::mt19937 rng(4242);
    for (int trial = 0; trial < 30; ++trial) {
        const int w = 1 + rng() % 9;
        const int h = 1 + rng() % 7;
        if (w * h == 1) continue;  // the lone pixel has its own test
        std::vector<Byte> grey(w * h), px(4 * w * h);
        // Mostly lines and paper, some mid greys, as in real line art.
        for (Byte& g : grey) {
            const int r = rng() % 4;
            g = r == 0 ? 0 : r == 1 ? 255 : static_cast<Byte>(rng() % 256);
        }
        for (Byte& p : px) p = static_cast<Byte>(rng() % 256);
        ASSERT_EQ(blend(w, h, grey, px), reference(w, h, grey, px)) << "trial " << trial;
    }
    // A flat colour over every grey level comes back unchanged in real numbers, but some bytes
    // drop by one in the fixed arithmetic: a weight off by its last bit shows here.
    for (int v = 0; v < 256; v += 4) {
        std::vector<Byte> grey(256), px(4 * 256);
        for (int i = 0; i < 256; ++i) {
            grey[i] = static_cast<Byte>(i);
            for (int c = 0; c < 4; ++c) px[4 * i + c] = static_cast<Byte>(v + c);
        }
        ASSERT_EQ(blend(16, 16, grey, px), reference(16, 16, grey, px)) << "colour " << v;
    }
    // A long black run converges slowly, so the sweep count and the Jacobi update show.
    std::vector<Byte> grey(11, 0);
    grey[0] = grey[10] = 255;
    std::vector<Byte> px(44, 0);
    for (int c = 0; c < 4; ++c) px[40 + c] = 240;
    EXPECT_EQ(blend(11, 1, grey, px), reference(11, 1, grey, px));
}

TEST(ColorBlending, DegenerateImages) {
    // A lone black pixel has no neighbour and no anchor: it keeps its colour.
    EXPECT_EQ(blend(1, 1, {0}, {12, 34, 56, 78}), std::vector<Byte>({12, 34, 56, 78}));
    EXPECT_EQ(blend(1, 1, {255}, {12, 34, 56, 78}), std::vector<Byte>({12, 34, 56, 78}));
    // Nothing to read or write.
    Byte sentinel[4] = {1, 2, 3, 4};
    solveColorBlending(0, 3, nullptr, sentinel);
    solveColorBlending(5, 0, nullptr, sentinel);
    EXPECT_EQ(sentinel[0], 1);
    EXPECT_EQ(sentinel[3], 4);
}
