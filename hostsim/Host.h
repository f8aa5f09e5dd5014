// A stand-in for the painting application that hosts the plug-in.
//
// A Host owns one PIFilter record (4 KiB, zeroed) whose dispatch function
// knows every command of hostsim/Commands.h and serves requesters and their
// buttons, PIBlocks, messages, layer reads and writes, script commands, user
// strings and localisation files (the rest it records and answers 0). It
// keeps an image (a stack of layers) and records every dispatch call so that
// tests can check exactly what a plug-in asked for.
//
//   hostsim::Host host(7, 5);
//   int ink = host.addLayer("ink");
//   module.open(host.filter());                 // see PluginModule.h
//   module.pressButton(host.filter(), 11);
//   EXPECT_EQ(host.scriptCommands()[0], "om_LayerCurrentID");
//
// Ownership: the Host owns the record, the requesters, every PIBlock it hands
// out and all layer data; a plug-in only ever sees copies or host pointers.
// One thread at a time, like the real host.
//
// Layer model: positions count from 0 at the bottom of the stack; ids start
// at 1001 and are never reused, so an id is never mistaken for a position.
// Every layer is width x height layer pixels (byte 0 opacity, then red,
// green, blue).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/PIFilter.h"
#include "hostsim/Commands.h"

namespace hostsim {

// One layer pixel as stored: opacity first.
struct Pixel {
    uint8_t a = 0, r = 0, g = 0, b = 0;
    bool operator==(const Pixel& o) const { return a == o.a && r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Pixel& o) const { return !(*this == o); }
};

struct Layer {
    int id = 0;
    std::string name;
    std::string blendMode = "Normal";
    int colorTag = 0;             // last "om_layercolor set 0 N" on it
    std::vector<uint8_t> pixels;  // width x height x 4, row after row; keep that size
};

// One dispatch call as the host saw it on entry.
struct Call {
    int64_t command = 0;
    int64_t subOp = kNoSubOp;    // slot 0 of a family command, else kNoSubOp
    bool nullSlots = false;      // the slot array pointer was null
    bool known = false;          // command (and sub-op) has a row in kCommands
    std::vector<int64_t> slots;  // exactly the slots of the command's layout, slot 0 first
    std::map<int, std::string> texts;  // copies of the text arguments, by slot index
    std::vector<double> doubles;       // OMDemandDouble: the two doubles read through slots 2 and 3
    std::string answer;                // 139 with an answer buffer: the text written there
    int64_t result = 0;                // what dispatch returned

    std::string text(int slot) const {
        auto it = texts.find(slot);
        return it == texts.end() ? std::string() : it->second;
    }
    // A float argument lives in the low four bytes of its slot.
    static float slotFloat(int64_t slot);
};

struct Button {
    int id = 0;
    int x = 0, y = 0, w = 0, h = 0;
    int64_t flags = 0;
    std::string label;
    std::string help;
    PIBlock* image = nullptr;  // set by OMPutButtonImage; owned by the host
    int refreshCount = 0;      // OMRefreshButtonImage calls
};

struct Requester {
    int64_t handle = 0;
    int width = 0, height = 0;
    std::array<int64_t, 4> values{};  // the four int64 values of OMOpenFilterReqEx
    std::string title;
    std::vector<Button> buttons;
    bool open = true;  // false after OMCloseReq or closeRequesterByUser
    int toFrontCount = 0;
    const Button* button(int id) const;
};

// What tests may make the host do badly. Public fields, set directly.
struct Faults {
    bool failAllLayerReads = false;
    std::set<int> failLayerReadIds;  // reads while one of these layers is current fail
    bool failLayerWrites = false;
    bool failOpenRequester = false;  // OMOpenFilterReq(Ex)/OMOpenReq(Ex) answer 0
    bool allocBlockNull = false;     // OMAllocPIBlock answers null
    std::optional<std::pair<int, int>> allocBlockSize;  // OMAllocPIBlock gives this size instead
    bool buttonImageNull = false;                       // OMGetButtonImage answers null
    std::optional<std::pair<int, int>>
        buttonImageSize;                  // OMGetButtonImage gives a fresh block of this size
    bool missingLocalFiles = false;       // OMOpenLocalFile answers 0 for every name
    std::optional<int64_t> forcedResult;  // every dispatch returns this (after doing its work)
};

// A scripted answer to a script command: matched by exact text or by prefix.
struct AnswerOverride {
    std::string match;
    std::string answer;  // cut to 255 characters when written
    bool prefix = false;
    bool perform = true;  // also carry the command out
};

class Host {
  public:
    // An image of width x height pixels with no layer yet. Host version 6.0.
    Host(int width, int height);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    PIFilter* filter() { return filter_; }
    const PIFilter* filter() const { return filter_; }
    void setHostVersion(int major, int minor);

    // Serves one call exactly as the record's dispatch does (and records it).
    int64_t dispatch(int64_t command, int64_t* slots);
    // Sends one script command through dispatch 139 and returns the answer.
    std::string sendCommand(const std::string& command);

    // ---- image model ----
    int width() const { return width_; }
    int height() const { return height_; }
    // Adds a transparent layer at a position (-1: on top) and returns its id.
    // The first layer added becomes current.
    int addLayer(const std::string& name, int position = -1);
    bool removeLayer(int id);
    int layerCount() const { return static_cast<int>(layers_.size()); }
    int layerIdAt(int position) const;  // -1 when there is none
    int positionOf(int id) const;       // -1 when there is none
    Layer* layer(int id);
    const Layer* layer(int id) const;
    Layer* layerAtPosition(int position);
    std::vector<std::string> layerNames() const;       // bottom to top
    int currentLayerId() const { return currentId_; }  // -1 when there is none
    bool setCurrentLayer(int id);
    Pixel pixel(int id, int x, int y) const;  // transparent black outside
    bool setPixel(int id, int x, int y, Pixel p);
    void fillLayer(int id, Pixel p);

