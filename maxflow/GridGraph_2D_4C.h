// GridGraph_2D_4C: maximum flow / minimum cut on a 2-D 4-connected grid of pixel nodes, plus
// any number of super nodes outside the grid. Every pixel node has a capacity from the source,
// one to the sink and one per arc to each of its four neighbours; a pixel may also be tied to
// one super node by a link of unlimited capacity in both directions.
//
//   GridGraph_2D_4C<int, int, int> g(width, height, superCount);
//   const int a = g.node_id(0, 0), b = g.node_id(1, 0);
//   g.set_terminal_cap(a, 5, 0);        // 5 from the source
//   g.set_terminal_cap(b, 0, 3);        // 3 to the sink
//   g.set_neighbor_cap(a, 1, 0, 2, 2);  // arc a->b and its reverse b->a
//   g.add_edge(g.super_id(0), b);       // b is linked to super node 0 (its first link wins)
//   g.compute_maxflow();                // exactly once, after building
//   int side = g.get_segment(b);        // 1: sink side, 0: source side or free
//
// Grid ids come from node_id (non-negative), super ids from super_id(i) = ~i (negative).
// After compute_maxflow, get_segment reads 1 for exactly the nodes that can still reach the sink
// through unsaturated arcs and links; that set is the same for every maximum flow.
//
// Ownership: the graph owns all its memory: one zero-filled pool that holds every per-node array
// and queue, and one array of super-node lists. The constructor throws std::bad_alloc when either
// cannot be had (or fits refuses the sizes) and then leaks nothing. compute_maxflow may throw
// std::bad_alloc if the active queue has to grow beyond its first room; the graph stays
// destructible. Not copyable.
//
// Calls the interface does not define (ids outside the image or the super range, arcs toward the
// frame, offsets other than the four unit ones) are ignored. Neighbour capacities below 0 count as
// 0, and the two capacities of one arc pair are kept within the int range together (the reverse
// capacity is lowered if their sum would pass INT_MAX), so residuals can never overflow.
// Terminal capacities <= 0 count as absent; set_terminal_cap is meant once per node (a repeated
// call before the search overwrites, equal capacities freeing the node again, and the node is
// still queued for the search only once).
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

template <typename captype, typename tcaptype, typename flowtype>
class GridGraph_2D_4C {
  public:
    // A node's link to its search-tree parent. 0..3: the grid arc from the node toward its parent
    // (0 +x, 1 +y, 2 -y, 3 -x).
    enum Parent : unsigned char {
        NONE = 4,      // free node or orphan
        TERMINAL = 5,  // root, fed through terminalResidual
        LINK = 6,      // parent reached over a super link
    };

    // Array queue without wrap-around over storage it does not own. The owner sizes the storage
    // for every push made between two clears.
    template <typename T>
    class FQueue {
      public:
        T* buffer = nullptr;
        T* head = nullptr;
        T* tail = nullptr;

        void clear() { head = tail = buffer; }
        void push_back(T x) { *tail++ = x; }
        T pop_front() { return *head++; }
        T pop_back() { return *--tail; }
        bool empty() const { return head == tail; }
    };

    GridGraph_2D_4C(int width, int height, int superCount);
    ~GridGraph_2D_4C();
    GridGraph_2D_4C(const GridGraph_2D_4C&) = delete;
    GridGraph_2D_4C& operator=(const GridGraph_2D_4C&) = delete;

    // Whether every node of such a graph gets an int id; the constructor refuses exactly the
    // sizes for which this is false. superCount is wide so that a caller can ask with a bound
    // (one per pixel, say) before it knows the count.
    static bool fits(int width, int height, long long superCount);

    int node_id(int x, int y) const { return nodeId(unsigned(x) + 1u, unsigned(y) + 1u); }
    int super_id(int i) const { return ~i; }

    void set_terminal_cap(int v, tcaptype capSource, tcaptype capSink);
    void set_neighbor_cap(int v, int dx, int dy, captype cap, captype revCap);
    void add_edge(int s, int v);
    void compute_maxflow();
    int get_segment(int v) const;

  private:
    friend struct GridGraphTestAccess;  // lets the unit tests read the members

