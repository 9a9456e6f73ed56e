// A line that tells how far a long replay has come: QSOs done, of how many,
// and the rate.  Redrawn at most four times a second and wiped at the end;
// drawn only on a terminal, so redirected output stays clean.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>

#include "messages/language.h"

class ProgressLine {
public:
    using Clock = std::function<double()>;  // seconds since the replay began

    ProgressLine(std::ostream& out, bool onTerminal, std::size_t total, Clock clock,
                 Language language = Language::English);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(std::size_t done);

private:
    std::ostream& out_;
    const bool onTerminal_;
    const std::size_t total_;
    const Clock clock_;
    const Language language_;
    double lastDrawn_ = 0.0;
    std::size_t drawnWidth_ = 0;
};
