// Layout, building operations and hand-traced searches of GridGraph_2D_4C, checked on the
// members' values.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "maxflow/GridGraph_2D_4C.h"
#include "support/GridGraphTestAccess.h"

using Graph = GridGraph_2D_4C<int, int, int>;
using A = GridGraphTestAccess;

// Impossible allocations must come back as failures here, not abort the sanitizer build.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

// Lets one test make the next array new fail, to reach the list-array failure path.
static bool failNextArrayNew = false;
void* operator new[](std::size_t n) {
    if (failNextArrayNew) {
        failNextArrayNew = false;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// The pool holds 30 bytes per node with super slots (18 for its arrays, 12 for the orphan stack,
// orphan queue and work list of M entries each) and 32 per grid node (16 for the residuals, 16 for
// the two active-queue buffers of 2N ids each), plus 64 per array.
long long expectedPool(int N, int M) {
    return 30LL * M + 32LL * N + 960;
}

int residualSum(const Graph& g) {
    int sum = 0;
    for (int d = 0; d < 4; ++d)
        for (int v = 0; v < A::N(g); ++v) sum += A::residual(g, d, v) != 0;
    return sum;
}

}  // namespace

TEST(GridGraphLayout, PaddingAndIdsOfSmallGraphs) {
    EXPECT_EQ(A::nextHigherMul8(1), 8);
    EXPECT_EQ(A::nextHigherMul8(3), 8);
    EXPECT_EQ(A::nextHigherMul8(8), 8);
    EXPECT_EQ(A::nextHigherMul8(9), 16);

    Graph g6(6, 6, 0);
    EXPECT_EQ(A::paddedWidth(g6), 8);
    EXPECT_EQ(A::paddedHeight(g6), 8);
    EXPECT_EQ(A::N(g6), 64);
    EXPECT_EQ(A::blocksPerRow(g6), 1);
    EXPECT_EQ(A::rowStep(g6), 8);
    EXPECT_EQ(g6.node_id(0, 0), 9);
    EXPECT_EQ(g6.node_id(5, 5), 54);
    EXPECT_EQ(A::poolBytes(g6), expectedPool(64, 65));
    EXPECT_EQ(A::poolBytes(g6), 4958);
    EXPECT_TRUE(A::superList(g6, -1).empty());  // S = 0 still has slot -1

    Graph g6s(6, 6, 3);
    EXPECT_EQ(A::poolBytes(g6s), expectedPool(64, 68));
    EXPECT_EQ(A::poolBytes(g6s), 5048);
    EXPECT_EQ(g6s.super_id(0), -1);
    EXPECT_EQ(g6s.super_id(1), -2);
    EXPECT_EQ(g6s.super_id(2), -3);
    EXPECT_EQ(A::parentArc(g6s, -4), Graph::NONE);  // the spare slot exists, free
    g6s.set_terminal_cap(-4, 0, 9);                 // and is not a usable super id
    EXPECT_EQ(A::treeLabel(g6s, -4), 0);

    Graph g7(7, 5, 0);
    EXPECT_EQ(A::paddedWidth(g7), 16);
    EXPECT_EQ(A::paddedHeight(g7), 8);
    Graph g0(0, 0, 0);  // empty images still get a frame block
    EXPECT_EQ(A::N(g0), 64);
}

TEST(GridGraphLayout, NeighboursAcrossBlockEdges) {
    Graph g(8, 8, 0);
    EXPECT_EQ(A::paddedWidth(g), 16);
    EXPECT_EQ(A::N(g), 256);
    EXPECT_EQ(A::blocksPerRow(g), 2);
    EXPECT_EQ(A::rowStep(g), 72);
    EXPECT_EQ(A::poolBytes(g), expectedPool(256, 257));
    EXPECT_EQ(g.node_id(6, 0), 15);
    EXPECT_EQ(A::nb(g, 15, 0), 72);
    EXPECT_EQ(g.node_id(7, 0), 72);
    EXPECT_EQ(A::nb(g, 72, 3), 15);
    EXPECT_EQ(g.node_id(0, 6), 57);
    EXPECT_EQ(A::nb(g, 57, 1), 129);
    EXPECT_EQ(g.node_id(0, 7), 129);
    EXPECT_EQ(A::nb(g, 129, 2), 57);

    // Every pixel of odd-sized images: distinct ids, neighbours by coordinates, sisters return.
    for (auto [w, h] : {std::pair{13, 9}, std::pair{7, 5}, std::pair{22, 31}}) {
        Graph q(w, h, 0);
        std::vector<char> seen(A::N(q), 0);
        const int dx[4] = {1, 0, 0, -1}, dy[4] = {0, 1, -1, 0};
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int v = q.node_id(x, y);
                ASSERT_GE(v, 0);
                ASSERT_LT(v, A::N(q));
                EXPECT_FALSE(seen[v]);
                seen[v] = 1;
                for (int d = 0; d < 4; ++d) {
                    const int nx = x + dx[d], ny = y + dy[d];
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    EXPECT_EQ(A::nb(q, v, d), q.node_id(nx, ny))
                        << w << "x" << h << " " << x << "," << y << " d" << d;
                    EXPECT_EQ(A::nb(q, A::nb(q, v, d), 3 - d), v);
                }
            }
        }
    }
}

