#include "contest_log.h"

std::string SkippedLine::describe() const
{
    return file + ":" + std::to_string(line) + ": " + reason;
}
