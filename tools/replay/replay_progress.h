// What the progress line says while replay.exe plays a long log through
// Stats.dll: QSOs done, of how many, and the rate.
#pragma once

#include <cstddef>

#include "base/progress_line.h"
#include "messages/language.h"

ProgressLine::Text replayProgressText(std::size_t total, Language language);