TEST(GridGraphLayout, EveryArrayIs64ByteAligned) {
    for (int s : {0, 1, 5}) {
        Graph g(13, 9, s);
        for (const void* p : A::arrayStarts(g))
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 64, 0u) << "S=" << s;
    }
}

TEST(GridGraphBuild, NeighbourCapWritesExactlyTwoEntries) {
    Graph g(8, 8, 0);
    g.set_neighbor_cap(15, 1, 0, 5, 9);
    EXPECT_EQ(A::residual(g, 0, 15), 5);
    EXPECT_EQ(A::residual(g, 3, 72), 9);
    EXPECT_EQ(residualSum(g), 2);
    g.set_neighbor_cap(15, 1, 0, 7, 1);  // replaces, never accumulates
    EXPECT_EQ(A::residual(g, 0, 15), 7);
    EXPECT_EQ(A::residual(g, 3, 72), 1);
    g.set_neighbor_cap(72, -1, 0, 9, 5);  // the same pair from the other side
    EXPECT_EQ(A::residual(g, 0, 15), 5);
    EXPECT_EQ(A::residual(g, 3, 72), 9);
    EXPECT_EQ(residualSum(g), 2);
    g.set_neighbor_cap(129, 0, -1, 4, 6);
    EXPECT_EQ(A::residual(g, 2, 129), 4);
    EXPECT_EQ(A::residual(g, 1, 57), 6);
    EXPECT_EQ(residualSum(g), 4);

    // Calls outside the interface write nothing: toward the frame, from the frame, diagonals,
    // offsets beyond one, ids outside the grid.
    g.set_neighbor_cap(g.node_id(7, 3), 1, 0, 3, 3);
    g.set_neighbor_cap(g.node_id(0, 0), 0, -1, 3, 3);
    g.set_neighbor_cap(0, 1, 0, 3, 3);
    g.set_neighbor_cap(g.node_id(2, 2), 1, 1, 3, 3);
    g.set_neighbor_cap(g.node_id(2, 2), 2, 0, 3, 3);
    g.set_neighbor_cap(g.node_id(2, 2), 0, 0, 3, 3);
    g.set_neighbor_cap(-1, 1, 0, 3, 3);
    g.set_neighbor_cap(1 << 20, 1, 0, 3, 3);
    EXPECT_EQ(residualSum(g), 4);

    // Negative capacities count as absent; a pair never holds more than INT_MAX in total.
    const int a = g.node_id(3, 3), b = g.node_id(4, 3);
    g.set_neighbor_cap(a, 1, 0, -4, 6);
    EXPECT_EQ(A::residual(g, 0, a), 0);
    EXPECT_EQ(A::residual(g, 3, b), 6);
    g.set_neighbor_cap(a, 1, 0, INT_MAX - 10, INT_MAX);
    EXPECT_EQ(A::residual(g, 0, a), INT_MAX - 10);
    EXPECT_EQ(A::residual(g, 3, b), 10);
}

