#include "hostsim/Png.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace hostsim {

namespace {

std::string damaged(const png_image& image) {
    return std::string("damaged PNG (") + (image.message[0] ? image.message : "unreadable") + ")";
}

// Reads the pixels once the header is in `image`; frees the libpng state in every case.
bool finishRead(png_image& image, RgbaImage& out, std::string& error) {
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngSide ||
        image.height > kMaxPngSide || int64_t(image.width) * image.height > kMaxPngPixels) {
        error = "image of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                " pixels is larger than the host opens";
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels;
    try {
        pixels.resize(PNG_IMAGE_SIZE(image));
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the image";
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        error = damaged(image);
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba = std::move(pixels);
    png_image_free(&image);
    return true;
}

// libpng names every early failure "Read Error"; the signature tells a file
// that is no PNG at all from a damaged one.
bool hasPngSignature(const std::string& path, bool& readable) {
    unsigned char sig[8] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    readable = f != nullptr;
    if (!f) return false;
    size_t n = std::fread(sig, 1, sizeof sig, f);
    std::fclose(f);
    return n == sizeof sig && png_sig_cmp(sig, 0, sizeof sig) == 0;
}

}  // namespace

bool readPng(const std::string& path, RgbaImage& out, std::string& error) {
    out = RgbaImage{};
    bool readable = false;
    if (!hasPngSignature(path, readable)) {
        error = path + (readable ? ": not a PNG file" : ": cannot open");
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = path + ": " + damaged(image);
        png_image_free(&image);
        return false;
    }
    if (!finishRead(image, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool readPngMemory(const void* data, size_t size, RgbaImage& out, std::string& error) {
    out = RgbaImage{};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
        error = "not a PNG file";
        return false;
    }
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = damaged(image);
        png_image_free(&image);
        return false;
    }
    return finishRead(image, out, error);
}

bool writePng(const std::string& path, const RgbaImage& img, std::string& error) {
    if (img.width <= 0 || img.height <= 0 ||
        img.rgba.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height) * 4) {
        error = path + ": no image to write";
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(img.width);
    image.height = static_cast<png_uint_32>(img.height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, img.rgba.data(), 0, nullptr)) {
        error = path + ": " + (image.message[0] ? image.message : "cannot write");
        png_image_free(&image);
        return false;
    }
    png_image_free(&image);
    return true;
}

std::vector<uint8_t> rgbaToLayer(const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> layer(rgba.size());
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        layer[i] = rgba[i + 3];
        layer[i + 1] = rgba[i];
        layer[i + 2] = rgba[i + 1];
        layer[i + 3] = rgba[i + 2];
    }
    return layer;
}

std::vector<uint8_t> layerToRgba(const std::vector<uint8_t>& layer) {
    std::vector<uint8_t> rgba(layer.size());
    for (size_t i = 0; i + 3 < layer.size(); i += 4) {
        rgba[i] = layer[i + 1];
        rgba[i + 1] = layer[i + 2];
        rgba[i + 2] = layer[i + 3];
        rgba[i + 3] = layer[i];
    }
    return rgba;
}

}  // namespace hostsim
