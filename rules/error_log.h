// "err.txt": a header line written by every contest reset, then one line per
// rejected or duplicate QSO.  Lines end in CR LF on every platform.  The log
// is best effort: when the file cannot be written its lines are lost and the
// contest goes on unchanged.
#pragma once

#include <string>
#include <vector>

inline constexpr char kErrorLogFile[] = "err.txt";

class ErrorLog {
public:
    explicit ErrorLog(std::string path = kErrorLogFile) : path_(std::move(path)) {}

    // Empties the file (creating it) and writes the header line.
    void restart(const std::string& header) const;

    // Appends the lines in one open and close; with no lines it only makes
    // sure the file exists, without the cost of opening it every time.
    void append(const std::vector<std::string>& lines) const;

private:
    std::string path_;
};
