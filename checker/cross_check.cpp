// The cross-check.  Every QSO line that the plug-in stored and did not call
// a duplicate takes part in matching; the duplicates only confirm a line
// that no other line of their log confirms.  Callsigns, exchanges and
// band-mode pairs are numbered once, and the lines are held in arrays
// sorted by packed keys, so a lookup is a binary search and the whole check
// grows with the number of lines, not with its square:
//  - by (own call, worked call, band-mode): the other side of a QSO, among
//    the lines that count and, failing those, among the duplicates;
//  - by (worked call, band-mode, corrected time): the stations that logged
//    a call near a given time, for the search of miscopied calls;
//  - by (worked call, log, exchange): what everybody copied from a call.
#include "checker/cross_check.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "logfile/text.h"
#include "score/scoring.h"

namespace {

constexpr int kNoLog = -1;
constexpr uint32_t kNone = UINT32_MAX;
// Matched QSOs a clock offset needs before it is believed.
constexpr std::size_t kOffsetEvidence = 3;
// Farthest apart two sides of one QSO may lie before a clock is corrected.
constexpr int kWidestOffsetMinutes = 24 * 60;

class Numbering {
public:
    uint32_t operator()(const std::string& text)
    {
        const auto [at, added] = ids_.try_emplace(text, static_cast<uint32_t>(texts_.size()));
        if (added)
            texts_.push_back(text);
        return at->second;
    }
    uint32_t find(const std::string& text) const
    {
        const auto at = ids_.find(text);
        return at == ids_.end() ? kNone : at->second;
    }
    const std::string& text(uint32_t id) const { return texts_[id]; }

private:
    std::unordered_map<std::string, uint32_t> ids_;
    std::vector<std::string> texts_;
};

// "016" and "16" are the same number.
std::string exchangeKey(const std::string& exchange)
{
    const std::string text = upperCase(trimmed(exchange));
    if (!allDigits(text))
        return text;
    const auto first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

// One line that takes part in matching.
struct Line {
    uint32_t log;
    uint32_t qso;
    uint32_t own, worked, bandMode;
    uint32_t sentExchange, receivedExchange;
    int64_t loggedMinute;
    int64_t minute = 0;  // corrected by the log's clock offset
    uint32_t partner = kNone;
    bool partnerIsDuplicate = false;  // `partner` indexes the duplicates
    bool miscopiedCall = false;       // this side copied the other's call wrong
};

// Lines sorted by pairKey: (key, line index).
using PairIndex = std::vector<std::pair<uint64_t, uint32_t>>;

uint64_t pairKey(uint32_t own, uint32_t worked, uint32_t bandMode)
{
    return static_cast<uint64_t>(own) << 38 | static_cast<uint64_t>(worked) << 12 | bandMode;
}

// True when one edit (a character changed, dropped, added, or two
// neighbours swapped) turns `a` into `b`.
bool oneEditApart(const std::string& a, const std::string& b)
{
    if (a == b)
        return false;
    const std::string& shorter = a.size() <= b.size() ? a : b;
    const std::string& longer = a.size() <= b.size() ? b : a;
    if (longer.size() - shorter.size() > 1)
        return false;
    std::size_t i = 0;
    while (i < shorter.size() && shorter[i] == longer[i])
        ++i;
    if (shorter.size() == longer.size()) {
        if (shorter.compare(i + 1, std::string::npos, longer, i + 1, std::string::npos) == 0)
            return true;
        return i + 1 < shorter.size() && shorter[i] == longer[i + 1] && shorter[i + 1] == longer[i] &&
               shorter.compare(i + 2, std::string::npos, longer, i + 2, std::string::npos) == 0;
    }
    return shorter.compare(i, std::string::npos, longer, i + 1, std::string::npos) == 0;
}

int medianOf(std::vector<int64_t> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return static_cast<int>(*middle);
}

class Matcher {
public:
    Matcher(CrossCheck& check) : check_(check), config_(check.config) {}

    void run()
    {
        collectLines();
        indexPairs();
        estimateClockOffsets();
        if (replayLogsRepeatingOutsideThePeriod()) {
            lines_.clear();
            duplicates_.clear();
            collectLines();
            indexPairs();
        }
        correctClocks(lines_);
        correctClocks(duplicates_);
        matchExactly();
        matchAgainstDuplicates();
        indexByWorkedCall();
        matchMiscopiedCalls();
        matchCallsMiscopiedBothWays();
        indexExchangesCopied();
        giveVerdicts();
    }

private:
    void collectLines()
    {
        std::size_t lineCount = 0;
        for (std::size_t log = 0; log < check_.logs.size(); ++log) {
            CheckedLog& checked = check_.logs[log];
            if (checked.log.state != LogState::Checked)
                continue;
            logOfCall_.resize(std::max<std::size_t>(logOfCall_.size(), calls_(checked.log.callsign) + 1), kNoLog);
            logOfCall_[calls_.find(checked.log.callsign)] = static_cast<int>(log);
            lineCount += checked.log.qsos.size();
        }
        // At most one each, and doubling past a million lines costs more
        // than the lines themselves.
        lines_.reserve(lineCount);
        for (std::size_t log = 0; log < check_.logs.size(); ++log) {
            const CheckedLog& checked = check_.logs[log];
            if (checked.log.state != LogState::Checked)
                continue;
            const uint32_t own = calls_.find(checked.log.callsign);
            for (std::size_t q = 0; q < checked.log.qsos.size(); ++q) {
                const JudgedQso& judged = checked.log.qsos[q];
                if (!judged.accepted())
                    continue;
                const LoggedQso& qso = judged.qso;
                (judged.duplicate() ? duplicates_ : lines_)
                    .push_back({static_cast<uint32_t>(log), static_cast<uint32_t>(q), own,
                                calls_(qso.workedCallsign), bandModes_(qso.band + " " + qso.mode),
                                exchanges_(exchangeKey(qso.exchangeSent)),
                                exchanges_(exchangeKey(qso.exchangeReceived)), minuteOf(qso.time)});
            }
        }
    }

    int logOf(uint32_t call) const { return call < logOfCall_.size() ? logOfCall_[call] : kNoLog; }

    static PairIndex pairIndexOf(const std::vector<Line>& lines)
    {
        PairIndex index;
        index.reserve(lines.size());
        for (uint32_t i = 0; i < lines.size(); ++i)
            index.push_back({pairKey(lines[i].own, lines[i].worked, lines[i].bandMode), i});
        std::sort(index.begin(), index.end());
        return index;
    }

    void indexPairs()
    {
        byPair_ = pairIndexOf(lines_);
        duplicatesByPair_ = pairIndexOf(duplicates_);
    }

    // The entries of `index` for the lines of `own` that logged `worked` on
    // one band and mode.
    static std::pair<std::size_t, std::size_t> pairRange(const PairIndex& index, uint32_t own, uint32_t worked,
                                                         uint32_t bandMode)
    {
        const uint64_t key = pairKey(own, worked, bandMode);
        const auto first = std::lower_bound(index.begin(), index.end(), std::make_pair(key, uint32_t{0}));
        auto last = first;
        while (last != index.end() && last->first == key)
            ++last;
        return {static_cast<std::size_t>(first - index.begin()), static_cast<std::size_t>(last - index.begin())};
    }

    // Each log's clock: the median of how far its QSOs lie from the other
    // side's, where both logs hold the QSO once, with the other log's own
    // offset taken out.  A few rounds let two wrong clocks settle.
    void estimateClockOffsets()
    {
        struct Evidence {
            uint32_t other;
            int64_t difference;
        };
        std::vector<std::vector<Evidence>> evidence(check_.logs.size());
        for (const Line& line : lines_) {
            if (logOf(line.worked) == kNoLog || line.worked == line.own)
                continue;
            const auto mine = pairRange(byPair_, line.own, line.worked, line.bandMode);
            const auto theirs = pairRange(byPair_, line.worked, line.own, line.bandMode);
            if (mine.second - mine.first != 1 || theirs.second - theirs.first != 1)
                continue;
            const Line& other = lines_[byPair_[theirs.first].second];
            const int64_t difference = line.loggedMinute - other.loggedMinute;
            if (std::llabs(difference) <= kWidestOffsetMinutes)
                evidence[line.log].push_back({other.log, difference});
        }
        std::vector<int> offsets(check_.logs.size(), 0);
        for (int round = 0; round < 3; ++round) {
            std::vector<int> next(offsets.size(), 0);
            for (std::size_t log = 0; log < evidence.size(); ++log) {
                if (evidence[log].size() < kOffsetEvidence)
                    continue;
                std::vector<int64_t> estimates;
                for (const Evidence& e : evidence[log])
                    estimates.push_back(e.difference + offsets[e.other]);
                next[log] = medianOf(std::move(estimates));
            }
            offsets = std::move(next);
        }
        for (std::size_t log = 0; log < offsets.size(); ++log) {
            check_.logs[log].score.clockOffsetMinutes = offsets[log];
            check_.logs[log].score.offsetMatches = static_cast<int>(evidence[log].size());
        }
    }

    // A QSO outside the period is out of period and nothing else, never the
    // earlier QSO of a repeat.  Where it lies is known only once the clocks
    // are, so a log that counted a QSO outside the period and has repeats of
    // it is played through the rules again without its QSOs outside.
    bool replayLogsRepeatingOutsideThePeriod()
    {
        std::vector<bool> replay(check_.logs.size(), false);
        for (const Line& line : lines_) {
            const auto repeats = pairRange(duplicatesByPair_, line.own, line.worked, line.bandMode);
            if (repeats.first != repeats.second && !inPeriod(line.loggedMinute, line.log))
                replay[line.log] = true;
        }
        for (std::size_t log = 0; log < replay.size(); ++log)
            if (replay[log])
                replayInPeriod(check_.logs[log].log,
                               [&](const LoggedQso& qso) { return inPeriod(minuteOf(qso.time), log); });
        return std::find(replay.begin(), replay.end(), true) != replay.end();
    }

    bool inPeriod(int64_t loggedMinute, std::size_t log) const
    {
        return config_.period().containsMinute(loggedMinute - check_.logs[log].score.clockOffsetMinutes);
    }

    void correctClocks(std::vector<Line>& lines) const
    {
        for (Line& line : lines)
            line.minute = line.loggedMinute - check_.logs[line.log].score.clockOffsetMinutes;
    }

    bool withinTolerance(const Line& a, const Line& b) const
    {
        return std::llabs(a.minute - b.minute) <= config_.toleranceMinutes;
    }

    void link(uint32_t a, uint32_t b)
    {
        lines_[a].partner = b;
        lines_[b].partner = a;
    }

    // Of `theirs` (indexed by `index`), the free line nearest in time to
    // `line` that logged its call back on its band and mode, within the
    // tolerance; kNone when there is none.
    uint32_t nearestFreeReply(const Line& line, const std::vector<Line>& theirs, const PairIndex& index) const
    {
        const auto range = pairRange(index, line.worked, line.own, line.bandMode);
        uint32_t best = kNone;
        for (std::size_t at = range.first; at < range.second; ++at) {
            const uint32_t candidate = index[at].second;
            if (theirs[candidate].partner == kNone && withinTolerance(line, theirs[candidate]) &&
                (best == kNone ||
                 std::llabs(theirs[candidate].minute - line.minute) < std::llabs(theirs[best].minute - line.minute)))
                best = candidate;
        }
        return best;
    }

    bool awaitsTheOtherLog(const Line& line) const
    {
        return line.partner == kNone && logOf(line.worked) != kNoLog && line.worked != line.own;
    }

    // Calls both ways, band and mode, time within the tolerance: the
    // nearest free line of the other side.
    void matchExactly()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            if (!awaitsTheOtherLog(lines_[i]))
                continue;
            const uint32_t best = nearestFreeReply(lines_[i], lines_, byPair_);
            if (best != kNone)
                link(i, best);
        }
    }