TEST(GridGraphBuild, TerminalCapCases) {
    Graph g(7, 5, 2);
    const int v1 = g.node_id(0, 0), v2 = g.node_id(1, 0), v3 = g.node_id(2, 0),
              v4 = g.node_id(3, 0), v5 = g.node_id(4, 0);
    g.set_terminal_cap(v1, 5, 3);
    EXPECT_EQ(A::terminalResidual(g, v1), 2);
    EXPECT_EQ(A::treeLabel(g, v1), 1);
    EXPECT_EQ(A::parentArc(g, v1), Graph::TERMINAL);
    EXPECT_EQ(A::totalFlow(g), 3);
    g.set_terminal_cap(v2, 3, 5);
    EXPECT_EQ(A::terminalResidual(g, v2), 2);
    EXPECT_EQ(A::treeLabel(g, v2), 2);
    EXPECT_EQ(A::parentArc(g, v2), Graph::TERMINAL);
    EXPECT_EQ(A::totalFlow(g), 6);
    g.set_terminal_cap(v3, 4, 4);
    EXPECT_EQ(A::terminalResidual(g, v3), 0);
    EXPECT_EQ(A::treeLabel(g, v3), 0);
    EXPECT_EQ(A::parentArc(g, v3), Graph::NONE);
    EXPECT_EQ(A::totalFlow(g), 10);
    g.set_terminal_cap(v4, -5, 3);
    EXPECT_EQ(A::terminalResidual(g, v4), 3);
    EXPECT_EQ(A::treeLabel(g, v4), 2);
    g.set_terminal_cap(v5, 0, 0);
    EXPECT_EQ(A::treeLabel(g, v5), 0);
    EXPECT_EQ(A::parentArc(g, v5), Graph::NONE);
    EXPECT_EQ(A::terminalResidual(g, v5), 0);
    g.set_terminal_cap(g.super_id(1), 6, 0);
    g.set_terminal_cap(g.super_id(0), 0, 9);
    EXPECT_EQ(A::treeLabel(g, -1), 2);
    EXPECT_EQ(A::parentArc(g, -1), Graph::TERMINAL);
    EXPECT_EQ(A::terminalResidual(g, -1), 9);
    EXPECT_EQ(g.get_segment(-1), 1);
    EXPECT_EQ(g.get_segment(-2), 0);
    EXPECT_EQ(A::totalFlow(g), 10);
    EXPECT_EQ(A::workList(g), (std::vector<int>{v1, v2, v4, -2, -1}));  // call order

    // Ids outside the image or the super range are ignored.
    g.set_terminal_cap(0, 5, 0);  // frame corner
    g.set_terminal_cap(-3, 5, 0);
    g.set_terminal_cap(1 << 24, 5, 0);
    EXPECT_EQ(A::workList(g).size(), 5u);
    // A repeated call does not put the node on the list twice.
    g.set_terminal_cap(v1, 0, 8);
    EXPECT_EQ(A::workList(g).size(), 5u);
    // Equal capacities on a root leave it nothing: it is free again and off the list; rooting it
    // once more lists it at the end.
    g.set_terminal_cap(v2, 7, 7);
    EXPECT_EQ(A::treeLabel(g, v2), 0);
    EXPECT_EQ(A::parentArc(g, v2), Graph::NONE);
    EXPECT_EQ(A::workList(g), (std::vector<int>{v1, v4, -2, -1}));
    g.set_terminal_cap(v2, 1, 0);
    g.set_terminal_cap(v2, 2, 2);
    g.set_terminal_cap(v2, 0, 1);
    EXPECT_EQ(A::workList(g), (std::vector<int>{v1, v4, -2, -1, v2}));

    // A sink root so emptied feeds nothing: its free neighbours must not read as sink side.
    Graph e(3, 1, 0);
    const int a = e.node_id(0, 0), b = e.node_id(1, 0);
    e.set_terminal_cap(a, 0, 5);
    e.set_terminal_cap(a, 4, 4);
    e.set_neighbor_cap(a, 1, 0, 3, 3);
    e.set_neighbor_cap(b, 1, 0, 3, 3);
    e.compute_maxflow();
    for (int x = 0; x < 3; ++x) EXPECT_EQ(e.get_segment(e.node_id(x, 0)), 0) << x;

    // 64-bit total: overlaps past the int range add up.
    Graph big(3, 1, 0);
    for (int x = 0; x < 3; ++x) big.set_terminal_cap(big.node_id(x, 0), INT_MAX, INT_MAX);
    EXPECT_EQ(A::totalFlow(big), 3LL * INT_MAX);
}

