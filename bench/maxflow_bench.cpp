// compute_maxflow on segmentation-shaped grid graphs: synthetic line art of 1, 2 and 4 megapixels
// turned into edge weights as the engine does, with three scribbled strokes, one tied to the
// source and two to the sink, one node per pixel and no super nodes (the search's hardest case).
//
// BM_Solve times compute_maxflow alone; BM_Pass a whole pass as the engine runs it (construct,
// build, solve, read every pixel, destroy). Counters: pool bytes per grid node and per pixel,
// the flow, and the share of pixels on the sink side.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "maxflow/GridGraph_2D_4C.h"
#include "tests/support/GridGraphTestAccess.h"

namespace {

using Graph = GridGraph_2D_4C<int, int, int>;

struct Problem {
    int w = 0, h = 0;
    std::vector<unsigned char> grey;
    std::vector<int> weight;
    std::vector<int> scribble;  // -1 none, 0 source stroke, 1 sink strokes
    int lambda = 0;
};

// Small deterministic generator, so every run and every machine draws the same picture.
struct Lcg {
    std::uint64_t s;
    explicit Lcg(std::uint64_t seed) : s(seed) {}
    double next() {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return double(s >> 11) / double(1ull << 53);
    }
    double in(double lo, double hi) { return lo + (hi - lo) * next(); }
};

// Darkens the picture by an anti-aliased stroke: dist(x, y) is the distance to the pen's centre.
template <typename Dist>
void stroke(Problem& p, int x0, int y0, int x1, int y1, double half, Dist dist) {
    x0 = std::max(0, x0), y0 = std::max(0, y0);
    x1 = std::min(p.w - 1, x1), y1 = std::min(p.h - 1, y1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double d = dist(x + 0.5, y + 0.5) - half;
            if (d >= 1.0) continue;
            const int g = d <= 0 ? 0 : int(255 * d);
            unsigned char& px = p.grey[size_t(y) * p.w + x];
            px = std::min<int>(px, g);
        }
}

void circle(Problem& p, double cx, double cy, double r, double half) {
    const int m = int(r + half + 2);
    stroke(p, int(cx) - m, int(cy) - m, int(cx) + m, int(cy) + m, half,
           [&](double x, double y) { return std::fabs(std::hypot(x - cx, y - cy) - r); });
}

void segment(Problem& p, double ax, double ay, double bx, double by, double half) {
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    const int m = int(half + 2);
    stroke(p, int(std::min(ax, bx)) - m, int(std::min(ay, by)) - m, int(std::max(ax, bx)) + m,
           int(std::max(ay, by)) + m, half, [&](double x, double y) {
               double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
               t = std::clamp(t, 0.0, 1.0);
               return std::hypot(x - ax - t * dx, y - ay - t * dy);
           });
}

void scribble(Problem& p, double ax, double ay, double bx, double by, int label) {
    const double len = std::hypot(bx - ax, by - ay);
    for (double t = 0; t <= len; t += 0.5) {
        const int cx = int(ax + (bx - ax) * t / len), cy = int(ay + (by - ay) * t / len);
        for (int y = cy - 3; y <= cy + 3; ++y)
            for (int x = cx - 3; x <= cx + 3; ++x)
                if (x >= 0 && y >= 0 && x < p.w && y < p.h) p.scribble[size_t(y) * p.w + x] = label;
    }
}

// Cartoon-like line art: overlapping circles and long strokes (some with gaps), three scribbles.
Problem makeProblem(int w, int h) {
    Problem p;
    p.w = w;
    p.h = h;
    p.grey.assign(size_t(w) * h, 255);
    p.scribble.assign(size_t(w) * h, -1);
    Lcg rng(12345);
    const double s = std::min(w, h);
    for (int i = 0; i < 40; ++i)
        circle(p, rng.in(0, w), rng.in(0, h), rng.in(0.05, 0.3) * s, rng.in(1.0, 2.5));
    for (int i = 0; i < 25; ++i) {
        const double ax = rng.in(0, w), ay = rng.in(0, h), bx = rng.in(0, w), by = rng.in(0, h);
        if (i % 5 == 0) {  // a stroke with a gap in the middle
            segment(p, ax, ay, ax + (bx - ax) * 0.45, ay + (by - ay) * 0.45, 1.5);
            segment(p, ax + (bx - ax) * 0.55, ay + (by - ay) * 0.55, bx, by, 1.5);
        } else {
            segment(p, ax, ay, bx, by, rng.in(1.0, 2.0));
        }
    }
    scribble(p, 0.40 * w, 0.45 * h, 0.55 * w, 0.50 * h, 0);
    scribble(p, 0.05 * w, 0.10 * h, 0.20 * w, 0.12 * h, 1);
    scribble(p, 0.75 * w, 0.85 * h, 0.95 * w, 0.80 * h, 1);

    // Edge weights as the engine computes them.
    const float K = float(2 * (w + h));
    p.weight.resize(p.grey.size());
    for (size_t i = 0; i < p.grey.size(); ++i)
        p.weight[i] = int(powf(float(p.grey[i]) / 255.0f, 6.0f) * K + 1.0f);
    p.lambda = (w + h) / 10;
    return p;
}

const Problem& problem(int megapixelsTimes4) {
    static std::map<int, std::unique_ptr<Problem>> cache;
    std::unique_ptr<Problem>& p = cache[megapixelsTimes4];
    if (!p) {
        switch (megapixelsTimes4) {
            case 4:
                p = std::make_unique<Problem>(makeProblem(1280, 800));
                break;  // 1.0 MP
            case 8:
                p = std::make_unique<Problem>(makeProblem(1920, 1080));
                break;  // 2.1 MP
            default:
                p = std::make_unique<Problem>(makeProblem(2560, 1600));
                break;  // 4.1 MP
        }
    }
    return *p;
}

void build(const Problem& p, Graph& g) {
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const size_t i = size_t(y) * p.w + x;
            const int n = g.node_id(x, y);
            if (p.scribble[i] >= 0)
                g.set_terminal_cap(n, p.scribble[i] == 0 ? p.lambda : 0,
                                   p.scribble[i] == 1 ? p.lambda : 0);
            if (x < p.w - 1) g.set_neighbor_cap(n, 1, 0, p.weight[i], p.weight[i]);
            if (y < p.h - 1) g.set_neighbor_cap(n, 0, 1, p.weight[i], p.weight[i]);
        }
}

