// quorvel-admin: looks after the gold economy of a bot's folder with the
// module's own file code, so every file is read exactly as the module reads
// it. runAdmin is the whole program less the process: main() hands it the
// command line, and the tests call it directly.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quorvel::admin {

// Exit statuses.
inline constexpr int exitClean = 0;
inline constexpr int exitProblems = 1;   // problems found, or a change refused
inline constexpr int exitUnreadable = 2; // a file could not be read, or a bad command line

// `args` without the program's name. Writes what the command shows to
// `out`, errors and notes to `err`, and returns the exit status.
int runAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace quorvel::admin
