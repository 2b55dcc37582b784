#include "warps/warp_file_cache.h"

#include "base/bot/bot.h"
#include "base/platform/platform.h"
#include "warps/auto_warper.h"
#include "warps/warp_loops.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace quorvel {
namespace {

WarpFileCaches& cachesOf(AutoWarper& warper) {
    if (!warper.fileCaches) {
        warper.fileCaches = std::make_shared<WarpFileCaches>();
    }
    return *warper.fileCaches;
}

// A list longer than this is cut short in the console's words.
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

// Only a file with something wrong costs the hash and the words; a sound one
// is never hashed.
void setFindings(WarpFileFindings& findings, WarpFile file, platform::Status status,
                 std::vector<std::size_t> looping, const std::optional<std::string>& content) {
    ++findings.parse;
    findings.status = std::move(status);
    findings.looping = std::move(looping);
    findings.lines.clear();
    if (!findings.status.ok()) {
        findings.lines.push_back(findings.status.reason());
    }
    if (!findings.looping.empty()) {
        findings.lines.push_back(loopText(file, findings.looping));
    }
    const bool found = !findings.lines.empty();
    findings.contentHash =
        found && content ? std::hash<std::string_view>{}(std::string_view(*content)) : 0;
}

} // namespace

void readWarpText(platform::FileSystem& files, CachedWarpText& cached, const char* fileName) {
    // A file that cannot be read is as good as none.
    std::optional<std::string> content(std::in_place);
    if (!files.readFile(fileName, *content).ok()) {
        content.reset();
    }
    if (cached.read && content == cached.content) {
        return;
    }
    cached.read = true;
    cached.content = std::move(content);
    ++cached.version;
}

const ParsedAreas& currentWarpAreaFile(AutoWarper& warper, std::int32_t areas) {
    WarpFileCaches& caches = cachesOf(warper);
    if (!caches.areaText.read) {
        readWarpText(*warper.bot.os, caches.areaText, warpAreaFileName);
    }
    ParsedAreas& parsed = caches.areas;
    const std::optional<std::string>& content = caches.areaText.content;
    if (parsed.made && parsed.textVersion == caches.areaText.version && parsed.count == areas) {
        return parsed;
    }
    parsed.made = true;
    parsed.textVersion = caches.areaText.version;
    parsed.count = areas;
    parsed.file = readWarpAreaFile(content, areas);
    std::vector<std::size_t> looping = areasInLoops(parsed.file.records);
    parsed.inUse.clear();
    auto left = looping.begin();
    for (std::size_t area = 0; area < parsed.file.records.size(); ++area) {
        if (left != looping.end() && *left == area) {
            ++left;
        } else {
            parsed.inUse.push_back(parsed.file.records[area]);
        }
    }
    setFindings(parsed.findings, WarpFile::Area, parsed.file.status, std::move(looping), content);
    return parsed;
}

const ParsedTeams& currentWarpTeamFile(AutoWarper& warper, std::int32_t teams, bool withInsert,
                                       std::int32_t areas) {
    WarpFileCaches& caches = cachesOf(warper);
    if (!caches.teamText.read) {
        readWarpText(*warper.bot.os, caches.teamText, warpTeamFileName);
    }
    ParsedTeams& parsed = caches.teams;
    const std::optional<std::string>& content = caches.teamText.content;
    const bool parse = !parsed.made || parsed.textVersion != caches.teamText.version ||
                       parsed.count != teams || parsed.withInsert != withInsert;
    if (parse) {
        parsed.made = true;
        parsed.textVersion = caches.teamText.version;
        parsed.count = teams;
        parsed.withInsert = withInsert;
        parsed.file = readWarpTeamFile(content, teams, withInsert);
    }
    // A rectangle is checked against the areas in use now, and again after
    // every new parse of WarpArea.ini.
    const std::optional<WarpRectangle>& insert = parsed.file.insertRectangle;
    const ParsedAreas* areaFile =
        insert && areas > 0 ? &currentWarpAreaFile(warper, areas) : nullptr;
    const std::uint64_t areasParse = areaFile ? areaFile->findings.parse : 0;
    if (!parse && parsed.areasParse == areasParse) {
        return parsed;
    }
    parsed.areasParse = areasParse;
    std::vector<std::size_t> looping;
    if (insert && areaFile) {
        looping = placesLeadingInto(*insert, parsed.file.places, areaFile->inUse);
    } else if (insert) {
        looping = placesLeadingInto(*insert, parsed.file.places, {});
    }
    parsed.placeInUse.assign(parsed.file.places.size(), true);
    for (std::size_t freq : looping) {
        parsed.placeInUse[freq] = false;
    }
    // A zone without team places needs no WarpTeam.ini at all.
    setFindings(parsed.findings, WarpFile::Team,
                parsed.file.status.isNotFound() && teams <= 0 ? platform::Status()
                                                              : parsed.file.status,
                std::move(looping), content);
    return parsed;
}

void runWarpFilesTick(AutoWarper& warper) {
    if (!warper.fileCaches) {
        return; // neither file was ever used
    }
    WarpFileCaches& caches = *warper.fileCaches;
    if (caches.teamText.read) {
        readWarpText(*warper.bot.os, caches.teamText, warpTeamFileName);
    }
    // WarpArea.ini is never opened while there are no areas to read.
    if (caches.areaText.read && warper.maxWarpAreas > 0) {
        readWarpText(*warper.bot.os, caches.areaText, warpAreaFileName);
    }
}

} // namespace quorvel