long long sinkPixels(const Problem& p, const Graph& g) {
    long long n = 0;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) n += g.get_segment(g.node_id(x, y));
    return n;
}

void report(benchmark::State& state, const Problem& p, const Graph& g) {
    using A = GridGraphTestAccess;
    const double pixels = double(p.w) * p.h;
    state.counters["pixels"] = pixels;
    state.counters["poolB/node"] = double(A::poolBytes(g)) / A::N(g);
    state.counters["poolB/pixel"] = double(A::poolBytes(g)) / pixels;
    state.counters["queueGrew"] =
        double(std::max(A::queueRoom(g), A::nextQueueRoom(g)) > 2 * size_t(A::N(g)));
    state.counters["flow"] = double(A::totalFlow(g));
    state.counters["sinkShare"] = double(sinkPixels(p, g)) / pixels;
}

void BM_Solve(benchmark::State& state) {
    const Problem& p = problem(int(state.range(0)));
    std::unique_ptr<Graph> g;
    for (auto _ : state) {
        state.PauseTiming();
        g.reset();
        g = std::make_unique<Graph>(p.w, p.h, 0);
        build(p, *g);
        state.ResumeTiming();
        g->compute_maxflow();
    }
    report(state, p, *g);
}

void BM_Pass(benchmark::State& state) {
    const Problem& p = problem(int(state.range(0)));
    long long sink = 0;
    for (auto _ : state) {
        Graph g(p.w, p.h, 0);
        build(p, g);
        g.compute_maxflow();
        sink = sinkPixels(p, g);
        benchmark::DoNotOptimize(sink);
    }
    state.counters["sinkShare"] = double(sink) / (double(p.w) * p.h);
}

BENCHMARK(BM_Solve)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
