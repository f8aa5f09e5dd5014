#include <math.h>

#include <climits>
#include <new>

#include "engine/Array2.h"
#include "engine/solve3.h"
#include "engine/solver.h"

namespace {

long long paddedSide(int v) {
    return ((static_cast<long long>(v) + 2 - 1) / 8) * 8 + 8;
}

// Every pass builds a grid graph over the whole image, framed and padded to 8 by 8 blocks,
// plus one super node per area of bright pixels (at most one per two pixels); its node
// numbers are 32-bit. An image beyond that can no more be solved than one whose memory
// cannot be had.
bool fitsGridGraph(int width, int height) {
    const long long pixels = static_cast<long long>(width) * height;
    return paddedSide(width) * paddedSide(height) + pixels + 1 <= INT_MAX;
}

}  // namespace

void solverSolve(int width, int height, const unsigned char* grey, const int* scribbles,
                 int labelCount, int* labels) {
    if (width < 1 || height < 1 || grey == nullptr || scribbles == nullptr || labels == nullptr) {
        return;
    }
    if (!fitsGridGraph(width, height)) throw std::bad_alloc();

    // Views only: the engine never writes the caller's grey or scribble buffers.
    const Array2<unsigned char> greyView(width, height, const_cast<unsigned char*>(grey));
    const Array2<int> scribbleView(width, height, const_cast<int*>(scribbles));
    Array2<int> labelView(width, height, labels);

    Array2<int> weights(width, height);
    makeEdgeWeights(greyView, &weights);
    solve3(greyView, weights, scribbleView, labelCount, &labelView);
}
