// report: one HTML page an operator can put on the zone's web site. It is
// self-contained (inline CSS, charts drawn as inline SVG, no script and
// nothing fetched) and reads on a phone.
#include "admin/commands.h"
#include "admin/folder.h"
#include "admin/journal_file.h"
#include "admin/name_numbers.h"
#include "admin/ranking.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/gold_journal.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <span>
#include <sstream>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace quorvel::admin {
namespace {

constexpr std::size_t richestShown = 10;
constexpr std::size_t pairsShown = 15;
constexpr std::size_t staffShown = 100;
constexpr std::size_t mostBars = 60;
constexpr std::size_t mostPoints = 400;

// The charts' own coordinates; the page scales them to its width, and its
// style makes their text larger as a narrow screen shrinks it, so that it
// is drawn at 12 pixels or more from 360 pixels wide up. A table wider than
// the screen scrolls, with a shadow at the edge where more of it is.
constexpr double chartWidth = 600;
constexpr double chartHeight = 250;
constexpr double left = 64, right = 12, top = 12, bottom = 36;
// The circulation's line before its first change and after its last.
constexpr double lead = 28;

// ---------------------------------------------------------------- time --

struct Civil {
    std::int64_t year, month, day;
};

Civil civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::string twoDigits(std::int64_t value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string dateText(std::int64_t seconds) {
    const Civil date = civilFromDays(seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400);
    return std::to_string(date.year) + "-" + twoDigits(date.month) + "-" + twoDigits(date.day);
}

std::string clockText(std::int64_t seconds, bool withSeconds) {
    const std::int64_t ofDay = ((seconds % 86400) + 86400) % 86400;
    return twoDigits(ofDay / 3600) + ":" + twoDigits(ofDay / 60 % 60) +
           (withSeconds ? ":" + twoDigits(ofDay % 60) : "");
}

std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t floorDiv(std::int64_t value, std::int64_t by) {
    return value >= 0 ? value / by : (value - by + 1) / by;
}

// Bars of the earned-and-spent chart, each a period of the calendar: a
// minute, 10 minutes, an hour or 6 hours on the clock, a day from 00:00
// UTC, a week from Monday 00:00 UTC, a month or a year from its first day.
enum class Unit { minute, tenMinutes, hour, sixHours, day, week, month, year };

struct UnitText {
    Unit unit;
    std::int64_t seconds; // 0 for a month or a year
    const char* name;     // "per day"
};
constexpr std::array<UnitText, 8> units = {{{Unit::minute, 60, "per minute"},
                                            {Unit::tenMinutes, 600, "per 10 minutes"},
                                            {Unit::hour, 3600, "per hour"},
                                            {Unit::sixHours, 6 * 3600, "per 6 hours"},
                                            {Unit::day, 86400, "per day"},
                                            {Unit::week, 7 * 86400, "per week, from Monday"},
                                            {Unit::month, 0, "per month"},
                                            {Unit::year, 0, "per year"}}};

const UnitText& textOf(Unit unit) {
    return units[static_cast<std::size_t>(unit)];
}

// The start of the period of `unit` that holds `seconds`.
std::int64_t periodStart(Unit unit, std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, 86400);
    switch (unit) {
    case Unit::week:
        // 1970-01-01 was a Thursday, three days after a Monday.
        return (days - (((days + 3) % 7) + 7) % 7) * 86400;
    case Unit::month: {
        const Civil date = civilFromDays(days);
        return daysFromCivil(date.year, date.month, 1) * 86400;
    }
    case Unit::year:
        return daysFromCivil(civilFromDays(days).year, 1, 1) * 86400;
    default:
        return floorDiv(seconds, textOf(unit).seconds) * textOf(unit).seconds;
    }
}

// The start of the period after the one that starts at `start`.
std::int64_t nextPeriod(Unit unit, std::int64_t start) {
    if (unit == Unit::month || unit == Unit::year) {
        const Civil date = civilFromDays(floorDiv(start, 86400));
        return unit == Unit::year ? daysFromCivil(date.year + 1, 1, 1) * 86400
               : date.month == 12 ? daysFromCivil(date.year + 1, 1, 1) * 86400
                                  : daysFromCivil(date.year, date.month + 1, 1) * 86400;
    }
    return start + textOf(unit).seconds;
}

// How many periods from the one starting at `first` to the one starting at
// `last`, both counted.
std::int64_t periodsFrom(Unit unit, std::int64_t first, std::int64_t last) {
    if (unit == Unit::month || unit == Unit::year) {
        const Civil a = civilFromDays(floorDiv(first, 86400));
        const Civil b = civilFromDays(floorDiv(last, 86400));
        return unit == Unit::year ? b.year - a.year + 1
                                  : (b.year - a.year) * 12 + b.month - a.month + 1;
    }
    return (last - first) / textOf(unit).seconds + 1;
}

std::string bucketLabel(std::int64_t start, Unit unit) {
    if (unit == Unit::year) {
        return dateText(start).substr(0, 4);
    }
    if (unit == Unit::month) {
        return dateText(start).substr(0, 7);
    }
    if (unit >= Unit::day) {
        return dateText(start);
    }
    return dateText(start).substr(5) + " " + clockText(start, false);
}

// -------------------------------------------------------------- numbers --

std::string grouped(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return (value < 0 ? "-" : "") + digits;
}

// 950, 5k, 12k, 3.4M: for the charts' axes, short enough for a phone.
std::string shortNumber(double value) {
    const double size = std::fabs(value);
    char text[32];
    if (size >= 1e9) {
        std::snprintf(text, sizeof text, "%.3gG", value / 1e9);
    } else if (size >= 1e6) {
        std::snprintf(text, sizeof text, "%.3gM", value / 1e6);
    } else if (size >= 1e3) {
        std::snprintf(text, sizeof text, "%.3gk", value / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.0f", value);
    }
    return text;
}

std::string coordinate(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// 1, 2 or 5 times a power of ten, at or above `value`.
double niceCeiling(double value) {
    if (value <= 0) {
        return 1;
    }
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
        if (step * power >= value) {
            return step * power;
        }
    }
    return 10 * power;
}

// ---------------------------------------------------------------- data --

// The gold in circulation over time, told by the sum of the changes since
// the page's start (or the last reset or reload of every account): the
// gold held at the end less that sum is what the accounts held before.
// Kept in at most 2 * mostPoints columns of time, each with its first
// change's time and the lowest, highest and last sum in it: enough for a
// step line that hides no rise or fall. When the journal outgrows them,
// columns twice as wide take the place of each two.
class Steps {
public:
    struct Column {
        std::int64_t index = 0;   // from the origin, in columns of `width_`
        std::int64_t seconds = 0; // the first change in it
        std::int64_t low = 0, high = 0, last = 0;
    };

    void add(std::int64_t seconds, std::int64_t delta) {
        if (!started_) {
            started_ = true;
            origin_ = latest_ = seconds;
        }
        // A clock set back draws no line backwards.
        seconds = std::max(seconds, latest_);
        latest_ = seconds;
        sum_ += delta;
        std::int64_t index = (seconds - origin_) / width_;
        while (index >= static_cast<std::int64_t>(2 * mostPoints)) {
            widen();
            index = (seconds - origin_) / width_;
        }
        if (columns_.empty() || columns_.back().index != index) {
            columns_.push_back({index, seconds, sum_, sum_, sum_});
            return;
        }
        Column& column = columns_.back();
        column.low = std::min(column.low, sum_);
        column.high = std::max(column.high, sum_);
        column.last = sum_;
    }
    // A reset or reload of every account: what came before is another story.
    void wipe(std::int64_t seconds) {
        *this = Steps();
        started_ = fromWipe_ = true;
        origin_ = latest_ = seconds;
    }

    bool started() const { return started_; }
    bool fromWipe() const { return fromWipe_; }
    std::int64_t origin() const { return origin_; }
    std::int64_t latest() const { return latest_; }
    std::int64_t sum() const { return sum_; }
    const std::vector<Column>& columns() const { return columns_; }

private:
    void widen() {
        width_ *= 2;
        std::vector<Column> merged;
        for (Column column : columns_) {
            column.index /= 2;
            if (!merged.empty() && merged.back().index == column.index) {
                Column& into = merged.back();
                into.low = std::min(into.low, column.low);
                into.high = std::max(into.high, column.high);
                into.last = column.last;
            } else {
                merged.push_back(column);
            }
        }
        columns_ = std::move(merged);
    }

    bool started_ = false, fromWipe_ = false;
    std::int64_t origin_ = 0, latest_ = 0, width_ = 1, sum_ = 0;
    std::vector<Column> columns_;
};

// Gold earned and spent per period and cause, in periods of the shortest
// unit from `units` (from `first` to `last`) that keeps the chart within
// mostBars bars: when the journal outgrows them, the next unit takes their
// place. A week is no part of one month, so one set of bars goes from
// minutes up to weeks and another from days to months and years, and the
// page takes the first while it is within its bars.
class Bars {
public:
    // Per cause (by its number): the gold earned and the gold spent.
    using Sums = std::vector<std::pair<std::int64_t, std::int64_t>>;

    Bars(Unit first, Unit last) : unit_(first), lastUnit_(last) {}

    void add(std::int64_t seconds, std::size_t category, std::int64_t delta) {
        if (overflowed_) {
            return;
        }
        if (bars_.empty()) {
            first_ = seconds;
        }
        first_ = std::min(first_, seconds);
        last_ = std::max(last_, seconds);
        // A change in the period the last one went to is in a period that
        // lies between the first and the last: the bars are as many.
        const bool inOpen = seconds >= openStart_ && seconds < openEnd_ && open_ != bars_.end();
        while (!inOpen &&
               periodsFrom(unit_, periodStart(unit_, first_), periodStart(unit_, last_)) >
                   static_cast<std::int64_t>(mostBars)) {
            if (unit_ == lastUnit_) {
                overflowed_ = true;
                bars_.clear();
                return;
            }
            coarsen();
        }
        if (!inOpen) {
            openStart_ = periodStart(unit_, seconds);
            openEnd_ = nextPeriod(unit_, openStart_);
            open_ = bars_.try_emplace(openStart_).first;
        }
        Sums& sums = open_->second;
        if (sums.size() <= category) {
            sums.resize(category + 1);
        }
        (delta >= 0 ? sums[category].first : sums[category].second) += delta;
    }

    bool fits() const { return !overflowed_; }
    Unit unit() const { return unit_; }
    std::int64_t first() const { return first_; }
    std::int64_t last() const { return last_; }
    const std::map<std::int64_t, Sums>& bars() const { return bars_; }

private:
    void coarsen() {
        unit_ = unit_ == Unit::day && lastUnit_ == Unit::year
                    ? Unit::month
                    : static_cast<Unit>(static_cast<int>(unit_) + 1);
        std::map<std::int64_t, Sums> coarser;
        for (auto& [start, sums] : bars_) {
            Sums& into = coarser[periodStart(unit_, start)];
            into.resize(std::max(into.size(), sums.size()));
            for (std::size_t category = 0; category < sums.size(); ++category) {
                into[category].first += sums[category].first;
                into[category].second += sums[category].second;
            }
        }
        bars_ = std::move(coarser);
        open_ = bars_.end();
    }

    Unit unit_, lastUnit_;
    bool overflowed_ = false;
    std::int64_t first_ = 0, last_ = 0;
    std::map<std::int64_t, Sums> bars_;
    // The period the last change went to, found again at once for the next.
    std::map<std::int64_t, Sums>::iterator open_ = bars_.end();
    std::int64_t openStart_ = 0, openEnd_ = 0;
};

// Two players by their numbers, the lower first (the page puts the first
// by folded name first).
struct Pair {
    std::uint32_t first = 0, second = 0;
    std::uint32_t firstKilledSecond = 0, secondKilledFirst = 0;
    std::size_t total() const { return std::size_t{firstKilledSecond} + secondKilledFirst; }
};

// The kill pairs, in the order of the two players' numbers (the lower
// first). Kills are counted a batch at a time: the batch is sorted and
// merged into the pairs in one pass that reads and writes memory in order.
// A table of pairs looked up at random, far bigger than the caches, waited
// on memory at every kill.
class KillPairs {
public:
    // A kill, counted at the next merge.
    void add(std::uint32_t killer, std::uint32_t killed) {
        if (killer <= killed) {
            lowKilledHigh_.push_back(key(killer, killed));
        } else {
            highKilledLow_.push_back(key(killed, killer));
        }
    }
    std::size_t waiting() const { return lowKilledHigh_.size() + highKilledLow_.size(); }
    // The waiting kills counted into their pairs; every player's number is
    // below `players`.
    void merge(std::size_t players) {
        sortKeys(lowKilledHigh_, players);
        sortKeys(highKilledLow_, players);
        merged_.clear();
        // Room asked for in steps of the largest merge yet: memory the
        // system hands over anew is paid for a page at a time.
        if (merged_.capacity() < pairs_.size() + waiting()) {
            merged_.reserve(std::max(pairs_.capacity(), pairs_.size() + waiting()));
        }
        auto pair = pairs_.cbegin();
        auto low = lowKilledHigh_.cbegin();
        auto high = highKilledLow_.cbegin();
        for (;;) {
            const bool pairs = pair != pairs_.cend();
            const bool lows = low != lowKilledHigh_.cend();
            const bool highs = high != highKilledLow_.cend();
            if (!pairs && !lows && !highs) {
                break;
            }
            std::uint64_t next = std::numeric_limits<std::uint64_t>::max();
            next = pairs ? std::min(next, key(pair->first, pair->second)) : next;
            next = lows ? std::min(next, *low) : next;
            next = highs ? std::min(next, *high) : next;
            Pair counted{static_cast<std::uint32_t>(next >> 32), static_cast<std::uint32_t>(next),
                         0, 0};
            if (pairs && key(pair->first, pair->second) == next) {
                counted = *pair++;
            }
            for (; low != lowKilledHigh_.cend() && *low == next; ++low) {
                ++counted.firstKilledSecond;
            }
            for (; high != highKilledLow_.cend() && *high == next; ++high) {
                ++counted.secondKilledFirst;
            }
            merged_.push_back(counted);
        }
        std::swap(pairs_, merged_);
        lowKilledHigh_.clear();
        highKilledLow_.clear();
    }
    std::size_t size() const { return pairs_.size(); }
    // Only the pairs of more than `fewest` kills kept.
    void keepMoreThan(std::size_t fewest) {
        std::erase_if(pairs_, [fewest](const Pair& pair) { return pair.total() <= fewest; });
    }
    template <typename Visit> void forEach(const Visit& visit) const {
        for (const Pair& pair : pairs_) {
            visit(pair);
        }
    }

private:
    static std::uint64_t key(std::uint32_t low, std::uint32_t high) {
        return std::uint64_t{low} << 32 | high;
    }
    // Keys in order, a radix sort of the bits the players' numbers use:
    // 20,000 players take three passes of 11 bits over the batch.
    void sortKeys(std::vector<std::uint64_t>& keys, std::size_t players) {
        const auto bits = static_cast<unsigned>(std::bit_width(players));
        const std::uint64_t highs = (std::uint64_t{1} << bits) - 1;
        for (std::uint64_t& key : keys) {
            key = (key >> 32) << bits | (key & highs);
        }
        constexpr unsigned digit = 11;
        constexpr std::size_t buckets = std::size_t{1} << digit;
        room_.resize(keys.size());
        for (unsigned shift = 0; shift < 2 * bits; shift += digit) {
            std::array<std::size_t, buckets> starts{};
            for (const std::uint64_t key : keys) {
                ++starts[(key >> shift) & (buckets - 1)];
            }
            std::size_t at = 0;
            for (std::size_t& start : starts) {
                at += std::exchange(start, at);
            }
            for (const std::uint64_t key : keys) {
                room_[starts[(key >> shift) & (buckets - 1)]++] = key;
            }
            keys.swap(room_);
        }
        for (std::uint64_t& key : keys) {
            key = (key >> bits) << 32 | (key & highs);
        }
    }
    std::vector<std::uint64_t> lowKilledHigh_, highKilledLow_; // the batch, by who killed
    std::vector<Pair> pairs_;
    std::vector<Pair> merged_;        // the last merge's room, used again by the next
    std::vector<std::uint64_t> room_; // the sort's
};

struct CategoryTotal {
    std::int64_t earned = 0, spent = 0;
    std::size_t changes = 0;
};

// One row of the staff actions: one change, however many accounts it made.
struct StaffRow {
    std::string time, by, action, account, change, after;
};

struct Economy {
    std::vector<std::pair<std::string, std::uint32_t>> accounts; // in use
    std::map<std::string, std::int64_t> itemsHeld;               // by folded name
    std::uint64_t circulation = 0;                               // the gold of the accounts in use

    std::optional<std::int64_t> since; // the page's start, when it is given
    Steps steps;
    // What the gold changes after the page's end (--until) did: the gold the
    // accounts held at its end is the gold they hold now less that. After a
    // reset or reload of every account there, it cannot be told.
    std::int64_t goldLater = 0;
    bool wipedLater = false;
    std::size_t olderJournals = 0; // read besides gold.log.1 and gold.log
    Bars shortBars{Unit::minute, Unit::week};
    Bars longBars{Unit::day, Unit::year};
    std::vector<std::string> categories; // in the order first seen
    std::map<std::string, std::size_t, std::less<>> categoryNumbers;
    std::vector<CategoryTotal> totals;         // by category's number
    std::string lastCategory;                  // the category looked for last, and its number
    std::size_t lastCategoryNumber = SIZE_MAX; // none yet
    std::size_t killsNumber = SIZE_MAX;        // the kills' category, once seen
    std::vector<StaffRow> staff;
    std::size_t staffSeen = 0;
    // Each player's number: a kill finds its pair without making a string.
    AccountNumbers players;
    KillPairs pairs;
    // The pairs are kept to a number the accounts set: past twice that, the
    // half with fewest kills is set aside, and a count shown may be short
    // by what was set aside of it (at most setAsideAtMost). The kills of a
    // batch of that many are merged into the pairs at once.
    std::size_t pairsKept = 0;
    std::size_t setAsideAtMost = 0;
    std::size_t killsPaid = 0;
    // Kills wait in a batch for their players' numbers, so that the memory
    // of the players' slots is asked for a batch at a time.
    struct WaitingKill {
        std::string killer, killed;
        std::uint64_t killerHash = 0, killedHash = 0;
    };
    std::vector<WaitingKill> kills;
    std::size_t killsWaiting = 0;
    std::vector<std::size_t> pairTotals; // room for setting pairs aside
    std::string firstTime, lastTime;
    std::size_t recorded = 0; // changes, a record of many lines counted once
    std::size_t cut = 0;      // records cut short, counted nowhere

    std::string timeRead; // the last time read, and its seconds
    std::int64_t secondsRead = 0;
    // Kept from record to record, so that reading one allocates nothing.
    std::vector<const JournalEntry*> lines;
    std::vector<std::size_t> counted;
};

// A text that begins with a literal: a comparison of a known length is
// compiled in place, where string_view's calls the library's, and the
// report makes several for each of millions of lines.
template <std::size_t size> bool startsWith(std::string_view text, const char (&prefix)[size]) {
    return text.size() >= size - 1 && std::memcmp(text.data(), prefix, size - 1) == 0;
}

template <std::size_t size> bool isText(std::string_view text, const char (&literal)[size]) {
    return text.size() == size - 1 && std::memcmp(text.data(), literal, size - 1) == 0;
}

// Two journal times alike, compared in place.
bool sameTime(std::string_view time, std::string_view other) {
    constexpr std::size_t length = journalTimePattern.size();
    if (time.size() == length && other.size() == length) {
        return std::memcmp(time.data(), other.data(), length) == 0;
    }
    return time == other;
}

std::string_view categoryOf(std::string_view cause) {
    if (startsWith(cause, "kill ")) {
        return "kills";
    }
    if (startsWith(cause, "team kill ")) {
        return "team kills";
    }
    if (startsWith(cause, "admin ")) {
        return "quorvel-admin";
    }
    if (cause == "flag victory") {
        return "flag wins";
    }
    if (cause == "goal") {
        return "goals";
    }
    if (cause == "loan") {
        return "loans";
    }
    if (cause == "givegold") {
        return "staff gifts";
    }
    if (cause == "takegold") {
        return "staff takes";
    }
    return cause; // anti-warp, purchase guns ...
}

bool isStaffAction(const JournalEntry& entry) {
    static constexpr std::array<std::string_view, 6> causes = {"givegold", "takegold", "resetgold",
                                                               "goldload", "resetinv", "invload"};
    // Most changes are kills: they are told apart at once.
    if (startsWith(entry.cause, "kill ")) {
        return false;
    }
    return std::find(causes.begin(), causes.end(), entry.cause) != causes.end() ||
           startsWith(entry.cause, "admin ");
}

// The half of the pairs with fewest kills set aside: a journal of millions
// of kills among thousands of players keeps what the accounts bound, and
// the pairs that kill each other most stay.
void setPairsAside(Economy& economy) {
    std::vector<std::size_t>& totals = economy.pairTotals;
    totals.clear();
    economy.pairs.forEach([&totals](const Pair& pair) { totals.push_back(pair.total()); });
    const auto middle = totals.begin() + static_cast<std::ptrdiff_t>(totals.size() / 2);
    std::nth_element(totals.begin(), middle, totals.end());
    const std::size_t fewest = *middle;
    economy.pairs.keepMoreThan(fewest);
    economy.setAsideAtMost += fewest;
}

constexpr std::size_t killBatch = 64;

// The waiting kills handed to their pairs, in the order they were paid;
// the pairs counted once a batch of pairsKept kills waits (`all`: now).
void countWaitingKills(Economy& economy, bool all = false) {
    for (const Economy::WaitingKill& kill : std::span(economy.kills.data(), economy.killsWaiting)) {
        economy.pairs.add(economy.players.find(kill.killer, kill.killerHash).account,
                          economy.players.find(kill.killed, kill.killedHash).account);
    }
    economy.killsPaid += economy.killsWaiting;
    economy.killsWaiting = 0;
    if (economy.pairs.waiting() >= economy.pairsKept || (all && economy.pairs.waiting() > 0)) {
        economy.pairs.merge(economy.players.size());
        if (economy.pairs.size() > 2 * economy.pairsKept) {
            setPairsAside(economy);
        }
    }
}

void countKill(Economy& economy, std::string_view killer, std::string_view killed) {
    if (economy.killsWaiting == economy.kills.size()) {
        economy.kills.emplace_back();
    }
    Economy::WaitingKill& kill = economy.kills[economy.killsWaiting++];
    kill.killer.assign(killer);
    kill.killed.assign(killed);
    // Their players' slots are asked for at once, a batch before they are
    // looked at.
    kill.killerHash = TextNumbers::hashOf(killer);
    kill.killedHash = TextNumbers::hashOf(killed);
    economy.players.prefetch(kill.killerHash);
    economy.players.prefetch(kill.killedHash);
    if (economy.killsWaiting == killBatch) {
        countWaitingKills(economy);
    }
}

// A journal time as the page shows it, "2026-12-08 05:57:12"; a time that
// is not one (the module applies its change all the same) as it stands.
std::string shownTime(std::string_view time) {
    const std::string text(time);
    return isJournalTime(text) ? text.substr(0, 10) + " " + text.substr(11, 8) : text;
}

// A staff action as one row: a change of one account as its line says it;
// a change of several (an import) with their names or their number, and
// what it did to their gold together.
StaffRow staffRow(const std::vector<const JournalEntry*>& lines) {
    const JournalEntry& first = *lines.front();
    StaffRow row{
        shownTime(first.time), std::string(first.by), std::string(first.cause), "", "", ""};
    if (lines.size() == 1) {
        row.account = first.isEveryAccount() ? "every account" : first.account;
        row.change = first.change;
        if (!first.isGold() && !first.isWipe()) {
            row.change.append(" ").append(first.field);
        }
        row.after = first.isWipe() ? "" : first.after;
        return row;
    }
    std::vector<std::string> names;
    std::set<std::string> seen;
    std::int64_t gold = 0;
    bool onlyGold = true;
    for (const JournalEntry* line : lines) {
        if (seen.insert(accountKey(line->account)).second) {
            names.emplace_back(line->account);
        }
        const std::optional<std::int64_t> amount = line->amount();
        onlyGold &= line->isGold() && amount.has_value();
        gold += amount.value_or(0);
    }
    if (names.size() <= 3) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            row.account += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
        }
    } else {
        row.account = grouped(static_cast<std::int64_t>(names.size())) + " accounts";
    }
    row.change = onlyGold ? (gold >= 0 ? "+" : "") + grouped(gold) + " in all"
                          : grouped(static_cast<std::int64_t>(lines.size())) + " changes";
    return row;
}

