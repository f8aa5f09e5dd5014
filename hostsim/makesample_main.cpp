// Draws the bundled sample: a line-art PNG (closed shapes, dark anti-aliased
// outlines on white paper) and a scribbles PNG (hard-edged strokes of flat
// colour on a transparent layer, one or two in every shape).
//
//   makesample OUTDIR     writes OUTDIR/lineart.png and OUTDIR/scribbles.png
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "hostsim/Png.h"

namespace {

constexpr int kW = 320;
constexpr int kH = 240;

struct Pt {
    double x, y;
};

double segmentDistance(Pt p, Pt a, Pt b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

// An outline: a closed polygon or a circle, drawn with a pen of some width.
struct Outline {
    std::vector<Pt> polygon;  // closed; empty for a circle
    Pt centre{0, 0};
    double radius = 0;
    double width = 2.2;

    double distance(Pt p) const {
        if (polygon.empty()) return std::fabs(std::hypot(p.x - centre.x, p.y - centre.y) - radius);
        double d = 1e9;
        for (size_t i = 0; i < polygon.size(); ++i)
            d = std::min(d, segmentDistance(p, polygon[i], polygon[(i + 1) % polygon.size()]));
        return d;
    }
};

Outline poly(std::vector<Pt> pts, double width = 2.2) {
    Outline o;
    o.polygon = std::move(pts);
    o.width = width;
    return o;
}

Outline circle(Pt c, double r, double width = 2.2) {
    Outline o;
    o.centre = c;
    o.radius = r;
    o.width = width;
    return o;
}

struct Stroke {
    std::vector<Pt> path;
    double radius;
    uint8_t r, g, b;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makesample OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];

    const std::vector<Outline> outlines = {
        // house: wall, roof, door, window with its cross
        poly({{60, 120}, {170, 120}, {170, 205}, {60, 205}}),
        poly({{50, 120}, {115, 68}, {180, 120}}),
        poly({{92, 205}, {92, 160}, {118, 160}, {118, 205}}),
        poly({{132, 140}, {158, 140}, {158, 166}, {132, 166}}),
        poly({{145, 140}, {145, 166}}, 1.5),
        // sun
        circle({262, 52}, 27, 2.6),
        // tree: trunk and crown
        poly({{236, 157}, {248, 157}, {248, 205}, {236, 205}}),
        circle({242, 128}, 30),
        // ground line under everything, a closed hill shape
        poly({{20, 205}, {300, 205}, {300, 222}, {20, 222}}),
    };

    hostsim::RgbaImage lineart{kW, kH, std::vector<uint8_t>(size_t(kW) * kH * 4)};
    const int ss = 4;  // 4 x 4 samples a pixel: soft edges like a real pen scan
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            int hits = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    Pt p{x + (sx + 0.5) / ss, y + (sy + 0.5) / ss};
                    for (const Outline& o : outlines)
                        if (o.distance(p) <= o.width / 2) {
                            ++hits;
                            break;
                        }
                }
            double cover = double(hits) / (ss * ss);
            uint8_t* px = &lineart.rgba[(size_t(y) * kW + x) * 4];
            const uint8_t ink[3] = {28, 24, 40};
            for (int c = 0; c < 3; ++c) px[c] = uint8_t(std::lround(255 - cover * (255 - ink[c])));
            px[3] = 255;
        }
    }

    // Hard-edged strokes, well inside their shapes; the sky is left to the
    // background frame.
    const std::vector<Stroke> strokes = {
        {{{72, 131}, {164, 131}, {164, 195}, {125, 195}}, 3, 214, 84, 62},  // wall
        {{{80, 112}, {115, 84}, {150, 112}}, 3, 121, 56, 36},               // roof
        {{{105, 170}, {105, 198}}, 3, 70, 90, 170},                         // door
        {{{137, 153}, {140, 153}}, 2, 250, 232, 120},                       // window, left pane
        {{{150, 147}, {153, 158}}, 2, 250, 232, 120},                       // window, right pane
        {{{250, 45}, {272, 60}}, 4, 255, 196, 0},                           // sun
        {{{242, 163}, {242, 198}}, 3, 128, 84, 44},                         // trunk
        {{{225, 120}, {258, 118}, {240, 138}}, 4, 64, 160, 72},             // crown
        {{{30, 213}, {290, 213}}, 3, 104, 170, 64},                         // ground
    };
    hostsim::RgbaImage scribbles{kW, kH, std::vector<uint8_t>(size_t(kW) * kH * 4, 0)};
    for (const Stroke& s : strokes) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                Pt p{x + 0.5, y + 0.5};
                bool on = false;
                for (size_t i = 0; i + 1 < s.path.size() && !on; ++i)
                    on = segmentDistance(p, s.path[i], s.path[i + 1]) <= s.radius;
                if (!on) continue;
                uint8_t* px = &scribbles.rgba[(size_t(y) * kW + x) * 4];
                px[0] = s.r;
                px[1] = s.g;
                px[2] = s.b;
                px[3] = 255;
            }
    }

    std::string error;
    if (!hostsim::writePng(dir + "/lineart.png", lineart, error) ||
        !hostsim::writePng(dir + "/scribbles.png", scribbles, error)) {
        std::fprintf(stderr, "makesample: %s\n", error.c_str());
        return 1;
    }
    std::printf("wrote %s/lineart.png and %s/scribbles.png\n", dir.c_str(), dir.c_str());
    return 0;
}
