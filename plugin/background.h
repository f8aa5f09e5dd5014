// The background scribble colour's tolerance, shared by the Paint and the pens.
//
//   if (daub::near(r, bg[0]) && daub::near(g, bg[1]) && daub::near(b, bg[2])) ...
//
// A channel is near the background's when it lies within one step of it: pen strokes and
// colour pickers land a step off often enough that "exactly" would miss them.
#pragma once

#include <cstdint>

namespace daub {

// 64-bit so that any stored background value is safe, however far off the byte range.
inline bool near(int channel, int32_t bg) {
    const int64_t d = static_cast<int64_t>(channel) - bg;
    return d >= -1 && d <= 1;
}

}  // namespace daub