std::size_t categoryNumberOf(Economy& economy, std::string_view category) {
    if (auto known = economy.categoryNumbers.find(category);
        known != economy.categoryNumbers.end()) {
        return known->second;
    }
    const std::size_t number = economy.categories.size();
    economy.categories.emplace_back(category);
    economy.categoryNumbers.emplace(category, number);
    economy.totals.emplace_back();
    return number;
}

std::size_t categoryNumber(Economy& economy, std::string_view category) {
    // Most changes are kills, whose number is kept; changes of one other
    // cause come in runs: the last one is looked at first.
    if (isText(category, "kills")) {
        if (economy.killsNumber == SIZE_MAX) {
            economy.killsNumber = categoryNumberOf(economy, category);
        }
        return economy.killsNumber;
    }
    if (economy.lastCategoryNumber != SIZE_MAX && category == economy.lastCategory) {
        return economy.lastCategoryNumber;
    }
    economy.lastCategory.assign(category);
    economy.lastCategoryNumber = categoryNumberOf(economy, category);
    return economy.lastCategoryNumber;
}

// What a gold line did to the gold in circulation. Balances wrap at 2^32
// (credit and debit do): the circulation moves by what the balance did, not
// by what was asked.
std::optional<std::int64_t> goldDelta(const JournalEntry& entry) {
    const std::optional<std::int64_t> amount = entry.amount();
    const std::optional<std::int64_t> after = entry.afterValue();
    if (!amount || !after) {
        return std::nullopt;
    }
    const std::int64_t before = ((*after - *amount) % 4294967296LL + 4294967296LL) % 4294967296LL;
    return *after - before;
}

