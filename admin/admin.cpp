// The command line of quorvel-admin: one sub-command per task, each with its
// own --help.
#include "admin/admin.h"

#include "admin/commands.h"
#include "admin/folder.h"
#include "admin/progress.h"

#include <CLI/CLI.hpp>

#include <algorithm>
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

void addFormat(CLI::App* command, std::string& format) {
    command->add_option("--format", format, "table (default), csv or json")
        ->check(CLI::IsMember({"table", "csv", "json"}));
}

// gold and items: the same options, read into the same ListOptions.
struct ListCommand {
    CLI::App* command = nullptr;
    ListOptions options;
    std::string sort = "balance";
    std::string format = "table";
    std::size_t top = 0;

    void add(CLI::App& app, const char* name, const char* description) {
        command = app.add_subcommand(name, description);
        addFolder(command, options.folder);
        command->add_option("--sort", sort, "balance (default: highest first) or name")
            ->check(CLI::IsMember({"balance", "name"}));
        command->add_option("--top", top, "only the first N");
        command->add_option("--name", options.name,
                            "only NAME's, matched as the module matches names (the case of A to "
                            "Z ignored, the first 19 characters)");
        addFormat(command, format);
    }

    const ListOptions& finished() {
        options.byName = sort == "name";
        options.format = formatNamed(format);
        if (command->count("--top") > 0) {
            options.top = top;
        }
        return options;
    }
};

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

    std::string checkFolderName = ".";
    CLI::App* check = app.add_subcommand(
        "check", "read every file the module reads and report every problem, in the module's "
                 "own words where it has them; exit status 0 clean, 1 problems, 2 a file could "
                 "not be read. Writes nothing.");
    addFolder(check, checkFolderName);

    ListCommand gold;
    gold.add(app, "gold",
             "the gold accounts as a module start would load them (unsaved changes in gold.log "
             "included)");
    ListCommand items;
    items.add(app, "items",
              "the inventory records as a module start would load them; --sort balance puts "
              "the most items first");

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
    history->add_option("--cause", historyOptions.cause,
                        "only changes of this cause (kill, purchase, givegold, \"admin set\" "
                        "...; a first word matches every cause that begins with it)");
    addFormat(history, historyFormat);

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

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
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
