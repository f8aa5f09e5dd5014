// Script commands: the om_ texts of OMSendCmd, their answers, and the
// overrides a test puts in front of them.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "hostsim/Host.h"
#include "hostsim/HostDetail.h"

namespace hostsim {

using detail::asText;
using detail::clampByte;
using detail::kAnswerBytes;

namespace {

// Strict decimal int32: optional sign and digits, nothing else.
bool parseInt(const std::string& s, int& out) {
    if (s.empty() || s.size() > 12) return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    for (size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    errno = 0;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

std::vector<std::string> splitWords(const std::string& s) {
    std::vector<std::string> words;
    std::istringstream in(s);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

}  // namespace

int64_t Host::serveScript(Call& call, int64_t* s) {
    const std::string command = call.text(0);
    std::string answer;
    int64_t result = 0;
    const AnswerOverride* ov = nullptr;
    for (const AnswerOverride& o : overrides_) {
        bool hit = o.prefix ? command.compare(0, o.match.size(), o.match) == 0 : command == o.match;
        if (hit) {
            ov = &o;
            break;
        }
    }
    if (call.texts.count(0) == 0)
        answer = "error: no command";
    else if (!ov || ov->perform)
        answer = runScript(command, result);
    if (ov) {
        answer = ov->answer;
        result = 1;
    }
    if (answer.size() > kAnswerBytes - 1) answer.resize(kAnswerBytes - 1);
    char* buffer = const_cast<char*>(asText(s[1]));
    if (buffer) {
        std::memcpy(buffer, answer.c_str(), answer.size() + 1);
        call.answer = answer;
    }
    return result;
}

std::string Host::sendCommand(const std::string& command) {
    char answer[kAnswerBytes] = {};
    int64_t slots[2] = {static_cast<int64_t>(reinterpret_cast<intptr_t>(command.c_str())),
                        static_cast<int64_t>(reinterpret_cast<intptr_t>(answer))};
    dispatch(kCmdSendCmd, slots);
    return answer;
}

std::string Host::runScript(const std::string& command, int64_t& result) {
    result = 0;
    const std::vector<std::string> w = splitWords(command);
    if (w.empty()) return "error: empty command";
    const std::string& verb = w[0];
    auto argc = [&](size_t n) { return w.size() == n + 1; };
    int a = 0, b = 0;
    auto ok = [&](std::string answer) {
        result = 1;
        return answer;
    };

    if (verb == "om_LayerCurrentID") {
        if (!argc(0)) return "error: om_LayerCurrentID takes no argument";
        if (!current()) return "error: no current layer";
        return ok(std::to_string(currentId_));
    }
    if (verb == "om_LayerGetID") {
        if (!argc(1) || !parseInt(w[1], a) || a < 0) return "error: om_LayerGetID needs a position";
        return ok(a < layerCount() ? std::to_string(layers_[a].id) : "none");
    }
    if (verb == "om_LayerGetPos") {
        if (!argc(1) || !parseInt(w[1], a)) return "error: om_LayerGetPos needs a layer id";
        int pos = positionOf(a);
        if (pos < 0) return "error: no layer " + std::to_string(a);
        return ok(std::to_string(pos));
    }
    if (verb == "om_LayerInfo") {
        if (!argc(1) || !parseInt(w[1], a)) return "error: om_LayerInfo needs a layer id";
        const Layer* l = layer(a);
        if (!l) return "error: no layer " + std::to_string(a);
        // The name comes first so that a long one keeps both quotes.
        return ok("\"" + l->name + "\" id " + std::to_string(l->id) + " pos " +
                  std::to_string(positionOf(a)) + " blend " + l->blendMode);
    }
    if (verb == "om_LayerSet") {
        if (!argc(1) || !parseInt(w[1], a)) return "error: om_LayerSet needs a layer id";
        if (!setCurrentLayer(a)) return "error: no layer " + std::to_string(a);
        return ok("");
    }
    if (verb == "om_LayerDuplicate") {
        const std::string prefix = "om_LayerDuplicate ";
        if (w.size() < 2 || command.compare(0, prefix.size(), prefix) != 0)
            return "error: om_LayerDuplicate needs a name";
        Layer* src = current();
        if (!src) return "error: no current layer";
        Layer copy = *src;
        copy.id = nextId_++;
        copy.name = command.substr(prefix.size());
        int pos = positionOf(currentId_) + 1;
        layers_.insert(layers_.begin() + pos, std::move(copy));
        currentId_ = layers_[pos].id;
        return ok(std::to_string(currentId_));
    }
    if (verb == "om_LayerSelect") {
        if (!argc(2) || !parseInt(w[1], a) || !parseInt(w[2], b))
            return "error: om_LayerSelect needs two numbers";
        return ok("");
    }
    if (verb == "om_cmd") {
        if (w.size() >= 3 && w[1] == "heads" && w[2] == "om_clear" && w.size() == 3) {
            Layer* l = current();
            if (!l) return "error: no current layer";
            std::fill(l->pixels.begin(), l->pixels.end(), 0);
            return ok("");
        }
        if (w.size() >= 3 && w[1] == "heads" && w[2] == "om_FastLine") {
            int v[8];
            if (w.size() != 11) return "error: om_FastLine needs eight numbers";
            for (int k = 0; k < 8; ++k)
                if (!parseInt(w[3 + k], v[k])) return "error: om_FastLine needs eight numbers";
            if (!current()) return "error: no current layer";
            drawLine(v[0], v[1], v[2], v[3],
                     Pixel{clampByte(v[7]), clampByte(v[4]), clampByte(v[5]), clampByte(v[6])});
            return ok("");
        }
        return "error: unknown om_cmd";
    }
    if (verb == "om_GetAPen") {
        if (!argc(0)) return "error: om_GetAPen takes no argument";
        return ok(std::to_string(pen_[0]) + " " + std::to_string(pen_[1]) + " " +
                  std::to_string(pen_[2]));
    }
    if (verb == "om_SetAPen") {
        int c = 0;
        if (!argc(3) || !parseInt(w[1], a) || !parseInt(w[2], b) || !parseInt(w[3], c))
            return "error: om_SetAPen needs three numbers";
        setPenColor(a, b, c);
        return ok("");
    }
    if (verb == "om_PenBrush") {
        brush_ = command.size() > verb.size() + 1 ? command.substr(verb.size() + 1) : std::string();
        return ok("");
    }
    if (verb == "om_layerblendingmode") {
        if (!argc(2) || !parseInt(w[1], a))
            return "error: om_layerblendingmode needs a layer id and a mode";
        Layer* l = layer(a);
        if (!l) return "error: no layer " + std::to_string(a);
        l->blendMode = w[2];
        return ok("");
    }
    if (verb == "om_layercolor") {
        if (!argc(3) || w[1] != "set" || !parseInt(w[2], a) || !parseInt(w[3], b))
            return "error: om_layercolor set needs two numbers";
        if (Layer* l = current()) l->colorTag = b;
        return ok("");
    }
    if (verb == "om_LayerAnim") return ok("");
    if (verb == "om_updateundo") {
        ++undoSteps_;
        return ok("");
    }
    return "error: unknown command";
}

}  // namespace hostsim
