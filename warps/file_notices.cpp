#include "warps/file_notices.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "warps/auto_warper.h"

namespace quorvel {
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
        sendConsole(warper.bot, findings.lines.front());
    }
    if (findings.looping.empty()) {
        notice.looping.clear();
        notice.loopingHash = 0;
    } else if (notice.looping != findings.looping || notice.loopingHash != findings.contentHash) {
        notice.looping = findings.looping;
        notice.loopingHash = findings.contentHash;
        sendConsole(warper.bot, findings.lines.back());
    }
}

} // namespace quorvel
