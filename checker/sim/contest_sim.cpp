#include "checker/sim/contest_sim.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace {

struct Slot {
    const char* band;
    const char* cabrilloMode;
    int lowKhz, highKhz;
    const char* rst;
};

// The first four are the band and mode pairs the contest counts; the rest
// are slots the plug-in rejects (a band it does not count, a mode it does not).
const Slot kSlots[] = {
    {"80m", "CW", 3500, 3570, "599"},   {"80m", "PH", 3600, 3750, "59"},
    {"40m", "CW", 7000, 7040, "599"},   {"40m", "PH", 7080, 7180, "59"},
    {"20m", "CW", 14000, 14060, "599"}, {"80m", "RY", 3580, 3600, "599"},
};
constexpr int kCountedSlots = 4;
constexpr int kSlotCount = static_cast<int>(std::size(kSlots));

// Each ends in the call area's digit; a suffix of two or three letters follows.
const char* const kPrefixes[] = {
    "UA1", "UA3", "UA9", "RA3", "RK3", "RN6", "RU9", "RV1", "RW4", "R2", "R3", "R5", "DL1", "DL5",
    "OK1", "OK2", "SP5", "SP9", "K1",  "K4",  "W3",  "W9",  "N2",  "N5", "G4", "F5", "I2",  "UR5",
    "EW8", "LY2", "YL2", "ES5", "HA8", "YO9", "LZ1", "S51", "9A2", "OH2", "SM5", "LA9",
};

const int kMinutesAfterStart = 2;    // true times of counted QSOs keep this far
const int kMinutesBeforeEnd = 3;     // from the edges of the period
const int kWorkedAgainAfter = 30;    // a repeat comes this long after the first QSO
const int kHeardWindowMinutes = 30;  // how near a QSO with a call makes it heard

std::vector<std::string> headerLines(const SimStation& station)
{
    return {
        "START-OF-LOG: 3.0",
        "CONTEST: ZEMRIX",
        "CALLSIGN: " + (station.headerCall.empty() ? station.callsign : station.headerCall),
        "CATEGORY-OPERATOR: SINGLE-OP",
        "CATEGORY-BAND: ALL",
        "CATEGORY-MODE: MIXED",
        "CATEGORY-POWER: LOW",
        "CLAIMED-SCORE: 0",
        "CREATED-BY: zemrix-sim",
    };
}

CivilTime timeAt(const SimSettings& settings, int minute)
{
    return civilTimeFromOleDate(oleDateFromCivilTime(settings.start) + minute / 1440.0).value();
}

uint64_t pairSlotKey(int a, int b, int slot)
{
    return (static_cast<uint64_t>(std::min(a, b)) << 36) | (static_cast<uint64_t>(std::max(a, b)) << 8) |
           static_cast<uint64_t>(slot);
}

class Simulator {
public:
    explicit Simulator(const SimSettings& settings) : random_(settings.seed) { contest_.settings = settings; }

    SimContest run()
    {
        makeStations();
        makeQsos();
        writeLogs();
        judgeLines();
        return std::move(contest_);
    }

private:
    const SimSettings& settings() const { return contest_.settings; }
    bool chance(double probability) { return std::bernoulli_distribution(probability)(random_); }
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    char letter() { return static_cast<char>('A' + uniform(0, 25)); }

    std::string randomCall()
    {
        std::string call = kPrefixes[uniform(0, static_cast<int>(std::size(kPrefixes)) - 1)];
        for (int letters = uniform(2, 3); letters > 0; --letters)
            call += letter();
        return call;
    }

    int clockOffset()
    {
        const double draw = std::uniform_real_distribution<double>(0, 1)(random_);
        const int sign = chance(0.5) ? 1 : -1;
        if (draw < settings().clockOffByHours)
            return sign * 60 * uniform(1, 3);
        if (draw < settings().clockOffByHours + settings().clockOffByMinutes)
            return sign * uniform(1, 3);
        return 0;
    }

    int wholeHoursOff() { return (chance(0.5) ? 1 : -1) * 60 * uniform(1, 3); }

