// The robot's access and error log: one line per request answered, a
// failed one with its cause, and one per error outside any request, to
// stderr or to an appended file.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

struct AnsweredRequest {
    std::string client;
    std::string method;
    std::string path;
    int status = 0;
    std::size_t bytes = 0;  // of the answer's body
    std::chrono::milliseconds took{0};
    std::string failure;  // why a 5xx answer failed, as noted on the way
};

class ServerLog {
public:
    // `path` empty: stderr.  Throws std::runtime_error when the file cannot
    // be opened for appending.
    explicit ServerLog(const std::string& path);
    ~ServerLog();
    ServerLog(const ServerLog&) = delete;
    ServerLog& operator=(const ServerLog&) = delete;

    // "2026-12-08T07:30:00Z 192.0.2.1 POST /upload 200 5123 12ms", and for a
    // 5xx its cause after it.  Text from the request is written with its
    // control bytes escaped, so no client can forge a line.
    void answered(const AnsweredRequest& request);
    // "2026-12-08T07:30:00Z error: what".
    void error(const std::string& what);

private:
    void writeLine(const std::string& line);

    std::FILE* file_;
    bool ownsFile_;
    std::mutex mutex_;
};
