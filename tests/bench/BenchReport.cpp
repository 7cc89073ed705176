#include "tests/bench/BenchReport.h"
#include <windows.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace bench {

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void ReportMeasure(const std::string& measure, const std::string& launcher, const std::string& anchor, double ratio,
                   const std::string& goal)
{
    printf("%s: %s vs %s, ratio %.3f (goal %s)\n", measure.c_str(), launcher.c_str(), anchor.c_str(), ratio,
           goal.c_str());
    fflush(stdout);
}

} // namespace bench