// A whole record after the page's end: only what it did to the gold.
void takeLater(Economy& economy, const JournalRecord& record) {
    if (!record.whole) {
        return;
    }
    for (const JournalEntry& entry : record.lines) {
        if (!entry.isGold() || entry.isSave()) {
            continue;
        }
        if (entry.isWipe()) {
            economy.wipedLater = true;
        } else if (const std::optional<std::int64_t> delta = goldDelta(entry)) {
            economy.goldLater += *delta;
        }
    }
}

// One gold line of a whole record.
void takeGold(Economy& economy, const JournalEntry& entry) {
    // Lines of one second follow each other: the time is read once.
    if (!sameTime(entry.time, economy.timeRead)) {
        economy.timeRead.assign(entry.time);
        economy.secondsRead = journalSeconds(entry.time).value_or(0);
    }
    const std::int64_t seconds = economy.secondsRead;
    if (entry.isWipe()) {
        economy.steps.wipe(seconds);
        return;
    }
    const std::optional<std::int64_t> changed = goldDelta(entry);
    if (!changed) {
        return;
    }
    const std::int64_t delta = *changed;
    const std::size_t category = categoryNumber(economy, categoryOf(entry.cause));
    CategoryTotal& total = economy.totals[category];
    // A loan's credit and debit are one change of the loans.
    if (std::find(economy.counted.begin(), economy.counted.end(), category) ==
        economy.counted.end()) {
        economy.counted.push_back(category);
        ++total.changes;
    }
    (delta >= 0 ? total.earned : total.spent) += delta;
    economy.steps.add(seconds, delta);
    economy.shortBars.add(seconds, category, delta);
    economy.longBars.add(seconds, category, delta);
}

