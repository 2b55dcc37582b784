#include "admin/journal_file.h"

#include "admin/database_economy.h"
#include "admin/folder.h"
#include "admin/output.h"
#include "base/platform/platform.h"
#include "gold/gold_journal.h"
#include "gold/journal_format.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace quorvel::admin {
namespace {

// Problems of one file told one by one up to this many, then counted.
constexpr std::size_t toldAtMost = 10;

class FileFindings {
public:
    FileFindings(JournalSummary& summary, const char* file) : summary_(summary), file_(file) {}
    ~FileFindings() {
        if (told_ > toldAtMost) {
            summary_.findings.push_back({true, std::string(file_) + ": " +
                                                   std::to_string(told_ - toldAtMost) +
                                                   " more lines that are not journal lines"});
        }
    }
    FileFindings(const FileFindings&) = delete;
    FileFindings& operator=(const FileFindings&) = delete;

    void problem(std::size_t line, const std::string& text) {
        if (++told_ <= toldAtMost) {
            summary_.findings.push_back(
                {true, std::string(file_) + ":" + std::to_string(line) + ": " + text});
        }
    }

private:
    JournalSummary& summary_;
    const char* file_;
    std::size_t told_ = 0;
};

// Puts the lines of each record back together as they come, and hands on
// each change when its last line is there, or as cut when something else
// comes first. The reader fills staged() and calls line(); the lines stay
// in one pool from record to record, their strings kept, so a journal of
// millions of lines costs no allocation and no copy of a line per line.
class RecordAssembler {
public:
    RecordAssembler(JournalSummary& summary,
                    const std::function<void(const JournalRecord&)>& onRecord)
        : summary_(summary), onRecord_(onRecord) {}

    // The next line, filled in place before line() takes it.
    JournalEntry& staged() {
        // A record of very many lines (an import of every account) gives
        // back what is more than a few once it is handed on.
        if (used_ == 0 && pool_.size() > keptLines) {
            pool_.resize(keptLines);
        }
        if (used_ == pool_.size()) {
            pool_.emplace_back();
        }
        return pool_[used_];
    }

    void line() {
        const JournalEntry& entry = pool_[used_++];
        if (entry.seq == 0) {
            endBefore();
            hand(true);
            return;
        }
        // A later part of the open record (a part missing between stays
        // with the cut lines it belongs to); anything else begins a record.
        if (used_ > 1 && (entry.seq != pool_[0].seq || entry.parts != pool_[0].parts ||
                          entry.part <= pool_[used_ - 2].part)) {
            endBefore();
        }
        const JournalEntry& taken = pool_[used_ - 1];
        partsInOrder_ = (used_ == 1 || partsInOrder_) && taken.part == used_;
        if (partsInOrder_ && used_ == taken.parts) {
            hand(true);
        }
    }

    // Something that is not a line of the open record: it was cut short. A
    // line staged and never taken is no line.
    void end() {
        if (used_ > 0) {
            hand(false);
        }
    }

    // Records an earlier file held are passed over from now on.
    void knowRepeats() { knowRepeats_ = true; }
    // The end of a file: what it held is what later files may repeat.
    void fileEnded() {
        earlier_.insert(earlier_.end(), current_.begin(), current_.end());
        current_.clear();
    }

private:
    // Records of one file whose numbers and times rise together: one run for
    // a whole journal as the module writes it, another after a sequence
    // begun again or a clock set back.
    struct Run {
        std::uint64_t firstSeq = 0;
        std::uint64_t lastSeq = 0;
        std::string firstTime;
        std::string lastTime;
    };

    bool readBefore(std::uint64_t seq, std::string_view time) {
        const auto holds = [seq, &time](const Run& run) {
            return run.firstSeq <= seq && seq <= run.lastSeq && run.firstTime <= time &&
                   time <= run.lastTime;
        };
        if (lastHit_ < earlier_.size() && holds(earlier_[lastHit_])) {
            return true;
        }
        for (std::size_t i = 0; i < earlier_.size(); ++i) {
            if (holds(earlier_[i])) {
                lastHit_ = i;
                return true;
            }
        }
        return false;
    }

