#include "engine/colorBlending.h"

#include <cmath>
#include <cstddef>

#include "engine/Array2.h"
#include "engine/Vec.h"

namespace {

// Neighbour directions in weight order: up, left, right, down.
const int kDx[4] = {0, -1, 1, 0};
const int kDy[4] = {-1, 0, 0, 1};

const int kSweeps = 64;

// Every result is a mean of bytes with non-negative weights, so it already lies in 0..255;
// the clamp only keeps a stray value from becoming an undefined conversion.
unsigned char truncateToByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<unsigned char>(static_cast<int>(v));
}

}  // namespace

void solveColorBlending(int width, int height, unsigned char* grey, unsigned char* pixels) {
    if (width <= 0 || height <= 0) return;

    Array2<float> G(width, height);
    Array2<Vec<4, float> > C(width, height);
    const int n = G.numel();
    for (int i = 0; i < n; ++i) {
        G[i] = grey[i] / 255.0f;
        const unsigned char* px = pixels + 4 * static_cast<std::size_t>(i);
        C[i] = Vec<4, float>(px[0], px[1], px[2], px[3]);
    }
    const Array2<Vec<4, float> > A(C);
    Array2<Vec<4, float> > N(width, height);
    Array2<Vec<4, float> > W(width, height);

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float g = G(x, y);
            const float dark = 1.0f - std::pow(g, 4.0f);
            for (int k = 0; k < 4; ++k) {
                const int nx = x + kDx[k];
                const int ny = y + kDy[k];
                if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
                const float d = G(nx, ny) - g;
                W(x, y)(k) = (std::exp((-d) * d * 100.0f) + 0.1f) * dark;
            }
        }
    }

    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Vec<4, float> sum(0.0f, 0.0f, 0.0f, 0.0f);
                float s = 0.0f;
                for (int k = 0; k < 4; ++k) {
                    const int nx = x + kDx[k];
                    const int ny = y + kDy[k];
                    if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
                    sum = sum + W(x, y)(k) * C(nx, ny);
                    s = s + W(x, y)(k);
                }
                // The anchor weight is formed in double on purpose: it decides whether white
                // pixels give back their exact input bytes.
                const float a = static_cast<float>(static_cast<double>(G(x, y)) * 0.1);
                const float denominator = s + a;
                // Only a lone black pixel has neither neighbours nor anchor; it keeps its colour
                // instead of becoming 0/0.
                if (denominator > 0.0f) {
                    N(x, y) = (sum + a * A(x, y)) / denominator;
                } else {
                    N(x, y) = A(x, y);
                }
            }
        }
        swap(C, N);
    }

    for (int i = 0; i < n; ++i) {
        unsigned char* px = pixels + 4 * static_cast<std::size_t>(i);
        for (int c = 0; c < 4; ++c) px[c] = truncateToByte(C[i](c));
    }
}
