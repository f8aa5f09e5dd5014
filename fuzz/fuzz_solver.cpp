// solverSolve on small grey and scribble images made from the input (1 to 16 labels): every
// result element written and in range, the result independent of what the buffer held, and
// nothing read or written outside the three buffers (each allocated at its exact size).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/solver.h"

namespace {

// Draws a filled rectangle, clipped.
template <typename T>
void rect(T* img, int w, int h, int x0, int y0, int rw, int rh, T value) {
    for (int y = std::max(0, y0); y < std::min(h, y0 + rh); ++y)
        for (int x = std::max(0, x0); x < std::min(w, x0 + rw); ++x) img[y * w + x] = value;
}

// Fully written by the caller; heap blocks of exactly n elements so that ASan sees any overrun.
template <typename T>
std::unique_ptr<T[]> exact(size_t n) {
    return std::unique_ptr<T[]>(new T[n]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Mostly small; sometimes large enough for merged regions of 1024 pixels and more.
    const bool large = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    const int w = in.ConsumeIntegralInRange<int>(1, large ? 90 : 40);
    const int h = in.ConsumeIntegralInRange<int>(1, large ? 90 : 40);
    const int labelCount = in.ConsumeIntegralInRange<int>(1, 16);
    const size_t n = static_cast<size_t>(w) * h;

    auto grey = exact<unsigned char>(n);
    auto scribbles = exact<int>(n);
    std::fill(grey.get(), grey.get() + n,
              static_cast<unsigned char>(in.ConsumeIntegral<uint8_t>()));
    std::fill(scribbles.get(), scribbles.get() + n, -1);

    // Line art: rectangles and one-pixel lines of any grey, then raw bytes over a prefix.
    const int shapes = in.ConsumeIntegralInRange<int>(0, 12);
    for (int k = 0; k < shapes; ++k) {
        const int x = in.ConsumeIntegralInRange<int>(-2, w),
                  y = in.ConsumeIntegralInRange<int>(-2, h);
        const int rw = in.ConsumeIntegralInRange<int>(1, w + 2);
        const int rh = in.ConsumeIntegralInRange<int>(1, h + 2);
        const unsigned char g = in.ConsumeIntegral<uint8_t>();
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0:
                rect(grey.get(), w, h, x, y, rw, rh, g);
                break;
            case 1:
                rect(grey.get(), w, h, x, y, rw, 1, g);
                break;
            default:
                rect(grey.get(), w, h, x, y, 1, rh, g);
                break;
        }
    }
    const size_t raw = std::min(n, in.ConsumeIntegralInRange<size_t>(0, 64));
    for (size_t i = 0; i < raw; ++i)
        grey[in.ConsumeIntegralInRange<size_t>(0, n - 1)] = in.ConsumeIntegral<uint8_t>();

    // Scribbles: small blocks and single pixels of any label.
    const int strokes = in.ConsumeIntegralInRange<int>(0, 20);
    for (int k = 0; k < strokes; ++k) {
        const int x = in.ConsumeIntegralInRange<int>(0, w - 1),
                  y = in.ConsumeIntegralInRange<int>(0, h - 1);
        const int rw = in.ConsumeIntegralInRange<int>(1, 6),
                  rh = in.ConsumeIntegralInRange<int>(1, 6);
        rect(scribbles.get(), w, h, x, y, rw, rh,
             in.ConsumeIntegralInRange<int>(-1, labelCount - 1));
    }

    constexpr int kSentinel = 0x5A5A5A5A;
    auto labels = exact<int>(n);
    std::fill(labels.get(), labels.get() + n, kSentinel);
    solverSolve(w, h, grey.get(), scribbles.get(), labelCount, labels.get());
    for (size_t i = 0; i < n; ++i) {
        if (labels[i] < 0 || labels[i] >= labelCount) {
            std::fprintf(stderr, "%dx%d, %d labels: pixel %zu got %d\n", w, h, labelCount, i,
                         labels[i]);
            std::abort();
        }
    }
    // Without a scribble every pass leaves every pixel free: all take the first label.
    if (std::all_of(scribbles.get(), scribbles.get() + n, [](int s) { return s < 0; }) &&
        std::any_of(labels.get(), labels.get() + n, [](int l) { return l != 0; })) {
        std::fprintf(stderr, "%dx%d: a label other than 0 without any scribble\n", w, h);
        std::abort();
    }
    // A second run over a differently filled buffer gives the same labels (small images only:
    // the sanitizers make the large ones slow).
    if (n > 1600) return 0;
    auto again = exact<int>(n);
    std::fill(again.get(), again.get() + n, -1);
    solverSolve(w, h, grey.get(), scribbles.get(), labelCount, again.get());
    if (!std::equal(labels.get(), labels.get() + n, again.get())) {
        std::fprintf(stderr, "%dx%d, %d labels: result depends on the buffer's old content\n", w, h,
                     labelCount);
        std::abort();
    }
    return 0;
}