void takeRecord(Economy& economy, const JournalRecord& record) {
    std::vector<const JournalEntry*>& lines = economy.lines;
    lines.clear();
    for (const JournalEntry& entry : record.lines) {
        if (!entry.isSave()) {
            lines.push_back(&entry);
        }
    }
    if (lines.empty()) {
        return;
    }
    if (!record.whole) {
        ++economy.cut;
        return;
    }
    const JournalEntry& first = *lines.front();
    ++economy.recorded;
    if (economy.firstTime.empty()) {
        economy.firstTime = first.time;
    }
    economy.lastTime = lines.back()->time;
    if (isStaffAction(first)) {
        ++economy.staffSeen;
        economy.staff.push_back(staffRow(lines));
        if (economy.staff.size() > 2 * staffShown) {
            economy.staff.erase(economy.staff.begin(), economy.staff.end() - staffShown);
        }
    }
    economy.counted.clear();
    bool paidKill = false;
    for (const JournalEntry* entry : lines) {
        if (entry->isGold()) {
            takeGold(economy, *entry);
            paidKill |= !entry->isWipe() && startsWith(entry->cause, "kill ");
        }
    }
    // A kill is one, whatever lines it paid.
    if (paidKill) {
        countKill(economy, first.by, std::string_view(first.cause).substr(5));
    }
}

