#include "base/progress_line.h"

#include <algorithm>

namespace {

const double kRedrawSeconds = 0.25;

// What a terminal shows of UTF-8 text: one column per character.
std::size_t columns(const std::string& text)
{
    return std::count_if(text.begin(), text.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, bool onTerminal, Clock clock, Text text)
    : out_(out), onTerminal_(onTerminal), clock_(std::move(clock)), text_(std::move(text))
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
    const std::string line = text_(done, now);
    const std::size_t width = columns(line);
    out_ << '\r' << line << std::string(drawnWidth_ > width ? drawnWidth_ - width : 0, ' ') << std::flush;
    drawnWidth_ = std::max(drawnWidth_, width);
}
