// The whole plug-in driven through the stand-in host by a hostile script. The input chooses the
// image size (0 by 0 and 1 by 1 included), the layers with their names and pixels, the stored
// settings and localised texts, the host's faults and its answer to every script command, then
// calls the entry points, presses buttons and sends messages in any order.
//
// Checked besides ASan/UBSan/leaks: outside a call the front end holds no work buffer and no
// colour map; a Paint changes no more layers than it successfully wrote; a pen button or any other
// message changes no layer at all; a Paint changes at most one.
//
// The plug-in's objects are linked in (one load for the whole run); its global state is put
// back to the freshly loaded one after every input.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/PIEntry.h"
#include "host/PIFilter.h"
#include "hostsim/Host.h"
#include "plugin/CDaubUtils.h"

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

// ---- a host that also misbehaves at the byte level ----

// The record's own dispatch, and what the wrapper does on top of it.
PIDispatch hostDispatch = nullptr;
FuzzedDataProvider* script = nullptr;
bool garbleAnswers = false;  // answers filled to the last byte, without a terminator
bool garbleStrings = false;  // user strings filled to the size given, without a terminator

int64_t hostileDispatch(PIFilter* filter, int64_t command, int64_t* slots) {
    const int64_t result = hostDispatch(filter, command, slots);
    if (slots == nullptr) return result;
    if (command == hostsim::kCmdSendCmd && garbleAnswers && slots[1] != 0) {
        char* answer = reinterpret_cast<char*>(static_cast<intptr_t>(slots[1]));
        const char fill = static_cast<char>(script->ConsumeIntegralInRange<int>('0', '~'));
        std::memset(answer, fill, 256);
    }
    if (command == hostsim::kCmdReadUserString && garbleStrings && slots[2] != 0) {
        const int32_t size = static_cast<int32_t>(slots[4]);
        if (size > 0)
            std::memset(reinterpret_cast<char*>(static_cast<intptr_t>(slots[2])), '7',
                        static_cast<size_t>(size));
    }
    return result;
}

// ---- texts the host may answer or store ----

std::string hostileText(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 21)) {
        case 0:
            return "";
        case 1:
            return "none";
        case 2:
            return "NONE";
        case 3:
            return "None";
        case 4:
            return "none ";
        case 5:
            return "-1";
        case 6:
            return "-2147483648";
        case 7:
            return "2147483647";
        case 8:
            return "99999999999999999999";
        case 9:
            return "\"ink\"";
        case 10:
            return "\"ink_scribbles\" id 1002";
        case 11:
            return "\"unterminated";
        case 12:
            return "no quotes at all";
        case 13:
            return std::string(255, 'x');
        case 14:
            return "\"" + std::string(253, 's') + "\"";
        case 15:
            return "\"" + std::string(240, 'q') + "_scribbles\"";
        case 16:
            return "255 0 255";
        case 17:
            return "254 1 254 255";
        case 18:
            return "1 2";
        case 19:
            return std::to_string(in.ConsumeIntegralInRange<int>(-3, 1100));
        case 20:
            return "scribbles";
        default:
            return in.ConsumeRandomLengthString(300);
    }
}

std::string layerName(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
            return "ink";
        case 1:
            return "ink_scribbles";
        case 2:
            return "ink_color";
        case 3:
            return "";
        case 4:
            return "a\"b";
        case 5:
            return std::string(255, 'n');
        case 6:
            return std::string(230, 'm');
        case 7:
            return "Scribbles";
        default:
            return in.ConsumeRandomLengthString(40);
    }
}

const char* const kVerbs[] = {
    "om_LayerCurrentID", "om_LayerGetID",     "om_LayerGetPos", "om_LayerInfo",
    "om_LayerSet",       "om_LayerDuplicate", "om_LayerSelect", "om_cmd",
    "om_GetAPen",        "om_SetAPen",        "om_PenBrush",    "om_layerblendingmode",
    "om_layercolor",     "om_LayerAnim",      "om_updateundo",  "",
};

hostsim::Pixel colour(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 6)) {
        case 0:
            return {255, 255, 0, 255};  // the default background scribble
        case 1:
            return {255, 254, 1, 254};  // near it
        case 2:
            return {255, 255, 0, 0};
        case 3:
            return {255, 0, 0, 255};
        case 4:
            return {0, 0, 0, 0};
        default:
            return {in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>(),
                    in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>()};
    }
}