// ---------------------------------------------------------------- html --

// Colours of the causes; purchases and other causes take the rest in turn.
std::string colourOf(const std::string& category, std::map<std::string, std::string>& given) {
    static const std::map<std::string, std::string> fixed = {
        {"kills", "#2f6fdb"},       {"team kills", "#c0392b"},  {"anti-warp", "#e67e22"},
        {"flag wins", "#27ae60"},   {"goals", "#16a085"},       {"loans", "#8e44ad"},
        {"staff gifts", "#f1c40f"}, {"staff takes", "#7f8c8d"}, {"quorvel-admin", "#34495e"}};
    static constexpr std::array<const char*, 8> others = {
        "#d35400", "#b03a7a", "#6d4c41", "#1abc9c", "#9b59b6", "#e84393", "#5d6d7e", "#a3a300"};
    if (auto known = fixed.find(category); known != fixed.end()) {
        return known->second;
    }
    auto [it, fresh] = given.emplace(category, "");
    if (fresh) {
        it->second = others[(given.size() - 1) % others.size()];
    }
    return it->second;
}

class Page {
public:
    void add(std::string_view text) { html_ += text; }
    Page& operator<<(std::string_view text) {
        html_ += text;
        return *this;
    }
    const std::string& text() const { return html_; }

private:
    std::string html_;
};

void openTable(Page& page, std::initializer_list<std::pair<const char*, bool>> columns) {
    page << "<div class=\"scroll\"><table><thead><tr>";
    for (const auto& [name, numeric] : columns) {
        page << (numeric ? "<th class=\"n\">" : "<th>") << name << "</th>";
    }
    page << "</tr></thead><tbody>\n";
}

void cell(Page& page, std::string_view text, bool numeric = false) {
    page << (numeric ? "<td class=\"n\">" : "<td>") << text << "</td>";
}

void closeTable(Page& page) {
    page << "</tbody></table></div>\n";
}

void axisLabel(Page& page, double x, double y, const std::string& text, const char* anchor) {
    page << "<text x=\"" << coordinate(x) << "\" y=\"" << coordinate(y) << "\" text-anchor=\""
         << anchor << "\">" << htmlText(text) << "</text>";
}

std::string timeLabel(std::int64_t seconds, std::int64_t spanSeconds) {
    if (spanSeconds >= 3 * 86400) {
        return dateText(seconds);
    }
    return spanSeconds >= 600 ? dateText(seconds).substr(5) + " " + clockText(seconds, false)
                              : clockText(seconds, true);
}

void circulationChart(Page& page, const Economy& economy) {
    const Steps& steps = economy.steps;
    page << "<section id=\"circulation\"><h2>Gold in circulation</h2>\n";
    if (!steps.started()) {
        page << "<p class=\"muted\">The journal holds no gold change in this period.</p>"
                "</section>\n";
        return;
    }
    if (economy.wipedLater) {
        page << "<p class=\"muted\">Every account was reset or read again after this "
                "period: the gold they held in it cannot be told from what they hold now.</p>"
                "</section>\n";
        return;
    }
    // What the accounts held before the first change: the gold held at the
    // page's end (now, less what changed after it) less what the changes
    // since added.
    const std::int64_t now = static_cast<std::int64_t>(economy.circulation) - economy.goldLater;
    const std::int64_t before = now - steps.sum();
    std::int64_t highest = std::max(before, now);
    for (const Steps::Column& column : steps.columns()) {
        highest = std::max(highest, before + column.high);
    }
    const std::int64_t first = steps.origin();
    const std::int64_t last = steps.latest();
    const double step = niceCeiling(std::max(static_cast<double>(highest), 1.0) / 4);
    const double ceiling = std::ceil(static_cast<double>(highest) * 1.02 / step) * step;
    const double plotHeight = chartHeight - top - bottom;
    // The first change a little in from the left, where the line starts at
    // what came before it; the last a little in from the right, where it
    // goes on at what it left. All in one second: one change in the middle.
    const double from = left + lead, to = chartWidth - right - lead;
    const auto xOf = [&](std::int64_t seconds) {
        return last == first ? (from + to) / 2
                             : from + (to - from) * static_cast<double>(seconds - first) /
                                          static_cast<double>(last - first);
    };
    const auto yOf = [&](std::int64_t value) {
        return top + plotHeight * (1 - static_cast<double>(value) / ceiling);
    };
    page << "<svg viewBox=\"0 0 " << coordinate(chartWidth) << " " << coordinate(chartHeight)
         << "\" role=\"img\" aria-labelledby=\"circulation-title\">"
         << "<title id=\"circulation-title\">Gold in circulation from "
         << htmlText(dateText(first) + " " + clockText(first, true)) << " to "
         << htmlText(dateText(last) + " " + clockText(last, true)) << " UTC: " << grouped(before)
         << " before, " << grouped(now) << " after</title>\n";
    page << "<g class=\"grid\">";
    for (double value = 0; value <= ceiling + step / 2; value += step) {
        const double y = yOf(static_cast<std::int64_t>(value));
        page << "<line x1=\"" << coordinate(left) << "\" x2=\"" << coordinate(chartWidth - right)
             << "\" y1=\"" << coordinate(y) << "\" y2=\"" << coordinate(y) << "\"/>";
        axisLabel(page, left - 6, y + 6, shortNumber(value), "end");
    }
    // The first, the middle and the last time; one when they are one.
    for (int tick = 0; tick <= 2; ++tick) {
        if (last == first && tick != 1) {
            continue;
        }
        const std::int64_t at = first + (last - first) * tick / 2;
        axisLabel(page, xOf(at), chartHeight - 8, timeLabel(at, last - first),
                  last == first || tick == 1 ? "middle"
                  : tick == 0                ? "start"
                                             : "end");
    }
    page << "</g>\n<path class=\"line\" d=\"M" << coordinate(steps.fromWipe() ? xOf(first) : left)
         << "," << coordinate(yOf(before));
    for (const Steps::Column& column : steps.columns()) {
        page << "H" << coordinate(xOf(column.seconds));
        if (column.low != column.high) {
            page << "V" << coordinate(yOf(before + column.high)) << "V"
                 << coordinate(yOf(before + column.low));
        }
        page << "V" << coordinate(yOf(before + column.last));
    }
    page << "H" << coordinate(chartWidth - right) << "\"/>\n</svg>\n<p class=\"muted\">Every "
         << "account's gold, from " << grouped(before) << " before the first change";
    if (steps.fromWipe()) {
        page << " after the last reset or reload of every account";
    }
    page << " to " << grouped(now) << ".</p></section>\n";
}