    // A line the other log holds only as a duplicate (it had logged us
    // before, on a QSO we miscopied) is still confirmed by that log: the
    // duplicate keeps its own status, this line is matched to it.
    void matchAgainstDuplicates()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            if (!awaitsTheOtherLog(lines_[i]))
                continue;
            const uint32_t best = nearestFreeReply(lines_[i], duplicates_, duplicatesByPair_);
            if (best == kNone)
                continue;
            lines_[i].partner = best;
            lines_[i].partnerIsDuplicate = true;
            duplicates_[best].partner = i;
        }
    }

    void indexByWorkedCall()
    {
        byWorked_.reserve(lines_.size());
        for (uint32_t i = 0; i < lines_.size(); ++i)
            byWorked_.push_back({static_cast<uint64_t>(lines_[i].worked) << 12 | lines_[i].bandMode,
                                 lines_[i].minute, i});
        std::sort(byWorked_.begin(), byWorked_.end());
    }

    // A line still unmatched whose call is one edit from a station that
    // logged this one, at that band, mode and time, with its own line
    // unmatched: that station was worked, and the call was miscopied.
    void matchMiscopiedCalls()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            const Line& line = lines_[i];
            if (line.partner != kNone)
                continue;
            const uint64_t key = static_cast<uint64_t>(line.own) << 12 | line.bandMode;
            auto at = std::lower_bound(byWorked_.begin(), byWorked_.end(),
                                       WorkedEntry{key, line.minute - config_.toleranceMinutes, 0});
            uint32_t best = kNone;
            for (; at != byWorked_.end() && at->key == key && at->minute <= line.minute + config_.toleranceMinutes;
                 ++at) {
                const Line& candidate = lines_[at->line];
                if (candidate.partner != kNone || candidate.own == line.own || candidate.own == line.worked ||
                    !oneEditApart(calls_.text(line.worked), calls_.text(candidate.own)))
                    continue;
                if (best == kNone ||
                    std::llabs(candidate.minute - line.minute) < std::llabs(lines_[best].minute - line.minute))
                    best = at->line;
            }
            if (best != kNone) {
                link(i, best);
                lines_[i].miscopiedCall = true;
            }
        }
    }

    // The calls logged anywhere that are one edit from `call`.
    const std::vector<uint32_t>& callsOneEditFrom(uint32_t call)
    {
        const auto [at, added] = callsOneEditFrom_.try_emplace(call);
        if (!added)
            return at->second;
        static const std::string kCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
        const std::string text = calls_.text(call);
        std::vector<uint32_t>& near = at->second;
        const auto consider = [&](const std::string& variant) {
            const uint32_t id = calls_.find(variant);
            if (id != kNone && id != call)
                near.push_back(id);
        };
        for (std::size_t i = 0; i <= text.size(); ++i) {
            for (char c : kCharacters) {
                consider(text.substr(0, i) + c + text.substr(i));
                if (i < text.size())
                    consider(text.substr(0, i) + c + text.substr(i + 1));
            }
            if (i < text.size())
                consider(text.substr(0, i) + text.substr(i + 1));
            if (i + 1 < text.size())
                consider(text.substr(0, i) + text[i + 1] + text[i] + text.substr(i + 2));
        }
        std::sort(near.begin(), near.end());
        near.erase(std::unique(near.begin(), near.end()), near.end());
        return near;
    }

    // Both sides miscopied: a line still unmatched, and a free line of
    // another log at its band, mode and time, whose call is one edit from
    // the call this line logged and which logged a call one edit from this
    // line's own.  Neither miscopied call may be a call that sent a log:
    // such a line is that log's to confirm.
    void matchCallsMiscopiedBothWays()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].partner != kNone || logOf(lines_[i].worked) != kNoLog)
                continue;
            const Line& line = lines_[i];
            uint32_t best = kNone;
            for (uint32_t copiedAs : callsOneEditFrom(line.own)) {
                if (logOf(copiedAs) != kNoLog)
                    continue;
                const uint64_t key = static_cast<uint64_t>(copiedAs) << 12 | line.bandMode;
                for (auto at = std::lower_bound(byWorked_.begin(), byWorked_.end(),
                                                WorkedEntry{key, line.minute - config_.toleranceMinutes, 0});
                     at != byWorked_.end() && at->key == key && at->minute <= line.minute + config_.toleranceMinutes;
                     ++at) {
                    const Line& candidate = lines_[at->line];
                    if (candidate.partner != kNone || candidate.own == line.own ||
                        !oneEditApart(calls_.text(line.worked), calls_.text(candidate.own)))
                        continue;
                    if (best == kNone ||
                        std::llabs(candidate.minute - line.minute) < std::llabs(lines_[best].minute - line.minute))
                        best = at->line;
                }
            }
            if (best == kNone)
                continue;
            link(i, best);
            lines_[i].miscopiedCall = true;
            lines_[best].miscopiedCall = true;
        }
    }

    void indexExchangesCopied()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i)
            copied_.push_back({lines_[i].worked, lines_[i].log, lines_[i].receivedExchange, i});
        std::sort(copied_.begin(), copied_.end());
        // One vote per log and exchange; the first of its lines stays.
        copied_.erase(std::unique(copied_.begin(), copied_.end(),
                                  [](const auto& a, const auto& b) {
                                      return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
                                  }),
                      copied_.end());
        countVotesOnCallsWithoutLogs();
    }

    // The votes on each call that sent no log, counted once, so that each
    // line's consensus only takes its own log's votes out: a call worked by
    // k logs costs k, not k squared.
    void countVotesOnCallsWithoutLogs()
    {
        for (std::size_t at = 0, end; at < copied_.size(); at = end) {
            const uint32_t call = copied_[at][0];
            for (end = at; end < copied_.size() && copied_[end][0] == call;)
                ++end;
            if (logOf(call) == kNoLog)
                countVotes(call, at, end);
        }
    }

    // copied_[first, last) are the copies of `call`.
    void countVotes(uint32_t call, std::size_t first, std::size_t last)
    {
        std::map<uint32_t, ExchangeVotes> byExchange;
        CallVotes& votes = votesOnCall_[call];
        uint32_t lastLog = kNone;
        for (std::size_t at = first; at < last; ++at) {
            const auto& [worked, log, exchange, line] = copied_[at];
            ExchangeVotes& vote = byExchange.try_emplace(exchange, ExchangeVotes{exchange}).first->second;
            if (vote.logs == 0)
                vote.line = line;
            else if (vote.logs == 1)
                vote.otherLine = line;
            ++vote.logs;
            votes.logs += log != lastLog;
            lastLog = log;
        }
        for (const auto& [exchange, vote] : byExchange)
            votes.exchanges.push_back(vote);
    }

    struct ExchangeVotes {
        uint32_t exchange;
        int logs = 0;  // that copied it
        uint32_t line = kNone, otherLine = kNone;  // two of theirs, from different logs
    };

    struct CallVotes {
        int logs = 0;                          // that logged the call
        std::vector<ExchangeVotes> exchanges;  // by exchange number
    };

    struct Consensus {
        uint32_t exchange = kNone;
        uint32_t line = kNone;  // one that copied it, for the exchange as written
        int logs = 0;           // that copied this exchange
        int others = 0;         // that logged the call at all
    };

    // What the logs other than `log` copied from `call`, a call that sent
    // no log: the exchange most logs copied (the lowest number on a tie).
    Consensus consensusOn(uint32_t call, uint32_t log) const
    {
        const auto found = votesOnCall_.find(call);
        if (found == votesOnCall_.end())
            return {};
        const CallVotes& votes = found->second;
        auto own = std::lower_bound(copied_.begin(), copied_.end(), std::array<uint32_t, 4>{call, log, 0, 0});
        auto ownEnd = own;
        while (ownEnd != copied_.end() && (*ownEnd)[0] == call && (*ownEnd)[1] == log)
            ++ownEnd;
        Consensus consensus;
        consensus.others = votes.logs - (own != ownEnd ? 1 : 0);
        for (const ExchangeVotes& vote : votes.exchanges) {
            const bool ours =
                std::any_of(own, ownEnd, [&](const std::array<uint32_t, 4>& e) { return e[2] == vote.exchange; });
            const int logs = vote.logs - (ours ? 1 : 0);
            if (logs > consensus.logs)
                consensus = {vote.exchange, lines_[vote.line].log == log ? vote.otherLine : vote.line, logs,
                             consensus.others};
        }
        return consensus;
    }

    bool outOfPeriod(const Line& line) const { return !config_.period().containsMinute(line.minute); }

    void giveVerdicts()
    {
        for (CheckedLog& checked : check_.logs)
            if (checked.log.state == LogState::Checked)
                checked.verdicts = judgedByThePlugin(checked.log);
        for (const Line& line : lines_) {
            QsoVerdict& verdict = check_.logs[line.log].verdicts[line.qso];
            verdict = matchVerdict(line);
            if (outOfPeriod(line))
                verdict.status = QsoStatus::OutOfPeriod;
        }
        for (const Line& line : duplicates_)
            if (outOfPeriod(line))
                check_.logs[line.log].verdicts[line.qso].status = QsoStatus::OutOfPeriod;
    }

    static std::vector<QsoVerdict> judgedByThePlugin(const LogCheck& log)
    {
        std::vector<QsoVerdict> verdicts(log.qsos.size());
        for (std::size_t q = 0; q < log.qsos.size(); ++q) {
            const JudgedQso& judged = log.qsos[q];
            if (!judged.accepted())
                verdicts[q].status = QsoStatus::Rejected;
            else if (judged.duplicate())
                verdicts[q].status = QsoStatus::Dupe;
        }
        return verdicts;
    }

    QsoVerdict matchVerdict(const Line& line) const
    {
        QsoVerdict verdict;
        if (line.partner != kNone) {
            const Line& partner = line.partnerIsDuplicate ? duplicates_[line.partner] : lines_[line.partner];
            const LogCheck& other = check_.logs[partner.log].log;
            verdict.matchedLog = other.callsign;
            verdict.matchedLine = other.qsos[partner.qso].qso.line;
            if (line.miscopiedCall) {
                verdict.status = QsoStatus::BustedCall;
                verdict.correctCall = other.callsign;
            } else if (line.receivedExchange != partner.sentExchange) {
                verdict.status = QsoStatus::BustedExch;
                verdict.correctExchange = other.qsos[partner.qso].qso.exchangeSent;
            }
            return verdict;
        }
        if (logOf(line.worked) != kNoLog && line.worked != line.own) {
            verdict.status = QsoStatus::Nil;
            return verdict;
        }
        const Consensus consensus = consensusOn(line.worked, line.log);
        if (consensus.others == 0) {
            verdict.status = QsoStatus::Unique;
        } else if (consensus.exchange != line.receivedExchange && consensus.logs >= 2 &&
                   consensus.logs * 2 > consensus.others) {
            verdict.status = QsoStatus::BustedExch;
            const Line& copier = lines_[consensus.line];
            verdict.correctExchange = check_.logs[copier.log].log.qsos[copier.qso].qso.exchangeReceived;
        } else {
            verdict.status = QsoStatus::NoLog;
        }
        return verdict;
    }

    struct WorkedEntry {
        uint64_t key;
        int64_t minute;
        uint32_t line;
        bool operator<(const WorkedEntry& other) const
        {
            return key != other.key ? key < other.key : minute != other.minute ? minute < other.minute
                                                                                : line < other.line;
        }
    };

    CrossCheck& check_;
    const ContestConfig& config_;
    Numbering calls_, bandModes_, exchanges_;
    std::vector<int> logOfCall_;
    std::vector<Line> lines_;       // the lines that take part in matching
    std::vector<Line> duplicates_;  // the plug-in's duplicates, to confirm others' lines only
    PairIndex byPair_, duplicatesByPair_;
    std::vector<WorkedEntry> byWorked_;
    std::vector<std::array<uint32_t, 4>> copied_;  // worked call, log, exchange received, line
    std::unordered_map<uint32_t, std::vector<uint32_t>> callsOneEditFrom_;
    std::unordered_map<uint32_t, CallVotes> votesOnCall_;
};

