// Worked examples of the label solvers: edge weights, the per-pixel cut, the steps of the
// coarse-to-fine cut and the entry point.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "engine/Array2.h"
#include "engine/raster.h"
#include "engine/solve1.h"
#include "engine/solve3.h"
#include "engine/solver.h"

namespace {

const int kSentinel = -77;

// An image problem held in vectors; the Array2 views below borrow them.
struct Problem {
    Problem(int width, int height, unsigned char paper = 255)
        : w(width), h(height), grey(width * height, paper), scribbles(width * height, -1) {}

    unsigned char& g(int x, int y) { return grey[y * w + x]; }
    int& s(int x, int y) { return scribbles[y * w + x]; }

    // Runs the entry point on a sentinel-filled result.
    std::vector<int> solve(int labelCount) {
        std::vector<int> labels(w * h, kSentinel);
        solverSolve(w, h, grey.data(), scribbles.data(), labelCount, labels.data());
        return labels;
    }

    int w, h;
    std::vector<unsigned char> grey;
    std::vector<int> scribbles;
};

std::vector<int> runSolve1(int w, int h, std::vector<int> weights, std::vector<int> scribbles,
                           int labelCount) {
    std::vector<unsigned char> grey(w * h, 0);  // only its size is read
    std::vector<int> labels(w * h, kSentinel);
    Array2<unsigned char> image(w, h, grey.data());
    Array2<int> weightView(w, h, weights.data());
    Array2<int> scribbleView(w, h, scribbles.data());
    Array2<int> result(w, h, labels.data());
    solve1(image, weightView, scribbleView, labelCount, &result);
    return labels;
}

std::vector<int> weightsOf(int w, int h, const std::vector<unsigned char>& greyValues) {
    std::vector<unsigned char> grey(greyValues);
    std::vector<int> weights(w * h, kSentinel);
    Array2<unsigned char> greyView(w, h, grey.data());
    Array2<int> weightView(w, h, weights.data());
    makeEdgeWeights(greyView, &weightView);
    return weights;
}

TEST(EngineSolveWeights, FullResolutionCoarseAndScribbleTie) {
    // width + height = 1000, distinct greys in the first pixels of a 7 by 993 image.
    std::vector<unsigned char> grey(7 * 993, 255);
    const unsigned char greys[] = {128, 192, 224, 254, 255, 0};
    const int expected[] = {32, 365, 919, 1954, 2001, 1};
    for (int i = 0; i < 6; ++i) grey[i * 13] = greys[i];
    std::vector<int> weights = weightsOf(7, 993, grey);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], weights[i * 13]) << int(greys[i]);
    for (int i = 0; i < 7 * 993; ++i) {
        if (i % 13 == 0 && i / 13 < 6) continue;
        ASSERT_EQ(2001, weights[i]) << i;
    }
    // All black is 1 everywhere; all white 2 * (width + height) + 1 for another size.
    for (int v : weightsOf(5, 3, std::vector<unsigned char>(15, 0))) EXPECT_EQ(1, v);
    for (int v : weightsOf(5, 3, std::vector<unsigned char>(15, 255))) EXPECT_EQ(17, v);

    EXPECT_EQ(1, coarseWeight(0));
    EXPECT_EQ(362, coarseWeight(128));
    EXPECT_EQ(3996, coarseWeight(191));
    EXPECT_EQ(4123, coarseWeight(192));
    EXPECT_EQ(22628, coarseWeight(255));

    EXPECT_EQ(0, scribbleCapacity(4, 5));
    EXPECT_EQ(6, scribbleCapacity(35, 32));
    EXPECT_EQ(10, scribbleCapacity(67, 35));
    for (int sum = 2; sum <= 400000; sum += 7) {
        ASSERT_EQ(sum / 10, scribbleCapacity(sum - 1, 1)) << sum;
    }
}

