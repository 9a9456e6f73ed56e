#include "replay_progress.h"

#include <cmath>
#include <string>

ProgressLine::Text replayProgressText(std::size_t total, Language language)
{
    return [total, language](std::size_t done, double seconds) {
        const std::string rate = std::to_string(std::lround(static_cast<double>(done) / seconds));
        return language == Language::Russian
                   ? "Проверка: " + std::to_string(done) + " из " + std::to_string(total) + " связей, " + rate +
                         " в секунду"
                   : "Replaying: " + std::to_string(done) + " of " + std::to_string(total) + " QSOs, " + rate +
                         " QSOs/s";
    };
}