bool counts(QsoStatus status, const ContestConfig& config)
{
    return status == QsoStatus::Ok || status == QsoStatus::NoLog ||
           (status == QsoStatus::Unique && config.countUniques);
}

int penaltyFor(QsoStatus status, const ContestConfig& config)
{
    if (status == QsoStatus::Nil)
        return config.nilPenalty;
    if (status == QsoStatus::BustedCall || status == QsoStatus::BustedExch)
        return config.bustedPenalty;
    return 0;
}

CInfo recordOf(const JudgedQso& judged)
{
    CInfo record;
    record.workedCallsign = judged.qso.workedCallsign;
    record.countryPrefix = judged.countryPrefix;
    record.band = judged.qso.band;
    record.mode = judged.qso.mode;
    record.exchangeReceived = judged.qso.exchangeReceived;
    record.exchangeSent = judged.qso.exchangeSent;
    return record;
}

// The plug-in's scoring pass over the lines that count, then the penalties
// off the points.
void scoreVerifiedLog(CheckedLog& checked, const ContestConfig& config)
{
    ContestState state;
    int64_t penaltyPoints = 0;
    for (std::size_t q = 0; q < checked.verdicts.size(); ++q) {
        const QsoStatus status = checked.verdicts[q].status;
        ++checked.score.statusCounts[static_cast<std::size_t>(status)];
        const CInfo record = recordOf(checked.log.qsos[q]);
        penaltyPoints += static_cast<int64_t>(penaltyFor(status, config)) * pointsFor(record);
        if (!counts(status, config))
            continue;
        noteBand(state.bands, checked.log.qsos[q].qso.band);
        state.log.append(record);
    }
    const ScoreSheet sheet = scoreLog(state);
    LogScore& score = checked.score;
    score.countedQsos = sheet.qsos;
    score.penaltyPoints = static_cast<int32_t>(std::min<int64_t>(penaltyPoints, INT32_MAX));
    score.points = std::max(0, sheet.points - score.penaltyPoints);
    score.multipliers = sheet.multipliers;
    score.verifiedScore = static_cast<int64_t>(score.points) * score.multipliers;
}

