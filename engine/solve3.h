// Coarse-to-fine multi-label cut, the solver behind solverSolve. Internal to the engine; its
// steps are declared here too so that tests can check each one on its own.
//
// Pixel states in the mask: a region pixel belongs to a large bright area merged into one
// super node, a node pixel keeps a grid node of its own, a decided pixel has its label.
#pragma once

#include "engine/Array2.h"

enum { kRegionPixel = 0, kNodePixel = 1, kDecidedPixel = 2 };

// Labels every pixel of result (image's size, as weights and scribbles) from 0 to
// labelCount - 1, each element written exactly once. weights is the edge weight image of
// makeEdgeWeights; the cut between a pixel and its right or lower neighbour costs its weight.
void solve3(const Array2<unsigned char>& image, const Array2<int>& weights,
            const Array2<int>& scribbles, int labelCount, Array2<int>* result);

// The full-resolution edge weight of every pixel, from 1 (black) to 2 * (width + height) + 1
// (white). weights must have grey's size.
void makeEdgeWeights(const Array2<unsigned char>& grey, Array2<int>* weights);

// Edge weight of a 4 by 4 block whose darkest grey is m: 1 (m = 0) to 22628 (m = 255).
int coarseWeight(int m);

// The quarter-scale problem: per 4 by 4 block its darkest grey, that grey's weight and the
// scribble of its last scribbled pixel in raster order (-1 when none). The three outputs must
// be sized width / 4 by height / 4; leftover columns and rows belong to no block.
void makeCoarseProblem(const Array2<unsigned char>& image, const Array2<int>& scribbles,
                       Array2<unsigned char>* coarseGrey, Array2<int>* coarseWeights,
                       Array2<int>* coarseScribbles);

// Marks as node pixels the discs of radius 6 around the top-left pixel of every block whose
// coarse label differs from one of its 4-neighbours'.
void markBoundaryBand(const Array2<int>& coarseLabels, Array2<unsigned char>* mask);

// Numbers the 4-connected areas of region pixels into region (resized to mask's size when
// needed; -1 elsewhere) and turns areas under 1024 pixels into node pixels. Returns the
// number of areas found, dissolved ones included: numbers are not compacted.
int findRegions(Array2<unsigned char>* mask, Array2<int>* region);

// The terminal capacity one scribbled pixel contributes at full resolution.
int scribbleCapacity(int width, int height);
