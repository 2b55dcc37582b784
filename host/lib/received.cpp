#include "lib/received.h"

#include "lib/text.h"

namespace quorvel::host {

namespace {

std::string soundPart(Word sound) {
    return sound == 0 ? std::string() : "sound " + std::to_string(sound) + " ";
}

std::string targetText(const Received& r) {
    return r.targetName.empty() ? "#" + std::to_string(r.target) : quoteText(r.targetName);
}

} // namespace

std::string describeReceived(const Received& r) {
    if (r.code == Echo) {
        return "console " + quoteText(r.text);
    }
    if (r.code != Say) {
        return "record with unknown code " + std::to_string(r.code);
    }
    switch (r.chatType) {
    case Public:
        return "public " + soundPart(r.sound) + quoteText(r.text);
    case Private:
        return "private " + targetText(r) + " " + soundPart(r.sound) + quoteText(r.text);
    case ArenaMessage:
        return "arena " + soundPart(r.sound) + quoteText(r.text);
    default:
        return "chat type " + std::to_string(r.chatType) + " to #" + std::to_string(r.target) +
               " " + soundPart(r.sound) + quoteText(r.text);
    }
}

std::string expectationFor(const Received& r) {
    if (r.code == Say && r.chatType != Public && r.chatType != Private &&
        r.chatType != ArenaMessage) {
        return "# (no expectation form) " + describeReceived(r);
    }
    if (r.code != Echo && r.code != Say) {
        return "# (no expectation form) " + describeReceived(r);
    }
    return "expect " + describeReceived(r);
}

bool matches(const LineExpectation& want, const Received& got) {
    bool text =
        want.contains ? got.text.find(want.text) != std::string::npos : got.text == want.text;
    if (want.kind == LineKind::Console) {
        return got.code == Echo && text;
    }
    if (got.code != Say || got.sound != want.sound || !text) {
        return false;
    }
    switch (want.kind) {
    case LineKind::Public:
        return got.chatType == Public;
    case LineKind::Arena:
        return got.chatType == ArenaMessage;
    case LineKind::Private:
        return got.chatType == Private &&
               equalIgnoringCase(got.targetName.empty() ? "#" + std::to_string(got.target)
                                                        : got.targetName,
                                 want.target);
    default:
        return false;
    }
}

std::string describeExpected(const LineExpectation& want) {
    std::string text = (want.contains ? "contains " : "") + quoteText(want.text);
    switch (want.kind) {
    case LineKind::Console:
        return "console " + text;
    case LineKind::Public:
        return "public " + soundPart(want.sound) + text;
    case LineKind::Arena:
        return "arena " + soundPart(want.sound) + text;
    case LineKind::Private:
        return "private " + quoteText(want.target) + " " + soundPart(want.sound) + text;
    }
    return {};
}

} // namespace quorvel::host
