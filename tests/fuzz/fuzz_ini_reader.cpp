// quorvel.ini as an operator may leave it, asked for any section and key.
// The input is "section\nkey\ncontent". A value comes back cut to the
// module's length and is text of the file; the section and key match
// whatever the case of their letters; and the module's own settings load
// from the same file without harm.
#include "base/platform/ini_reader.h"
#include "base/platform/machine.h"
#include "base/platform/platform.h"
#include "gold/file_economy.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"

#include "scratch_folder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace quorvel;
using quorvel::fuzz::fail;

namespace {

constexpr std::size_t longestValue = 15;
// No file text can hold this, so it tells a fallback from a value.
constexpr std::string_view fallback = "\x01missing\x02";

std::string_view takeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    return line;
}

std::string swapCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view section = takeLine(input);
    const std::string_view key = takeLine(input);
    const std::string_view content = input;

    fuzz::ScratchFolder folder;
    fuzz::writeFile("quorvel.ini", content);
    const std::string path = platform::joinPath(platform::currentDirectory(), "quorvel.ini");

    const std::string value = platform::readIniValue(path, section, key, fallback, longestValue);
    if (value != platform::iniValueOrDefault(content, section, key, fallback, longestValue)) {
        fail("the file and its text read differently");
    }
    if (value != fallback) {
        if (value.size() > longestValue) {
            fail("a value of " + std::to_string(value.size()) + " characters was not cut");
        }
        if (content.find(value) == std::string_view::npos) {
            fail("the value \"" + value + "\" is not text of the file");
        }
    }
    if (platform::readIniValue(path, swapCase(section), swapCase(key), fallback, longestValue) !=
        value) {
        fail("the case of the section or key changed the value");
    }

    // The module's own keys from the same file.
    EconomyFolders economies;
    BotSpawn spawn(1, platform::realPlatform(), economies);
    (void)readSettings(spawn);
    return 0;
}
