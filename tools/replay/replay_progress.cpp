#include "replay_progress.h"

#include <cmath>
#include <string>

#include "messages/message_catalogue.h"

ProgressLine::Text replayProgressText(std::size_t total, Language language)
{
    return [total, language](std::size_t done, double seconds) {
        const std::string rate = std::to_string(std::lround(static_cast<double>(done) / seconds));
        return say(MessageId::ReplayProgress, language, {std::to_string(done), std::to_string(total), rate});
    };
}
