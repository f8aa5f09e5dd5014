// Out of memory at every allocation the entry point makes: each failure must leave as
// std::bad_alloc with everything allocated so far released. This executable replaces the
// global allocation functions, so it holds nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "engine/solver.h"

namespace {

long long gAllocations = 0;
long long gFailAt = -1;  // the allocation number that fails; -1 = none
long long gLive = 0;

// Kept out of line so that the compiler never sees a new-ed pointer reach free directly.
[[gnu::noinline]] void release(void* p) {
    std::free(p);
}

}  // namespace

void* operator new(std::size_t n) {
    if (gFailAt >= 0 && gAllocations++ == gFailAt) throw std::bad_alloc();
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    ++gLive;
    return p;
}

void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    --gLive;
    release(p);
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

// The sanitizer runtime brings array forms of its own that would bypass the ones above.
void* operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

TEST(EngineSolverSolveAlloc, EveryFailedAllocationLeavesNothingBehind) {
    // Four bright quarters past the region size, a dark cross and three labels: masks,
    // components, band, regions with linked node pixels and several passes all allocate.
    const int w = 121, h = 94;
    std::vector<unsigned char> grey(w * h, 250);
    std::vector<int> scribbles(w * h, -1);
    for (int y = 0; y < h; ++y) grey[y * w + 58] = 10;
    for (int x = 0; x < w; ++x) grey[46 * w + x] = 60;
    for (int k = 0; k < 6; ++k) {
        scribbles[(3 + k) * w + 5] = 0;
        scribbles[(70 + k) * w + 90] = 2;
        scribbles[5 * w + 80 + k] = 1;
    }
    std::vector<int> expected(w * h, -1);
    solverSolve(w, h, grey.data(), scribbles.data(), 3, expected.data());

    int failures = 0;
    for (long long k = 0;; ++k) {
        std::vector<int> labels(w * h, -1);
        const long long liveBefore = gLive;
        gAllocations = 0;
        gFailAt = k;
        bool threw = false;
        try {
            solverSolve(w, h, grey.data(), scribbles.data(), 3, labels.data());
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        gFailAt = -1;
        ASSERT_EQ(liveBefore, gLive) << "allocation " << k;
        if (!threw) {
            EXPECT_EQ(expected, labels);
            break;
        }
        ++failures;
    }
    EXPECT_GT(failures, 30);
}

}  // namespace