void paintLayer(FuzzedDataProvider& in, hostsim::Host& host, int id) {
    const int w = host.width(), h = host.height();
    if (w == 0 || h == 0) return;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:  // left transparent
            return;
        case 1: {  // many distinct colours: past the label limit
            hostsim::Layer* l = host.layer(id);
            for (size_t i = 0; i + 3 < l->pixels.size(); i += 4) {
                l->pixels[i] = 255;
                l->pixels[i + 1] = static_cast<uint8_t>(i / 4);
                l->pixels[i + 2] = static_cast<uint8_t>(i / 1024);
                l->pixels[i + 3] = in.ConsumeIntegral<uint8_t>();
            }
            return;
        }
        default: {  // a few blocks of colour
            const int blocks = in.ConsumeIntegralInRange<int>(1, 8);
            for (int k = 0; k < blocks; ++k) {
                const hostsim::Pixel p = colour(in);
                const int x0 = in.ConsumeIntegralInRange<int>(0, w - 1);
                const int y0 = in.ConsumeIntegralInRange<int>(0, h - 1);
                const int x1 = in.ConsumeIntegralInRange<int>(x0, w - 1);
                const int y1 = in.ConsumeIntegralInRange<int>(y0, h - 1);
                for (int y = y0; y <= y1; ++y)
                    for (int x = x0; x <= x1; ++x) host.setPixel(id, x, y, p);
            }
            return;
        }
    }
}

// ---- invariants ----

void checkAtRest(const char* after) {
    const CDaubUtils& u = daubUtils;
    if (u.pixels || u.scribbleLabels || u.resultLabels || u.outlineGray)
        fail(std::string("a work buffer outlives ") + after);
    if (!u.colorToLabel.empty() || !u.labelToColor.empty())
        fail(std::string("a colour map outlives ") + after);
}

std::map<int, std::vector<uint8_t>> snapshot(const hostsim::Host& host) {
    std::map<int, std::vector<uint8_t>> layers;
    for (int p = 0; p < host.layerCount(); ++p) {
        const int id = host.layerIdAt(p);
        layers[id] = host.layer(id)->pixels;
    }
    return layers;
}

int changedLayers(const hostsim::Host& host, const std::map<int, std::vector<uint8_t>>& before) {
    int changed = 0;
    for (const auto& [id, pixels] : before) {
        const hostsim::Layer* l = host.layer(id);
        if (l && l->pixels != pixels) ++changed;
    }
    return changed;
}

// Layer writes asked for (a host forcing every result to 0 still does the work).
int layerWrites(const hostsim::Host& host, size_t fromCall) {
    int n = 0;
    for (size_t i = fromCall; i < host.calls().size(); ++i)
        if (host.calls()[i].command == hostsim::kCmdWriteLayer) ++n;
    return n;
}

// The front end as the module's loading leaves it.
void resetPlugin(PIFilter* filter) {
    PI_Close(filter);  // forgets both host handles
    daubUtils.done(filter);
    daubUtils.reset();
}

int64_t buttonId(FuzzedDataProvider& in) {
    static const int64_t ids[] = {11, 12, 13, 14, 15, 15, 15, 17, 0, 10, 16, -1, INT64_MAX};
    const size_t k = in.ConsumeIntegralInRange<size_t>(0, sizeof ids / sizeof ids[0]);
    return k < sizeof ids / sizeof ids[0] ? ids[k] : in.ConsumeIntegral<int64_t>();
}