    void remember(std::uint64_t seq, std::string_view time) {
        if (!current_.empty() && seq > current_.back().lastSeq &&
            time >= current_.back().lastTime) {
            current_.back().lastSeq = seq;
            current_.back().lastTime = time;
        } else {
            current_.push_back({seq, seq, std::string(time), std::string(time)});
        }
    }

    // The open record before the line just taken was cut short; the line
    // stays, alone.
    void endBefore() {
        if (used_ > 1) {
            const std::size_t taken = --used_;
            hand(false);
            std::swap(pool_[0], pool_[taken]);
            used_ = 1;
        }
    }

    void hand(bool whole) {
        const JournalEntry& first = pool_[0];
        if (knowRepeats_ && first.seq != 0) {
            if (readBefore(first.seq, first.time)) {
                ++summary_.repeatedRecords;
                used_ = 0;
                return;
            }
            if (whole) {
                remember(first.seq, first.time);
            }
        }
        if (!whole && ++summary_.cutRecords <= toldAtMost) {
            const JournalEntry& last = pool_[used_ - 1];
            const std::string where =
                std::string(first.file) + ":" + std::to_string(first.line) +
                (last.line == first.line ? "" : "-" + std::to_string(last.line));
            summary_.findings.push_back(
                {false, where + ": change " + std::to_string(first.seq) + " (" +
                            printable(first.cause) + " at " + std::string(first.time) +
                            ") was cut short by a crash or a full disk, " + std::to_string(used_) +
                            " of its " + std::to_string(first.parts) +
                            " lines written: it never happened, and the module does not apply "
                            "it."});
        }
        onRecord_(JournalRecord{{pool_.data(), used_}, whole});
        used_ = 0;
    }

    static constexpr std::size_t keptLines = 64;

