// check: every file the module reads, read by the module's own readers, with
// what they find wrong listed instead of told on a console; then what only a
// look at a whole file can see. Nothing is written, and gold.lock is not
// touched.
#include "admin/commands.h"
#include "admin/database_economy.h"
#include "admin/economy_checks.h"
#include "admin/folder.h"
#include "admin/journal_file.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/database_settings.h"
#include "gold/file_economy.h"
#include "gold/gold_journal.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"
#include "warps/warp_file_cache.h"
#include "warps/warp_files.h"
#include "zombies/ghoulset_file.h"
#include "zombies/zombie_game.h"
#include "zombies/zombies.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace quorvel::admin {
namespace {

constexpr const char* settingsName = "quorvel.ini";
// Tiles of the map, in each direction.
constexpr std::int32_t mapTiles = 1024;

struct Findings {
    std::vector<std::string> files; // one status line per file
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    std::vector<std::string> facts; // what the files choose, one line each
    bool unreadable = false;

    void file(std::string_view name, const std::string& status) {
        files.push_back(fillToWidth(name, 14) + status);
    }
    void fromModule(const ConsoleLines& lines) {
        problems.insert(problems.end(), lines.begin(), lines.end());
    }
};

std::string bytesText(std::uint64_t size) {
    return std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

// A small text file: its status line, and whether it could be read.
struct TextFile {
    platform::Status status;
    std::string bytes;
};

TextFile readTextFile(Findings& found, const char* name) {
    TextFile read;
    read.status = readOnlyFiles().readFile(name, read.bytes);
    if (read.status.ok()) {
        found.file(name, "read, " + bytesText(read.bytes.size()));
    } else if (read.status.isNotFound()) {
        found.file(name, "not there");
    } else {
        found.file(name, "could not be read");
        found.unreadable = true;
    }
    return read;
}

bool onMap(std::int32_t x, std::int32_t y) {
    return x >= 0 && x < mapTiles && y >= 0 && y < mapTiles;
}

// Strictly inside is inside (insideRectangle), so a rectangle less than two
// tiles wide or high holds no tile.
bool holdsNoTile(const WarpRectangle& r) {
    return std::int64_t{r.right} - r.left < 2 || std::int64_t{r.bottom} - r.top < 2;
}

std::string rectangleText(const WarpRectangle& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

void checkSettings(Findings& found, BotSpawn& spawn) {
    const TextFile read = readTextFile(found, settingsName);
    if (read.status.isFailed()) {
        found.problems.push_back("Could not read quorvel.ini: " + read.status.reason() +
                                 "; the module takes every setting's default.");
    } else if (read.status.isNotFound()) {
        found.notes.push_back("quorvel.ini is not there: the module takes every setting's "
                              "default (the store is off).");
    }
    const std::vector<std::string> refused = readSettings(spawn);
    if (!read.status.isFailed() && !read.status.isNotFound()) {
        const std::size_t applied = settingKeyCount(spawn) - refused.size();
        found.facts.push_back(
            "quorvel.ini: " + plural(applied, "value") + " applied" +
            (refused.empty()
                 ? std::string(".")
                 : ", " + std::to_string(refused.size()) +
                       " refused (each told below as the module tells it: a start takes the "
                       "default, a running bot keeps the value in force)."));
    }
    found.problems.insert(found.problems.end(), refused.begin(), refused.end());
    for (const SettingKey<GoldService>& key : goldTable.settings) {
        if (key.section == "Store" && key.field(spawn.gold) == 0) {
            found.problems.push_back("quorvel.ini: Store:" + std::string(key.key) +
                                     " is 0: the store gives it away for nothing.");
        }
    }
}

// The [Database] section, read as the module reads it when it opens the
// folder's economy. A connection string is shown with its password hidden.
void checkDatabaseSettings(Findings& found) {
    const DatabaseSettingsRead read = readDatabaseSettings(readOnlyFiles(), ".");
    found.problems.insert(found.problems.end(), read.findings.begin(), read.findings.end());
    if (read.settings.economy != EconomyKind::database) {
        return;
    }
    const DatabaseSettings& settings = read.settings;
    found.facts.push_back(
        "economy: database, host " +
        (settings.hostId.empty() ? std::string("not named") : printable(settings.hostId)) +
        ", connection " +
        (settings.connection.empty() ? std::string("not given")
                                     : printable(connectionForDisplay(settings.connection))) +
        (read.storeClosedBecause ? "; the store stays closed" : ""));
}

void checkGhoulset(Findings& found, BotSpawn& spawn) {
    const TextFile read = readTextFile(found, ghoulsetFileName);
    const GhoulsetRead loaded = readZombieSettings(spawn.zombieGame);
    found.problems.insert(found.problems.end(), loaded.findings.begin(), loaded.findings.end());
    if (read.status.isNotFound()) {
        found.notes.push_back("Ghoulset.ini is not there: the zombies game plays with its "
                              "defaults.");
    }
    if (loaded.read.ok() && loaded.numbersRead < ghoulsetNumbers) {
        found.problems.push_back(
            "Ghoulset.ini: only " + plural(loaded.numbersRead, "number") +
            " of eight could be read (human freq and ship, zombie freq and ship, the "
            "sanctuary's corners); the zombies game keeps its defaults for the rest.");
    }
}

void checkWarpFiles(Findings& found, BotSpawn& spawn) {
    AutoWarper& warper = spawn.autoWarper;
    const std::int32_t teams = std::max(warper.maxWarpTeams, 0);
    const std::int32_t areas = std::max(warper.maxWarpAreas, 0);
    for (const char* name : {warpTeamFileName, warpAreaFileName}) {
        const TextFile read = readTextFile(found, name);
        if (read.status.isFailed()) {
            found.problems.push_back(std::string("Could not read ") + name + ": " +
                                     read.status.reason() +
                                     "; the module takes it for a missing file.");
        }
        if (name == warpAreaFileName && areas == 0 && read.status.ok()) {
            found.notes.push_back("WarpArea.ini is not read: [Settings] MaxWarpAreas is 0.");
        }
    }
    // As the first team warp reads WarpTeam.ini (warping on insert is on
    // at a start), and the first move report WarpArea.ini.
    const ParsedTeams& team = currentWarpTeamFile(warper, teams, true, areas);
    found.fromModule(team.findings.lines);
    const ParsedAreas* area = nullptr;
    if (areas > 0) {
        area = &currentWarpAreaFile(warper, areas);
        found.fromModule(area->findings.lines);
    }

    for (std::size_t freq = 0; freq < team.file.places.size(); ++freq) {
        const TilePoint& place = team.file.places[freq];
        if (!onMap(place.x, place.y)) {
            found.problems.push_back("WarpTeam.ini: the place of freq " + std::to_string(freq) +
                                     ", " + std::to_string(place.x) + " " +
                                     std::to_string(place.y) + ", is off the map (tiles 0 to " +
                                     std::to_string(mapTiles - 1) + ").");
        }
    }
    if (team.file.insertRectangle && holdsNoTile(*team.file.insertRectangle)) {
        found.problems.push_back("WarpTeam.ini: the insert rectangle " +
                                 rectangleText(*team.file.insertRectangle) +
                                 " is empty: no tile lies inside it, so nobody is ever warped "
                                 "on insert.");
    }
    if (area == nullptr) {
        return;
    }
    for (std::size_t index = 0; index < area->file.records.size(); ++index) {
        const WarpAreaRecord& record = area->file.records[index];
        const std::string which = "WarpArea.ini: area " + std::to_string(index + 1);
        if (!onMap(record.destination.x, record.destination.y)) {
            found.problems.push_back(
                which + " sends players to " + std::to_string(record.destination.x) + " " +
                std::to_string(record.destination.y) + ", off the map (tiles 0 to " +
                std::to_string(mapTiles - 1) + ").");
        }
        if (holdsNoTile(record.area)) {
            found.problems.push_back(which + ", " + rectangleText(record.area) +
                                     ", is empty: no tile lies inside it.");
        }
    }
}

// Records whose names the module matches as one: only the first is ever
// found, and a save writes them all back.
template <typename Records, typename NameOf>
void checkSameNames(Findings& found, const char* file, const Records& records,
                    const NameOf& nameOf) {
    // Sorted by folded name, then by place: a file of many thousands of
    // records makes one vector, not a node and a vector per name.
    std::vector<std::pair<std::string, std::size_t>> byName;
    byName.reserve(records.size());
    for (std::size_t at = 0; at < records.size(); ++at) {
        byName.emplace_back(foldedCopy(nameOf(records[at])), at);
    }
    std::sort(byName.begin(), byName.end());
    std::vector<std::size_t> positions;
    for (auto same = byName.begin(); same != byName.end();) {
        const std::string& key = same->first;
        const auto end = std::find_if(same, byName.end(),
                                      [&key](const auto& named) { return named.first != key; });
        positions.clear();
        for (; same != end; ++same) {
            positions.push_back(same->second);
        }
        if (positions.size() < 2) {
            continue;
        }
        std::string numbers;
        std::string names;
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const char* joint = i == 0 ? "" : i + 1 == positions.size() ? " and " : ", ";
            numbers += joint + std::to_string(positions[i] + 1);
            names += (i == 0 ? "\"" : ", \"") + printable(nameOf(records[positions[i]])) + "\"";
        }
        found.problems.push_back(std::string(file) + ": records " + numbers +
                                 " hold the same name (" + names +
                                 "); the module uses only the first of them.");
    }
}

// `readJournal` reads the journal for every look at it, and for the module's
// recovery too: `journal` holds what it read once inspectEconomy is done.
void checkEconomy(Findings& found, const JournalValues& journal,
                  const JournalFirstPass& readJournal) {
    LoadedFromFiles fromFiles;
    auto inspected = inspectEconomy(
        [&](const FileEconomy& economy) {
            fromFiles.accounts = economy.ledger().size();
            fromFiles.records = economy.book().size();
            fromFiles.goldNames.reserve(fromFiles.accounts);
            fromFiles.inventoryNames.reserve(fromFiles.records);
            for (const GoldAccount& account : economy.ledger().accounts()) {
                fromFiles.goldNames.insert(
                    foldedCopy(fieldText(account.name, sizeof account.name)));
            }
            for (const InventoryRecord& record : economy.book().records()) {
                fromFiles.inventoryNames.insert(
                    foldedCopy(fieldText(record.name, sizeof record.name)));
            }
            checkSameNames(found, FileEconomy::goldName, economy.ledger().accounts(),
                           [](const GoldAccount& a) { return fieldText(a.name, sizeof a.name); });
            checkSameNames(
                found, FileEconomy::inventoryName, economy.book().records(),
                [](const InventoryRecord& r) { return fieldText(r.name, sizeof r.name); });
        },
        readJournal);
    found.unreadable |= inspected->unreadable;
    std::vector<std::string> fileWords;
    for (const std::string& line : inspected->console) {
        if (isCutRecordNote(line)) {
            continue; // each cut record is named by the journal's own notes below
        }
        if (isDataFileWords(line)) {
            fileWords.push_back(line); // told with the file's other findings
        } else if (isRecoveryNote(line)) {
            found.notes.push_back("A module start here would say: \"" + line +
                                  "\" (changes made since the last save: a host works in this "
                                  "folder, or the last one stopped without saving). To do: "
                                  "nothing; the module brings them back at its start.");
        } else {
            found.problems.push_back(line);
        }
    }
    for (const char* name : {FileEconomy::goldName, FileEconomy::inventoryName}) {
        const bool gold = name == FileEconomy::goldName;
        const std::optional<platform::FileStamp> stamp = readOnlyFiles().fileStamp(name);
        if (gold ? inspected->goldUnreadable : inspected->inventoryUnreadable) {
            found.file(name, "could not be read");
            continue;
        }
        if (!stamp) {
            found.file(name, "not there");
            continue;
        }
        found.file(name, plural(gold ? fromFiles.accounts : fromFiles.records,
                                gold ? "account" : "record") +
                             ", " + bytesText(stamp->size));
    }
    for (std::string& problem : damagedFiles(*inspected, fromFiles, fileWords, journal)) {
        found.problems.push_back(std::move(problem));
    }
    if (!inspected->unreadable) { // else what a module start loads is not known
        for (std::string& problem : disagreementsWithJournal(inspected->economy, journal)) {
            found.problems.push_back(std::move(problem));
        }
    }
}

void checkJournal(Findings& found, const JournalSummary& summary,
                  std::map<std::string, std::size_t>& lines) {
    // The module's own words on an unreadable journal came with the economy.
    found.unreadable |= !summary.unreadable.empty();
    for (const char* name : {GoldJournal::fileName, GoldJournal::rotatedName}) {
        const bool read = std::find(summary.filesRead.begin(), summary.filesRead.end(), name) !=
                          summary.filesRead.end();
        const std::optional<platform::FileStamp> stamp = readOnlyFiles().fileStamp(name);
        found.file(name, read    ? plural(lines[name], "journal line")
                         : stamp ? "could not be read"
                                 : "not there");
    }
    for (const JournalFinding& finding : summary.findings) {
        (finding.problem ? found.problems : found.notes).push_back(finding.text);
    }
}

// A folder whose economy is in a database: the database instead of gold.dat,
// inv.dat and gold.log, which the module does not read then.
void checkEconomyDatabase(Findings& found) {
    DatabaseCheck checked = checkDatabase();
    found.files.insert(found.files.end(), checked.status.begin(), checked.status.end());
    found.problems.insert(found.problems.end(), checked.problems.begin(), checked.problems.end());
    found.notes.insert(found.notes.end(), checked.notes.begin(), checked.notes.end());
    found.unreadable |= checked.unreadable;
}

// Temporary files of saves whose process was killed during them: the file
// each was to replace is whole, and the next module start removes them.
void checkLeftoverSaves(Findings& found) {
    for (const std::string& name : readOnlyFiles().temporaryFilesIn(".")) {
        found.problems.push_back(name + ": left by a save of " +
                                 platform::fileReplacedThrough(name).value_or("") +
                                 " that never finished (its process stopped during it); the "
                                 "next module start here removes it.");
    }
}

} // namespace

int checkFolder(const std::string& folder, std::ostream& out, std::ostream&) {
    InFolder in(folder);
    Findings found;
    EconomyFolders economies;
    auto spawn = std::make_unique<BotSpawn>(1, readOnlyFiles(), economies);
    checkSettings(found, *spawn);
    checkDatabaseSettings(found);
    checkWarpFiles(found, *spawn);
    checkGhoulset(found, *spawn);
    if (economyInDatabase()) {
        checkEconomyDatabase(found);
    } else {
        // One read of the journal serves every look at it, the module's
        // recovery's among them.
        std::map<std::string, std::size_t> lines;
        JournalValues journal;
        checkEconomy(found, journal, [&](const JournalLineScan& scan) {
            // Counted by the file's name as the reader holds it while the
            // file is read: no name is looked up per record.
            const char* file = nullptr;
            std::size_t* count = nullptr;
            journal = lastJournalValues(
                [&](const JournalRecord& record) {
                    if (record.first().file != file) {
                        file = record.first().file;
                        count = &lines[file];
                    }
                    *count += record.lines.size();
                },
                scan);
        });
        checkJournal(found, journal.summary, lines);
    }
    checkLeftoverSaves(found);

    out << "Checked " << in.path() << " as the module reads it:\n";
    for (const std::string& line : found.files) {
        out << "  " << line << '\n';
    }
    for (const std::string& fact : found.facts) {
        out << fact << '\n';
    }
    for (const std::string& problem : found.problems) {
        out << "problem: " << problem << '\n';
    }
    for (const std::string& note : found.notes) {
        out << "note: " << note << '\n';
    }
    out << (found.problems.empty() ? std::string("No problems")
                                   : plural(found.problems.size(), "problem"))
        << (found.notes.empty() ? "" : ", " + plural(found.notes.size(), "note")) << ".\n";
    if (found.unreadable) {
        return 2;
    }
    return found.problems.empty() ? 0 : 1;
}

} // namespace quorvel::admin
