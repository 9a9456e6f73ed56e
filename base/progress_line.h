// A line on the terminal that tells how far a long piece of work has come.
// Redrawn at most four times a second and wiped at the end; drawn only on a
// terminal, so redirected output stays clean.  Not thread-safe: callers on
// several threads update it under one lock.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

class ProgressLine {
public:
    using Clock = std::function<double()>;  // seconds since the work began
    // The line for `done` items after `seconds` (never 0).
    using Text = std::function<std::string(std::size_t done, double seconds)>;

    ProgressLine(std::ostream& out, bool onTerminal, Clock clock, Text text);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(std::size_t done);

private:
    std::ostream& out_;
    const bool onTerminal_;
    const Clock clock_;
    const Text text_;
    double lastDrawn_ = 0.0;
    std::size_t drawnWidth_ = 0;
};
