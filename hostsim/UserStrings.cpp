// The per-user string store: OMReadUserString and OMWriteUserString, and the
// file it may be kept in (format in Host.h).
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "hostsim/Host.h"
#include "hostsim/HostDetail.h"

namespace hostsim {

using detail::asText;
using detail::low32;

namespace {

std::string escapeValue(const std::string& v) {
    std::string out;
    for (char c : v) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescapeValue(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            char n = v[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += v[i];
        }
    }
    return out;
}

}  // namespace

int64_t Host::serveUserString(Call& call, int64_t* s) {
    if (call.command == kCmdWriteUserString) {
        setUserString(call.text(0), call.text(1), call.text(2));
        if (!userStringFile_.empty()) saveUserStrings(userStringFile_);
        return 1;
    }
    auto stored = userString(call.text(0), call.text(1));
    std::string value = stored ? *stored : call.text(3);
    char* buffer = const_cast<char*>(asText(s[2]));
    int32_t size = low32(s[4]);
    if (buffer && size > 0) {
        size_t n = std::min(value.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }
    return stored ? 1 : 0;
}

std::optional<std::string> Host::userString(const std::string& section,
                                            const std::string& key) const {
    auto it = userStrings_.find({section, key});
    if (it == userStrings_.end()) return std::nullopt;
    return it->second;
}

void Host::setUserString(const std::string& section, const std::string& key,
                         const std::string& value) {
    userStrings_[{section, key}] = value;
}

bool Host::loadUserStrings(const std::string& path) {
    std::string content;
    if (!detail::readFile(path, content)) return false;
    std::istringstream in(content);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        userStrings_[{section, line.substr(0, eq)}] = unescapeValue(line.substr(eq + 1));
    }
    return true;
}

bool Host::saveUserStrings(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::string section;
    bool first = true;
    for (const auto& [k, value] : userStrings_) {
        if (first || k.first != section) {
            out << "[" << k.first << "]\n";
            section = k.first;
            first = false;
        }
        // Keys cannot hold '=' or a line break in this format; such a key is dropped.
        if (k.second.find_first_of("=\r\n") != std::string::npos) continue;
        out << k.second << "=" << escapeValue(value) << "\n";
    }
    return static_cast<bool>(out);
}

bool Host::setUserStringFile(const std::string& path) {
    userStringFile_ = path;
    std::ifstream probe(path);
    if (!probe) return true;  // created at the first write
    return loadUserStrings(path);
}

}  // namespace hostsim
