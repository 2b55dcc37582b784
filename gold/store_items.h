// What the store sells: the rows of the price list, the eight inventory
// kinds with their texts, and the helpers every store command shares.
#pragma once

#include <quorvel/host_abi.h>

#include "gold/inventory_book.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

struct GoldService;
struct GoldSettings;

// One row of the price list.
struct StoreItem {
    std::string_view itemWord;
    std::int32_t GoldSettings::*price;
    std::string_view description;
};
extern const std::array<StoreItem, 13> storeItems;

// The texts of one inventory kind, for buying it for instant use, buying it
// into the inventory and using it from there.
struct ItemTexts {
    ItemKind kind;
    const StoreItem* store; // its row of the price list: item word, price, description
    std::string_view useNowDone;
    std::string_view useNowNotPlaying;
    std::string_view storedDone;
    std::string_view storedNotPlaying;
    std::string_view usedDone;
    std::string_view usedNoneLeft;
    std::string_view usedNotPlaying;
};
// In the order of the counts in a record: guns, bombs, multi, super, shield,
// thor, prize, portal.
extern const std::array<ItemTexts, itemKindCount> inventoryItems;

// The inventory kind whose item word matches, ignoring the case of A to Z.
const ItemTexts* findInventoryItem(std::string_view word);
// The inventory kind whose item word is exactly `word`, as gold.log has it.
std::optional<ItemKind> itemKindOfWord(std::string_view word);

std::int32_t prizeNumberOf(ItemKind kind);

// Three columns: the first filled to 20 characters, the first two to 40.
std::string priceLine(std::string_view first, std::string_view second, std::string_view third);
inline constexpr std::string_view separatorLine =
    "---------------------------------------------------------";

// The price as gold is compared: an unsigned 32-bit amount.
std::uint32_t priceOf(const GoldService& gold, std::int32_t GoldSettings::*price);

// True when the sender holds at least the price; otherwise tells them what it
// takes and returns false.
bool passesBalanceCheck(GoldService& gold, const PlayerRecord& sender,
                        std::int32_t GoldSettings::*price);
// What a player who cannot pay `price` is told.
void tellMustHave(GoldService& gold, const PlayerRecord& player, std::int32_t GoldSettings::*price);

// The item counts live in the folder's economy, in the first record of the
// player's name, and nowhere else: every bot of the folder, and so every bot
// of one arena, reads and changes the same counts.
//
// The count in the player's record; 0 when there is none.
std::int32_t itemCount(const GoldService& gold, const PlayerRecord& player, ItemKind kind);
// Sets the count in the player's record; false (and nothing changed) when
// there is none.
[[nodiscard]] bool storeItemCount(GoldService& gold, const PlayerRecord& player, ItemKind kind,
                                  std::int32_t count);

// The word before the first blank; `rest` becomes the trimmed text after it,
// or stays the whole text when there is no blank.
std::string firstWord(std::string_view text, std::string& rest);

} // namespace quorvel
