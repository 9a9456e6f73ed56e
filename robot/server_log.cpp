#include "robot/server_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace {

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

// Control bytes and the backslash as \xNN, and in a field the space too:
// a field stays one word and a line stays one line, whatever a client sent.
std::string escaped(const std::string& text, bool field = true)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < ' ' || c == 0x7f || c == '\\' || (field && c == ' ')) {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out.empty() ? "-" : out;
}

}  // namespace

ServerLog::ServerLog(const std::string& path)
    : file_(path.empty() ? stderr : std::fopen(path.c_str(), "a")), ownsFile_(!path.empty())
{
    if (!file_)
        throw std::runtime_error("log_file " + path + ": " + std::strerror(errno));
}

ServerLog::~ServerLog()
{
    if (ownsFile_)
        std::fclose(file_);
}

void ServerLog::answered(const AnsweredRequest& r)
{
    std::string line = utcNow() + " " + escaped(r.client) + " " + escaped(r.method) + " " + escaped(r.path) + " " +
                       std::to_string(r.status) + " " + std::to_string(r.bytes) + " " +
                       std::to_string(r.took.count()) + "ms";
    if (r.status >= 500)
        line += " failed: " + (r.failure.empty() ? std::string("no cause was noted") : escaped(r.failure, false));
    writeLine(line);
}

void ServerLog::error(const std::string& what)
{
    writeLine(utcNow() + " error: " + escaped(what, false));
}

void ServerLog::writeLine(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs((line + "\n").c_str(), file_);
    std::fflush(file_);
}
