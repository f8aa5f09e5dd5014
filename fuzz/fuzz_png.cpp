// The stand-in host's PNG loading, as its driver does it: any file gives either an image of the
// stated size within the host's limits, or a clear one-line error and no image. The driver's
// session is run on the file too (with no module: it must stop at the first clear error).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "hostsim/Png.h"
#include "hostsim/Session.h"

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

void check(bool ok, const hostsim::RgbaImage& img, const std::string& error, const char* how) {
    if (ok) {
        if (img.width <= 0 || img.height <= 0 || img.width > hostsim::kMaxPngSide ||
            img.height > hostsim::kMaxPngSide ||
            int64_t(img.width) * img.height > hostsim::kMaxPngPixels)
            fail(std::string(how) + ": image outside the host's limits");
        if (img.rgba.size() != size_t(img.width) * size_t(img.height) * 4)
            fail(std::string(how) + ": pixel count does not match the size");
        return;
    }
    if (error.empty()) fail(std::string(how) + ": failure without a message");
    if (error.find('\n') != std::string::npos)
        fail(std::string(how) + ": message of several lines");
    if (img.width != 0 || img.height != 0 || !img.rgba.empty())
        fail(std::string(how) + ": failure left an image behind");
}

std::string tempDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/daub_fuzz_png_XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) fail("cannot make a temporary folder");
        return std::string(made);
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    hostsim::RgbaImage mem, file;
    std::string memError, fileError;
    const bool memOk = hostsim::readPngMemory(data, size, mem, memError);
    check(memOk, mem, memError, "memory");

    const std::string path = tempDir() + "/input.png";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) fail("cannot write " + path);
    if (size > 0 && std::fwrite(data, 1, size, f) != size) fail("short write");
    std::fclose(f);
    const bool fileOk = hostsim::readPng(path, file, fileError);
    check(fileOk, file, fileError, "file");
    if (fileOk != memOk) fail("file and memory reads disagree: " + memError + " / " + fileError);
    if (fileOk && (file.width != mem.width || file.height != mem.height || file.rgba != mem.rgba))
        fail("file and memory reads give different images");
    if (!fileOk && fileError.find(path) != 0) fail("file error does not name the file");

    // The driver: the same file as line art and scribbles, then a module that is not there.
    hostsim::SessionOptions o;
    o.lineart = path;
    o.scribbles = path;
    o.module = tempDir() + "/missing-module.so";
    o.outDir = tempDir() + "/out";
    const hostsim::SessionResult r = hostsim::runSession(o);
    if (r.exitCode == 0) fail("a session without a module succeeded");
    if (r.error.empty() || r.error.find('\n') != std::string::npos)
        fail("session error is not one line: " + r.error);
    if (!fileOk && r.error != fileError) fail("session error differs: " + r.error);
    return 0;
}
