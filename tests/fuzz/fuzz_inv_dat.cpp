// inv.dat as it may lie in the working folder: any bytes at all. Loading
// must keep every whole 52-byte record (name and eight counts), a save and a
// second load must give the same records back, and every name must find its
// first record.
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
constexpr std::size_t recordSize = 52;

std::int32_t littleEndian(const unsigned char* bytes) {
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                     std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
}

std::string nameOf(const InventoryRecord& record) {
    return fieldText(record.name, sizeof record.name);
}

void expectSameRecords(const InventoryBook& first, const InventoryBook& second, const char* when) {
    if (first.size() != second.size()) {
        fail(std::string(when) + ": " + std::to_string(first.size()) + " records became " +
             std::to_string(second.size()));
    }
    for (std::size_t i = 0; i < first.size(); ++i) {
        const InventoryRecord& a = first.records()[i];
        const InventoryRecord& b = second.records()[i];
        if (nameOf(a) != nameOf(b) || a.counts != b.counts) {
            fail(std::string(when) + ": record " + std::to_string(i) + " changed");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ScratchFolder folder;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile("inv.dat", bytes);

    FileEconomy loaded(platform::realPlatform());
    if (!loaded.loadInventory(LoadMode::append).status.ok()) {
        fail("an existing inv.dat could not be loaded");
    }
    if (!loaded.inventoryLoaded()) {
        fail("an existing inv.dat was not marked loaded");
    }

    // Every whole record; in a file with stray bytes, or whose every record
    // is garbage, only those a player's purchases can have made.
    const std::vector<std::size_t> keptRecords =
        fuzz::keptRecords(size, recordSize, [data](std::size_t i) {
            InventoryRecord record;
            std::memcpy(&record, data + i * recordSize, recordSize);
            return plausibleInventory(record);
        });
    const std::size_t records = keptRecords.size();
    if (loaded.book().size() != records) {
        fail("loaded " + std::to_string(loaded.book().size()) + " records from " +
             std::to_string(records) + " whole records");
    }
    for (std::size_t i = 0; i < records; ++i) {
        const auto* raw = data + keptRecords[i] * recordSize;
        const InventoryRecord& record = loaded.book().records()[i];
        if (nameOf(record) != fieldText(reinterpret_cast<const char*>(raw), 20)) {
            fail("name of record " + std::to_string(i) + " changed on loading");
        }
        for (std::size_t k = 0; k < itemKindCount; ++k) {
            if (record.counts[k] != littleEndian(raw + 20 + 4 * k)) {
                fail("count " + std::to_string(k) + " of record " + std::to_string(i) +
                     " changed on loading");
            }
        }
    }

    if (records <= 64) {
        for (std::size_t i = 0; i < records; ++i) {
            const std::string name = nameOf(loaded.book().records()[i]);
            std::size_t first = 0;
            while (!equalIgnoringCase(nameOf(loaded.book().records()[first]), name)) {
                ++first;
            }
            if (loaded.book().find(name) != &loaded.book().records()[first]) {
                fail("\"" + name + "\" does not find its first inventory record");
            }
        }
    }

    if (!loaded.saveInventory().ok()) {
        fail("saving inv.dat failed");
    }
    const std::string saved = fuzz::readFile("inv.dat");
    if (saved.size() != records * recordSize) {
        fail("the saved inv.dat has " + std::to_string(saved.size()) + " bytes for " +
             std::to_string(records) + " records");
    }
    FileEconomy reloaded(platform::realPlatform());
    if (!reloaded.loadInventory(LoadMode::append).status.ok()) {
        fail("the saved inv.dat could not be loaded");
    }
    expectSameRecords(loaded.book(), reloaded.book(), "save and reload");
    if (!reloaded.saveInventory().ok() || fuzz::readFile("inv.dat") != saved) {
        fail("a second save of the same records wrote other bytes");
    }
    return 0;
}
