#include "checker/cross_references.h"

#include <algorithm>
#include <numeric>

CrossReferences::CrossReferences(const CrossCheck& check)
    : check_(check), qsosByLine_(check.logs.size()), bustedBy_(check.logs.size())
{
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        const LogCheck& log = check.logs[i].log;
        if (log.state != LogState::Checked)
            continue;
        logOfCall_.emplace(log.callsign, i);
        std::vector<uint32_t>& byLine = qsosByLine_[i];
        byLine.resize(log.qsos.size());
        std::iota(byLine.begin(), byLine.end(), 0u);
        std::sort(byLine.begin(), byLine.end(),
                  [&log](uint32_t a, uint32_t b) { return log.qsos[a].qso.line < log.qsos[b].qso.line; });
    }
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        const std::vector<QsoVerdict>& verdicts = check.logs[i].verdicts;
        for (std::size_t q = 0; q < verdicts.size(); ++q) {
            if (verdicts[q].status != QsoStatus::BustedCall)
                continue;
            const auto busted = logOfCall_.find(verdicts[q].correctCall);
            if (busted != logOfCall_.end())
                bustedBy_[busted->second].push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(q)});
        }
    }
}

const JudgedQso* CrossReferences::matchedLine(const QsoVerdict& verdict) const
{
    const auto other = logOfCall_.find(verdict.matchedLog);
    if (verdict.matchedLine == 0 || other == logOfCall_.end())
        return nullptr;
    const std::vector<JudgedQso>& qsos = check_.logs[other->second].log.qsos;
    const std::vector<uint32_t>& byLine = qsosByLine_[other->second];
    const auto at = std::lower_bound(byLine.begin(), byLine.end(), verdict.matchedLine,
                                     [&qsos](uint32_t q, int line) { return qsos[q].qso.line < line; });
    return at != byLine.end() && qsos[*at].qso.line == verdict.matchedLine ? &qsos[*at] : nullptr;
}

const std::vector<LineOf>& CrossReferences::bustedBy(std::size_t log) const
{
    return bustedBy_[log];
}
