// The route of each event: the services that take it, in the order they
// take it, each with its step. Routes are laid when a spawn is made
// (service_registry.cpp), so an event, a move report above all, runs only
// the steps there are, one after the other.
#pragma once

#include "base/service/service.h"

#include <array>
#include <cstddef>
#include <span>
#include <type_traits>
#include <utility>

namespace quorvel {

// A service's table and its state in one spawn.
struct ServiceSlot {
    const ServiceTable* table;
    Service* state;
};

inline constexpr std::size_t serviceCount = 7;

template <auto Step> class Route {
public:
    using StepFunction = std::remove_reference_t<decltype(std::declval<EventSteps&>().*Step)>;

    Route() = default;
    // The services of `order` that have this step, in that order.
    explicit Route(std::span<const ServiceSlot> order) {
        for (const ServiceSlot& slot : order) {
            if (const StepFunction step = slot.table->steps.*Step; step != nullptr) {
                stops_[count_++] = {step, slot.state};
            }
        }
    }

    template <class... Args> void run(const Args&... args) const {
        for (std::size_t i = 0; i < count_; ++i) {
            stops_[i].step(*stops_[i].state, args...);
        }
    }

private:
    struct Stop {
        StepFunction step = nullptr;
        Service* state = nullptr;
    };
    std::array<Stop, serviceCount> stops_{};
    std::size_t count_ = 0;
};

struct EventRoutes {
    Route<&EventSteps::started> started;
    Route<&EventSteps::stopping> stopping;
    Route<&EventSteps::stopped> stopped;
    Route<&EventSteps::arenaJoined> arenaJoined;
    Route<&EventSteps::arenaLeft> arenaLeft;
    Route<&EventSteps::playerEntering> playerEntering;
    Route<&EventSteps::playerMoved> playerMoved;
    Route<&EventSteps::playerKilled> playerKilled;
    Route<&EventSteps::playerShipChanged> playerShipChanged;
    Route<&EventSteps::playerSpectating> playerSpectating;
    Route<&EventSteps::playerTeamChanged> playerTeamChanged;
    Route<&EventSteps::playerLeaving> playerLeaving;
    Route<&EventSteps::arenaMessage> arenaMessage;
    Route<&EventSteps::flagGameWon> flagGameWon;
    Route<&EventSteps::prizeRefresh> prizeRefresh;
    Route<&EventSteps::goalScored> goalScored;
    Route<&EventSteps::tick> tick;
};

} // namespace quorvel
