// What the pages need from one log about the others: the line a verdict
// was matched with, and the lines of other logs that miscopied a log's
// call.  Made once for all the pages from the verdicts already given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "checker/cross_check.h"

// One QSO line of one log of the check.
struct LineOf {
    uint32_t log = 0;  // into check.logs
    uint32_t qso = 0;  // into that log's qsos and verdicts
};

class CrossReferences {
public:
    explicit CrossReferences(const CrossCheck& check);

    // The line of the other log the verdict was matched with; null when
    // none was.
    const JudgedQso* matchedLine(const QsoVerdict& verdict) const;

    // The BUSTED_CALL lines of other logs whose correct call is this log's,
    // in the order of the logs, then of their lines.
    const std::vector<LineOf>& bustedBy(std::size_t log) const;

private:
    const CrossCheck& check_;
    std::vector<std::vector<LineOf>> bustedBy_;
};
