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
    headerLine_ = joinedLines({header});
    owed_.clear();
    restartOwed_ = !replaceFileContents(files_, path_, *headerLine_).ok();
}

void ErrorLog::append(const std::vector<std::string>& lines) const
{
    // The host replays the whole log after every reset; an open per accepted
    // QSO would cost more than all the rule checks together.
    if (lines.empty() && owed_.empty() && !restartOwed_ && files_.size(path_))
        return;
    const std::size_t owedBefore = owed_.size();
    owed_ += joinedLines(lines);
    if (writeOwed()) {
        owed_.clear();
        restartOwed_ = false;
    } else if (owed_.size() > mostOwedBytes_) {
        owed_.resize(owedBefore);
    }
}

// A file that is gone since the restart was deleted under the run; it
// comes back whole, header first, rather than as a bare list of lines.
bool ErrorLog::writeOwed() const
{
    if (headerLine_ && (restartOwed_ || !files_.size(path_)))
        return replaceFileContents(files_, path_, *headerLine_ + owed_).ok();
    return appendWhole(files_, path_, owed_).ok();
}