void runScript(FuzzedDataProvider& in) {
    // The image.
    int w, h;
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0:
            w = h = 0;
            break;
        case 1:
            w = h = 1;
            break;
        case 2:
            w = in.ConsumeIntegralInRange<int>(0, 3);
            h = in.ConsumeIntegralInRange<int>(0, 3);
            break;
        default:
            w = in.ConsumeIntegralInRange<int>(1, 24);
            h = in.ConsumeIntegralInRange<int>(1, 24);
            break;
    }
    hostsim::Host host(w, h);
    PIFilter* filter = host.filter();
    hostDispatch = filter->dispatch;
    filter->dispatch = &hostileDispatch;
    garbleAnswers = garbleStrings = false;

    // A record whose image size disagrees with the layers, or has none at all. Sizes whose
    // buffers would be huge but allowed are left out: the run's memory is limited.
    if (in.ConsumeIntegralInRange<int>(0, 5) == 0) {
        static const int32_t dims[] = {-1, INT_MIN, 0, 1, 65536, 46341, INT_MAX, 2, 25};
        const int32_t fw = dims[in.ConsumeIntegralInRange<size_t>(0, 8)];
        const int32_t fh = dims[in.ConsumeIntegralInRange<size_t>(0, 8)];
        const int64_t count = int64_t(fw) * fh;
        if (fw <= 0 || fh <= 0 || count > INT32_MAX || count <= (1 << 20)) {
            filter->width = fw;
            filter->height = fh;
        }
    }
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
        std::memset(filter->name, 'N', sizeof filter->name);

    // Often the arrangement layer creation makes, with scribbles on the current layer, so that
    // Paints run to the end; then a few layers of any kind, or more than the table holds.
    if (in.ConsumeBool()) {
        const int below = in.ConsumeIntegralInRange<int>(0, 2);
        for (int k = 0; k < below; ++k) paintLayer(in, host, host.addLayer(layerName(in)));
        const int ink = host.addLayer("ink");
        paintLayer(in, host, ink);
        const int scribbles = host.addLayer("ink_scribbles");
        paintLayer(in, host, scribbles);
        if (in.ConsumeIntegralInRange<int>(0, 7) != 0) host.addLayer("ink_color");
        host.setCurrentLayer(scribbles);
    }
    const int layers = in.ConsumeIntegralInRange<int>(0, 15) == 0
                           ? in.ConsumeIntegralInRange<int>(250, 300)
                           : in.ConsumeIntegralInRange<int>(0, 5);
    for (int k = 0; k < layers; ++k) {
        const int id = host.addLayer(layers > 8 ? "l" + std::to_string(k) : layerName(in));
        if (layers <= 8) paintLayer(in, host, id);
    }
    if (host.layerCount() > 0 && in.ConsumeBool())
        host.setCurrentLayer(
            host.layerIdAt(in.ConsumeIntegralInRange<int>(0, host.layerCount() - 1)));

    // Settings and localised texts.
    if (in.ConsumeBool()) host.setUserString("Daubwise 1.0", "Open", hostileText(in));
    if (in.ConsumeBool()) host.setUserString("Daubwise-1.0", "bgValues", hostileText(in));
    if (in.ConsumeBool()) {
        std::map<uint32_t, std::string> texts;
        for (uint32_t id : {10013u, 10014u, 10015u, 10016u, 30000u})
            if (in.ConsumeBool()) texts[id] = hostileText(in);
        host.addLocalFile("daubwise.loc", texts);
    }

    const int steps = in.ConsumeIntegralInRange<int>(1, 40);
    for (int step = 0; step < steps && in.remaining_bytes() > 0; ++step) {
        hostsim::Faults& faults = host.faults();
        switch (in.ConsumeIntegralInRange<int>(0, 19)) {
            case 0:
                PI_Open(filter);
                checkAtRest("PI_Open");
                break;
            case 1:
                PI_Close(filter);
                break;
            case 2:
                PI_About(filter);
                break;
            case 3:
                PI_Parameters(filter, in.ConsumeBool() ? 0 : in.ConsumeIntegral<intptr_t>());
                checkAtRest("PI_Parameters");
                break;
            case 4:
            case 5:
            case 6: {  // a button
                const int64_t id = buttonId(in);
                int64_t args[16] = {id};
                const auto before = snapshot(host);
                const size_t firstCall = host.calls().size();
                PI_Msg(filter, 201, in.ConsumeIntegral<int64_t>(), args);
                checkAtRest("a button press");
                if (id != 11 && id != 12) {
                    // Only a Paint writes pixels, and only through layer writes.
                    const int changed = changedLayers(host, before);
                    const int writes = id == 15 ? layerWrites(host, firstCall) : 0;
                    if (changed > writes || changed > 1)
                        fail("button " + std::to_string(id) + " changed " +
                             std::to_string(changed) + " layers with " + std::to_string(writes) +
                             " writes");
                }
                break;
            }
            case 7: {  // the user closes the panel
                if (const hostsim::Requester* r = host.openRequester())
                    host.closeRequesterByUser(r->handle);
                int64_t args[16] = {};
                args[4] = in.ConsumeIntegral<int64_t>();
                PI_Msg(filter, 101, 0, args);
                break;
            }
            case 8: {  // any other message, with or without arguments
                int64_t args[16] = {};
                for (int64_t& a : args) a = in.ConsumeIntegral<int64_t>();
                static const int64_t msgs[] = {110, 200, 221, 0, -1, 201, 101};
                const int64_t m = msgs[in.ConsumeIntegralInRange<size_t>(0, 6)];
                const auto before = snapshot(host);
                const bool null = m != 201 && m != 101 && in.ConsumeBool();
                PI_Msg(filter, m, 0, null ? nullptr : args);
                checkAtRest("a message");
                if (m != 201 && changedLayers(host, before) != 0) fail("a message changed a layer");
                break;
            }
            case 9:
                PI_Start(filter, in.ConsumeFloatingPoint<double>(), 0.5);
                PI_Work(filter);
                PI_Finish(filter);
                break;
            case 10:
                PI_SequenceStart(filter, in.ConsumeIntegral<int32_t>());
                PI_SequenceFinish(filter);
                break;
            case 11:
            case 12: {  // the host answers a command its own way
                hostsim::AnswerOverride o;
                o.match = kVerbs[in.ConsumeIntegralInRange<size_t>(0, 15)];
                o.prefix = true;
                o.answer = hostileText(in);
                o.perform = in.ConsumeBool();
                host.overrideAnswer(o);
                break;
            }
            case 13:
                host.clearOverrides();
                break;
            case 14:
                faults.failAllLayerReads = in.ConsumeBool();
                faults.failLayerWrites = in.ConsumeBool();
                faults.failLayerReadIds.clear();
                if (host.layerCount() > 0 && in.ConsumeBool())
                    faults.failLayerReadIds.insert(
                        host.layerIdAt(in.ConsumeIntegralInRange<int>(0, host.layerCount() - 1)));
                break;
            case 15:
                faults.failOpenRequester = in.ConsumeBool();
                faults.allocBlockNull = in.ConsumeBool();
                faults.buttonImageNull = in.ConsumeBool();
                faults.missingLocalFiles = in.ConsumeBool();
                if (in.ConsumeBool())
                    faults.allocBlockSize = std::make_pair(in.ConsumeIntegralInRange<int>(-1, 200),
                                                           in.ConsumeIntegralInRange<int>(-1, 40));
                else
                    faults.allocBlockSize.reset();
                if (in.ConsumeBool())
                    faults.buttonImageSize = std::make_pair(in.ConsumeIntegralInRange<int>(-1, 200),
                                                            in.ConsumeIntegralInRange<int>(-1, 40));
                else
                    faults.buttonImageSize.reset();
                // A host that answers 0 to everything (pointers and handles included).
                if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
                    faults.forcedResult = 0;
                else
                    faults.forcedResult.reset();
                break;
            case 16:  // the user picks another layer
                if (host.layerCount() > 0)
                    host.setCurrentLayer(
                        host.layerIdAt(in.ConsumeIntegralInRange<int>(0, host.layerCount() - 1)));
                break;
            case 17: {  // the user scribbles
                const int dabs = in.ConsumeIntegralInRange<int>(1, 30);
                for (int k = 0; k < dabs && w > 0 && h > 0; ++k) {
                    if (in.ConsumeBool()) {
                        const hostsim::Pixel p = colour(in);
                        host.setPenColor(p.r, p.g, p.b);
                    }
                    host.penDab(in.ConsumeIntegralInRange<int>(0, w - 1),
                                in.ConsumeIntegralInRange<int>(0, h - 1));
                }
                break;
            }
            case 18:  // the user adds or deletes a layer
                if (in.ConsumeBool() || host.layerCount() == 0) {
                    const int id = host.addLayer(
                        layerName(in), in.ConsumeIntegralInRange<int>(-1, host.layerCount()));
                    paintLayer(in, host, id);
                } else {
                    host.removeLayer(
                        host.layerIdAt(in.ConsumeIntegralInRange<int>(0, host.layerCount() - 1)));
                }
                break;
            default:
                garbleAnswers = in.ConsumeBool();
                garbleStrings = in.ConsumeBool();
                break;
        }
    }
    garbleAnswers = garbleStrings = false;
    host.faults() = hostsim::Faults{};
    resetPlugin(filter);
    checkAtRest("the script");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    script = &in;
    runScript(in);
    script = nullptr;
    return 0;
}