    JournalSummary& summary_;
    const std::function<void(const JournalRecord&)>& onRecord_;
    std::vector<JournalEntry> pool_; // the open record's lines first
    std::size_t used_ = 0;           // of them
    bool partsInOrder_ = false;      // parts 1 to the last one there, none missing
    bool knowRepeats_ = false;
    std::vector<Run> earlier_; // of the files read before this one
    std::vector<Run> current_;
    std::size_t lastHit_ = 0;
};

// The first time a journal holds and that line's record number, or nothing
// when it holds no journal line among its first lines.
std::optional<std::pair<std::string, std::uint64_t>> firstTimeIn(const std::string& file) {
    constexpr int linesLooked = 1000;
    std::ifstream in(file, std::ios::binary);
    std::string text;
    for (int looked = 0; looked < linesLooked && std::getline(in, text); ++looked) {
        const std::optional<JournalFields> fields = splitJournalLine(text);
        if (fields && !journalLineFlaw(*fields) && isJournalTime(fields->time)) {
            return std::pair{std::string(fields->time), std::uint64_t{fields->seq}};
        }
    }
    return std::nullopt;
}

// The files to read, oldest first: without older journals gold.log.1 and
// gold.log as always; with them, every file once, in the order of the
// times they hold (a file holding none last).
std::vector<std::string> journalFiles(const std::vector<std::string>& older,
                                      JournalSummary& summary) {
    namespace fs = std::filesystem;
    std::vector<std::string> files = {GoldJournal::rotatedName, GoldJournal::fileName};
    if (older.empty()) {
        return files;
    }
    summary.olderGiven = true;
    for (const std::string& given : older) {
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (!fs::exists(status)) {
            summary.unreadable.push_back(given + ": not there" +
                                         (error ? " (" + error.message() + ")" : ""));
            continue;
        }
        if (!fs::is_directory(status)) {
            files.push_back(given);
            continue;
        }
        std::vector<std::string> inFolder;
        for (auto entry = fs::directory_iterator(given, error);
             !error && entry != fs::directory_iterator(); entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            std::error_code notRegular;
            if (name.starts_with(GoldJournal::fileName) && !platform::fileReplacedThrough(name) &&
                entry->is_regular_file(notRegular)) {
                inFolder.push_back(entry->path().string());
            }
        }
        if (error) {
            summary.unreadable.push_back(given + ": cannot list it (" + error.message() + ")");
        } else if (inFolder.empty()) {
            summary.unreadable.push_back(given + ": holds no journal (no file named " +
                                         GoldJournal::fileName + "*)");
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    // The folder's own files come first here, so that one given again is
    // read under its own name.
    std::vector<std::string> once;
    for (const std::string& file : files) {
        const auto same = std::find_if(once.begin(), once.end(), [&file](const std::string& kept) {
            std::error_code error;
            return kept == file || fs::equivalent(kept, file, error);
        });
        if (same == once.end()) {
            once.push_back(file);
        } else {
            summary.sameFiles.push_back(file + " is " + *same);
        }
    }
    using Key = std::optional<std::pair<std::string, std::uint64_t>>;
    std::vector<std::pair<Key, std::string>> keyed;
    for (const std::string& file : once) {
        keyed.emplace_back(firstTimeIn(file), file);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first && (!b.first || *a.first < *b.first);
    });
    files.clear();
    for (auto& [key, file] : keyed) {
        files.push_back(std::move(file));
    }
    return files;
}

// The ledger's applied and history records, in time order, as the journal
// of a folder whose economy is in a database: each line named "database"
// and numbered from 1 in that order.
void readDatabaseJournal(JournalSummary& summary, RecordAssembler& assembler) {
    static constexpr const char* source = "database";
    EconomyDatabase database;
    std::vector<LedgerRecord> records;
    platform::Status read = openEconomyDatabase(database);
    if (read.ok()) {
        read = readLedger(database, records);
    }
    if (!read.ok()) {
        summary.unreadable.push_back(std::string(source) + ": " + read.reason());
        return;
    }
    summary.filesRead.emplace_back(source);
    std::size_t number = 0;
    for (const LedgerRecord& record : records) {
        std::uint32_t part = 0;
        for (const quorvel::JournalEntry& line : record.lines) {
            JournalEntry& entry = assembler.staged();
            entry.file = source;
            entry.line = ++number;
            const std::string bot = std::to_string(line.cause.bot);
            entry.setTexts({line.time, line.cause.what, line.cause.who, line.account, line.field,
                            line.change, line.after, bot});
            entry.seq = record.seq;
            entry.part = ++part;
            entry.parts = static_cast<std::uint32_t>(record.lines.size());
            ++summary.entries;
            assembler.line();
        }
        assembler.end();
    }
}

} // namespace

JournalEntry& JournalEntry::operator=(const JournalEntry& other) {
    if (this == &other) {
        return *this;
    }
    file = other.file;
    line = other.line;
    seq = other.seq;
    part = other.part;
    parts = other.parts;
    amount_ = other.amount_;
    after_ = other.after_;
    // A copy holds its texts itself, those the other viewed in a line being
    // read too: it may outlive the line.
    storage_ = other.storage_;
    const std::array<const std::string_view*, 8> from = {
        &other.time,  &other.cause,  &other.by,    &other.account,
        &other.field, &other.change, &other.after, &other.bot};
    std::array<std::size_t, 8> at{};
    for (std::size_t i = 0; i < from.size(); ++i) {
        const std::string_view text = *from[i];
        const bool own = !text.empty() && text.data() >= other.storage_.data() &&
                         text.data() < other.storage_.data() + other.storage_.size();
        if (own) {
            at[i] = static_cast<std::size_t>(text.data() - other.storage_.data());
        } else {
            at[i] = storage_.size();
            storage_ += text;
        }
    }
    const std::array<std::string_view*, 8> to = texts();
    for (std::size_t i = 0; i < to.size(); ++i) {
        *to[i] = std::string_view(storage_).substr(at[i], from[i]->size());
    }
    return *this;
}

void JournalEntry::viewTexts(const JournalFields& fields) {
    time = fields.time;
    cause = fields.cause;
    by = fields.by;
    account = fields.account;
    field = fields.field;
    change = fields.change;
    after = fields.after;
    bot = fields.bot;
    seq = fields.seq;
    part = fields.part;
    parts = fields.parts;
}

void JournalEntry::setTexts(std::string_view text, const JournalFields& fields) {
    const std::array<std::string_view, 8> split = {fields.time,    fields.cause, fields.by,
                                                   fields.account, fields.field, fields.change,
                                                   fields.after,   fields.bot};
    // Where each text is in storage_: the line first, an unescaped text
    // after it. Views are made once storage_ has stopped growing.
    std::array<std::pair<std::size_t, std::size_t>, 8> at{};
    storage_.assign(text);
    for (std::size_t i = 0; i < split.size(); ++i) {
        const std::string_view piece = split[i];
        if (piece.empty()) {
            continue;
        }
        at[i] = {static_cast<std::size_t>(piece.data() - text.data()), piece.size()};
        const bool escaped = i >= 1 && i <= 3 && piece.find('\\') != std::string_view::npos;
        if (escaped) {
            const std::string plain = journalUnescape(piece);
            at[i] = {storage_.size(), plain.size()};
            storage_ += plain;
        }
    }
    const std::array<std::string_view*, 8> to = texts();
    for (std::size_t i = 0; i < to.size(); ++i) {
        *to[i] = split[i].empty() ? std::string_view()
                                  : std::string_view(storage_).substr(at[i].first, at[i].second);
    }
    seq = fields.seq;
    part = fields.part;
    parts = fields.parts;
}

void JournalEntry::setTexts(const std::array<std::string_view, 8>& plain) {
    std::array<std::size_t, 8> at{};
    storage_.clear();
    for (std::size_t i = 0; i < plain.size(); ++i) {
        at[i] = storage_.size();
        storage_ += plain[i];
    }
    const std::array<std::string_view*, 8> to = texts();
    for (std::size_t i = 0; i < to.size(); ++i) {
        *to[i] = std::string_view(storage_).substr(at[i], plain[i].size());
    }
    amount_ = readJournalChange(change);
    after_ = readJournalValue(isGold(), after);
}

JournalSummary readJournal(const std::vector<std::string>& older,
                           const std::function<void(const JournalRecord&)>& onRecord,
                           const JournalLineScan& scan) {
    JournalSummary summary;
    RecordAssembler records(summary, onRecord);
    if (economyInDatabase()) {
        // The database holds the whole ledger: older journals add nothing.
        readDatabaseJournal(summary, records);
        summary.olderGiven = !older.empty();
        return summary;
    }
    const std::vector<std::string> files = journalFiles(older, summary);
    if (summary.olderGiven) {
        records.knowRepeats();
    }
    // A line without its line end is where a crash or a full disk stopped
    // a write: harmless as the very last line, where the module passes over
    // it, but a sign of damage anywhere before.
    struct CutLine {
        const char* file;
        std::size_t line;
    };
    std::optional<CutLine> cut;
    for (const std::string& path : files) {
        const char* file = path.c_str();
        const bool scanned = scan && older.empty() &&
                             (path == GoldJournal::rotatedName || path == GoldJournal::fileName);
        FileFindings findings(summary, file);
        std::size_t number = 0;
        std::string timeRead; // the last line's time, when it is one
        // Each line's place, for the module's recovery: its second read
        // begins where the first line it may apply begins.
        JournalLinePlace place{path == GoldJournal::rotatedName ? 0u : 1u, 0, 0, true};
        const platform::Status read = readOnlyFiles().forEachLine(
            file, journalChunkBytes, journalLongestLine,
            [&](std::string_view text, bool ended, bool tooLong) {
                ++number;
                if (cut) {
                    summary.findings.push_back(
                        {true, std::string(cut->file) + ":" + std::to_string(cut->line) +
                                   ": a line without its line end in the middle of the journal "
                                   "(cut short by a crash or a full disk); the module passes "
                                   "over it."});
                    cut.reset();
                }
                if (!ended) {
                    records.end();
                    cut = CutLine{file, number};
                    return;
                }
                if (tooLong) {
                    place.known = false; // its length is not told
                    records.end();
                    findings.problem(number, "a line longer than " +
                                                 std::to_string(journalLongestLine / 1024) +
                                                 " KiB, not a journal line");
                    return;
                }
                const std::optional<JournalFields> fields = splitJournalLine(text);
                place.byte = place.next;
                place.next += text.size() + 1;
                if (scanned) {
                    scan(fields, place);
                }
                JournalNumbers numbers;
                std::optional<std::string> why =
                    fields ? journalLineFlaw(*fields, numbers)
                           : "it does not hold seven, eight or ten fields";
                if (why) {
                    records.end();
                    // A write stopped part-way is closed off with two tabs
                    // by the next one: the module's own mending, a note.
                    if (isClosedOffCutLine(text)) {
                        summary.findings.push_back(
                            {false, std::string(file) + ":" + std::to_string(number) +
                                        ": a line cut short (by a crash or a full disk) and "
                                        "closed off by the module; the module passes over it. "
                                        "To do: nothing (the change it began never happened)."});
                        return;
                    }
                    findings.problem(number, "not a journal line (" + *why +
                                                 "); the module passes over it.");
                    return;
                }
                // The lines of one second share their time: it is read once.
                if (timeRead.empty() || fields->time != timeRead) {
                    if (isJournalTime(fields->time)) {
                        timeRead.assign(fields->time);
                    } else {
                        findings.problem(number, "its time \"" + printable(fields->time) +
                                                     "\" is not a time; the module applies the "
                                                     "change all the same.");
                    }
                }
                JournalEntry& entry = records.staged();
                entry.file = file;
                entry.line = number;
                // A line that is a whole record by itself is handed on
                // before the next is read: its texts are viewed where they
                // are read, unless one is escaped. A record of several lines
                // keeps a copy of each until its last.
                const bool alone = fields->seq == 0 || fields->parts == 1;
                if (alone && text.find('\\') == std::string_view::npos) {
                    entry.viewTexts(*fields);
                } else {
                    entry.setTexts(text, *fields);
                }
                entry.setNumbers(numbers);
                ++summary.entries;
                records.line();
            });
        // A record is written whole in one append: none goes on in the next
        // file.
        records.end();
        records.fileEnded();
        if (read.isFailed()) {
            summary.unreadable.push_back(std::string(file) + ": " + read.reason());
        } else if (read.ok()) {
            summary.filesRead.emplace_back(file);
        }
    }
    if (summary.cutRecords > toldAtMost) {
        summary.findings.push_back(
            {false, std::to_string(summary.cutRecords - toldAtMost) +
                        " more changes were cut short by a crash or a full disk: they never "
                        "happened, and the module does not apply them."});
    }
    if (cut) {
        summary.findings.push_back(
            {false, std::string(cut->file) + ":" + std::to_string(cut->line) +
                        ": the last line has no line end (a crash or a full disk stopped its "
                        "write); the module passes over it. To do: nothing (its next write "
                        "closes the line off)."});
    }
    return summary;
}

void tellJournalsRead(const JournalSummary& summary, std::ostream& err) {
    if (!summary.olderGiven) {
        return;
    }
    err << "quorvel-admin: journals read, oldest first: ";
    for (std::size_t i = 0; i < summary.filesRead.size(); ++i) {
        err << (i == 0 ? "" : ", ") << summary.filesRead[i];
    }
    err << '\n';
    for (const std::string& same : summary.sameFiles) {
        err << "quorvel-admin: note: " << same << ", read once\n";
    }
    if (summary.repeatedRecords > 0) {
        err << "quorvel-admin: note: " << plural(summary.repeatedRecords, "change")
            << " found in more than one journal " << (summary.repeatedRecords == 1 ? "is" : "are")
            << " counted once\n";
    }
}

std::optional<std::int64_t> journalSeconds(std::string_view time) {
    if (!isJournalTime(time)) {
        return std::nullopt;
    }
    // Every digit is one: isJournalTime says so.
    const auto number = [time](std::size_t at, std::size_t length) {
        std::int64_t value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + (time[i] - '0');
        }
        return value;
    };
    std::int64_t year = number(0, 4);
    const std::int64_t month = number(5, 2);
    const std::int64_t day = number(8, 2);
    // Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = year / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + number(11, 2) * 3600 + number(14, 2) * 60 + number(17, 2);
}

bool isJournalTimePrefix(const std::string& text) {
    // Whole parts only: a year, a month, a day, an hour, minutes, seconds.
    static constexpr std::array<std::size_t, 7> lengths = {4, 7, 10, 13, 16, 19, 20};
    bool wholePart = false;
    for (std::size_t length : lengths) {
        wholePart |= text.size() == length;
    }
    return wholePart && matchesJournalTimePattern(text);
}

void checkSince(const std::optional<std::string>& since) {
    if (since && !isJournalTimePrefix(*since)) {
        throw AdminError(exitUnreadable, "--since " + *since +
                                             ": not a time like 2026-12-08, 2026-12-08T20:15 "
                                             "or 2026-12-08T20:15:00Z (UTC)");
    }
}

} // namespace quorvel::admin
