// The machinery of the services' list: each service as a type that pairs
// its table with its member of the spawn, the orders in which they take
// events (each a permutation of the list, checked when the module is
// built), and an event run through an order, step after step, each step
// called with the state its table was made for.
#pragma once

#include "base/service/service.h"

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

namespace quorvel {

struct BotSpawn;

// One service: its member of the spawn and its table, which must be made
// for that member's type.
template <auto Member, const auto& Table> struct ServiceEntry {
    using Table_ = std::remove_cvref_t<decltype(Table)>;
    using State = typename Table_::StateType;

    static constexpr auto member = Member;
    static constexpr const Table_& table = Table;
    template <class Spawn> static State& state(Spawn& spawn) {
        static_assert(std::is_same_v<std::remove_cvref_t<decltype(spawn.*Member)>, State>,
                      "a service's table goes with the state it is made for");
        return spawn.*Member;
    }
};

template <class... Entries> struct ServiceList {
    static constexpr std::size_t size = sizeof...(Entries);
    template <std::size_t I> using At = std::tuple_element_t<I, std::tuple<Entries...>>;

    // Where the service kept in `member` stands in the list.
    template <auto Member> static constexpr std::size_t indexOf() {
        std::size_t index = 0;
        std::size_t found = size;
        const auto look = [&]<class Entry>(const Entry*) {
            if constexpr (std::is_same_v<decltype(Member),
                                         std::remove_cv_t<decltype(Entry::member)>>) {
                if (Member == Entry::member && found == size) {
                    found = index;
                }
            }
            ++index;
        };
        (look(static_cast<const Entries*>(nullptr)), ...);
        return found;
    }
};

// The list with the leading mark the list's macro starts with removed.
struct ListStart {};
template <class List> struct DropStart;
template <class... Entries> struct DropStart<ServiceList<ListStart, Entries...>> {
    using type = ServiceList<Entries...>;
};

// An order: the positions of the services in the list, in the order they
// take an event.
template <std::size_t N> using Order = std::array<std::size_t, N>;

template <std::size_t N> constexpr Order<N> listOrder() {
    Order<N> order{};
    for (std::size_t i = 0; i < N; ++i) {
        order[i] = i;
    }
    return order;
}

// `order` with the service at list position `service` taken out and put in
// at `place`.
template <std::size_t N>
constexpr Order<N> movedTo(const Order<N>& order, std::size_t service, std::size_t place) {
    Order<N> moved{};
    std::size_t from = 0;
    for (std::size_t to = 0; to < N; ++to) {
        if (to == place) {
            moved[to] = service;
            continue;
        }
        if (order[from] == service) {
            ++from;
        }
        moved[to] = order[from++];
    }
    return moved;
}

// Every service of the list, each once.
template <std::size_t N> constexpr bool holdsEachOnce(const Order<N>& order) {
    std::array<int, N> seen{};
    for (std::size_t service : order) {
        if (service >= N || seen[service]++ != 0) {
            return false;
        }
    }
    return true;
}

// Runs `Event` through the services of `Services` in `order`: each service
// whose table has the event's step takes it, with its own state.
template <class Services, const auto& Ordering, class Event, class Spawn, class... Args>
void runEvent(Spawn& spawn, const Args&... args) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        const auto take = [&]<class Entry>(const Entry*) {
            using State = typename Entry::State;
            if (const auto step = Entry::table.steps.*Event::template step<State>;
                step != nullptr) {
                step(Entry::state(spawn), args...);
            }
        };
        (take(static_cast<const typename Services::template At<Ordering[I]>*>(nullptr)), ...);
    }
    (std::make_index_sequence<Services::size>{});
}

// Visits the services in the order of the list with their table and state,
// until `visit` answers true; answers whether one did.
template <class Services, class Spawn, class Visit>
bool visitServices(Spawn& spawn, Visit&& visit) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        const auto one = [&]<class Entry>(const Entry*) {
            return static_cast<bool>(visit(Entry::table, Entry::state(spawn)));
        };
        return (one(static_cast<const typename Services::template At<I>*>(nullptr)) || ...);
    }
    (std::make_index_sequence<Services::size>{});
}

} // namespace quorvel
