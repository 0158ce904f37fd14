// Period end and year end on a generated folder of 100,000 members with a year of history
// (1,000,000 member log entries), each beside the floor of the same files' bulk I/O measured
// in the same run.
//
// A run reads memacc.d32 and nomacc.d32, writes them back, appends to or empties the logs,
// syncs, and copies the six files into the safety folder. Two floors: the data floor reads and
// writes back memacc.d32 and nomacc.d32 whole and syncs them; the copy floor adds a durable
// copy of the six files, which every committed run makes. Each timed iteration starts from
// the same folder, put back untimed.
//
// The folder is generated once per run under $TESSARY_BENCH_DIR (or the temporary folder) and
// removed at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/fileset.h"
#include "core/records.h"
#include "processing/periods.h"
#include "tools/gen_data.h"

namespace {

namespace fs = std::filesystem;
using namespace tessary;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kMembers = 100'000;
constexpr std::int32_t kHistory = 1'000'000;
constexpr std::chrono::year_month_day kToday{std::chrono::year{2026}, std::chrono::month{12},
                                             std::chrono::day{8}};
const char* const kFiles[] = {"sys.d32",    "memacc.d32", "memlog.d32",
                              "nomacc.d32", "nomlog.d32", "syslog.d32"};

struct Setup {
    fs::path root;
    fs::path data;   // the folder the runs work on
    fs::path saved;  // its files as generated, put back before each run
    std::string error;
};

void PutBack(const Setup& s) {
    for (const char* f : kFiles) {
        fs::copy_file(s.saved / f, s.data / f, fs::copy_options::overwrite_existing);
    }
}

RunState StateOn(const Setup& s) {
    RunState state;
    state.FolderName = "CU1";
    state.DataFolder = s.data.string() + "/";
    state.UserCode = "ADM";
    state.WorkingDate = ToDayNumber(kToday) + 30;
    return state;
}

const Setup& TheSetup() {
    static const Setup setup = [] {
        Setup s;
        s.root = bench::ScratchFolder("tessary-periods-bench");
        s.data = s.root / "CU1";
        s.saved = s.root / "saved";
        std::error_code ec;
        fs::create_directories(s.saved, ec);
        gen::Settings settings;
        settings.members = kMembers;
        settings.batchEntries = 0;
        settings.historyEntries = kHistory;
        settings.seed = 20261208;
        settings.date = ToDayNumber(kToday);
        settings.templateFolder = ExecutableFolder();
        s.error = gen::GenerateDataFolder(s.data.string(), settings);
        if (!s.error.empty()) return s;
        // An update open takes the first safety copy, so no timed run pays for it.
        RunState state = StateOn(s);
        if (!OpenFileSet(state, kUpdate)) {
            s.error = "cannot open the generated folder for update";
            return s;
        }
        CloseFileSet(state, kUpdate);
        for (const char* f : kFiles) fs::copy_file(s.data / f, s.saved / f);
        return s;
    }();
    return setup;
}

// Seconds per run, median over the runs the library made with its chosen count.
struct Runs {
    std::vector<double> seconds;
    double Median() const { return bench::Median(seconds); }
};
Runs dataFloor, copyFloor, periodEnd, yearEnd;

// The timed part of an iteration, the put-back around it untimed.
template <typename Body>
void Timed(benchmark::State& state, const Setup& s, Runs* runs, Body body) {
    for (auto _ : state) {
        state.PauseTiming();
        PutBack(s);
        state.ResumeTiming();
        const auto start = Clock::now();
        if (!body()) {
            state.SkipWithError("the run failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (runs) runs->seconds.push_back(seconds);
    }
}

bool ReadWriteSync(const fs::path& path, std::vector<char>& buffer) {
    File f;
    if (!f.Open(path, File::Access::ReadWrite)) return false;
    buffer.resize(f.Size());
    return f.ReadAt(0, buffer.data(), buffer.size()) == buffer.size() &&
           f.WriteAt(0, buffer.data(), buffer.size()) && f.Sync();
}

bool DataFloor(const Setup& s, std::vector<char>& a, std::vector<char>& b) {
    return ReadWriteSync(s.data / "memacc.d32", a) && ReadWriteSync(s.data / "nomacc.d32", b);
}

void BM_DataFloor(benchmark::State& state) {
    const Setup& s = TheSetup();
    if (!s.error.empty()) return state.SkipWithError(s.error.c_str());
    std::vector<char> a, b;
    Timed(state, s, &dataFloor, [&] { return DataFloor(s, a, b); });
}

void BM_CopyFloor(benchmark::State& state) {
    const Setup& s = TheSetup();
    if (!s.error.empty()) return state.SkipWithError(s.error.c_str());
    std::vector<char> a, b;
    const fs::path copy = s.root / "copy";
    std::error_code ec;
    fs::create_directories(copy, ec);
    Timed(state, s, &copyFloor, [&] {
        if (!DataFloor(s, a, b)) return false;
        for (const char* f : kFiles) {
            if (WriteDurableCopy(s.data / f, copy / f) != 0) return false;
        }
        return true;
    });
}

void Ratios(benchmark::State& state, double seconds) {
    if (dataFloor.Median() > 0) state.counters["x_data_floor"] = seconds / dataFloor.Median();
    if (copyFloor.Median() > 0) state.counters["x_copy_floor"] = seconds / copyFloor.Median();
}

void BM_PeriodEnd(benchmark::State& state) {
    const Setup& s = TheSetup();
    if (!s.error.empty()) return state.SkipWithError(s.error.c_str());
    Timed(state, s, &periodEnd, [&] {
        RunState st = StateOn(s);
        const PeriodRun run = PeriodEnd(st);
        return run.opened && run.refused.empty() && run.outcome.ok();
    });
    Ratios(state, periodEnd.Median());
}

void BM_YearEnd(benchmark::State& state) {
    const Setup& s = TheSetup();
    if (!s.error.empty()) return state.SkipWithError(s.error.c_str());
    // The saved folder is at period 12: one untimed period end brings it to 13 for each run.
    {
        PutBack(s);
        RunState st = StateOn(s);
        if (!PeriodEnd(st).outcome.ok()) return state.SkipWithError("no twelfth period end");
        for (const char* f : kFiles) {
            fs::copy_file(s.data / f, s.root / (std::string("y-") + f),
                          fs::copy_options::overwrite_existing);
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* f : kFiles) {
            fs::copy_file(s.root / (std::string("y-") + f), s.data / f,
                          fs::copy_options::overwrite_existing);
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        RunState st = StateOn(s);
        const PeriodRun run = YearEnd(st);
        if (!run.opened || !run.refused.empty() || !run.outcome.ok()) {
            return state.SkipWithError("the year end failed");
        }
        yearEnd.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    Ratios(state, yearEnd.Median());
}

BENCHMARK(BM_DataFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CopyFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PeriodEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_YearEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    return tessary::bench::RunBenchmarks(
        argc, argv, "tessary-periods-bench",
        "Times period end and year end on a generated year of history beside their floors.", [] {
            const double floor = dataFloor.Median();
            if (floor <= 0) return;
            if (periodEnd.Median() > 0)
                bench::PrintRatio("period-end", periodEnd.Median() / floor, 2);
            if (yearEnd.Median() > 0) bench::PrintRatio("year-end", yearEnd.Median() / floor, 2);
        });
}
