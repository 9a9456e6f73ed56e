#include "rules/error_log.h"

namespace {

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace

void ErrorLog::restart(const std::string& header) const
{
    replaceFileContents(files_, path_, joinedLines({header}));
}

void ErrorLog::append(const std::vector<std::string>& lines) const
{
    // The host replays the whole log after every reset; an open per accepted
    // QSO would cost more than all the rule checks together.
    if (lines.empty() && files_.size(path_))
        return;
    appendWhole(files_, path_, joinedLines(lines));
}
