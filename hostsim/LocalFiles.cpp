// Localisation files: OMOpenLocalFile, OMGetLocalString and OMCloseLocalFile,
// served from texts given in memory, from a named file or from a folder.
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "hostsim/Host.h"
#include "hostsim/HostDetail.h"

namespace hostsim {

using detail::readFile;

int64_t Host::serveLocalFile(Call& call, int64_t* s) {
    switch (call.command) {
        case kCmdOpenLocalFile: {
            if (faults_.missingLocalFiles || call.texts.count(0) == 0) return 0;
            const std::string name = call.text(0);
            std::map<uint32_t, std::string> strings;
            std::string content;
            if (memLocal_.count(name)) {
                strings = memLocal_[name];
            } else if (localPaths_.count(name)) {
                if (!readFile(localPaths_[name], content)) return 0;
                strings = parseLocalText(content);
            } else if (!localDir_.empty() && !name.empty() && name.find('/') == std::string::npos &&
                       name != "." && name != "..") {
                if (!readFile(localDir_ + "/" + name, content)) return 0;
                strings = parseLocalText(content);
            } else {
                return 0;
            }
            localFiles_.push_back(LocalFile{nextLocalHandle_++, std::move(strings), true});
            return localFiles_.back().handle;
        }
        case kCmdCloseLocalFile:
            for (LocalFile& f : localFiles_)
                if (f.handle == s[0]) f.open = false;
            return 0;
        case kCmdGetLocalString: {
            uint64_t number = static_cast<uint64_t>(s[1]);
            if (number > 0xFFFFFFFFu) return 0;
            for (LocalFile& f : localFiles_) {
                if (f.handle != s[0] || !f.open) continue;
                auto it = f.strings.find(static_cast<uint32_t>(number));
                if (it == f.strings.end()) return 0;
                // Map nodes never move, so the text stays put as long as the host lives.
                return reinterpret_cast<intptr_t>(it->second.c_str());
            }
            return 0;
        }
        default:
            return 0;
    }
}

std::map<uint32_t, std::string> Host::parseLocalText(const std::string& text) {
    std::map<uint32_t, std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == 0 || eq == std::string::npos || eq > 10) continue;
        bool digits = std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(eq),
                                  [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) continue;
        unsigned long long n = std::strtoull(line.substr(0, eq).c_str(), nullptr, 10);
        if (n > 0xFFFFFFFFull) continue;
        out[static_cast<uint32_t>(n)] = line.substr(eq + 1);
    }
    return out;
}

void Host::addLocalFile(const std::string& name, std::map<uint32_t, std::string> strings) {
    memLocal_[name] = std::move(strings);
}

void Host::addLocalFileText(const std::string& name, const std::string& text) {
    memLocal_[name] = parseLocalText(text);
}

void Host::setLocalFilePath(const std::string& name, const std::string& path) {
    localPaths_[name] = path;
}

void Host::setLocalDir(const std::string& dir) {
    localDir_ = dir;
}

int Host::openLocalFileCount() const {
    int n = 0;
    for (const LocalFile& f : localFiles_) n += f.open ? 1 : 0;
    return n;
}

}  // namespace hostsim