    using total_type = std::conditional_t<std::is_integral<flowtype>::value, long long, flowtype>;

    static constexpr unsigned char SISTER_TABLE[4] = {3, 2, 1, 0};

    std::vector<int>* superLists = nullptr;
    unsigned char* treeLabel = nullptr;
    Parent* parentArc = nullptr;
    int* parentId = nullptr;
    int* superLink = nullptr;
    captype* residual[4] = {};
    captype* sister[4] = {};
    tcaptype* terminalResidual = nullptr;
    int* timestamp = nullptr;
    // The active queue: two buffers that start in the pool with room for 2N ids each and move to
    // a larger heap buffer when an append finds one full (the search can re-activate nodes without
    // limit while one buffer is read). queueOwned/nextQueueOwned hold such a heap buffer, if any.
    int* queueBuffer = nullptr;
    int* nextQueueBuffer = nullptr;
    int* queueHead = nullptr;
    int* queueTail = nullptr;
    int* nextQueueTail = nullptr;
    int* queueEnd = nullptr;
    int* nextQueueEnd = nullptr;
    int* queueOwned = nullptr;
    int* nextQueueOwned = nullptr;
    // Each holds M = N + S + 1 entries: one augmentation orphans each node of its path at most
    // once, and one adoption frees or orphans each node at most once.
    FQueue<int> orphanStack;
    FQueue<int> orphanQueue;
    FQueue<int> workList;
    int augTime = 0;
    total_type totalFlow = 0;  // 64-bit: a large image's flow passes the int range
    int width = 0;
    int height = 0;
    int superCount = 0;
    int paddedWidth = 0;
    int paddedHeight = 0;
    int blocksPerRow = 0;
    int rowStep = 0;
    double blockRowScale = 0;  // 1 / blocksPerRow, to decode ids without a division
    unsigned char* pool = nullptr;
    unsigned char* poolCursor = nullptr;

    static int next_higher_mul8(int v) { return ((v - 1) / 8) * 8 + 8; }
    static void* align(void* p, unsigned long a) {
        return reinterpret_cast<void*>((reinterpret_cast<std::uintptr_t>(p) + a - 1) &
                                       ~std::uintptr_t(a - 1));
    }
    void* pool_malloc(unsigned long n) {
        void* p = poolCursor;
        poolCursor += n;
        return p;
    }
    template <typename T>
    T* carve(std::size_t count) {
        return static_cast<T*>(align(pool_malloc(count * sizeof(T) + 64), 64));
    }

    int nodeId(unsigned X, unsigned Y) const {
        return int(((X >> 3) + (Y >> 3) * unsigned(blocksPerRow)) * 64u + (X & 7u) + (Y & 7u) * 8u);
    }
    int gridCount() const { return paddedWidth * paddedHeight; }
    bool padded_xy(int v, unsigned& X, unsigned& Y) const;
    bool is_pixel(int v) const;
    bool is_super(int s) const { return s < 0 && s >= -superCount; }

    static int nb0(int v) { return (v & 7) != 7 ? v + 1 : v + 57; }
    static int nb1(int v, int rowStep) { return (v & 56) != 56 ? v + 8 : v + rowStep; }
    static int nb2(int v, int rowStep) { return (v & 56) != 0 ? v - 8 : v - rowStep; }
    static int nb3(int v) { return (v & 7) != 0 ? v - 1 : v - 57; }
    static int nb(int v, int d, int rowStep) {
        switch (d) {
            case 0:
                return nb0(v);
            case 1:
                return nb1(v, rowStep);
            case 2:
                return nb2(v, rowStep);
            default:
                return nb3(v);
        }
    }

