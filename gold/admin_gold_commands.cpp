// Staff commands over single accounts: !givegold, !takegold, !playergold.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/admin_commands.h"
#include "gold/economy_backend.h"
#include "gold/gold_service.h"
#include "gold/transfer_text.h"

namespace quorvel {
namespace {

// Texts players have always seen keep their spelling ("Ammount",
// "Numers"); they are deliberate, not slips to correct.
constexpr std::string_view moreParametersText = "More parameters required";
constexpr std::string_view syntaxText = "Syntax: Player:Ammount";
constexpr std::string_view giveNotNumbersText = "Ammount should be in NUMBERS!";
constexpr std::string_view takeNotNumbersText = "Numers should be NUMBERS!";
constexpr std::string_view abuseText = "Lets try not to abuse your powers here...";
constexpr std::string_view givenText = " Gold given to ";
constexpr std::string_view removedFromText = " Gold removed from ";
constexpr std::string_view accountEndText = "'s account.";
constexpr std::string_view stateNameText = "State a name";

// The parse refusals shared by !givegold and !takegold; true when the text
// names an account and an amount.
bool readStaffTransfer(GoldService& gold, const PlayerRecord& sender, const TransferText& parsed,
                       std::string_view notNumbersText) {
    switch (parsed.outcome) {
    case TransferParse::Empty:
        sendPrivate(gold.bot, sender, moreParametersText);
        return false;
    case TransferParse::BadSyntax:
        sendPrivate(gold.bot, sender, syntaxText);
        return false;
    case TransferParse::NotANumber:
        sendPrivate(gold.bot, sender, notNumbersText);
        return false;
    case TransferParse::Ok:
        break;
    }
    if (reservedAccountName(parsed.name)) {
        sendPrivate(gold.bot, sender, reservedNameText);
        return false;
    }
    return true;
}

} // namespace

void commandGivegold(GoldService& gold, const PlayerRecord& sender, std::string_view text) {
    if (!gold.storeOn) {
        return;
    }
    const TransferText gift = readTransferText(text);
    if (!readStaffTransfer(gold, sender, gift, giveNotNumbersText)) {
        return;
    }
    // A negative gift takes gold, but never more than the account holds; a
    // positive one never carries a balance past 4294967295.
    const std::int64_t held = gold.economy->balance(gift.name);
    const std::int64_t after = held + gift.amount;
    if (after < 0 || after > largestBalance) {
        sendPrivate(gold.bot, sender, abuseText);
        return;
    }
    EconomyBackend::Cause giving(*gold.economy, gold.bot.handle, "givegold", playerName(sender));
    if (gift.amount > 0) {
        gold.economy->credit(gift.name, static_cast<std::uint32_t>(gift.amount));
    } else if (gift.amount < 0) {
        gold.economy->debit(gift.name, static_cast<std::uint32_t>(-gift.amount));
    }
    sendPrivate(gold.bot, sender, amountText(gift.amount) + std::string(givenText) + gift.name);
    endCause(gold, giving);
}

void commandTakegold(GoldService& gold, const PlayerRecord& sender, std::string_view text) {
    if (!gold.storeOn) {
        return;
    }
    const TransferText taking = readTransferText(text);
    if (!readStaffTransfer(gold, sender, taking, takeNotNumbersText)) {
        return;
    }
    if (taking.amount < 0 || taking.amount > gold.economy->balance(taking.name)) {
        sendPrivate(gold.bot, sender, abuseText);
        return;
    }
    sendPrivate(gold.bot, sender,
                amountText(taking.amount) + std::string(removedFromText) + taking.name +
                    std::string(accountEndText));
    // Taking nothing opens no account.
    if (taking.amount > 0) {
        EconomyBackend::Cause journalCause(*gold.economy, gold.bot.handle, "takegold",
                                           playerName(sender));
        gold.economy->debit(taking.name, static_cast<std::uint32_t>(taking.amount));
        endCause(gold, journalCause);
    }
}

void commandPlayergold(GoldService& gold, const PlayerRecord& sender, std::string_view text) {
    if (!gold.storeOn) {
        return;
    }
    if (text.empty()) {
        sendPrivate(gold.bot, sender, stateNameText);
        return;
    }
    sendPrivate(gold.bot, sender,
                typedLead(text) + " has " + decimal(gold.economy->balance(text)) + " Gold.");
}

} // namespace quorvel
