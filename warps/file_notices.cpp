#include "warps/file_notices.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "warps/auto_warper.h"

#include <string>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::string_view teamFileMissing =
    "WarpTeam.ini error: file not found, no team place is used";
constexpr std::string_view teamFileShort = "WarpTeam.ini error: fewer numbers than MaxWarpTeams "
                                           "and the insert rectangle need, what is missing is not "
                                           "used";
constexpr std::string_view teamFileDamaged =
    "WarpTeam.ini error: a value is not a whole number, it and every value after it are not used";
constexpr std::string_view areaFileMissing = "WarpArea.ini error: file not found, no area is used";
constexpr std::string_view areaFileShort = "WarpArea.ini error: fewer numbers than MaxWarpAreas "
                                           "records need, incomplete records are not used";
constexpr std::string_view areaFileDamaged =
    "WarpArea.ini error: a value is not a whole number, it and every value after it are not used";

// A list longer than this is cut short in the notice.
constexpr std::size_t namedAtMost = 10;

std::string_view problemText(WarpFile file, WarpFileProblem problem) {
    const bool team = file == WarpFile::Team;
    switch (problem) {
    case WarpFileProblem::Missing:
        return team ? teamFileMissing : areaFileMissing;
    case WarpFileProblem::Short:
        return team ? teamFileShort : areaFileShort;
    case WarpFileProblem::NotANumber:
        return team ? teamFileDamaged : areaFileDamaged;
    case WarpFileProblem::None:
        break;
    }
    return {};
}

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
    if (findings.problem == WarpFileProblem::None) {
        notice.problem = WarpFileProblem::None;
        notice.problemHash = 0;
    } else if (notice.problem != findings.problem || notice.problemHash != findings.contentHash) {
        notice.problem = findings.problem;
        notice.problemHash = findings.contentHash;
        sendConsole(warper.bot, problemText(file, findings.problem));
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
