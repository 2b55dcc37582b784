// An INI reader that behaves like the Windows profile reader on what the
// module relies on: section and key names match without regard to case, the
// first matching section and key win, blanks and tabs around names and
// values are dropped, a line whose key starts with ";" is a comment, a value
// in matching quotes loses them, and the value is cut to `maxLength`.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::platform {

// The value of `key` in `section` of the INI text `content`, or nothing
// when the section or key is missing.
std::optional<std::string> findIniValue(std::string_view content, std::string_view section,
                                        std::string_view key);

// findIniValue with the fallback and the length cut applied.
std::string iniValueOrDefault(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxLength);

} // namespace quorvel::platform
