// Solver timings on synthetic line art: the entry point (coarse-to-fine) at 1, 4 and 8
// megapixels with 2, 8 and 32 labels, and the per-pixel cut run directly at full resolution
// on the 1 and 4 megapixel images for comparison.
//
//   solver_bench            all cases
//   solver_bench --quick    1 megapixel only
//
// Each case runs in a child process of its own so that its peak memory is its own: the
// figure is the peak resident size during the solve minus the size just before it.
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "engine/Array2.h"
#include "engine/solve1.h"
#include "engine/solve3.h"
#include "engine/solver.h"

namespace {

struct Drawing {
    int w, h;
    std::vector<unsigned char> grey;
    std::vector<int> scribbles;
};

// Closed shapes with dark outlines 1 to 3 pixels wide, a third of them anti-aliased and a
// fifth with a small gap, and a scribble stroke inside each shape and in the paper around.
Drawing lineArt(int w, int h, int labelCount, unsigned seed) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    Drawing d{w, h, std::vector<unsigned char>(size_t(w) * h, 255),
              std::vector<int>(size_t(w) * h, -1)};
    auto ink = [&d](int x, int y, int g) {
        if (x < 0 || y < 0 || x >= d.w || y >= d.h) return;
        unsigned char& p = d.grey[size_t(y) * d.w + x];
        p = static_cast<unsigned char>(std::min<int>(p, g));
    };
    auto stroke = [&d](int x0, int y0, int len, int label) {
        for (int t = 0; t < len; ++t) {
            for (int k = -1; k <= 1; ++k) {
                const int x = x0 + t, y = y0 + k + int(3 * std::sin(t * 0.2));
                if (x >= 0 && y >= 0 && x < d.w && y < d.h)
                    d.scribbles[size_t(y) * d.w + x] = label;
            }
        }
    };

    const int shapes = int(double(w) * h / 40000.0) + 4;
    for (int s = 0; s < shapes; ++s) {
        const double cx = uniform(0, w - 1), cy = uniform(0, h - 1);
        const double rx = uniform(20, std::max(21, w / 6)), ry = uniform(20, std::max(21, h / 6));
        const double thick = uniform(1, 3);
        const bool smooth = uniform(0, 2) == 0;
        const bool gap = uniform(0, 4) == 0;
        const double gapAngle = uniform(0, 627) / 100.0;
        const double reach = std::max(rx, ry) + thick + 2;
        for (int y = int(cy - reach); y <= int(cy + reach); ++y) {
            for (int x = int(cx - reach); x <= int(cx + reach); ++x) {
                const double u = (x - cx) / rx, v = (y - cy) / ry;
                const double r = std::sqrt(u * u + v * v);
                // Distance to the ellipse in pixels, roughly.
                const double dist = std::fabs(r - 1.0) * std::min(rx, ry);
                if (gap &&
                    std::fabs(std::atan2(v, u) + 3.1416 - gapAngle) < 2.0 / std::min(rx, ry)) {
                    continue;
                }
                if (smooth) {
                    const double cover = std::min(1.0, std::max(0.0, thick / 2 + 0.5 - dist));
                    if (cover > 0) ink(x, y, int(255 * (1 - cover)));
                } else if (dist <= thick / 2) {
                    ink(x, y, 0);
                }
            }
        }
        stroke(int(cx - rx / 3), int(cy), int(rx / 2), uniform(0, labelCount - 1));
        stroke(int(cx + rx * 1.2), int(cy + ry * 1.2), 25, uniform(0, labelCount - 1));
    }
    return d;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long residentKiB(const char* field) {
    FILE* f = fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long value = -1;
    const size_t n = strlen(field);
    while (fgets(line, sizeof line, f) != nullptr) {
        if (strncmp(line, field, n) == 0) value = atol(line + n);
    }
    fclose(f);
    return value;
}

void resetPeak() {
    FILE* f = fopen("/proc/self/clear_refs", "w");
    if (f == nullptr) return;
    fputs("5", f);
    fclose(f);
}

enum Method { kEntry, kPerPixel };

// In a child: builds the drawing, solves once, prints seconds and peak MiB on one line.
void runCase(Method method, int w, int h, int labelCount, double* secondsOut, double* peakOut) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // Label numbers depend on the count, the drawing itself does not.
        Drawing d = lineArt(w, h, labelCount, 7);
        std::vector<int> labels(size_t(w) * h);
        std::vector<int> weights;
        if (method == kPerPixel) {
            weights.resize(size_t(w) * h);
            Array2<unsigned char> grey(w, h, d.grey.data());
            Array2<int> weightView(w, h, weights.data());
            makeEdgeWeights(grey, &weightView);
        }
        resetPeak();
        const long before = residentKiB("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        if (method == kEntry) {
            solverSolve(w, h, d.grey.data(), d.scribbles.data(), labelCount, labels.data());
        } else {
            Array2<unsigned char> grey(w, h, d.grey.data());
            Array2<int> weightView(w, h, weights.data());
            Array2<int> scribbles(w, h, d.scribbles.data());
            Array2<int> result(w, h, labels.data());
            solve1(grey, weightView, scribbles, labelCount, &result);
        }
        double out[2] = {seconds(start), (residentKiB("VmHWM:") - before) / 1024.0};
        if (write(fds[1], out, sizeof out) != sizeof out) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    double in[2] = {-1, -1};
    if (read(fds[0], in, sizeof in) != sizeof in) in[0] = in[1] = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    *secondsOut = in[0];
    *peakOut = in[1];
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && strcmp(argv[1], "--quick") == 0;
    struct Size {
        const char* name;
        int w, h;
    };
    const Size sizes[] = {{"1 MP", 1155, 866}, {"4 MP", 2309, 1732}, {"8 MP", 3266, 2449}};
    const int labelCounts[] = {2, 8, 32};
    const int sizeCount = quick ? 1 : 3;

