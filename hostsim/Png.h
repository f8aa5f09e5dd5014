// PNG files for the stand-in host, through libpng's simplified API (which
// reports every malformed file as an error text instead of jumping out).
//
//   hostsim::RgbaImage img;
//   std::string error;
//   if (!hostsim::readPng("lineart.png", img, error)) { fprintf(stderr, "%s\n", error.c_str()); }
//
// Pixels are straight (not premultiplied) RGBA, 4 bytes a pixel, row after row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4: red, green, blue, alpha
};

// Largest image the host opens: 32768 pixels a side and 2^26 pixels in all.
constexpr int kMaxPngSide = 32768;
constexpr int64_t kMaxPngPixels = int64_t(1) << 26;

// Read any PNG (palette, grey, 16-bit, with or without alpha) as 8-bit RGBA.
// On failure `error` holds one line and `out` is left empty.
bool readPng(const std::string& path, RgbaImage& out, std::string& error);
bool readPngMemory(const void* data, size_t size, RgbaImage& out, std::string& error);
bool writePng(const std::string& path, const RgbaImage& img, std::string& error);

// Between RGBA and layer pixels (opacity first, then red, green, blue).
std::vector<uint8_t> rgbaToLayer(const std::vector<uint8_t>& rgba);
std::vector<uint8_t> layerToRgba(const std::vector<uint8_t>& layer);

}  // namespace hostsim
