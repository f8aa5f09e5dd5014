// The one packing helper behind every OM glue function.
//
//   return omInt(omDispatch<3>(filter, 230, 2, req, title));
//
// builds the slot array {2, req, title, 0, 0, 0} on the caller's stack (each
// argument encoded by its C++ type, then the given number of zero slots), makes
// the single dispatch call and hands back the raw result; omInt / omPtr turn it
// into the function's result kind. Encodings by type:
//   int32_t   sign-extended          uint32_t  zero-extended
//   int64_t   unchanged              T*        the address, unchanged
//   double    16.16 fixed point, truncated toward zero, saturated at the int64 range
//   float     IEEE bits in bytes 0-3 of the slot (bytes 4-7 zero, meaningless)
// Any other type is a compile error, so an argument can't slip in by a silent
// conversion (a bool, a long long, an unsigned char).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "host/PIFilter.h"

namespace omglue {

// 16.16 fixed point of v, truncated toward zero. Outside the int64 range the
// plain conversion is undefined, so those values saturate; NaN gives 0.
inline int64_t fixed1616(double v) {
    const double x = v * 65536.0;
    constexpr double kTwo63 = 9223372036854775808.0;  // 2^63, exact in a double
    if (std::isnan(x)) return 0;
    if (x >= kTwo63) return INT64_MAX;
    if (x < -kTwo63) return INT64_MIN;
    return static_cast<int64_t>(x);
}

template <class T>
inline int64_t encodeSlot(T v) {
    if constexpr (std::is_same_v<T, int32_t>) {
        return v;
    } else if constexpr (std::is_same_v<T, uint32_t>) {
        return static_cast<int64_t>(static_cast<uint64_t>(v));
    } else if constexpr (std::is_same_v<T, int64_t>) {
        return v;
    } else if constexpr (std::is_pointer_v<T>) {
        return static_cast<int64_t>(reinterpret_cast<intptr_t>(v));
    } else if constexpr (std::is_same_v<T, double>) {
        return fixed1616(v);
    } else if constexpr (std::is_same_v<T, float>) {
        // Bytes 4-7 carry no meaning to the host; zeroing them spares it an
        // uninitialised read.
        int64_t slot = 0;
        std::memcpy(&slot, &v, sizeof v);  // little-endian: bytes 0-3
        return slot;
    } else {
        static_assert(sizeof(T) == 0, "no slot encoding for this parameter type");
        return 0;
    }
}

// The slot array of one call: the encoded arguments in order, then Zeros zero
// slots. Exactly as long as the command's layout, never longer.
template <int Zeros = 0, class... Args>
inline std::array<int64_t, sizeof...(Args) + Zeros> packSlots(Args... args) {
    return {{encodeSlot(args)...}};  // the remaining Zeros elements are value-initialised
}

template <int Zeros = 0, class... Args>
inline int64_t omDispatch(PIFilter* filter, int64_t command, Args... args) {
    auto slots = packSlots<Zeros>(args...);
    return filter->dispatch(filter, command, slots.data());
}

// Result kinds: int is the low 32 bits, 64-bit is all of it.
inline int32_t omInt(int64_t result) {
    return static_cast<int32_t>(static_cast<uint32_t>(result));
}

template <class T = void*>
inline T omPtr(int64_t result) {
    static_assert(std::is_pointer_v<T>, "64-bit results come back as pointers");
    return reinterpret_cast<T>(static_cast<intptr_t>(result));
}

}  // namespace omglue
