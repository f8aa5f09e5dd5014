#include "engine/conncomp4.h"

#include <algorithm>
#include <climits>
#include <new>

#include "engine/UnionFind.h"

template <typename T>
void conncomp4(int width, int height, const T* img, const typename ElementOf<T>::type& bg,
               int* labels, int* count) {
    *count = 0;
    if (width <= 0 || height <= 0) return;
    if (static_cast<long long>(width) * height > INT_MAX) throw std::bad_alloc();
    const int n = width * height;

    // Worst case is one provisional label per pixel, so size the sets once for that.
    UnionFind sets(n);
    int next = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int p = y * width + x;
            if (img[p] == bg) {
                labels[p] = -1;
                continue;
            }
            const int left = (x > 0 && img[p - 1] == img[p]) ? labels[p - 1] : -1;
            const int up = (y > 0 && img[p - width] == img[p]) ? labels[p - width] : -1;
            if (left < 0 && up < 0) {
                labels[p] = next;
                sets.add(next);
                ++next;
            } else if (left < 0) {
                labels[p] = up;
            } else if (up < 0) {
                labels[p] = left;
            } else {
                // The smaller root wins, so every root stays the first label of its set and
                // the roots in increasing order are the components in scan order.
                const int a = sets.find(left);
                const int b = sets.find(up);
                labels[p] = sets.unify(std::min(a, b), std::max(a, b));
            }
        }
    }

    if (next == 0) return;
    int* remap = new int[next];
    for (int i = 0; i < next; ++i) {
        if (sets.isRoot(i)) remap[i] = (*count)++;
    }
    for (int p = 0; p < n; ++p) {
        if (labels[p] != -1) labels[p] = remap[sets.find(labels[p])];
    }
    delete[] remap;
}

template <typename T>
void conncomp4(const Array2<T>& img, const typename ElementOf<T>::type& bg, Array2<int>* labels,
               int* count) {
    if (labels->width() != img.width() || labels->height() != img.height()) {
        // Swapping in a fresh array has the effect of assigning one, without copying its
        // uninitialised elements; the old owned buffer goes with the temporary.
        Array2<int> fresh(img.size());
        labels->swap(fresh);
    }
    conncomp4(img.width(), img.height(), img.data(), bg, labels->data(), count);
}

template void conncomp4<unsigned char>(int, int, const unsigned char*, const unsigned char&, int*,
                                       int*);
template void conncomp4<unsigned char>(const Array2<unsigned char>&, const unsigned char&,
                                       Array2<int>*, int*);
