// Reading numbers out of the host's answers and stored texts.
//
// The host's texts are not trusted: numbers that overflow an int are clamped
// instead of being undefined, and reading never goes past the terminating NUL.
#pragma once

namespace daub {

// Reads a decimal integer the way atoi does (leading blanks, an optional sign,
// digits up to the first other character; 0 without any digits).
int readInt(const char* text);

// Reads up to count blank-separated integers into out, like sscanf with "%d %d ...":
// stops at the first text that is not a number; the rest of out keeps its values.
// Returns the number read.
int readInts(const char* text, int* out, int count);

}  // namespace daub