    // The last senders are the small logs: nobody picks them at random.
    void makeStations()
    {
        std::set<std::string> calls;
        while (static_cast<int>(calls.size()) < settings().stations)
            calls.insert(randomCall());
        std::vector<std::string> order(calls.begin(), calls.end());
        std::shuffle(order.begin(), order.end(), random_);
        const auto senders = static_cast<std::size_t>(std::lround(settings().stations * settings().logSenders));
        const std::size_t firstSmall = senders - std::min<std::size_t>(senders, settings().smallLogs);
        for (const std::string& call : order) {
            SimStation station;
            station.callsign = call;
            char exchange[8];
            std::snprintf(exchange, sizeof exchange, "%02d", uniform(1, 99));
            station.exchange = exchange;
            const std::size_t index = contest_.stations.size();
            station.sendsLog = index < senders;
            const bool small = station.sendsLog && index >= firstSmall;
            station.clockOffsetMinutes = small ? wholeHoursOff() : station.sendsLog ? clockOffset() : 0;
            if (station.sendsLog && !small)
                spoilTheFile(station, index, calls);
            activity_.push_back(small ? 0.0 : station.sendsLog || !chance(settings().casualShare) ? 1.0 : 0.012);
            if (small)
                smallLogs_.push_back(static_cast<int>(index));
            callIndex_[call] = static_cast<int>(index);
            contest_.stations.push_back(std::move(station));
        }
    }

    // What a station's file gets wrong, apart from its QSOs: by its place
    // among the senders, in random order already.
    void spoilTheFile(SimStation& station, std::size_t index, const std::set<std::string>& calls)
    {
        const SimSettings& set = settings();
        std::size_t first = 0;
        const auto among = [&](int count) {
            first += static_cast<std::size_t>(count);
            return index >= first - static_cast<std::size_t>(count) && index < first;
        };
        if (among(set.crLogs))
            station.lineEnds = SimLineEnds::Cr;
        else if (among(set.mixedLineEndLogs))
            station.lineEnds = SimLineEnds::Mixed;
        else if (among(set.wrongHeaderCalls))
            station.headerCall = typedCall(station.callsign, calls);
        else if (among(set.olderLogs))
            station.sendsOlderLog = true;
    }

    // A call one character off that is no station's.
    std::string typedCall(const std::string& call, const std::set<std::string>& calls)
    {
        for (;;) {
            const std::string typed = miscopiedCall(call, random_);
            if (!calls.count(typed))
                return typed;
        }
    }

    int pickStation() { return pick_(random_); }

