// GridGraph_2D_4C against an independent max-flow on thousands of seeded random graphs: the flow
// value and the sink side (nodes that still reach the sink) must match exactly.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "maxflow/GridGraph_2D_4C.h"
#include "support/GridGraphTestAccess.h"
#include "support/ReferenceMaxflow.h"

using Graph = GridGraph_2D_4C<int, int, int>;
using A = GridGraphTestAccess;

namespace {

struct RandomGraph {
    int w = 0, h = 0, S = 0;
    // Per pixel: capacities of the arcs to the right and lower neighbour and back.
    std::vector<int> right, rightBack, down, downBack;
    std::vector<int> capSource, capSink;  // pixels, then super nodes
    std::vector<char> tied;
    std::vector<int> link;                       // super index + 1, 0 = none
    std::vector<std::pair<int, int>> linkCalls;  // (super, pixel) in call order
    std::vector<int> tieOrder;                   // node indices in call order
};

int pick(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// Capacity of one arc: many zeros, mostly small values (ties and saturation), some large.
int arcCap(std::mt19937& rng, int mode) {
    const int r = pick(rng, 0, 99);
    if (r < 35) return 0;
    if (mode == 2) return pick(rng, 1, 1000000000);
    if (r < 85) return pick(rng, 1, 9);
    return pick(rng, 10, mode == 1 ? 200000 : 60);
}

RandomGraph makeGraph(std::mt19937& rng) {
    RandomGraph g;
    const int sizeClass = pick(rng, 0, 9);
    g.w = sizeClass < 5 ? pick(rng, 1, 9) : pick(rng, 1, 40);
    g.h = sizeClass < 5 ? pick(rng, 1, 9) : pick(rng, 1, 40);
    g.S = pick(rng, 0, 6);
    const int mode = pick(rng, 0, 9) < 7 ? 0 : pick(rng, 1, 2);
    const int P = g.w * g.h;
    g.right.assign(P, 0);
    g.rightBack.assign(P, 0);
    g.down.assign(P, 0);
    g.downBack.assign(P, 0);
    for (int i = 0; i < P; ++i) {
        g.right[i] = arcCap(rng, mode);
        g.rightBack[i] = pick(rng, 0, 2) == 0 ? g.right[i] : arcCap(rng, mode);
        g.down[i] = arcCap(rng, mode);
        g.downBack[i] = pick(rng, 0, 2) == 0 ? g.down[i] : arcCap(rng, mode);
    }
    g.capSource.assign(P + g.S, 0);
    g.capSink.assign(P + g.S, 0);
    g.tied.assign(P + g.S, 0);
    const int tieRate = pick(rng, 1, 40);
    const int big = mode == 2 ? INT_MAX : 40;
    for (int i = 0; i < P + g.S; ++i) {
        if (pick(rng, 0, 99) >= (i < P ? tieRate : 80)) continue;
        const int kind = pick(rng, 0, 5);
        int cs = kind == 0 || kind == 4 ? pick(rng, 1, big) : pick(rng, -3, 0);
        int ct = kind == 1 || kind == 4 ? pick(rng, 1, big) : pick(rng, -3, 0);
        if (kind == 5) cs = ct = pick(rng, 1, big);  // equal overlap: stays free
        if (kind == 2) cs = pick(rng, -3, 3), ct = pick(rng, -3, 3);
        g.capSource[i] = cs;
        g.capSink[i] = ct;
        g.tied[i] = 1;
        g.tieOrder.push_back(i);
    }
    std::shuffle(g.tieOrder.begin(), g.tieOrder.end(), rng);
    g.link.assign(P, 0);
    if (g.S > 0) {
        const int linkRate = pick(rng, 0, 60);
        for (int i = 0; i < P; ++i) {
            if (pick(rng, 0, 99) >= linkRate) continue;
            // Clustered links, so that a super node gathers a region; some pixels get a second
            // call.
            const int s = std::min(g.S - 1, (i % g.w) * g.S / g.w + pick(rng, 0, 1));
            g.linkCalls.push_back({s, i});
            if (pick(rng, 0, 9) == 0) g.linkCalls.push_back({pick(rng, 0, g.S - 1), i});
        }
        std::shuffle(g.linkCalls.begin(), g.linkCalls.end(), rng);
        for (auto [s, i] : g.linkCalls)
            if (g.link[i] == 0) g.link[i] = s + 1;
    }
    return g;
}

// Builds the grid graph with a random mix of call directions and interleavings.
void buildGrid(const RandomGraph& r, Graph& g, std::mt19937& rng) {
    const int w = r.w, h = r.h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            if (x + 1 < w) {
                if (pick(rng, 0, 1))
                    g.set_neighbor_cap(g.node_id(x, y), 1, 0, r.right[i], r.rightBack[i]);
                else
                    g.set_neighbor_cap(g.node_id(x + 1, y), -1, 0, r.rightBack[i], r.right[i]);
            }
            if (y + 1 < h) {
                if (pick(rng, 0, 1))
                    g.set_neighbor_cap(g.node_id(x, y), 0, 1, r.down[i], r.downBack[i]);
                else
                    g.set_neighbor_cap(g.node_id(x, y + 1), 0, -1, r.downBack[i], r.down[i]);
            }
        }
    const int P = w * h;
    auto id = [&](int i) { return i < P ? g.node_id(i % w, i / w) : g.super_id(i - P); };
    for (int i : r.tieOrder) g.set_terminal_cap(id(i), r.capSource[i], r.capSink[i]);
    for (auto [s, i] : r.linkCalls) g.add_edge(g.super_id(s), id(i));
}

void buildReference(const RandomGraph& r, ReferenceMaxflow& ref) {
    const int w = r.w, h = r.h, P = w * h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            if (x + 1 < w) ref.addArcPair(i, i + 1, r.right[i], r.rightBack[i]);
            if (y + 1 < h) ref.addArcPair(i, i + w, r.down[i], r.downBack[i]);
        }
    for (int i = 0; i < P + r.S; ++i)
        if (r.tied[i]) ref.addTerminalCaps(i, r.capSource[i], r.capSink[i]);
    for (int i = 0; i < P; ++i)
        if (r.link[i]) ref.addLink(i, P + r.link[i] - 1);
}

}  // namespace

