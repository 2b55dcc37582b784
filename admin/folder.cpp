#include "admin/folder.h"

#include "admin/database_economy.h"
#include "admin/progress.h"
#include "base/platform/platform.h"
#include "gold/journal_recovery.h"

#include <filesystem>
#include <system_error>

namespace quorvel::admin {

namespace fs = std::filesystem;

namespace {

class ReadOnlyFiles final : public platform::PlatformWrapper {
public:
    ReadOnlyFiles() : PlatformWrapper(platform::realPlatform()) {}

    using platform::FileSystem::replaceFile;
    platform::Status replaceFile(const std::string& path, std::string_view,
                                 const BeforeRename&) override {
        return refuse(path);
    }
    platform::Status renameFile(const std::string& from, const std::string&) override {
        return refuse(from);
    }
    platform::Status removeFile(const std::string& path) override { return refuse(path); }
    platform::Status openAppendFile(const std::string& path,
                                    std::unique_ptr<platform::AppendFile>&) override {
        return refuse(path);
    }
    platform::Status lockFile(const std::string& path,
                              std::unique_ptr<platform::HeldLock>&) override {
        return refuse(path);
    }
    // A journal's reading, shown on the command's progress line.
    platform::Status forEachLineFrom(const std::string& path, std::uint64_t fromByte,
                                     std::size_t chunkBytes, std::size_t maxLineBytes,
                                     const platform::LineReader& onLine) override {
        Progress* progress = commandProgress();
        if (progress == nullptr || !progress->shown()) {
            return PlatformWrapper::forEachLineFrom(path, fromByte, chunkBytes, maxLineBytes,
                                                    onLine);
        }
        std::error_code unknown;
        const std::uintmax_t size = fs::file_size(path, unknown);
        std::uint64_t done = fromByte;
        std::size_t lines = 0;
        platform::Status read = PlatformWrapper::forEachLineFrom(
            path, fromByte, chunkBytes, maxLineBytes,
            [&](std::string_view line, bool ended, bool tooLong) {
                done += line.size() + 1;
                if (++lines % 8192 == 0) {
                    progress->reading(path, done, unknown ? 0 : size);
                }
                onLine(line, ended, tooLong);
            });
        // What the command writes next starts a line of its own.
        progress->clear();
        return read;
    }

private:
    static platform::Status refuse(const std::string& path) {
        return platform::Status::failed("quorvel-admin only reads here, and writes no " + path);
    }
};

} // namespace

platform::Platform& readOnlyFiles() {
    static ReadOnlyFiles files;
    return files;
}

InFolder::InFolder(const std::string& folder) {
    std::error_code error;
    previous_ = fs::current_path(error).string();
    if (error) {
        throw AdminError(exitUnreadable, "cannot tell the current folder: " + error.message());
    }
    const fs::path target = fs::absolute(folder, error);
    if (!error && !fs::is_directory(target, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (!error) {
        fs::current_path(target, error);
    }
    if (error) {
        throw AdminError(exitUnreadable,
                         "cannot work in the folder " + folder + ": " + error.message());
    }
    path_ = fs::current_path(error).string();
}

InFolder::~InFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.string();
}

std::unique_ptr<InspectedEconomy>
inspectEconomy(const std::function<void(const FileEconomy&)>& afterFiles,
               const JournalFirstPass& firstPass) {
    auto inspected = std::make_unique<InspectedEconomy>();
    FileEconomy& economy = inspected->economy;
    economy.inspectOnly();
    ConsoleLines& console = inspected->console;
    economy.join(inspected.get(), 0,
                 [&console](std::string_view line) { console.emplace_back(line); });
    if (economyInDatabase()) {
        // The database's accounts and records are what every host loads.
        EconomyDatabase database;
        platform::Status read = openEconomyDatabase(database);
        if (read.ok()) {
            read = loadFromDatabase(database, economy);
        }
        inspected->unreadable = inspected->goldUnreadable = inspected->inventoryUnreadable =
            !read.ok();
        if (!read.ok()) {
            console.push_back("Could not read the economy's database: " + read.reason());
        }
        if (afterFiles) {
            afterFiles(economy);
        }
        if (firstPass) {
            firstPass([](const std::optional<JournalFields>&, const JournalLinePlace&) {});
        }
        return inspected;
    }
    // As FileEconomy::load at a module start, with each step's outcome kept.
    EconomyBackend::Cause opening(economy, 0, "open", "-");
    // What each load finds wrong is listed as a start would tell it.
    for (bool gold : {false, true}) {
        LoadResult loaded =
            gold ? economy.loadGold(LoadMode::append) : economy.loadInventory(LoadMode::append);
        (gold ? inspected->goldUnreadable : inspected->inventoryUnreadable) = !loaded.status.ok();
        console.insert(console.end(), loaded.findings.begin(), loaded.findings.end());
    }
    inspected->unreadable = inspected->inventoryUnreadable || inspected->goldUnreadable;
    if (afterFiles) {
        afterFiles(economy);
    }
    inspected->unreadable |= !recoverFromJournal(economy, firstPass);
    return inspected;
}

void passOnConsole(const InspectedEconomy& inspected, std::ostream& err) {
    if (inspected.unreadable) {
        std::string why;
        for (const std::string& line : inspected.console) {
            why += (why.empty() ? "" : " ") + line;
        }
        throw AdminError(exitUnreadable, why);
    }
    for (const std::string& line : inspected.console) {
        err << "quorvel-admin: note: " << line
            << (isRecoveryNote(line) ? " (changes not saved yet, included here as the module "
                                       "would recover them)"
                                     : "")
            << '\n';
    }
}

bool isRecoveryNote(std::string_view consoleLine) {
    return (consoleLine.starts_with("Recovered ") &&
            (consoleLine.ends_with(" changes from gold.log.") ||
             consoleLine.ends_with(" change from gold.log."))) ||
           isCutRecordNote(consoleLine);
}

bool isCutRecordNote(std::string_view consoleLine) {
    return consoleLine.starts_with("Passed over ") && consoleLine.ends_with(" never made.");
}

std::string operatorName() {
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        if (auto name = platform::realPlatform().environmentValue(variable);
            name && !name->empty()) {
            return *name;
        }
    }
    return "operator";
}

} // namespace quorvel::admin
