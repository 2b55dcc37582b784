// gold.dat as it may lie in the working folder: any bytes at all. Loading
// must keep every whole record exactly, a save and a second load must give
// the same accounts back, every name must find its first account, and a file
// with stray bytes must be copied aside before anything can overwrite it.
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/record_checks.h"
#include "module/bot_spawn.h"

#include "scratch_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace quorvel;
using quorvel::fuzz::fail;

namespace {

// The file's layout written out here, apart from gold/record_layouts.h, so
// the module's reading is checked against a second one.
constexpr std::size_t recordSize = 24;

std::uint32_t littleEndian(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

std::string nameOf(const GoldAccount& account) {
    return fieldText(account.name, sizeof account.name);
}

void expectSameAccounts(const GoldLedger& first, const GoldLedger& second, const char* when) {
    if (first.size() != second.size()) {
        fail(std::string(when) + ": " + std::to_string(first.size()) + " accounts became " +
             std::to_string(second.size()));
    }
    for (std::size_t i = 0; i < first.size(); ++i) {
        const GoldAccount& a = first.accounts()[i];
        const GoldAccount& b = second.accounts()[i];
        if (a.amount != b.amount || nameOf(a) != nameOf(b)) {
            fail(std::string(when) + ": account " + std::to_string(i) + " changed");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ScratchFolder folder;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile("gold.dat", bytes);

    FileEconomy loaded(platform::realPlatform());
    if (!loaded.loadGold(LoadMode::append).status.ok()) {
        fail("an existing gold.dat could not be loaded");
    }

    // Every whole record, as it stands in the file; in a file with stray
    // bytes, or whose every record is garbage, only the records a player's
    // account can be.
    const std::vector<std::size_t> keptRecords =
        fuzz::keptRecords(size, recordSize, [data](std::size_t i) {
            GoldAccount account;
            std::memcpy(account.name, data + i * recordSize + 4, sizeof account.name);
            account.name[sizeof account.name - 1] = '\0';
            return plausibleAccount(account);
        });
    const std::size_t records = keptRecords.size();
    if (loaded.ledger().size() != records) {
        fail("loaded " + std::to_string(loaded.ledger().size()) + " accounts from " +
             std::to_string(records) + " whole records");
    }
    for (std::size_t i = 0; i < records; ++i) {
        const auto* raw = data + keptRecords[i] * recordSize;
        const GoldAccount& account = loaded.ledger().accounts()[i];
        if (account.amount != littleEndian(raw)) {
            fail("balance of record " + std::to_string(i) + " changed on loading");
        }
        const std::string fileName = fieldText(reinterpret_cast<const char*>(raw + 4), 19);
        if (nameOf(account) != fileName) {
            fail("name of record " + std::to_string(i) + " changed on loading");
        }
    }

    // A name finds the first account that matches it ignoring case; a short
    // ledger is checked against a plain walk.
    if (records <= 64) {
        for (std::size_t i = 0; i < records; ++i) {
            const std::string name = nameOf(loaded.ledger().accounts()[i]);
            std::size_t first = 0;
            while (!equalIgnoringCase(nameOf(loaded.ledger().accounts()[first]), name)) {
                ++first;
            }
            if (loaded.ledger().find(name) != &loaded.ledger().accounts()[first]) {
                fail("\"" + name + "\" does not find its first account");
            }
        }
    }

    // A file with stray bytes is kept aside, unchanged.
    if (size % recordSize != 0) {
        bool found = false;
        const std::string kept = fuzz::readFile("gold.dat.damaged", &found);
        if (!found || kept != bytes) {
            fail("the damaged gold.dat was not kept as gold.dat.damaged");
        }
    }

    if (!loaded.saveGold().ok()) {
        fail("saving gold.dat failed");
    }
    const std::string saved = fuzz::readFile("gold.dat");
    if (saved.size() != records * recordSize) {
        fail("the saved gold.dat has " + std::to_string(saved.size()) + " bytes for " +
             std::to_string(records) + " accounts");
    }
    FileEconomy reloaded(platform::realPlatform());
    if (!reloaded.loadGold(LoadMode::append).status.ok()) {
        fail("the saved gold.dat could not be loaded");
    }
    expectSameAccounts(loaded.ledger(), reloaded.ledger(), "save and reload");

    // What was saved once is saved again byte for byte.
    if (!reloaded.saveGold().ok() || fuzz::readFile("gold.dat") != saved) {
        fail("a second save of the same accounts wrote other bytes");
    }
    return 0;
}
