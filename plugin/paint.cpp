// The Paint: scribbles -> labels, line art -> grey, solverSolve, labels -> colour layer.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "engine/solver.h"
#include "host/om_core.h"
#include "plugin/CDaubUtils.h"
#include "plugin/background.h"

namespace {

// A layer pixel's 4 bytes as one little-endian number, whatever the machine's order.
uint32_t colourValue(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void storeColour(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

constexpr uint32_t kMaxLabels = 128;

}  // namespace

int CDaubUtils::paint(PIFilter* filter) {
    if (init(filter) == 0) return 0;
    try {
        if (readScriblesLayer(filter, 0) == 0) {
            done(filter);
            return 0;
        }
        send(filter, "om_updateundo", false);
        if (readOutlinesLayer(filter, -1) == 0) {
            done(filter);
            return 0;
        }
        colorLayer(filter, +1);
    } catch (const std::bad_alloc&) {
        // The colour maps or the engine ran out; nothing has been written yet, and
        // no layer switch is pending at either point.
        done(filter);
        OMWarning(filter, kNotEnoughMemory);
        return 0;
    }
    done(filter);
    return 1;
}

int CDaubUtils::init(PIFilter* filter) {
    const int64_t width = filter->width;
    const int64_t height = filter->height;
    // Nothing to paint: as quiet as an empty scribbles layer.
    if (width <= 0 || height <= 0) return 0;
    const int64_t count = width * height;
    if (count > INT32_MAX) {
        OMWarning(filter, kNotEnoughMemory);
        return 0;
    }
    pixelCount = static_cast<int32_t>(count);

    if (createLayersIndex(filter) < 2) return 0;
    currentLayerId = getCurrentLayerID(filter);

    const size_t n = static_cast<size_t>(pixelCount);
    if (n > SIZE_MAX / 4) {
        OMWarning(filter, kNotEnoughMemory);
        return 0;
    }
    outlineGray = static_cast<uint8_t*>(std::malloc(n));
    scribbleLabels = static_cast<int32_t*>(std::malloc(n * 4));
    resultLabels = static_cast<int32_t*>(std::malloc(n * 4));
    pixels = static_cast<uint8_t*>(std::malloc(n * 4));
    if (outlineGray == nullptr || scribbleLabels == nullptr || resultLabels == nullptr ||
        pixels == nullptr) {
        done(filter);
        OMWarning(filter, kNotEnoughMemory);
        return 0;
    }
    return 1;
}

bool CDaubUtils::readLayerAt(PIFilter* filter, int offset, const char* failure) {
    int q = 0;
    if (!switchToOffset(filter, offset, q)) return false;
    // A failed read leaves the layer switched to current.
    if (OMReadLayerData(filter, pixels, 0, 0, filter->width, filter->height, 0, 0) == 0) {
        OMWarning(filter, failure);
        return false;
    }
    if (offset != 0) setCurrentLayer(filter, static_cast<unsigned int>(q));
    return true;
}

int CDaubUtils::readScriblesLayer(PIFilter* filter, int offset) {
    if (!readLayerAt(filter, offset, "Cannot read scribbles layer")) return 0;

    colorToLabel.clear();
    labelToColor.clear();
    const size_t n = static_cast<size_t>(pixelCount);

    // Pen strokes snap near-background pixels onto the background exactly, so that
    // a slightly-off background scribble still means "transparent".
    uint32_t last = 0;
    bool haveLast = false;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = pixels + 4 * i;
        if (p[0] == 0) continue;
        if (daub::near(p[1], bgColor[0]) && daub::near(p[2], bgColor[1]) &&
            daub::near(p[3], bgColor[2])) {
            p[1] = static_cast<uint8_t>(bgColor[0]);
            p[2] = static_cast<uint8_t>(bgColor[1]);
            p[3] = static_cast<uint8_t>(bgColor[2]);
        }
        const uint32_t v = colourValue(p);
        if (haveLast && v == last) continue;  // strokes repeat one value for long runs
        colorToLabel.emplace(v, -1);
        last = v;
        haveLast = true;
    }

    int32_t label = 0;
    for (auto& entry : colorToLabel) {
        entry.second = label;
        labelToColor[label] = entry.first;
        ++label;
    }

    haveLast = false;
    int32_t lastLabel = -1;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = pixels + 4 * i;
        if (p[0] == 0) {
            scribbleLabels[i] = -1;
            continue;
        }
        const uint32_t v = colourValue(p);
        if (!haveLast || v != last) {
            lastLabel = colorToLabel.find(v)->second;
            last = v;
            haveLast = true;
        }
        scribbleLabels[i] = lastLabel;
    }

    labelCount = static_cast<uint32_t>(colorToLabel.size());
    if (labelCount > kMaxLabels) {
        OMWarning(filter,
                  "Too complex scribble layer. Please use 'Set FG/BG Scribble' to avoid smooth pen "
                  "strokes.");
        return 0;
    }
    return static_cast<int>(labelCount);
}

int CDaubUtils::readOutlinesLayer(PIFilter* filter, int offset) {
    if (!readLayerAt(filter, offset, "Cannot read outines layer")) return 0;

    // Composited over white paper and averaged to one grey.
    const size_t n = static_cast<size_t>(pixelCount);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = pixels + 4 * i;
        const int a = p[0];
        const int sum = p[1] + p[2] + p[3];
        outlineGray[i] = static_cast<uint8_t>(((255 - a) * 255 + (sum * a) / 3) / 255);
    }
    return 1;
}

void CDaubUtils::colorLayer(PIFilter* filter, int offset) {
    solverSolve(filter->width, filter->height, outlineGray, scribbleLabels,
                static_cast<int>(labelCount), resultLabels);

    // Background scribbles paint nothing, whatever their opacity.
    uint32_t colours[kMaxLabels] = {};
    for (uint32_t k = 0; k < labelCount && k < kMaxLabels; ++k) {
        auto it = labelToColor.find(static_cast<int32_t>(k));
        if (it == labelToColor.end()) continue;
        const uint32_t v = it->second;
        if (daub::near(static_cast<int>((v >> 8) & 255), bgColor[0]) &&
            daub::near(static_cast<int>((v >> 16) & 255), bgColor[1]) &&
            daub::near(static_cast<int>((v >> 24) & 255), bgColor[2])) {
            it->second = 0;
        }
        colours[k] = it->second;
    }

    const size_t n = static_cast<size_t>(pixelCount);
    for (size_t i = 0; i < n; ++i) {
        // Unsigned, so that a label out of range cannot index outside the table.
        const uint32_t label = static_cast<uint32_t>(resultLabels[i]);
        storeColour(pixels + 4 * i, label < labelCount ? colours[label] : 0);
    }

    int q = 0;
    // A refused switch has shown its warning; the scribbles layer stays current and untouched.
    if (!switchToOffset(filter, offset, q)) return;
    OMWriteLayerData(filter, pixels, 0, 0, filter->width, filter->height, 0, 1);
    send(filter, "om_updateundo", false);
    if (offset != 0) setCurrentLayer(filter, static_cast<unsigned int>(q));
}

int CDaubUtils::done(PIFilter* /*filter*/) {
    std::free(resultLabels);
    resultLabels = nullptr;
    std::free(scribbleLabels);
    scribbleLabels = nullptr;
    std::free(outlineGray);
    outlineGray = nullptr;
    std::free(pixels);
    pixels = nullptr;
    colorToLabel.clear();
    labelToColor.clear();
    return 1;
}
