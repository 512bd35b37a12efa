#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
inline double NowMs()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The middle one of the times; -1 for none.
inline double Median(std::vector<double> times)
{
    if (times.empty())
        return -1.0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline double MedianMs(int nRepeats, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < nRepeats; ++i) {
        const double start = NowMs();
        work();
        times.push_back(NowMs() - start);
    }
    return Median(times);
}

} // namespace bench