TEST(GridGraphBuild, AddEdgeKeepsFirstLinkAndSegmentsStartAtZero) {
    Graph g(7, 5, 2);
    const int v = g.node_id(6, 4), w = g.node_id(2, 3);
    g.add_edge(g.super_id(0), v);
    g.add_edge(g.super_id(1), v);
    g.add_edge(g.super_id(0), v);
    EXPECT_EQ(A::superList(g, -1), std::vector<int>{v});
    EXPECT_TRUE(A::superList(g, -2).empty());
    EXPECT_EQ(A::superLink(g, v), -1);
    g.add_edge(g.super_id(1), w);
    g.add_edge(-3, g.node_id(1, 1));  // spare slot, not a super id
    g.add_edge(g.super_id(1), 0);     // frame node
    EXPECT_EQ(A::superList(g, -2), std::vector<int>{w});
    EXPECT_TRUE(A::superList(g, -3).empty());

    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(g.get_segment(g.node_id(x, y)), 0);
    EXPECT_EQ(g.get_segment(-1), 0);
    g.set_terminal_cap(w, 0, 7);
    EXPECT_EQ(g.get_segment(w), 1);  // a sink root reads 1 before any search
    EXPECT_EQ(g.get_segment(1 << 24), 0);
    EXPECT_EQ(g.get_segment(-100), 0);
}

TEST(GridGraphBuild, FQueueOrder) {
    int storage[4] = {};
    A::IntQueue q;
    q.buffer = storage;
    q.clear();
    EXPECT_TRUE(q.empty());
    q.push_back(1);
    q.push_back(2);
    q.push_back(3);
    EXPECT_EQ(q.pop_front(), 1);
    EXPECT_EQ(q.pop_back(), 3);
    EXPECT_FALSE(q.empty());
    EXPECT_EQ(q.pop_front(), 2);
    EXPECT_TRUE(q.empty());
    q.clear();
    q.push_back(7);
    EXPECT_EQ(storage[0], 7);
}

TEST(GridGraphBuild, UnrepresentableOrUnavailableMemoryThrowsBadAlloc) {
    EXPECT_THROW(Graph(-1, 5, 0), std::bad_alloc);
    EXPECT_THROW(Graph(5, 5, -1), std::bad_alloc);
    EXPECT_THROW(Graph(INT_MAX, 2, 0), std::bad_alloc);  // N passes the int range
    EXPECT_THROW(Graph(1, 1, INT_MAX - 10), std::bad_alloc);
    EXPECT_THROW(Graph(40000, 40000, 0), std::bad_alloc);  // ~100 GB pool
    // fits draws the line exactly where ids run out: 64 grid ids, the super range, its spare.
    EXPECT_TRUE(Graph::fits(6, 6, INT_MAX - 65));
    EXPECT_FALSE(Graph::fits(6, 6, INT_MAX - 64));
    EXPECT_FALSE(Graph::fits(6, -1, 0));
    EXPECT_FALSE(Graph::fits(INT_MAX, INT_MAX, LLONG_MAX));  // no 64-bit overflow on the way
    // The list array fails after the pool was had: the pool must not leak (leak checker).
    failNextArrayNew = true;
    EXPECT_THROW(Graph(7, 5, 3), std::bad_alloc);
    EXPECT_FALSE(failNextArrayNew);
}

// ---------------------------------------------------------------------------------------------
// Hand-traced searches.

