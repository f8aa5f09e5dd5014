// Graphs that push the solver's queues past the room a fixed layout would give them: more
// orphans in one adoption than there are grid ids, and more re-activations while one active-queue
// buffer is read than its 2N first room. Run under the sanitizer build as well.
#include <gtest/gtest.h>

#include <vector>

#include "maxflow/GridGraph_2D_4C.h"
#include "support/DenseGridGraph.h"
#include "support/GridGraphTestAccess.h"
#include "support/ReferenceMaxflow.h"

using Graph = GridGraph_2D_4C<int, int, int>;
using A = GridGraphTestAccess;

namespace {

// Both graphs are built from the same calls.
struct Builder {
    Graph g;
    ReferenceMaxflow ref;
    int w, P;
    Builder(int w_, int h, int S) : g(w_, h, S), ref(w_ * h + S), w(w_), P(w_ * h) {}
    void arc(int x, int y, int dx, int dy, int cap, int revCap) {
        g.set_neighbor_cap(g.node_id(x, y), dx, dy, cap, revCap);
        ref.addArcPair(y * w + x, (y + dy) * w + x + dx, cap, revCap);
    }
    void tie(int x, int y, int cs, int ct) {
        g.set_terminal_cap(g.node_id(x, y), cs, ct);
        ref.addTerminalCaps(y * w + x, cs, ct);
    }
    void link(int s, int x, int y) {
        g.add_edge(g.super_id(s), g.node_id(x, y));
        ref.addLink(y * w + x, P + s);
    }
    void expectSameCut(int S) {
        ASSERT_EQ(A::totalFlow(g), ref.maxflow());
        for (int i = 0; i < P; ++i)
            ASSERT_EQ(g.get_segment(g.node_id(i % w, i / w)), ref.sinkSide(i) ? 1 : 0) << i;
        for (int s = 0; s < S; ++s) ASSERT_EQ(g.get_segment(g.super_id(s)), ref.sinkSide(P + s));
    }
};

struct Peaks {
    std::size_t nextQueue = 0, orphanQueue = 0, workList = 0;
};

// compute_maxflow, one step at a time, recording how full the queues got.
Peaks solveWatching(Graph& g) {
    Peaks pk;
    A::activate(g);
    A::Path p{};
    for (;;) {
        const bool found = A::grow(g, p);
        pk.nextQueue = std::max(pk.nextQueue, A::nextQueueFill(g));
        if (!found) break;
        A::augment(g, p);
        A::adopt(g);
        pk.nextQueue = std::max(pk.nextQueue, A::nextQueueFill(g));
        pk.orphanQueue = std::max(pk.orphanQueue, A::orphanQueuePushes(g));
        pk.workList = std::max(pk.workList, A::workListPushes(g));
    }
    return pk;
}

// 30 by 30: an open area (rows 0..21, every pixel linked to a super node of its own) around a
// source root of capacity 1, and a one-pixel snake corridor (rows 22..29) to the sink. The
// source tree covers the open area and its super nodes before it meets the sink tree in the
// corridor; the one augmentation dries the root and frees that whole tree in one adoption.
void buildCorridor(Builder& b, int W, int H, int open) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (y < open) {
                if (x + 1 < W) b.arc(x, y, 1, 0, 100, 100);
                if (y + 1 < open) b.arc(x, y, 0, 1, 100, 100);
                b.link(y * W + x, x, y);
            } else {
                if (x + 1 < W) b.arc(x, y, 1, 0, 100, 100);
                const int turnX = (y - open) % 2 == 0 ? W - 1 : 0;
                if (y + 1 < H && x == turnX) b.arc(x, y, 0, 1, 100, 100);
            }
        }
    b.arc(0, open - 1, 0, 1, 100, 100);  // the corridor's entrance
    b.tie(15, 10, 1, 0);
    b.tie((H - 1 - open) % 2 == 0 ? W - 1 : 0, H - 1, 0, 100);
}

}  // namespace

TEST(GridGraphStress, OneAdoptionOrphansMoreNodesThanGridIds) {
    const int W = 30, H = 30, open = 22, S = W * open;
    Builder b(W, H, S);
    buildCorridor(b, W, H, open);
    const int N = A::N(b.g);
    ASSERT_EQ(N, 1024);
    const Peaks pk = solveWatching(b.g);
    EXPECT_GT(pk.orphanQueue, std::size_t(N));  // an N-entry orphan queue would have overrun
    EXPECT_GT(pk.workList, std::size_t(N));
    EXPECT_EQ(A::totalFlow(b.g), 1);
    b.expectSameCut(S);

    Builder again(W, H, S);  // and through the public entry point
    buildCorridor(again, W, H, open);
    again.g.compute_maxflow();
    again.expectSameCut(S);
}

TEST(GridGraphStress, ReactivationsOutgrowTheActiveQueueBuffers) {
    const int W = 30, H = 30, S = 4;
    std::size_t peak = 0;
    for (unsigned seed = 0; seed < 3; ++seed) {
        Builder b(W, H, S);
        buildDense(b, W, H, S, seed);
        const std::size_t room = 2 * std::size_t(A::N(b.g));
        const Peaks pk = solveWatching(b.g);
        peak = std::max(peak, pk.nextQueue);
        if (pk.nextQueue > room) {  // the buffer must have moved to a larger one
            EXPECT_GT(std::max(A::queueRoom(b.g), A::nextQueueRoom(b.g)), room);
        }
        b.expectSameCut(S);

        Builder again(W, H, S);
        buildDense(again, W, H, S, seed);
        again.g.compute_maxflow();
        again.expectSameCut(S);
    }
    EXPECT_GT(peak, 2u * 1024u);  // a fixed 2N buffer would have overrun
}
