#include "hostsim/Host.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_map>

namespace hostsim {

struct Host::OwnedBlock {
    PIBlock block{};
    std::vector<uint8_t> data;
};

namespace {

constexpr size_t kRecordBytes = 4096;
constexpr size_t kAnswerBytes = 256;
constexpr int64_t kMaxBlockPixels = int64_t(1) << 26;

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

bool isFamily(int64_t command) {
    return command == kCmdReq || command == 1628 || command == 1648 || command == 1688;
}

// Number of slots in each command's layout; -1 for a command or sub-operation
// the host does not know.
int layoutSlots(int64_t command, int64_t subOp) {
    if (command == kCmdReq) {
        switch (subOp) {
            case 1:
                return 6;
            case 2:
                return 6;
            case 3:
                return 2;
            case 4:
                return 2;
            case 5:
                return 4;
            case 6:
                return 7;
            case 10:
                return 9;
            case 11:
                return 3;
            case 12:
                return 5;
            case 13:
                return 4;
            case 20:
                return 8;
            case 21:
                return 8;
            case 22:
                return 14;
            case 24:
                return 5;
            case 25:
                return 5;
            case 26:
                return 5;
            case 27:
                return 12;
            case 28:
                return 5;
            case 29:
                return 8;
            case 30:
                return 5;
            case 31:
                return 11;
            case 32:
                return 19;
            case 33:
                return 16;
            case 34:
                return 5;
            case 35:
                return 5;
            case 36:
                return 14;
            case 37:
                return 8;
            case 38:
                return 11;
            case 39:
                return 11;
            case 40:
                return 8;
            case 41:
                return 8;
            case 42:
                return 8;
            case 43:
                return 10;
            case 44:
                return 6;
            case 45:
                return 6;
            case 46:
                return 6;
            default:
                return -1;
        }
    }
    if (command == 1628) return (subOp == 1 || subOp == 2) ? 9 : -1;
    if (command == 1648) return (subOp >= 1 && subOp <= 4) ? 9 : -1;
    if (command == 1688) {
        switch (subOp) {
            case 0:
                return 8;
            case 1:
                return 8;
            case 2:
                return 10;
            case 3:
                return 9;
            case 4:
                return 9;
            case 5:
                return 12;
            default:
                return -1;
        }
    }
    static const std::unordered_map<int64_t, int> table = {
        // front end's services
        {234, 9},
        {229, 1},
        {838, 8},
        {134, 1},
        {138, 4},
        {139, 2},
        {140, 7},
        {141, 7},
        {329, 3},
        {728, 5},
        {729, 5},
        {1228, 8},
        {1229, 8},
        {1230, 8},
        {968, 8},
        // requesters
        {228, 6},
        {233, 11},
        {231, 7},
        {232, 7},
        {528, 3},
        // images, blocks, pixels
        {142, 7},
        {428, 3},
        {429, 3},
        {628, 10},
        {629, 7},
        {778, 5},
        {779, 8},
        {828, 8},
        {1668, 8},
        {1678, 8},
        {1698, 8},
        {839, 8},
        {958, 16},
        {1638, 9},
        {1658, 11},
        // requests, stores, files, devices
        {130, 3},
        {131, 1},
        {132, 2},
        {133, 0},
        {135, 3},
        {136, 4},
        {137, 3},
        {145, 6},
        {328, 3},
        {730, 5},
        {733, 5},
        {734, 5},
        {735, 5},
        {738, 6},
        {739, 6},
        {740, 8},
        {741, 9},
        {742, 8},
        {928, 8},
        {929, 8},
        {930, 8},
        {948, 6},
        {1128, 8},
        {1129, 8},
        {1130, 8},
        {1131, 8},
        {1528, 8},
        {1529, 8},
        {1328, 8},
        {1428, 8},
        {1708, 8},
        // preview drawing
        {143, 9},
        {144, 9},
        {146, 9},
    };
    if (isFamily(command)) return -1;
    auto it = table.find(command);
    return it == table.end() ? -1 : it->second;
}

// Slots holding texts that the host reads.
std::vector<int> textSlots(int64_t command, int64_t subOp) {
    switch (command) {
        case kCmdWarning:
            return {0};
        case kCmdSendCmd:
            return {0};
        case kCmdWriteUserString:
            return {0, 1, 2};
        case kCmdReadUserString:
            return {0, 1, 3};
        case kCmdOpenLocalFile:
            return {0};
        case kCmdReq:
            if (subOp == 2) return {2};
            if (subOp == 10) return {8};
            if (subOp == 13) return {3};
            return {};
        default:
            return {};
    }
}

const char* asText(int64_t slot) {
    return reinterpret_cast<const char*>(static_cast<intptr_t>(slot));
}
int32_t low32(int64_t slot) {
    return static_cast<int32_t>(static_cast<uint32_t>(slot));
}

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

uint8_t clampByte(int v) {
    return static_cast<uint8_t>(std::min(255, std::max(0, v)));
}

// Rounds n / d to the nearest integer, halves away from zero (d != 0).
int64_t roundDiv(__int128 n, __int128 d) {
    bool negative = (n < 0) != (d < 0);
    __int128 an = n < 0 ? -n : n;
    __int128 ad = d < 0 ? -d : d;
    __int128 q = (2 * an + ad) / (2 * ad);
    return static_cast<int64_t>(negative ? -q : q);
}

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

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

}  // namespace

float Call::slotFloat(int64_t slot) {
    uint32_t bits = static_cast<uint32_t>(slot);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

const Button* Requester::button(int id) const {
    for (const Button& b : buttons)
        if (b.id == id) return &b;
    return nullptr;
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
    int n = -1;
    if (isFamily(command)) {
        if (slots) {
            call.subOp = slots[0];
            n = layoutSlots(command, call.subOp);
        }
    } else {
        n = layoutSlots(command, -1);
    }
    call.known = n >= 0;
    bool usable = call.known && (slots != nullptr || n == 0);
    if (usable) {
        call.slots.assign(slots, slots + n);
        if (!recordOnly_) {
            for (int t : textSlots(command, call.subOp)) {
                if (t < n && slots[t] != 0) call.texts[t] = asText(slots[t]);
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
        case kCmdSendCmd:
            return serveScript(call, s);
        case kCmdReadLayer:
            return readLayer(s, false);
        case kCmdWriteLayer:
            return readLayer(s, true);
        case kCmdCloseReq: {
            Requester* r = findRequester(s[0]);
            if (r) r->open = false;
            return 0;
        }
        case kCmdReq:
            return serveRequester(call, s);
        case 228:
        case 233:
        case kCmdOpenFilterReq: {
            if (faults_.failOpenRequester) return 0;
            Requester r;
            r.handle = nextHandle_++;
            if (call.command == kCmdOpenFilterReq) {
                r.width = low32(s[0]);
                r.height = low32(s[1]);
                for (int k = 0; k < 4; ++k) r.values[k] = s[2 + k];
            } else {
                r.width = low32(s[2]);
                r.height = low32(s[3]);
            }
            requesters_.push_back(r);
            return r.handle;
        }
        case kCmdCloseFunction:
            ++closeRequests_;
            return 0;
        case kCmdWriteUserString: {
            setUserString(call.text(0), call.text(1), call.text(2));
            if (!userStringFile_.empty()) saveUserStrings(userStringFile_);
            return 1;
        }
        case kCmdReadUserString: {
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
        case kCmdAllocPIBlock: {
            if (faults_.allocBlockNull) return 0;
            int64_t w = low32(s[0]), h = low32(s[1]);
            if (faults_.allocBlockSize) {
                w = faults_.allocBlockSize->first;
                h = faults_.allocBlockSize->second;
            }
            return reinterpret_cast<intptr_t>(newBlock(w, h));
        }
        case kCmdFreePIBlock: {
            const PIBlock* b = reinterpret_cast<const PIBlock*>(static_cast<intptr_t>(s[0]));
            for (size_t i = 0; i < blocks_.size(); ++i) {
                if (&blocks_[i]->block != b) continue;
                for (Requester& r : requesters_)
                    for (Button& btn : r.buttons)
                        if (btn.image == b) btn.image = nullptr;
                blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
            return 0;
        }
        case kCmdRunMultiThread: {
            using Worker = int32_t (*)(int64_t, int32_t, int32_t, int64_t);
            if (s[0] == 0) return 0;
            Worker worker = reinterpret_cast<Worker>(static_cast<intptr_t>(s[0]));
            // One worker on the calling thread; its context value is the
            // thread number, counted from 1 so that it is never null.
            return worker(1, low32(s[1]), low32(s[2]), s[3]);
        }
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
            return 0;  // recorded, nothing to do
    }
}

int64_t Host::serveRequester(Call& call, int64_t* s) {
    Requester* r = findRequester(s[1]);
    if (!r || !r->open) return 0;
    auto findButton = [&](int id) -> Button* {
        for (Button& b : r->buttons)
            if (b.id == id) return &b;
        return nullptr;
    };
    switch (call.subOp) {
        case 1:  // info: position and size
            s[2] = 100;
            s[3] = 80;
            s[4] = r->width;
            s[5] = r->height;
            return 1;
        case 2:
            r->title = call.text(2);
            return 1;
        case 3:
            ++r->toFrontCount;
            return 1;
        case 4:
            return 1;
        case 10: {
            Button b;
            b.x = low32(s[2]);
            b.y = low32(s[3]);
            b.w = low32(s[4]);
            b.h = low32(s[5]);
            b.id = low32(s[6]);
            b.flags = s[7];
            b.label = call.text(8);
            if (Button* old = findButton(b.id))
                *old = b;
            else
                r->buttons.push_back(b);
            return 1;
        }
        case 11: {
            int id = low32(s[2]);
            auto it = std::find_if(r->buttons.begin(), r->buttons.end(),
                                   [&](const Button& b) { return b.id == id; });
            if (it == r->buttons.end()) return 0;
            r->buttons.erase(it);
            return 1;
        }
        case 13: {
            Button* b = findButton(low32(s[2]));
            if (!b) return 0;
            b->help = call.text(3);
            return 1;
        }
        case 31: {
            Button* b = findButton(low32(s[2]));
            PIBlock* block = reinterpret_cast<PIBlock*>(static_cast<intptr_t>(s[3]));
            if (!b || !ownsBlock(block)) return 0;
            b->image = block;
            return 1;
        }
        case 38: {
            Button* b = findButton(low32(s[2]));
            if (!b || faults_.buttonImageNull) return 0;
            if (faults_.buttonImageSize)
                return reinterpret_cast<intptr_t>(
                    newBlock(faults_.buttonImageSize->first, faults_.buttonImageSize->second));
            return reinterpret_cast<intptr_t>(b->image);
        }
        case 39: {
            Button* b = findButton(low32(s[2]));
            if (!b) return 0;
            ++b->refreshCount;
            return 1;
        }
        default:
            return 0;
    }
}

Requester* Host::findRequester(int64_t handle) {
    for (Requester& r : requesters_)
        if (r.handle == handle) return &r;
    return nullptr;
}

const Requester* Host::requester(int64_t handle) const {
    for (const Requester& r : requesters_)
        if (r.handle == handle) return &r;
    return nullptr;
}

const Requester* Host::openRequester() const {
    for (auto it = requesters_.rbegin(); it != requesters_.rend(); ++it)
        if (it->open) return &*it;
    return nullptr;
}

void Host::closeRequesterByUser(int64_t handle) {
    if (Requester* r = findRequester(handle)) r->open = false;
}

PIBlock* Host::newBlock(int64_t w, int64_t h) {
    if (w < 0 || h < 0 || (h != 0 && w > kMaxBlockPixels / h)) return nullptr;
    auto owned = std::make_unique<OwnedBlock>();
    owned->data.assign(static_cast<size_t>(w * h) * 4, 0);
    owned->block.width = static_cast<int32_t>(w);
    owned->block.height = static_cast<int32_t>(h);
    owned->block.data = owned->data.empty() ? nullptr : owned->data.data();
    blocks_.push_back(std::move(owned));
    return &blocks_.back()->block;
}

bool Host::ownsBlock(const PIBlock* block) const {
    if (!block) return false;
    for (const auto& b : blocks_)
        if (&b->block == block) return true;
    return false;
}

// ---------------------------------------------------------------- layers

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

// ---------------------------------------------------------------- scripts

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

// ---------------------------------------------------------------- recorder views

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

// ---------------------------------------------------------------- user strings

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
    if (!readFile(path, content)) return false;
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

// ---------------------------------------------------------------- localisation

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