TEST(GridGraphOracle, RandomGraphsMatchReferenceFlowAndSinkSide) {
    std::mt19937 rng(20240611);
    const int graphs = 4000;
    int nonTrivial = 0;
    for (int n = 0; n < graphs; ++n) {
        const RandomGraph r = makeGraph(rng);
        Graph g(r.w, r.h, r.S);
        buildGrid(r, g, rng);
        g.compute_maxflow();
        ReferenceMaxflow ref(r.w * r.h + r.S);
        buildReference(r, ref);
        const int64_t want = ref.maxflow();
        nonTrivial += want > 0;
        ASSERT_EQ(A::totalFlow(g), want)
            << "graph " << n << " " << r.w << "x" << r.h << " S=" << r.S;
        const int P = r.w * r.h;
        for (int i = 0; i < P + r.S; ++i) {
            const int v = i < P ? g.node_id(i % r.w, i / r.w) : g.super_id(i - P);
            ASSERT_EQ(g.get_segment(v), ref.sinkSide(i) ? 1 : 0)
                << "graph " << n << " " << r.w << "x" << r.h << " S=" << r.S << " node " << i;
            // The search ends with the source tree closed: exactly what the source still reaches.
            ASSERT_EQ(A::treeLabel(g, v) == 1, ref.sourceSide(i))
                << "graph " << n << " " << r.w << "x" << r.h << " S=" << r.S << " node " << i;
        }
    }
    EXPECT_GT(nonTrivial, graphs / 2);  // the generator must not drift into empty graphs
}

