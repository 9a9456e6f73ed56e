#include "logfile/contest_log.h"

#include "logfile/text.h"

std::string LineMessage::describe(Language language) const
{
    return file + ":" + std::to_string(line) + ": " + message.in(language);
}

std::string CaseFolder::operator()(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
            folded_ = true;
        }
    return upper;
}

std::string caseFoldingNote(const std::string& fileName)
{
    return fileName + ": callsigns and modes in lower case were read in upper case";
}
