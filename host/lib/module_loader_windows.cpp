#include "lib/module_loader.h"

#include <windows.h>

namespace quorvel::host {

namespace {

std::string lastErrorText() {
    DWORD code = GetLastError();
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length)
                                                        : "error " + std::to_string(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        throw ModuleLoadError("cannot load module " + path + ": " + lastErrorText());
    }
    FARPROC symbol = GetProcAddress(module, "talk");
    if (symbol == nullptr) {
        std::string reason = lastErrorText();
        FreeLibrary(module);
        throw ModuleLoadError("module " + path + " has no export talk: " + reason);
    }
    handle_ = module;
    talk_ = reinterpret_cast<TalkFunction>(reinterpret_cast<void*>(symbol));
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
    }
}

} // namespace quorvel::host
