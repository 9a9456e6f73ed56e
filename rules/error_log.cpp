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
    written_.clear();
    writtenBytes_ = 0;
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
    if (writeOwed())
        keepWritten();
    else if (owed_.size() > mostKeptBytes_)
        owed_.resize(owedBefore);  // no room left to owe them: lost
    forgetOldestBeyondBound();
}

// Once restarted, a missing file was deleted under the run, and after a
// failed restart the file still holds the run before: either way it is
// written whole.
bool ErrorLog::writeOwed() const
{
    if (headerLine_ && (restartOwed_ || !files_.size(path_)))
        return replaceFileContents(files_, path_, wholeFile()).ok();
    return appendWhole(files_, path_, owed_).ok();
}

std::string ErrorLog::wholeFile() const
{
    std::string text = *headerLine_;
    for (const std::string& batch : written_)
        text += batch;
    return text + owed_;
}

// Without a header there is no file to bring back, and nothing to keep.
void ErrorLog::keepWritten() const
{
    restartOwed_ = false;
    if (headerLine_ && !owed_.empty()) {
        writtenBytes_ += owed_.size();
        written_.push_back(std::move(owed_));
    }
    owed_.clear();
}

void ErrorLog::forgetOldestBeyondBound() const
{
    while (!written_.empty() && writtenBytes_ + owed_.size() > mostKeptBytes_) {
        writtenBytes_ -= written_.front().size();
        written_.pop_front();
    }
}
