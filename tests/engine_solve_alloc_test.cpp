// Out of memory at every allocation in turn: each failure must leave as std::bad_alloc with
// everything allocated so far released. Counted and failed alike: operator new and new[] (arrays,
// super-node lists), calloc (the grid graph's pool) and 64-byte-aligned new[] (the active queue's
// growth). This executable replaces those functions and free, so it holds nothing else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "engine/solver.h"
#include "maxflow/GridGraph_2D_4C.h"
#include "support/DenseGridGraph.h"

namespace {

long long gAllocations = 0;
long long gFailAt = -1;  // the allocation number that fails; -1 = none
long long gLive = 0;
long long gAligned = 0;  // aligned allocations asked for

bool failHere() {
    return gFailAt >= 0 && gAllocations++ == gFailAt;
}

// The calloc and free behind the ones below (the sanitizer's or the C library's), looked up on
// first use: other code in this executable may allocate before any initialiser here has run.
void* (*gUnderlyingCalloc)(std::size_t, std::size_t) = nullptr;
void (*gUnderlyingFree)(void*) = nullptr;

void* realCalloc(std::size_t count, std::size_t size) {
    if (gUnderlyingCalloc == nullptr) {
        gUnderlyingCalloc =
            reinterpret_cast<void* (*)(std::size_t, std::size_t)>(dlsym(RTLD_NEXT, "calloc"));
    }
    return gUnderlyingCalloc(count, size);
}
void realFree(void* p) {
    if (gUnderlyingFree == nullptr) {
        gUnderlyingFree = reinterpret_cast<void (*)(void*)>(dlsym(RTLD_NEXT, "free"));
    }
    gUnderlyingFree(p);
}

// Blocks from calloc. free counts only these: code in this executable also frees blocks that came
// from malloc, strdup and the like.
void* gCalloced[64];
int gCallocedCount = 0;

}  // namespace

// calloc and free for this executable's own code only (the engine's among it): hidden, so that the
// C library, the C++ runtime and the sanitizer runtime keep calling their own. Declared under
// other names because the compiler already knows calloc and free with default visibility.
extern "C" __attribute__((visibility("hidden"))) void* countedCalloc(std::size_t count,
                                                                     std::size_t size) noexcept
    __asm__("calloc");
extern "C" __attribute__((visibility("hidden"))) void countedFree(void* p) noexcept __asm__("free");

extern "C" void* countedCalloc(std::size_t count, std::size_t size) noexcept {
    if (failHere()) return nullptr;
    void* p = realCalloc(count, size);
    if (p == nullptr) return nullptr;
    ++gLive;  // still counted when the list is full, so that the miss shows as a leak
    if (gCallocedCount < 64) gCalloced[gCallocedCount++] = p;
    return p;
}

extern "C" void countedFree(void* p) noexcept {
    for (int i = 0; i < gCallocedCount; ++i) {
        if (gCalloced[i] == p) {
            gCalloced[i] = gCalloced[--gCallocedCount];
            --gLive;
            break;
        }
    }
    realFree(p);
}

void* operator new(std::size_t n) {
    if (failHere()) throw std::bad_alloc();
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    ++gLive;
    return p;
}
void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    --gLive;
    realFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

// The sanitizer runtime brings array and aligned forms of its own that would bypass the ones
// above.
void* operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

void* operator new[](std::size_t n, std::align_val_t alignment) {
    ++gAligned;
    if (failHere()) throw std::bad_alloc();
    const std::size_t a = static_cast<std::size_t>(alignment);
    void* p = std::aligned_alloc(a, n == 0 ? a : (n + a - 1) / a * a);
    if (p == nullptr) throw std::bad_alloc();
    ++gLive;
    return p;
}
void operator delete[](void* p, std::align_val_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    operator delete(p);
}

namespace {

// Runs run() with allocation k failing, for k = 0, 1, ... until a run gets all the memory it asks
// for. Every run must leave no block behind, and every failed one must leave as std::bad_alloc.
// Returns the number of failed runs.
template <typename Run>
int failEachAllocation(Run run) {
    for (long long k = 0;; ++k) {
        const long long liveBefore = gLive;
        gAllocations = 0;
        gFailAt = k;
        bool threw = false;
        try {
            run();
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        gFailAt = -1;
        EXPECT_EQ(liveBefore, gLive) << "allocation " << k;
        if (!threw) return static_cast<int>(k);
    }
}

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
    std::vector<int> labels(w * h, -1);
    const auto run = [&] { solverSolve(w, h, grey.data(), scribbles.data(), 3, labels.data()); };
    run();
    const std::vector<int> expected = labels;
    std::fill(labels.begin(), labels.end(), -1);
    EXPECT_GT(failEachAllocation(run), 30);
    EXPECT_EQ(expected, labels);
}

// No image this engine solves outgrows the active queue's first room, so the growth is failed on
// a graph built to outgrow it.
TEST(GridGraphAlloc, EveryFailedAllocationOfBuildOrSearchLeavesNothingBehind) {
    using Graph = GridGraph_2D_4C<int, int, int>;
    const int W = 30, H = 30, S = 4;
    struct Calls {
        Graph* g;
        void arc(int x, int y, int dx, int dy, int cap, int revCap) {
            g->set_neighbor_cap(g->node_id(x, y), dx, dy, cap, revCap);
        }
        void tie(int x, int y, int cs, int ct) { g->set_terminal_cap(g->node_id(x, y), cs, ct); }
        void link(int s, int x, int y) { g->add_edge(g->super_id(s), g->node_id(x, y)); }
    };
    std::vector<int> sides(W * H + S, -1);
    const auto run = [&] {
        Graph g(W, H, S);
        Calls calls{&g};
        buildDense(calls, W, H, S, 1);
        g.compute_maxflow();
        for (int i = 0; i < W * H; ++i) sides[i] = g.get_segment(g.node_id(i % W, i / W));
        for (int s = 0; s < S; ++s) sides[W * H + s] = g.get_segment(g.super_id(s));
    };
    gAligned = 0;
    run();
    ASSERT_EQ(gAligned, 1);  // the search grows the queue once
    const std::vector<int> expected = sides;
    std::fill(sides.begin(), sides.end(), -1);
    EXPECT_GT(failEachAllocation(run), 2);
    EXPECT_EQ(expected, sides);
}

}  // namespace
