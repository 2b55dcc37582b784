// report: one HTML page an operator can put on the zone's web site. It is
// self-contained (inline CSS, charts drawn as inline SVG, no script and
// nothing fetched) and reads on a phone.
#include "admin/commands.h"
#include "admin/folder.h"
#include "admin/journal_file.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <sstream>

namespace quorvel::admin {
namespace {

constexpr std::size_t richestShown = 10;
constexpr std::size_t pairsShown = 15;
constexpr std::size_t staffShown = 100;
constexpr std::size_t mostBars = 60;
constexpr std::size_t mostPoints = 400;

// The charts' own coordinates; the page scales them to its width.
constexpr double chartWidth = 600;
constexpr double chartHeight = 250;
constexpr double left = 52, right = 12, top = 10, bottom = 28;

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

// Bars of the earned-and-spent chart: the shortest of these spans that
// keeps the chart within mostBars bars.
struct Span {
    std::int64_t seconds;
    const char* name; // "per day"
};
constexpr std::array<Span, 8> spans = {{{60, "per minute"},
                                        {600, "per 10 minutes"},
                                        {3600, "per hour"},
                                        {6 * 3600, "per 6 hours"},
                                        {86400, "per day"},
                                        {7 * 86400, "per week"},
                                        {30 * 86400, "per 30 days"},
                                        {365 * 86400, "per 365 days"}}};

std::string bucketLabel(std::int64_t start, const Span& span) {
    if (span.seconds >= 86400) {
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

// 950, 12k, 3.4M: for the charts' axes.
std::string shortNumber(double value) {
    const double size = std::fabs(value);
    char text[32];
    if (size >= 1e9) {
        std::snprintf(text, sizeof text, "%.3gG", value / 1e9);
    } else if (size >= 1e6) {
        std::snprintf(text, sizeof text, "%.3gM", value / 1e6);
    } else if (size >= 1e4) {
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

struct GoldChange {
    std::int64_t seconds = 0;
    std::int64_t delta = 0; // what the change did to the gold in circulation
    bool wipe = false;      // a reset or reload of every account
    std::string category;
};

struct Pair {
    std::string first, second; // as first seen
    std::size_t firstKilledSecond = 0, secondKilledFirst = 0;
    std::size_t total() const { return firstKilledSecond + secondKilledFirst; }
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
    std::uint64_t circulation = 0;                               // every record's gold

    std::vector<GoldChange> changes;     // one per gold line
    std::vector<std::string> categories; // in the order first seen
    std::map<std::string, CategoryTotal> totals;
    std::vector<StaffRow> staff;
    std::size_t staffSeen = 0;
    std::map<std::pair<std::string, std::string>, Pair> pairs;
    std::size_t killsPaid = 0;
    std::string firstTime, lastTime;
    std::size_t recorded = 0; // changes, a record of many lines counted once
    std::size_t cut = 0;      // records cut short, counted nowhere
};

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string categoryOf(const std::string& cause) {
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
    return std::find(causes.begin(), causes.end(), entry.cause) != causes.end() ||
           startsWith(entry.cause, "admin ");
}

std::string nameKey(std::string_view name) {
    return foldedCopy(storableName(name));
}

void countKill(Economy& economy, const std::string& killer, const std::string& killed) {
    ++economy.killsPaid;
    const std::string a = nameKey(killer);
    const std::string b = nameKey(killed);
    const bool inOrder = a <= b;
    Pair& pair = economy.pairs[inOrder ? std::make_pair(a, b) : std::make_pair(b, a)];
    if (pair.first.empty()) {
        pair.first = inOrder ? killer : killed;
        pair.second = inOrder ? killed : killer;
    }
    (inOrder ? pair.firstKilledSecond : pair.secondKilledFirst) += 1;
}

// A staff action as one row: a change of one account as its line says it;
// a change of several (an import) with their names or their number, and
// what it did to their gold together.
StaffRow staffRow(const std::vector<const JournalEntry*>& lines) {
    const JournalEntry& first = *lines.front();
    StaffRow row{first.time.substr(0, 10) + " " + first.time.substr(11, 8),
                 first.by,
                 first.cause,
                 "",
                 "",
                 ""};
    if (lines.size() == 1) {
        row.account = first.isEveryAccount() ? "every account" : first.account;
        row.change =
            first.isGold() || first.isWipe() ? first.change : first.change + " " + first.field;
        row.after = first.isWipe() ? "" : first.after;
        return row;
    }
    std::vector<std::string> names;
    std::set<std::string> seen;
    std::int64_t gold = 0;
    bool onlyGold = true;
    for (const JournalEntry* line : lines) {
        if (seen.insert(nameKey(line->account)).second) {
            names.push_back(line->account);
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

// One gold line of a whole record.
void takeGold(Economy& economy, const JournalEntry& entry, std::set<std::string>& counted) {
    GoldChange change;
    change.seconds = journalSeconds(entry.time).value_or(0);
    if (entry.isWipe()) {
        change.wipe = true;
        economy.changes.push_back(change);
        return;
    }
    const std::optional<std::int64_t> amount = entry.amount();
    const std::optional<std::int64_t> after = readBoundedNumber(entry.after, 0, 4294967295LL);
    if (!amount || !after) {
        return;
    }
    // Balances wrap at 2^32 (credit and debit do): the circulation moves
    // by what the balance did, not by what was asked.
    const std::int64_t before = ((*after - *amount) % 4294967296LL + 4294967296LL) % 4294967296LL;
    change.delta = *after - before;
    change.category = categoryOf(entry.cause);
    if (!economy.totals.contains(change.category)) {
        economy.categories.push_back(change.category);
    }
    CategoryTotal& total = economy.totals[change.category];
    // A loan's credit and debit are one change of the loans.
    total.changes += counted.insert(change.category).second ? 1 : 0;
    (change.delta >= 0 ? total.earned : total.spent) += change.delta;
    economy.changes.push_back(std::move(change));
}

void takeRecord(Economy& economy, const JournalRecord& record) {
    std::vector<const JournalEntry*> lines;
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
    std::set<std::string> counted;
    bool paidKill = false;
    for (const JournalEntry* entry : lines) {
        if (entry->isGold()) {
            takeGold(economy, *entry, counted);
            paidKill |= !entry->isWipe() && startsWith(entry->cause, "kill ");
        }
    }
    // A kill is one, whatever lines it paid.
    if (paidKill) {
        countKill(economy, first.by, first.cause.substr(5));
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
    // Backwards from the gold held now: before each change, the gold in
    // circulation was less by what it added. A reset or reload of every
    // account is as far back as that can go.
    std::vector<std::pair<std::int64_t, double>> points;
    double circulation = static_cast<double>(economy.circulation);
    bool fromWipe = false;
    for (auto it = economy.changes.rbegin(); it != economy.changes.rend(); ++it) {
        points.emplace_back(it->seconds, circulation);
        if (it->wipe) {
            fromWipe = true;
            break;
        }
        circulation -= static_cast<double>(it->delta);
    }
    if (!fromWipe && !economy.changes.empty()) {
        points.emplace_back(economy.changes.front().seconds, circulation);
    }
    std::reverse(points.begin(), points.end());
    page << "<section id=\"circulation\"><h2>Gold in circulation</h2>\n";
    if (points.size() < 2) {
        page << "<p class=\"muted\">The journal holds no gold change in this period.</p>"
                "</section>\n";
        return;
    }
    const std::int64_t first = points.front().first;
    const std::int64_t last = std::max(points.back().first, first + 1);
    double highest = 0;
    for (const auto& point : points) {
        highest = std::max(highest, point.second);
    }
    const double step = niceCeiling(std::max(highest, 1.0) / 4);
    const double ceiling = std::ceil(highest * 1.02 / step) * step;
    const double plotWidth = chartWidth - left - right;
    const double plotHeight = chartHeight - top - bottom;
    const auto xOf = [&](std::int64_t seconds) {
        return left +
               plotWidth * static_cast<double>(seconds - first) / static_cast<double>(last - first);
    };
    const auto yOf = [&](double value) { return top + plotHeight * (1 - value / ceiling); };
    // One point per column of the chart at most: the last value in it.
    std::vector<std::pair<double, double>> drawn;
    for (const auto& [seconds, value] : points) {
        const double x = xOf(seconds);
        if (!drawn.empty() && x - drawn.back().first < plotWidth / mostPoints) {
            drawn.back().second = yOf(value);
        } else {
            drawn.emplace_back(x, yOf(value));
        }
    }
    page << "<svg viewBox=\"0 0 " << coordinate(chartWidth) << " " << coordinate(chartHeight)
         << "\" role=\"img\" aria-labelledby=\"circulation-title\">"
         << "<title id=\"circulation-title\">Gold in circulation from "
         << htmlText(dateText(first) + " " + clockText(first, true)) << " to "
         << htmlText(dateText(last) + " " + clockText(last, true)) << " UTC, now "
         << grouped(static_cast<std::int64_t>(economy.circulation)) << "</title>\n";
    page << "<g class=\"grid\">";
    for (double value = 0; value <= ceiling + step / 2; value += step) {
        const double y = yOf(value);
        page << "<line x1=\"" << coordinate(left) << "\" x2=\"" << coordinate(chartWidth - right)
             << "\" y1=\"" << coordinate(y) << "\" y2=\"" << coordinate(y) << "\"/>";
        axisLabel(page, left - 6, y + 4, shortNumber(value), "end");
    }
    for (int tick = 0; tick <= 2; ++tick) {
        const std::int64_t at = first + (last - first) * tick / 2;
        axisLabel(page, xOf(at), chartHeight - 8, timeLabel(at, last - first),
                  tick == 0   ? "start"
                  : tick == 2 ? "end"
                              : "middle");
    }
    page << "</g>\n<polyline class=\"line\" points=\"";
    for (const auto& [x, y] : drawn) {
        page << coordinate(x) << "," << coordinate(y) << " ";
    }
    page << "\"/>\n</svg>\n<p class=\"muted\">Every account's gold, change by change";
    if (fromWipe) {
        page << ", since the last reset or reload of every account";
    }
    page << ".</p></section>\n";
}

void earnedSpentChart(Page& page, const Economy& economy,
                      std::map<std::string, std::string>& colours) {
    page << "<section id=\"by-cause\"><h2>Gold earned and spent by cause</h2>\n";
    std::vector<const GoldChange*> changes;
    for (const GoldChange& change : economy.changes) {
        if (!change.wipe) {
            changes.push_back(&change);
        }
    }
    if (changes.empty()) {
        page << "<p class=\"muted\">The journal holds no gold change in this period.</p>"
                "</section>\n";
        return;
    }
    const std::int64_t first = changes.front()->seconds;
    const std::int64_t last = changes.back()->seconds;
    const Span* span = &spans.back();
    for (const Span& candidate : spans) {
        if (static_cast<std::size_t>(last / candidate.seconds - first / candidate.seconds) <
            mostBars) {
            span = &candidate;
            break;
        }
    }
    const std::int64_t start = first / span->seconds;
    const std::size_t bars = static_cast<std::size_t>(last / span->seconds - start) + 1;
    // Per bar and category: gold earned and gold spent.
    std::vector<std::map<std::string, std::pair<std::int64_t, std::int64_t>>> sums(bars);
    for (const GoldChange* change : changes) {
        auto& sum = sums[static_cast<std::size_t>(change->seconds / span->seconds - start)]
                        [change->category];
        (change->delta >= 0 ? sum.first : sum.second) += change->delta;
    }
    double up = 0, down = 0;
    for (const auto& bar : sums) {
        double earned = 0, spent = 0;
        for (const auto& [category, sum] : bar) {
            earned += static_cast<double>(sum.first);
            spent -= static_cast<double>(sum.second);
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
         << span->name << ", by cause</title>\n<g class=\"grid\">";
    for (double value = -lowest; value <= highest + step / 2; value += step) {
        const double y = zero - value * perGold;
        page << "<line x1=\"" << coordinate(left) << "\" x2=\"" << coordinate(chartWidth - right)
             << "\" y1=\"" << coordinate(y) << "\" y2=\"" << coordinate(y) << "\"/>";
        axisLabel(page, left - 6, y + 4, shortNumber(value), "end");
    }
    // Every bar named when there are few; else the first, the middle and
    // the last, at the plot's edges.
    for (std::size_t tick = 0; tick < bars; ++tick) {
        const bool few = bars <= 3;
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
                  chartHeight - 8,
                  bucketLabel((start + static_cast<std::int64_t>(tick)) * span->seconds, *span),
                  atLeft    ? "start"
                  : atRight ? "end"
                            : "middle");
    }
    page << "</g>\n";
    for (std::size_t bar = 0; bar < bars; ++bar) {
        const double x = left + slot * static_cast<double>(bar) + (slot - barWidth) / 2;
        double above = zero, below = zero;
        const std::string when =
            bucketLabel((start + static_cast<std::int64_t>(bar)) * span->seconds, *span);
        for (const std::string& category : economy.categories) {
            auto found = sums[bar].find(category);
            if (found == sums[bar].end()) {
                continue;
            }
            const auto [earned, spent] = found->second;
            const std::string colour = colourOf(category, colours);
            if (earned > 0) {
                const double height = static_cast<double>(earned) * perGold;
                above -= height;
                page << "<rect x=\"" << coordinate(x) << "\" y=\"" << coordinate(above)
                     << "\" width=\"" << coordinate(barWidth) << "\" height=\""
                     << coordinate(height) << "\" fill=\"" << colour << "\"><title>"
                     << htmlText(when + ", " + category + ": +" + grouped(earned))
                     << "</title></rect>";
            }
            if (spent < 0) {
                const double height = static_cast<double>(-spent) * perGold;
                page << "<rect x=\"" << coordinate(x) << "\" y=\"" << coordinate(below)
                     << "\" width=\"" << coordinate(barWidth) << "\" height=\""
                     << coordinate(height) << "\" fill=\"" << colour << "\"><title>"
                     << htmlText(when + ", " + category + ": " + grouped(spent))
                     << "</title></rect>";
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
    page << "</p>\n<p class=\"muted\">" << span->name
         << "; a loan is earned by one player and spent by the other.</p>\n";
    openTable(page, {{"cause", false}, {"earned", true}, {"spent", true}, {"changes", true}});
    for (const std::string& category : economy.categories) {
        const CategoryTotal& total = economy.totals.at(category);
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
    std::stable_sort(accounts.begin(), accounts.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
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
        auto items = economy.itemsHeld.find(nameKey(name));
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
    std::vector<const Pair*> pairs;
    for (const auto& [key, pair] : economy.pairs) {
        pairs.push_back(&pair);
    }
    std::stable_sort(pairs.begin(), pairs.end(), [](const Pair* a, const Pair* b) {
        const std::size_t bothA = std::min(a->firstKilledSecond, a->secondKilledFirst);
        const std::size_t bothB = std::min(b->firstKilledSecond, b->secondKilledFirst);
        return a->total() != b->total() ? a->total() > b->total() : bothA > bothB;
    });
    if (pairs.size() > pairsShown) {
        pairs.resize(pairsShown);
    }
    if (pairs.empty()) {
        page << "<p class=\"muted\">No paid kill in this period.</p></section>\n";
        return;
    }
    openTable(page, {{"players", false}, {"kills", true}, {"one way", true}, {"other way", true}});
    for (const Pair* pair : pairs) {
        page << "<tr>";
        cell(page, htmlText(pair->first) + " &amp; " + htmlText(pair->second));
        cell(page, grouped(static_cast<std::int64_t>(pair->total())), true);
        cell(page,
             htmlText(pair->first) + " " +
                 grouped(static_cast<std::int64_t>(pair->firstKilledSecond)),
             true);
        cell(page,
             htmlText(pair->second) + " " +
                 grouped(static_cast<std::int64_t>(pair->secondKilledFirst)),
             true);
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
.scroll{overflow-x:auto;-webkit-overflow-scrolling:touch}
table{border-collapse:collapse;width:100%;max-width:760px;font-size:.9rem}
th,td{padding:4px 8px;border-bottom:1px solid var(--line);text-align:left;white-space:nowrap}
th{color:var(--muted);font-weight:600}
.n{text-align:right;font-variant-numeric:tabular-nums}
svg{display:block;width:100%;max-width:760px;height:auto;font-size:14px;fill:var(--muted)}
svg .grid line{stroke:var(--line);stroke-width:1}
svg .zero{stroke:var(--ink);stroke-width:1}
svg .line{fill:none;stroke:var(--accent);stroke-width:2;stroke-linejoin:round}
.legend{display:flex;flex-wrap:wrap;gap:4px 14px;font-size:.85rem;margin:.5em 0}
.legend span::before,.swatch{content:"";display:inline-block;width:.8em;height:.8em;margin-right:.35em;background:var(--c);border-radius:2px;vertical-align:-1px}
.muted{color:var(--muted);font-size:.85rem}
footer{margin:2em 0 1em;color:var(--muted);font-size:.8rem}
@media (max-width:600px){main{padding:10px}h1{font-size:1.25rem}th,td{padding:4px 6px}}
)";

std::string render(const Economy& economy, const std::string& folderName,
                   const std::optional<std::string>& since) {
    Page page;
    std::map<std::string, std::string> colours;
    std::int64_t earned = 0, spent = 0;
    for (const auto& [category, total] : economy.totals) {
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
        const auto shown = [](const std::string& time) {
            return htmlText(time.substr(0, 10) + " " + time.substr(11, 8));
        };
        page << "From " << shown(economy.firstTime) << " to " << shown(economy.lastTime)
             << " UTC: " << grouped(static_cast<std::int64_t>(economy.recorded))
             << " changes in the journal.";
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
    card("+" + grouped(earned), "gold earned");
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
         << " from gold.dat, inv.dat, gold.log.1 and gold.log.</footer>\n</main>\n</body>\n"
            "</html>\n";
    return page.text();
}

} // namespace

int writeReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    checkSince(options.since);
    std::string html;
    {
        InFolder in(options.folder);
        auto inspected = inspectEconomy();
        passOnConsole(*inspected, err);
        Economy economy;
        const GoldLedger& ledger = inspected->economy.ledger();
        for (const GoldAccount& account : ledger.accounts()) {
            economy.circulation += account.amount;
            const std::string name = fieldText(account.name, sizeof account.name);
            if (ledger.find(name) == &account) {
                economy.accounts.emplace_back(name, account.amount);
            }
        }
        for (const InventoryRecord& record : inspected->economy.book().records()) {
            const std::string key = nameKey(fieldText(record.name, sizeof record.name));
            if (!economy.itemsHeld.contains(key)) {
                economy.itemsHeld[key] =
                    std::accumulate(record.counts.begin(), record.counts.end(), std::int64_t{0});
            }
        }
        const JournalSummary summary =
            readJournal(options.journals, [&](const JournalRecord& record) {
                if (!options.since || record.first().time >= *options.since) {
                    takeRecord(economy, record);
                }
            });
        tellJournalsRead(summary, err);
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