void supersedeRepeatedCalls(CrossCheck& check)
{
    std::unordered_map<std::string, std::size_t> latest;
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        LogCheck& log = check.logs[i].log;
        if (log.state != LogState::Checked)
            continue;
        const auto [at, first] = latest.try_emplace(log.callsign, i);
        if (first)
            continue;
        LogCheck& earlier = check.logs[at->second].log;
        earlier.state = LogState::Superseded;
        earlier.stateReason = "another log from " + log.callsign + " came later: " + log.fileName;
        at->second = i;
    }
}

void summarise(CrossCheck& check)
{
    std::size_t checkedLogs = 0, lines = 0;
    std::array<std::size_t, kQsoStatusCount> totals{};
    for (const CheckedLog& checked : check.logs) {
        if (checked.log.state != LogState::Checked) {
            check.summary.push_back(checked.log.fileName + ": " + logStateName(checked.log.state) + " (" +
                                    checked.log.stateReason + ")");
            continue;
        }
        ++checkedLogs;
        lines += checked.verdicts.size();
        for (std::size_t s = 0; s < kQsoStatusCount; ++s)
            totals[s] += static_cast<std::size_t>(checked.score.statusCounts[s]);
        if (checked.score.clockOffsetMinutes != 0)
            check.summary.push_back(checked.log.callsign + ": clock " +
                                    std::to_string(checked.score.clockOffsetMinutes) +
                                    " min off, corrected (from " + std::to_string(checked.score.offsetMatches) +
                                    " matched QSOs)");
    }
    std::string counts;
    for (std::size_t s = 0; s < kQsoStatusCount; ++s)
        counts += std::string(s ? ", " : "") + qsoStatusName(static_cast<QsoStatus>(s)) + " " +
                  std::to_string(totals[s]);
    check.summary.push_back(std::to_string(check.logs.size()) + " files, " + std::to_string(checkedLogs) +
                            " logs checked, " + std::to_string(lines) + " QSO lines: " + counts);
}

}  // namespace

