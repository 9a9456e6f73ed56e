#include "progress_line.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const double kRedrawSeconds = 0.25;

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, bool onTerminal, std::size_t total, Clock clock)
    : out_(out), onTerminal_(onTerminal), total_(total), clock_(std::move(clock))
{
}

ProgressLine::~ProgressLine()
{
    if (drawnWidth_ > 0)
        out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
}

void ProgressLine::update(std::size_t done)
{
    if (!onTerminal_)
        return;
    const double now = clock_();
    if (now - lastDrawn_ < kRedrawSeconds)
        return;
    lastDrawn_ = now;
    const std::string line = "Replaying: " + std::to_string(done) + " of " + std::to_string(total_) + " QSOs, " +
                             std::to_string(std::lround(static_cast<double>(done) / now)) + " QSOs/s";
    out_ << '\r' << line << std::string(drawnWidth_ > line.size() ? drawnWidth_ - line.size() : 0, ' ') << std::flush;
    drawnWidth_ = std::max(drawnWidth_, line.size());
}
