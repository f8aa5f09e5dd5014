// The entry points the host calls, the panel, and the "Open" setting.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/PIEntry.h"
#include "host/PIFilter.h"
#include "host/om_core.h"
#include "plugin/CDaubUtils.h"
#include "plugin/logo.h"
#include "plugin/scan.h"

namespace {

// Data[0]: the open panel, null while none is open. Data[1]: the localisation file, or null.
void* Data[2] = {nullptr, nullptr};

const char* const kName = "Daubwise 1.0";

const char* GetLocalString(PIFilter* filter, int32_t id, const char* fallback) {
    if (Data[1] == nullptr) return fallback;
    const char* s = OMGetLocalString(filter, Data[1], static_cast<uint32_t>(id));
    if (s == nullptr || s[0] == '\0') return fallback;
    return s;
}

struct TextButton {
    int32_t id;
    int32_t labelId;
    const char* label;
    int32_t helpId;
    const char* help;
};

const TextButton kButtons[5] = {
    {11, 10015, "Create Layers (w/o BG)", 10016,
     "Creates two layers for scribbles and final colors"},
    {12, 10015, "Create Layers (with BG)", 10016,
     "Creates two layers for scribbles and final colors"},
    {13, 10015, "Set FG Scribble", 10016,
     "Sets the current tool to a pen suitable for FG scribbles. Do not turn Antialiasing on!"},
    {14, 10013, "Set BG Scribble", 10014, "Paints a transparent scribble for background"},
    {15, 10015, "Paint", 10016, "Paints the color layer using the scribbles layer"},
};

int buttonPressed(PIFilter* filter, int64_t id) {
    switch (id) {
        case 11:
        case 12:
            if (daubUtils.createLayers(filter, id == 12 ? 1 : 0) != 0) return 1;
            OMWarning(filter, "Scribble/color layers already exist!");
            return 0;
        case 13:
        case 14:
        case 15:
            if (daubUtils.validateSelectedLayer(filter, true) == 0) return 0;
            if (id == 13) {
                daubUtils.setFGPen(filter);
            } else if (id == 14) {
                daubUtils.setBGPen(filter);
            } else {
                daubUtils.paint(filter);  // it reports its own failures
            }
            return 1;
        default:
            OMCloseFunction(filter);
            return 1;
    }
}

}  // namespace

OM_EXPORT int32_t PI_Open(PIFilter* filter) {
    Data[1] = OMOpenLocalFile(filter, "daubwise.loc", 0);
    std::memcpy(filter->name, kName, std::strlen(kName) + 1);
    filter->version = 1;
    filter->revision = 1;

    char open[255];
    std::memset(open, 0, sizeof open);
    OMReadUserString(filter, filter->name, "Open", open, "0", sizeof open);
    open[sizeof open - 1] = '\0';
    if (daub::readInt(open) != 0) PI_Parameters(filter, 0);

    daubUtils.readBGScribbleValues(filter);
    return 1;
}

OM_EXPORT void PI_Close(PIFilter* filter) {
    if (Data[1] != nullptr) OMCloseLocalFile(filter, Data[1]);
    if (Data[0] != nullptr) OMCloseReq(filter, Data[0]);
    // Both handles are gone now; a later PI_Parameters must not raise a closed panel.
    Data[0] = nullptr;
    Data[1] = nullptr;
}

OM_EXPORT void PI_About(PIFilter* filter) {
    char text[256];
    // Bounded by the field: the name is the host's memory as much as ours.
    std::snprintf(text, sizeof text, "%.*s %d,%d", static_cast<int>(sizeof filter->name),
                  filter->name, filter->version, filter->revision);
    OMWarning(filter, text);
}

OM_EXPORT int32_t PI_Parameters(PIFilter* filter, intptr_t arg) {
    if (arg != 0) return 1;
    if (Data[0] != nullptr) {
        OMReqToFront(filter, Data[0]);
        return 1;
    }
    void* req = OMOpenFilterReqEx(filter, 200, 131, 0, 0, 0, 8);
    if (req == nullptr) {
        OMWarning(filter, GetLocalString(filter, 30000, "Can't Open Requester !"));
        return 0;
    }
    Data[0] = req;
    OMSetReqTitle(filter, req, "");

    int32_t y = 0;
    OMAddButtonReq(filter, req, 8, y, daub::kLogoWidth, daub::kLogoHeight, 17, 0x200, "");
    PIBlock* block = OMAllocPIBlock(filter, daub::kLogoWidth, daub::kLogoHeight, 0);
    OMPutButtonImage(filter, req, 17, block, 0);
    PIBlock* img = OMGetButtonImage(filter, req, 17, 0);
    if (img != nullptr) {
        daub::paintLogo(img);
        OMRefreshButtonImage(filter, req, 17, 0, 0, img->width, img->height);
    }

    y += 45;
    for (const TextButton& b : kButtons) {
        const char* label = GetLocalString(filter, b.labelId, b.label);
        OMAddButtonReq(filter, req, 9, y, 181, 0, b.id, 0x2001, label);
        const char* help = GetLocalString(filter, b.helpId, b.help);
        OMSetButtonInfoText(filter, req, b.id, help);
        y += 20;
    }
    return 1;
}

OM_EXPORT int32_t PI_Msg(PIFilter* filter, int64_t message, int64_t /*unread*/, int64_t* args) {
    try {
        if (message == 101) {
            // The host closed the panel itself: forget it, remember whether it was open.
            Data[0] = nullptr;
            char text[16];
            std::snprintf(text, sizeof text, "%d",
                          static_cast<int32_t>(args != nullptr ? args[4] : 0));
            OMWriteUserString(filter, filter->name, "Open", text);
            return 1;
        }
        if (message == 201) return buttonPressed(filter, args != nullptr ? args[0] : 0);
        return 1;
    } catch (...) {
        // Nothing may unwind into the host; a Paint cut short still releases its buffers.
        daubUtils.done(filter);
        return 1;
    }
}

OM_EXPORT int32_t PI_Start(PIFilter* /*filter*/, double /*a*/, double /*b*/) {
    return 1;
}

OM_EXPORT int32_t PI_Work(PIFilter* filter) {
    OMUpdateDisplay(filter, filter->updateRect[0], filter->updateRect[1], filter->updateRect[2],
                    filter->updateRect[3]);
    return 1;
}

OM_EXPORT void PI_Finish(PIFilter* /*filter*/) {}

OM_EXPORT int32_t PI_SequenceStart(PIFilter* filter, int32_t length) {
    if (length == 1) return 1;
    OMWarning(filter, "Sequences not yet supported :(");
    return 0;
}

OM_EXPORT void PI_SequenceFinish(PIFilter* /*filter*/) {}
