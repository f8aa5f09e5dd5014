// Random line art through the label solvers: invariants of the entry point, and the per-pixel
// cut checked pass by pass against an independent max-flow.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/Array2.h"
#include "engine/solve1.h"
#include "engine/solve3.h"
#include "engine/solver.h"
#include "support/ReferenceMaxflow.h"

namespace {

struct Drawing {
    int w, h;
    std::vector<unsigned char> grey;
    std::vector<int> scribbles;
};

void dot(Drawing* d, int x, int y, unsigned char g) {
    if (x >= 0 && x < d->w && y >= 0 && y < d->h) {
        unsigned char& p = d->grey[y * d->w + x];
        p = std::min(p, g);
    }
}

// Closed outlines (rectangles and ellipses, 1 to 3 pixels thick, some grey), a few stray
// marks, and scribble strokes of random labels.
Drawing randomDrawing(std::mt19937* rng, int w, int h, int labelCount) {
    auto uniform = [rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(*rng);
    };
    Drawing d{w, h, std::vector<unsigned char>(w * h, 255), std::vector<int>(w * h, -1)};
    auto stroke = [&](int x, int y, int steps, int label) {
        for (int s = 0; s < steps; ++s) {
            if (x >= 0 && x < w && y >= 0 && y < h) d.scribbles[y * w + x] = label;
            x += uniform(-1, 1);
            y += uniform(-1, 1);
        }
    };
    const int shapes = uniform(0, 7);
    for (int k = 0; k < shapes; ++k) {
        const int x0 = uniform(-5, w), y0 = uniform(-5, h);
        const int rw = uniform(3, std::max(3, w / 2)), rh = uniform(3, std::max(3, h / 2));
        const int thick = uniform(1, 3);
        const unsigned char ink =
            static_cast<unsigned char>(uniform(0, 3) == 0 ? uniform(0, 230) : 0);
        if (uniform(0, 1) == 0) {
            for (int y = y0; y < y0 + rh; ++y) {
                for (int x = x0; x < x0 + rw; ++x) {
                    const bool edge = x < x0 + thick || x >= x0 + rw - thick || y < y0 + thick ||
                                      y >= y0 + rh - thick;
                    if (edge) dot(&d, x, y, ink);
                }
            }
        } else {
            const float cx = x0 + rw / 2.0f, cy = y0 + rh / 2.0f;
            const float ax = rw / 2.0f, ay = rh / 2.0f;
            for (int y = y0; y < y0 + rh; ++y) {
                for (int x = x0; x < x0 + rw; ++x) {
                    const float u = (x - cx) / ax, v = (y - cy) / ay;
                    const float r = u * u + v * v;
                    const float band = thick / std::min(ax, ay);
                    if (r <= 1.0f && r >= (1.0f - band) * (1.0f - band)) dot(&d, x, y, ink);
                }
            }
        }
        // Most shapes get a scribble inside, so that enclosed areas compete for labels.
        if (uniform(0, 4) != 0) {
            stroke(x0 + rw / 2, y0 + rh / 2, uniform(5, 80), uniform(0, labelCount - 1));
        }
    }
    const int marks = uniform(0, w * h / 50);
    for (int k = 0; k < marks; ++k) dot(&d, uniform(0, w - 1), uniform(0, h - 1), uniform(0, 255));
    const int strokes = uniform(0, 4);
    for (int k = 0; k < strokes; ++k) {
        stroke(uniform(0, w - 1), uniform(0, h - 1), uniform(1, 60), uniform(0, labelCount - 1));
    }
    return d;
}

std::vector<int> solveWith(const Drawing& d, const std::vector<int>& scribbles, int labelCount,
                           int prefill) {
    std::vector<int> labels(d.w * d.h, prefill);
    solverSolve(d.w, d.h, d.grey.data(), scribbles.data(), labelCount, labels.data());
    return labels;
}

TEST(EngineSolverSolveRandom, EveryPixelLabelledInRangeWhateverTheBufferHeld) {
    std::mt19937 rng(20261207);
    int mixed = 0;  // rounds whose result holds more than one label
    for (int round = 0; round < 14; ++round) {
        // Mostly small, a few up to 300 by 300; narrow and flat images included.
        const int maxSide = round % 5 == 4 ? 300 : 90;
        const int w = std::uniform_int_distribution<int>(1, maxSide)(rng);
        const int h = std::uniform_int_distribution<int>(1, maxSide)(rng);
        const int labelCount = std::uniform_int_distribution<int>(1, 10)(rng);
        const Drawing d = randomDrawing(&rng, w, h, labelCount);
        const std::vector<unsigned char> greyBefore = d.grey;
        const std::vector<int> scribblesBefore = d.scribbles;
        SCOPED_TRACE(::testing::Message() << w << " by " << h << ", " << labelCount << " labels");

        const int sentinel = -123456;
        const std::vector<int> labels = solveWith(d, d.scribbles, labelCount, sentinel);
        for (int i = 0; i < w * h; ++i) {
            ASSERT_GE(labels[i], 0) << i;
            ASSERT_LT(labels[i], labelCount) << i;
        }
        EXPECT_EQ(labels, solveWith(d, d.scribbles, labelCount, labelCount - 1));
        if (std::count(labels.begin(), labels.end(), labels[0]) != w * h) ++mixed;
        EXPECT_EQ(greyBefore, d.grey);
        EXPECT_EQ(scribblesBefore, d.scribbles);

        const std::vector<int> none(w * h, -1);
        EXPECT_EQ(std::vector<int>(w * h, 0), solveWith(d, none, labelCount, sentinel));
    }
    EXPECT_GE(mixed, 5);
}

// The per-pixel cut rebuilt pass by pass in the reference max-flow: a pixel takes the pass's
// label exactly when its node cannot reach the sink, which is the same for every maximum flow.
std::vector<int> referenceSolve1(int w, int h, const std::vector<int>& weights,
                                 const std::vector<int>& scribbles, int labelCount) {
    std::vector<int> labels(w * h, -1);
    for (int label = 0; label < labelCount - 1; ++label) {
        ReferenceMaxflow ref(w * h);
        for (int i = 0; i < w * h; ++i) {
            if (labels[i] != -1) continue;
            const int x = i % w, y = i / w;
            const int s = scribbles[i];
            if (s != -1) ref.addTerminalCaps(i, s == label ? 3200 : 0, s > label ? 3200 : 0);
            if (x + 1 < w && labels[i + 1] == -1) ref.addArcPair(i, i + 1, weights[i], weights[i]);
            if (y + 1 < h && labels[i + w] == -1) ref.addArcPair(i, i + w, weights[i], weights[i]);
        }
        ref.maxflow();
        for (int i = 0; i < w * h; ++i) {
            if (labels[i] == -1 && !ref.sinkSide(i)) labels[i] = label;
        }
    }
    for (int& l : labels) {
        if (l == -1) l = labelCount - 1;
    }
    return labels;
}

TEST(EngineSolve1Oracle, LabelsMatchAnIndependentMaxflowPassByPass) {
    std::mt19937 rng(4242);
    auto uniform = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    for (int round = 0; round < 400; ++round) {
        const int w = uniform(1, 13), h = uniform(1, 11), labelCount = uniform(1, 5);
        std::vector<int> weights(w * h), scribbles(w * h);
        const int density = uniform(1, 10);
        for (int i = 0; i < w * h; ++i) {
            // Mostly the two ends of the coarse range, some in between: ties and near-ties.
            const int kind = uniform(0, 5);
            weights[i] = kind < 2 ? 22628 : kind < 4 ? 1 : uniform(1, 22628);
            scribbles[i] = uniform(0, 9) < density ? -1 : uniform(0, labelCount - 1);
        }
        std::vector<unsigned char> grey(w * h, 0);
        std::vector<int> labels(w * h, -99);
        Array2<unsigned char> image(w, h, grey.data());
        Array2<int> weightView(w, h, weights.data());
        Array2<int> scribbleView(w, h, scribbles.data());
        Array2<int> result(w, h, labels.data());
        solve1(image, weightView, scribbleView, labelCount, &result);
        ASSERT_EQ(referenceSolve1(w, h, weights, scribbles, labelCount), labels)
            << "round " << round << ": " << w << " by " << h << ", " << labelCount << " labels";
    }
}

// The coarse-to-fine passes rebuilt in the reference max-flow, from the pixel states the
// preparation steps give: a region is one extra node with unlimited links to its node pixels,
// and its scribbled pixels add up as its terminal capacities.
std::vector<int> referenceSolve3(const Drawing& d, int labelCount, bool* keptRegions) {
    const int w = d.w, h = d.h;
    Array2<unsigned char> grey(w, h, const_cast<unsigned char*>(d.grey.data()));
    Array2<int> scribbles(w, h, const_cast<int*>(d.scribbles.data()));
    Array2<unsigned char> mask(w, h);
    for (int i = 0; i < w * h; ++i) mask[i] = d.grey[i] < 192 ? kNodePixel : kRegionPixel;
    Array2<unsigned char> coarseGrey(w / 4, h / 4);
    Array2<int> coarseWeights(w / 4, h / 4), coarseScribbles(w / 4, h / 4), coarse(w / 4, h / 4);
    makeCoarseProblem(grey, scribbles, &coarseGrey, &coarseWeights, &coarseScribbles);
    solve1(coarseGrey, coarseWeights, coarseScribbles, labelCount, &coarse);
    markBoundaryBand(coarse, &mask);
    Array2<int> region(w, h);
    const int regionCount = findRegions(&mask, &region);
    *keptRegions = std::count(mask.data(), mask.data() + w * h, kRegionPixel) > 0;
    Array2<int> weights(w, h);
    makeEdgeWeights(grey, &weights);
    const int lambda = scribbleCapacity(w, h);

    std::vector<int> labels(w * h, -1);
    for (int label = 0; label < labelCount - 1; ++label) {
        ReferenceMaxflow ref(w * h + regionCount);
        auto undecidedNode = [&](int i) { return labels[i] == -1 && mask[i] == kNodePixel; };
        auto undecidedRegion = [&](int i) { return labels[i] == -1 && mask[i] == kRegionPixel; };
        for (int i = 0; i < w * h; ++i) {
            const int x = i % w, y = i / w, s = d.scribbles[i];
            const int tieSource = s == label ? lambda : 0, tieSink = s > label ? lambda : 0;
            if (undecidedRegion(i)) {
                ref.addTerminalCaps(w * h + region[i], tieSource, tieSink);
            } else if (undecidedNode(i)) {
                if (s != -1) ref.addTerminalCaps(i, tieSource, tieSink);
                if (x + 1 < w && undecidedNode(i + 1))
                    ref.addArcPair(i, i + 1, weights[i], weights[i]);
                if (y + 1 < h && undecidedNode(i + w))
                    ref.addArcPair(i, i + w, weights[i], weights[i]);
                const int around[4] = {x > 0 ? i - 1 : -1, x + 1 < w ? i + 1 : -1,
                                       y > 0 ? i - w : -1, y + 1 < h ? i + w : -1};
                for (int j : around) {
                    if (j != -1 && undecidedRegion(j)) {
                        ref.addLink(i, w * h + region[j]);
                        break;
                    }
                }
            }
        }
        ref.maxflow();
        for (int i = 0; i < w * h; ++i) {
            if (labels[i] != -1) continue;
            const int node = mask[i] == kRegionPixel ? w * h + region[i] : i;
            if (!ref.sinkSide(node)) labels[i] = label;
        }
    }
    for (int& l : labels) {
        if (l == -1) l = labelCount - 1;
    }
    return labels;
}

TEST(EngineSolverSolveOracle, PassesMatchAnIndependentMaxflowWithMergedRegions) {
    std::mt19937 rng(777);
    int withRegions = 0, mixed = 0;
    for (int round = 0; round < 30; ++round) {
        const int w = std::uniform_int_distribution<int>(30, 100)(rng);
        const int h = std::uniform_int_distribution<int>(30, 90)(rng);
        const int labelCount = std::uniform_int_distribution<int>(2, 6)(rng);
        const Drawing d = randomDrawing(&rng, w, h, labelCount);
        std::vector<int> labels = solveWith(d, d.scribbles, labelCount, -5);
        bool keptRegions = false;
        ASSERT_EQ(referenceSolve3(d, labelCount, &keptRegions), labels)
            << "round " << round << ": " << w << " by " << h << ", " << labelCount << " labels";
        withRegions += keptRegions;
        mixed += std::count(labels.begin(), labels.end(), labels[0]) != w * h;
    }
    // The draws must exercise merged regions and real label boundaries.
    EXPECT_GT(withRegions, 10) << withRegions;
    EXPECT_GT(mixed, 10) << mixed;
}

}  // namespace
