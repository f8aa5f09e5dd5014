// One colouring session as the daubhost driver plays it, callable from tests.
//
//   hostsim::SessionOptions o;
//   o.lineart = "samples/lineart.png"; o.scribbles = "samples/scribbles.png";
//   o.module = "build/plugin/daubwise.so"; o.outDir = "out";
//   hostsim::SessionResult r = hostsim::runSession(o);
//   if (r.exitCode != 0) puts(r.error.c_str());
//
// Steps: the line-art PNG becomes the image's one layer (named after the
// file), the module is loaded and opened, its panel opened, Create Layers
// pressed (with or without the background frame), every pixel of the
// scribbles PNG with non-zero alpha dabbed onto the scribbles layer with the
// host's pen in its red, green and blue (fully opaque), Paint pressed, and
// color.png, scribbles.png and composite.png written into outDir.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hostsim/Png.h"

namespace hostsim {

struct SessionOptions {
    std::string lineart, scribbles;  // PNG paths
    std::string module;              // plug-in module path
    std::string outDir = "out";
    bool frame = true;     // Create Layers (with BG), else (w/o BG)
    std::string bg;        // "R G B A" stored as bgValues before the start; empty: leave
    std::string settings;  // user-string file; empty: none
    std::string loc;       // served as "daubwise.loc"; empty: none
    std::function<void(const std::string&)> onWarning;  // each OMWarning as it is shown
};

struct SessionResult {
    // 0 done; 1 a file, module or plug-in step failed (error says which);
    // 3 images written but the plug-in showed messages.
    int exitCode = 1;
    std::string error;  // one line
    std::vector<std::string> warnings;
    double paintMs = 0;
    int width = 0, height = 0;
    std::string colorPng, scribblesPng, compositePng;
    std::vector<uint8_t> colorLayer, scribblesLayer, lineLayer;  // layer pixels after the Paint
};

SessionResult runSession(const SessionOptions& options);

// The colour layer over white paper with the line art multiplied over it;
// both are layer pixels (opacity first). Result: opaque RGBA.
RgbaImage compositeOverWhite(int width, int height, const std::vector<uint8_t>& color,
                             const std::vector<uint8_t>& lines);

}  // namespace hostsim
