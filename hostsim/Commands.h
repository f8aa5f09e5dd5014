// Every dispatch command the stand-in host knows, in one table: the command
// number, the sub-operation code of a family (which puts it in slot 0), how
// many slots the host reads and which of them hold texts it reads and copies
// into the recording. Texts of the services it only records stay unmarked, so
// a test's made-up pointer there is never followed. The host's dispatch, its
// recorder test and the plug-in fuzzer all take layouts and names from here.
//
//   using namespace hostsim;
//   const CommandLayout* l = findLayout(kCmdReq, kOpSetReqTitle);
//   // l->slots == 6, l->isText(2), l->glue == "OMSetReqTitle"
//
// A host reads no slot beyond a layout's count: the glue's slot arrays are
// exactly that long. The glue tests (tests/support/GlueTable.h) state the same
// layouts independently, from the glue's side, and run them through this host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace hostsim {

// Command numbers, mostly named after the glue function that sends them. A
// pair that shares a number (the longer form fills slots the shorter leaves
// zero) has one name; a family has one name and a sub-operation code per
// member.
enum Command : int64_t {
    // The front end's services.
    kCmdWarning = 134,
    kCmdUpdateDisplay = 138,
    kCmdSendCmd = 139,
    kCmdReadLayer = 140,
    kCmdWriteLayer = 141,
    kCmdCloseReq = 229,
    kCmdReq = 230,  // requester family: ReqOp in slot 0
    kCmdOpenFilterReq = 234,
    kCmdCloseFunction = 329,
    kCmdWriteUserString = 728,
    kCmdReadUserString = 729,
    kCmdAllocPIBlock = 838,
    kCmdRunMultiThread = 968,
    kCmdOpenLocalFile = 1228,
    kCmdCloseLocalFile = 1229,
    kCmdGetLocalString = 1230,
    // Requesters.
    kCmdOpenReq = 228,
    kCmdReadReqData = 231,
    kCmdWriteReqData = 232,
    kCmdOpenReqEx = 233,
    kCmdPopup = 528,
    // Images, blocks and pixels.
    kCmdMakeBrush = 142,
    kCmdPackRLE = 428,
    kCmdUnpackRLE = 429,
    kCmdColorBlend = 628,
    kCmdColorBlendMode = 629,
    kCmdMakeDisplayImage = 778,
    kCmdReadProjectImage = 779,
    kCmdReadImage = 828,
    kCmdFreePIBlock = 839,
    kCmdWrapPIBlock = 958,
    kCmdBlock = 1628,  // BlockOp in slot 0
    kCmdOpenPIFont = 1638,
    kCmdPixels = 1648,  // PixelOp in slot 0
    kCmdDDBlit = 1658,
    kCmdOpenImageSequence = 1668,
    kCmdAllocProfile = 1678,
    kCmdPickColor = 1698,
    // Requests, string stores, files and devices.
    kCmdExecute = 130,
    kCmdWorkOn = 131,
    kCmdWorkTrace = 132,
    kCmdWorkOff = 133,
    kCmdDemand = 135,
    kCmdDemandInt = 136,
    kCmdDemandText = 137,
    kCmdDemandDouble = 145,
    kCmdInstallFunction = 328,
    kCmdEraseUserSection = 730,
    kCmdWriteProjectString = 733,
    kCmdReadProjectString = 734,
    kCmdEraseProjectSection = 735,
    kCmdOpenStringFile = 738,
    kCmdCloseStringFile = 739,
    kCmdReadStringFile = 740,
    kCmdWriteStringFile = 741,
    kCmdEraseFileSection = 742,
    kCmdAllocFileReq = 928,
    kCmdFreeFileReq = 929,
    kCmdOpenFileReq = 930,
    kCmdCreateFilterAlias = 948,
    kCmdAddDisplayDevice = 1128,
    kCmdEnumDisplayDevice = 1129,
    kCmdLockDisplayDevice = 1130,
    kCmdUnlockDisplayDevice = 1131,
    kCmdTextBlock = 1328,
    kCmdAllocKeys = 1428,
    kCmdAddVideoDevice = 1528,
    kCmdEnumVideoDevice = 1529,
    kCmdGetImageID = 1708,
    // HUD and preview drawing.
    kCmdPreviewLine = 143,
    kCmdPreviewHandle = 144,
    kCmdPreviewText = 146,
    kCmdHud = 1688,  // HudOp in slot 0
};

