// The lines the cross-check matches, held once for all its steps.  Calls,
// exchanges and band-mode pairs are numbered, and the lines are grouped by
// packed keys, each group found by hashing its key, so that the whole check
// grows with the number of lines, not with its square.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "checker/cross_check.h"

inline constexpr int kNoLog = -1;
inline constexpr uint32_t kNone = UINT32_MAX;

// Texts numbered in the order first seen.  Every line's calls and
// exchanges are numbered: the numbers are found through one flat table of
// them, each with its text's hash, not through a node per text.
class Numbering {
public:
    uint32_t operator()(std::string_view text);
    uint32_t find(std::string_view text) const;  // kNone when never numbered
    const std::string& text(uint32_t id) const { return texts_[id]; }
    std::size_t size() const { return texts_.size(); }

private:
    // The place of `text` in slots_: where its number is, or the empty
    // place it would take.  Open addressing, linear probing, at most half
    // full; a place holds a number plus one, 0 when empty.
    std::size_t placeOf(std::string_view text, std::size_t hash) const;
    void grow();

    std::vector<uint32_t> slots_;
    std::vector<std::size_t> hashes_;  // of each text, by number
    std::deque<std::string> texts_;
};

// One line that takes part in matching.
struct MatchLine {
    uint32_t log;
    uint32_t qso;
    int fileLine;  // where the line stands in its file, for the other side's verdict
    uint32_t own, worked, bandMode;
    uint32_t sentExchange, receivedExchange;
    int64_t loggedMinute;
    int64_t minute = 0;  // corrected by the log's clock offset
    uint32_t partner = kNone;
    bool partnerIsDuplicate = false;  // `partner` indexes the duplicates
    bool miscopiedCall = false;       // this side copied the other's call wrong
};

// The indexes of some lines, in line order.
struct LineRange {
    const uint32_t* first;
    const uint32_t* last;
    const uint32_t* begin() const { return first; }
    const uint32_t* end() const { return last; }
    std::size_t size() const { return static_cast<std::size_t>(last - first); }
};

// Lines grouped by a 64-bit key of theirs, a group's lines side by side,
// and a group found by hashing its key: the check looks up every line's
// pair several times, and a binary search of a million-line table waits on
// memory at nearly every step.
class GroupedLines {
public:
    GroupedLines() = default;
    // The lines 0 to lineCount - 1, of keys keyOf(line), each group in line
    // order.  `expectedKeys` sizes the table; it grows past it as needed.
    template <typename KeyOf>
    GroupedLines(std::size_t lineCount, KeyOf keyOf, std::size_t expectedKeys);

    // Where the key's lines stand in lines(): [first, second).
    std::pair<std::size_t, std::size_t> rangeOf(uint64_t key) const;
    LineRange linesOf(uint64_t key) const;
    const std::vector<uint32_t>& lines() const { return lines_; }

    // Puts each group's lines in the order `less` gives.
    template <typename Less>
    void orderEachGroup(Less less);

    bool operator==(const GroupedLines& other) const { return slots_ == other.slots_ && lines_ == other.lines_; }

private:
    // A key's lines are lines_[first, first + count).  Open addressing,
    // linear probing, at most three quarters full; an empty slot has kNoKey.
    struct Slot {
        uint64_t key;
        uint32_t first, count;
        bool operator==(const Slot& other) const
        {
            return key == other.key && first == other.first && count == other.count;
        }
    };
    static constexpr uint64_t kNoKey = UINT64_MAX;

    std::size_t slotOf(uint64_t key) const;
    void reserve(std::size_t keys);
    void count(uint64_t key);
    void startGroups(std::size_t lineCount);

    std::vector<Slot> slots_;
    std::size_t keys_ = 0;
    std::vector<uint32_t> lines_;
};

template <typename KeyOf>
GroupedLines::GroupedLines(std::size_t lineCount, KeyOf keyOf, std::size_t expectedKeys)
{
    reserve(expectedKeys);
    for (std::size_t line = 0; line < lineCount; ++line)
        count(keyOf(line));
    startGroups(lineCount);
    // Placed in line order, each group's lines stay in line order.
    for (std::size_t line = 0; line < lineCount; ++line) {
        Slot& slot = slots_[slotOf(keyOf(line))];
        lines_[slot.first + slot.count++] = static_cast<uint32_t>(line);
    }
}

