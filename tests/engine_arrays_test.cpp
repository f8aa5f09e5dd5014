#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <vector>

#include "engine/Array2.h"
#include "engine/Vec.h"
#include "engine/raster.h"

namespace {

// 7 by 5 with a distinct value in every element, so a transposed index shows.
Array2<int> numbered(int w, int h) {
    Array2<int> a(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) a(x, y) = 100 * y + x;
    return a;
}

template <typename T>
int countEqual(const Array2<T>& a, T v) {
    int n = 0;
    for (int i = 0; i < a.numel(); ++i) n += a[i] == v;
    return n;
}

}  // namespace

TEST(Array2, LayoutIsRowAfterRow) {
    Array2<int> a = numbered(7, 5);
    EXPECT_EQ(a.width(), 7);
    EXPECT_EQ(a.height(), 5);
    EXPECT_EQ(a.numel(), 35);
    EXPECT_EQ(a.size(0), 7);
    EXPECT_EQ(a.size(1), 5);
    EXPECT_EQ(size(a)(0), 7);
    EXPECT_EQ(size(a)(1), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(a[x + 7 * y], 100 * y + x);
    Array2<unsigned char> b(Vec<2, int>(3, 4));
    EXPECT_EQ(b.width(), 3);
    EXPECT_EQ(b.height(), 4);
}

// One test for the whole ownership story; under the sanitizer build any double free, leak
// or use of a released buffer here fails the run.
TEST(Array2, Ownership) {
    // Copy of an owning array: independent elements, its own buffer.
    {
        Array2<int> src = numbered(3, 2);
        Array2<int> copy(src);
        EXPECT_NE(copy.data(), src.data());
        copy(1, 1) = -5;
        EXPECT_EQ(src(1, 1), 101);
        EXPECT_EQ(copy(2, 1), 102);
    }
    // Empty owning arrays hold null buffers, also through copying and assignment.
    {
        Array2<int> empty(0, 4);
        EXPECT_EQ(empty.data(), nullptr);
        EXPECT_EQ(empty.numel(), 0);
        Array2<int> copy(empty);
        EXPECT_EQ(copy.data(), nullptr);
        EXPECT_EQ(copy.width(), 0);
        EXPECT_EQ(copy.height(), 4);

        std::vector<int> outside(6, 7);
        Array2<int> view(3, 2, outside.data());
        view = empty;
        EXPECT_EQ(view.data(), nullptr);
        EXPECT_EQ(view.height(), 4);
        EXPECT_EQ(outside, std::vector<int>(6, 7));

        Array2<int> other = numbered(3, 2);
        other = Array2<int>(5, 0);
        EXPECT_EQ(other.data(), nullptr);
        EXPECT_EQ(other.width(), 5);
        EXPECT_EQ(other.height(), 0);
    }
    // Copy of a view: a second view; destroying either leaves the buffer alone.
    {
        std::vector<int> outside = {1, 2, 3, 4, 5, 6};
        {
            Array2<int> view(3, 2, outside.data());
            {
                Array2<int> second(view);
                EXPECT_EQ(second.data(), outside.data());
                second(2, 1) = 60;
            }
            EXPECT_EQ(view(2, 1), 60);
        }
        EXPECT_EQ(outside[5], 60);
    }
    // Owning to owning of the same size reuses the target's buffer.
    {
        Array2<int> src = numbered(3, 2);
        Array2<int> dst(3, 2);
        int* before = dst.data();
        dst = src;
        EXPECT_EQ(dst.data(), before);
        EXPECT_EQ(dst(2, 1), 102);
        dst(0, 0) = 9;
        EXPECT_EQ(src(0, 0), 0);
    }
    // Owning to owning of another size reallocates.
    {
        Array2<int> src = numbered(7, 5);
        Array2<int> dst(2, 2);
        dst = src;
        EXPECT_EQ(dst.width(), 7);
        EXPECT_EQ(dst(6, 4), 406);
    }
    // Owning to a view of the same size: the view becomes an owning copy, the viewed
    // buffer keeps its old contents.
    {
        std::vector<int> outside(6, -1);
        Array2<int> view(3, 2, outside.data());
        Array2<int> src = numbered(3, 2);
        view = src;
        EXPECT_NE(view.data(), outside.data());
        EXPECT_NE(view.data(), src.data());
        EXPECT_EQ(view(1, 1), 101);
        EXPECT_EQ(outside, std::vector<int>(6, -1));
    }
    // A view assigned to an owning array: the old buffer is released and the target
    // reads and writes the source's buffer.
    {
        std::vector<int> outside = {1, 2, 3, 4, 5, 6};
        Array2<int> target = numbered(7, 5);
        target = Array2<int>(2, 3, outside.data());
        EXPECT_EQ(target.data(), outside.data());
        EXPECT_EQ(target.width(), 2);
        EXPECT_EQ(target(1, 2), 6);
        target(0, 1) = 30;
        EXPECT_EQ(outside[2], 30);
    }
    // Self-assignment changes nothing, for owners and views.
    {
        Array2<int> a = numbered(3, 2);
        int* before = a.data();
        Array2<int>& alias = a;
        a = alias;
        EXPECT_EQ(a.data(), before);
        EXPECT_EQ(a(2, 1), 102);
    }
    // Swap moves the ownership with the buffer: the former view now releases it.
    {
        std::vector<int> outside(4, 8);
        Array2<int> view(2, 2, outside.data());
        {
            Array2<int> owner = numbered(3, 2);
            int* owned = owner.data();
            swap(owner, view);
            EXPECT_EQ(view.data(), owned);
            EXPECT_EQ(view.width(), 3);
            EXPECT_EQ(owner.data(), outside.data());
            EXPECT_EQ(owner.width(), 2);
        }
        EXPECT_EQ(outside, std::vector<int>(4, 8));
        EXPECT_EQ(view(2, 1), 102);
        view.swap(view);
        EXPECT_EQ(view(2, 1), 102);
    }
    // Arrays of colours copy by element.
    {
        Array2<Vec<4, float> > c(2, 1);
        c[0] = Vec<4, float>(1, 2, 3, 4);
        c[1] = Vec<4, float>(5, 6, 7, 8);
        Array2<Vec<4, float> > d(c);
        c[1](2) = 0;
        EXPECT_EQ(d[1](2), 7.0f);
        EXPECT_EQ(d[0](3), 4.0f);
    }
}

TEST(Array2, ImpossibleSizesThrowBadAlloc) {
    EXPECT_THROW(Array2<int>(-1, 5), std::bad_alloc);
    EXPECT_THROW(Array2<int>(5, -1), std::bad_alloc);
    EXPECT_THROW(Array2<int>(-3, -3), std::bad_alloc);
    // 65536 * 65536 wraps to 0 in 32 bits; it must not become an empty buffer.
    EXPECT_THROW(Array2<unsigned char>(65536, 65536), std::bad_alloc);
    EXPECT_THROW(Array2<unsigned char>(Vec<2, int>(INT_MAX, 2)), std::bad_alloc);
    EXPECT_THROW(Array2<int>(Vec<2, int>(46341, 46341)), std::bad_alloc);
    // The largest count that fits is not refused by the guard itself.
    Array2<unsigned char> line(1 << 20, 1);
    EXPECT_EQ(line.numel(), 1 << 20);
}

TEST(Raster, Fill) {
    Array2<unsigned char> a(7, 5);
    fill(&a, 200);
    EXPECT_EQ(countEqual<unsigned char>(a, 200), 35);
    Array2<int> empty(0, 3);
    fill(&empty, -1);
    EXPECT_EQ(empty.data(), nullptr);
    // A view is filled through to its buffer and no further.
    std::vector<int> outside(8, 5);
    Array2<int> view(3, 2, outside.data());
    fill(&view, -1);
    EXPECT_EQ(outside, std::vector<int>({-1, -1, -1, -1, -1, -1, 5, 5}));
}

TEST(Raster, SplatCircle) {
    {
        Array2<unsigned char> a(5, 5);
        fill(&a, 0);
        splatCircle(&a, 2, 2, 1, 1);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool inDisc = (x == 2 && y >= 1 && y <= 3) || (y == 2 && x >= 1 && x <= 3);
                EXPECT_EQ(a(x, y), inDisc ? 1 : 0) << x << "," << y;
            }
    }
    {
        Array2<unsigned char> a(17, 15);
        fill(&a, 0);
        splatCircle(&a, 8, 7, 6, 9);
        EXPECT_EQ(countEqual<unsigned char>(a, 9), 113);
        EXPECT_EQ(a(2, 7), 9);
        EXPECT_EQ(a(8, 13), 9);
        EXPECT_EQ(a(1, 7), 0);
    }
    {
        Array2<unsigned char> a(17, 15);
        fill(&a, 0);
        splatCircle(&a, 0, 0, 6, 9);
        EXPECT_EQ(countEqual<unsigned char>(a, 9), 35);
    }
    {
        Array2<int> a(7, 5);
        fill(&a, 0);
        splatCircle(&a, 3, 2, -1, 4);
        EXPECT_EQ(countEqual(a, 4), 0);
        splatCircle(&a, 3, 2, 0, 4);
        EXPECT_EQ(countEqual(a, 4), 1);
        EXPECT_EQ(a(3, 2), 4);
    }
    // Centre outside the array: only the points inside are written, matching a direct count.
    {
        Array2<int> a(7, 5);
        fill(&a, 0);
        splatCircle(&a, -2, 6, 4, 3);
        int expected = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                const bool in = (x + 2) * (x + 2) + (y - 6) * (y - 6) <= 16;
                expected += in;
                EXPECT_EQ(a(x, y), in ? 3 : 0) << x << "," << y;
            }
        EXPECT_GT(expected, 0);
    }
    // Extreme centres and radii neither overflow nor write outside.
    {
        Array2<int> a(7, 5);
        fill(&a, 0);
        splatCircle(&a, INT_MAX, INT_MAX, 5, 1);
        splatCircle(&a, INT_MIN, 2, 5, 1);
        EXPECT_EQ(countEqual(a, 1), 0);
        splatCircle(&a, 3, 2, INT_MAX, 2);
        EXPECT_EQ(countEqual(a, 2), 35);
    }
}

