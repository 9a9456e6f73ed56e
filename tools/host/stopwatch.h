// Wall-clock time since construction, from the performance counter: what the
// host feels of a call, for the timing runs of the replay tool and the bench.
#pragma once

#include <windows.h>

class Stopwatch {
public:
    Stopwatch() { ::QueryPerformanceCounter(&start_); }

    double microseconds() const
    {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return 1e6 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

    double milliseconds() const { return microseconds() / 1000.0; }

private:
    LARGE_INTEGER start_;
};
