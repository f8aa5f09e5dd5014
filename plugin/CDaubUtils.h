// The colouring tool's front end: one object, daubUtils, that the entry points drive.
//
// It finds and switches layers through the host's script commands, creates the
// scribbles and colour layers next to the user's line art, sets the two scribble
// pens, and runs a Paint: scribbles layer (current) -> label image, the layer one
// position before it -> grey outline image, solverSolve, result -> the layer one
// position after it.
//
// Every operation takes the host's PIFilter first and reaches the host only through
// the OM glue. The object keeps the layer table, the pen state and the background
// scribble colour between the host's calls; its work buffers and colour maps exist
// only for the length of one Paint (null and empty outside one). Not thread-safe:
// the host calls the entry points one at a time.
#pragma once

#include <cstdint>
#include <map>

#include "host/PIFilter.h"

class CDaubUtils {
  public:
    CDaubUtils();
    ~CDaubUtils();
    CDaubUtils(const CDaubUtils&) = delete;
    CDaubUtils& operator=(const CDaubUtils&) = delete;

    // Every field as the module's loading leaves it: no layer table, no pen saved, no
    // background colour read yet. The work buffers are dropped, not freed: release them
    // with done() first (outside a Paint there are none).
    void reset();

    // Layer commands.
    int getCurrentLayerID(PIFilter* filter);
    int getLayerPositionByID(PIFilter* filter, int layerId);
    // Makes the layer at that position of the table current; 0 (with a warning)
    // for a position the table does not cover, -1 included.
    int setCurrentLayer(PIFilter* filter, unsigned int position);
    int createLayersIndex(PIFilter* filter);
    int validateSelectedLayer(PIFilter* filter, bool warn);

    // Paint: 1 when the solver ran, 0 when the Paint stopped before it.
    int paint(PIFilter* filter);
    int init(PIFilter* filter);
    int readScriblesLayer(PIFilter* filter, int offset);
    int readOutlinesLayer(PIFilter* filter, int offset);
    void colorLayer(PIFilter* filter, int offset);
    int done(PIFilter* filter);

    // Layer creation and pens.
    void readBGScribbleValues(PIFilter* filter);
    int createLayers(PIFilter* filter, int withBg);
    int validateLayerDuplicity(PIFilter* filter, const char* name);
    void setBGPen(PIFilter* filter);
    void setFGPen(PIFilter* filter);

    // Fields, in this order.
    int32_t pixelCount;
    std::map<uint32_t, int32_t> colorToLabel;
    std::map<int32_t, uint32_t> labelToColor;
    int32_t* scribbleLabels;
    int32_t* resultLabels;
    uint8_t* outlineGray;
    uint32_t labelCount;
    uint8_t* pixels;
    int32_t currentLayerId;
    int32_t layerIds[255];
    char answer[256];
    char command[256];
    uint8_t layerCount;
    int32_t savedPen[3];
    int32_t bgPenActive;
    int32_t bgColor[4];

  private:
    // Script commands: a literal, or a text formatted into `command` (cut at 253
    // characters). With ask, the answer comes back in `answer`, always terminated.
    void send(PIFilter* filter, const char* literal, bool ask);
    void sendf(PIFilter* filter, bool ask, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Selects the layer `offset` positions from the scribbles layer; q receives the
    // scribbles layer's position. Offset 0 sends nothing.
    bool switchToOffset(PIFilter* filter, int offset, int& q);
    // Reads the layer `offset` positions from the scribbles layer into `pixels` and
    // returns to the scribbles layer; false (with `failure` shown for a failed read)
    // when the Paint must stop.
    bool readLayerAt(PIFilter* filter, int offset, const char* failure);
};

extern CDaubUtils daubUtils;

// Shown when a Paint cannot get the memory it needs.
extern const char* const kNotEnoughMemory;