// The engine's pass shape: a line-art weight image, scribbles tied at a fixed capacity, bright
// areas merged into super nodes linked to their border pixels.
TEST(GridGraphOracle, SegmentationShapedGraphsMatchReference) {
    std::mt19937 rng(77);
    for (int n = 0; n < 60; ++n) {
        const int w = pick(rng, 20, 70), h = pick(rng, 15, 60), P = w * h;
        std::vector<int> weight(P), region(P, -1);
        for (int i = 0; i < P; ++i) weight[i] = 200;
        // A few dark lines of weight 1.
        for (int k = 0; k < 4; ++k) {
            if (pick(rng, 0, 1)) {
                const int x = pick(rng, 0, w - 1);
                for (int y = 0; y < h; ++y) weight[y * w + x] = 1;
            } else {
                const int y = pick(rng, 0, h - 1);
                for (int x = 0; x < w; ++x) weight[y * w + x] = 1;
            }
        }
        const int S = pick(rng, 0, 4);
        for (int s = 0; s < S; ++s) {  // rectangular bright regions
            const int x0 = pick(rng, 0, w - 5), y0 = pick(rng, 0, h - 5);
            const int x1 = std::min(w, x0 + pick(rng, 3, 12)),
                      y1 = std::min(h, y0 + pick(rng, 3, 12));
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    if (weight[y * w + x] > 1) region[y * w + x] = s;
        }
        Graph g(w, h, S);
        ReferenceMaxflow ref(P + S);
        std::vector<int> srcSum(S, 0), snkSum(S, 0);
        const int lambda = (w + h) / 10;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int i = y * w + x;
                const int scrib = pick(rng, 0, 60) == 0 ? pick(rng, 0, 2) : -1;
                if (region[i] >= 0) {
                    if (scrib == 0) srcSum[region[i]] += lambda;
                    if (scrib > 0) snkSum[region[i]] += lambda;
                    continue;
                }
                const int v = g.node_id(x, y);
                if (scrib >= 0) {
                    const int cs = scrib == 0 ? lambda : 0, ct = scrib > 0 ? lambda : 0;
                    g.set_terminal_cap(v, cs, ct);
                    ref.addTerminalCaps(i, cs, ct);
                }
                if (x + 1 < w && region[i + 1] < 0) {
                    g.set_neighbor_cap(v, 1, 0, weight[i], weight[i]);
                    ref.addArcPair(i, i + 1, weight[i], weight[i]);
                }
                if (y + 1 < h && region[i + w] < 0) {
                    g.set_neighbor_cap(v, 0, 1, weight[i], weight[i]);
                    ref.addArcPair(i, i + w, weight[i], weight[i]);
                }
                const int nbs[4] = {x > 0 ? i - 1 : -1, x + 1 < w ? i + 1 : -1, y > 0 ? i - w : -1,
                                    y + 1 < h ? i + w : -1};
                for (int j : nbs) {
                    if (j >= 0 && region[j] >= 0) {
                        g.add_edge(g.super_id(region[j]), v);
                        ref.addLink(i, P + region[j]);
                        break;
                    }
                }
            }
        for (int s = 0; s < S; ++s) {
            g.set_terminal_cap(g.super_id(s), srcSum[s], snkSum[s]);
            ref.addTerminalCaps(P + s, srcSum[s], snkSum[s]);
        }
        g.compute_maxflow();
        ASSERT_EQ(A::totalFlow(g), ref.maxflow()) << "graph " << n;
        for (int i = 0; i < P; ++i) {
            if (region[i] < 0) {
                ASSERT_EQ(g.get_segment(g.node_id(i % w, i / w)), ref.sinkSide(i) ? 1 : 0)
                    << "graph " << n << " pixel " << i;
            }
        }
        for (int s = 0; s < S; ++s)
            ASSERT_EQ(g.get_segment(g.super_id(s)), ref.sinkSide(P + s) ? 1 : 0) << "graph " << n;
    }
}
