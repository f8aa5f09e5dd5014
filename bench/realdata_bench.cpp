// solverSolve on real line art: every PNG of a folder (default: the project's shared real
// line art beside the repository) is turned into the outline grey image a Paint would read,
// given machine-made scribbles, and solved with 2, 8 and 32 labels.
//
//   realdata_bench [FOLDER]
//
// Scribbles: the bright areas (grey >= 192) of 1024 pixels or more are found by conncomp4;
// each gets a 5 by 5 dab at the middle pixel (in raster order) of its area, clipped to the
// area, with labels handed out round robin. An artist's strokes are longer, so these figures
// are a floor on the cut's work rather than a forecast.
//
// Prints, per image and label count: size, regions dabbed, wall time and the process's peak
// resident size so far (so the largest image dominates the later rows).
#include <stdio.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/conncomp4.h"
#include "engine/solver.h"
#include "hostsim/Png.h"

namespace fs = std::filesystem;

namespace {

// Composited over white and averaged, exactly as the plug-in reads its outline layer.
std::vector<unsigned char> outlineGrey(const hostsim::RgbaImage& img) {
    std::vector<unsigned char> grey(size_t(img.width) * img.height);
    for (size_t i = 0; i < grey.size(); ++i) {
        const uint8_t* p = &img.rgba[4 * i];
        const int a = p[3];
        grey[i] =
            static_cast<unsigned char>(((255 - a) * 255 + ((p[0] + p[1] + p[2]) * a) / 3) / 255);
    }
    return grey;
}

// Dabs every bright area large enough to be one region; returns the number of areas dabbed.
int dabRegions(int w, int h, const std::vector<unsigned char>& grey, int labelCount,
               std::vector<int>& scribbles) {
    std::vector<unsigned char> bright(grey.size());
    for (size_t i = 0; i < grey.size(); ++i) bright[i] = grey[i] >= 192 ? 1 : 0;
    std::vector<int> comp(grey.size());
    int count = 0;
    conncomp4(w, h, bright.data(), static_cast<unsigned char>(0), comp.data(), &count);

    std::vector<std::vector<int>> members(count);
    for (size_t i = 0; i < comp.size(); ++i)
        if (comp[i] >= 0) members[comp[i]].push_back(int(i));

    scribbles.assign(grey.size(), -1);
    int dabbed = 0;
    for (int c = 0; c < count; ++c) {
        if (members[c].size() < 1024) continue;
        const int mid = members[c][members[c].size() / 2];
        const int cx = mid % w, cy = mid / w;
        const int label = dabbed++ % labelCount;
        for (int y = std::max(0, cy - 2); y <= std::min(h - 1, cy + 2); ++y)
            for (int x = std::max(0, cx - 2); x <= std::min(w - 1, cx + 2); ++x)
                if (comp[size_t(y) * w + x] == c) scribbles[size_t(y) * w + x] = label;
    }
    return dabbed;
}

long peakMiB() {
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path(DAUB_REALDATA_DIR);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        printf("realdata_bench: no folder %s; nothing to measure\n", folder.c_str());
        return 0;
    }
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ".png") files.push_back(e.path());
    std::sort(files.begin(), files.end());

    printf("%-28s %11s %7s %6s %9s %9s\n", "image", "size", "regions", "labels", "wall ms",
           "peak MiB");
    for (const fs::path& file : files) {
        hostsim::RgbaImage img;
        std::string error;
        if (!hostsim::readPng(file.string(), img, error)) {
            printf("%-28s %s\n", file.filename().c_str(), error.c_str());
            continue;
        }
        const std::vector<unsigned char> grey = outlineGrey(img);
        std::vector<int> result(grey.size());
        for (int labels : {2, 8, 32}) {
            std::vector<int> scribbles;
            const int regions = dabRegions(img.width, img.height, grey, labels, scribbles);
            const auto t0 = std::chrono::steady_clock::now();
            solverSolve(img.width, img.height, grey.data(), scribbles.data(), labels,
                        result.data());
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
            char size[32];
            snprintf(size, sizeof size, "%dx%d", img.width, img.height);
            printf("%-28s %11s %7d %6d %9.1f %9ld\n", file.filename().c_str(), size, regions,
                   labels, ms, peakMiB());
            fflush(stdout);
        }
    }
    return 0;
}
