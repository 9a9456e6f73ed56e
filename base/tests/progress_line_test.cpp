// The progress line: a few redraws a second on a terminal only, each one
// covering what the last left, and nothing left behind at the end.
#include <gtest/gtest.h>

#include <sstream>

#include "base/progress_line.h"

namespace {

std::string doneText(std::size_t done, double seconds)
{
    return std::to_string(done) + " after " + std::to_string(static_cast<int>(seconds * 10)) + " tenths";
}

TEST(ProgressLine, RedrawsAFewTimesASecondOnATerminalOnly)
{
    for (bool onTerminal : {true, false}) {
        std::ostringstream out;
        double now = 0.0;
        {
            ProgressLine progress(
                out, onTerminal, [&now] { return now; }, doneText);
            for (const auto& [seconds, done] : {std::pair{0.1, 50}, {0.25, 300}, {0.4, 400}, {1.2, 1000}}) {
                now = seconds;
                progress.update(done);
            }
        }
        // 0.25 s is exactly the pause between redraws; 0.4 is too soon after it.
        const std::string last = "1000 after 12 tenths";
        EXPECT_EQ(out.str(),
                  onTerminal ? "\r300 after 2 tenths\r" + last + "\r" + std::string(last.size(), ' ') + "\r" : "");
    }
}

TEST(ProgressLine, AShorterLineCoversTheLongerOneByColumns)
{
    std::ostringstream out;
    double now = 0.5;
    {
        const auto text = [](std::size_t done, double) { return done ? std::string("дом") : std::string("long"); };
        ProgressLine progress(
            out, true, [&now] { return now; }, text);
        progress.update(0);
        now = 1.0;
        progress.update(1);
    }
    EXPECT_EQ(out.str(), "\rlong\rдом \r    \r");
}

}  // namespace