TEST(EngineSolve1, WorkedExamples) {
    // The middle scribble loses: its tie (3200) costs less than both sink ties or an edge.
    EXPECT_EQ((std::vector<int>{1, 1, 1}), runSolve1(3, 1, {22628, 22628, 22628}, {1, 0, 1}, 2));

    // labelCount 1: no pass, every pixel takes 0 whatever its scribble.
    EXPECT_EQ(std::vector<int>(6, 0),
              runSolve1(3, 2, std::vector<int>(6, 5), {0, -1, 0, -1, 0, 0}, 1));

    // A black vertical line goes with the area on its left, whichever label that area has:
    // the edge on its left weighs as the white pixel, the one on its right as the line.
    const int w = 9, h = 7, line = 4;
    for (int leftLabel = 0; leftLabel < 2; ++leftLabel) {
        std::vector<int> weights(w * h, 22628), scribbles(w * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (x == line) {
                    weights[y * w + x] = 1;
                    scribbles[y * w + x] = -1;
                } else {
                    scribbles[y * w + x] = x < line ? leftLabel : 1 - leftLabel;
                }
            }
        }
        std::vector<int> labels = runSolve1(w, h, weights, scribbles, 2);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(x <= line ? leftLabel : 1 - leftLabel, labels[y * w + x])
                    << x << "," << y;
            }
        }
    }
    // A horizontal one goes with the area above it (transposed: 7 wide, 9 high).
    for (int upperLabel = 0; upperLabel < 2; ++upperLabel) {
        std::vector<int> weights(h * w, 22628), scribbles(h * w);
        for (int y = 0; y < w; ++y) {
            for (int x = 0; x < h; ++x) {
                if (y == line) {
                    weights[y * h + x] = 1;
                    scribbles[y * h + x] = -1;
                } else {
                    scribbles[y * h + x] = y < line ? upperLabel : 1 - upperLabel;
                }
            }
        }
        std::vector<int> labels = runSolve1(h, w, weights, scribbles, 2);
        for (int y = 0; y < w; ++y) {
            for (int x = 0; x < h; ++x) {
                ASSERT_EQ(y <= line ? upperLabel : 1 - upperLabel, labels[y * h + x])
                    << x << "," << y;
            }
        }
    }

    // Unscribbled pixels that reach no higher scribble take the pass's label; one label-2
    // scribble pulls the whole connected image to the sink in every pass.
    {
        std::vector<int> weights = {50, 1, 50, 50, 50, 1, 50, 50};
        EXPECT_EQ(std::vector<int>(8, 0), runSolve1(4, 2, weights, std::vector<int>(8, -1), 3));
        std::vector<int> scribbles = {-1, -1, -1, 2, -1, -1, -1, -1};
        EXPECT_EQ(std::vector<int>(8, 2), runSolve1(4, 2, weights, scribbles, 3));
    }

    // An empty image (the coarse problem of a narrow image) labels and writes nothing.
    std::vector<int> none = runSolve1(0, 3, {}, {}, 3);
    EXPECT_TRUE(none.empty());
}

TEST(EngineSolve3Steps, CoarseProblemTakesDarkestGreyAndLastScribble) {
    // 9 by 6: two blocks in a row; column 8 and rows 4 and 5 belong to no block.
    const int w = 9, h = 6;
    std::vector<unsigned char> grey(w * h, 230);
    std::vector<int> scribbles(w * h, -1);
    grey[1 * w + 2] = 37;  // darkest of block 0
    grey[3 * w + 0] = 90;
    grey[2 * w + 6] = 201;  // darkest of block 1
    grey[0 * w + 8] = 0;    // outside every block
    grey[4 * w + 5] = 0;
    scribbles[0 * w + 0] = 2;
    scribbles[3 * w + 3] = 1;  // last in raster order wins
    scribbles[2 * w + 8] = 3;  // outside every block
    scribbles[5 * w + 6] = 3;
    Array2<unsigned char> image(w, h, grey.data());
    Array2<int> scribbleView(w, h, scribbles.data());
    Array2<unsigned char> coarseGrey(2, 1);
    Array2<int> coarseWeights(2, 1), coarseScribbles(2, 1);
    makeCoarseProblem(image, scribbleView, &coarseGrey, &coarseWeights, &coarseScribbles);
    EXPECT_EQ(37, coarseGrey[0]);
    EXPECT_EQ(201, coarseGrey[1]);
    EXPECT_EQ(coarseWeight(37), coarseWeights[0]);
    EXPECT_EQ(coarseWeight(201), coarseWeights[1]);
    EXPECT_EQ(1, coarseScribbles[0]);
    EXPECT_EQ(-1, coarseScribbles[1]);
}

