#include "lib/module_loader.h"

#include <dlfcn.h>

namespace quorvel::host {

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        throw ModuleLoadError("cannot load module " + path + ": " + (why ? why : "unknown reason"));
    }
    dlerror();
    void* symbol = dlsym(handle_, "talk");
    if (symbol == nullptr) {
        const char* why = dlerror();
        std::string reason = why ? why : "the symbol is null";
        dlclose(handle_);
        handle_ = nullptr;
        throw ModuleLoadError("module " + path + " has no export talk: " + reason);
    }
    talk_ = reinterpret_cast<TalkFunction>(symbol);
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

} // namespace quorvel::host
