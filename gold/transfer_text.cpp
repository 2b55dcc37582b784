#include "gold/transfer_text.h"

#include "base/text/text_rules.h"
#include "gold/journal_format.h"

namespace quorvel {

TransferText readTransferText(std::string_view text) {
    TransferText parsed;
    if (text.empty()) {
        parsed.outcome = TransferParse::Empty;
        return parsed;
    }
    std::string after(text);
    parsed.name = splitAt(after, ':');
    // Without a colon both sides are the whole text. A colon with no name
    // before it names no account: gold moved there would be lost.
    if (equalIgnoringCase(parsed.name, after) || parsed.name.empty()) {
        parsed.outcome = TransferParse::BadSyntax;
        return parsed;
    }
    const auto amount = readBoundedNumber(after, lowestTypedAmount, highestTypedAmount);
    if (!amount) {
        parsed.outcome = TransferParse::NotANumber;
        return parsed;
    }
    parsed.amount = *amount;
    parsed.outcome = TransferParse::Ok;
    return parsed;
}

bool reservedAccountName(std::string_view name) {
    return name == journalEveryAccount;
}

std::string amountText(std::int64_t amount) {
    return decimal(static_cast<std::int32_t>(static_cast<std::uint32_t>(amount)));
}

} // namespace quorvel