TEST(GridGraphSearch, TwoByOneSingleAugmentation) {
    Graph g(2, 1, 0);
    const int a = g.node_id(0, 0), b = g.node_id(1, 0);
    g.set_terminal_cap(a, 5, 0);
    g.set_terminal_cap(b, 0, 3);
    g.set_neighbor_cap(a, 1, 0, 2, 2);
    A::activate(g);
    EXPECT_EQ(A::activeQueue(g), std::vector<int>{a});  // b has no free node feeding it
    A::Path p{};
    ASSERT_TRUE(A::grow(g, p));
    EXPECT_EQ(p.vs, a);
    EXPECT_EQ(p.vt, b);
    EXPECT_EQ(p.dir, 3);
    A::augment(g, p);
    A::adopt(g);
    EXPECT_FALSE(A::grow(g, p));
    EXPECT_EQ(A::residual(g, 0, a), 0);
    EXPECT_EQ(A::residual(g, 3, b), 4);
    EXPECT_EQ(A::terminalResidual(g, a), 3);
    EXPECT_EQ(A::terminalResidual(g, b), 1);
    EXPECT_EQ(A::totalFlow(g), 2);
    EXPECT_EQ(g.get_segment(a), 0);
    EXPECT_EQ(g.get_segment(b), 1);

    Graph h(2, 1, 0);  // the same through compute_maxflow
    h.set_terminal_cap(a, 5, 0);
    h.set_terminal_cap(b, 0, 3);
    h.set_neighbor_cap(a, 1, 0, 2, 2);
    h.compute_maxflow();
    EXPECT_EQ(A::totalFlow(h), 2);
    EXPECT_EQ(A::augTime(h), 1);
    EXPECT_EQ(h.get_segment(a), 0);
    EXPECT_EQ(h.get_segment(b), 1);
    h.compute_maxflow();  // a second call changes nothing
    EXPECT_EQ(A::totalFlow(h), 2);
    EXPECT_EQ(A::augTime(h), 1);
}

TEST(GridGraphSearch, TwoByOneRootFreedAndReclaimed) {
    Graph g(2, 1, 0);
    const int a = g.node_id(0, 0), b = g.node_id(1, 0);
    g.set_terminal_cap(a, 1, 0);
    g.set_terminal_cap(b, 0, 3);
    g.set_neighbor_cap(a, 1, 0, 2, 2);
    A::activate(g);
    A::Path p{};
    ASSERT_TRUE(A::grow(g, p));
    A::augment(g, p);
    EXPECT_EQ(A::orphanStack(g), std::vector<int>{a});  // only a's terminal ran dry
    EXPECT_EQ(A::parentArc(g, a), Graph::NONE);
    A::adopt(g);
    EXPECT_EQ(A::treeLabel(g, a), 0);
    // a still heads the current queue; b was woken because the arc a->b keeps 1.
    EXPECT_EQ(A::activeQueue(g), (std::vector<int>{a, b}));
    EXPECT_EQ(A::residual(g, 0, a), 1);
    EXPECT_FALSE(A::grow(g, p));
    EXPECT_EQ(A::treeLabel(g, a), 2);
    EXPECT_EQ(A::parentArc(g, a), 0);
    EXPECT_EQ(A::parentId(g, a), b);
    EXPECT_EQ(A::totalFlow(g), 1);
    EXPECT_EQ(g.get_segment(a), 1);
    EXPECT_EQ(g.get_segment(b), 1);
}

TEST(GridGraphSearch, EmptyAndOneSidedGraphs) {
    const int w = 7, h = 5;
    auto build = [&](Graph& g) {
        // A wall of zero capacity at x = 3 splits the image.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (x + 1 < w && x != 2 && x != 3) g.set_neighbor_cap(g.node_id(x, y), 1, 0, 2, 3);
                if (y + 1 < h) g.set_neighbor_cap(g.node_id(x, y), 0, 1, 4, 1);
            }
    };
    Graph none(w, h, 0);
    build(none);
    none.compute_maxflow();
    EXPECT_EQ(A::augTime(none), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(none.get_segment(none.node_id(x, y)), 0);
            EXPECT_EQ(A::treeLabel(none, none.node_id(x, y)), 0);
        }

    Graph src(w, h, 0);
    build(src);
    src.set_terminal_cap(src.node_id(0, 0), 9, 0);
    src.compute_maxflow();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(src.get_segment(src.node_id(x, y)), 0);
            EXPECT_EQ(A::treeLabel(src, src.node_id(x, y)), x < 3 ? 1 : 0) << x << "," << y;
        }

    Graph snk(w, h, 0);
    build(snk);
    snk.set_terminal_cap(snk.node_id(6, 4), 0, 9);
    snk.compute_maxflow();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(snk.get_segment(snk.node_id(x, y)), x >= 4 ? 1 : 0) << x << "," << y;
}

