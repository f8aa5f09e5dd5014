// Loads a plug-in module the way the host application does: dlopen, then the
// ten PI_ entry points looked up by their plain names.
//
//   hostsim::PluginModule module(DAUB_MODULE_PATH);
//   if (!module.ok()) { puts(module.error().c_str()); return; }
//   module.open(host.filter());
//   module.parameters(host.filter());   // opens the panel
//   module.pressButton(host.filter(), 15);
//
// The module stays loaded until the PluginModule is destroyed (dlclose).
#pragma once

#include <cstdint>
#include <string>

#include "host/PIEntry.h"
#include "host/PIFilter.h"

namespace hostsim {

// The function types come from the one declaration of the entry points, so a
// changed prototype changes these with it.
using PI_OpenFn = decltype(&PI_Open);
using PI_CloseFn = decltype(&PI_Close);
using PI_AboutFn = decltype(&PI_About);
using PI_ParametersFn = decltype(&PI_Parameters);
using PI_MsgFn = decltype(&PI_Msg);
using PI_StartFn = decltype(&PI_Start);
using PI_WorkFn = decltype(&PI_Work);
using PI_FinishFn = decltype(&PI_Finish);
using PI_SequenceStartFn = decltype(&PI_SequenceStart);
using PI_SequenceFinishFn = decltype(&PI_SequenceFinish);

// Panel messages and their argument array size.
constexpr int64_t kMsgPanelClosed = 101;
constexpr int64_t kMsgButton = 201;
constexpr int kMsgArgs = 16;

class PluginModule {
  public:
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    bool ok() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }  // one line, empty when ok

    PI_OpenFn open = nullptr;
    PI_CloseFn close = nullptr;
    PI_AboutFn about = nullptr;
    PI_ParametersFn parametersFn = nullptr;
    PI_MsgFn msg = nullptr;
    PI_StartFn start = nullptr;
    PI_WorkFn work = nullptr;
    PI_FinishFn finish = nullptr;
    PI_SequenceStartFn sequenceStart = nullptr;
    PI_SequenceFinishFn sequenceFinish = nullptr;

    // PI_Parameters(filter, 0): opens the panel.
    int32_t parameters(PIFilter* f) { return parametersFn(f, 0); }
    // PI_Msg with a zeroed argument array whose first slots are given.
    int32_t message(PIFilter* f, int64_t message, int64_t arg0 = 0, int64_t arg4 = 0);
    // A press of a panel button: message 201, args[0] = id.
    int32_t pressButton(PIFilter* f, int64_t id) { return message(f, kMsgButton, id); }
    // The user closed the panel: message 101, args[4] = reopen value.
    int32_t closePanel(PIFilter* f, int64_t reopen = 0) {
        return message(f, kMsgPanelClosed, 0, reopen);
    }

  private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace hostsim
