#pragma once
// What the three benchmarks share: the scratch folder their data is generated in, the median
// their ratios are taken of, and a main that answers --help and --version before the library
// runs and removes the scratch folder after it.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::bench {

// A new, empty folder `name`-PID under $TESSARY_BENCH_DIR (or the temporary folder), removed
// when RunBenchmarks ends.
std::filesystem::path ScratchFolder(const std::string& name);

// The middle value: a stray slow fsync on a busy machine moves it less than a mean.
double Median(std::vector<double> values);

// Prints one figure as "ratio NAME X aim Y", the form the figures are collected in; a
// benchmark's report prints these last.
void PrintRatio(std::string_view name, double ratio, double aim);

// Runs the benchmarks the command line names, then `report` (the ratios to the floors), and
// removes the scratch folder. `what` is the help's line on what is timed.
int RunBenchmarks(int argc, char** argv, const char* program, const char* what,
                  const std::function<void()>& report);

}  // namespace tessary::bench
