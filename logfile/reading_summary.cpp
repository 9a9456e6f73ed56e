#include "logfile/reading_summary.h"

#include <vector>

#include "logfile/text.h"

namespace {

const std::size_t kListedLines = 20;

void printListed(const std::vector<LineMessage>& messages, const char* what, std::ostream& out)
{
    for (std::size_t i = 0; i < messages.size() && i < kListedLines; ++i)
        out << messages[i].describe() << "\n";
    if (messages.size() > kListedLines)
        out << "... and " << messages.size() - kListedLines << " more " << what << "\n";
}

}  // namespace

void printLineMessages(const ContestLog& log, std::ostream& out)
{
    printListed(log.skipped, "lines skipped", out);
    printListed(log.warnings, "warnings", out);
}

void printReadingSummary(const ContestLog& log, const std::string& fileName, std::ostream& out)
{
    for (const std::string& note : log.notes)
        out << note << "\n";
    out << fileName << ": " << counted(log.qsos.size(), "QSO") << " read, " << counted(log.skipped.size(), "line")
        << " skipped";
    if (log.excludedQsos > 0)
        out << ", " << counted(log.excludedQsos, "X-QSO line") << " left out as the log asks";
    out << "\n";
}