    // ---- the drawing pen ----
    std::array<int, 3> penColor() const { return pen_; }
    void setPenColor(int r, int g, int b);
    const std::string& penBrush() const { return brush_; }  // arguments of the last om_PenBrush
    // One dab of the pen on the current layer: its exact colour, fully opaque.
    bool penDab(int x, int y);

    // ---- recorder ----
    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> callsOf(int64_t command) const;
    void clearCalls() { calls_.clear(); }
    std::vector<std::string> scriptCommands() const;  // texts sent with 139, in order
    const std::vector<std::string>& warnings() const { return warnings_; }
    void setWarningSink(std::function<void(const std::string&)> sink) {
        warningSink_ = std::move(sink);
    }
    bool closeRequested() const { return closeRequests_ > 0; }
    int closeRequests() const { return closeRequests_; }
    const std::vector<std::array<int, 4>>& redraws() const { return redraws_; }
    int undoSteps() const { return undoSteps_; }

    // Records and answers every call but touches no memory behind a slot and
    // keeps no state: for testing argument packing with made-up pointers.
    void setRecordOnly(bool on) { recordOnly_ = on; }

    // ---- requesters and blocks ----
    const std::vector<Requester>& requesters() const { return requesters_; }
    const Requester* requester(int64_t handle) const;
    const Requester* openRequester() const;  // the last one still open, or null
    // The user closed the panel: the host forgets it (the plug-in hears of it
    // through PI_Msg 101, which the caller sends).
    void closeRequesterByUser(int64_t handle);
    bool ownsBlock(const PIBlock* block) const;
    size_t blockCount() const { return blocks_.size(); }

    // ---- user strings ----
    // File format: "[section]" lines, then "key=value" lines (the key runs to
    // the first '='). Values are saved with backslash, newline and carriage
    // return escaped as \\, \n and \r; on loading, a backslash takes the next
    // character as it is except n and r, and a final lone backslash stays. A
    // key holding '=' or a line break is not saved. Loading skips blank and '#'
    // lines and lines without '='; a trailing carriage return is dropped.
    std::optional<std::string> userString(const std::string& section, const std::string& key) const;
    void setUserString(const std::string& section, const std::string& key,
                       const std::string& value);
    bool loadUserStrings(const std::string& path);
    bool saveUserStrings(const std::string& path) const;
    // Loads the file when it exists and saves it after every OMWriteUserString.
    bool setUserStringFile(const std::string& path);

    // ---- localisation files ----
    // Format: one "NUMBER=text" a line (NUMBER decimal, 0 to 4294967295; the
    // text runs to the end of the line); blank lines and lines starting with
    // '#' are skipped, malformed lines ignored.
    static std::map<uint32_t, std::string> parseLocalText(const std::string& text);
    void addLocalFile(const std::string& name, std::map<uint32_t, std::string> strings);
    void addLocalFileText(const std::string& name, const std::string& text);
    void setLocalFilePath(const std::string& name, const std::string& path);  // read when opened
    void setLocalDir(const std::string& dir);  // other names are looked up as dir/name
    int openLocalFileCount() const;

    // ---- script answers and faults ----
    void overrideAnswer(AnswerOverride o) { overrides_.push_back(std::move(o)); }
    void clearOverrides() { overrides_.clear(); }
    Faults& faults() { return faults_; }

  private:
    struct OwnedBlock;
    struct LocalFile {
        int64_t handle;
        std::map<uint32_t, std::string> strings;
        bool open;
    };

    // One serving function a job, each in the file of that job.
    int64_t serve(Call& call, int64_t* slots);
    int64_t serveRequester(Call& call, int64_t* slots);  // requesters and blocks
    int64_t serveReqOp(Call& call, int64_t* slots);      // the requester family
    int64_t serveScript(Call& call, int64_t* slots);
    int64_t serveUserString(Call& call, int64_t* slots);
    int64_t serveLocalFile(Call& call, int64_t* slots);
    std::string runScript(const std::string& command, int64_t& result);
    int64_t readLayer(const int64_t* s, bool write);
    Requester* findRequester(int64_t handle);
    PIBlock* newBlock(int64_t w, int64_t h);
    void drawLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, Pixel p);
    Layer* current();
    size_t layerBytes() const;

    PIFilter* filter_ = nullptr;
    std::unique_ptr<uint8_t[]> record_;
    int width_, height_;
    std::vector<Layer> layers_;  // index = position
    int currentId_ = -1;
    int nextId_ = 1001;
    std::array<int, 3> pen_{0, 0, 0};
    std::string brush_;
    std::vector<Call> calls_;
    std::vector<std::string> warnings_;
    std::function<void(const std::string&)> warningSink_;
    int closeRequests_ = 0;
    std::vector<std::array<int, 4>> redraws_;
    int undoSteps_ = 0;
    bool recordOnly_ = false;
    std::vector<Requester> requesters_;
    int64_t nextHandle_ = 0x5EC0001;
    std::vector<std::unique_ptr<OwnedBlock>> blocks_;
    std::map<std::pair<std::string, std::string>, std::string> userStrings_;
    std::string userStringFile_;
    std::map<std::string, std::map<uint32_t, std::string>> memLocal_;
    std::map<std::string, std::string> localPaths_;
    std::string localDir_;
    std::deque<LocalFile> localFiles_;  // a deque: texts handed out never move
    int64_t nextLocalHandle_ = 0x10C0001;
    std::vector<AnswerOverride> overrides_;
    Faults faults_;
};

}  // namespace hostsim
