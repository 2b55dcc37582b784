// Random sequences of store, loan, award and staff operations: after each one
// the sum of all balances has moved by exactly what that operation says it
// moves, and no balance ever leaves 0..4294967295.
#include "economy_arena.h"

#include "base/players/player_views.h"

#include <map>
#include <random>

namespace quorvel::testing {
namespace {

constexpr std::int64_t largest = 4294967295LL;

std::int64_t total(const GoldLedger& ledger) {
    std::int64_t sum = 0;
    for (const GoldAccount& account : ledger.accounts()) {
        sum += account.amount;
    }
    return sum;
}

TEST(LedgerProperty, BalancesMoveOnlyByWhatEachOperationSays) {
    for (std::uint32_t seed = 1; seed <= 25; ++seed) {
        TestArena arena(seed);
        // A negative kill reward, a huge goal reward and a team-kill penalty:
        // the awards meet both ends of the range.
        openStore(arena, "[Gold]\nKill=-7\nSoccerGoal=1500000000\nTeamKill=40\n"
                         "[Store]\nPoints=90\nThor=3\n");
        std::vector<PlayerRecord*> players;
        const char* names[] = {"Ann", "Bob", "Cid", "Dee"};
        for (int i = 0; i < 4; ++i) {
            players.push_back(&arena.addPlayer({.name = names[i],
                                                .team = static_cast<std::uint16_t>(i % 2),
                                                .ship = static_cast<std::uint8_t>(i == 3 ? 8 : 1),
                                                .accessLevel = i == 0 ? 2u : 0u}));
            arena.enter(*players.back());
        }
        const PlayerRecord& staff = *players[0];
        const char* targets[] = {"Ann", "bob", "CID", "Dee", "Eve"};
        const std::int64_t amounts[] = {0,          1,          5,  40,  1000,         2147483647,
                                        3000000000, 4294967295, -1, -40, -2147483648LL};
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        arena.take();

        for (int step = 0; step < 400; ++step) {
            GoldLedger& ledger = arena.gold();
            const std::int64_t before = total(ledger);
            std::int64_t expected = 0;
            PlayerRecord& actor = *players[pick(players.size())];
            const std::string who = playerName(actor);
            const std::int64_t held = ledger.balance(who);
            const std::string target = targets[pick(5)];
            const std::int64_t amount = amounts[pick(std::size(amounts))];
            const std::string amountText = std::to_string(amount);
            std::string what;

            switch (pick(7)) {
            case 0: { // a kill: the reward floors at 0, a team kill costs 40 when it can be paid
                PlayerRecord& victim = *players[pick(players.size())];
                what = "kill " + who;
                if (victim.team != actor.team) {
                    expected = -std::min<std::int64_t>(7, held);
                } else {
                    expected = held >= 40 ? -40 : 0;
                }
                arena.kill(victim, actor);
                break;
            }
            case 1: { // a goal: every player of the freq, capped at the largest balance
                const std::uint16_t team = static_cast<std::uint16_t>(pick(2));
                what = "goal " + std::to_string(team);
                for (PlayerRecord* player : players) {
                    if (player->team == team) {
                        expected += std::min<std::int64_t>(
                            1500000000, largest - ledger.balance(playerName(*player)));
                    }
                }
                arena.goal(team);
                break;
            }
            case 2: { // a purchase: the price when it can be paid (and, for items, in a ship)
                const char* buys[] = {"points", "inv thor", "use thor", "arena hi"};
                const std::int64_t prices[] = {90, 3, 3, 500};
                const std::size_t b = pick(4);
                what = std::string("buy ") + buys[b];
                const bool needsShip = b == 1 || b == 2;
                if (held >= prices[b] && (!needsShip || actor.ship != 8)) {
                    expected = -prices[b];
                }
                arena.command(actor, "buy", buys[b]);
                break;
            }
            case 3: // a loan moves gold between accounts: the sum stays
                what = "lend " + target + ":" + amountText;
                arena.command(actor, "lendgold", target + ":" + amountText);
                break;
            case 4: { // staff give: refused when it would leave the range
                what = "give " + target + ":" + amountText;
                const std::int64_t after = ledger.balance(target) + amount;
                if (after >= 0 && after <= largest) {
                    expected = amount;
                }
                arena.command(staff, "givegold", target + ":" + amountText);
                break;
            }
            case 5: // staff take: never more than the account holds
                what = "take " + target + ":" + amountText;
                if (amount >= 0 && amount <= ledger.balance(target)) {
                    expected = -amount;
                }
                arena.command(staff, "takegold", target + ":" + amountText);
                break;
            case 6: // the inventory and the notice choice move no gold
                what = "inv/show/hide";
                arena.command(actor, pick(2) == 0 ? "inv" : "hide", pick(2) == 0 ? "thor" : "");
                arena.command(actor, "show");
                break;
            }
            arena.take();
            ASSERT_EQ(total(arena.gold()) - before, expected)
                << "seed " << seed << " step " << step << ": " << what << " by " << who;
            for (const GoldAccount& account : arena.gold().accounts()) {
                ASSERT_NE(std::string(account.name), "") << "seed " << seed << " step " << step;
            }
        }
    }
}

} // namespace
} // namespace quorvel::testing
