#include "hostsim/PluginModule.h"

#include <dlfcn.h>

namespace hostsim {

namespace {

template <typename Fn>
bool resolve(void* handle, const char* name, Fn& out, std::string& error) {
    dlerror();
    void* sym = dlsym(handle, name);
    if (!sym) {
        if (error.empty()) error = std::string("plug-in module lacks the entry point ") + name;
        return false;
    }
    out = reinterpret_cast<Fn>(sym);
    return true;
}

}  // namespace

PluginModule::PluginModule(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = "cannot load plug-in module " + path + ": " + (why ? why : "unknown error");
        for (char& c : error_)
            if (c == '\n') c = ' ';
        return;
    }
    bool all = true;
    all &= resolve(handle_, "PI_Open", open, error_);
    all &= resolve(handle_, "PI_Close", close, error_);
    all &= resolve(handle_, "PI_About", about, error_);
    all &= resolve(handle_, "PI_Parameters", parametersFn, error_);
    all &= resolve(handle_, "PI_Msg", msg, error_);
    all &= resolve(handle_, "PI_Start", start, error_);
    all &= resolve(handle_, "PI_Work", work, error_);
    all &= resolve(handle_, "PI_Finish", finish, error_);
    all &= resolve(handle_, "PI_SequenceStart", sequenceStart, error_);
    all &= resolve(handle_, "PI_SequenceFinish", sequenceFinish, error_);
    if (!all) {
        error_ += " (" + path + ")";
        dlclose(handle_);
        handle_ = nullptr;
        open = nullptr;
        close = nullptr;
        about = nullptr;
        parametersFn = nullptr;
        msg = nullptr;
        start = nullptr;
        work = nullptr;
        finish = nullptr;
        sequenceStart = nullptr;
        sequenceFinish = nullptr;
    }
}

PluginModule::~PluginModule() {
    if (handle_) dlclose(handle_);
}

int32_t PluginModule::message(PIFilter* f, int64_t message, int64_t arg0, int64_t arg4) {
    int64_t args[kMsgArgs] = {};
    args[0] = arg0;
    args[4] = arg4;
    return msg(f, message, 0, args);
}

}  // namespace hostsim
