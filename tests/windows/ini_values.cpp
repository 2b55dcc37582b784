// Prints the value of each (file, section, key) lookup of a list, read the
// way the module reads quorvel.ini: the file in the current folder, through
// platform::readIniValue, cut to 15 characters. The same list run on Linux
// and on Windows must print the same lines.
//
//   quorvel-ini-values LOOKUPS            print one line per lookup
//   quorvel-ini-values LOOKUPS EXPECTED   compare with a recorded run instead
//
// A lookup line is FILE|SECTION|KEY or FILE|SECTION|KEY|DEFAULT (the default
// is "(default)" when left out); blank lines and lines starting with # are
// skipped. Names are taken as written, blanks included.
#include "base/platform/machine.h"
#include "base/platform/platform.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::size_t valueLength = 15; // what a 16-byte buffer holds

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = line.find('|', start);
        fields.push_back(line.substr(start, bar - start));
        if (bar == std::string::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

std::vector<std::string> readLines(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(std::string("cannot read ") + path);
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// One output line per lookup; the value in brackets so that blanks show.
std::vector<std::string> lookUp(const std::vector<std::string>& lookups) {
    std::vector<std::string> out;
    const std::string folder = quorvel::platform::currentDirectory();
    for (const std::string& line : lookups) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::vector<std::string> f = splitFields(line);
        if (f.size() != 3 && f.size() != 4) {
            throw std::runtime_error("bad lookup line: " + line);
        }
        const std::string fallback = f.size() == 4 ? f[3] : "(default)";
        std::string value = quorvel::platform::readIniValue(
            quorvel::platform::joinPath(folder, f[0]), f[1], f[2], fallback, valueLength);
        out.push_back(line + " => [" + value + "]");
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: quorvel-ini-values LOOKUPS [EXPECTED]\n";
        return 2;
    }
    try {
        std::vector<std::string> got = lookUp(readLines(argv[1]));
        if (argc == 2) {
            for (const std::string& line : got) {
                std::cout << line << '\n';
            }
            return 0;
        }
        std::vector<std::string> expected = readLines(argv[2]);
        int differences = 0;
        for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
            const std::string a = i < got.size() ? got[i] : "(nothing)";
            const std::string b = i < expected.size() ? expected[i] : "(nothing)";
            if (a != b) {
                std::cout << "read:     " << a << "\nexpected: " << b << '\n';
                ++differences;
            }
        }
        std::cout << got.size() << " lookups, " << differences << " different\n";
        return differences == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "quorvel-ini-values: " << e.what() << '\n';
        return 2;
    }
}
