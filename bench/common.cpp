#include "bench/common.h"

#include <benchmark/benchmark.h>
#include <fmt/core.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "core/cli.h"

namespace tessary::bench {

namespace fs = std::filesystem;

namespace {

fs::path madeFolder;

}  // namespace

fs::path ScratchFolder(const std::string& name) {
    const char* dir = std::getenv("TESSARY_BENCH_DIR");
    const fs::path folder = fs::path(dir && *dir ? dir : fs::temp_directory_path().string()) /
                            (name + "-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    madeFolder = folder;
    return folder;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintRatio(std::string_view name, double ratio, double aim) {
    // The library writes through std::cout; its lines must all be out before these.
    std::cout.flush();
    fmt::print("ratio {} {:.2f} aim {}\n", name, ratio, aim);
    std::fflush(stdout);
}

int RunBenchmarks(int argc, char** argv, const char* program, const char* what,
                  const std::function<void()>& report) {
    const std::string usage = std::string("Usage: ") + program +
                              " [--benchmark_filter=REGEX] [other Google Benchmark options]\n" +
                              what + "\n";
    if (const auto status = AnswerHelpOrVersion(std::vector<std::string>(argv + 1, argv + argc),
                                                program, usage, std::cout)) {
        return *status;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    report();
    benchmark::Shutdown();
    std::error_code ec;
    if (!madeFolder.empty()) fs::remove_all(madeFolder, ec);
    return 0;
}

}  // namespace tessary::bench