    printf("solverSolve (coarse-to-fine), synthetic line art\n");
    printf("%-6s %7s %10s %14s %10s\n", "size", "labels", "wall s", "per pass ms", "peak MiB");
    double entrySeconds[3][3];
    for (int s = 0; s < sizeCount; ++s) {
        double base, basePeak;
        runCase(kEntry, sizes[s].w, sizes[s].h, 1, &base, &basePeak);
        printf("%-6s %7d %10.3f %14s %10.1f\n", sizes[s].name, 1, base, "-", basePeak);
        for (int l = 0; l < 3; ++l) {
            double t, peak;
            runCase(kEntry, sizes[s].w, sizes[s].h, labelCounts[l], &t, &peak);
            entrySeconds[s][l] = t;
            // Each pass is one quarter-scale cut plus one full-resolution cut; the one-label
            // run does everything else.
            printf("%-6s %7d %10.3f %14.1f %10.1f\n", sizes[s].name, labelCounts[l], t,
                   1000.0 * (t - base) / (labelCounts[l] - 1), peak);
            fflush(stdout);
        }
    }

    printf("\nsolve1 (one node per pixel) at full resolution\n");
    printf("%-6s %7s %10s %14s %10s %12s\n", "size", "labels", "wall s", "per pass ms", "peak MiB",
           "solve1/entry");
    for (int s = 0; s < std::min(sizeCount, 2); ++s) {
        for (int l = 0; l < 3; ++l) {
            double t, peak;
            runCase(kPerPixel, sizes[s].w, sizes[s].h, labelCounts[l], &t, &peak);
            printf("%-6s %7d %10.3f %14.1f %10.1f %12.2f\n", sizes[s].name, labelCounts[l], t,
                   1000.0 * t / (labelCounts[l] - 1), peak, t / entrySeconds[s][l]);
            fflush(stdout);
        }
    }
    return 0;
}
