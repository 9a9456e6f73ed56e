// The check the host runs on every keystroke while a callsign is typed: may
// this station be worked now, or was it worked on this band and mode in the
// current clock hour?
#pragma once

#include <cstddef>
#include <string>

#include "contest/platform.h"
#include "contest/state.h"

// The host's message buffer.
inline constexpr std::size_t kWarningBufferSize = 100;

struct CallCheck {
    bool mayWork = true;
    std::string warning;  // set when !mayWork
};

// Also pushes the multiplier window's refresh 330 ms out, so that it
// refreshes once the operator stops typing.
CallCheck checkCall(const ContestState& state, Platform& platform, const std::string& callsign,
                    const std::string& mode, const std::string& band);

// Copies the warning into the host's buffer, cut to fit with its terminator.
void copyWarning(const std::string& warning, char* buffer, std::size_t size);