    bool Q_EMPTY() const { return queueHead == queueTail; }
    int Q_FRONT() const { return *queueHead; }
    void Q_PUSH_BACK1(int v) {
        if (queueTail == queueEnd)
            grow_buffer(queueBuffer, queueHead, queueTail, queueEnd, queueOwned);
        *queueTail++ = v;
    }
    void Q_PUSH_BACK2(int v) {
        if (nextQueueTail == nextQueueEnd) {
            int* head = nextQueueBuffer;
            grow_buffer(nextQueueBuffer, head, nextQueueTail, nextQueueEnd, nextQueueOwned);
        }
        *nextQueueTail++ = v;
    }
    void Q_POP_FRONT() {
        ++queueHead;
        if (queueHead == queueTail) {
            // The used-up buffer becomes the next one, from its start: ids leave in append order.
            queueHead = nextQueueBuffer;
            queueTail = nextQueueTail;
            nextQueueTail = queueBuffer;
            int* t = queueBuffer;
            queueBuffer = nextQueueBuffer;
            nextQueueBuffer = t;
            t = queueEnd;
            queueEnd = nextQueueEnd;
            nextQueueEnd = t;
            t = queueOwned;
            queueOwned = nextQueueOwned;
            nextQueueOwned = t;
        }
    }
    static void grow_buffer(int*& buffer, int*& head, int*& tail, int*& end, int*& owned);
    static void free_buffer(int* p) {
        if (p) ::operator delete[](p, std::align_val_t(64));
    }

    template <typename A, typename B>
    A MIN(A a, B b) const {
        return a < b ? a : A(b);
    }

    void activate();
    void claim(int u, unsigned char lab, Parent code, int parent) {
        treeLabel[u] = lab;
        Q_PUSH_BACK2(u);
        parentArc[u] = code;
        parentId[u] = parent;
    }
    bool grow(int& vs, int& vt, Parent& dir, int rowStep);
    void augment(int vs, int vt, Parent dir);
    flowtype find_minrf_s(int v, flowtype b) const;
    flowtype find_minrf_t(int v, flowtype b) const;
    void aug_s(int v, flowtype b);
    void aug_t(int v, flowtype b);
    void adopt(int time, int rowStep);
    Parent find_origin(int v, int time);
};

// ---------------------------------------------------------------------------------------------

template <typename C, typename T, typename F>
GridGraph_2D_4C<C, T, F>::GridGraph_2D_4C(int width_, int height_, int superCount_) {
    // Sizes that cannot be represented are treated like memory that cannot be had.
    if (!fits(width_, height_, superCount_)) throw std::bad_alloc();

    width = width_;
    height = height_;
    superCount = superCount_;
    paddedWidth = next_higher_mul8(width + 2);
    paddedHeight = next_higher_mul8(height + 2);
    blocksPerRow = paddedWidth / 8;
    rowStep = blocksPerRow * 64 - 56;
    blockRowScale = 1.0 / blocksPerRow;

    const int N = paddedWidth * paddedHeight;
    const int M = N + superCount + 1;
    const std::size_t n = std::size_t(N), m = std::size_t(M), lead = std::size_t(superCount) + 1;
    // Fifteen requests, each its array plus 64 bytes so that the array can start on a 64-byte
    // boundary. With 4-byte types that is 30 * M + 32 * N + 960 bytes: per node with super slots
    // 1 + 1 + 4 + 4 + 4 + 4 (treeLabel, parentArc, parentId, superLink, terminalResidual,
    // timestamp) + 12 (orphanStack, orphanQueue, workList); per grid node 16 (residuals) + 16 (the
    // two active-queue buffers of 2N ids).
    const std::size_t bytes = 2 * m + 2 * sizeof(int) * m + sizeof(T) * m + sizeof(int) * m +
                              4 * sizeof(C) * n + 2 * 2 * sizeof(int) * n + 3 * sizeof(int) * m +
                              15 * 64;
    pool = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (!pool) throw std::bad_alloc();
    poolCursor = pool;

    treeLabel = carve<unsigned char>(m) + lead;
    unsigned char* arcs = carve<unsigned char>(m);
    parentId = carve<int>(m) + lead;
    superLink = carve<int>(m) + lead;
    for (int d = 0; d < 4; ++d) residual[d] = carve<C>(n);
    terminalResidual = carve<T>(m) + lead;
    for (int d = 0; d < 4; ++d) sister[d] = residual[3 - d];
    timestamp = carve<int>(m) + lead;
    std::memset(arcs, NONE, m);
    parentArc = reinterpret_cast<Parent*>(arcs) + lead;

    queueBuffer = carve<int>(2 * n);
    queueHead = queueTail = queueBuffer;
    queueEnd = queueBuffer + 2 * n;
    nextQueueBuffer = carve<int>(2 * n);
    nextQueueTail = nextQueueBuffer;
    nextQueueEnd = nextQueueBuffer + 2 * n;

    orphanStack.buffer = carve<int>(m);
    orphanStack.clear();
    orphanQueue.buffer = carve<int>(m);
    orphanQueue.clear();
    workList.buffer = carve<int>(m);
    workList.clear();

    totalFlow = 0;
    augTime = 0;

    std::vector<int>* lists = nullptr;
    try {
        lists = new std::vector<int>[lead];
    } catch (...) {
        std::free(pool);
        throw;
    }
    superLists = lists + lead;
}

