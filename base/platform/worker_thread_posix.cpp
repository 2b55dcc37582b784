#include "base/platform/worker_thread.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace quorvel::platform {
namespace {

// Any object of the module names the module to the dynamic loader.
const char moduleAnchor = 0;

// A worker left to end by itself may still run the module's code after the
// host's dlclose, and unmapping that code would crash the host. So once the
// module runs a worker thread it is made permanent: dlclose then leaves it
// mapped, as a Windows module stays loaded while its workers hold it. Only
// a module that starts a worker is held, so one that never does is unloaded
// and loaded afresh as before. Code built into a program needs nothing.
Status keepModuleMapped() {
    static const Status kept = [] {
        Dl_info info{};
        link_map* self = nullptr;
        if (dladdr1(&moduleAnchor, &info, reinterpret_cast<void**>(&self), RTLD_DL_LINKMAP) == 0 ||
            self == nullptr) {
            return Status::failed("cannot find the module's own file");
        }
        if (self->l_name == nullptr || self->l_name[0] == '\0') {
            return Status(); // part of the program itself
        }
        // The reference this takes is never given back.
        if (dlopen(self->l_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE) == nullptr) {
            const char* reason = dlerror();
            return Status::failed(std::string("cannot keep the module loaded: ") +
                                  (reason != nullptr ? reason : self->l_name));
        }
        return Status();
    }();
    return kept;
}

} // namespace

// The thread is detached at once: nothing ever waits on it without a bound.
Status WorkerThread::launch(std::shared_ptr<Shared> shared) {
    Status kept = keepModuleMapped();
    if (!kept.ok()) {
        return kept;
    }
    try {
        std::thread([held = std::move(shared)] { run(*held); }).detach();
    } catch (const std::system_error& error) {
        return Status::failed(std::string("cannot start a worker thread: ") + error.what());
    }
    return {};
}

} // namespace quorvel::platform
