// Vec: a small fixed-size vector of N elements of T, held by value.
//
//   Vec<2, int> size(7, 5);              // an array size: (0) width, (1) height
//   Vec<4, float> c(10, 20, 30, 40);     // four channels in pixel byte order
//   c = c + 0.5f * c;                    // component-wise arithmetic (Vec<4, float>)
//
// The default constructor leaves the elements uninitialised; element access is unchecked.
#pragma once

template <int N, typename T>
struct Vec {
    T values[N];

    Vec() {}
    Vec(int a, int b) {
        static_assert(N == 2, "two-element constructor needs N == 2");
        values[0] = a;
        values[1] = b;
    }
    Vec(float a, float b, float c, float d) {
        static_assert(N == 4, "four-element constructor needs N == 4");
        values[0] = a;
        values[1] = b;
        values[2] = c;
        values[3] = d;
    }

    T& operator()(int i) { return values[i]; }
    const T& operator()(int i) const { return values[i]; }

    // Returns a copy rather than a reference: callers only ever chain values, never lvalues.
    Vec operator+=(const Vec& w) {
        for (int i = 0; i < N; ++i) values[i] += w.values[i];
        return *this;
    }
};

inline Vec<4, float> operator+(const Vec<4, float>& a, const Vec<4, float>& b) {
    return Vec<4, float>(a(0) + b(0), a(1) + b(1), a(2) + b(2), a(3) + b(3));
}

// Only the scalar-on-the-left form exists, so a misplaced operand fails to compile.
inline Vec<4, float> operator*(float s, const Vec<4, float>& v) {
    return Vec<4, float>(v(0) * s, v(1) * s, v(2) * s, v(3) * s);
}

// A true division of each element: multiplying by 1/s would round differently.
inline Vec<4, float> operator/(const Vec<4, float>& v, float s) {
    return Vec<4, float>(v(0) / s, v(1) / s, v(2) / s, v(3) / s);
}
