#include <new>

#include "engine/Array2.h"
#include "engine/solve3.h"
#include "engine/solver.h"
#include "maxflow/GridGraph_2D_4C.h"

void solverSolve(int width, int height, const unsigned char* grey, const int* scribbles,
                 int labelCount, int* labels) {
    if (width < 1 || height < 1 || grey == nullptr || scribbles == nullptr || labels == nullptr) {
        return;
    }
    // Every pass builds a grid graph over the whole image plus one super node per area of
    // bright pixels, and no image has more areas than pixels. An image whose graph cannot be
    // numbered can no more be solved than one whose memory cannot be had.
    const long long pixels = static_cast<long long>(width) * height;
    if (!GridGraph_2D_4C<int, int, int>::fits(width, height, pixels)) throw std::bad_alloc();

    // Views only: the engine never writes the caller's grey or scribble buffers.
    const Array2<unsigned char> greyView(width, height, const_cast<unsigned char*>(grey));
    const Array2<int> scribbleView(width, height, const_cast<int*>(scribbles));
    Array2<int> labelView(width, height, labels);

    Array2<int> weights(width, height);
    makeEdgeWeights(greyView, &weights);
    solve3(greyView, weights, scribbleView, labelCount, &labelView);
}
