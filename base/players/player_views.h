// Read-only views of the host's player and flag lists, and the queries the
// features share over them.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <iterator>
#include <string>

namespace quorvel {

struct Bot;

constexpr std::uint8_t spectatorShip = 8;
constexpr std::int32_t mapCentreTile = 512;

// Walks a host list from its head in list order, yielding its records.
template <typename Record> class HostListView {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Record;
        using difference_type = std::ptrdiff_t;
        using pointer = const Record*;
        using reference = const Record&;

        explicit iterator(const HostListNode* node) : node_(node) {}
        reference operator*() const { return *static_cast<const Record*>(node_->record); }
        pointer operator->() const { return static_cast<const Record*>(node_->record); }
        iterator& operator++() {
            node_ = node_->next;
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            node_ = node_->next;
            return before;
        }
        bool operator==(const iterator& other) const { return node_ == other.node_; }

    private:
        const HostListNode* node_;
    };

    explicit HostListView(const HostList* list) : list_(list) {}
    iterator begin() const { return iterator(list_ == nullptr ? nullptr : list_->head); }
    iterator end() const { return iterator(nullptr); }

private:
    const HostList* list_;
};

HostListView<PlayerRecord> playersOf(const Bot& bot);
HostListView<FlagRecord> flagsOf(const Bot& bot);

bool isPlaying(const PlayerRecord& player);
std::string playerName(const PlayerRecord& player);
std::string squadName(const PlayerRecord& player);

// Players in ships, whatever their freq.
std::int32_t countPlaying(const Bot& bot);
// "(1):3 (Prv):2": flags carried per freq, in the order the freqs are met.
std::string flagsCarriedText(const Bot& bot);
// Both tile coordinates strictly less than `radius` from the centre.
bool nearCentre(const PlayerRecord& player, std::int32_t radius);
// The map square of a pixel position: "A1" to "T20", the centre is "K11".
std::string coordinateText(std::int32_t pixelX, std::int32_t pixelY);

} // namespace quorvel
