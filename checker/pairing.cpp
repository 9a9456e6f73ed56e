#include "checker/pairing.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "checker/call_edits.h"

namespace {

// Of the lines offered, the free one nearest in time to `line` within the
// tolerance; on a tie, the one offered first.
class NearestFreeLine {
public:
    NearestFreeLine(const MatchLine& line, int toleranceMinutes) : line_(line), tolerance_(toleranceMinutes) {}

    void offer(uint32_t index, const MatchLine& candidate)
    {
        const int64_t distance = std::llabs(candidate.minute - line_.minute);
        if (candidate.partner != kNone || distance > tolerance_ || (best_ != kNone && distance >= bestDistance_))
            return;
        best_ = index;
        bestDistance_ = distance;
    }
    uint32_t best() const { return best_; }  // kNone when none was free and near

private:
    const MatchLine& line_;
    const int tolerance_;
    uint32_t best_ = kNone;
    int64_t bestDistance_ = 0;
};

class Pairing {
public:
    Pairing(MatchTable& table, int toleranceMinutes) : table_(table), lines_(table.lines), tolerance_(toleranceMinutes)
    {
    }

    void run()
    {
        matchReplies(lines_, table_.byPair);
        matchReplies(table_.duplicates, table_.duplicatesByPair);
        indexByWorkedCall(table_);
        matchMiscopiedCalls();
        matchCallsMiscopiedBothWays();
    }

private:
    // Calls both ways, band and mode, time within the tolerance: the nearest
    // free line of `theirs`.  A line the other log holds only as a
    // duplicate (it had logged us before, on a QSO we miscopied) is still
    // confirmed by it: the duplicate keeps its own status.
    void matchReplies(std::vector<MatchLine>& theirs, const PairIndex& index)
    {
        const bool duplicates = &theirs != &lines_;
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            MatchLine& line = lines_[i];
            if (line.partner != kNone || !table_.workedALog(line))
                continue;
            NearestFreeLine nearest(line, tolerance_);
            for (uint32_t at : index.linesOf(line.worked, line.own, line.bandMode))
                nearest.offer(at, theirs[at]);
            if (nearest.best() == kNone)
                continue;
            line.partner = nearest.best();
            line.partnerIsDuplicate = duplicates;
            theirs[nearest.best()].partner = i;
        }
    }

    // Offers `nearest` the lines that logged `call` on the line's band and
    // mode within the tolerance of its time, in time order, that `fits`.
    template <typename Fits>
    void offerLinesThatLogged(uint32_t call, const MatchLine& line, NearestFreeLine& nearest, Fits fits) const
    {
        forEachLineThatLogged(table_, call, line.bandMode, line.minute - tolerance_, line.minute + tolerance_,
                              [&](uint32_t at) {
                                  if (fits(lines_[at]))
                                      nearest.offer(at, lines_[at]);
                              });
    }

    void link(uint32_t a, uint32_t b)
    {
        lines_[a].partner = b;
        lines_[b].partner = a;
        lines_[a].miscopiedCall = true;
    }

    // A line still unmatched whose call is one edit from a station that
    // logged this one, at that band, mode and time, with its own line
    // unmatched: that station was worked, and the call was miscopied.
    void matchMiscopiedCalls()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            const MatchLine& line = lines_[i];
            if (line.partner != kNone)
                continue;
            NearestFreeLine nearest(line, tolerance_);
            offerLinesThatLogged(line.own, line, nearest, [&](const MatchLine& candidate) {
                return candidate.own != line.own && candidate.own != line.worked &&
                       oneEditApart(table_.calls.text(line.worked), table_.calls.text(candidate.own));
            });
            if (nearest.best() != kNone)
                link(i, nearest.best());
        }
    }

    // A log's own call is looked up once for all its lines.
    const std::vector<uint32_t>& callsOneEditFrom(uint32_t call)
    {
        const auto [at, added] = callsOneEditFrom_.try_emplace(call);
        if (added)
            at->second = ::callsOneEditFrom(table_.calls, call);
        return at->second;
    }

    // Both sides miscopied: a line still unmatched, and a free line of
    // another log at its band, mode and time, whose call is one edit from
    // the call this line logged and which logged a call one edit from this
    // line's own.  Neither miscopied call may be a call that sent a log:
    // such a line is that log's to confirm.
    void matchCallsMiscopiedBothWays()
    {
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            const MatchLine& line = lines_[i];
            if (line.partner != kNone || table_.logOf(line.worked) != kNoLog)
                continue;
            NearestFreeLine nearest(line, tolerance_);
            for (uint32_t copiedAs : callsOneEditFrom(line.own))
                if (table_.logOf(copiedAs) == kNoLog)
                    offerLinesThatLogged(copiedAs, line, nearest, [&](const MatchLine& candidate) {
                        return candidate.own != line.own &&
                               oneEditApart(table_.calls.text(line.worked), table_.calls.text(candidate.own));
                    });
            if (nearest.best() == kNone)
                continue;
            link(i, nearest.best());
            lines_[nearest.best()].miscopiedCall = true;
        }
    }

    MatchTable& table_;
    std::vector<MatchLine>& lines_;
    const int tolerance_;
    std::unordered_map<uint32_t, std::vector<uint32_t>> callsOneEditFrom_;
};

}  // namespace

void pairLines(MatchTable& table, int toleranceMinutes)
{
    Pairing(table, toleranceMinutes).run();
}