enum ReqOp : int64_t {
    kOpInfoReq = 1,
    kOpSetReqTitle = 2,
    kOpReqToFront = 3,
    kOpReqToBack = 4,
    kOpMoveReq = 5,
    kOpResizeReq = 6,
    kOpAddButtonReq = 10,
    kOpRemoveButtonReq = 11,
    kOpChangeButtonReq = 12,
    kOpSetButtonInfoText = 13,
    kOpTextReq = 20,
    kOpRectangleReq = 21,
    kOpAADrawReq = 22,
    kOpGetButtonString = 24,
    kOpPutButtonString = 25,
    kOpGrabCoords = 26,
    kOpTextReqClip = 27,
    kOpGrabTicks = 28,
    kOpTextLength = 29,
    kOpPutButtonStringUnit = 30,
    kOpPutButtonImage = 31,
    kOpAddSliderReq = 32,
    kOpChangeSliderReq = 33,
    kOpChangeButtonName = 34,
    kOpChangeButtonFlags = 35,
    kOpAddTabs = 36,
    kOpChangeTabs = 37,
    kOpGetButtonImage = 38,
    kOpRefreshButtonImage = 39,
    kOpCompassOpen = 40,
    kOpCompassChange = 41,
    kOpCompassClose = 42,
    kOpAddVideoButton = 43,
    kOpSaveReqState = 44,
    kOpLoadReqState = 45,
    kOpDisplayReq = 46,
};

enum BlockOp : int64_t { kOpBlockStretch = 1, kOpBlockBlur = 2 };

enum PixelOp : int64_t {
    kOpRGBAToYUV = 1,
    kOpYUVToRGBA = 2,
    kOpRGBAUnmultiply = 3,
    kOpRGBAPremultiply = 4,
};

enum HudOp : int64_t {
    kOpHudRedraw = 0,
    kOpHudLine = 1,
    kOpHudSpline = 2,
    kOpHudText = 3,
    kOpHudHandle = 4,
    kOpHudImage = 5,
};

constexpr int64_t kNoSubOp = -1;

struct CommandLayout {
    int64_t command;
    int64_t subOp;     // kNoSubOp outside a family
    int slots;         // slots the host reads, slot 0 first
    uint32_t texts;    // bit k: slot k holds a text the host copies (Call::texts)
    const char* glue;  // the glue function that sends it

    constexpr bool isText(int slot) const {
        return slot >= 0 && slot < slots && ((texts >> slot) & 1u) != 0;
    }
};

// The text-slot mask of a row: textAt(0, 1, 3).
template <class... Slot>
constexpr uint32_t textAt(Slot... slot) {
    return (0u | ... | (1u << slot));
}

