// What the files of hostsim::Host share among themselves and with nobody else:
// slot decoding, the block a PIBlock pointer lives in, file reading.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/Host.h"

namespace hostsim {

// One heap object a block, so the PIBlock pointer handed out stays put while
// blocks_ grows.
struct Host::OwnedBlock {
    PIBlock block{};
    std::vector<uint8_t> data;
};

namespace detail {

// Script answers: the glue's buffer has no size, the host writes at most this
// many bytes, the terminator included.
constexpr size_t kAnswerBytes = 256;

inline const char* asText(int64_t slot) {
    return reinterpret_cast<const char*>(static_cast<intptr_t>(slot));
}

inline int32_t low32(int64_t slot) {
    return static_cast<int32_t>(static_cast<uint32_t>(slot));
}

inline uint8_t clampByte(int v) {
    return static_cast<uint8_t>(std::min(255, std::max(0, v)));
}

// The whole file, or false when it cannot be opened.
bool readFile(const std::string& path, std::string& out);

}  // namespace detail
}  // namespace hostsim
