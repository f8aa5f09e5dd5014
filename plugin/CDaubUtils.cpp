// The front-end object and the layer commands everything else is built on.
#include "plugin/CDaubUtils.h"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/om_core.h"
#include "plugin/scan.h"

CDaubUtils daubUtils;

const char* const kNotEnoughMemory = "Not enough memory to paint this image.";

// The loaded state is written in one place, so that whoever puts the object back to it
// (a fuzzer between inputs) cannot miss a field.
CDaubUtils::CDaubUtils() {
    reset();
}

void CDaubUtils::reset() {
    pixelCount = 0;
    colorToLabel.clear();
    labelToColor.clear();
    scribbleLabels = nullptr;
    resultLabels = nullptr;
    outlineGray = nullptr;
    labelCount = 0;
    pixels = nullptr;
    currentLayerId = 0;
    std::memset(layerIds, 0, sizeof layerIds);
    std::memset(answer, 0, sizeof answer);
    std::memset(command, 0, sizeof command);
    layerCount = 0;
    std::memset(savedPen, 0, sizeof savedPen);
    bgPenActive = 0;
    std::memset(bgColor, 0, sizeof bgColor);
}

// Outside a Paint there is no work buffer to free; the maps go by themselves.
CDaubUtils::~CDaubUtils() = default;

void CDaubUtils::send(PIFilter* filter, const char* literal, bool ask) {
    OMSendCmd(filter, literal, ask ? answer : nullptr);
    // The host is trusted with 256 bytes but not with the terminator.
    if (ask) answer[sizeof answer - 1] = '\0';
}

void CDaubUtils::sendf(PIFilter* filter, bool ask, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(command, 254, format, args);
    va_end(args);
    send(filter, command, ask);
}

int CDaubUtils::getCurrentLayerID(PIFilter* filter) {
    send(filter, "om_LayerCurrentID", true);
    return daub::readInt(answer);
}

int CDaubUtils::getLayerPositionByID(PIFilter* filter, int layerId) {
    sendf(filter, true, "om_LayerGetPos %d", layerId);
    return daub::readInt(answer);
}

int CDaubUtils::setCurrentLayer(PIFilter* filter, unsigned int position) {
    if (position >= layerCount) {
        OMWarning(filter, "Cannot change current layer");
        return 0;
    }
    sendf(filter, false, "om_LayerSet %d", layerIds[position]);
    return 1;
}

int CDaubUtils::createLayersIndex(PIFilter* filter) {
    std::memset(layerIds, 0, sizeof layerIds);
    int count = 0;
    while (count < 255) {
        sendf(filter, true, "om_LayerGetID %d", count);
        if (strcasecmp(answer, "none") == 0) break;
        layerIds[count] = daub::readInt(answer);
        ++count;
    }
    layerCount = static_cast<uint8_t>(count);
    return layerCount;
}

int CDaubUtils::validateSelectedLayer(PIFilter* filter, bool warn) {
    sendf(filter, true, "om_LayerInfo %d", getCurrentLayerID(filter));
    if (std::strstr(answer, "scribbles") != nullptr) return 1;
    if (warn) OMWarning(filter, "Scribbles layer not selected!");
    return 0;
}

bool CDaubUtils::switchToOffset(PIFilter* filter, int offset, int& q) {
    if (offset == 0) return true;
    q = getLayerPositionByID(filter, currentLayerId);
    // Unsigned on purpose: a position before the first wraps past the table.
    return setCurrentLayer(filter,
                           static_cast<unsigned int>(q) + static_cast<unsigned int>(offset)) != 0;
}