TEST(GridGraphSearch, LinkOnlyPathMovesTwoToTheThirtyAtATime) {
    Graph g(2, 1, 1);
    const int a = g.node_id(0, 0), b = g.node_id(1, 0), s = g.super_id(0);
    g.set_terminal_cap(a, 1500000000, 0);
    g.set_terminal_cap(b, 0, 1200000000);
    g.add_edge(s, a);
    g.add_edge(s, b);
    A::activate(g);
    A::Path p{};
    ASSERT_TRUE(A::grow(g, p));
    EXPECT_EQ(p.vs, s);
    EXPECT_EQ(p.vt, b);
    EXPECT_EQ(p.dir, Graph::LINK);
    A::augment(g, p);
    EXPECT_EQ(A::totalFlow(g), 1073741824);
    A::adopt(g);
    A::Path q{};
    ASSERT_TRUE(A::grow(g, q));  // b still heads the queue and finds the same path
    EXPECT_EQ(q.vs, s);
    EXPECT_EQ(q.vt, b);
    EXPECT_EQ(q.dir, Graph::LINK);
    A::augment(g, q);
    A::adopt(g);
    while (A::grow(g, q)) {
        A::augment(g, q);
        A::adopt(g);
    }
    EXPECT_EQ(A::totalFlow(g), 1200000000);
    EXPECT_EQ(g.get_segment(a), 0);
    EXPECT_EQ(g.get_segment(s), 0);
    EXPECT_EQ(g.get_segment(b), 0);  // b's sink capacity is used up
}

TEST(GridGraphSearch, OrphanTakesFirstQualifyingNeighbour) {
    // 3 by 3: U above the centre c claims it first over an arc of 1; L and R, left and right of
    // c, are roots with arcs into c; T below c is the sink. Saturating U->c orphans c.
    for (const bool leftOpen : {true, false}) {
        Graph g(3, 3, 0);
        const int c = g.node_id(1, 1), U = g.node_id(1, 0), L = g.node_id(0, 1),
                  R = g.node_id(2, 1), T = g.node_id(1, 2);
        g.set_terminal_cap(U, 10, 0);
        g.set_terminal_cap(L, 10, 0);
        g.set_terminal_cap(R, 10, 0);
        g.set_terminal_cap(T, 0, 10);
        g.set_neighbor_cap(U, 0, 1, 1, 0);
        g.set_neighbor_cap(L, 1, 0, leftOpen ? 5 : 0, 5);  // closed toward c: never a parent
        g.set_neighbor_cap(c, 1, 0, 5, 5);
        g.set_neighbor_cap(c, 0, 1, 5, 0);
        A::activate(g);
        A::Path p{};
        ASSERT_TRUE(A::grow(g, p));
        EXPECT_EQ(A::parentId(g, c), U);
        EXPECT_EQ(A::parentArc(g, c), 2);
        EXPECT_EQ(p.vs, c);
        EXPECT_EQ(p.vt, T);
        A::augment(g, p);
        EXPECT_EQ(A::orphanStack(g), std::vector<int>{c});
        A::adopt(g);
        EXPECT_EQ(A::treeLabel(g, c), 1);
        EXPECT_EQ(A::parentId(g, c), leftOpen ? L : R);
        EXPECT_EQ(A::parentArc(g, c), leftOpen ? 3 : 0);
        EXPECT_EQ(A::timestamp(g, c), 1);
        EXPECT_EQ(A::timestamp(g, leftOpen ? L : R), 1);  // the root's whole path was stamped
        EXPECT_EQ(A::timestamp(g, U), 0);
    }
}