template <typename Less>
void GroupedLines::orderEachGroup(Less less)
{
    for (const Slot& slot : slots_)
        if (slot.count > 1)
            std::sort(lines_.begin() + slot.first, lines_.begin() + slot.first + slot.count, less);
}

// The lines of each (own call, worked call, band-mode).
class PairIndex {
public:
    PairIndex() = default;
    // `expectedPairs` sizes the index; it grows past it as needed.
    PairIndex(const std::vector<MatchLine>& lines, std::size_t expectedPairs);

    // The lines of `own` that logged `worked` on one band and mode.
    LineRange linesOf(uint32_t own, uint32_t worked, uint32_t bandMode) const;

    bool operator==(const PairIndex& other) const { return groups_ == other.groups_; }

private:
    GroupedLines groups_;
};

// A call heard on one band and mode: the key of the lines that logged it.
uint64_t workedKey(uint32_t call, uint32_t bandMode);

// The lines by the call they logged and its band-mode, each call's in
// order of corrected minute, then of line.
class WorkedIndex {
public:
    WorkedIndex() = default;
    // The lines' minutes must be corrected for their clocks.
    explicit WorkedIndex(const std::vector<MatchLine>& lines);

    // Calls `visit(index)` for each line that logged `call` on `bandMode` at
    // a minute from `first` to `last`, in that order.
    template <typename Visit>
    void forEach(uint32_t call, uint32_t bandMode, int64_t first, int64_t last, Visit visit) const
    {
        const auto [begin, end] = groups_.rangeOf(workedKey(call, bandMode));
        const auto from = std::lower_bound(minutes_.begin() + begin, minutes_.begin() + end, first) - minutes_.begin();
        for (auto at = static_cast<std::size_t>(from); at < end && minutes_[at] <= last; ++at)
            visit(groups_.lines()[at]);
    }

private:
    GroupedLines groups_;
    std::vector<int64_t> minutes_;  // of groups_.lines(), side by side with them
};

struct MatchTable {
    Numbering calls, bandModes, exchanges;
    std::vector<int> logOfCall;
    std::vector<MatchLine> lines;       // the plug-in's stored lines but duplicates
    std::vector<MatchLine> duplicates;  // to confirm others' lines only
    PairIndex byPair, duplicatesByPair;
    WorkedIndex byWorked;  // empty until indexByWorkedCall

    int logOf(uint32_t call) const { return call < logOfCall.size() ? logOfCall[call] : kNoLog; }
    // Whether the line worked another station that sent a log.
    bool workedALog(const MatchLine& line) const { return logOf(line.worked) != kNoLog && line.worked != line.own; }
};

// Every stored line of every CHECKED log, indexed by pair.  A line that
// logged a call of `knownBusts` (the committee's, by the call as logged)
// is taken as the true call's, with its call miscopied.
MatchTable matchTableOf(const std::vector<CheckedLog>& logs, const std::map<std::string, std::string>& knownBusts = {});

// The lines split again into lines and duplicates by the logs' outcomes,
// after some logs were played again through the rules, and indexed anew:
// what matchTableOf would give, without numbering every text again.
void splitByOutcomes(MatchTable& table, const std::vector<CheckedLog>& logs);

// Fills byWorked; the lines' minutes must be corrected for their clocks.
void indexByWorkedCall(MatchTable& table);

// Calls `visit(index)` for each line that logged `call` on `bandMode` at a
// minute from `first` to `last`, in time order.
template <typename Visit>
void forEachLineThatLogged(const MatchTable& table, uint32_t call, uint32_t bandMode, int64_t first, int64_t last,
                           Visit visit)
{
    table.byWorked.forEach(call, bandMode, first, last, visit);
}

// The numbers of the calls logged anywhere that are one edit from `call`,
// in number order.
std::vector<uint32_t> callsOneEditFrom(const Numbering& calls, uint32_t call);