    // Two stations not yet met on this slot; false when none turn up.
    bool pickFreshPair(int slot, int (&pair)[2])
    {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            pair[0] = pickStation();
            pair[1] = pickStation();
            if (pair[0] != pair[1] && usedPairSlots_.insert(pairSlotKey(pair[0], pair[1], slot)).second)
                return true;
        }
        return false;
    }

    void addQso(const int (&pair)[2], int slot, int minute, SimQsoKind kind)
    {
        SimQso qso;
        qso.station[0] = pair[0];
        qso.station[1] = pair[1];
        qso.slot = slot;
        qso.frequencyKhz = uniform(kSlots[slot].lowKhz, kSlots[slot].highKhz);
        qso.minute = minute;
        qso.kind = kind;
        contest_.qsos.push_back(qso);
    }

    int minuteInPeriod(int earliest)
    {
        return uniform(earliest, settings().periodMinutes - kMinutesBeforeEnd);
    }

    int minuteOutsidePeriod()
    {
        return chance(0.5) ? -uniform(10, 40) : settings().periodMinutes + uniform(10, 40);
    }

    int anyMinuteInPeriod() { return minuteInPeriod(kMinutesAfterStart); }

    // Up to `count` QSOs of pairs new to their slot, drawn from the slots
    // firstSlot..lastSlot; fewer when the stations run out of partners.
    void addFreshQsos(long count, int firstSlot, int lastSlot, int (Simulator::*minute)(), SimQsoKind kind)
    {
        int pair[2];
        for (; count > 0; --count) {
            const int slot = uniform(firstSlot, lastSlot);
            if (!pickFreshPair(slot, pair))
                return;
            addQso(pair, slot, (this->*minute)(), kind);
        }
    }

    void makeQsos()
    {
        pick_ = std::discrete_distribution<int>(activity_.begin(), activity_.end());
        double totalActivity = 0;
        for (double weight : activity_)
            totalActivity += weight;
        const long target = std::lround(settings().qsosPerLog * totalActivity / 2);
        addFreshQsos(target, 0, kCountedSlots - 1, &Simulator::anyMinuteInPeriod, SimQsoKind::Counted);
        makeRepeats(std::lround(target * settings().workedAgain));
        addFreshQsos(std::lround(target * settings().offBand), kCountedSlots, kSlotCount - 1,
                     &Simulator::anyMinuteInPeriod, SimQsoKind::OffBand);
        addFreshQsos(std::lround(target * settings().outOfPeriod), 0, kCountedSlots - 1,
                     &Simulator::minuteOutsidePeriod, SimQsoKind::OutOfPeriod);
        addTestQsos(std::lround(target * settings().testBeforeStart));
        addSmallLogQsos();
    }

    // A pair tries its line minutes before the start, then works for real.
    void addTestQsos(long count)
    {
        const int counted = static_cast<int>(contest_.qsos.size());
        for (; count > 0 && counted > 0; --count) {
            const SimQso real = contest_.qsos[uniform(0, counted - 1)];
            if (real.kind == SimQsoKind::Counted)
                addQso(real.station, real.slot, -uniform(2, 15), SimQsoKind::OutOfPeriod);
        }
    }

    // One or two QSOs each, with stations that send full logs, logged
    // right on both sides: only the clock is off.
    void addSmallLogQsos()
    {
        for (int small : smallLogs_)
            for (int qsos = uniform(1, 2); qsos > 0;) {
                const int partner = pickStation();
                const int slot = uniform(0, kCountedSlots - 1);
                if (!contest_.stations[partner].sendsLog ||
                    !usedPairSlots_.insert(pairSlotKey(small, partner, slot)).second)
                    continue;
                addQso({small, partner}, slot, anyMinuteInPeriod(), SimQsoKind::Counted);
                contest_.qsos.back().clean = true;
                --qsos;
            }
    }

    void makeRepeats(long count)
    {
        const int counted = static_cast<int>(contest_.qsos.size());
        const int latestFirst = settings().periodMinutes - kMinutesBeforeEnd - kWorkedAgainAfter;
        for (; count > 0 && counted > 0; --count) {
            const SimQso first = contest_.qsos[uniform(0, counted - 1)];
            if (first.minute <= latestFirst)
                addQso(first.station, first.slot, minuteInPeriod(first.minute + kWorkedAgainAfter),
                       SimQsoKind::Counted);
        }
    }

    std::string miscopiedExchange(std::string exchange)
    {
        const int at = uniform(0, static_cast<int>(exchange.size()) - 1);
        exchange[at] = static_cast<char>('0' + (exchange[at] - '0' + uniform(1, 9)) % 10);
        return exchange;
    }

    // One side's line of a QSO, with the errors its operator made.
    void writeSide(int qsoIndex, int side)
    {
        const SimQso& qso = contest_.qsos[qsoIndex];
        SimStation& station = contest_.stations[qso.station[side]];
        const SimStation& worked = contest_.stations[qso.station[1 - side]];
        const bool counted = qso.kind == SimQsoKind::Counted && !qso.clean;
        if (!station.sendsLog || (counted && chance(settings().unloggedSide)))
            return;
        SimLine line;
        line.qso = qsoIndex;
        line.partner = qso.station[1 - side];
        line.minute = qso.minute + station.clockOffsetMinutes + (chance(0.3) ? 1 : 0);
        line.workedCall = worked.callsign;
        line.exchangeReceived = worked.exchange;
        if (counted && chance(settings().miscopiedCall))
            line.workedCall = miscopiedCall(line.workedCall, random_);
        if (counted && chance(settings().miscopiedExchange))
            line.exchangeReceived = miscopiedExchange(line.exchangeReceived);
        station.lines.push_back(line);
        if (counted && chance(settings().enteredTwice)) {
            line.minute += uniform(0, 1);
            station.lines.push_back(line);
        }
    }

    void writeLogs()
    {
        for (int q = 0; q < static_cast<int>(contest_.qsos.size()); ++q)
            for (int side = 0; side < 2; ++side)
                writeSide(q, side);
        for (SimStation& station : contest_.stations) {
            std::stable_sort(station.lines.begin(), station.lines.end(),
                             [](const SimLine& a, const SimLine& b) { return a.minute < b.minute; });
            const int firstLine = static_cast<int>(headerLines(station).size()) + 1;
            for (std::size_t i = 0; i < station.lines.size(); ++i)
                station.lines[i].fileLine = firstLine + static_cast<int>(i);
        }
    }

    // ---------------------------------------------------------------- truth

    struct LineRef {
        int station = -1;
        int index = -1;
    };

    const SimLine& lineAt(LineRef ref) const { return contest_.stations[ref.station].lines[ref.index]; }
    TruthRow& rowAt(LineRef ref) { return rows_[ref.station][ref.index]; }
    SimQsoKind kindOf(const SimLine& line) const { return contest_.qsos[line.qso].kind; }
    bool isStation(const std::string& call) const { return callIndex_.count(call) != 0; }

    // Whether the cross-check weighs the line: the plug-in's rules and the
    // period left it standing.
    bool crossChecked(LineRef ref) const { return weighed_[ref.station][ref.index]; }

    void judgeLines()
    {
        rows_.resize(contest_.stations.size());
        firstLineOf_.assign(contest_.qsos.size(), {});
        for (int s = 0; s < static_cast<int>(contest_.stations.size()); ++s) {
            startRows(s);
            judgeByRules(s);
        }
        weighed_.resize(rows_.size());
        for (std::size_t s = 0; s < rows_.size(); ++s)
            for (const TruthRow& row : rows_[s])
                weighed_[s].push_back(row.status.empty());
        gatherCopies();
        for (int s = 0; s < static_cast<int>(contest_.stations.size()); ++s)
            for (int i = 0; i < static_cast<int>(rows_[s].size()); ++i)
                if (crossChecked({s, i}))
                    judgeByOtherLogs({s, i});
        for (auto& rows : rows_)
            for (TruthRow& row : rows)
                contest_.truth.push_back(std::move(row));
    }

    // A row for each line of the station's log, and where each QSO first
    // stands in it.
    void startRows(int s)
    {
        const SimStation& station = contest_.stations[s];
        rows_[s].resize(station.lines.size());
        for (int i = 0; i < static_cast<int>(station.lines.size()); ++i) {
            rows_[s][i].log = station.callsign;
            rows_[s][i].line = station.lines[i].fileLine;
            LineRef& first = firstLineOf_[station.lines[i].qso][sideOf(s, station.lines[i].qso)];
            if (first.station < 0)
                first = {s, i};
        }
    }

    int sideOf(int station, int qso) const { return contest_.qsos[qso].station[0] == station ? 0 : 1; }

    // REJECTED, DUPE and OUT_OF_PERIOD: what one log decides alone.  A QSO
    // outside the period is that and nothing else, never the first of a
    // repeat.
    void judgeByRules(int s)
    {
        const auto& lines = contest_.stations[s].lines;
        std::set<std::pair<std::string, int>> workedOnSlot;
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            TruthRow& row = rows_[s][i];
            const SimLine& line = lines[i];
            if (kindOf(line) == SimQsoKind::OffBand)
                row.status = "REJECTED";
            else if (kindOf(line) == SimQsoKind::OutOfPeriod)
                row.status = "OUT_OF_PERIOD";
            else if (!workedOnSlot.emplace(line.workedCall, contest_.qsos[line.qso].slot).second)
                row.status = "DUPE";
        }
    }

    static void undecidable(TruthRow& row, const std::string& why)
    {
        row.decidable = false;
        row.why = why;
    }

    // For every call as logged: the logs it stands in (any line), the lines
    // the plug-in stores as QSOs (not rejected, not a duplicate) and the
    // exchanges copied in lines the cross-check weighs.
    void gatherCopies()
    {
        for (int s = 0; s < static_cast<int>(contest_.stations.size()); ++s)
            for (int i = 0; i < static_cast<int>(rows_[s].size()); ++i) {
                const SimLine& line = contest_.stations[s].lines[i];
                Copies& copies = copiesOf_[line.workedCall];
                copies.logs.insert(s);
                if (rows_[s][i].status != "REJECTED" && rows_[s][i].status != "DUPE") {
                    copies.storedBy.insert(s);
                    copies.stored.push_back({s, i});
                }
                if (crossChecked({s, i}))
                    copies.exchanges.push_back({s, line.exchangeReceived});
            }
    }

    void judgeByOtherLogs(LineRef ref)
    {
        const SimLine& line = lineAt(ref);
        const SimStation& worked = contest_.stations[line.partner];
        TruthRow& row = rowAt(ref);
        if (line.workedCall != worked.callsign)
            judgeMiscopiedCall(ref, row);
        else if (worked.sendsLog)
            judgeAgainstLog(ref, row);
        else
            judgeWithoutLog(ref, row);
    }

    void judgeMiscopiedCall(LineRef ref, TruthRow& row)
    {
        const SimLine& line = lineAt(ref);
        const SimStation& worked = contest_.stations[line.partner];
        row.status = "BUSTED_CALL";
        row.correctCall = worked.callsign;
        const LineRef other = firstLineOf_[line.qso][1 - sideOf(ref.station, line.qso)];
        if (isStation(line.workedCall))
            undecidable(row, "miscopied into another station's call");
        else if (worked.sendsLog && other.station >= 0 && crossChecked(other))
            return;
        else if (heardLikeIt(ref))
            return;
        else if (!worked.sendsLog)
            undecidable(row, "miscopied call of a station that sent no log, not heard then");
        else if (other.station < 0)
            undecidable(row, "miscopied call and the station worked did not log it");
        else
            undecidable(row, "the station worked has it only as a line that does not count");
    }

    // A miscopied call no other log holds tells the station really worked
    // when several other logs hold its call, one of them on that band and
    // mode within half an hour.
    bool heardLikeIt(LineRef ref) const
    {
        const SimLine& line = lineAt(ref);
        const auto miscopied = copiesOf_.find(line.workedCall);
        if (miscopied != copiesOf_.end() &&
            miscopied->second.storedBy.size() > (miscopied->second.storedBy.count(ref.station) ? 1u : 0u))
            return false;
        const auto heard = copiesOf_.find(contest_.stations[line.partner].callsign);
        if (heard == copiesOf_.end() || heard->second.storedBy.size() - heard->second.storedBy.count(ref.station) < 2)
            return false;
        const int slot = contest_.qsos[line.qso].slot;
        const int minute = trueMinuteOf(ref);
        for (const LineRef& other : heard->second.stored)
            if (other.station != ref.station && contest_.qsos[lineAt(other).qso].slot == slot &&
                std::abs(trueMinuteOf(other) - minute) <= kHeardWindowMinutes)
                return true;
        return false;
    }

    int trueMinuteOf(LineRef ref) const
    {
        return lineAt(ref).minute - contest_.stations[ref.station].clockOffsetMinutes;
    }

    void judgeAgainstLog(LineRef ref, TruthRow& row)
    {
        const SimLine& line = lineAt(ref);
        const SimStation& worked = contest_.stations[line.partner];
        const LineRef other = firstLineOf_[line.qso][1 - sideOf(ref.station, line.qso)];
        if (other.station < 0) {
            row.status = "NIL";
            return;
        }
        const bool exchangeRight = line.exchangeReceived == worked.exchange;
        row.status = exchangeRight ? "OK" : "BUSTED_EXCH";
        if (!exchangeRight)
            row.correctExchange = worked.exchange;
        const std::string& copiedBack = lineAt(other).workedCall;
        // A duplicate still holds the QSO: the other log confirms it.
        if (!crossChecked(other) && rowAt(other).status != "DUPE")
            undecidable(row, "the station worked has it only as a line that does not count");
        else if (copiedBack != contest_.stations[ref.station].callsign && isStation(copiedBack))
            undecidable(row, "the station worked copied this call as another station's");
    }

    // No log from the call: UNIQUE when no other log names it, else what the
    // other logs copied as its exchange decides between NO_LOG and BUSTED_EXCH.
    void judgeWithoutLog(LineRef ref, TruthRow& row)
    {
        const SimLine& line = lineAt(ref);
        const std::string& trueExchange = contest_.stations[line.partner].exchange;
        const Copies& copies = copiesOf_[line.workedCall];
        const bool inOtherLogs = copies.logs.size() > 1;
        int votes = 0, rightVotes = 0;
        for (const auto& [log, exchange] : copies.exchanges)
            if (log != ref.station) {
                ++votes;
                rightVotes += exchange == trueExchange;
            }
        if (!inOtherLogs) {
            row.status = "UNIQUE";
            return;
        }
        if (votes == 0) {
            row.status = "UNIQUE";
            undecidable(row, "other logs have the call only in lines that do not count");
        } else if (line.exchangeReceived == trueExchange) {
            row.status = "NO_LOG";
            if (2 * rightVotes <= votes)
                undecidable(row, "the other logs do not agree on the exchange");
        } else {
            row.status = "BUSTED_EXCH";
            row.correctExchange = trueExchange;
            if (votes < 2 || 2 * rightVotes <= votes + 1)
                undecidable(row, "too few other logs agree on the exchange");
        }
    }

    struct Copies {
        std::set<int> logs;
        std::set<int> storedBy;
        std::vector<LineRef> stored;
        std::vector<std::pair<int, std::string>> exchanges;
    };

    SimContest contest_;
    std::mt19937 random_;
    std::vector<double> activity_;
    std::vector<int> smallLogs_;
    std::discrete_distribution<int> pick_;
    std::unordered_set<uint64_t> usedPairSlots_;
    std::unordered_map<std::string, int> callIndex_;
    std::vector<std::vector<TruthRow>> rows_;
    std::vector<std::vector<bool>> weighed_;
    std::vector<std::array<LineRef, 2>> firstLineOf_;
    std::unordered_map<std::string, Copies> copiesOf_;
};

