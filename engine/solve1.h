// Per-pixel multi-label cut (one grid node per pixel). Internal to the engine: solve3 runs it
// on its quarter-scale problem; tests reach it here.
#pragma once

#include "engine/Array2.h"

// One cut per label but the last, in increasing label order: the source stands for the pass's
// label, the sink for every higher one, and a scribbled pixel is tied to its side by 3200.
// Only image's size is read. weights, scribbles and result must have image's size; every
// element of result is written exactly once.
void solve1(const Array2<unsigned char>& image, const Array2<int>& weights,
            const Array2<int>& scribbles, int labelCount, Array2<int>* result);
