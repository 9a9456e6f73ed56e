// What the cross-check says of one QSO line, and what each status is worth.
#pragma once

#include <cstddef>
#include <cstdint>

#include "checker/contest_config.h"

enum class QsoStatus : uint8_t { Ok, Nil, BustedCall, BustedExch, Unique, NoLog, Dupe, OutOfPeriod, Rejected };
inline constexpr std::size_t kQsoStatusCount = 9;
const char* qsoStatusName(QsoStatus status);  // "OK", "NIL", "BUSTED_CALL", ...

// Whether a line of this status adds its QSO to the verified score.
bool countsInScore(QsoStatus status, const ContestConfig& config);

// The penalty a line of this status costs, as a multiple of its points.
int penaltyFor(QsoStatus status, const ContestConfig& config);
