// The image: a stack of layers, their pixels, layer reads and writes through
// dispatch, the drawing pen and one-pixel lines.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "hostsim/Host.h"
#include "hostsim/HostDetail.h"

namespace hostsim {

using detail::clampByte;
using detail::low32;

namespace {

// Rounds n / d to the nearest integer, halves away from zero (d != 0).
int64_t roundDiv(__int128 n, __int128 d) {
    bool negative = (n < 0) != (d < 0);
    __int128 an = n < 0 ? -n : n;
    __int128 ad = d < 0 ? -d : d;
    __int128 q = (2 * an + ad) / (2 * ad);
    return static_cast<int64_t>(negative ? -q : q);
}

}  // namespace

size_t Host::layerBytes() const {
    if (width_ <= 0 || height_ <= 0) return 0;
    return static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4;
}

int64_t Host::readLayer(const int64_t* s, bool write) {
    Layer* layer = current();
    uint8_t* buffer = reinterpret_cast<uint8_t*>(static_cast<intptr_t>(s[0]));
    int64_t x = low32(s[1]), y = low32(s[2]), w = low32(s[3]), h = low32(s[4]);
    // A test may have swapped a layer's pixels for a vector of another size.
    if (!layer || !buffer || layer->pixels.size() != layerBytes()) return 0;
    if (write ? faults_.failLayerWrites
              : (faults_.failAllLayerReads || faults_.failLayerReadIds.count(layer->id)))
        return 0;
    if (x < 0 || y < 0 || w < 0 || h < 0 || x + w > width_ || y + h > height_) return 0;
    for (int64_t row = 0; row < h; ++row) {
        uint8_t* img = layer->pixels.data() + ((y + row) * width_ + x) * 4;
        uint8_t* buf = buffer + row * w * 4;
        if (write)
            std::memcpy(img, buf, static_cast<size_t>(w) * 4);
        else
            std::memcpy(buf, img, static_cast<size_t>(w) * 4);
    }
    return 1;
}

int Host::addLayer(const std::string& name, int position) {
    Layer layer;
    layer.id = nextId_++;
    layer.name = name;
    layer.pixels.assign(layerBytes(), 0);
    if (position < 0 || position > layerCount()) position = layerCount();
    layers_.insert(layers_.begin() + position, std::move(layer));
    if (currentId_ < 0) currentId_ = layers_[position].id;
    return layers_[position].id;
}

bool Host::removeLayer(int id) {
    int pos = positionOf(id);
    if (pos < 0) return false;
    layers_.erase(layers_.begin() + pos);
    if (currentId_ == id) {
        if (layers_.empty())
            currentId_ = -1;
        else
            currentId_ = layers_[std::min(pos, layerCount() - 1)].id;
    }
    return true;
}

int Host::layerIdAt(int position) const {
    if (position < 0 || position >= layerCount()) return -1;
    return layers_[position].id;
}

int Host::positionOf(int id) const {
    for (int i = 0; i < layerCount(); ++i)
        if (layers_[i].id == id) return i;
    return -1;
}

Layer* Host::layer(int id) {
    int pos = positionOf(id);
    return pos < 0 ? nullptr : &layers_[pos];
}

const Layer* Host::layer(int id) const {
    int pos = positionOf(id);
    return pos < 0 ? nullptr : &layers_[pos];
}

Layer* Host::layerAtPosition(int position) {
    if (position < 0 || position >= layerCount()) return nullptr;
    return &layers_[position];
}

std::vector<std::string> Host::layerNames() const {
    std::vector<std::string> names;
    for (const Layer& l : layers_) names.push_back(l.name);
    return names;
}

Layer* Host::current() {
    return layer(currentId_);
}

bool Host::setCurrentLayer(int id) {
    if (positionOf(id) < 0) return false;
    currentId_ = id;
    return true;
}

Pixel Host::pixel(int id, int x, int y) const {
    const Layer* l = layer(id);
    if (!l || x < 0 || y < 0 || x >= width_ || y >= height_ || l->pixels.size() != layerBytes())
        return Pixel{};
    const uint8_t* p = l->pixels.data() + (static_cast<size_t>(y) * width_ + x) * 4;
    return Pixel{p[0], p[1], p[2], p[3]};
}

bool Host::setPixel(int id, int x, int y, Pixel px) {
    Layer* l = layer(id);
    if (!l || x < 0 || y < 0 || x >= width_ || y >= height_ || l->pixels.size() != layerBytes())
        return false;
    uint8_t* p = l->pixels.data() + (static_cast<size_t>(y) * width_ + x) * 4;
    p[0] = px.a;
    p[1] = px.r;
    p[2] = px.g;
    p[3] = px.b;
    return true;
}

void Host::fillLayer(int id, Pixel px) {
    Layer* l = layer(id);
    if (!l) return;
    for (size_t i = 0; i + 3 < l->pixels.size(); i += 4) {
        l->pixels[i] = px.a;
        l->pixels[i + 1] = px.r;
        l->pixels[i + 2] = px.g;
        l->pixels[i + 3] = px.b;
    }
}

void Host::setPenColor(int r, int g, int b) {
    pen_ = {clampByte(r), clampByte(g), clampByte(b)};
}

bool Host::penDab(int x, int y) {
    return setPixel(currentId_, x, y,
                    Pixel{255, static_cast<uint8_t>(pen_[0]), static_cast<uint8_t>(pen_[1]),
                          static_cast<uint8_t>(pen_[2])});
}

// A one-pixel line: along the longer axis every step gets exactly one pixel,
// the other coordinate rounded from the exact line. Only the steps inside the
// image are walked, so far-away endpoints cost nothing.
void Host::drawLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, Pixel p) {
    if (!current()) return;
    int64_t dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 && dy == 0) {
        if (x1 >= INT32_MIN && x1 <= INT32_MAX && y1 >= INT32_MIN && y1 <= INT32_MAX)
            setPixel(currentId_, static_cast<int>(x1), static_cast<int>(y1), p);
        return;
    }
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    int64_t u1 = xMajor ? x1 : y1, u2 = xMajor ? x2 : y2;
    int64_t v1 = xMajor ? y1 : x1;
    int64_t du = u2 - u1, dv = xMajor ? dy : dx;
    int64_t uLimit = (xMajor ? width_ : height_) - 1;
    int64_t lo = std::max<int64_t>(std::min(u1, u2), 0);
    int64_t hi = std::min<int64_t>(std::max(u1, u2), uLimit);
    for (int64_t u = lo; u <= hi; ++u) {
        int64_t v = v1 + roundDiv(static_cast<__int128>(u - u1) * dv, du);
        int64_t x = xMajor ? u : v, y = xMajor ? v : u;
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            setPixel(currentId_, static_cast<int>(x), static_cast<int>(y), p);
    }
}

}  // namespace hostsim
