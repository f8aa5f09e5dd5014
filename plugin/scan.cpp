#include "plugin/scan.h"

#include <climits>
#include <cstdlib>

namespace daub {

namespace {

// One number at text; false when none starts there (after blanks).
bool readOne(const char*& text, int& value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text) return false;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    value = static_cast<int>(v);
    text = end;
    return true;
}

}  // namespace

int readInt(const char* text) {
    int value = 0;
    if (text == nullptr || !readOne(text, value)) return 0;
    return value;
}

int readInts(const char* text, int* out, int count) {
    if (text == nullptr) return 0;
    int n = 0;
    while (n < count && readOne(text, out[n])) ++n;
    return n;
}

}  // namespace daub
