#include "engine/solve3.h"

#include <math.h>

#include <climits>
#include <memory>

#include "engine/conncomp4.h"
#include "engine/raster.h"
#include "engine/solve1.h"
#include "maxflow/GridGraph_2D_4C.h"

namespace {

typedef GridGraph_2D_4C<int, int, int> Graph;

// Grey values from here up count as paper that may be merged into a region.
const unsigned char kBrightThreshold = 192;
const int kBandRadius = 6;
// Bright areas smaller than this are cheaper to search pixel by pixel than to merge.
const int kMinRegionPixels = 1024;

// Only the net tie reaches the super node: the overlap of the two sums would be taken out as
// flow at once and never decides a side, and the 64-bit sums cannot overflow on any image the
// grid graph can hold.
void tieRegion(Graph* graph, int superNode, long long sourceSum, long long sinkSum) {
    const long long net = sourceSum - sinkSum;
    const long long source = net > 0 ? (net > INT_MAX ? INT_MAX : net) : 0;
    const long long sink = net < 0 ? (-net > INT_MAX ? INT_MAX : -net) : 0;
    graph->set_terminal_cap(superNode, static_cast<int>(source), static_cast<int>(sink));
}

// One cut: decides every undecided pixel that cannot reach the sink, giving it label.
void runPass(const Array2<int>& weights, const Array2<int>& scribbles, const Array2<int>& region,
             int regionCount, int lambda, int label, long long* sourceSums, long long* sinkSums,
             Array2<unsigned char>* mask, Array2<int>* result) {
    const int w = mask->width();
    const int h = mask->height();
    Array2<unsigned char>& state = *mask;

    std::unique_ptr<Graph> graph(new Graph(w, h, regionCount));
    for (int c = 0; c < regionCount; ++c) {
        sourceSums[c] = 0;
        sinkSums[c] = 0;
    }

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            const int s = scribbles[i];
            if (state[i] == kRegionPixel) {
                const int r = region[i];
                if (s == label) {
                    sourceSums[r] += lambda;
                } else if (s > label) {
                    sinkSums[r] += lambda;
                }
            } else if (state[i] == kNodePixel) {
                const int n = graph->node_id(x, y);
                if (s != -1)
                    graph->set_terminal_cap(n, s == label ? lambda : 0, s > label ? lambda : 0);
                if (x < w - 1 && state[i + 1] == kNodePixel) {
                    graph->set_neighbor_cap(n, 1, 0, weights[i], weights[i]);
                }
                if (y < h - 1 && state[i + w] == kNodePixel) {
                    graph->set_neighbor_cap(n, 0, 1, weights[i], weights[i]);
                }
                // A pixel of a region decided earlier is no longer a region pixel, although
                // region still holds its number: linking to it would revive a decided region.
                int neighbour = -1;
                if (x > 0 && state[i - 1] == kRegionPixel) {
                    neighbour = i - 1;
                } else if (x < w - 1 && state[i + 1] == kRegionPixel) {
                    neighbour = i + 1;
                } else if (y > 0 && state[i - w] == kRegionPixel) {
                    neighbour = i - w;
                } else if (y < h - 1 && state[i + w] == kRegionPixel) {
                    neighbour = i + w;
                }
                if (neighbour != -1) graph->add_edge(graph->super_id(region[neighbour]), n);
            }
        }
    }

    // After the pixels: the search takes its roots in the order of these calls.
    for (int c = 0; c < regionCount; ++c) {
        tieRegion(graph.get(), graph->super_id(c), sourceSums[c], sinkSums[c]);
    }

    graph->compute_maxflow();

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            if (state[i] == kDecidedPixel) continue;
            const int node =
                state[i] == kNodePixel ? graph->node_id(x, y) : graph->super_id(region[i]);
            if (graph->get_segment(node) == 0) {
                (*result)[i] = label;
                state[i] = kDecidedPixel;
            }
        }
    }
}

}  // namespace

void makeEdgeWeights(const Array2<unsigned char>& grey, Array2<int>* weights) {
    const float k = static_cast<float>(2 * (grey.width() + grey.height()));
    const int n = grey.numel();
    for (int i = 0; i < n; ++i) {
        // Single precision, multiply then add, truncated: the labels depend on every bit.
        const float x = static_cast<float>(grey[i]) / 255.0f;
        const float p = powf(x, 6.0f);
        (*weights)[i] = static_cast<int>(p * k + 1.0f);
    }
}

int coarseWeight(int m) {
    // Single precision, products left to right, truncated: the labels depend on every bit.
    return static_cast<int>(
        powf(static_cast<float>(m) / 255.0f, 6.0f) * 4000.0f * 4.0f * 1.4142135f + 1.0f);
}

