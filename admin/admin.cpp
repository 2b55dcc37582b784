// The command line of quorvel-admin: one sub-command per task, each with its
// own --help.
#include "admin/admin.h"

#include "admin/commands.h"
#include "admin/folder.h"
#include "admin/journal_file.h"
#include "admin/progress.h"
#include "quorvel_version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace quorvel::admin {
namespace {

constexpr const char* folderHelp =
    "the bot's folder (its working directory, where gold.dat is); default: the current one";

Format formatNamed(const std::string& name) {
    return name == "csv" ? Format::csv : name == "json" ? Format::json : Format::table;
}

void addFolder(CLI::App* command, std::string& folder) {
    command->add_option("DIR", folder, folderHelp);
}

// Older journals for a whole history; made absolute before the command
// changes into the folder.
void addJournals(CLI::App* command, std::vector<std::string>& journals) {
    command
        ->add_option("--journal", journals,
                     "older journals read too, oldest first by their times: files, or folders "
                     "whose gold.log* files are read (the module's kept journals); a change "
                     "found in two is counted once")
        ->transform([](std::string path) { return absolutePath(path); });
}

void addFormat(CLI::App* command, std::string& format) {
    command->add_option("--format", format, "table (default), csv or json")
        ->check(CLI::IsMember({"table", "csv", "json"}));
}

// A time given on the command line is checked before any file is read.
void checkTime(const char* option, const std::optional<std::string>& time) {
    if (time && !isJournalTimePrefix(*time)) {
        throw AdminError(exitUnreadable, std::string(option) + " " + *time +
                                             ": not a time like 2026-12-08, 2026-12-08T20:15 or "
                                             "2026-12-08T20:15:00Z (UTC)");
    }
}

// --since is inclusive and --until exclusive, both compared as text with the
// journal's times: a period that holds no time at all is a mistake.
void checkPeriod(const std::optional<std::string>& since, const std::optional<std::string>& until) {
    checkTime("--since", since);
    checkTime("--until", until);
    if (since && until && *until <= *since) {
        throw AdminError(exitUnreadable, "--until " + *until + " is not after --since " + *since +
                                             ": the period holds no time");
    }
}

// gold and items: the same options, read into the same ListOptions.
struct ListCommand {
    CLI::App* command = nullptr;
    ListOptions options;
    std::string sort = "balance";
    std::string format = "table";
    // Signed, so that a negative count is refused rather than read as a huge one.
    std::int64_t top = 0;
    bool items = false;

    void add(CLI::App& app, const char* name, const char* description, const char* sortHelp) {
        command = app.add_subcommand(name, description);
        items = std::string_view(name) == "items";
        addFolder(command, options.folder);
        command->add_option("--sort", sort, sortHelp);
        command->add_option("--top", top, "only the first N");
        command->add_option("--name", options.name,
                            "only NAME's, matched as the module matches names (the case of A to "
                            "Z ignored, the first 19 characters)");
        addFormat(command, format);
    }

    const ListOptions& finished() {
        options.byName = sort == "name";
        if (sort != "name" && sort != "balance") {
            if (!items) {
                throw AdminError(exitUnreadable, "--sort " + sort + ": sort by balance or name");
            }
            options.byItem = sort; // listItems knows the item words
        }
        options.format = formatNamed(format);
        if (command->count("--top") > 0) {
            if (top < 0) {
                throw AdminError(exitUnreadable, "--top " + std::to_string(top) +
                                                     ": not a number of rows (0 or more)");
            }
            options.top = static_cast<std::size_t>(top);
        }
        return options;
    }
};

// The number of single-character edits that make one word the other.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// A first word that names no command: the nearest command when it is a
// slip of a letter or two, and every command. Nothing when the word is a
// command or an option.
std::optional<std::string> unknownCommand(const CLI::App& app,
                                          const std::vector<std::string>& args) {
    if (args.empty() || args.front().starts_with("-")) {
        return std::nullopt;
    }
    const std::string& typed = args.front();
    std::string names;
    std::string nearest;
    std::size_t nearestDistance = 3; // more edits than this is no slip
    for (const CLI::App* command : app.get_subcommands({})) {
        const std::string& name = command->get_name();
        if (name == typed) {
            return std::nullopt;
        }
        names += (names.empty() ? "" : ", ") + name;
        if (const std::size_t distance = editDistance(lowerCase(typed), name);
            distance < nearestDistance) {
            nearest = name;
            nearestDistance = distance;
        }
    }
    return "unknown command " + typed +
           (nearest.empty() ? "." : ": did you mean " + nearest + "?") + " The commands: " + names +
           ".";
}

} // namespace