TEST(GridGraphSearch, FindOriginStampsOnlyWholePaths) {
    // Source chain r -> x1 -> x2 meets the sink chain x3 -> t; the arc r->x1 (1) runs dry, so x1
    // is an orphan and x2 hangs from it.
    Graph g(5, 1, 0);
    int id[5];
    for (int x = 0; x < 5; ++x) id[x] = g.node_id(x, 0);
    const int r = id[0], x1 = id[1], x2 = id[2], x3 = id[3], t = id[4];
    g.set_terminal_cap(r, 10, 0);
    g.set_terminal_cap(t, 0, 10);
    g.set_neighbor_cap(r, 1, 0, 1, 0);
    for (int x = 1; x < 4; ++x) g.set_neighbor_cap(id[x], 1, 0, 5, 0);
    A::activate(g);
    A::Path p{};
    ASSERT_TRUE(A::grow(g, p));
    EXPECT_EQ(p.vs, x2);
    EXPECT_EQ(p.vt, x3);
    A::augment(g, p);
    EXPECT_EQ(A::orphanStack(g), std::vector<int>{x1});
    EXPECT_EQ(A::findOrigin(g, x2, 9), Graph::NONE);  // meets the orphan: nothing stamped
    EXPECT_EQ(A::timestamp(g, x2), 0);
    EXPECT_EQ(A::timestamp(g, x1), 0);
    EXPECT_EQ(A::findOrigin(g, r, 9), Graph::TERMINAL);  // a root is its own origin
    EXPECT_EQ(A::timestamp(g, r), 9);
    // The whole sink chain is stamped, root included.
    EXPECT_EQ(A::findOrigin(g, x3, 9), Graph::TERMINAL);
    EXPECT_EQ(A::timestamp(g, x3), 9);
    EXPECT_EQ(A::timestamp(g, t), 9);
    EXPECT_EQ(A::findOrigin(g, x3, 10), Graph::TERMINAL);
    EXPECT_EQ(A::timestamp(g, t), 10);
    // Adoption then frees x1 and x2 (no other whole parent) and wakes nothing on the source side
    // that could reach them except r, whose arc into x1 is dry.
    A::adopt(g);
    EXPECT_EQ(A::treeLabel(g, x1), 0);
    EXPECT_EQ(A::treeLabel(g, x2), 0);
    g.compute_maxflow();
    EXPECT_EQ(A::totalFlow(g), 1);
    EXPECT_EQ(g.get_segment(r), 0);
    EXPECT_EQ(g.get_segment(x1), 1);
}

TEST(GridGraphSearch, FreedSuperNodeWakesLinkedNodes) {
    Graph g(2, 1, 1);
    const int p0 = g.node_id(0, 0), p1 = g.node_id(1, 0), s = g.super_id(0);
    g.set_terminal_cap(s, 1, 0);
    g.set_terminal_cap(p0, 0, 10);
    g.set_terminal_cap(p1, 0, 10);
    g.add_edge(s, p0);
    g.add_edge(s, p1);
    A::activate(g);
    EXPECT_EQ(A::activeQueue(g), std::vector<int>{s});
    A::Path p{};
    ASSERT_TRUE(A::grow(g, p));
    EXPECT_EQ(p.vs, s);
    EXPECT_EQ(p.vt, p0);
    A::augment(g, p);
    A::adopt(g);
    EXPECT_EQ(A::treeLabel(g, s), 0);
    EXPECT_EQ(A::activeQueue(g), (std::vector<int>{s, p0, p1}));
    EXPECT_FALSE(A::grow(g, p));
    EXPECT_EQ(A::treeLabel(g, s), 2);
    EXPECT_EQ(A::parentId(g, s), p0);
    EXPECT_EQ(A::parentArc(g, s), Graph::LINK);
    EXPECT_EQ(g.get_segment(s), 1);
    EXPECT_EQ(A::totalFlow(g), 1);
}
