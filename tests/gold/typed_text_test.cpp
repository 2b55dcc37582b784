// Every line the bot builds from text someone typed: it never opens with a
// zone command, never breaks into a second line, and never runs past what a
// zone's chat line holds. Lines of ordinary text stay as they were.
#include "economy_arena.h"

#include "base/messages/senders.h"

#include <algorithm>

namespace quorvel::testing {
namespace {

constexpr std::uint32_t modLevel = 2;

TEST(TypedText, NoReplyOrMessageCanSpeakForTheBot) {
    TestArena arena;
    openStore(arena, "AutoSave=0\n");
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.gold().credit("Bob", 10000);

    // A reply that would open with what was typed.
    arena.command(mod, "playergold", "*points 5000");
    arena.command(mod, "playergold", "?kill Bob");
    arena.command(mod, "playergold", "Bob");
    // Names that try to end the line and begin another.
    arena.command(mod, "givegold", "Al\n*points 5000:5");
    arena.command(bob, "lendgold", "Cy\r?kill:1");
    EXPECT_EQ(arena.takeTexts(),
              (std::vector<std::string>{"\"*points 5000\" has 0 Gold.", "\"?kill Bob\" has 0 Gold.",
                                        "Bob has 10000 Gold.", "5 Gold given to Al *points 5000",
                                        "1 Gold given to Cy ?kill"}));

    // A player's name opens a line of the flag listing.
    arena.addPlayer({.name = "*points 9", .ship = 1}).flagsCarried = 1;
    arena.command(bob, "buy", "flags");
    const auto listing = arena.takeTexts();
    EXPECT_TRUE(std::any_of(listing.begin(), listing.end(), [](const std::string& line) {
        return line.starts_with("\"*points 9\" @ ");
    }));

    // An arena message as long as anyone can type is cut to a chat line,
    // the buyer's name still at its end.
    arena.command(bob, "buy", "arena " + std::string(64 * 1024, 'x'));
    const auto sent = arena.take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text.size(), maxChatLine);
    EXPECT_EQ(sent[0].text, "*arena " + std::string(maxChatLine - 7 - 5, 'x') + " -Bob");
}

} // namespace
} // namespace quorvel::testing
