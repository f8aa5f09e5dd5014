// The module's dynamic symbol table: every PI_ entry point and OM glue
// function of the system, and nothing else of its own (no C++ names leaking
// through a visibility or version-script slip).
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kEntryPoints[] = {
    "PI_Open",  "PI_Close", "PI_About",  "PI_Parameters",    "PI_Msg",
    "PI_Start", "PI_Work",  "PI_Finish", "PI_SequenceStart", "PI_SequenceFinish",
};

// clang-format off
const char* const kGlue[] = {
    "OMAADrawReq", "OMAddButtonReq", "OMAddDisplayDevice", "OMAddSliderReq", "OMAddTabs",
    "OMAddVideoButton", "OMAddVideoDevice", "OMAllocFileReq", "OMAllocKeys", "OMAllocPIBlock",
    "OMAllocProfile", "OMBlockBlur", "OMBlockStretch", "OMChangeButtonFlags", "OMChangeButtonName",
    "OMChangeButtonReq", "OMChangeSliderReq", "OMChangeTabs", "OMCloseFunction", "OMCloseLocalFile",
    "OMCloseReq", "OMCloseStringFile", "OMColorBlend", "OMColorBlendMode", "OMCompassChange",
    "OMCompassClose", "OMCompassOpen", "OMCreateFilterAlias", "OMDDBlit", "OMDemand",
    "OMDemandDouble", "OMDemandInt", "OMDemandText", "OMDisplayReq", "OMEnumDisplayDevice",
    "OMEnumVideoDevice", "OMEraseFileSection", "OMEraseProjectSection", "OMEraseUserSection",
    "OMExecute", "OMFreeFileReq", "OMFreePIBlock", "OMGetButtonImage", "OMGetButtonString",
    "OMGetImageID", "OMGetLocalString", "OMGrabCoords", "OMGrabTicks", "OMHudHandle", "OMHudImage",
    "OMHudLine", "OMHudRedraw", "OMHudSpline", "OMHudText", "OMInfoReq", "OMInstallFunction",
    "OMLoadReqState", "OMLockDisplayDevice", "OMMakeBrush", "OMMakeDisplayImage", "OMMakeRGBAPixel",
    "OMMoveReq", "OMOpenFileReq", "OMOpenFilterReq", "OMOpenFilterReqEx", "OMOpenImageSequence",
    "OMOpenLocalFile", "OMOpenPIFont", "OMOpenReq", "OMOpenReqEx", "OMOpenStringFile", "OMPackRLE",
    "OMPickColor", "OMPopup", "OMPreviewHandle", "OMPreviewLine", "OMPreviewText",
    "OMPutButtonImage", "OMPutButtonString", "OMPutButtonStringUnit", "OMRGBAPremultiply",
    "OMRGBAToYUV", "OMRGBAUnmultiply", "OMReadImage", "OMReadLayerData", "OMReadProjectImage",
    "OMReadProjectString", "OMReadReqData", "OMReadStringFile", "OMReadUserString",
    "OMRectangleReq", "OMRefreshButtonImage", "OMRemoveButtonReq", "OMReqToBack", "OMReqToFront",
    "OMResizeReq", "OMRunMultiThread", "OMSaveReqState", "OMSendCmd", "OMSetButtonInfoText",
    "OMSetReqTitle", "OMTextBlock", "OMTextLength", "OMTextReq", "OMTextReqClip",
    "OMUnlockDisplayDevice", "OMUnpackRLE", "OMUpdateDisplay", "OMWarning", "OMWorkOff", "OMWorkOn",
    "OMWorkTrace", "OMWrapPIBlock", "OMWrapPIBlockMode", "OMWriteLayerData", "OMWriteProjectString",
    "OMWriteReqData", "OMWriteStringFile", "OMWriteUserString", "OMYUVToRGBA",
};
// clang-format on

// Names of the symbols the module defines itself (imports are left out).
// Reads the ELF64 section headers directly: no tool needed, nothing guessed.
bool definedDynamicSymbols(const std::string& path, std::set<std::string>& out, std::string& why) {
    auto fail = [&](const std::string& reason) {
        why = reason;
        return false;
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("cannot open " + path);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
    auto fits = [&](uint64_t off, uint64_t size) {
        return off <= file.size() && size <= file.size() - off;
    };
    Elf64_Ehdr eh;
    if (!fits(0, sizeof eh)) return fail("too short");
    std::memcpy(&eh, file.data(), sizeof eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64)
        return fail("not an ELF64 file");
    if (eh.e_shentsize != sizeof(Elf64_Shdr) ||
        !fits(eh.e_shoff, uint64_t(eh.e_shnum) * sizeof(Elf64_Shdr)))
        return fail("bad section headers");
    std::vector<Elf64_Shdr> sections(eh.e_shnum);
    std::memcpy(sections.data(), file.data() + eh.e_shoff, eh.e_shnum * sizeof(Elf64_Shdr));
    for (const Elf64_Shdr& sh : sections) {
        if (sh.sh_type != SHT_DYNSYM) continue;
        if (sh.sh_link >= sections.size() || sh.sh_entsize != sizeof(Elf64_Sym) ||
            !fits(sh.sh_offset, sh.sh_size))
            return fail("bad .dynsym");
        const Elf64_Shdr& strtab = sections[sh.sh_link];
        if (!fits(strtab.sh_offset, strtab.sh_size)) return fail("bad .dynstr");
        const char* strings = file.data() + strtab.sh_offset;
        for (uint64_t i = 1; i < sh.sh_size / sizeof(Elf64_Sym); ++i) {
            Elf64_Sym sym;
            std::memcpy(&sym, file.data() + sh.sh_offset + i * sizeof sym, sizeof sym);
            if (sym.st_shndx == SHN_UNDEF || sym.st_name >= strtab.sh_size) continue;
            const int type = ELF64_ST_TYPE(sym.st_info);
            if (type == STT_SECTION || type == STT_FILE) continue;
            out.insert(std::string(strings + sym.st_name,
                                   strnlen(strings + sym.st_name, strtab.sh_size - sym.st_name)));
        }
        return true;
    }
    return fail("no .dynsym");
}

TEST(ModuleExports, ExactlyTheSystemsEntryPointsAndGlue) {
#ifndef DAUB_MODULE_PATH
    GTEST_SKIP() << "the plug-in module is not built";
#else
    std::set<std::string> want(std::begin(kEntryPoints), std::end(kEntryPoints));
    want.insert(std::begin(kGlue), std::end(kGlue));
    ASSERT_EQ(std::size(kEntryPoints), 10u);
    ASSERT_EQ(std::size(kGlue), 120u);
    ASSERT_EQ(want.size(), 130u) << "a name listed twice";

    std::set<std::string> got;
    std::string why;
    ASSERT_TRUE(definedDynamicSymbols(DAUB_MODULE_PATH, got, why)) << why;
    for (const std::string& name : want) EXPECT_TRUE(got.count(name)) << "not exported: " << name;
    for (const std::string& name : got) {
        EXPECT_TRUE(want.count(name)) << "exported but not part of the interface: " << name;
        EXPECT_NE(name.rfind("_Z", 0), 0u) << "a C++ name: " << name;
    }
#endif
}

}  // namespace
