#include "checker/match_table.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_map>

#include "checker/call_edits.h"
#include "logfile/text.h"
#include "logplay/contest_period.h"

namespace {

uint64_t pairKey(uint32_t own, uint32_t worked, uint32_t bandMode)
{
    return static_cast<uint64_t>(own) << 38 | workedKey(worked, bandMode);
}

// "016" and "16" are the same number.
std::string exchangeKey(std::string_view exchange)
{
    // The usual exchange, a serial number as written, is its own key.
    if (allDigits(exchange) && exchange[0] != '0')
        return std::string(exchange);
    const std::string text = upperCase(trimmed(std::string(exchange)));
    if (!allDigits(text))
        return text;
    const auto first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

void numberTheLogs(MatchTable& table, const std::vector<CheckedLog>& logs)
{
    for (std::size_t log = 0; log < logs.size(); ++log) {
        if (logs[log].log.state != LogState::Checked)
            continue;
        const uint32_t call = table.calls(logs[log].log.callsign);
        table.logOfCall.resize(std::max<std::size_t>(table.logOfCall.size(), call + 1), kNoLog);
        table.logOfCall[call] = static_cast<int>(log);
    }
}

// Only the calls some line logged are looked up, so a long list costs
// nothing per line, and nothing at all when there is none.
void correctKnownBusts(MatchTable& table, const std::map<std::string, std::string>& knownBusts)
{
    std::unordered_map<uint32_t, uint32_t> trueCallOf;
    for (const auto& [logged, correct] : knownBusts)
        if (const uint32_t id = table.calls.find(logged); id != kNone)
            trueCallOf[id] = table.calls(correct);
    if (trueCallOf.empty())
        return;
    for (std::vector<MatchLine>* lines : {&table.lines, &table.duplicates})
        for (MatchLine& line : *lines)
            if (const auto at = trueCallOf.find(line.worked); at != trueCallOf.end()) {
                line.worked = at->second;
                line.miscopiedCall = true;
            }
}

// A stored line but a duplicate is the first of its pair in its log, so the
// lines hold about a pair each.  The duplicates repeat a few pairs, over and
// over in a log of repeats: their index grows only as far as they need.
void indexPairs(MatchTable& table)
{
    table.byPair = PairIndex(table.lines, table.lines.size());
    table.duplicatesByPair = PairIndex(table.duplicates, 0);
}

}  // namespace

uint32_t Numbering::operator()(std::string_view text)
{
    const std::size_t hash = std::hash<std::string_view>()(text);
    if (!slots_.empty())
        if (const uint32_t held = slots_[placeOf(text, hash)])
            return held - 1;
    if ((texts_.size() + 1) * 2 > slots_.size())
        grow();
    const auto id = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    hashes_.push_back(hash);
    slots_[placeOf(text, hash)] = id + 1;
    return id;
}

uint32_t Numbering::find(std::string_view text) const
{
    if (slots_.empty())
        return kNone;
    const uint32_t held = slots_[placeOf(text, std::hash<std::string_view>()(text))];
    return held == 0 ? kNone : held - 1;
}

std::size_t Numbering::placeOf(std::string_view text, std::size_t hash) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t place = hash & mask;
    for (; slots_[place] != 0; place = (place + 1) & mask) {
        const uint32_t id = slots_[place] - 1;
        if (hashes_[id] == hash && texts_[id] == text)
            break;
    }
    return place;
}

void Numbering::grow()
{
    slots_.assign(std::max<std::size_t>(16, slots_.size() * 2), 0);
    const std::size_t mask = slots_.size() - 1;
    for (uint32_t id = 0; id < texts_.size(); ++id) {
        std::size_t place = hashes_[id] & mask;
        while (slots_[place] != 0)
            place = (place + 1) & mask;
        slots_[place] = id + 1;
    }
}

MatchTable matchTableOf(const std::vector<CheckedLog>& logs, const std::map<std::string, std::string>& knownBusts)
{
    MatchTable table;
    numberTheLogs(table, logs);
    // At most one each, and doubling past a million lines costs more than
    // the lines themselves.
    std::size_t lineCount = 0;
    for (const CheckedLog& checked : logs)
        lineCount += checked.log.qsos.size();
    table.lines.reserve(lineCount);
    for (std::size_t log = 0; log < logs.size(); ++log) {
        const CheckedLog& checked = logs[log];
        if (checked.log.state != LogState::Checked)
            continue;
        const uint32_t own = table.calls.find(checked.log.callsign);
        // A log's lines share its sent exchange and come in spells of one
        // band and mode: those are numbered again only when they change.
        std::string_view band, mode, sent;
        uint32_t bandMode = kNone, sentExchange = kNone;
        for (std::size_t q = 0; q < checked.log.qsos.size(); ++q) {
            const JudgedQso& judged = checked.log.qsos[q];
            if (!judged.accepted())
                continue;
            const QsoRecord& qso = judged.qso;
            if (bandMode == kNone || qso.band() != band || qso.mode() != mode) {
                band = qso.band();
                mode = qso.mode();
                bandMode = table.bandModes(std::string(band).append(" ").append(mode));
            }
            if (sentExchange == kNone || qso.exchangeSent() != sent) {
                sent = qso.exchangeSent();
                sentExchange = table.exchanges(exchangeKey(sent));
            }
            (judged.duplicate() ? table.duplicates : table.lines)
                .push_back({static_cast<uint32_t>(log), static_cast<uint32_t>(q), qso.line, own,
                            table.calls(qso.workedCallsign()), bandMode, sentExchange,
                            table.exchanges(exchangeKey(qso.exchangeReceived())), minuteOf(qso.time())});
        }
    }
    correctKnownBusts(table, knownBusts);
    indexPairs(table);
    return table;
}

