// ReferenceMaxflow: a plain, obviously correct maximum flow (Dinic) on an explicit adjacency list
// with 64-bit capacities, used as the oracle for the grid solver and for anything built on it.
//
//   ReferenceMaxflow ref(nodeCount);             // nodes 0 .. nodeCount - 1, then source, sink
//   ref.addArc(u, v, cap);                       // one directed arc u -> v
//   ref.addArcPair(u, v, cap, revCap);           // u -> v with cap, v -> u with revCap
//   ref.addLink(u, v);                           // "unlimited" both ways (kUnlimited each)
//   ref.addTerminalCaps(v, capSource, capSink);  // source -> v, v -> sink; <= 0 adds no arc
//   int64_t f = ref.maxflow();                   // solves; later calls return the same value
//   bool t = ref.sinkSide(v);                    // v reaches the sink through positive residuals
//
// sinkSide is the set the grid solver's get_segment reports as 1: after any maximum flow it is the
// set of nodes from which the sink is reachable in the residual graph, the same for every maximum
// flow. sourceSide(v) is the set the source reaches. Calls may repeat: parallel arcs and repeated
// terminal capacities add up. Grid-shaped graphs are built by the caller; node numbering is free.
// Cost: O(V^2 E) worst case, fast enough for tens of thousands of nodes on grid-like graphs.
#pragma once

#include <cstdint>
#include <vector>

class ReferenceMaxflow {
  public:
    // Large enough never to be the bottleneck of a graph with int capacities, small enough that
    // sums of many of them stay far inside int64.
    static constexpr int64_t kUnlimited = int64_t(1) << 50;

    explicit ReferenceMaxflow(int nodeCount);

    int nodeCount() const { return n_; }
    int source() const { return n_; }
    int sink() const { return n_ + 1; }

    void addArc(int u, int v, int64_t cap);
    void addArcPair(int u, int v, int64_t cap, int64_t revCap);
    void addLink(int u, int v) { addArcPair(u, v, kUnlimited, kUnlimited); }
    void addTerminalCaps(int v, int64_t capSource, int64_t capSink);

    int64_t maxflow();
    bool sinkSide(int v);
    bool sourceSide(int v);

  private:
    struct Arc {
        int to;
        int64_t cap;  // residual
    };
    int n_;
    std::vector<Arc> arcs_;              // arc e and its reverse e ^ 1
    std::vector<std::vector<int>> out_;  // arc indices leaving each node
    std::vector<int> level_, next_;
    std::vector<char> reachSink_, reachSource_;
    bool solved_ = false;
    int64_t flow_ = 0;

    bool bfsLevels();
    int64_t blockingFlow();
    void solveOnce();
};
