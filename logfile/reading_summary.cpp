#include "logfile/reading_summary.h"

#include <vector>

#include "logfile/text.h"

namespace {

const std::size_t kListedLines = 20;

void printListed(const std::vector<LineMessage>& messages, MessageId more, std::ostream& out, Language language)
{
    for (std::size_t i = 0; i < messages.size() && i < kListedLines; ++i)
        out << messages[i].describe(language) << "\n";
    if (messages.size() > kListedLines)
        out << say(more, language, {std::to_string(messages.size() - kListedLines)}) << "\n";
}

}  // namespace

void printLineMessages(const ContestLog& log, std::ostream& out, Language language)
{
    printListed(log.skipped, MessageId::MoreLinesSkipped, out, language);
    printListed(log.warnings, MessageId::MoreWarnings, out, language);
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
