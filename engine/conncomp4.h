// conncomp4: labels the 4-connected components of an image.
//
//   int count;
//   conncomp4(width, height, img, bg, labels, &count);   // labels: width * height ints
//   conncomp4(mask, 0, &labelArray, &count);             // resizes labelArray when needed
//
// Two pixels share a component when a path of horizontally or vertically adjacent pixels
// of one equal value joins them, and that value is not bg. Each pixel's label is -1 for bg,
// else its component number, 0 to count - 1, numbered in the order in which a raster scan
// (rows from the top, each row from the left) meets the components' first pixels.
//
// An image with no pixels gives count 0 and writes nothing. A pixel count beyond the
// signed 32-bit range, or a failed allocation, throws std::bad_alloc; labels and count are
// then incomplete. Instantiated for unsigned char.
#pragma once

#include "engine/Array2.h"

template <typename T>
void conncomp4(int width, int height, const T* img, const typename ElementOf<T>::type& bg,
               int* labels, int* count);

// Replaces labels by an owning array of img's size first when its size differs; a buffer
// that labels viewed before is left untouched. Given the right size it writes in place,
// also into a view.
template <typename T>
void conncomp4(const Array2<T>& img, const typename ElementOf<T>::type& bg, Array2<int>* labels,
               int* count);
