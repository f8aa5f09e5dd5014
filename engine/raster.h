// Raster helpers on Array2: fill every element, or write a filled disc clipped to the array.
//
//   fill(&mask, 0);
//   splatCircle(&mask, cx, cy, 6, 1);   // 113 points when the disc lies wholly inside
#pragma once

#include <algorithm>

#include "engine/Array2.h"

template <typename T>
void fill(Array2<T>* a, const typename ElementOf<T>::type& value) {
    const int n = a->numel();
    T* p = a->data();
    for (int i = 0; i < n; ++i) p[i] = value;
}

// The disc is closed (points at distance exactly r are written, so the four axis points
// are in); a negative radius writes nothing, and the centre may lie outside the array.
// Rows and columns are clipped before the loops, in 64-bit, so a far-away centre or a
// huge radius costs nothing and cannot overflow.
template <typename T>
void splatCircle(Array2<T>* a, int cx, int cy, int r, const typename ElementOf<T>::type& value) {
    if (r < 0) return;
    const long long rr = static_cast<long long>(r) * r;
    const long long y0 = std::max<long long>(static_cast<long long>(cy) - r, 0);
    const long long y1 = std::min<long long>(static_cast<long long>(cy) + r, a->height() - 1LL);
    const long long x0 = std::max<long long>(static_cast<long long>(cx) - r, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(cx) + r, a->width() - 1LL);
    for (long long y = y0; y <= y1; ++y) {
        const long long dy = y - cy;
        for (long long x = x0; x <= x1; ++x) {
            const long long dx = x - cx;
            if (rr >= dx * dx + dy * dy) (*a)(static_cast<int>(x), static_cast<int>(y)) = value;
        }
    }
}
