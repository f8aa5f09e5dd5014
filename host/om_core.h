// The host glue that the front end calls: requester basics, messages, script
// commands, layer transfers, user strings and the localisation file.
//
// Every function takes the host's PIFilter first, packs its other arguments into
// a slot array and makes one call of PIFilter::dispatch (host/dispatch.h); none
// checks its arguments or the result. Handles (requester, file) are the host's
// and opaque; texts are NUL-terminated and copied by the host if it keeps them.
// OMMakeRGBAPixel never calls the host; OMRunMultiThread calls it only on host
// interface 5.1 and later.
#pragma once

#include <cstdint>

#include "host/PIFilter.h"
#include "host/om_export.h"

// The worker of OMRunMultiThread; called directly it receives a null first argument.
typedef int32_t (*OMThreadFunc)(void* context, int32_t a, int32_t b, int64_t c);

// Requester: null on failure. The front end passes (200, 131, 0, 0, 0, 8).
OM_EXPORT void* OMOpenFilterReqEx(PIFilter* filter, int32_t width, int32_t height, int64_t a,
                                  int64_t b, int64_t c, int64_t d);
OM_EXPORT void OMCloseReq(PIFilter* filter, void* req);
OM_EXPORT int32_t OMSetReqTitle(PIFilter* filter, void* req, const char* title);
OM_EXPORT int32_t OMAddButtonReq(PIFilter* filter, void* req, int32_t x, int32_t y, int32_t w,
                                 int32_t h, int32_t id, int64_t flags, const char* label);
OM_EXPORT int32_t OMReqToFront(PIFilter* filter, void* req);
OM_EXPORT int32_t OMSetButtonInfoText(PIFilter* filter, void* req, int32_t id, const char* text);
// The block then belongs to the button.
OM_EXPORT int32_t OMPutButtonImage(PIFilter* filter, void* req, int32_t id, PIBlock* block,
                                   int64_t value);
// The button's own block (writable), or null.
OM_EXPORT PIBlock* OMGetButtonImage(PIFilter* filter, void* req, int32_t id, int64_t value);
OM_EXPORT int32_t OMRefreshButtonImage(PIFilter* filter, void* req, int32_t id, int32_t x,
                                       int32_t y, int32_t w, int32_t h);
OM_EXPORT PIBlock* OMAllocPIBlock(PIFilter* filter, int32_t width, int32_t height, int64_t value);

// Messages and display.
OM_EXPORT void OMWarning(PIFilter* filter, const char* text);
OM_EXPORT void OMUpdateDisplay(PIFilter* filter, int32_t a, int32_t b, int32_t c, int32_t d);

// Script command; answer (no size passed: give 256 bytes) may be null.
OM_EXPORT int32_t OMSendCmd(PIFilter* filter, const char* command, char* answer);

// Layer pixels (byte 0 opacity, then red, green, blue). Read: 0 = failed.
OM_EXPORT int32_t OMReadLayerData(PIFilter* filter, void* buffer, int32_t x, int32_t y, int32_t w,
                                  int32_t h, int32_t a, int32_t b);
OM_EXPORT int32_t OMWriteLayerData(PIFilter* filter, const void* buffer, int32_t x, int32_t y,
                                   int32_t w, int32_t h, int32_t a, int32_t b);

// Asks the host to close the plug-in.
OM_EXPORT int32_t OMCloseFunction(PIFilter* filter);

// The host's per-user string store.
OM_EXPORT int32_t OMWriteUserString(PIFilter* filter, const char* section, const char* key,
                                    const char* value);
OM_EXPORT int32_t OMReadUserString(PIFilter* filter, const char* section, const char* key,
                                   char* buffer, const char* defaultText, int32_t size);

// Localisation file: null when absent; strings are host-owned, valid until the next call.
OM_EXPORT void* OMOpenLocalFile(PIFilter* filter, const char* name, int64_t value);
OM_EXPORT void OMCloseLocalFile(PIFilter* filter, void* file);
OM_EXPORT const char* OMGetLocalString(PIFilter* filter, void* file, uint32_t number);

// Places the channels' low bytes at the record's byte positions (0 to 3) of one
// pixel; returns the pixel's bytes as a little-endian value. No host call.
OM_EXPORT uint32_t OMMakeRGBAPixel(PIFilter* filter, int32_t r, int32_t g, int32_t b, int32_t a);
OM_EXPORT int32_t OMRunMultiThread(PIFilter* filter, OMThreadFunc worker, int32_t a, int32_t b,
                                   int64_t c);