TEST(EngineSolve3Steps, BandDiscsSitOnTopLeftPixelsOfBoundaryBlocks) {
    struct Case {
        int wc, hc;
        const char* labels;                      // one digit per block, rows apart
        int w, h;                                // the mask
        std::vector<std::pair<int, int> > band;  // blocks whose discs are marked
    };
    const Case cases[] = {
        // Block (2, 1) differs from its four neighbours.
        {4, 3, "3333 3353 3333", 17, 13, {{2, 1}, {1, 1}, {3, 1}, {2, 0}, {2, 2}}},
        // One neighbour each: the upper block sees the boundary only below it, the left one only
        // to its right. Each disc reaches pixels that the other's does not.
        {1, 2, "0 1", 7, 11, {{0, 0}, {0, 1}}},
        {2, 1, "01", 11, 7, {{0, 0}, {1, 0}}},
        // Uniform labels mark nothing.
        {4, 3, "1111 1111 1111", 17, 13, {}},
    };
    for (const Case& c : cases) {
        Array2<int> coarse(c.wc, c.hc);
        int i = 0;
        for (const char* d = c.labels; *d; ++d) {
            if (*d != ' ') coarse[i++] = *d - '0';
        }
        Array2<unsigned char> mask(c.w, c.h);
        fill(&mask, static_cast<unsigned char>(kRegionPixel));
        markBoundaryBand(coarse, &mask);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                bool inBand = false;
                for (const auto& b : c.band) {
                    const int dx = x - 4 * b.first, dy = y - 4 * b.second;
                    if (dx * dx + dy * dy <= 36) inBand = true;
                }
                ASSERT_EQ(inBand ? kNodePixel : kRegionPixel, mask(x, y))
                    << c.wc << "x" << c.hc << ": " << x << "," << y;
            }
        }
    }
}

TEST(EngineSolve3Steps, RegionsOf1024PixelsStayAndNumbersAreNotCompacted) {
    // 70 by 33: a 31 by 33 area (1023 pixels), a node column, a 32 by 32 area (1024 pixels).
    const int w = 70, h = 33;
    Array2<unsigned char> mask(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool small = x < 31;
            const bool large = x >= 32 && x < 64 && y < 32;
            mask(x, y) = small || large ? kRegionPixel : kNodePixel;
        }
    }
    Array2<int> region(w, h);
    EXPECT_EQ(2, findRegions(&mask, &region));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool large = x >= 32 && x < 64 && y < 32;
            ASSERT_EQ(large ? kRegionPixel : kNodePixel, mask(x, y)) << x << "," << y;
            // The dissolved area was number 0; the region keeps its number 1.
            ASSERT_EQ(large ? 1 : -1, region(x, y)) << x << "," << y;
        }
    }
}

TEST(EngineSolverSolve, TinyAndDegenerateInputs) {
    // 1 by 1, scribbled with the highest label, still gets 0: the tie is 0 on tiny images.
    {
        Problem p(1, 1);
        p.s(0, 0) = 2;
        EXPECT_EQ(std::vector<int>{0}, p.solve(3));
    }
    // width + height below 10: no tie anywhere, every pixel 0 whatever the scribbles.
    {
        Problem p(4, 5);
        p.s(0, 0) = 1;
        p.s(3, 4) = 2;
        p.g(1, 2) = 0;
        EXPECT_EQ(std::vector<int>(20, 0), p.solve(3));
    }
    // labelCount 1: all 0, scribbled or not.
    {
        Problem p(23, 11, 140);
        p.s(5, 5) = 0;
        EXPECT_EQ(std::vector<int>(23 * 11, 0), p.solve(1));
    }
    // Rejected before anything is read or written: sizes below 1 and null buffers.
    {
        std::vector<int> labels(6, kSentinel);
        std::vector<int> scribbles(6, 1);
        std::vector<unsigned char> grey(6, 255);
        solverSolve(0, 6, grey.data(), scribbles.data(), 2, labels.data());
        solverSolve(6, -1, grey.data(), scribbles.data(), 2, labels.data());
        solverSolve(-3, -2, grey.data(), scribbles.data(), 2, labels.data());
        solverSolve(3, 2, nullptr, scribbles.data(), 2, labels.data());
        solverSolve(3, 2, grey.data(), nullptr, 2, labels.data());
        solverSolve(3, 2, grey.data(), scribbles.data(), 2, nullptr);
        EXPECT_EQ(std::vector<int>(6, kSentinel), labels);
    }
    // An image whose grid graph could not be numbered in 32 bits is refused as out of
    // memory before anything is read or written.
    {
        std::vector<int> labels(1, kSentinel);
        std::vector<int> scribbles(1, 0);
        std::vector<unsigned char> grey(1, 255);
        EXPECT_THROW(solverSolve(46341, 46341, grey.data(), scribbles.data(), 2, labels.data()),
                     std::bad_alloc);
        EXPECT_THROW(solverSolve(1, 300000000, grey.data(), scribbles.data(), 2, labels.data()),
                     std::bad_alloc);
        EXPECT_EQ(kSentinel, labels[0]);
    }
}

TEST(EngineSolverSolve, NarrowImageDecidedByThresholdAndSmallAreas) {
    // 3 wide: no quarter-scale block, no band. A black row splits two bright areas of
    // fewer than 1024 pixels, so every pixel keeps a node; the row goes with the area above.
    Problem p(3, 400);
    for (int x = 0; x < 3; ++x) p.g(x, 200) = 0;
    p.s(1, 40) = 1;
    p.s(2, 350) = 0;
    std::vector<int> labels = p.solve(2);
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 3; ++x) ASSERT_EQ(y <= 200 ? 1 : 0, labels[y * 3 + x]) << x << "," << y;
    }
}

