// Loads the built shared library the way a host does and drives it through
// `talk` alone.
#include <quorvel/host_abi.h>

#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <vector>

namespace quorvel {
namespace {

std::vector<std::string> lines;

void QUORVEL_CALL collect(BotEvent& record) {
    const Word slot = record.code == Echo ? 0 : 3;
    lines.push_back(reinterpret_cast<const char*>(record.value[slot]));
}

TEST(ModuleLoad, TalkIsTheExportAndAnswersAHost) {
    testing::TestArena folder; // a fresh working directory for the files Terminate saves
    void* module = dlopen(QUORVEL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto talkEntry = reinterpret_cast<TalkFunction>(dlsym(module, "talk"));
    ASSERT_NE(talkEntry, nullptr);

    HostList players{nullptr};
    HostList flags{nullptr};
    BotEvent handshake{};
    handshake.handle = 99;
    handshake.code = Handshake;
    handshake.value[0] = hostVersion(6, 1);
    handshake.value[1] = reinterpret_cast<Word>(&collect);
    handshake.value[2] = reinterpret_cast<Word>(&players);
    handshake.value[3] = reinterpret_cast<Word>(&flags);
    lines.clear();
    talkEntry(handshake);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "DLL plugin connected.");

    // A command event without its records is not acted on.
    BotEvent bare{};
    bare.handle = 99;
    bare.code = CommandTyped;
    talkEntry(bare);

    lines.clear();
    BotEvent terminate{};
    terminate.handle = 99;
    terminate.code = Terminate;
    talkEntry(terminate);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "DLL plugin disconnected.");

    // Another bot of the same host is refused on its own.
    lines.clear();
    handshake.handle = 100;
    handshake.value[0] = hostVersion(7, 0);
    talkEntry(handshake);
    EXPECT_EQ(lines,
              std::vector<std::string>{"DLL plugin cannot connect.  This plugin is out of date."});
    dlclose(module);
}

} // namespace
} // namespace quorvel
