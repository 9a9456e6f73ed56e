// The progress line in Russian: wiped by the columns a terminal shows, not by
// the bytes UTF-8 takes.
#include <gtest/gtest.h>

#include <sstream>

#include "replay_progress.h"

namespace {

TEST(ReplayProgress, RussianIsWipedByItsCharacters)
{
    std::ostringstream out;
    double now = 0.5;
    {
        ProgressLine progress(out, true, [&now] { return now; }, replayProgressText(1000, Language::Russian));
        progress.update(500);
    }
    const std::string line = "Проверка: 500 из 1000 связей, 1000 в секунду";
    EXPECT_EQ(out.str(), "\r" + line + "\r" + std::string(44, ' ') + "\r");
}

}  // namespace
