#include "checker/cross_references.h"

#include <algorithm>

CrossReferences::CrossReferences(const CrossCheck& check)
    : check_(check), qsoAtLine_(check.logs.size()), bustedBy_(check.logs.size())
{
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        const LogCheck& log = check.logs[i].log;
        if (log.state != LogState::Checked)
            continue;
        logOfCall_.emplace(log.callsign, i);
        int lastLine = 0;
        for (const JudgedQso& judged : log.qsos)
            lastLine = std::max(lastLine, judged.qso.line);
        std::vector<uint32_t>& atLine = qsoAtLine_[i];
        atLine.assign(static_cast<std::size_t>(lastLine) + 1, 0);
        for (std::size_t q = 0; q < log.qsos.size(); ++q)
            if (log.qsos[q].qso.line > 0)
                atLine[static_cast<std::size_t>(log.qsos[q].qso.line)] = static_cast<uint32_t>(q + 1);
    }
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        const std::vector<QsoVerdict>& verdicts = check.logs[i].verdicts;
        for (std::size_t q = 0; q < verdicts.size(); ++q) {
            if (verdicts[q].status != QsoStatus::BustedCall)
                continue;
            const auto busted = logOfCall_.find(std::string(verdicts[q].correctCall()));
            if (busted != logOfCall_.end())
                bustedBy_[busted->second].push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(q)});
        }
    }
}

const JudgedQso* CrossReferences::matchedLine(const QsoVerdict& verdict) const
{
    if (verdict.matchedLog >= qsoAtLine_.size() || verdict.matchedLine <= 0)
        return nullptr;
    const std::vector<uint32_t>& atLine = qsoAtLine_[verdict.matchedLog];
    const auto line = static_cast<std::size_t>(verdict.matchedLine);
    if (line >= atLine.size() || atLine[line] == 0)
        return nullptr;
    return &check_.logs[verdict.matchedLog].log.qsos[atLine[line] - 1];
}

const std::vector<LineOf>& CrossReferences::bustedBy(std::size_t log) const
{
    return bustedBy_[log];
}
