#include "rabbit/kill_announcements.h"
#include "rabbit_test_support.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(KillAnnouncement, EveryVariantWithItsSound) {
    struct Row {
        Word sound;
        const char* text;
    };
    const Row rows[13] = {
        {8,
         "The BountyRabbit(tm) has struck again! Zone in panic! Bob now at large! $5000 reward!"},
        {7, "Hop. hop. hop. Another rabbit bit the dust. Bob now holds the 5000 bounty!"},
        {22, "Ann(old rabbit) kb Bob(new rabbit with 5000 bounty)"},
        {13, "Uh oh, Bob is growing ears! He's contracted the BountyRabbit(tm) virus from Ann!"},
        {19, "Bob is now the BountyRabbit! Type ?target=5000 for a Big Light Blue indicator on "
             "your radar"},
        {20, "Bob has been rabbitified! Type ?time to check how much time is left until he wins"},
        {18, "Another waskalie wabbit has been sighted: Bob. And it's wabbit-hunting season!"},
        {6, "Bob has vanquished the villainous old rabbit! He has been granted a $5000 reward"},
        {10, "A new bounty rabbit has been born and it ain't pretty! Bob holds the sucker"},
        {4, "Uh oh, Bob is growing ears! He's contracted the BountyRabbit(tm) virus from Ann!"},
        {17,
         "The BountyRabbit(tm) has struck again! Zone in panic! Bob now at large! $5000 reward!"},
        {21, "Zee rebbeet, Bob, veell be-a in zee stoo suun inuoogh. $5000 preece-a teg"},
        {16, "Psst! obBay has ethay OuntyRabbitbay irusvay! Asspay it onyay!"},
    };
    for (std::uint32_t v = 0; v < 13; ++v) {
        const KillAnnouncement line = killAnnouncement(v, "Bob", "Ann");
        EXPECT_EQ(line.sound, rows[v].sound) << "variant " << v;
        EXPECT_EQ(line.text, std::string("*arena ") + rows[v].text) << "variant " << v;
    }

    // Without an old rabbit: variant 3 drops its " from " part, 2 and 9 show
    // nothing where the old name stands.
    EXPECT_EQ(killAnnouncement(3, "Bob", "").text,
              "*arena Uh oh, Bob is growing ears! He's contracted the BountyRabbit(tm) virus!");
    EXPECT_EQ(killAnnouncement(9, "Bob", "").text,
              "*arena Uh oh, Bob is growing ears! He's contracted the BountyRabbit(tm) virus "
              "from !");
    EXPECT_EQ(killAnnouncement(2, "Bob", "").text,
              "*arena (old rabbit) kb Bob(new rabbit with 5000 bounty)");

    // The rearranged name of variant 12 at its edges.
    const std::string tail = "ay has ethay OuntyRabbitbay irusvay! Asspay it onyay!";
    EXPECT_EQ(killAnnouncement(12, "X", "").text, "*arena Psst! X" + tail);
    EXPECT_EQ(killAnnouncement(12, "", "").text, "*arena Psst! " + tail);
    EXPECT_EQ(killAnnouncement(12, "Abcdefghijklmnopqrs", "").text,
              "*arena Psst! bcdefghijklmnopqrsA" + tail);
}

// Every kill of the rabbit hands it to the killer with the drawn
// announcement; no "New rabbit: " line on this path.
TEST(KillAnnouncement, KillerTakesOverWithTheDrawnVariant) {
    for (std::uint32_t seed : {1u, 2u, 99u, 4000000000u}) {
        TestArena arena(seed);
        DrawMirror mirror(seed);
        arena.handshake();
        arena.take();
        PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
        PlayerRecord& ann = arena.addPlayer({.name = "Ann", .team = 0, .ship = 1});
        PlayerRecord& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 8});
        PlayerRecord& cat = arena.addPlayer({.name = "Cat", .team = 1, .ship = 3});
        arena.command(mod, "newpick");
        const PlayerRecord* rabbit = mirror.pick({&ann, &cat});
        ASSERT_EQ(arena.take(), drawnStart(*rabbit));

        // The killer need not be in a ship or drawn by anyone.
        const PlayerRecord* killers[] = {&bob, &ann, &mod, &cat, &cat, &ann};
        for (const PlayerRecord* killer : killers) {
            arena.kill(*rabbit, *killer);
            const KillAnnouncement line =
                killAnnouncement(mirror.variant(), nameOf(*killer), nameOf(*rabbit));
            const std::vector<Sent> expected = {publicLine(line.text, line.sound),
                                                publicLine("*timereset"), publicLine("*timer 10"),
                                                privateLine(*killer, "*prize 5000")};
            EXPECT_EQ(arena.take(), expected) << "seed " << seed;
            rabbit = killer;
        }
        arena.command(ann, "status");
        EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(ann, statusOf(ann, "K11"))});
        // A kill of someone else is no business of the game.
        arena.kill(cat, ann);
        EXPECT_TRUE(arena.take().empty());
    }
}

} // namespace
} // namespace quorvel::testing
