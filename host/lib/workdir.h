// The working directory a session runs in: a fresh temporary folder, or one
// given by the user, seeded with the files of an example arena.
#ifndef QUORVEL_HOST_WORKDIR_H
#define QUORVEL_HOST_WORKDIR_H

#include <filesystem>

namespace quorvel::host {

// Creates a new empty folder quorvel-host-XXXXXX in the system's temporary
// folder. Throws std::filesystem::filesystem_error when it cannot.
std::filesystem::path makeFreshFolder();

// Copies every file of `from` (and its sub-folders) into `to`, replacing
// files of the same name.
void seedFolder(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace quorvel::host

#endif
