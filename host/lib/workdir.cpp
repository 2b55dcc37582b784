#include "lib/workdir.h"

#include <random>
#include <string>

namespace quorvel::host {

std::filesystem::path makeFreshFolder() {
    std::random_device seed;
    std::mt19937 random(seed());
    const char* letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "quorvel-host-";
        for (int i = 0; i < 6; ++i) {
            name += letters[random() % 36];
        }
        std::filesystem::path folder = base / name;
        if (std::filesystem::create_directory(folder)) {
            return folder;
        }
    }
    throw std::filesystem::filesystem_error("cannot create a fresh folder", base,
                                            std::make_error_code(std::errc::file_exists));
}

void seedFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy(from, to,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
}

} // namespace quorvel::host
