#include "logfile/contest_log.h"

#include "logfile/text.h"

std::string LineMessage::describe(Language language) const
{
    return file + ":" + std::to_string(line) + ": " + message.in(language);
}

std::string CaseFolder::operator()(std::string text)
{
    std::string upper = upperCase(text);
    folded_ = folded_ || upper != text;
    return upper;
}

std::string caseFoldingNote(const std::string& fileName)
{
    return fileName + ": callsigns and modes in lower case were read in upper case";
}