void splitByOutcomes(MatchTable& table, const std::vector<CheckedLog>& logs)
{
    // The old indexes go first, and the new ones are built once the merged
    // copy is gone: this is where the check needs the most memory.
    table.byPair = {};
    table.duplicatesByPair = {};
    {
        // Both lists are in log and line order: merged, they are every
        // stored line in the order matchTableOf met them.
        std::vector<MatchLine> stored(table.lines.size() + table.duplicates.size());
        std::merge(table.lines.begin(), table.lines.end(), table.duplicates.begin(), table.duplicates.end(),
                   stored.begin(), [](const MatchLine& a, const MatchLine& b) {
                       return std::make_pair(a.log, a.qso) < std::make_pair(b.log, b.qso);
                   });
        table.lines.clear();
        table.duplicates.clear();
        for (const MatchLine& line : stored)
            (logs[line.log].log.qsos[line.qso].duplicate() ? table.duplicates : table.lines).push_back(line);
    }
    indexPairs(table);
}

std::pair<std::size_t, std::size_t> GroupedLines::rangeOf(uint64_t key) const
{
    if (slots_.empty())
        return {0, 0};
    const Slot& slot = slots_[slotOf(key)];
    return {slot.first, slot.first + slot.count};
}

LineRange GroupedLines::linesOf(uint64_t key) const
{
    const auto [first, last] = rangeOf(key);
    return {lines_.data() + first, lines_.data() + last};
}

std::size_t GroupedLines::slotOf(uint64_t key) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & mask;
    while (slots_[slot].key != key && slots_[slot].key != kNoKey)
        slot = (slot + 1) & mask;
    return slot;
}

void GroupedLines::reserve(std::size_t keys)
{
    std::size_t capacity = 16;
    while (capacity * 3 < keys * 4)
        capacity *= 2;
    if (capacity <= slots_.size())
        return;
    std::vector<Slot> old(capacity, {kNoKey, 0, 0});
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.key != kNoKey)
            slots_[slotOf(slot.key)] = slot;
}

void GroupedLines::count(uint64_t key)
{
    if ((keys_ + 1) * 4 > slots_.size() * 3)
        reserve(keys_ + 1);
    Slot& slot = slots_[slotOf(key)];
    if (slot.key == kNoKey) {
        slot.key = key;
        ++keys_;
    }
    ++slot.count;
}

void GroupedLines::startGroups(std::size_t lineCount)
{
    uint32_t first = 0;
    for (Slot& slot : slots_) {
        slot.first = first;
        first += slot.count;
        slot.count = 0;
    }
    lines_.resize(lineCount);
}

PairIndex::PairIndex(const std::vector<MatchLine>& lines, std::size_t expectedPairs)
    : groups_(
          lines.size(),
          [&](std::size_t i) { return pairKey(lines[i].own, lines[i].worked, lines[i].bandMode); },
          expectedPairs)
{
}

LineRange PairIndex::linesOf(uint32_t own, uint32_t worked, uint32_t bandMode) const
{
    return groups_.linesOf(pairKey(own, worked, bandMode));
}

uint64_t workedKey(uint32_t call, uint32_t bandMode)
{
    return static_cast<uint64_t>(call) << 12 | bandMode;
}

WorkedIndex::WorkedIndex(const std::vector<MatchLine>& lines)
    // Every call is worked by many: a few keys, grown into.
    : groups_(
          lines.size(), [&](std::size_t i) { return workedKey(lines[i].worked, lines[i].bandMode); }, 0)
{
    groups_.orderEachGroup([&](uint32_t a, uint32_t b) {
        return lines[a].minute != lines[b].minute ? lines[a].minute < lines[b].minute : a < b;
    });
    minutes_.reserve(lines.size());
    for (const uint32_t line : groups_.lines())
        minutes_.push_back(lines[line].minute);
}

void indexByWorkedCall(MatchTable& table) { table.byWorked = WorkedIndex(table.lines); }

std::vector<uint32_t> callsOneEditFrom(const Numbering& calls, uint32_t call)
{
    std::vector<uint32_t> near;
    forEachOneEditFrom(calls.text(call), [&](const std::string& variant) {
        const uint32_t id = calls.find(variant);
        if (id != kNone && id != call)
            near.push_back(id);
    });
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    return near;
}