template <typename C, typename T, typename F>
bool GridGraph_2D_4C<C, T, F>::fits(int width_, int height_, long long superCount_) {
    if (width_ < 0 || height_ < 0 || superCount_ < 0) return false;
    // Settled before the sum, which could otherwise pass the 64-bit range.
    if (superCount_ > INT_MAX) return false;
    const long long pw = (static_cast<long long>(width_) + 2 + 7) / 8 * 8;
    const long long ph = (static_cast<long long>(height_) + 2 + 7) / 8 * 8;
    return pw * ph + superCount_ + 1 <= INT_MAX;
}

template <typename C, typename T, typename F>
GridGraph_2D_4C<C, T, F>::~GridGraph_2D_4C() {
    std::free(pool);
    if (superLists) delete[](superLists - (superCount + 1));
    free_buffer(queueOwned);
    free_buffer(nextQueueOwned);
}

template <typename C, typename T, typename F>
bool GridGraph_2D_4C<C, T, F>::padded_xy(int v, unsigned& X, unsigned& Y) const {
    if (unsigned(v) >= unsigned(gridCount())) return false;
    const unsigned block = unsigned(v) >> 6;
    // block < 2^25, so (block + 0.5) / blocksPerRow stays at least 2^-26 away from an integer
    // and the product with the rounded reciprocal truncates to the exact quotient.
    const unsigned by = unsigned((block + 0.5) * blockRowScale);
    const unsigned bx = block - by * unsigned(blocksPerRow);
    X = bx * 8 + (unsigned(v) & 7u);
    Y = by * 8 + ((unsigned(v) >> 3) & 7u);
    return true;
}

