#include "scratch_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace quorvel::fuzz {
namespace {

std::filesystem::path scratchRoot() {
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    if (std::filesystem::is_directory(shm, error) && ::access(shm.c_str(), W_OK) == 0) {
        return shm;
    }
    return std::filesystem::temp_directory_path();
}

} // namespace

ScratchFolder::ScratchFolder() {
    previous_ = std::filesystem::current_path().string();
    std::string pattern = (scratchRoot() / "quorvel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        fail("cannot make a scratch folder");
    }
    path_ = pattern;
    std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        fail("cannot write " + name);
    }
}

std::string readFile(const std::string& name, bool* found) {
    std::ifstream in(name, std::ios::binary);
    if (found != nullptr) {
        *found = static_cast<bool>(in);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace quorvel::fuzz