const char* logStateName(LogState state)
{
    static const char* const kNames[] = {"CHECKED",       "SUPERSEDED",  "EMPTY",  "NOT_A_LOG",
                                         "OTHER_CONTEST", "NO_CALLSIGN", "NO_QSOS"};
    return kNames[static_cast<std::size_t>(state)];
}

const char* qsoStatusName(QsoStatus status)
{
    static const char* const kNames[] = {"OK",     "NIL",  "BUSTED_CALL",   "BUSTED_EXCH", "UNIQUE",
                                         "NO_LOG", "DUPE", "OUT_OF_PERIOD", "REJECTED"};
    return kNames[static_cast<std::size_t>(status)];
}

CrossCheck crossCheck(std::vector<LogInput> files, const ContestConfig& config, const CountryPrefixes& countries,
                      const CheckProgress& progress)
{
    CrossCheck check;
    check.config = config;
    check.logs.resize(files.size());
    // No period for the one-log check: it would leave out the lines logged
    // outside it, and a clock off by hours logs real QSOs there.  The period
    // is applied after the clocks are corrected.
    PrecheckOptions wholeLog;
    wholeLog.results = false;
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex progressLock;
    const auto readFiles = [&] {
        for (std::size_t i; (i = next++) < files.size();) {
            LogCheck& log = check.logs[i].log;
            try {
                log = precheckLog(files[i].bytes, files[i].fileName, countries, wholeLog);
            } catch (const std::exception& error) {
                log = {};
                log.fileName = files[i].fileName;
                log.state = LogState::NotALog;
                log.stateReason = std::string("could not be read: ") + error.what();
            }
            std::string().swap(files[i].bytes);
            std::lock_guard<std::mutex> guard(progressLock);
            ++done;
            if (progress)
                progress(done, files.size());
        }
    };
    // The logs are read side by side; everything after needs them all.
    std::vector<std::thread> workers;
    const unsigned helpers = std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), 8) - 1;
    for (unsigned i = 0; i < helpers && i + 1 < files.size(); ++i)
        workers.emplace_back(readFiles);
    readFiles();
    for (std::thread& worker : workers)
        worker.join();
    supersedeRepeatedCalls(check);
    Matcher(check).run();
    for (CheckedLog& checked : check.logs)
        if (checked.log.state == LogState::Checked)
            scoreVerifiedLog(checked, config);
    summarise(check);
    return check;
}