template <typename C, typename T, typename F>
bool GridGraph_2D_4C<C, T, F>::is_pixel(int v) const {
    unsigned X, Y;
    return padded_xy(v, X, Y) && X - 1u < unsigned(width) && Y - 1u < unsigned(height);
}

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::grow_buffer(int*& buffer, int*& head, int*& tail, int*& end,
                                           int*& owned) {
    const std::size_t used = std::size_t(tail - buffer);
    const std::size_t room = std::size_t(end - buffer);
    const std::size_t newRoom = room < 32 ? 64 : 2 * room;
    int* p = static_cast<int*>(::operator new[](newRoom * sizeof(int), std::align_val_t(64)));
    if (used) std::memcpy(p, buffer, used * sizeof(int));
    head = p + (head - buffer);
    tail = p + used;
    end = p + newRoom;
    buffer = p;
    free_buffer(owned);
    owned = p;
}

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::set_terminal_cap(int v, T capSource, T capSink) {
    if (!is_pixel(v) && !is_super(v)) return;
    unsigned char label;
    if (capSource > 0 && capSink > 0) {
        if (capSource > capSink) {
            terminalResidual[v] = capSource - capSink;
            totalFlow += capSink;
            label = 1;
        } else if (capSource < capSink) {
            terminalResidual[v] = capSink - capSource;
            totalFlow += capSource;
            label = 2;
        } else {
            terminalResidual[v] = 0;
            totalFlow += capSource;
            // A root from an earlier call has nothing left to feed it. While it still waits on
            // workList it has no children: free it and take it off the list, so that a later
            // call can list it again without passing M entries.
            if (treeLabel[v] != 0) {
                int* kept = workList.head;
                for (int* p = workList.head; p != workList.tail; ++p)
                    if (*p != v) *kept++ = *p;
                if (kept != workList.tail) {
                    workList.tail = kept;
                    treeLabel[v] = 0;
                    parentArc[v] = NONE;
                }
            }
            return;
        }
    } else if (capSource > 0) {
        terminalResidual[v] = capSource;
        label = 1;
    } else if (capSink > 0) {
        terminalResidual[v] = capSink;
        label = 2;
    } else {
        return;
    }
    // A node goes on workList only once (a repeated call must not push it past its M entries).
    const bool listed = treeLabel[v] != 0;
    treeLabel[v] = label;
    parentArc[v] = TERMINAL;
    if (!listed) {
        if (workList.empty()) workList.clear();
        workList.push_back(v);
    }
}

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::set_neighbor_cap(int v, int dx, int dy, C cap, C revCap) {
    static const unsigned char offsets2arc[3][3] = {{255, 2, 255}, {3, 255, 0}, {255, 1, 255}};
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return;
    const unsigned char d = offsets2arc[dy + 1][dx + 1];
    unsigned X, Y;
    if (d == 255 || !padded_xy(v, X, Y)) return;
    // Both ends must be image pixels: the frame stays without capacity.
    if (X - 1u >= unsigned(width) || Y - 1u >= unsigned(height)) return;
    if (X + dx - 1u >= unsigned(width) || Y + dy - 1u >= unsigned(height)) return;
    const int u = nb(v, d, rowStep);
    if (cap < 0) cap = 0;
    if (revCap < 0) revCap = 0;
    // Flow moved across the pair only shifts residual between its two arcs: their sum must fit.
    if (std::is_integral<C>::value && revCap > C(INT_MAX) - cap) revCap = C(INT_MAX) - cap;
    residual[d][v] = cap;
    sister[d][u] = revCap;
}

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::add_edge(int s, int v) {
    if (!is_super(s) || !is_pixel(v)) return;
    if (superLink[v] != 0) return;  // a pixel keeps its first link
    superLists[s].push_back(v);
    superLink[v] = s;
}

template <typename C, typename T, typename F>
int GridGraph_2D_4C<C, T, F>::get_segment(int v) const {
    static const int map_label[3] = {0, 0, 1};
    if (v < -(superCount + 1) || v >= gridCount()) return 0;
    return map_label[treeLabel[v]];
}

// ---------------------------------------------------------------------------------------------
// The search.

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::compute_maxflow() {
    activate();
    int vs, vt;
    Parent dir;
    while (grow(vs, vt, dir, rowStep)) {
        ++augTime;
        augment(vs, vt, dir);
        adopt(augTime, rowStep);
    }
}

// Queues the roots, in the order they were tied, that can grow or touch the other tree. Where
// the trees touch from the start the contact is found from the source side.
template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::activate() {
    while (!workList.empty()) {
        const int v = workList.pop_front();
        const int lab = treeLabel[v];
        if (lab == 0) continue;
        bool active = false;
        if (v >= 0) {
            const int n3 = nb3(v), n0 = nb0(v), n2 = nb2(v, rowStep), n1 = nb1(v, rowStep);
            const int s = superLink[v];
            if (lab == 1) {
                active = (residual[3][v] != 0 && treeLabel[n3] != 1) ||
                         (residual[0][v] != 0 && treeLabel[n0] != 1) ||
                         (residual[2][v] != 0 && treeLabel[n2] != 1) ||
                         (residual[1][v] != 0 && treeLabel[n1] != 1) ||
                         (s != 0 && treeLabel[s] != 1);
            } else {
                active = (residual[0][n3] != 0 && treeLabel[n3] == 0) ||
                         (residual[3][n0] != 0 && treeLabel[n0] == 0) ||
                         (residual[1][n2] != 0 && treeLabel[n2] == 0) ||
                         (residual[2][n1] != 0 && treeLabel[n1] == 0) ||
                         (s != 0 && treeLabel[s] == 0);
            }
        } else {
            for (const int u : superLists[v]) {
                if (lab == 1 ? treeLabel[u] != 1 : treeLabel[u] == 0) {
                    active = true;
                    break;
                }
            }
        }
        if (active) Q_PUSH_BACK1(v);
    }
}

