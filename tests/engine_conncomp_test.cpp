#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <random>
#include <vector>

#include "engine/Array2.h"
#include "engine/UnionFind.h"
#include "engine/conncomp4.h"

namespace {

typedef unsigned char Byte;

struct Result {
    std::vector<int> labels;
    int count;
};

Result label(int w, int h, const std::vector<Byte>& img, Byte bg) {
    Result r;
    r.labels.assign(img.size(), -7);
    r.count = -7;
    conncomp4(w, h, img.data(), bg, r.labels.data(), &r.count);
    return r;
}

// Independent oracle: flood fill from each unlabelled pixel in raster order, so the
// components come out numbered by their first pixels.
Result floodFill(int w, int h, const std::vector<Byte>& img, Byte bg) {
    Result r;
    r.labels.assign(img.size(), -1);
    r.count = 0;
    std::vector<bool> seen(img.size(), false);
    for (int start = 0; start < w * h; ++start) {
        if (img[start] == bg || seen[start]) continue;
        std::vector<int> stack(1, start);
        seen[start] = true;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            r.labels[p] = r.count;
            const int x = p % w, y = p / w;
            const int nx[4] = {x - 1, x + 1, x, x};
            const int ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4; ++k) {
                if (nx[k] < 0 || nx[k] >= w || ny[k] < 0 || ny[k] >= h) continue;
                const int q = ny[k] * w + nx[k];
                if (!seen[q] && img[q] == img[p]) {
                    seen[q] = true;
                    stack.push_back(q);
                }
            }
        }
        ++r.count;
    }
    return r;
}

}  // namespace

TEST(Conncomp4, SmallImages) {
    {
        Result r = label(3, 2, std::vector<Byte>(6, 4), 4);
        EXPECT_EQ(r.count, 0);
        EXPECT_EQ(r.labels, std::vector<int>(6, -1));
    }
    {
        Result r = label(7, 5, std::vector<Byte>(35, 9), 0);
        EXPECT_EQ(r.count, 1);
        EXPECT_EQ(r.labels, std::vector<int>(35, 0));
    }
    {
        // Diagonal neighbours never join.
        Result r = label(2, 2, {3, 4, 4, 3}, 0);
        EXPECT_EQ(r.count, 4);
        EXPECT_EQ(r.labels, std::vector<int>({0, 1, 2, 3}));
    }
    {
        Result r = label(4, 1, {1, 1, 2, 2}, 0);
        EXPECT_EQ(r.count, 2);
        EXPECT_EQ(r.labels, std::vector<int>({0, 0, 1, 1}));
    }
    {
        // Two arms open separate provisional labels; the bottom row merges them.
        Result r = label(3, 3, {5, 0, 5, 5, 0, 5, 5, 5, 5}, 0);
        EXPECT_EQ(r.count, 1);
        EXPECT_EQ(r.labels, std::vector<int>({0, -1, 0, 0, -1, 0, 0, 0, 0}));
    }
    {
        // The scan meets the right-hand column first.
        Result r = label(3, 2, {0, 0, 7, 7, 0, 7}, 0);
        EXPECT_EQ(r.count, 2);
        EXPECT_EQ(r.labels, std::vector<int>({-1, -1, 0, 1, -1, 0}));
    }
    {
        // A spiral makes a long chain of merges whose later roots must fold into the first.
        const int w = 7, h = 5;
        std::vector<Byte> img = {1, 1, 1, 1, 1, 1, 1,  //
                                 1, 0, 0, 0, 0, 0, 1,  //
                                 1, 0, 1, 1, 1, 0, 1,  //
                                 1, 0, 1, 0, 0, 0, 1,  //
                                 1, 1, 1, 0, 2, 2, 1};
        Result r = label(w, h, img, 0);
        Result want = floodFill(w, h, img, 0);
        EXPECT_EQ(r.count, 2);
        EXPECT_EQ(r.labels, want.labels);
    }
}

