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

// "<measure>: <launcher> vs <anchor>, ratio <ratio> (goal <goal>)", the ratio being higher when the
// launcher does better: its speed as a share of the anchor's, or the anchor's cost as a share of its
// own (1 = as good).
void ReportMeasure(const std::string& measure, const std::string& launcher, const std::string& anchor, double ratio,
                   const std::string& goal);

} // namespace bench