int scribbleCapacity(int width, int height) {
    return static_cast<int>(static_cast<float>(2 * (width + height)) * 0.05f);
}

void makeCoarseProblem(const Array2<unsigned char>& image, const Array2<int>& scribbles,
                       Array2<unsigned char>* coarseGrey, Array2<int>* coarseWeights,
                       Array2<int>* coarseScribbles) {
    const int w = image.width();
    const int h = image.height();
    const int wc = coarseGrey->width();
    const int hc = coarseGrey->height();
    fill(coarseScribbles, -1);
    for (int by = 0; by < hc; ++by) {
        for (int bx = 0; bx < wc; ++bx) {
            int m = 255;
            for (int y = 4 * by; y < 4 * by + 4 && y < h; ++y) {
                for (int x = 4 * bx; x < 4 * bx + 4 && x < w; ++x) {
                    if (image(x, y) < m) m = image(x, y);
                    if (scribbles(x, y) != -1) (*coarseScribbles)(bx, by) = scribbles(x, y);
                }
            }
            (*coarseGrey)(bx, by) = static_cast<unsigned char>(m);
            (*coarseWeights)(bx, by) = coarseWeight(m);
        }
    }
}

void markBoundaryBand(const Array2<int>& coarseLabels, Array2<unsigned char>* mask) {
    const int wc = coarseLabels.width();
    const int hc = coarseLabels.height();
    for (int by = 0; by < hc; ++by) {
        for (int bx = 0; bx < wc; ++bx) {
            const int l = coarseLabels(bx, by);
            const bool boundary = (bx > 0 && coarseLabels(bx - 1, by) != l) ||
                                  (bx < wc - 1 && coarseLabels(bx + 1, by) != l) ||
                                  (by > 0 && coarseLabels(bx, by - 1) != l) ||
                                  (by < hc - 1 && coarseLabels(bx, by + 1) != l);
            // Centred on the block's top-left pixel, not its middle.
            if (boundary) {
                splatCircle(mask, 4 * bx, 4 * by, kBandRadius,
                            static_cast<unsigned char>(kNodePixel));
            }
        }
    }
}

int findRegions(Array2<unsigned char>* mask, Array2<int>* region) {
    Array2<unsigned char>& state = *mask;
    int regionCount = 0;
    conncomp4(state, static_cast<unsigned char>(kNodePixel), region, &regionCount);

    const int n = state.numel();
    std::unique_ptr<int[]> counts(new int[regionCount]());
    for (int i = 0; i < n; ++i) {
        if (state[i] == kRegionPixel) ++counts[(*region)[i]];
    }
    for (int i = 0; i < n; ++i) {
        if (state[i] == kRegionPixel && counts[(*region)[i]] < kMinRegionPixels) {
            state[i] = kNodePixel;
            (*region)[i] = -1;
        }
    }
    return regionCount;
}

void solve3(const Array2<unsigned char>& image, const Array2<int>& weights,
            const Array2<int>& scribbles, int labelCount, Array2<int>* result) {
    const int w = image.width();
    const int h = image.height();

    Array2<unsigned char> mask(image.size());
    const int n = mask.numel();
    for (int i = 0; i < n; ++i) mask[i] = image[i] < kBrightThreshold ? kNodePixel : kRegionPixel;

    // The quarter-scale solution only says where label boundaries lie; the band around them
    // keeps per-pixel nodes so the full-resolution cut can place them exactly.
    {
        const int wc = w / 4;
        const int hc = h / 4;
        Array2<unsigned char> coarseGrey(wc, hc);
        Array2<int> coarseWeights(wc, hc);
        Array2<int> coarseScribbles(wc, hc);
        Array2<int> coarseLabels(wc, hc);
        makeCoarseProblem(image, scribbles, &coarseGrey, &coarseWeights, &coarseScribbles);
        solve1(coarseGrey, coarseWeights, coarseScribbles, labelCount, &coarseLabels);
        markBoundaryBand(coarseLabels, &mask);
    }

    Array2<int> region(image.size());
    const int regionCount = findRegions(&mask, &region);

    const int lambda = scribbleCapacity(w, h);
    std::unique_ptr<long long[]> sourceSums(new long long[regionCount]);
    std::unique_ptr<long long[]> sinkSums(new long long[regionCount]);

    for (int label = 0; label < labelCount - 1; ++label) {
        runPass(weights, scribbles, region, regionCount, lambda, label, sourceSums.get(),
                sinkSums.get(), &mask, result);
    }

    for (int i = 0; i < n; ++i) {
        if (mask[i] != kDecidedPixel) (*result)[i] = labelCount - 1;
    }
}