void earnedSpentChart(Page& page, const Economy& economy,
                      std::map<std::string, std::string>& colours) {
    page << "<section id=\"by-cause\"><h2>Gold earned and spent by cause</h2>\n";
    const Bars& chosen = economy.shortBars.fits() ? economy.shortBars : economy.longBars;
    if (chosen.bars().empty()) {
        page << "<p class=\"muted\">The journal holds no gold change in this period.</p>"
                "</section>\n";
        return;
    }
    const Unit unit = chosen.unit();
    // The journal covers the first period from its start (--since's, or
    // its first change's), and the last up to its last change.
    const std::int64_t covered =
        std::max(economy.since.value_or(chosen.first()), periodStart(unit, chosen.first()));
    const std::int64_t firstStart = periodStart(unit, chosen.first());
    const std::int64_t lastStart = periodStart(unit, chosen.last());
    const bool partFirst = covered > firstStart;
    const bool partLast = chosen.last() + 1 < nextPeriod(unit, lastStart);
    const std::size_t bars = static_cast<std::size_t>(periodsFrom(unit, firstStart, lastStart));
    double up = 0, down = 0;
    for (const auto& [start, sums] : chosen.bars()) {
        double earned = 0, spent = 0;
        for (const auto& [plus, minus] : sums) {
            earned += static_cast<double>(plus);
            spent -= static_cast<double>(minus);
        }
        up = std::max(up, earned);
        down = std::max(down, spent);
    }
    // One scale above and below zero, in steps of a round number.
    const double step = niceCeiling(std::max(up + down, 1.0) / 4);
    const double highest = std::ceil(up / step) * step;
    const double lowest = std::ceil(down / step) * step;
    const double plotWidth = chartWidth - left - right;
    const double plotHeight = chartHeight - top - bottom;
    const double perGold = plotHeight / std::max(highest + lowest, step);
    const double zero = top + highest * perGold;
    const double slot = plotWidth / static_cast<double>(bars);
    const double barWidth = std::clamp(slot * 0.8, 1.0, 48.0);

    page << "<svg viewBox=\"0 0 " << coordinate(chartWidth) << " " << coordinate(chartHeight)
         << "\" role=\"img\" aria-labelledby=\"by-cause-title\">"
         << "<title id=\"by-cause-title\">Gold earned (above the line) and spent (below it) "
         << textOf(unit).name << ", by cause</title>\n<g class=\"grid\">";
    for (double value = -lowest; value <= highest + step / 2; value += step) {
        const double y = zero - value * perGold;
        page << "<line x1=\"" << coordinate(left) << "\" x2=\"" << coordinate(chartWidth - right)
             << "\" y1=\"" << coordinate(y) << "\" y2=\"" << coordinate(y) << "\"/>";
        axisLabel(page, left - 6, y + 6, shortNumber(value), "end");
    }
    // Every bar named when there are few; else the first, the middle and
    // the last, at the plot's edges.
    std::int64_t start = firstStart;
    for (std::size_t tick = 0; tick < bars; ++tick, start = nextPeriod(unit, start)) {
        const bool few = bars <= 2;
        if (!few && tick != 0 && tick != bars / 2 && tick != bars - 1) {
            continue;
        }
        const double centre = left + slot * (static_cast<double>(tick) + 0.5);
        const bool atLeft = !few && tick == 0;
        const bool atRight = !few && tick == bars - 1;
        axisLabel(page,
                  atLeft    ? left
                  : atRight ? chartWidth - right
                            : centre,
                  chartHeight - 8, bucketLabel(start, unit),
                  atLeft    ? "start"
                  : atRight ? "end"
                            : "middle");
    }
    page << "</g>\n";
    start = firstStart;
    for (std::size_t bar = 0; bar < bars; ++bar, start = nextPeriod(unit, start)) {
        auto found = chosen.bars().find(start);
        if (found == chosen.bars().end()) {
            continue;
        }
        const bool partial = (bar == 0 && partFirst) || (bar + 1 == bars && partLast);
        const std::string kind = partial ? "<rect class=\"partial\" x=\"" : "<rect x=\"";
        const std::string when = bucketLabel(start, unit) + (partial ? " (partial)" : "");
        const double x = left + slot * static_cast<double>(bar) + (slot - barWidth) / 2;
        double above = zero, below = zero;
        for (std::size_t category = 0; category < found->second.size(); ++category) {
            const auto [earned, spent] = found->second[category];
            const std::string& name = economy.categories[category];
            const std::string colour = colourOf(name, colours);
            if (earned > 0) {
                const double height = static_cast<double>(earned) * perGold;
                above -= height;
                page << kind << coordinate(x) << "\" y=\"" << coordinate(above) << "\" width=\""
                     << coordinate(barWidth) << "\" height=\"" << coordinate(height) << "\" fill=\""
                     << colour << "\"><title>"
                     << htmlText(when + ", " + name + ": +" + grouped(earned)) << "</title></rect>";
            }
            if (spent < 0) {
                const double height = static_cast<double>(-spent) * perGold;
                page << kind << coordinate(x) << "\" y=\"" << coordinate(below) << "\" width=\""
                     << coordinate(barWidth) << "\" height=\"" << coordinate(height) << "\" fill=\""
                     << colour << "\"><title>"
                     << htmlText(when + ", " + name + ": " + grouped(spent)) << "</title></rect>";
                below += height;
            }
        }
    }
    page << "<line class=\"zero\" x1=\"" << coordinate(left) << "\" x2=\""
         << coordinate(chartWidth - right) << "\" y1=\"" << coordinate(zero) << "\" y2=\""
         << coordinate(zero) << "\"/>\n</svg>\n<p class=\"legend\">";
    for (const std::string& category : economy.categories) {
        page << "<span style=\"--c:" << colourOf(category, colours) << "\">" << htmlText(category)
             << "</span>";
    }
    if (partFirst || partLast) {
        page << "<span class=\"partial\" style=\"--c:#888\">partial: a period the journal "
                "covers only in part</span>";
    }
    page << "</p>\n<p class=\"muted\">" << textOf(unit).name
         << " (UTC); a loan is earned by one player and spent by the other.</p>\n";
    openTable(page, {{"cause", false}, {"earned", true}, {"spent", true}, {"changes", true}});
    for (std::size_t number = 0; number < economy.categories.size(); ++number) {
        const std::string& category = economy.categories[number];
        const CategoryTotal& total = economy.totals[number];
        page << "<tr>";
        cell(page, "<span class=\"swatch\" style=\"--c:" + colourOf(category, colours) +
                       "\"></span>" + htmlText(category));
        cell(page, total.earned > 0 ? "+" + grouped(total.earned) : "0", true);
        cell(page, grouped(total.spent), true);
        cell(page, grouped(static_cast<std::int64_t>(total.changes)), true);
        page << "</tr>\n";
    }
    closeTable(page);
    page << "</section>\n";
}

