// "Player:Ammount", the parameter of !lendgold, !givegold and !takegold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// Amounts typed by players and staff: anything a 32-bit amount can hold,
// read as signed below zero and as unsigned above 2147483647. Digits outside
// this range are not a number, so they can never wrap into a small amount.
constexpr std::int64_t lowestTypedAmount = -2147483648LL;
constexpr std::int64_t highestTypedAmount = 4294967295LL;
constexpr std::int64_t largestBalance = 4294967295LL;

enum class TransferParse { Empty, BadSyntax, NotANumber, Ok };

struct TransferText {
    TransferParse outcome = TransferParse::Empty;
    std::string name;        // trimmed text before the first colon
    std::int64_t amount = 0; // exact value of the text after it
};

// Empty text; no colon (or the two sides equal ignoring case); an amount
// that is not a number within the typed range; or a name and an amount.
TransferText readTransferText(std::string_view text);

// "*" stands for every account in gold.log and the tools that read it: no
// command may open or move an account of that name.
constexpr std::string_view reservedNameText =
    "\"*\" stands for every account and cannot be a name.";
bool reservedAccountName(std::string_view name);

// The amount as the text shows it in a reply: signed 32-bit decimal.
std::string amountText(std::int64_t amount);

} // namespace quorvel