TEST(Vec, FourChannelArithmetic) {
    const Vec<4, float> a(1.5f, -2.0f, 3.25f, 100.0f);
    const Vec<4, float> b(0.5f, 4.0f, -1.25f, 27.0f);
    const Vec<4, float> sum = a + b;
    EXPECT_EQ(sum(0), 2.0f);
    EXPECT_EQ(sum(1), 2.0f);
    EXPECT_EQ(sum(2), 2.0f);
    EXPECT_EQ(sum(3), 127.0f);
    const Vec<4, float> scaled = 2.0f * a;
    EXPECT_EQ(scaled(0), 3.0f);
    EXPECT_EQ(scaled(1), -4.0f);
    EXPECT_EQ(scaled(2), 6.5f);
    EXPECT_EQ(scaled(3), 200.0f);

    Vec<4, float> acc = a;
    Vec<4, float> returned = (acc += b);
    returned(0) = 99.0f;
    EXPECT_EQ(acc(0), 2.0f);
    EXPECT_EQ(acc(3), 127.0f);

    // Find values whose division differs from multiplying by the reciprocal, so the check
    // tells the two apart.
    const float s = 3.0f;
    std::vector<float> vals;
    for (int i = 1; vals.size() < 4 && i < 1000; ++i) {
        const float v = static_cast<float>(i) * 0.37f;
        if (v / s != v * (1.0f / s)) vals.push_back(v);
    }
    ASSERT_EQ(vals.size(), 4u);
    const Vec<4, float> q = Vec<4, float>(vals[0], vals[1], vals[2], vals[3]) / s;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(q(i), vals[i] / s);

    const Vec<2, int> dims(7, 5);
    EXPECT_EQ(dims(0), 7);
    EXPECT_EQ(dims(1), 5);
}
