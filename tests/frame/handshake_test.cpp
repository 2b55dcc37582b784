#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(Handshake, VersionSixOneConnectsAndOthersAreRefused) {
    struct Case {
        Word major, minor;
        const char* reply;
        bool stopped;
    };
    const Case cases[] = {
        {6, 1, "DLL plugin connected.", false},
        {6, 9, "DLL plugin connected.", false},
        {6, 0, "DLL plugin cannot connect.  This plugin requires the latest version of MERVBot.",
         true},
        {5, 3, "DLL plugin cannot connect.  This plugin requires the latest version of MERVBot.",
         true},
        {7, 0, "DLL plugin cannot connect.  This plugin is out of date.", true},
        {7, 5, "DLL plugin cannot connect.  This plugin is out of date.", true},
    };
    for (const Case& c : cases) {
        TestArena arena;
        arena.handshake(hostVersion(c.major, c.minor));
        auto sent = arena.take();
        ASSERT_FALSE(sent.empty()) << c.major << "." << c.minor;
        EXPECT_EQ(sent.front(), console(c.reply)) << c.major << "." << c.minor;
        EXPECT_EQ(arena.spawn().stopped, c.stopped);
    }
}

} // namespace
} // namespace quorvel::testing
