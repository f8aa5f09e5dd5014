// Records shared with the host application. Both are wire formats: the host
// allocates and owns them, and only the members below are ever touched. The
// byte offsets are fixed; padding arrays keep every member where hosts expect it.
//
// PIFilter::dispatch is the plug-in's one door to the host: every OM glue
// function packs its arguments into an array of signed 64-bit slots and makes
// one call of it (see host/dispatch.h).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

struct PIFilter;

// (record, command number, slot array) -> result. The slot array lives on the
// caller's stack for the duration of the call; it may be null for a service
// without arguments.
typedef int64_t (*PIDispatch)(PIFilter* filter, int64_t command, int64_t* slots);

struct PIFilter {
    int32_t hostMajor;            // 0x000 host interface version
    int32_t hostMinor;            // 0x004
    uint8_t hostReserved0[0x80];  // 0x008 the host's
    int32_t version;              // 0x088 written by the plug-in
    int32_t revision;             // 0x08C written by the plug-in
    char name[0x90];              // 0x090 NUL-terminated plug-in name, written by the plug-in
    PIDispatch dispatch;          // 0x120
    uint8_t hostReserved1[0x10];  // 0x128 the host's
    int32_t width;                // 0x138 current image, pixels
    int32_t height;               // 0x13C
    uint8_t hostReserved2[4];     // 0x140 the host's
    int32_t updateRect[4];        // 0x144 handed unchanged to OMUpdateDisplay
    int8_t redIndex;              // 0x154 byte positions inside a 4-byte pixel
    int8_t greenIndex;            // 0x155
    int8_t blueIndex;             // 0x156
    int8_t alphaIndex;            // 0x157
};

// A host-allocated image block; the plug-in never frees one.
struct PIBlock {
    int32_t width;              // 0x00
    int32_t height;             // 0x04
    uint8_t hostReserved[8];    // 0x08 the host's
    uint8_t* data;              // 0x10 width x height pixels of 4 bytes, rows without gaps
};

}  // extern "C"

static_assert(offsetof(PIFilter, hostMajor) == 0x000, "PIFilter layout");
static_assert(offsetof(PIFilter, hostMinor) == 0x004, "PIFilter layout");
static_assert(offsetof(PIFilter, version) == 0x088, "PIFilter layout");
static_assert(offsetof(PIFilter, revision) == 0x08C, "PIFilter layout");
static_assert(offsetof(PIFilter, name) == 0x090, "PIFilter layout");
static_assert(offsetof(PIFilter, dispatch) == 0x120, "PIFilter layout");
static_assert(offsetof(PIFilter, width) == 0x138, "PIFilter layout");
static_assert(offsetof(PIFilter, height) == 0x13C, "PIFilter layout");
static_assert(offsetof(PIFilter, updateRect) == 0x144, "PIFilter layout");
static_assert(offsetof(PIFilter, redIndex) == 0x154, "PIFilter layout");
static_assert(offsetof(PIFilter, greenIndex) == 0x155, "PIFilter layout");
static_assert(offsetof(PIFilter, blueIndex) == 0x156, "PIFilter layout");
static_assert(offsetof(PIFilter, alphaIndex) == 0x157, "PIFilter layout");
static_assert(offsetof(PIBlock, width) == 0x00, "PIBlock layout");
static_assert(offsetof(PIBlock, height) == 0x04, "PIBlock layout");
static_assert(offsetof(PIBlock, data) == 0x10, "PIBlock layout");
