// Creating the scribbles and colour layers, and the two scribble pens.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "host/om_core.h"
#include "plugin/CDaubUtils.h"
#include "plugin/background.h"
#include "plugin/scan.h"

namespace {

const char* const kSection = "Daubwise-1.0";
const char* const kPenBrush =
    "om_PenBrush mode 22 power 100 opacity 100 dry 0 aaliasing 0 Con_Power N";

// The text between the first two double quotes of text, cut there in place; null without both.
char* quotedName(char* text) {
    char* open = std::strchr(text, '"');
    if (open == nullptr) return nullptr;
    char* close = std::strchr(open + 1, '"');
    if (close == nullptr) return nullptr;
    *close = '\0';
    return open + 1;
}

// A name formed from the source layer's, cut at 253 characters like every command text.
void formName(char (&out)[255], const char* source, const char* suffix) {
    size_t n = 0;
    for (const char* part : {source, suffix}) {
        for (; *part != '\0' && n < 253; ++part) out[n++] = *part;
    }
    out[n] = '\0';
}

}  // namespace

void CDaubUtils::readBGScribbleValues(PIFilter* filter) {
    char buffer[300];
    std::memset(buffer, 0, sizeof buffer);
    OMReadUserString(filter, kSection, "bgValues", buffer, "255 0 255 255", sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    daub::readInts(buffer, bgColor, 4);
    // Written back every time: the store then holds the default or a tidy copy.
    std::snprintf(buffer, sizeof buffer, "%d %d %d %d", bgColor[0], bgColor[1], bgColor[2],
                  bgColor[3]);
    OMWriteUserString(filter, kSection, "bgValues", buffer);
}

int CDaubUtils::validateLayerDuplicity(PIFilter* filter, const char* name) {
    createLayersIndex(filter);
    for (int i = 0; i < layerCount; ++i) {
        sendf(filter, true, "om_LayerInfo %d", layerIds[i]);
        const char* layerName = quotedName(answer);
        if (layerName != nullptr && std::strcmp(layerName, name) == 0) return 0;
    }
    return 1;
}

int CDaubUtils::createLayers(PIFilter* filter, int withBg) {
    currentLayerId = getCurrentLayerID(filter);
    const int p = getLayerPositionByID(filter, currentLayerId);

    sendf(filter, true, "om_LayerInfo %d", currentLayerId);
    const char* quoted = quotedName(answer);
    if (quoted == nullptr) return 0;
    // Copied now: every later command reuses the answer field.
    char source[255];
    std::snprintf(source, sizeof source, "%s", quoted);
    if (std::strstr(source, "_scribbles") != nullptr || std::strstr(source, "_color") != nullptr) {
        return 0;
    }

    char scribbles[255];
    formName(scribbles, source, "_scribbles");
    if (validateLayerDuplicity(filter, scribbles) == 0) return 0;
    sendf(filter, true, "om_LayerDuplicate %s", scribbles);
    send(filter, "om_LayerSelect 0 9999", false);
    send(filter, "om_cmd heads om_clear", false);
    send(filter, "om_layercolor set 0 7", false);
    send(filter, "om_LayerAnim", false);

    if (withBg != 0) {
        // 64-bit corners: no overflow for any size the host may report.
        const long long w = filter->width, h = filter->height;
        const long long xs[4] = {0, w - 1, w - 1, 0};
        const long long ys[4] = {0, 0, h - 1, h - 1};
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            send(filter, "om_LayerSelect 0 9999", false);
            sendf(filter, false, "om_cmd heads om_FastLine %lld %lld %lld %lld %d %d %d %d", xs[i],
                  ys[i], xs[j], ys[j], bgColor[0], bgColor[1], bgColor[2], bgColor[3]);
        }
    }

    char color[255];
    formName(color, source, "_color");
    if (validateLayerDuplicity(filter, color) == 0) return 0;
    // Copied from the scribbles layer, which is current; the clear removes its frame.
    sendf(filter, true, "om_LayerDuplicate %s", color);
    send(filter, "om_LayerSelect 0 9999", false);
    send(filter, "om_cmd heads om_clear", false);
    send(filter, "om_layercolor set 0 8", false);
    send(filter, "om_LayerAnim", false);

    createLayersIndex(filter);
    // A refusal has shown its own warning; the layers exist all the same.
    setCurrentLayer(filter, static_cast<unsigned int>(p) + 1u);
    sendf(filter, false, "om_layerblendingmode %d Multiply", currentLayerId);
    setFGPen(filter);
    return 1;
}

void CDaubUtils::setBGPen(PIFilter* filter) {
    // Only the first press saves the pen: a second one would save the background itself.
    if (bgPenActive == 0) {
        bgPenActive = 1;
        send(filter, "om_GetAPen", true);
        daub::readInts(answer, savedPen, 3);
    }
    sendf(filter, false, "om_SetAPen %d %d %d", bgColor[0], bgColor[1], bgColor[2]);
    send(filter, kPenBrush, false);
}

void CDaubUtils::setFGPen(PIFilter* filter) {
    if (bgPenActive != 0) {
        bgPenActive = 0;
        send(filter, "om_GetAPen", true);
        int pen[3] = {0, 0, 0};
        // A pen the user has recoloured since (or an answer we cannot read) is left alone.
        if (daub::readInts(answer, pen, 3) == 3 && daub::near(pen[0], bgColor[0]) &&
            daub::near(pen[1], bgColor[1]) && daub::near(pen[2], bgColor[2])) {
            sendf(filter, false, "om_SetAPen %d %d %d", savedPen[0], savedPen[1], savedPen[2]);
        }
    }
    send(filter, kPenBrush, false);
}
