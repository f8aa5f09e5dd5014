// buildDense: a 4-connected grid graph whose search keeps re-activating nodes. Half the pixels are
// source roots of capacity 1, the rest sink roots, every pixel linked to one of S super nodes:
// roots dry up one after another while the same head node keeps finding paths, and every freed
// node wakes its neighbours and links into the next queue. On 30 by 30 with S = 4 the next queue
// passes the 2N ids of its first room.
//
//   buildDense(builder, 30, 30, 4, seed);
//
// builder takes the calls: arc(x, y, dx, dy, cap, revCap), tie(x, y, capSource, capSink) and
// link(s, x, y), so that a test can send the same graph to the grid solver and to an oracle.
#pragma once

#include <random>

template <typename Builder>
void buildDense(Builder& b, int W, int H, int S, unsigned seed) {
    std::mt19937 rng(seed);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int c1 = int(1 + rng() % 3), c2 = int(1 + rng() % 3);
            if (x + 1 < W) b.arc(x, y, 1, 0, c1, c2);
            const int c3 = int(1 + rng() % 3), c4 = int(1 + rng() % 3);
            if (y + 1 < H) b.arc(x, y, 0, 1, c3, c4);
            if (rng() % 100 < 50) {
                b.tie(x, y, 1, 0);
            } else {
                b.tie(x, y, 0, int(1 + rng() % 3));
            }
            b.link(int(rng() % unsigned(S)), x, y);
        }
}
