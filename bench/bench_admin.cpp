// quorvel-admin's commands on a zone's journal of 1.5 million lines, each
// beside the plainest reader of the same file: large blocks read and every
// line split into its tab-separated fields, each field touched. A command
// costs what its reading and its bookkeeping add to that.
//
//   quorvel-bench-admin [benchmark options]     the timed suite
//   quorvel-bench-admin --write-folder DIR      only writes the folder (to time
//                                               quorvel-admin itself)
#include "generated_files.h"

#include "admin/admin.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t journalLines = 1500000;
constexpr std::size_t zoneAccounts = 20000;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// The example arena's settings and warp files, and the generated economy.
void writeFolder(const fs::path& folder) {
    fs::create_directories(folder);
    for (const char* name : {"quorvel.ini", "WarpTeam.ini", "WarpArea.ini", "Ghoulset.ini"}) {
        fs::copy_file(fs::path(QUORVEL_EXAMPLE_ARENA) / name, folder / name,
                      fs::copy_options::overwrite_existing);
    }
    const GeneratedFolder files = journalFolder(journalLines, zoneAccounts);
    writeFile(folder / "gold.dat", files.goldDat);
    writeFile(folder / "inv.dat", files.inventoryDat);
    writeFile(folder / "gold.log", files.journal);
}

struct JournalFolder {
    fs::path path;
    JournalFolder() {
        std::string pattern = (fs::temp_directory_path() / "quorvel-bench-admin-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        path = pattern;
        writeFolder(path);
    }
    ~JournalFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const JournalFolder& folder() {
    static JournalFolder made;
    return made;
}

// Output thrown away, as a terminal or a file would take it.
class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Blocks of 1 MiB, each line split at its tabs, every field's length summed:
// what any reader of the journal must at least do.
std::size_t plainRead(const fs::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::vector<char> block(1 << 20);
    std::size_t kept = 0; // the start of a line the last block did not end
    std::size_t touched = 0;
    for (;;) {
        const std::size_t n = std::fread(block.data() + kept, 1, block.size() - kept, file);
        if (n == 0) {
            break;
        }
        std::string_view rest(block.data(), kept + n);
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
             rest.remove_prefix(end + 1)) {
            std::string_view line = rest.substr(0, end);
            for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;
                 line.remove_prefix(tab + 1)) {
                touched += line.substr(0, tab).size() + 1;
            }
            touched += line.size() + 1;
        }
        kept = rest.size();
        std::memmove(block.data(), rest.data(), kept);
        if (kept == block.size()) {
            block.resize(block.size() * 2);
        }
    }
    std::fclose(file);
    return touched;
}

void BM_AdminPlainJournalRead(benchmark::State& state) {
    const fs::path journal = folder().path / "gold.log";
    for (auto _ : state) {
        benchmark::DoNotOptimize(plainRead(journal));
    }
}
BENCHMARK(BM_AdminPlainJournalRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void runCommand(benchmark::State& state, std::vector<std::string> args) {
    args.push_back(folder().path.string());
    Discard discard;
    std::ostream out(&discard);
    std::ostream err(&discard);
    for (auto _ : state) {
        const int status = admin::runAdmin(args, out, err);
        if (status > admin::exitProblems) {
            state.SkipWithError("the command could not read the folder");
        }
    }
}

void BM_AdminCheck(benchmark::State& state) {
    runCommand(state, {"check"});
}
void BM_AdminGold(benchmark::State& state) {
    runCommand(state, {"gold"});
}
void BM_AdminItems(benchmark::State& state) {
    runCommand(state, {"items"});
}
void BM_AdminHistory(benchmark::State& state) {
    runCommand(state, {"history", accountName(7)});
}
void BM_AdminReport(benchmark::State& state) {
    runCommand(state, {"report"});
}
BENCHMARK(BM_AdminCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdminGold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdminItems)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdminHistory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdminReport)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace quorvel::bench

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--write-folder") {
        try {
            quorvel::bench::writeFolder(argv[2]);
        } catch (const std::exception& e) {
            std::cerr << "quorvel-bench-admin: " << e.what() << '\n';
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
