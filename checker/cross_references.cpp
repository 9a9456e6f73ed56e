#include "checker/cross_references.h"

#include <string>
#include <unordered_map>

CrossReferences::CrossReferences(const CrossCheck& check) : check_(check), bustedBy_(check.logs.size())
{
    std::unordered_map<std::string, std::size_t> logOfCall;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        if (check.logs[i].log.state == LogState::Checked)
            logOfCall.emplace(check.logs[i].log.callsign, i);
    for (std::size_t i = 0; i < check.logs.size(); ++i) {
        const std::vector<QsoVerdict>& verdicts = check.logs[i].verdicts;
        for (std::size_t q = 0; q < verdicts.size(); ++q) {
            if (verdicts[q].status != QsoStatus::BustedCall)
                continue;
            const auto busted = logOfCall.find(std::string(verdicts[q].correctCall()));
            if (busted != logOfCall.end())
                bustedBy_[busted->second].push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(q)});
        }
    }
}

const JudgedQso* CrossReferences::matchedLine(const QsoVerdict& verdict) const
{
    if (verdict.matchedLog == kNoMatch)
        return nullptr;
    return &check_.logs[verdict.matchedLog].log.qsos.at(verdict.matchedQso);
}

const std::vector<LineOf>& CrossReferences::bustedBy(std::size_t log) const
{
    return bustedBy_[log];
}
