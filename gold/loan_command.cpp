// !lendgold: a player moves gold from their own account to any name.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "gold/economy_backend.h"
#include "gold/gold_service.h"
#include "gold/store_commands.h"
#include "gold/transfer_text.h"

namespace quorvel {
namespace {

// Texts players have always seen keep their spelling ("Ammount"); they
// are deliberate, not slips to correct.
constexpr std::string_view moreParametersText = "More parameters required";
constexpr std::string_view syntaxText = "Syntax: Player:Ammount";
constexpr std::string_view notNumbersText = "Ammount should be NUMBERS!";
constexpr std::string_view notThatMuchText = "You can not give more than you have.";
constexpr std::string_view targetFullText = "That account can not hold that much more gold.";
constexpr std::string_view givenText = " Gold given to ";

} // namespace

void commandLendgold(GoldService& gold, const PlayerRecord& sender, std::string_view text) {
    if (!gold.storeOn) {
        return;
    }
    const TransferText loan = readTransferText(text);
    switch (loan.outcome) {
    case TransferParse::Empty:
        sendPrivate(gold.bot, sender, moreParametersText);
        return;
    case TransferParse::BadSyntax:
        sendPrivate(gold.bot, sender, syntaxText);
        return;
    case TransferParse::NotANumber:
        sendPrivate(gold.bot, sender, notNumbersText);
        return;
    case TransferParse::Ok:
        break;
    }
    if (reservedAccountName(loan.name)) {
        sendPrivate(gold.bot, sender, reservedNameText);
        return;
    }
    const std::string senderName = playerName(sender);
    const std::uint32_t held = gold.economy->balance(senderName);
    if (loan.amount < 0 || loan.amount > held) {
        sendPrivate(gold.bot, sender, notThatMuchText);
        return;
    }
    const auto amount = static_cast<std::uint32_t>(loan.amount);
    const GoldAccount* from = gold.economy->findAccount(senderName);
    const GoldAccount* to = gold.economy->findAccount(loan.name);
    // A loan to oneself changes nothing; to anyone else it must fit.
    if (to != nullptr && to != from && loan.amount > largestBalance - to->amount) {
        sendPrivate(gold.bot, sender, targetFullText);
        return;
    }
    sendPrivate(gold.bot, sender, amountText(loan.amount) + std::string(givenText) + loan.name);
    // Lending nothing opens no account. Lending to oneself moves nothing: a
    // credit before the debit would carry a large balance past 4294967295
    // and back, and gold.log would show the wrapped balance in between.
    if (amount != 0 && (to == nullptr || to != from)) {
        EconomyBackend::Cause lending(*gold.economy, gold.bot.handle, "loan", senderName);
        gold.economy->credit(loan.name, amount);
        gold.economy->debit(senderName, amount);
        endCause(gold, lending);
    }
}

} // namespace quorvel