// Breadth-first growth of both trees. Candidates go +x, +y, -y, -x, then the link; the first
// contact between the trees wins and its head node stays queued, to be examined again from its
// first candidate after the augmentation.
template <typename C, typename T, typename F>
bool GridGraph_2D_4C<C, T, F>::grow(int& vs, int& vt, Parent& dir, int rowStep) {
    unsigned char* const label = treeLabel;
    while (!Q_EMPTY()) {
        const int v = Q_FRONT();
        const int lab = label[v];
        if (lab == 1) {
            if (v >= 0) {
                // One step per direction, +x, +y, -y, -x; true when it found the sink tree.
                const auto step = [&](int d, int u) {
                    if (residual[d][v] == 0) return false;
                    const int lu = label[u];
                    if (lu == 2) {
                        vs = v;
                        vt = u;
                        dir = Parent(SISTER_TABLE[d]);
                        return true;
                    }
                    if (lu == 0) claim(u, 1, Parent(SISTER_TABLE[d]), v);
                    return false;
                };
                if (step(0, nb0(v)) || step(1, nb1(v, rowStep)) || step(2, nb2(v, rowStep)) ||
                    step(3, nb3(v)))
                    return true;
                const int s = superLink[v];
                if (s != 0) {
                    const int ls = label[s];
                    if (ls == 2) {
                        vs = v;
                        vt = s;
                        dir = LINK;
                        return true;
                    }
                    if (ls == 0) claim(s, 1, LINK, v);
                }
            } else {
                for (const int u : superLists[v]) {
                    const int lu = label[u];
                    if (lu == 2) {
                        vs = v;
                        vt = u;
                        dir = LINK;
                        return true;
                    }
                    if (lu == 0) claim(u, 1, LINK, v);
                }
            }
        } else if (lab == 2) {
            if (v >= 0) {
                const auto step = [&](int d, int u) {
                    if (sister[d][u] == 0) return false;
                    const int lu = label[u];
                    if (lu == 1) {
                        vs = u;
                        vt = v;
                        dir = Parent(d);
                        return true;
                    }
                    if (lu == 0) claim(u, 2, Parent(SISTER_TABLE[d]), v);
                    return false;
                };
                if (step(0, nb0(v)) || step(1, nb1(v, rowStep)) || step(2, nb2(v, rowStep)) ||
                    step(3, nb3(v)))
                    return true;
                const int s = superLink[v];
                if (s != 0) {
                    const int ls = label[s];
                    if (ls == 1) {
                        vs = s;
                        vt = v;
                        dir = LINK;
                        return true;
                    }
                    if (ls == 0) claim(s, 2, LINK, v);
                }
            } else {
                for (const int u : superLists[v]) {
                    const int lu = label[u];
                    if (lu == 1) {
                        vs = u;
                        vt = v;
                        dir = LINK;
                        return true;
                    }
                    if (lu == 0) claim(u, 2, LINK, v);
                }
            }
        }
        Q_POP_FRONT();
    }
    return false;
}

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::augment(int vs, int vt, Parent dir) {
    // A link is unlimited; 2^30 stands for it, so a path of links alone moves 2^30 at a time.
    F b = dir == LINK ? F(1073741824) : F(residual[3 - dir][vs]);
    b = find_minrf_s(vs, b);
    b = find_minrf_t(vt, b);
    if (dir != LINK) {
        residual[3 - dir][vs] -= b;
        residual[dir][vt] += b;
    }
    aug_s(vs, b);
    aug_t(vt, b);
    totalFlow += b;
}

template <typename C, typename T, typename F>
F GridGraph_2D_4C<C, T, F>::find_minrf_s(int v, F b) const {
    int x = v;
    while (parentArc[x] != TERMINAL) {
        const int c = parentArc[x];
        if (c != LINK) b = MIN(b, residual[3 - c][parentId[x]]);
        x = parentId[x];
    }
    return MIN(b, terminalResidual[x]);
}

