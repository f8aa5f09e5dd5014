#include "support/ReferenceMaxflow.h"

#include <algorithm>
#include <deque>
#include <stdexcept>

ReferenceMaxflow::ReferenceMaxflow(int nodeCount) : n_(nodeCount), out_(size_t(nodeCount) + 2) {}

void ReferenceMaxflow::addArcPair(int u, int v, int64_t cap, int64_t revCap) {
    if (u < 0 || v < 0 || u >= n_ + 2 || v >= n_ + 2) throw std::out_of_range("node id");
    solved_ = false;
    out_[size_t(u)].push_back(int(arcs_.size()));
    arcs_.push_back({v, std::max<int64_t>(cap, 0)});
    out_[size_t(v)].push_back(int(arcs_.size()));
    arcs_.push_back({u, std::max<int64_t>(revCap, 0)});
}

void ReferenceMaxflow::addArc(int u, int v, int64_t cap) {
    addArcPair(u, v, cap, 0);
}

void ReferenceMaxflow::addTerminalCaps(int v, int64_t capSource, int64_t capSink) {
    if (capSource > 0) addArc(source(), v, capSource);
    if (capSink > 0) addArc(v, sink(), capSink);
}

bool ReferenceMaxflow::bfsLevels() {
    level_.assign(size_t(n_) + 2, -1);
    std::deque<int> q{source()};
    level_[size_t(source())] = 0;
    while (!q.empty()) {
        const int v = q.front();
        q.pop_front();
        for (const int e : out_[size_t(v)]) {
            const Arc& a = arcs_[size_t(e)];
            if (a.cap > 0 && level_[size_t(a.to)] < 0) {
                level_[size_t(a.to)] = level_[size_t(v)] + 1;
                q.push_back(a.to);
            }
        }
    }
    return level_[size_t(sink())] >= 0;
}

// One blocking flow on the level graph, with an explicit path stack so that long paths cannot
// exhaust the call stack.
int64_t ReferenceMaxflow::blockingFlow() {
    int64_t total = 0;
    std::vector<int> path;  // arc indices from the source
    int v = source();
    for (;;) {
        if (v == sink()) {
            int64_t b = INT64_MAX;
            for (const int e : path) b = std::min(b, arcs_[size_t(e)].cap);
            for (const int e : path) {
                arcs_[size_t(e)].cap -= b;
                arcs_[size_t(e ^ 1)].cap += b;
            }
            total += b;
            path.clear();
            v = source();
            continue;
        }
        const std::vector<int>& arcsOut = out_[size_t(v)];
        int& i = next_[size_t(v)];
        while (i < int(arcsOut.size())) {
            const Arc& a = arcs_[size_t(arcsOut[size_t(i)])];
            if (a.cap > 0 && level_[size_t(a.to)] == level_[size_t(v)] + 1) break;
            ++i;
        }
        if (i < int(arcsOut.size())) {
            const int e = arcsOut[size_t(i)];
            path.push_back(e);
            v = arcs_[size_t(e)].to;
            continue;
        }
        // Dead end: retreat one arc and skip it from now on.
        if (path.empty()) return total;
        level_[size_t(v)] = -1;
        const int e = path.back();
        path.pop_back();
        v = arcs_[size_t(e ^ 1)].to;
        ++next_[size_t(v)];
    }
}

void ReferenceMaxflow::solveOnce() {
    if (solved_) return;
    while (bfsLevels()) {
        next_.assign(size_t(n_) + 2, 0);
        flow_ += blockingFlow();
    }
    // Nodes that reach the sink: walk residual arcs backwards from it.
    reachSink_.assign(size_t(n_) + 2, 0);
    std::deque<int> q{sink()};
    reachSink_[size_t(sink())] = 1;
    while (!q.empty()) {
        const int w = q.front();
        q.pop_front();
        for (const int e : out_[size_t(w)]) {
            const int u = arcs_[size_t(e)].to;  // arc e ^ 1 runs u -> w
            if (arcs_[size_t(e ^ 1)].cap > 0 && !reachSink_[size_t(u)]) {
                reachSink_[size_t(u)] = 1;
                q.push_back(u);
            }
        }
    }
    reachSource_.assign(size_t(n_) + 2, 0);
    q.push_back(source());
    reachSource_[size_t(source())] = 1;
    while (!q.empty()) {
        const int u = q.front();
        q.pop_front();
        for (const int e : out_[size_t(u)]) {
            const Arc& a = arcs_[size_t(e)];
            if (a.cap > 0 && !reachSource_[size_t(a.to)]) {
                reachSource_[size_t(a.to)] = 1;
                q.push_back(a.to);
            }
        }
    }
    solved_ = true;
}

int64_t ReferenceMaxflow::maxflow() {
    solveOnce();
    return flow_;
}

bool ReferenceMaxflow::sinkSide(int v) {
    solveOnce();
    return reachSink_.at(size_t(v)) != 0;
}

bool ReferenceMaxflow::sourceSide(int v) {
    solveOnce();
    return reachSource_.at(size_t(v)) != 0;
}