std::string qsoLine(const SimContest& contest, const SimStation& station, const SimLine& line)
{
    const SimQso& qso = contest.qsos[line.qso];
    const Slot& slot = kSlots[qso.slot];
    const std::string when = formatCivilTime(timeAt(contest.settings, line.minute), "%Y-%m-%d %H%M");
    const std::string sentExchange = station.exchange;
    char text[160];
    std::snprintf(text, sizeof text, "QSO: %5d %-2s %s %-13s %-3s %-6s %-13s %-3s %s", qso.frequencyKhz,
                  slot.cabrilloMode, when.c_str(), station.callsign.c_str(), slot.rst, sentExchange.c_str(),
                  line.workedCall.c_str(), slot.rst, line.exchangeReceived.c_str());
    return text;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out.flush())
        throw std::runtime_error(path.string() + ": cannot be written");
}

}  // namespace

SimContest simulateContest(const SimSettings& settings)
{
    return Simulator(settings).run();
}

std::string cabrilloLog(const SimContest& contest, const SimStation& station, std::size_t qsoLines)
{
    std::vector<std::string> lines = headerLines(station);
    for (std::size_t i = 0; i < station.lines.size() && i < qsoLines; ++i)
        lines.push_back(qsoLine(contest, station, station.lines[i]));
    lines.push_back("END-OF-LOG:");
    static const char* const kMixed[] = {"\r\n", "\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (station.lineEnds == SimLineEnds::Cr      ? "\r"
                            : station.lineEnds == SimLineEnds::Mixed ? kMixed[i % 3]
                                                                     : "\r\n");
    return text;
}