template <typename C, typename T, typename F>
F GridGraph_2D_4C<C, T, F>::find_minrf_t(int v, F b) const {
    int x = v;
    while (parentArc[x] != TERMINAL) {
        const int c = parentArc[x];
        if (c != LINK) b = MIN(b, residual[c][x]);
        x = parentId[x];
    }
    return MIN(b, terminalResidual[x]);
}

// Orphans go on orphanStack from the path's end toward the root: the adoption takes the root side
// first.
template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::aug_s(int v, F b) {
    int x = v;
    while (parentArc[x] != TERMINAL) {
        const int c = parentArc[x];
        if (c != LINK) {
            const int p = parentId[x];
            residual[3 - c][p] -= b;
            residual[c][x] += b;
            if (residual[3 - c][p] == 0) {
                parentArc[x] = NONE;
                orphanStack.push_back(x);
            }
        }
        x = parentId[x];
    }
    terminalResidual[x] -= b;
    if (terminalResidual[x] == 0) {
        parentArc[x] = NONE;
        orphanStack.push_back(x);
    }
}

template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::aug_t(int v, F b) {
    int x = v;
    while (parentArc[x] != TERMINAL) {
        const int c = parentArc[x];
        if (c != LINK) {
            const int p = parentId[x];
            residual[c][x] -= b;
            residual[3 - c][p] += b;
            if (residual[c][x] == 0) {
                parentArc[x] = NONE;
                orphanStack.push_back(x);
            }
        }
        x = parentId[x];
    }
    terminalResidual[x] -= b;
    if (terminalResidual[x] == 0) {
        parentArc[x] = NONE;
        orphanStack.push_back(x);
    }
}

// TERMINAL when v's parent chain reaches a root or a node already found whole in this adoption
// (stamped with time), NONE when it meets an orphan. Whole chains are stamped so later walks stop
// early; stamps of older times are void without any reset.
template <typename C, typename T, typename F>
typename GridGraph_2D_4C<C, T, F>::Parent GridGraph_2D_4C<C, T, F>::find_origin(int v, int time) {
    int x = v;
    for (;;) {
        if (timestamp[x] == time) {
            for (int y = v; timestamp[y] != time; y = parentId[y]) timestamp[y] = time;
            return TERMINAL;
        }
        const Parent c = parentArc[x];
        if (c == NONE) return NONE;
        if (c == TERMINAL) {
            for (int y = v;; y = parentId[y]) {
                timestamp[y] = time;
                if (y == x) break;
            }
            return TERMINAL;
        }
        x = parentId[x];
    }
}

