#include "lib/arena.h"

#include "lib/text.h"

#include <cstring>
#include <utility>

namespace quorvel::host {

std::string PlayerSlot::name() const {
    return std::string(record.name, strnlen(record.name, sizeof record.name));
}

Arena::Arena(std::string name) : name_(std::move(name)) {
    relinkPlayers();
}

std::string Arena::title() const {
    return name_.empty() ? "the arena" : "arena " + quoteText(name_);
}

PlayerSlot* Arena::find(std::string_view name) {
    for (auto& slot : players_) {
        if (equalIgnoringCase(slot->name(), name)) {
            return slot.get();
        }
    }
    return nullptr;
}

PlayerSlot* Arena::findIdent(std::uint16_t ident) {
    for (auto& slot : players_) {
        if (slot->record.ident == ident) {
            return slot.get();
        }
    }
    return nullptr;
}

PlayerSlot& Arena::add(const std::string& name, const PlayerFields& fields, bool isBot) {
    if (find(name) != nullptr) {
        throw ScriptError("a player named " + quoteText(name) + " is already in " + title());
    }
    if (fields.ident && findIdent(*fields.ident) != nullptr) {
        throw ScriptError("ident " + std::to_string(*fields.ident) + " is already taken");
    }
    auto slot = std::make_unique<PlayerSlot>();
    slot->isBot = isBot;
    PlayerRecord& r = slot->record;
    std::memcpy(r.name, name.data(), name.size() < 19 ? name.size() : 19);
    r.ship = 8;
    r.tileX = r.tileY = 512;
    r.pixelX = r.pixelY = 512 * 16;
    if (!fields.ident) {
        while (findIdent(nextIdent_) != nullptr || nextIdent_ == 0) {
            ++nextIdent_;
        }
        r.ident = nextIdent_++;
    }
    applyFields(*slot, fields);
    players_.push_back(std::move(slot));
    relinkPlayers();
    return *players_.back();
}

std::unique_ptr<PlayerSlot> Arena::remove(PlayerSlot* slot) {
    for (auto it = players_.begin(); it != players_.end(); ++it) {
        if (it->get() == slot) {
            std::unique_ptr<PlayerSlot> owned = std::move(*it);
            players_.erase(it);
            relinkPlayers();
            return owned;
        }
    }
    return nullptr;
}

void Arena::addFlag(std::uint16_t tileX, std::uint16_t tileY) {
    flags_.push_back(std::make_unique<FlagRecord>(FlagRecord{tileX, tileY}));
    relinkFlags();
}

void Arena::clearFlags() {
    flags_.clear();
    relinkFlags();
}

// The nodes are rebuilt whole; only the HostList objects themselves must keep
// their address, since the module holds on to them from the handshake.
void Arena::relinkPlayers() {
    playerNodes_.assign(players_.size(), HostListNode{});
    for (std::size_t i = 0; i < players_.size(); ++i) {
        playerNodes_[i].record = &players_[i]->record;
        playerNodes_[i].next = i + 1 < players_.size() ? &playerNodes_[i + 1] : nullptr;
    }
    playerList_.head = playerNodes_.empty() ? nullptr : &playerNodes_[0];
}

void Arena::relinkFlags() {
    flagNodes_.assign(flags_.size(), HostListNode{});
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flagNodes_[i].record = flags_[i].get();
        flagNodes_[i].next = i + 1 < flags_.size() ? &flagNodes_[i + 1] : nullptr;
    }
    flagList_.head = flagNodes_.empty() ? nullptr : &flagNodes_[0];
}

void applyFields(PlayerSlot& slot, const PlayerFields& f) {
    PlayerRecord& r = slot.record;
    if (f.ident) {
        r.ident = *f.ident;
    }
    if (f.squad) {
        std::memset(r.squad, 0, sizeof r.squad);
        std::memcpy(r.squad, f.squad->data(), f.squad->size() < 19 ? f.squad->size() : 19);
    }
    if (f.freq) {
        r.team = *f.freq;
    }
    if (f.ship) {
        r.ship = *f.ship;
    }
    if (f.access) {
        r.accessLevel = *f.access;
    }
    if (f.tileX) {
        r.tileX = *f.tileX;
        r.pixelX = *f.tileX * 16;
    }
    if (f.tileY) {
        r.tileY = *f.tileY;
        r.pixelY = *f.tileY * 16;
    }
    if (f.pixelX) {
        r.pixelX = *f.pixelX;
        r.tileX = *f.pixelX >> 4;
    }
    if (f.pixelY) {
        r.pixelY = *f.pixelY;
        r.tileY = *f.pixelY >> 4;
    }
    if (f.flags) {
        r.flagsCarried = *f.flags;
    }
    if (f.antiwarp) {
        r.antiwarpOn = *f.antiwarp ? 1 : 0;
    }
    if (f.safe) {
        r.inSafetyZone = *f.safe ? 1 : 0;
    }
    if (f.points) {
        r.flagPoints = *f.points;
    }
    if (f.wins) {
        r.wins = *f.wins;
    }
    if (f.losses) {
        r.losses = *f.losses;
    }
    if (f.bounty) {
        slot.bounty = *f.bounty;
    }
}

std::string describePlayer(const PlayerSlot& slot) {
    const PlayerRecord& r = slot.record;
    std::string text = quoteText(slot.name()) + " (ident " + std::to_string(r.ident) + ", freq " +
                       std::to_string(r.team) + ", ship " + shipText(r.ship) + ", " +
                       accessText(r.accessLevel) + ", tile " + std::to_string(r.tileX) + " " +
                       std::to_string(r.tileY);
    if (r.squad[0] != '\0') {
        text += ", squad " + quoteText(std::string(r.squad, strnlen(r.squad, sizeof r.squad)));
    }
    if (r.flagsCarried != 0) {
        text += ", flags " + std::to_string(r.flagsCarried);
    }
    if (r.antiwarpOn != 0) {
        text += ", antiwarp on";
    }
    if (r.inSafetyZone != 0) {
        text += ", in safety";
    }
    if (slot.isBot) {
        text += ", the bot";
    }
    return text + ")";
}

} // namespace quorvel::host
