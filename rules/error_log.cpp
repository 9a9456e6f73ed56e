#include "rules/error_log.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

void writeLines(std::FILE* file, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fwrite("\r\n", 1, 2, file);
    }
}

}  // namespace

void ErrorLog::restart(const std::string& header) const
{
    if (std::FILE* file = std::fopen(path_.c_str(), "wb")) {
        writeLines(file, {header});
        std::fclose(file);
    }
}

void ErrorLog::append(const std::vector<std::string>& lines) const
{
    // The host replays the whole log after every reset; an open per accepted
    // QSO would cost more than all the rule checks together.
    struct stat info;
    if (lines.empty() && ::stat(path_.c_str(), &info) == 0)
        return;
    if (std::FILE* file = std::fopen(path_.c_str(), "ab")) {
        writeLines(file, lines);
        std::fclose(file);
    }
}
