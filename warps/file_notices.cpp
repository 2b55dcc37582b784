#include "warps/file_notices.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "warps/auto_warper.h"

#include <string>
#include <string_view>

namespace quorvel {
namespace {

// A list longer than this is cut short in the notice.
constexpr std::size_t namedAtMost = 10;

// "1", "1, 2", or "1, 2, ... 10 and 4 more", counted from `first`.
std::string numberList(const std::vector<std::size_t>& indices, std::size_t first) {
    std::string list;
    for (std::size_t i = 0; i < indices.size() && i < namedAtMost; ++i) {
        list += (i == 0 ? "" : ", ") + std::to_string(indices[i] + first);
    }
    if (indices.size() > namedAtMost) {
        list += " and " + std::to_string(indices.size() - namedAtMost) + " more";
    }
    return list;
}

// Areas are counted from 1 in file order, as an operator counts the lines
// of the file; freqs by their own numbers, from 0.
std::string loopText(WarpFile file, const std::vector<std::size_t>& looping) {
    const bool one = looping.size() == 1;
    if (file == WarpFile::Area) {
        return std::string("WarpArea.ini error: the destination") +
               (one ? " of area " : "s of areas ") + numberList(looping, 1) +
               (one ? " leads back into the area, it is not used"
                    : " lead back into their areas, they are not used");
    }
    return std::string("WarpTeam.ini error: the place") + (one ? " of freq " : "s of freqs ") +
           numberList(looping, 0) +
           (one ? " leads back into the insert rectangle, it is not used"
                : " lead back into the insert rectangle, they are not used");
}

} // namespace

void tellWarpFileFindings(AutoWarper& warper, WarpFile file, const WarpFileFindings& findings) {
    WarpFileNotice& notice = file == WarpFile::Team ? warper.teamFileNotice : warper.areaFileNotice;
    if (notice.parse == findings.parse) {
        return;
    }
    notice.parse = findings.parse;
    if (findings.status.ok()) {
        notice.problem = {};
        notice.problemHash = 0;
    } else if (notice.problem != findings.status || notice.problemHash != findings.contentHash) {
        notice.problem = findings.status;
        notice.problemHash = findings.contentHash;
        sendConsole(warper.bot, findings.status.reason());
    }
    if (findings.looping.empty()) {
        notice.looping.clear();
        notice.loopingHash = 0;
    } else if (notice.looping != findings.looping || notice.loopingHash != findings.contentHash) {
        notice.looping = findings.looping;
        notice.loopingHash = findings.contentHash;
        sendConsole(warper.bot, loopText(file, findings.looping));
    }
}

} // namespace quorvel