void richestTable(Page& page, const Economy& economy) {
    page << "<section id=\"richest\"><h2>The richest players</h2>\n";
    std::vector<std::pair<std::string, std::uint32_t>> accounts = economy.accounts;
    std::stable_sort(accounts.begin(), accounts.end(), [](const auto& a, const auto& b) {
        return rankedBefore(a.second, a.first, b.second, b.first);
    });
    if (accounts.size() > richestShown) {
        accounts.resize(richestShown);
    }
    if (accounts.empty()) {
        page << "<p class=\"muted\">gold.dat holds no account.</p></section>\n";
        return;
    }
    openTable(page, {{"#", true}, {"player", false}, {"gold", true}, {"items", true}});
    std::size_t rank = 0;
    for (const auto& [name, gold] : accounts) {
        auto items = economy.itemsHeld.find(accountKey(name));
        page << "<tr>";
        cell(page, std::to_string(++rank), true);
        cell(page, htmlText(name));
        cell(page, grouped(gold), true);
        cell(page, items == economy.itemsHeld.end() ? "" : grouped(items->second), true);
        page << "</tr>\n";
    }
    closeTable(page);
    page << "</section>\n";
}

void staffTable(Page& page, const Economy& economy) {
    page << "<section id=\"staff\"><h2>Staff actions</h2>\n";
    if (economy.staff.empty()) {
        page << "<p class=\"muted\">No staff gift, take, reset or reload, and no change by "
                "quorvel-admin, in this period.</p></section>\n";
        return;
    }
    const std::size_t shown = std::min(economy.staff.size(), staffShown);
    if (economy.staffSeen > shown) {
        page << "<p class=\"muted\">The last " << std::to_string(shown) << " of "
             << grouped(static_cast<std::int64_t>(economy.staffSeen)) << ".</p>\n";
    }
    openTable(page, {{"time (UTC)", false},
                     {"by", false},
                     {"action", false},
                     {"account", false},
                     {"change", true},
                     {"after", true}});
    for (auto it = economy.staff.end() - static_cast<std::ptrdiff_t>(shown);
         it != economy.staff.end(); ++it) {
        const StaffRow& row = *it;
        page << "<tr>";
        cell(page, htmlText(row.time));
        cell(page, htmlText(row.by));
        cell(page, htmlText(row.action));
        cell(page, htmlText(row.account));
        cell(page, htmlText(row.change), true);
        cell(page, htmlText(row.after), true);
        page << "</tr>\n";
    }
    closeTable(page);
    page << "</section>\n";
}

void pairsTable(Page& page, const Economy& economy) {
    page << "<section id=\"pairs\"><h2>Who killed whom most often</h2>\n"
            "<p class=\"muted\">Paid kills between two players, both ways: two players who "
            "kill each other in turns, far more often than anyone else, may be farming "
            "gold.</p>\n";
    // Each pair with its first player by folded name first.
    const AccountNumbers& players = economy.players;
    std::vector<Pair> pairs;
    pairs.reserve(economy.pairs.size());
    economy.pairs.forEach([&](Pair pair) {
        if (players.key(pair.second) < players.key(pair.first)) {
            std::swap(pair.first, pair.second);
            std::swap(pair.firstKilledSecond, pair.secondKilledFirst);
        }
        pairs.push_back(pair);
    });
    // No two pairs are equal in this order: only the pairs shown need it.
    const std::size_t shown = std::min(pairs.size(), pairsShown);
    const auto before = [&players](const Pair& a, const Pair& b) {
        const std::size_t bothA = std::min(a.firstKilledSecond, a.secondKilledFirst);
        const std::size_t bothB = std::min(b.firstKilledSecond, b.secondKilledFirst);
        if (a.total() != b.total() || bothA != bothB) {
            return a.total() != b.total() ? a.total() > b.total() : bothA > bothB;
        }
        return std::pair{players.key(a.first), players.key(a.second)} <
               std::pair{players.key(b.first), players.key(b.second)};
    };
    std::partial_sort(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(shown),
                      pairs.end(), before);
    pairs.resize(shown);
    if (economy.setAsideAtMost > 0) {
        page << "<p class=\"muted\">The journal holds more pairs than the page keeps as it "
                "reads ("
             << grouped(static_cast<std::int64_t>(economy.pairsKept))
             << "): pairs with few kills were set aside on the way, so a count here may be "
                "short by up to "
             << grouped(static_cast<std::int64_t>(economy.setAsideAtMost)) << ".</p>\n";
    }
    if (pairs.empty()) {
        page << "<p class=\"muted\">No paid kill in this period.</p></section>\n";
        return;
    }
    openTable(page, {{"players", false}, {"kills", true}, {"one way", true}, {"other way", true}});
    for (const Pair& pair : pairs) {
        page << "<tr>";
        const std::string first = htmlText(players.firstWritten(pair.first));
        const std::string second = htmlText(players.firstWritten(pair.second));
        cell(page, first + " &amp; " + second);
        cell(page, grouped(static_cast<std::int64_t>(pair.total())), true);
        cell(page, first + " " + grouped(static_cast<std::int64_t>(pair.firstKilledSecond)), true);
        cell(page, second + " " + grouped(static_cast<std::int64_t>(pair.secondKilledFirst)), true);
        page << "</tr>\n";
    }
    closeTable(page);
    page << "</section>\n";
}

