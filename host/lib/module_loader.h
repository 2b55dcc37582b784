// Loads the module through the platform's loader and finds `talk` by name,
// as a real host does. Each platform has its own source file.
#ifndef QUORVEL_HOST_MODULE_LOADER_H
#define QUORVEL_HOST_MODULE_LOADER_H

#include "quorvel/host_abi.h"

#include <stdexcept>
#include <string>

namespace quorvel::host {

class ModuleLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LoadedModule {
public:
    // Throws ModuleLoadError naming the path and the loader's reason.
    explicit LoadedModule(const std::string& path);
    ~LoadedModule(); // unloads the module
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    TalkFunction talk() const { return talk_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    void* handle_ = nullptr;
    TalkFunction talk_ = nullptr;
};

} // namespace quorvel::host

#endif