// Re-attaches each orphan to a whole neighbour of its own tree (-x, +x, -y, +y, then the link), or
// frees it and orphans its children, breadth-first, before the next orphan of the augmentation.
// Then wakes the tree nodes that can grow into the freed ones.
template <typename C, typename T, typename F>
void GridGraph_2D_4C<C, T, F>::adopt(int time, int rowStep) {
    unsigned char* const label = treeLabel;
    orphanQueue.clear();
    workList.clear();
    while (!orphanStack.empty() || !orphanQueue.empty()) {
        const int x = !orphanQueue.empty() ? orphanQueue.pop_front() : orphanStack.pop_back();
        const int lab = label[x];
        int p = 0;
        int code = NONE;
        if (x >= 0) {
            const int n3 = nb3(x), n0 = nb0(x), n2 = nb2(x, rowStep), n1 = nb1(x, rowStep);
            const int s = superLink[x];
            if (lab == 1) {
                if (residual[0][n3] != 0 && label[n3] == 1 && find_origin(n3, time) == TERMINAL) {
                    p = n3, code = 3;
                } else if (residual[3][n0] != 0 && label[n0] == 1 &&
                           find_origin(n0, time) == TERMINAL) {
                    p = n0, code = 0;
                } else if (residual[1][n2] != 0 && label[n2] == 1 &&
                           find_origin(n2, time) == TERMINAL) {
                    p = n2, code = 2;
                } else if (residual[2][n1] != 0 && label[n1] == 1 &&
                           find_origin(n1, time) == TERMINAL) {
                    p = n1, code = 1;
                } else if (s != 0 && label[s] == 1 && find_origin(s, time) == TERMINAL) {
                    p = s, code = LINK;
                }
            } else {
                if (residual[3][x] != 0 && label[n3] == 2 && find_origin(n3, time) == TERMINAL) {
                    p = n3, code = 3;
                } else if (residual[0][x] != 0 && label[n0] == 2 &&
                           find_origin(n0, time) == TERMINAL) {
                    p = n0, code = 0;
                } else if (residual[2][x] != 0 && label[n2] == 2 &&
                           find_origin(n2, time) == TERMINAL) {
                    p = n2, code = 2;
                } else if (residual[1][x] != 0 && label[n1] == 2 &&
                           find_origin(n1, time) == TERMINAL) {
                    p = n1, code = 1;
                } else if (s != 0 && label[s] == 2 && find_origin(s, time) == TERMINAL) {
                    p = s, code = LINK;
                }
            }
            if (code != NONE) {
                timestamp[x] = time;
                parentArc[x] = Parent(code);
                parentId[x] = p;
                continue;
            }
            label[x] = 0;
            workList.push_back(x);
            if (label[n3] == lab && parentArc[n3] == 0) {
                parentArc[n3] = NONE;
                orphanQueue.push_back(n3);
            }
            if (label[n0] == lab && parentArc[n0] == 3) {
                parentArc[n0] = NONE;
                orphanQueue.push_back(n0);
            }
            if (label[n2] == lab && parentArc[n2] == 1) {
                parentArc[n2] = NONE;
                orphanQueue.push_back(n2);
            }
            if (label[n1] == lab && parentArc[n1] == 2) {
                parentArc[n1] = NONE;
                orphanQueue.push_back(n1);
            }
            if (s != 0 && label[s] == lab && parentArc[s] == LINK && parentId[s] == x) {
                parentArc[s] = NONE;
                orphanQueue.push_back(s);
            }
        } else {
            const std::vector<int>& list = superLists[x];
            for (const int u : list) {
                if (label[u] == lab && find_origin(u, time) == TERMINAL) {
                    p = u, code = LINK;
                    break;
                }
            }
            if (code != NONE) {
                timestamp[x] = time;
                parentArc[x] = LINK;
                parentId[x] = p;
                continue;
            }
            label[x] = 0;
            workList.push_back(x);
            for (const int u : list) {
                if (label[u] == lab && parentArc[u] == LINK && parentId[u] == x) {
                    parentArc[u] = NONE;
                    orphanQueue.push_back(u);
                }
            }
        }
    }

    // A source-tree neighbour with an open arc into the freed node, a sink-tree neighbour that the
    // freed node has an open arc into, and every labelled node across a link.
    while (!workList.empty()) {
        const int x = workList.pop_front();
        if (x >= 0) {
            const int n3 = nb3(x), n0 = nb0(x), n2 = nb2(x, rowStep), n1 = nb1(x, rowStep);
            if (residual[0][n3] != 0 && label[n3] == 1) Q_PUSH_BACK2(n3);
            if (residual[3][n0] != 0 && label[n0] == 1) Q_PUSH_BACK2(n0);
            if (residual[1][n2] != 0 && label[n2] == 1) Q_PUSH_BACK2(n2);
            if (residual[2][n1] != 0 && label[n1] == 1) Q_PUSH_BACK2(n1);
            if (residual[3][x] != 0 && label[n3] == 2) Q_PUSH_BACK2(n3);
            if (residual[0][x] != 0 && label[n0] == 2) Q_PUSH_BACK2(n0);
            if (residual[2][x] != 0 && label[n2] == 2) Q_PUSH_BACK2(n2);
            if (residual[1][x] != 0 && label[n1] == 2) Q_PUSH_BACK2(n1);
            const int s = superLink[x];
            if (s != 0 && label[s] != 0) Q_PUSH_BACK2(s);
        } else {
            for (const int u : superLists[x]) {
                if (label[u] != 0) Q_PUSH_BACK2(u);
            }
        }
    }
}
