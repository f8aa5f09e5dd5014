// The record, the registry that leads a record back to its Host, and dispatch:
// every call is decoded by the command table, recorded, then handed to the job
// that serves it (requesters, layers, scripts, user strings, local files).
#include "hostsim/Host.h"

#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "hostsim/HostDetail.h"

namespace hostsim {

using detail::asText;
using detail::low32;

namespace {

constexpr size_t kRecordBytes = 4096;

// The plug-in hands the record back to dispatch; the registry, not a pointer
// hidden in the record, maps it to its Host, so a plug-in scribbling over the
// host's bytes cannot send dispatch astray.
std::mutex registryMutex;
std::unordered_map<const PIFilter*, Host*>& registry() {
    static std::unordered_map<const PIFilter*, Host*> map;
    return map;
}

int64_t hostDispatch(PIFilter* filter, int64_t command, int64_t* slots) {
    Host* host = nullptr;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        auto it = registry().find(filter);
        if (it != registry().end()) host = it->second;
    }
    if (!host) return 0;
    try {
        return host->dispatch(command, slots);
    } catch (...) {
        // Nothing may unwind into the plug-in.
        return 0;
    }
}

}  // namespace

bool detail::readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

Host::Host(int width, int height) : width_(width), height_(height) {
    record_.reset(new uint8_t[kRecordBytes]());
    filter_ = reinterpret_cast<PIFilter*>(record_.get());
    filter_->hostMajor = 6;
    filter_->hostMinor = 0;
    filter_->dispatch = &hostDispatch;
    filter_->width = width;
    filter_->height = height;
    filter_->updateRect[0] = 0;
    filter_->updateRect[1] = 0;
    filter_->updateRect[2] = width;
    filter_->updateRect[3] = height;
    // The host's own pixels are opacity first, like layer pixels.
    filter_->alphaIndex = 0;
    filter_->redIndex = 1;
    filter_->greenIndex = 2;
    filter_->blueIndex = 3;
    std::lock_guard<std::mutex> lock(registryMutex);
    registry()[filter_] = this;
}

Host::~Host() {
    std::lock_guard<std::mutex> lock(registryMutex);
    registry().erase(filter_);
}

void Host::setHostVersion(int major, int minor) {
    filter_->hostMajor = major;
    filter_->hostMinor = minor;
}

// ---------------------------------------------------------------- dispatch

int64_t Host::dispatch(int64_t command, int64_t* slots) {
    Call call;
    call.command = command;
    call.nullSlots = slots == nullptr;
    const CommandLayout* layout = nullptr;
    if (isFamily(command)) {
        if (slots) {
            call.subOp = slots[0];
            layout = findLayout(command, call.subOp);
        }
    } else {
        layout = findLayout(command, kNoSubOp);
    }
    call.known = layout != nullptr;
    const int n = layout ? layout->slots : -1;
    bool usable = call.known && (slots != nullptr || n == 0);
    if (usable) {
        call.slots.assign(slots, slots + n);
        if (!recordOnly_) {
            for (int t = 0; t < n; ++t) {
                if (layout->isText(t) && slots[t] != 0) call.texts[t] = asText(slots[t]);
            }
            // The glue passes the addresses of its own copies of the doubles.
            if (command == kCmdDemandDouble) {
                for (int k = 2; k <= 3; ++k) {
                    double d = 0;
                    if (slots[k] != 0)
                        std::memcpy(&d,
                                    reinterpret_cast<const void*>(static_cast<intptr_t>(slots[k])),
                                    sizeof d);
                    call.doubles.push_back(d);
                }
            }
        }
    }
    size_t index = calls_.size();
    calls_.push_back(call);
    int64_t result = 0;
    if (usable && !recordOnly_) result = serve(calls_[index], slots);
    if (faults_.forcedResult) result = *faults_.forcedResult;
    calls_[index].result = result;
    return result;
}

int64_t Host::serve(Call& call, int64_t* s) {
    switch (call.command) {
        case kCmdWarning: {
            std::string text = call.text(0);
            warnings_.push_back(text);
            if (warningSink_) warningSink_(text);
            return 0;
        }
        case kCmdUpdateDisplay:
            redraws_.push_back({low32(s[0]), low32(s[1]), low32(s[2]), low32(s[3])});
            return 0;
        case kCmdCloseFunction:
            ++closeRequests_;
            return 0;
        case kCmdRunMultiThread: {
            using Worker = int32_t (*)(int64_t, int32_t, int32_t, int64_t);
            if (s[0] == 0) return 0;
            Worker worker = reinterpret_cast<Worker>(static_cast<intptr_t>(s[0]));
            // One worker on the calling thread; its context value is the
            // thread number, counted from 1 so that it is never null.
            return worker(1, low32(s[1]), low32(s[2]), s[3]);
        }
        case kCmdSendCmd:
            return serveScript(call, s);
        case kCmdReadLayer:
            return readLayer(s, false);
        case kCmdWriteLayer:
            return readLayer(s, true);
        case kCmdCloseReq:
        case kCmdReq:
        case kCmdOpenReq:
        case kCmdOpenReqEx:
        case kCmdOpenFilterReq:
        case kCmdAllocPIBlock:
        case kCmdFreePIBlock:
            return serveRequester(call, s);
        case kCmdWriteUserString:
        case kCmdReadUserString:
            return serveUserString(call, s);
        case kCmdOpenLocalFile:
        case kCmdCloseLocalFile:
        case kCmdGetLocalString:
            return serveLocalFile(call, s);
        default:
            return 0;  // recorded, nothing to do
    }
}

// ---------------------------------------------------------------- recorder views

float Call::slotFloat(int64_t slot) {
    uint32_t bits = static_cast<uint32_t>(slot);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::vector<Call> Host::callsOf(int64_t command) const {
    std::vector<Call> out;
    for (const Call& c : calls_)
        if (c.command == command) out.push_back(c);
    return out;
}

std::vector<std::string> Host::scriptCommands() const {
    std::vector<std::string> out;
    for (const Call& c : calls_)
        if (c.command == kCmdSendCmd && !c.slots.empty()) out.push_back(c.text(0));
    return out;
}

}  // namespace hostsim
