#include "lib/arena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvel;
using namespace quorvel::host;

namespace {

// Walks a host list as the module does.
std::vector<std::string> namesInList(const HostList* list) {
    std::vector<std::string> names;
    for (const HostListNode* n = list->head; n != nullptr; n = n->next) {
        names.emplace_back(static_cast<const PlayerRecord*>(n->record)->name);
    }
    return names;
}

} // namespace

TEST(Arena, ListsKeepArrivalOrderAndTheirAddress) {
    Arena arena;
    const HostList* players = arena.playerList();
    EXPECT_EQ(players->head, nullptr);
    PlayerSlot& a = arena.add("Ann", {}, false);
    PlayerSlot& b = arena.add("Bob", {}, false);
    arena.add("Cid", {}, false);
    EXPECT_EQ(namesInList(players), (std::vector<std::string>{"Ann", "Bob", "Cid"}));
    EXPECT_EQ(a.record.ident, 1);
    EXPECT_EQ(b.record.ident, 2);

    const PlayerRecord* bobRecord = &b.record;
    auto owned = arena.remove(&b);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(&owned->record, bobRecord); // alive while the caller holds it
    EXPECT_EQ(namesInList(players), (std::vector<std::string>{"Ann", "Cid"}));
    EXPECT_EQ(arena.playerList(), players);
    EXPECT_EQ(arena.find("bob"), nullptr);
    EXPECT_EQ(arena.find("CID")->record.ident, 3);

    arena.addFlag(10, 20);
    arena.addFlag(30, 40);
    const HostListNode* first = arena.flagList()->head;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(static_cast<const FlagRecord*>(first->record)->tileX, 10);
    EXPECT_EQ(static_cast<const FlagRecord*>(first->next->record)->tileY, 40);
    EXPECT_EQ(first->next->next, nullptr);
    arena.clearFlags();
    EXPECT_EQ(arena.flagList()->head, nullptr);
}

TEST(Arena, NamesAndIdentsAreUnique) {
    Arena arena;
    PlayerFields five;
    five.ident = 5;
    arena.add("Ann", five, false);
    EXPECT_THROW(arena.add("ANN", {}, false), ScriptError);
    EXPECT_THROW(arena.add("Bob", five, false), ScriptError);
    // Fresh idents step over the ones given by hand.
    for (int i = 0; i < 4; ++i) {
        arena.add("P" + std::to_string(i), {}, false);
    }
    EXPECT_EQ(arena.add("Next", {}, false).record.ident, 6);
}

TEST(Arena, FieldsKeepTilesAndPixelsTogether) {
    Arena arena;
    PlayerFields f;
    f.tileX = 100;
    f.pixelY = -16;
    f.squad = "Red Team";
    f.ship = 3;
    PlayerSlot& p = arena.add("Ann", f, false);
    EXPECT_EQ(p.record.pixelX, 1600);
    EXPECT_EQ(p.record.tileY, -1);
    EXPECT_EQ(p.record.tileX, 100);
    EXPECT_STREQ(p.record.squad, "Red Team");
    EXPECT_EQ(p.record.ship, 3);
    PlayerFields px;
    px.pixelX = 8199;
    applyFields(p, px);
    EXPECT_EQ(p.record.tileX, 512);
    EXPECT_EQ(p.record.pixelX, 8199);
    EXPECT_NE(describePlayer(p).find("squad \"Red Team\""), std::string::npos);
}
