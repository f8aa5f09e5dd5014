// The grid max-flow solver against the tests' reference max-flow, on graphs made from the input:
// up to 24 by 24 pixels, up to 8 super nodes, any capacities (zeros and the int range's ends
// included), links and calls the interface ignores. Flow value and sink side must match exactly.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "maxflow/GridGraph_2D_4C.h"
#include "support/GridGraphTestAccess.h"
#include "support/ReferenceMaxflow.h"

using Graph = GridGraph_2D_4C<int, int, int>;

namespace {

int capacity(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
            return 0;
        case 1:
            return INT_MAX;
        case 2:
            return INT_MIN;
        case 3:
            return -in.ConsumeIntegralInRange<int>(1, 3);
        case 4:
            return INT_MAX - in.ConsumeIntegralInRange<int>(0, 3);
        case 5:
            return in.ConsumeIntegral<int>();
        case 6:
            return 1 << in.ConsumeIntegralInRange<int>(0, 30);
        default:
            return in.ConsumeIntegralInRange<int>(1, 9);
    }
}

// What set_neighbor_cap keeps of one arc pair.
void clampPair(int& cap, int& revCap) {
    if (cap < 0) cap = 0;
    if (revCap < 0) revCap = 0;
    if (revCap > INT_MAX - cap) revCap = INT_MAX - cap;
}

[[noreturn]] void fail(const char* what, int node, long long got, long long want) {
    std::fprintf(stderr, "mismatch: %s at node %d: solver %lld, reference %lld\n", what, node, got,
                 want);
    std::abort();
}

// One finite arc as set, for the capacity of the reported cut.
struct Arc {
    int from, to;
    long long cap;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int w = in.ConsumeIntegralInRange<int>(1, 24);
    const int h = in.ConsumeIntegralInRange<int>(1, 24);
    const int S = in.ConsumeIntegralInRange<int>(0, 8);
    const int P = w * h;

    Graph g(w, h, S);
    ReferenceMaxflow ref(P + S);
    std::vector<Arc> arcs;  // every finite arc, for the cut value
    auto id = [&](int i) { return i < P ? g.node_id(i % w, i / w) : g.super_id(i - P); };

    // Neighbour arcs: each pair set once, from either end.
    const int density = in.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < P; ++i) {
        const int x = i % w, y = i / w;
        for (int d = 0; d < 2; ++d) {
            const int j = d == 0 ? i + 1 : i + w;
            if (d == 0 ? x + 1 >= w : y + 1 >= h) continue;
            if (density == 0 && in.ConsumeBool()) continue;
            int cap = capacity(in), revCap = capacity(in);
            if (in.ConsumeBool()) {
                g.set_neighbor_cap(id(i), d == 0 ? 1 : 0, d == 0 ? 0 : 1, cap, revCap);
                clampPair(cap, revCap);
                ref.addArcPair(i, j, cap, revCap);
                arcs.push_back({i, j, cap});
                arcs.push_back({j, i, revCap});
            } else {
                g.set_neighbor_cap(id(j), d == 0 ? -1 : 0, d == 0 ? 0 : -1, revCap, cap);
                clampPair(revCap, cap);
                ref.addArcPair(j, i, revCap, cap);
                arcs.push_back({j, i, revCap});
                arcs.push_back({i, j, cap});
            }
        }
    }

    // Terminal capacities, at most once a node, in an order the input picks.
    std::vector<char> tied(P + S, 0);
    std::vector<long long> fromSource(P + S, 0), toSink(P + S, 0);
    const int ties = in.ConsumeIntegralInRange<int>(0, P + S);
    for (int k = 0; k < ties; ++k) {
        const int i = in.ConsumeIntegralInRange<int>(0, P + S - 1);
        if (tied[i]) continue;
        tied[i] = 1;
        const int cs = capacity(in), ct = capacity(in);
        g.set_terminal_cap(id(i), cs, ct);
        ref.addTerminalCaps(i, cs, ct);
        fromSource[i] = cs > 0 ? cs : 0;
        toSink[i] = ct > 0 ? ct : 0;
    }

    // Links: a pixel keeps its first.
    std::vector<int> link(P, -1);
    if (S > 0) {
        const int links = in.ConsumeIntegralInRange<int>(0, P + 8);
        for (int k = 0; k < links; ++k) {
            const int s = in.ConsumeIntegralInRange<int>(0, S - 1);
            const int i = in.ConsumeIntegralInRange<int>(0, P - 1);
            g.add_edge(g.super_id(s), id(i));
            if (link[i] < 0) {
                link[i] = s;
                ref.addLink(i, P + s);
            }
        }
    }

    // Calls the interface ignores: ids past the image or the super range, arcs into the frame,
    // offsets that are no unit step. None may touch memory or change the cut.
    const int junk = in.ConsumeIntegralInRange<int>(0, 4);
    for (int k = 0; k < junk; ++k) {
        const int c = capacity(in);
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
            case 0:
                g.set_terminal_cap(g.super_id(S), c, c);
                break;
            case 1:
                g.add_edge(g.super_id(S), id(0));
                break;
            case 2:
                g.set_neighbor_cap(g.node_id(w - 1, 0), 1, 0, c, c);
                break;
            case 3:
                g.set_neighbor_cap(g.node_id(0, h - 1), 0, 1, c, c);
                break;
            case 4:
                g.set_neighbor_cap(id(0), 1, 1, c, c);
                break;
            default:
                g.set_terminal_cap(g.node_id(w, h), c, c);
                break;
        }
    }

    g.compute_maxflow();
    const long long want = ref.maxflow();

    // The cut the solver reports must be a minimum cut: its capacity equals the maximum flow.
    // Sink side = get_segment 1; a source-side node feeding a sink-side one pays the arc.
    std::vector<char> side(P + S);
    for (int i = 0; i < P + S; ++i) {
        side[i] = static_cast<char>(g.get_segment(id(i)));
        const bool refSide = ref.sinkSide(i);
        if (side[i] != (refSide ? 1 : 0)) fail("sink side", i, side[i], refSide);
        if (side[i] != 0 && side[i] != 1) fail("segment value", i, side[i], 0);
    }
    long long cut = 0;
    for (int i = 0; i < P + S; ++i) {
        // Overlapping terminal capacities cross the cut on one side or the other.
        cut += side[i] ? fromSource[i] : toSink[i];
    }
    for (const Arc& a : arcs)
        if (!side[a.from] && side[a.to]) cut += a.cap;
    for (int i = 0; i < P; ++i)
        if (link[i] >= 0 && side[i] != side[P + link[i]]) fail("link cut", i, side[i], 0);
    if (cut != want) fail("cut capacity", -1, cut, want);
    if (GridGraphTestAccess::totalFlow(g) != want)
        fail("flow value", -1, GridGraphTestAccess::totalFlow(g), want);
    return 0;
}