constexpr std::string_view style = R"(
:root{--ink:#1d2330;--muted:#5b6475;--line:#d9dee7;--card:#f3f5f9;--accent:#2f6fdb}
*{box-sizing:border-box}
body{margin:0;font:16px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Liberation Sans",sans-serif;color:var(--ink);background:#fff}
main{max-width:960px;margin:0 auto;padding:16px}
h1{font-size:1.45rem;margin:.2em 0}
h2{font-size:1.15rem;margin:1.5em 0 .5em;padding-bottom:.2em;border-bottom:1px solid var(--line)}
.cards{display:grid;grid-template-columns:repeat(auto-fit,minmax(140px,1fr));gap:8px;margin:12px 0}
.card{background:var(--card);border-radius:8px;padding:8px 10px}
.card b{display:block;font-size:1.25rem;font-variant-numeric:tabular-nums}
.card span{color:var(--muted);font-size:.85rem}
.scroll{overflow-x:auto;-webkit-overflow-scrolling:touch;background:linear-gradient(to right,#fff 30%,#fff0) left/32px 100% no-repeat local,linear-gradient(to left,#fff 30%,#fff0) right/32px 100% no-repeat local,radial-gradient(farthest-side at 0 50%,#0004,#0000) left/12px 100% no-repeat scroll,radial-gradient(farthest-side at 100% 50%,#0004,#0000) right/12px 100% no-repeat scroll}
table{border-collapse:collapse;width:100%;max-width:760px;font-size:.9rem}
th,td{padding:4px 8px;border-bottom:1px solid var(--line);text-align:left;white-space:nowrap}
th{color:var(--muted);font-weight:600}
.n{text-align:right;font-variant-numeric:tabular-nums}
svg{display:block;width:100%;max-width:760px;height:auto;font-size:14px;fill:var(--muted)}
svg rect.partial,.legend .partial::before{opacity:.45}
svg .grid line{stroke:var(--line);stroke-width:1}
svg .zero{stroke:var(--ink);stroke-width:1}
svg .line{fill:none;stroke:var(--accent);stroke-width:2;stroke-linejoin:round}
.legend{display:flex;flex-wrap:wrap;gap:4px 14px;font-size:.85rem;margin:.5em 0}
.legend span::before,.swatch{content:"";display:inline-block;width:.8em;height:.8em;margin-right:.35em;background:var(--c);border-radius:2px;vertical-align:-1px}
.muted{color:var(--muted);font-size:.85rem}
footer{margin:2em 0 1em;color:var(--muted);font-size:.8rem}
@media (max-width:600px){main{padding:10px}h1{font-size:1.25rem}th,td{padding:4px 6px}}
@media (max-width:540px){svg{font-size:18px}}
@media (max-width:420px){svg{font-size:22px}}
)";

std::string render(const Economy& economy, const std::string& folderName,
                   const std::optional<std::string>& since) {
    Page page;
    std::map<std::string, std::string> colours;
    std::int64_t earned = 0, spent = 0;
    for (const CategoryTotal& total : economy.totals) {
        earned += total.earned;
        spent += total.spent;
    }
    const std::string title = "Gold economy of " + folderName;
    page << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>"
         << htmlText(title) << "</title>\n<style>" << style << "</style>\n</head>\n<body>\n<main>\n"
         << "<h1>" << htmlText(title) << "</h1>\n<p class=\"muted\">";
    if (economy.firstTime.empty()) {
        page << "gold.log holds no change" << (since ? " since " + htmlText(*since) : "") << ".";
    } else {
        page << "From " << htmlText(shownTime(economy.firstTime)) << " to "
             << htmlText(shownTime(economy.lastTime))
             << " UTC: " << grouped(static_cast<std::int64_t>(economy.recorded))
             << (economy.recorded == 1 ? " change" : " changes") << " in the journal.";
    }
    if (economy.cut > 0) {
        page << " " << grouped(static_cast<std::int64_t>(economy.cut))
             << (economy.cut == 1 ? " change was" : " changes were")
             << " cut short by a crash or a full disk: "
             << (economy.cut == 1 ? "it never happened and is" : "they never happened and are")
             << " counted nowhere here.";
    }
    page << "</p>\n<div class=\"cards\" id=\"summary\">";
    const auto card = [&page](const std::string& value, const char* what) {
        page << "<div class=\"card\"><b>" << value << "</b><span>" << what << "</span></div>";
    };
    card(grouped(static_cast<std::int64_t>(economy.circulation)), "gold in circulation");
    card(grouped(static_cast<std::int64_t>(economy.accounts.size())), "accounts");
    card((earned > 0 ? "+" : "") + grouped(earned), "gold earned");
    card(grouped(spent), "gold spent");
    card(grouped(static_cast<std::int64_t>(economy.killsPaid)), "paid kills");
    page << "</div>\n";
    richestTable(page, economy);
    circulationChart(page, economy);
    earnedSpentChart(page, economy, colours);
    staffTable(page, economy);
    pairsTable(page, economy);
    page << "<footer>Made by quorvel-admin report at "
         << htmlText(platform::realPlatform().utcTimestamp())
         << " from gold.dat, inv.dat, gold.log.1 and gold.log"
         << (economy.olderJournals == 0 ? std::string()
                                        : " and " + plural(economy.olderJournals, "older journal"))
         << ".</footer>\n</main>\n</body>\n</html>\n";
    return page.text();
}

} // namespace

int writeReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    checkSince(options.since);
    std::string html;
    {
        InFolder in(options.folder);
        Economy economy;
        if (options.since) {
            // 2026-12-08 is 2026-12-08T00:00:00Z.
            constexpr std::string_view midnight = "0000-01-01T00:00:00Z";
            economy.since = journalSeconds(
                *options.since +
                std::string(midnight.substr(std::min(options.since->size(), midnight.size()))));
        }
        JournalSummary summary;
        const auto readAll = [&](const JournalLineScan& scan) {
            summary = readJournal(
                options.journals,
                [&](const JournalRecord& record) {
                    if (options.until && record.first().time >= *options.until) {
                        takeLater(economy, record);
                    } else if (!options.since || record.first().time >= *options.since) {
                        takeRecord(economy, record);
                    }
                },
                scan);
            countWaitingKills(economy, true);
        };
        // The accounts a start loads bound the kill pairs kept.
        const auto beforeJournal = [&economy](const FileEconomy& files) {
            economy.pairsKept = std::max<std::size_t>(16384, 4 * files.ledger().size());
        };
        // The journal is read once, for the module's recovery too, unless
        // older journals come first.
        auto inspected = options.journals.empty() ? inspectEconomy(beforeJournal, readAll)
                                                  : inspectEconomy(beforeJournal);
        passOnConsole(*inspected, err);
        if (!options.journals.empty()) {
            readAll({});
        }
        const GoldLedger& ledger = inspected->economy.ledger();
        for (const GoldAccount& account : ledger.accounts()) {
            const std::string name = fieldText(account.name, sizeof account.name);
            if (ledger.find(name) == &account) {
                economy.circulation += account.amount;
                economy.accounts.emplace_back(name, account.amount);
            }
        }
        for (const InventoryRecord& record : inspected->economy.book().records()) {
            const std::string key = accountKey(fieldText(record.name, sizeof record.name));
            if (!economy.itemsHeld.contains(key)) {
                economy.itemsHeld[key] =
                    std::accumulate(record.counts.begin(), record.counts.end(), std::int64_t{0});
            }
        }
        tellJournalsRead(summary, err);
        if (!options.journals.empty()) {
            economy.olderJournals = static_cast<std::size_t>(std::count_if(
                summary.filesRead.begin(), summary.filesRead.end(), [](const std::string& file) {
                    return file != GoldJournal::fileName && file != GoldJournal::rotatedName;
                }));
        }
        if (!summary.unreadable.empty()) {
            throw AdminError(exitUnreadable, "cannot read " + summary.unreadable.front());
        }
        std::string folderName = std::filesystem::path(in.path()).filename().string();
        html = render(economy, folderName.empty() ? in.path() : folderName, options.since);
    }
    if (!options.output) {
        out << html;
        return exitClean;
    }
    if (const platform::Status written =
            platform::realPlatform().replaceFile(*options.output, html);
        !written.ok()) {
        throw AdminError(exitUnreadable,
                         "could not write " + *options.output + ": " + written.reason());
    }
    err << "quorvel-admin: wrote " << *options.output << '\n';
    return exitClean;
}

} // namespace quorvel::admin
