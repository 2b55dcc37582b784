// The sub-commands of quorvel-admin, each run on one folder. Each returns
// its exit status, or throws AdminError (folder.h).
#pragma once

#include "admin/output.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quorvel::admin {

int checkFolder(const std::string& folder, std::ostream& out, std::ostream& err);

struct ListOptions {
    std::string folder = ".";
    bool byName = false; // else by balance, highest first
    // items: by the count of the item of this word, highest first (the word
    // is checked by listItems).
    std::optional<std::string> byItem;
    std::optional<std::size_t> top;
    std::optional<std::string> name;
    Format format = Format::table;
};
int listGold(const ListOptions& options, std::ostream& out, std::ostream& err);
int listItems(const ListOptions& options, std::ostream& out, std::ostream& err);

struct HistoryOptions {
    std::string name;
    std::string folder = ".";
    std::optional<std::string> since;
    std::optional<std::string> until; // before this time
    std::optional<std::string> cause;
    Format format = Format::table;
    std::vector<std::string> journals; // older journals, files or folders, read too
};
int showHistory(const HistoryOptions& options, std::ostream& out, std::ostream& err);

int setBalance(const std::string& name, const std::string& amount, const std::string& folder,
               std::ostream& out, std::ostream& err);
int importBalances(const std::string& csvFile, const std::string& folder, std::ostream& out,
                   std::ostream& err);

// The folder's economy moved from its files into the database its
// quorvel.ini names; and the database's economy written as a folder's files
// (into one without them, unless `replace`).
int migrateFolder(const std::string& folder, std::ostream& out, std::ostream& err);
int exportFolder(const std::string& folder, bool replace, std::ostream& out, std::ostream& err);

struct ReportOptions {
    std::string folder = ".";
    std::optional<std::string> output; // else standard output
    std::optional<std::string> since;
    std::optional<std::string> until;  // before this time
    std::vector<std::string> journals; // older journals, files or folders, read too
};
int writeReport(const ReportOptions& options, std::ostream& out, std::ostream& err);

} // namespace quorvel::admin