TEST(Conncomp4, EmptyImageWritesNothing) {
    int count = 5;
    int sentinel = 42;
    conncomp4<Byte>(0, 3, nullptr, 0, &sentinel, &count);
    EXPECT_EQ(count, 0);
    count = 5;
    conncomp4<Byte>(4, 0, nullptr, 0, &sentinel, &count);
    EXPECT_EQ(count, 0);
    count = 5;
    conncomp4<Byte>(-2, 3, nullptr, 0, &sentinel, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(sentinel, 42);

    // A pixel count that no label can index is refused before anything is touched.
    count = 5;
    EXPECT_THROW(conncomp4<Byte>(65536, 65536, nullptr, 0, &sentinel, &count), std::bad_alloc);
    EXPECT_EQ(sentinel, 42);

    Array2<Byte> none(0, 4);
    Array2<int> labels(3, 3);
    count = 5;
    conncomp4(none, 0, &labels, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(labels.width(), 0);
    EXPECT_EQ(labels.height(), 4);
    EXPECT_EQ(labels.data(), nullptr);
}

TEST(Conncomp4, ArrayFormResizesOrWritesInPlace) {
    std::vector<Byte> pixels = {0, 0, 7, 7, 0, 7};
    Array2<Byte> img(3, 2, pixels.data());
    const std::vector<int> want = {-1, -1, 0, 1, -1, 0};
    int count = -1;

    // Wrong size, owning: replaced by an owning array of the image's size.
    {
        Array2<int> labels(0, 0);
        conncomp4(img, 0, &labels, &count);
        ASSERT_EQ(labels.width(), 3);
        ASSERT_EQ(labels.height(), 2);
        EXPECT_EQ(count, 2);
        EXPECT_EQ(std::vector<int>(labels.data(), labels.data() + 6), want);
    }
    // Wrong size, a view: the viewed buffer is left untouched.
    {
        std::vector<int> outside(4, 9);
        Array2<int> labels(2, 2, outside.data());
        conncomp4(img, 0, &labels, &count);
        EXPECT_EQ(outside, std::vector<int>(4, 9));
        ASSERT_EQ(labels.width(), 3);
        EXPECT_EQ(std::vector<int>(labels.data(), labels.data() + 6), want);
        // It now owns its buffer: copying it must give an independent copy.
        Array2<int> copy(labels);
        EXPECT_NE(copy.data(), labels.data());
    }
    // Right size, a view: written in place.
    {
        std::vector<int> outside(6, 9);
        Array2<int> labels(3, 2, outside.data());
        conncomp4(img, 0, &labels, &count);
        EXPECT_EQ(labels.data(), outside.data());
        EXPECT_EQ(outside, want);
    }
    // Right size, owning: the same buffer is reused.
    {
        Array2<int> labels(3, 2);
        int* before = labels.data();
        conncomp4(img, 0, &labels, &count);
        EXPECT_EQ(labels.data(), before);
        EXPECT_EQ(std::vector<int>(labels.data(), labels.data() + 6), want);
    }
}

TEST(Conncomp4, MatchesFloodFillOnRandomImages) {
    std::mt19937 rng(20240613);
    for (int trial = 0; trial < 400; ++trial) {
        const int w = 1 + rng() % 11;
        const int h = 1 + rng() % 9;
        const int values = 2 + rng() % 3;  // few values: long runs and many merges
        const Byte bg = rng() % values;
        std::vector<Byte> img(w * h);
        for (Byte& v : img) v = static_cast<Byte>(rng() % values);
        const Result got = label(w, h, img, bg);
        const Result want = floodFill(w, h, img, bg);
        ASSERT_EQ(got.count, want.count) << "trial " << trial;
        ASSERT_EQ(got.labels, want.labels) << "trial " << trial;
    }
}

TEST(UnionFind, RootsAndPathCompression) {
    UnionFind sets(6);
    EXPECT_FALSE(sets.isRoot(0));  // not added yet
    for (int i = 0; i < 6; ++i) sets.add(i);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(sets.isRoot(i));
    // Build the chain 4 -> 3 -> 2 -> 1 -> 0 one root at a time.
    EXPECT_EQ(sets.unify(3, 4), 3);
    EXPECT_EQ(sets.unify(2, 3), 2);
    EXPECT_EQ(sets.unify(1, 2), 1);
    EXPECT_EQ(sets.unify(0, 1), 0);
    EXPECT_EQ(sets.find(4), 0);
    // Joining through a non-root member lands the root under a's root.
    EXPECT_EQ(sets.unify(4, 5), 0);
    EXPECT_EQ(sets.find(5), 0);
    for (int i = 1; i < 6; ++i) EXPECT_FALSE(sets.isRoot(i));
    EXPECT_TRUE(sets.isRoot(0));
}
