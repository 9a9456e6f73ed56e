// A call that only one log holds is most often a miscopy of a call others
// worked many times, of a station that sent no log: the calls heard across
// the contest tell which.
#pragma once

#include <cstdint>
#include <vector>

#include "checker/match_table.h"

class HeardCalls {
public:
    // How far from a line another log's QSO with the call may lie, for the
    // station to count as heard there and then.
    static constexpr int kWindowMinutes = 30;

    // The table's lines must have their minutes corrected and be indexed by
    // worked call, and come in log order, as the table keeps them.
    explicit HeardCalls(const MatchTable& table);

    // For a line whose call no other log holds: the call one edit from it
    // that most other logs hold (two at least), one of them on the line's
    // band and mode within kWindowMinutes of its time.  kNone when nothing
    // like it was heard, or two such calls are held by as many logs.
    uint32_t likelyCallOf(const MatchLine& line) const;

    // The logs other than `log` that logged `call`.
    int logsHolding(uint32_t call, uint32_t log) const;

private:
    bool heardNear(uint32_t call, const MatchLine& line) const;

    const MatchTable& table_;
    // The logs that logged call c, each once and in order, are
    // logs_[firstLogAt_[c], firstLogAt_[c + 1]).
    std::vector<uint32_t> firstLogAt_;
    std::vector<uint32_t> logs_;
};
