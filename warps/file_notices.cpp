#include "warps/file_notices.h"

#include "frame/messages/senders.h"
#include "frame/spawn/bot_spawn.h"

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

} // namespace

void tellWarpFileFindings(BotSpawn& spawn, WarpFile file, const WarpFileFindings& findings) {
    WarpFileNotice& notice =
        file == WarpFile::Team ? spawn.autoWarper.teamFileNotice : spawn.autoWarper.areaFileNotice;
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
        sendConsole(spawn, problemText(file, findings.problem));
    }
}

} // namespace quorvel
