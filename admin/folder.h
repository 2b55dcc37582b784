// What every command shares: working in the bot's folder, the economy loaded
// as the module loads it, and what the module would have said meanwhile.
#pragma once

#include "admin/admin.h"
#include "gold/file_economy.h"
#include "gold/journal_recovery.h"

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::admin {

// A command that cannot go on: the message for standard error and the exit
// status.
struct AdminError : std::runtime_error {
    AdminError(int exitStatus, const std::string& message)
        : std::runtime_error(message), status(exitStatus) {}
    int status;
};

// The module names its files relative to the working directory, so the
// commands work from inside the folder: this changes into it and back.
class InFolder {
public:
    explicit InFolder(const std::string& folder);
    ~InFolder();
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

    const std::string& path() const { return path_; } // absolute

private:
    std::string previous_;
    std::string path_;
};

// A path given on the command line, made absolute before the command
// changes into the folder.
std::string absolutePath(const std::string& path);

// The machine, its files read only: every write (and the folder lock) is
// refused, so a command that only reads cannot change the folder, whatever
// the module's code it runs.
platform::Platform& readOnlyFiles();

// The console lines a module start would show.
using ConsoleLines = std::vector<std::string>;

// gold.dat, inv.dat and what gold.log adds, loaded from the current folder
// as a module start loads them, writing nothing. `afterFiles` sees the
// economy after gold.dat and inv.dat are read and before the journal is
// replayed (what the files hold as they stand).
struct InspectedEconomy {
    FileEconomy economy{readOnlyFiles()};
    ConsoleLines console;
    // A file that exists could not be read (the console says why).
    bool unreadable = false;
    bool goldUnreadable = false;
    bool inventoryUnreadable = false;
};
// `firstPass`, when given, reads gold.log.1 and gold.log for the module's
// recovery as the command reads them for itself (recoverFromJournal).
std::unique_ptr<InspectedEconomy>
inspectEconomy(const std::function<void(const FileEconomy&)>& afterFiles = {},
               const JournalFirstPass& firstPass = {});

// For the commands that only read: what the load told the console goes to
// `err` as notes; a file that could not be read stops the command (exit 2).
void passOnConsole(const InspectedEconomy& inspected, std::ostream& err);

// The module's "Recovered N changes from gold.log." line.
bool isRecoveryNote(std::string_view consoleLine);
// The console line that counts the records a crash or a full disk cut short.
bool isCutRecordNote(std::string_view consoleLine);

// The operator's name for gold.log: the login name, or "operator".
std::string operatorName();

} // namespace quorvel::admin