TEST(EngineSolverSolve, WholeImageRegionTakesTheLargerScribbleSum) {
    // 35 by 32 white: scribbles only in the last three columns, outside every block, so the
    // quarter-scale problem sees none; the image is one region of 1120 pixels, tie 6 a pixel.
    struct Case {
        int counts[3];
        int labelCount;
        int expected;
    };
    const Case cases[] = {
        {{3, 2, 0}, 2, 0},  // more source than sink
        {{2, 3, 0}, 2, 1},  // more sink
        {{2, 2, 0}, 2, 0},  // equal sums tie the region to neither side: source side
        {{0, 0, 0}, 3, 0},  // no scribble at all
        // Pass 0 weighs label 0 against labels 1 and 2 together; pass 1, 1 against 2.
        {{2, 2, 1}, 3, 1},
        {{2, 1, 2}, 3, 2},
    };
    for (const Case& c : cases) {
        Problem p(35, 32);
        int k = 0;
        for (int label = 0; label < 3; ++label) {
            for (int n = 0; n < c.counts[label]; ++n, ++k) p.s(32 + k % 3, 3 + 5 * (k / 3)) = label;
        }
        EXPECT_EQ(std::vector<int>(35 * 32, c.expected), p.solve(c.labelCount))
            << c.counts[0] << " " << c.counts[1] << " " << c.counts[2];
    }
}

TEST(EngineSolverSolve, NodePixelBetweenTwoRegionsJoinsOnlyTheLeftOne) {
    // 67 by 35: a black column at x = 33 between two white regions of 1155 pixels each.
    // Scribbles lie in rows 32 to 34, outside every block, so no band forms.
    for (int leftLabel = 0; leftLabel < 2; ++leftLabel) {
        Problem p(67, 35);
        for (int y = 0; y < 35; ++y) p.g(33, y) = 0;
        for (int k = 0; k < 5; ++k) {
            p.s(3 + 5 * k, 33) = leftLabel;
            p.s(40 + 5 * k, 33) = 1 - leftLabel;
        }
        std::vector<int> labels = p.solve(2);
        for (int y = 0; y < 35; ++y) {
            for (int x = 0; x < 67; ++x) {
                ASSERT_EQ(x <= 33 ? leftLabel : 1 - leftLabel, labels[y * 67 + x])
                    << leftLabel << ": " << x << "," << y;
            }
        }
    }
}

TEST(EngineSolverSolve, GreyOf192IsPaperAnd191IsNot) {
    // 67 by 35: a black wall at x = 33 with one opening at y = 17. An opening of grey 192
    // joins both halves into one region, whose equal sums leave it to label 0; one of 191
    // is a node pixel linked to the left region only, and the halves part.
    for (int opening = 191; opening <= 192; ++opening) {
        Problem p(67, 35);
        for (int y = 0; y < 35; ++y) p.g(33, y) = y == 17 ? opening : 0;
        for (int k = 0; k < 5; ++k) {
            p.s(3 + 5 * k, 34) = 1;
            p.s(40 + 5 * k, 34) = 0;
        }
        std::vector<int> labels = p.solve(2);
        for (int y = 0; y < 35; ++y) {
            for (int x = 0; x < 67; ++x) {
                const int expected = opening == 192 ? 0 : x <= 33 ? 1 : 0;
                ASSERT_EQ(expected, labels[y * 67 + x]) << opening << ": " << x << "," << y;
            }
        }
    }
}

TEST(EngineSolverSolve, LinesGoWithTheAreaToTheirLeftAndAbove) {
    // Scribbled throughout, so the quarter-scale problem places a band along each line.
    for (int vertical = 0; vertical < 2; ++vertical) {
        for (int firstLabel = 0; firstLabel < 2; ++firstLabel) {
            const int w = vertical ? 41 : 37, h = vertical ? 37 : 41;
            Problem p(w, h);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const int along = vertical ? x : y;
                    if (along == 20) {
                        p.g(x, y) = 0;
                    } else {
                        p.s(x, y) = along < 20 ? firstLabel : 1 - firstLabel;
                    }
                }
            }
            std::vector<int> labels = p.solve(2);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const int along = vertical ? x : y;
                    ASSERT_EQ(along <= 20 ? firstLabel : 1 - firstLabel, labels[y * w + x])
                        << vertical << firstLabel << ": " << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
