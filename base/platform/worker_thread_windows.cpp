#include "base/platform/worker_thread.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

namespace quorvel::platform {
namespace {

// Any object of the module names the module to GetModuleHandleExW.
const char moduleAnchor = 0;

std::string lastErrorText() {
    const DWORD code = GetLastError();
    char message[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   message, sizeof message, nullptr);
    std::string text = message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(code) : text;
}

} // namespace

// The host may unload the module while an abandoned worker still runs in
// it; unmapping code a thread is executing crashes the host, and waiting for
// the thread in DllMain hangs it. So the thread holds a reference to the
// module of its own and leaves through FreeLibraryAndExitThread, which
// returns into no code of the module: the module is unloaded after the last
// worker has left it. The reference is taken here, before the thread exists,
// so that no unload can fall between its start and its first instruction;
// from then on it belongs to the thread.
Status WorkerThread::launch(std::shared_ptr<Shared> shared) {
    struct Start {
        std::shared_ptr<Shared> shared;
        HMODULE module = nullptr;

        static DWORD WINAPI entry(LPVOID parameter) {
            HMODULE module = nullptr;
            {
                const std::unique_ptr<Start> start(static_cast<Start*>(parameter));
                module = start->module;
                run(*start->shared);
            }
            FreeLibraryAndExitThread(module, 0);
        }
    };

    auto start = std::make_unique<Start>();
    start->shared = std::move(shared);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&moduleAnchor), &start->module)) {
        return Status::failed("cannot hold the module for a worker thread: " + lastErrorText());
    }
    HANDLE thread = CreateThread(nullptr, 0, &Start::entry, start.get(), 0, nullptr);
    if (thread == nullptr) {
        const std::string reason = lastErrorText();
        FreeLibrary(start->module);
        return Status::failed("cannot start a worker thread: " + reason);
    }
    // The thread owns its Start now, and nothing waits on it by its handle.
    start.release();
    CloseHandle(thread);
    return {};
}

} // namespace quorvel::platform
