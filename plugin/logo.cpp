#include "plugin/logo.h"

#include <algorithm>
#include <cstddef>

namespace daub {

void paintLogo(PIBlock* block) {
    if (block == nullptr || block->data == nullptr || block->width <= 0 || block->height <= 0) {
        return;
    }
    // The host may hand back a block of another size than the one it was given:
    // never write past it, and keep its own row length.
    const int rows = std::min(kLogoHeight, block->height);
    const int cols = std::min(kLogoWidth, block->width);
    const size_t stride = static_cast<size_t>(block->width) * 4;
    for (int r = 0; r < rows; ++r) {
        uint8_t* out = block->data + static_cast<size_t>(r) * stride;
        for (int c = 0; c < cols; ++c, out += 4) {
            const uint32_t w = logoData[static_cast<size_t>(r) * kLogoWidth + c];
            const uint32_t a = w >> 24;
            out[0] = static_cast<uint8_t>(a);
            out[1] = static_cast<uint8_t>(((w >> 16) & 255) * a / 255);
            out[2] = static_cast<uint8_t>(((w >> 8) & 255) * a / 255);
            out[3] = static_cast<uint8_t>((w & 255) * a / 255);
        }
    }
}

}  // namespace daub