std::string truthCsv(const SimContest& contest)
{
    std::string csv = "log,line,status,correct_call,correct_exch,decidable,why\n";
    for (const TruthRow& row : contest.truth)
        csv += row.log + "," + std::to_string(row.line) + "," + row.status + "," + row.correctCall + "," +
               row.correctExchange + "," + (row.decidable ? "yes" : "no") + "," + row.why + "\n";
    return csv;
}

std::string contestIni(const SimContest& contest)
{
    const SimSettings& settings = contest.settings;
    return "; a simulated contest, seed " + std::to_string(settings.seed) + "\n" +
           "start = " + formatCivilTime(settings.start, "%Y-%m-%d %H:%M") + "\n" +
           "end = " + formatCivilTime(timeAt(settings, settings.periodMinutes), "%Y-%m-%d %H:%M") + "\n" +
           "tolerance_minutes = " + std::to_string(settings.toleranceMinutes) + "\n";
}

void writeContest(const SimContest& contest, const std::filesystem::path& dir)
{
    std::filesystem::create_directories(dir / "logs");
    for (const SimStation& station : contest.stations) {
        if (!station.sendsLog)
            continue;
        writeFile(dir / "logs" / (station.callsign + ".log"), cabrilloLog(contest, station));
        if (!station.sendsOlderLog)
            continue;
        std::string olderName = station.callsign;
        std::transform(olderName.begin(), olderName.end(), olderName.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        writeFile(dir / "logs" / (olderName + "_old.log"), cabrilloLog(contest, station, station.lines.size() / 2));
    }
    writeFile(dir / "truth.csv", truthCsv(contest));
    writeFile(dir / "contest.ini", contestIni(contest));
}

std::string miscopiedCall(const std::string& call, std::mt19937& random)
{
    const auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const auto letter = [&] { return static_cast<char>('A' + uniform(0, 25)); };
    const int size = static_cast<int>(call.size());
    for (;;) {
        std::string copy = call;
        const int at = uniform(0, size - 1);
        switch (uniform(0, 2)) {
        case 0:
            copy[at] = std::isdigit(static_cast<unsigned char>(call[at])) ? static_cast<char>('0' + uniform(0, 9))
                                                                          : letter();
            break;
        case 1:
            copy.erase(at, 1);
            break;
        default:
            copy.insert(copy.begin() + uniform(0, size), letter());
        }
        if (copy != call && copy.size() >= 3)
            return copy;
    }
}