inline constexpr CommandLayout kCommands[] = {
    // The front end's services. OMOpenFilterReq sends 234 too, its last slots zero.
    {kCmdOpenFilterReq, kNoSubOp, 9, 0, "OMOpenFilterReqEx"},
    {kCmdCloseReq, kNoSubOp, 1, 0, "OMCloseReq"},
    {kCmdReq, kOpSetReqTitle, 6, textAt(2), "OMSetReqTitle"},
    {kCmdReq, kOpAddButtonReq, 9, textAt(8), "OMAddButtonReq"},
    {kCmdReq, kOpReqToFront, 2, 0, "OMReqToFront"},
    {kCmdReq, kOpSetButtonInfoText, 4, textAt(3), "OMSetButtonInfoText"},
    {kCmdReq, kOpPutButtonImage, 11, 0, "OMPutButtonImage"},
    {kCmdReq, kOpGetButtonImage, 11, 0, "OMGetButtonImage"},
    {kCmdReq, kOpRefreshButtonImage, 11, 0, "OMRefreshButtonImage"},
    {kCmdAllocPIBlock, kNoSubOp, 8, 0, "OMAllocPIBlock"},
    {kCmdWarning, kNoSubOp, 1, textAt(0), "OMWarning"},
    {kCmdUpdateDisplay, kNoSubOp, 4, 0, "OMUpdateDisplay"},
    {kCmdSendCmd, kNoSubOp, 2, textAt(0), "OMSendCmd"},
    {kCmdReadLayer, kNoSubOp, 7, 0, "OMReadLayerData"},
    {kCmdWriteLayer, kNoSubOp, 7, 0, "OMWriteLayerData"},
    {kCmdCloseFunction, kNoSubOp, 3, 0, "OMCloseFunction"},
    {kCmdWriteUserString, kNoSubOp, 5, textAt(0, 1, 2), "OMWriteUserString"},
    {kCmdReadUserString, kNoSubOp, 5, textAt(0, 1, 3), "OMReadUserString"},
    {kCmdOpenLocalFile, kNoSubOp, 8, textAt(0), "OMOpenLocalFile"},
    {kCmdCloseLocalFile, kNoSubOp, 8, 0, "OMCloseLocalFile"},
    {kCmdGetLocalString, kNoSubOp, 8, 0, "OMGetLocalString"},
    {kCmdRunMultiThread, kNoSubOp, 8, 0, "OMRunMultiThread"},
    // Requesters and widgets.
    {kCmdReq, kOpInfoReq, 6, 0, "OMInfoReq"},
    {kCmdReq, kOpReqToBack, 2, 0, "OMReqToBack"},
    {kCmdReq, kOpMoveReq, 4, 0, "OMMoveReq"},
    {kCmdReq, kOpResizeReq, 7, 0, "OMResizeReq"},
    {kCmdReq, kOpRemoveButtonReq, 3, 0, "OMRemoveButtonReq"},
    {kCmdReq, kOpChangeButtonReq, 5, 0, "OMChangeButtonReq"},
    {kCmdReq, kOpTextReq, 8, 0, "OMTextReq"},
    {kCmdReq, kOpRectangleReq, 8, 0, "OMRectangleReq"},
    {kCmdReq, kOpAADrawReq, 14, 0, "OMAADrawReq"},
    {kCmdReq, kOpGetButtonString, 5, 0, "OMGetButtonString"},
    {kCmdReq, kOpPutButtonString, 5, 0, "OMPutButtonString"},
    {kCmdReq, kOpGrabCoords, 5, 0, "OMGrabCoords"},
    {kCmdReq, kOpTextReqClip, 12, 0, "OMTextReqClip"},
    {kCmdReq, kOpGrabTicks, 5, 0, "OMGrabTicks"},
    {kCmdReq, kOpTextLength, 8, 0, "OMTextLength"},
    {kCmdReq, kOpPutButtonStringUnit, 5, 0, "OMPutButtonStringUnit"},
    {kCmdReq, kOpAddSliderReq, 19, 0, "OMAddSliderReq"},
    {kCmdReq, kOpChangeSliderReq, 16, 0, "OMChangeSliderReq"},
    {kCmdReq, kOpChangeButtonName, 5, 0, "OMChangeButtonName"},
    {kCmdReq, kOpChangeButtonFlags, 5, 0, "OMChangeButtonFlags"},
    {kCmdReq, kOpAddTabs, 14, 0, "OMAddTabs"},
    {kCmdReq, kOpChangeTabs, 8, 0, "OMChangeTabs"},
    {kCmdReq, kOpCompassOpen, 8, 0, "OMCompassOpen"},
    {kCmdReq, kOpCompassChange, 8, 0, "OMCompassChange"},
    {kCmdReq, kOpCompassClose, 8, 0, "OMCompassClose"},
    {kCmdReq, kOpAddVideoButton, 10, 0, "OMAddVideoButton"},
    {kCmdReq, kOpSaveReqState, 6, 0, "OMSaveReqState"},
    {kCmdReq, kOpLoadReqState, 6, 0, "OMLoadReqState"},
    {kCmdReq, kOpDisplayReq, 6, 0, "OMDisplayReq"},
    {kCmdOpenReq, kNoSubOp, 6, 0, "OMOpenReq"},
    {kCmdOpenReqEx, kNoSubOp, 11, 0, "OMOpenReqEx"},
    {kCmdReadReqData, kNoSubOp, 7, 0, "OMReadReqData"},
    {kCmdWriteReqData, kNoSubOp, 7, 0, "OMWriteReqData"},
    {kCmdPopup, kNoSubOp, 3, 0, "OMPopup"},
    // Images, blocks and pixels. OMWrapPIBlock sends 958 too, its last slots zero.
    {kCmdMakeBrush, kNoSubOp, 7, 0, "OMMakeBrush"},
    {kCmdPackRLE, kNoSubOp, 3, 0, "OMPackRLE"},
    {kCmdUnpackRLE, kNoSubOp, 3, 0, "OMUnpackRLE"},
    {kCmdColorBlend, kNoSubOp, 10, 0, "OMColorBlend"},
    {kCmdColorBlendMode, kNoSubOp, 7, 0, "OMColorBlendMode"},
    {kCmdMakeDisplayImage, kNoSubOp, 5, 0, "OMMakeDisplayImage"},
    {kCmdReadProjectImage, kNoSubOp, 8, 0, "OMReadProjectImage"},
    {kCmdReadImage, kNoSubOp, 8, 0, "OMReadImage"},
    {kCmdOpenImageSequence, kNoSubOp, 8, 0, "OMOpenImageSequence"},
    {kCmdAllocProfile, kNoSubOp, 8, 0, "OMAllocProfile"},
    {kCmdPickColor, kNoSubOp, 8, 0, "OMPickColor"},
    {kCmdFreePIBlock, kNoSubOp, 8, 0, "OMFreePIBlock"},
    {kCmdWrapPIBlock, kNoSubOp, 16, 0, "OMWrapPIBlockMode"},
    {kCmdBlock, kOpBlockStretch, 9, 0, "OMBlockStretch"},
    {kCmdBlock, kOpBlockBlur, 9, 0, "OMBlockBlur"},
    {kCmdOpenPIFont, kNoSubOp, 9, 0, "OMOpenPIFont"},
    {kCmdPixels, kOpRGBAToYUV, 9, 0, "OMRGBAToYUV"},
    {kCmdPixels, kOpYUVToRGBA, 9, 0, "OMYUVToRGBA"},
    {kCmdPixels, kOpRGBAUnmultiply, 9, 0, "OMRGBAUnmultiply"},
    {kCmdPixels, kOpRGBAPremultiply, 9, 0, "OMRGBAPremultiply"},
    {kCmdDDBlit, kNoSubOp, 11, 0, "OMDDBlit"},
    // Requests, string stores, files and devices. OMWorkOff sends a null slot array.
    {kCmdExecute, kNoSubOp, 3, 0, "OMExecute"},
    {kCmdWorkOn, kNoSubOp, 1, 0, "OMWorkOn"},
    {kCmdWorkTrace, kNoSubOp, 2, 0, "OMWorkTrace"},
    {kCmdWorkOff, kNoSubOp, 0, 0, "OMWorkOff"},
    {kCmdDemand, kNoSubOp, 3, 0, "OMDemand"},
    {kCmdDemandInt, kNoSubOp, 4, 0, "OMDemandInt"},
    {kCmdDemandText, kNoSubOp, 3, 0, "OMDemandText"},
    {kCmdDemandDouble, kNoSubOp, 6, 0, "OMDemandDouble"},
    {kCmdInstallFunction, kNoSubOp, 3, 0, "OMInstallFunction"},
    {kCmdEraseUserSection, kNoSubOp, 5, 0, "OMEraseUserSection"},
    {kCmdWriteProjectString, kNoSubOp, 5, 0, "OMWriteProjectString"},
    {kCmdReadProjectString, kNoSubOp, 5, 0, "OMReadProjectString"},
    {kCmdEraseProjectSection, kNoSubOp, 5, 0, "OMEraseProjectSection"},
    {kCmdOpenStringFile, kNoSubOp, 6, 0, "OMOpenStringFile"},
    {kCmdCloseStringFile, kNoSubOp, 6, 0, "OMCloseStringFile"},
    {kCmdReadStringFile, kNoSubOp, 8, 0, "OMReadStringFile"},
    {kCmdWriteStringFile, kNoSubOp, 9, 0, "OMWriteStringFile"},
    {kCmdEraseFileSection, kNoSubOp, 8, 0, "OMEraseFileSection"},
    {kCmdAllocFileReq, kNoSubOp, 8, 0, "OMAllocFileReq"},
    {kCmdFreeFileReq, kNoSubOp, 8, 0, "OMFreeFileReq"},
    {kCmdOpenFileReq, kNoSubOp, 8, 0, "OMOpenFileReq"},
    {kCmdCreateFilterAlias, kNoSubOp, 6, 0, "OMCreateFilterAlias"},
    {kCmdAddDisplayDevice, kNoSubOp, 8, 0, "OMAddDisplayDevice"},
    {kCmdEnumDisplayDevice, kNoSubOp, 8, 0, "OMEnumDisplayDevice"},
    {kCmdLockDisplayDevice, kNoSubOp, 8, 0, "OMLockDisplayDevice"},
    {kCmdUnlockDisplayDevice, kNoSubOp, 8, 0, "OMUnlockDisplayDevice"},
    {kCmdAddVideoDevice, kNoSubOp, 8, 0, "OMAddVideoDevice"},
    {kCmdEnumVideoDevice, kNoSubOp, 8, 0, "OMEnumVideoDevice"},
    {kCmdTextBlock, kNoSubOp, 8, 0, "OMTextBlock"},
    {kCmdAllocKeys, kNoSubOp, 8, 0, "OMAllocKeys"},
    {kCmdGetImageID, kNoSubOp, 8, 0, "OMGetImageID"},
    // HUD and preview drawing.
    {kCmdHud, kOpHudRedraw, 8, 0, "OMHudRedraw"},
    {kCmdHud, kOpHudLine, 8, 0, "OMHudLine"},
    {kCmdHud, kOpHudSpline, 10, 0, "OMHudSpline"},
    {kCmdHud, kOpHudText, 9, 0, "OMHudText"},
    {kCmdHud, kOpHudHandle, 9, 0, "OMHudHandle"},
    {kCmdHud, kOpHudImage, 12, 0, "OMHudImage"},
    {kCmdPreviewLine, kNoSubOp, 9, 0, "OMPreviewLine"},
    {kCmdPreviewHandle, kNoSubOp, 9, 0, "OMPreviewHandle"},
    {kCmdPreviewText, kNoSubOp, 9, 0, "OMPreviewText"},
};

