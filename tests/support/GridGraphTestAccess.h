// GridGraphTestAccess: read (and, for step-by-step tests, drive) the private state of a
// GridGraph_2D_4C. Befriended by the graph; tests only.
#pragma once

#include <cstddef>
#include <vector>

#include "maxflow/GridGraph_2D_4C.h"

struct GridGraphTestAccess {
    using Graph = GridGraph_2D_4C<int, int, int>;

    static int N(const Graph& g) { return g.paddedWidth * g.paddedHeight; }
    static int M(const Graph& g) { return N(g) + g.superCount + 1; }
    static int paddedWidth(const Graph& g) { return g.paddedWidth; }
    static int paddedHeight(const Graph& g) { return g.paddedHeight; }
    static int blocksPerRow(const Graph& g) { return g.blocksPerRow; }
    static int rowStep(const Graph& g) { return g.rowStep; }
    static std::ptrdiff_t poolBytes(const Graph& g) { return g.poolCursor - g.pool; }
    static int nextHigherMul8(int v) { return Graph::next_higher_mul8(v); }
    static int nb(const Graph& g, int v, int d) { return Graph::nb(v, d, g.rowStep); }

    static int treeLabel(const Graph& g, int v) { return g.treeLabel[v]; }
    static int parentArc(const Graph& g, int v) { return g.parentArc[v]; }
    static int parentId(const Graph& g, int v) { return g.parentId[v]; }
    static int superLink(const Graph& g, int v) { return g.superLink[v]; }
    static int residual(const Graph& g, int d, int v) { return g.residual[d][v]; }
    static int terminalResidual(const Graph& g, int v) { return g.terminalResidual[v]; }
    static int timestamp(const Graph& g, int v) { return g.timestamp[v]; }
    static long long totalFlow(const Graph& g) { return g.totalFlow; }
    static int augTime(const Graph& g) { return g.augTime; }
    static const std::vector<int>& superList(const Graph& g, int s) { return g.superLists[s]; }

    // Every pointer into the pool, for the alignment check.
    static std::vector<const void*> arrayStarts(const Graph& g) {
        const int lead = g.superCount + 1;
        return {g.treeLabel - lead,   g.parentArc - lead,   g.parentId - lead,
                g.superLink - lead,   g.residual[0],        g.residual[1],
                g.residual[2],        g.residual[3],        g.terminalResidual - lead,
                g.timestamp - lead,   g.queueBuffer,        g.nextQueueBuffer,
                g.orphanStack.buffer, g.orphanQueue.buffer, g.workList.buffer};
    }

    // workList entries still queued, front first.
    static std::vector<int> workList(const Graph& g) {
        return std::vector<int>(g.workList.head, g.workList.tail);
    }
    // Active queue: current then next, in leaving order.
    static std::vector<int> activeQueue(const Graph& g) {
        std::vector<int> ids(g.queueHead, g.queueTail);
        ids.insert(ids.end(), g.nextQueueBuffer, g.nextQueueTail);
        return ids;
    }
    static std::size_t queueRoom(const Graph& g) { return std::size_t(g.queueEnd - g.queueBuffer); }
    static std::size_t nextQueueRoom(const Graph& g) {
        return std::size_t(g.nextQueueEnd - g.nextQueueBuffer);
    }
    static std::size_t nextQueueFill(const Graph& g) {
        return std::size_t(g.nextQueueTail - g.nextQueueBuffer);
    }
    static std::size_t orphanQueuePushes(const Graph& g) {
        return std::size_t(g.orphanQueue.tail - g.orphanQueue.buffer);
    }
    static std::size_t workListPushes(const Graph& g) {
        return std::size_t(g.workList.tail - g.workList.buffer);
    }

    // The search, one step at a time (compute_maxflow is activate, then grow/augment/adopt).
    static void activate(Graph& g) { g.activate(); }
    struct Path {
        int vs, vt, dir;
    };
    static bool grow(Graph& g, Path& p) {
        Graph::Parent dir;
        const bool found = g.grow(p.vs, p.vt, dir, g.rowStep);
        p.dir = dir;
        return found;
    }
    static void augment(Graph& g, const Path& p) {
        ++g.augTime;
        g.augment(p.vs, p.vt, Graph::Parent(p.dir));
    }
    static std::vector<int> orphanStack(const Graph& g) {
        return std::vector<int>(g.orphanStack.head, g.orphanStack.tail);
    }
    static void adopt(Graph& g) { g.adopt(g.augTime, g.rowStep); }
    static int findOrigin(Graph& g, int v, int time) { return g.find_origin(v, time); }

    using IntQueue = Graph::FQueue<int>;
};