// Declares every sub-command with its options in the order --help lists them,
// then runs the one given: long for the number of sub-commands, not for any
// logic of its own, which lives in the functions it calls.
int runAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"quorvel-admin: looks after the gold economy of a Quorvel bot's folder "
                 "(gold.dat, inv.dat, gold.log, the .ini files), reading every file with the "
                 "module's own code.\nOnly set, import, migrate and export change anything, and "
                 "only while no host holds the folder's gold.lock; report -o writes its page.",
                 "quorvel-admin"};
    app.require_subcommand(1);
    app.fallthrough(false);
    app.set_version_flag("--version", "quorvel-admin " QUORVEL_VERSION_TEXT,
                         "the version of this quorvel-admin");

    std::string checkFolderName = ".";
    CLI::App* check = app.add_subcommand(
        "check", "read every file the module reads and report every problem, in the module's "
                 "own words where it has them; exit status 0 clean, 1 problems, 2 a file could "
                 "not be read. Writes nothing.");
    addFolder(check, checkFolderName);

    ListCommand gold;
    gold.add(app, "gold",
             "the gold accounts as a module start would load them (unsaved changes in gold.log "
             "included); a table ends with the number of accounts and their gold",
             "balance (default: highest first) or name");
    ListCommand items;
    items.add(app, "items", "the inventory records as a module start would load them",
              "balance (default: the most items first), name, or an item word (guns, bombs, "
              "multi, super, shield, thor, prize, portal: the most of it first)");

    HistoryOptions historyOptions;
    std::string historyFormat = "table";
    CLI::App* history = app.add_subcommand(
        "history", "every change to one player's gold and items in gold.log.1 and gold.log, "
                   "oldest first");
    history->add_option("NAME", historyOptions.name, "the player")->required();
    addFolder(history, historyOptions.folder);
    history->add_option("--since", historyOptions.since,
                        "only changes at or after TIME (UTC, as the journal writes it: "
                        "2026-12-08, 2026-12-08T20:15, 2026-12-08T20:15:00Z)");
    history->add_option(
        "--until", historyOptions.until,
        "only changes before TIME (as --since; --until 2026-12-09 ends with the 8th)");
    history->add_option("--cause", historyOptions.cause,
                        "only changes of this cause (kill, purchase, givegold, \"admin set\" "
                        "...; a first word matches every cause that begins with it)");
    addFormat(history, historyFormat);
    addJournals(history, historyOptions.journals);

    std::string setName, setAmount, setFolderName = ".";
    CLI::App* set = app.add_subcommand(
        "set", "set NAME's gold to AMOUNT, only while no host holds gold.lock; journaled in "
               "gold.log as \"admin set\"");
    set->add_option("NAME", setName, "the account (made when there is none)")->required();
    set->add_option("AMOUNT", setAmount, "the new balance, 0 to 4294967295")->required();
    addFolder(set, setFolderName);

    std::string importFile, importFolderName = ".";
    CLI::App* import = app.add_subcommand(
        "import", "set the balances a CSV file lists (one name,amount per line), only while no "
                  "host holds gold.lock; journaled in gold.log as \"admin import\"");
    import->add_option("FILE", importFile, "the CSV file")->required();
    addFolder(import, importFolderName);

    std::string migrateFolderName = ".";
    CLI::App* migrate = app.add_subcommand(
        "migrate", "move the folder's economy (gold.dat, inv.dat and what gold.log adds) into "
                   "the database its quorvel.ini names ([Database] Economy=database), only while "
                   "no host holds gold.lock and only when check finds nothing that would be "
                   "lost; a second run changes nothing");
    addFolder(migrate, migrateFolderName);

    std::string exportFolderName = ".";
    bool exportReplace = false;
    CLI::App* exportCommand = app.add_subcommand(
        "export", "write the database's accounts, inventory records and ledger as the folder's "
                  "gold.dat, inv.dat and gold.log, only while no host holds gold.lock");
    addFolder(exportCommand, exportFolderName);
    exportCommand->add_flag("--replace", exportReplace,
                            "replace the economy files the folder holds (gold.dat, inv.dat, "
                            "gold.log, gold.log.1, gold.state); without it a folder holding "
                            "any of them is refused");

    ReportOptions reportOptions;
    CLI::App* report = app.add_subcommand(
        "report", "one self-contained HTML page for the zone's web site: the richest players, "
                  "the gold in circulation, gold earned and spent by cause, staff actions and "
                  "the pairs who killed each other most");
    addFolder(report, reportOptions.folder);
    report->add_option("-o,--output", reportOptions.output,
                       "write the page to FILE (default: standard output)");
    report->add_option("--since", reportOptions.since,
                       "only the journal from TIME on (UTC, as for history)");
    report->add_option("--until", reportOptions.until,
                       "only the journal before TIME (UTC, as for history)");
    addJournals(report, reportOptions.journals);

    if (const auto unknown = unknownCommand(app, args)) {
        err << "quorvel-admin: " << *unknown << '\n';
        return exitUnreadable;
    }
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ExtrasError&) {
        // CLI11's own message names them last first: they are named here
        // as they were typed.
        const std::vector<std::string> extras = app.remaining(true);
        err << (extras.size() == 1 ? "The following argument was not expected:"
                                   : "The following arguments were not expected:");
        for (const std::string& extra : extras) {
            err << ' ' << extra;
        }
        err << "\nRun with --help for more information.\n";
        return exitUnreadable;
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? exitClean : exitUnreadable;
    }
    try {
        // Shown on a terminal once a command has run two seconds.
        CommandProgress progress(err);
        if (check->parsed()) {
            return checkFolder(checkFolderName, out, err);
        }
        if (gold.command->parsed()) {
            return listGold(gold.finished(), out, err);
        }
        if (items.command->parsed()) {
            return listItems(items.finished(), out, err);
        }
        if (history->parsed()) {
            checkPeriod(historyOptions.since, historyOptions.until);
            historyOptions.format = formatNamed(historyFormat);
            return showHistory(historyOptions, out, err);
        }
        if (set->parsed()) {
            return setBalance(setName, setAmount, setFolderName, out, err);
        }
        if (import->parsed()) {
            return importBalances(importFile, importFolderName, out, err);
        }
        if (migrate->parsed()) {
            return migrateFolder(migrateFolderName, out, err);
        }
        if (exportCommand->parsed()) {
            return exportFolder(exportFolderName, exportReplace, out, err);
        }
        if (report->parsed()) {
            checkPeriod(reportOptions.since, reportOptions.until);
            if (reportOptions.output) {
                reportOptions.output = absolutePath(*reportOptions.output);
            }
            return writeReport(reportOptions, out, err);
        }
    } catch (const AdminError& e) {
        err << "quorvel-admin: " << e.what() << '\n';
        return e.status;
    } catch (const std::exception& e) {
        err << "quorvel-admin: " << e.what() << '\n';
        return exitUnreadable;
    }
    return exitUnreadable;
}

} // namespace quorvel::admin