// A family takes its sub-operation code from slot 0.
constexpr bool isFamily(int64_t command) {
    for (const CommandLayout& l : kCommands)
        if (l.command == command && l.subOp != kNoSubOp) return true;
    return false;
}

// The row of a command (subOp: kNoSubOp outside a family), or null when the
// host does not know it.
constexpr const CommandLayout* findLayout(int64_t command, int64_t subOp) {
    for (const CommandLayout& l : kCommands)
        if (l.command == command && l.subOp == subOp) return &l;
    return nullptr;
}

namespace detail {

// Each (command, sub-operation) once; a command is a family in every row or
// has a single row; texts only in slots the host reads.
constexpr bool tableIsSound() {
    for (size_t i = 0; i < std::size(kCommands); ++i) {
        const CommandLayout& a = kCommands[i];
        if (a.slots < 0 || a.slots > 32 || (a.slots < 32 && (a.texts >> a.slots) != 0))
            return false;
        for (size_t j = i + 1; j < std::size(kCommands); ++j) {
            const CommandLayout& b = kCommands[j];
            if (a.command != b.command) continue;
            if (a.subOp == b.subOp || a.subOp == kNoSubOp || b.subOp == kNoSubOp) return false;
        }
    }
    return true;
}

}  // namespace detail

static_assert(detail::tableIsSound(),
              "a command row twice, a family mixed, or a text past the layout");

}  // namespace hostsim
