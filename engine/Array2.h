// Array2: a width x height array of T stored row after row, element (x, y) at x + y * width.
//
//   Array2<int> weights(7, 5);                 // owning, elements uninitialised
//   fill(&weights, 0);                         // engine/raster.h
//   Array2<unsigned char> grey(w, h, bytes);   // a view of the caller's buffer
//   weights(3, 2) = grey(3, 2);                // unchecked access
//
// An owning array allocates with new[] and releases with delete[]; a view never releases
// its buffer and does not keep it alive. Copying an owning array copies the elements;
// copying a view gives a second view. Assignment follows the same rule from the source's
// side, reusing the target's buffer when both own buffers of equal size. swap moves the
// ownership together with the buffer.
//
// Sizes are signed 32-bit. An owning array asked for a negative size, or for more elements
// than a signed 32-bit index reaches, throws std::bad_alloc instead of allocating a buffer
// of the wrong size. An owning array with no elements holds a null buffer.
#pragma once

#include <climits>
#include <new>

#include "engine/Vec.h"

// Value parameters of the array helpers take their type from the array alone, so that
// fill(&byteMask, 0) compiles without a cast.
template <typename T>
struct ElementOf {
    using type = T;
};

template <typename T>
class Array2 {
  public:
    Array2(int width, int height)
        : dims(width, height), buffer(allocate(width, height)), owns(true) {}
    Array2(const Vec<2, int>& size) : dims(size), buffer(allocate(size(0), size(1))), owns(true) {}
    Array2(int width, int height, T* data) : dims(width, height), buffer(data), owns(false) {}

    Array2(const Array2& other) : dims(other.dims), buffer(nullptr), owns(other.owns) {
        if (other.owns) {
            buffer = allocate(width(), height());
            copyFrom(other);
        } else {
            buffer = other.buffer;
        }
    }

    ~Array2() { release(); }

    Array2& operator=(const Array2& other) {
        if (this == &other) return *this;
        if (!other.owns) {
            release();
            dims = other.dims;
            buffer = other.buffer;
            owns = false;
            return *this;
        }
        if (!(owns && width() == other.width() && height() == other.height())) {
            // Allocate before releasing so a failed allocation leaves this array intact.
            T* fresh = allocate(other.width(), other.height());
            release();
            dims = other.dims;
            buffer = fresh;
            owns = true;
        }
        copyFrom(other);
        return *this;
    }

    void swap(Array2& other) {
        Vec<2, int> d = dims;
        dims = other.dims;
        other.dims = d;
        T* b = buffer;
        buffer = other.buffer;
        other.buffer = b;
        bool o = owns;
        owns = other.owns;
        other.owns = o;
    }

    T& operator()(int x, int y) { return buffer[dims(0) * y + x]; }
    const T& operator()(int x, int y) const { return buffer[dims(0) * y + x]; }
    T& operator[](int i) { return buffer[i]; }
    const T& operator[](int i) const { return buffer[i]; }

    Vec<2, int> size() const { return dims; }
    int size(int d) const { return dims(d); }
    int width() const { return dims(0); }
    int height() const { return dims(1); }
    int numel() const { return dims(0) * dims(1); }
    T* data() { return buffer; }
    const T* data() const { return buffer; }

  private:
    // Null for an empty array, so that destroying or copying it touches no memory.
    static T* allocate(int width, int height) {
        if (width < 0 || height < 0) throw std::bad_alloc();
        if (width == 0 || height == 0) return nullptr;
        if (static_cast<long long>(width) * height > INT_MAX) throw std::bad_alloc();
        return new T[static_cast<long long>(width) * height];
    }

    void copyFrom(const Array2& other) {
        const int n = other.numel();
        for (int i = 0; i < n; ++i) buffer[i] = other.buffer[i];
    }

    void release() {
        if (owns && buffer) delete[] buffer;
        buffer = nullptr;
    }

    Vec<2, int> dims;
    T* buffer;
    bool owns;
};

template <typename T>
Vec<2, int> size(const Array2<T>& a) {
    return a.size();
}

template <typename T>
void swap(Array2<T>& a, Array2<T>& b) {
    a.swap(b);
}
