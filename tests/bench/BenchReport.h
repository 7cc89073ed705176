// What every benchmark reports: medians of its rounds, and the one line per measure that
// `make bench` collects.
#pragma once
#include <string>
#include <vector>

namespace bench {

double Median(std::vector<double> values);

// Milliseconds from the high-resolution counter.
double NowMs();

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "<measure>: <launcher> vs <anchor>, ratio <ratio> (goal <goal>)", the ratio being the launcher's
// speed as a share of the anchor's (1 = as fast).
void ReportMeasure(const std::string& measure, const std::string& launcher, const std::string& anchor, double ratio,
                   const std::string& goal);

} // namespace bench
