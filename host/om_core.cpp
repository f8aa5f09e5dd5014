// The front end's glue. Each body is its command's row: command number, then
// the slots in order (sub-operation code first in the requester family), with
// the count of trailing zero slots as the template argument.
#include "host/om_core.h"

#include "host/dispatch.h"

using omglue::omDispatch;
using omglue::omInt;
using omglue::omPtr;

OM_EXPORT void* OMOpenFilterReqEx(PIFilter* f, int32_t width, int32_t height, int64_t a, int64_t b,
                                  int64_t c, int64_t d) {
    return omPtr(omDispatch<3>(f, 234, width, height, a, b, c, d));
}

OM_EXPORT void OMCloseReq(PIFilter* f, void* req) {
    omDispatch(f, 229, req);
}

OM_EXPORT int32_t OMSetReqTitle(PIFilter* f, void* req, const char* title) {
    return omInt(omDispatch<3>(f, 230, 2, req, title));
}

OM_EXPORT int32_t OMAddButtonReq(PIFilter* f, void* req, int32_t x, int32_t y, int32_t w, int32_t h,
                                 int32_t id, int64_t flags, const char* label) {
    return omInt(omDispatch(f, 230, 10, req, x, y, w, h, id, flags, label));
}

OM_EXPORT int32_t OMReqToFront(PIFilter* f, void* req) {
    return omInt(omDispatch(f, 230, 3, req));
}

OM_EXPORT int32_t OMSetButtonInfoText(PIFilter* f, void* req, int32_t id, const char* text) {
    return omInt(omDispatch(f, 230, 13, req, id, text));
}

OM_EXPORT int32_t OMPutButtonImage(PIFilter* f, void* req, int32_t id, PIBlock* block,
                                   int64_t value) {
    return omInt(omDispatch<6>(f, 230, 31, req, id, block, value));
}

OM_EXPORT PIBlock* OMGetButtonImage(PIFilter* f, void* req, int32_t id, int64_t value) {
    return omPtr<PIBlock*>(omDispatch<7>(f, 230, 38, req, id, value));
}

OM_EXPORT int32_t OMRefreshButtonImage(PIFilter* f, void* req, int32_t id, int32_t x, int32_t y,
                                       int32_t w, int32_t h) {
    return omInt(omDispatch<4>(f, 230, 39, req, id, x, y, w, h));
}

OM_EXPORT PIBlock* OMAllocPIBlock(PIFilter* f, int32_t width, int32_t height, int64_t value) {
    return omPtr<PIBlock*>(omDispatch<5>(f, 838, width, height, value));
}

OM_EXPORT void OMWarning(PIFilter* f, const char* text) {
    omDispatch(f, 134, text);
}

OM_EXPORT void OMUpdateDisplay(PIFilter* f, int32_t a, int32_t b, int32_t c, int32_t d) {
    omDispatch(f, 138, a, b, c, d);
}

OM_EXPORT int32_t OMSendCmd(PIFilter* f, const char* command, char* answer) {
    return omInt(omDispatch(f, 139, command, answer));
}

OM_EXPORT int32_t OMReadLayerData(PIFilter* f, void* buffer, int32_t x, int32_t y, int32_t w,
                                  int32_t h, int32_t a, int32_t b) {
    return omInt(omDispatch(f, 140, buffer, x, y, w, h, a, b));
}

OM_EXPORT int32_t OMWriteLayerData(PIFilter* f, const void* buffer, int32_t x, int32_t y, int32_t w,
                                   int32_t h, int32_t a, int32_t b) {
    return omInt(omDispatch(f, 141, buffer, x, y, w, h, a, b));
}

OM_EXPORT int32_t OMCloseFunction(PIFilter* f) {
    return omInt(omDispatch<3>(f, 329));
}

OM_EXPORT int32_t OMWriteUserString(PIFilter* f, const char* section, const char* key,
                                    const char* value) {
    return omInt(omDispatch<2>(f, 728, section, key, value));
}

OM_EXPORT int32_t OMReadUserString(PIFilter* f, const char* section, const char* key, char* buffer,
                                   const char* defaultText, int32_t size) {
    return omInt(omDispatch(f, 729, section, key, buffer, defaultText, size));
}

OM_EXPORT void* OMOpenLocalFile(PIFilter* f, const char* name, int64_t value) {
    return omPtr(omDispatch<6>(f, 1228, name, value));
}

OM_EXPORT void OMCloseLocalFile(PIFilter* f, void* file) {
    omDispatch<7>(f, 1229, file);
}

OM_EXPORT const char* OMGetLocalString(PIFilter* f, void* file, uint32_t number) {
    return omPtr<const char*>(omDispatch<6>(f, 1230, file, number));
}

OM_EXPORT uint32_t OMMakeRGBAPixel(PIFilter* f, int32_t r, int32_t g, int32_t b, int32_t a) {
    uint8_t pixel[4] = {0, 0, 0, 0};
    // Later stores win when two positions coincide (alpha over blue over green
    // over red). A position outside 0-3 would write past the pixel: skip it.
    const int8_t positions[4] = {f->redIndex, f->greenIndex, f->blueIndex, f->alphaIndex};
    const int32_t channels[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i) {
        if (positions[i] >= 0 && positions[i] < 4)
            pixel[positions[i]] = static_cast<uint8_t>(channels[i] & 0xFF);
    }
    return static_cast<uint32_t>(pixel[0]) | static_cast<uint32_t>(pixel[1]) << 8 |
           static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[3]) << 24;
}

OM_EXPORT int32_t OMRunMultiThread(PIFilter* f, OMThreadFunc worker, int32_t a, int32_t b,
                                   int64_t c) {
    // Hosts before interface 5.1 have no thread service: run the worker here, once.
    if (f->hostMajor > 5 || (f->hostMajor == 5 && f->hostMinor > 0))
        return omInt(omDispatch<4>(f, 968, worker, a, b, c));
    return worker(nullptr, a, b, c);
}
