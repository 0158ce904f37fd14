// Reports on a generated folder of 100,000 members with a year of history (1,000,000 member
// log entries and the cash book and ledger that go with them), each beside its floor: one
// sequential read of the files the report reads, measured in the same run.
//
// The trial balance reads nomacc.d32 into the ledger and writes its lines; its floor reads the
// file whole. The members transactions report reads memacc.d32 and memlog.d32; its floor
// reads both whole. Every timed read is served from the page cache, for the report and its
// floor alike, since the folder was just written and read.
//
// The whole members transactions run is the program's, headless: sign-on, the report from
// the Reports menu over all members into the user's work file, the viewer's first page, and
// Close. Its fair floor reads memacc.d32 and memlog.d32 whole and writes a file the size of
// the work file in one piece, in one process.
//
// The folder is generated once per run under $TESSARY_BENCH_DIR (or the temporary folder) and
// removed at the end.

#include <benchmark/benchmark.h>
#include <fmt/core.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench/common.h"
#include "bench/session.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/forms/mainform.h"
#include "core/records.h"
#include "core/workfile.h"
#include "reports/ledger.h"
#include "reports/report.h"
#include "tools/gen_data.h"

#if __has_include("reports/members.h")
#include "reports/forms/view.h"
#include "reports/members.h"
#define TESSARY_HAVE_MEMBER_REPORTS 1
#endif

namespace {

namespace fs = std::filesystem;
using namespace tessary;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kMembers = 100'000;
constexpr std::int32_t kHistory = 1'000'000;
constexpr std::chrono::year_month_day kToday{std::chrono::year{2026}, std::chrono::month{6},
                                             std::chrono::day{15}};

struct Setup {
    fs::path root;  // the program folder, with the templates; its CU1 is the data
    fs::path data;
    std::string error;
};

const Setup& TheSetup() {
    static const Setup setup = [] {
        Setup s;
        s.root = bench::ScratchFolder("tessary-report-bench");
        s.data = s.root / "CU1";
        gen::Settings settings;
        settings.members = kMembers;
        settings.batchEntries = 0;
        settings.historyEntries = kHistory;
        settings.seed = 20260615;
        settings.date = ToDayNumber(kToday);
        settings.templateFolder = ExecutableFolder();
        for (const char* t : {"sys.d32", "nomacc.d32"}) {
            if (CopyFileDurably(fs::path(settings.templateFolder) / t, s.root / t) != 0) {
                s.error = fmt::format("no template {} beside the benchmark", t);
                return s;
            }
        }
        s.error = gen::GenerateDataFolder(s.data.string(), settings);
        return s;
    }();
    return setup;
}

std::uint64_t FileSize(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

// One sequential read of the whole file into `into`, which is big enough; false when short.
bool ReadWhole(const fs::path& path, char* into) {
    File f;
    if (!f.Open(path, File::Access::ReadOnly)) return false;
    const std::uint64_t size = f.Size();
    return f.ReadAt(0, into, size) == size;
}

// The file's records, read whole as a report's command reads them.
template <typename Record>
bool ReadRecords(const fs::path& path, std::vector<Record>& records) {
    records.resize(FileSize(path) / sizeof(Record));
    File f;
    const std::size_t bytes = records.size() * sizeof(Record);
    return f.Open(path, File::Access::ReadOnly) && f.ReadAt(0, records.data(), bytes) == bytes;
}

// Where the report's lines go: one text, as the report work file would take them.
struct TextSink {
    std::string text;
    LineSink sink() {
        return [this](std::string_view line) {
            text.append(line);
            text.push_back('\n');
        };
    }
};

// Seconds per iteration of each run of a benchmark, for the ratios to the floors. The library
// first runs a benchmark briefly to choose its iteration count; the median is taken over the
// runs made with the count chosen (one, or one per repetition), which a busy moment of the
// machine moves less than a mean.
struct Runs {
    std::vector<std::pair<benchmark::IterationCount, double>> runs;

    double Add(const benchmark::State& state, Clock::time_point start) {
        const auto n = std::max<benchmark::IterationCount>(1, state.iterations());
        const double seconds =
            std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(n);
        runs.emplace_back(n, seconds);
        return seconds;
    }
    double Median() const {
        benchmark::IterationCount most = 0;
        for (const auto& r : runs) most = std::max(most, r.first);
        std::vector<double> v;
        for (const auto& r : runs)
            if (r.first == most) v.push_back(r.second);
        return bench::Median(std::move(v));
    }
};

Runs trialBalanceFloor, trialBalance, membersFloor, membersTransactions;

void BM_TrialBalanceFloor(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const fs::path nomacc = setup.data / "nomacc.d32";
    std::vector<char> buffer(FileSize(nomacc));
    const auto start = Clock::now();
    for (auto _ : state) {
        if (!ReadWhole(nomacc, buffer.data())) {
            state.SkipWithError("cannot read nomacc.d32");
            return;
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    trialBalanceFloor.Add(state, start);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}

void BM_TrialBalance(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const fs::path nomacc = setup.data / "nomacc.d32";
    Ledger ledger;
    TextSink out;
    std::size_t lines = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        if (!ReadRecords(nomacc, ledger)) {
            state.SkipWithError("cannot read nomacc.d32");
            return;
        }
        out.text.clear();
        TrialBalance(ledger, out.sink());
        benchmark::DoNotOptimize(out.text.data());
        lines = static_cast<std::size_t>(std::count(out.text.begin(), out.text.end(), '\n'));
    }
    const double seconds = trialBalance.Add(state, start);
    state.counters["lines"] = static_cast<double>(lines);
    if (trialBalanceFloor.Median() > 0)
        state.counters["x_floor"] = seconds / trialBalanceFloor.Median();
}

// The report alone, on the ledger already in memory: what it adds to the read.
void BM_TrialBalanceInMemory(benchmark::State& state) {
    const Setup& setup = TheSetup();
    Ledger ledger;
    if (!setup.error.empty() || !ReadRecords(setup.data / "nomacc.d32", ledger)) {
        state.SkipWithError(setup.error.empty() ? "cannot read nomacc.d32" : setup.error.c_str());
        return;
    }
    TextSink out;
    for (auto _ : state) {
        out.text.clear();
        TrialBalance(ledger, out.sink());
        benchmark::DoNotOptimize(out.text.data());
    }
}

void BM_MembersTransactionsFloor(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const fs::path memacc = setup.data / "memacc.d32", memlog = setup.data / "memlog.d32";
    // Made and touched once, so that the floor pays for no page faults.
    std::vector<char> members(FileSize(memacc)), log(FileSize(memlog));
    const auto start = Clock::now();
    for (auto _ : state) {
        if (!ReadWhole(memacc, members.data()) || !ReadWhole(memlog, log.data())) {
            state.SkipWithError("cannot read memacc.d32 and memlog.d32");
            return;
        }
        benchmark::DoNotOptimize(members.data());
        benchmark::DoNotOptimize(log.data());
        benchmark::ClobberMemory();
    }
    membersFloor.Add(state, start);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(members.size() + log.size()));
}

#ifdef TESSARY_HAVE_MEMBER_REPORTS
// ---- The members transactions report itself: compiled only once reports/members.h exists.
// All members over all dates, as the report's prompts left empty choose.
std::size_t RunMembersTransactions(const std::vector<MemberRecord>& members,
                                   const std::vector<MemberLogEntry>& log, TextSink& out) {
    out.text.clear();
    MembersTransactions(members, log, ReportSelection{}, out.sink());
    return static_cast<std::size_t>(std::count(out.text.begin(), out.text.end(), '\n'));
}

void BM_MembersTransactions(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const fs::path memacc = setup.data / "memacc.d32", memlog = setup.data / "memlog.d32";
    std::vector<MemberRecord> members;
    std::vector<MemberLogEntry> log;
    TextSink out;
    std::size_t lines = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        if (!ReadRecords(memacc, members) || !ReadRecords(memlog, log)) {
            state.SkipWithError("cannot read memacc.d32 and memlog.d32");
            return;
        }
        lines = RunMembersTransactions(members, log, out);
        benchmark::DoNotOptimize(out.text.data());
    }
    const double seconds = membersTransactions.Add(state, start);
    state.counters["lines"] = static_cast<double>(lines);
    if (membersFloor.Median() > 0) state.counters["x_floor"] = seconds / membersFloor.Median();
}

// ---- The whole run, as the user makes it.

// Signs on, runs the report over all members, sees its first page and closes the viewer; the
// work file's size, or 0 when any step failed.
std::uint64_t WholeRun(const Setup& setup) {
    bench::Session session(setup.root, kToday);
    if (!session.SignOn()) return 0;
    TFmain& m = session.app.main();
    ui::MenuItem* item = m.menu ? m.menu->Find("MembersTransactions1") : nullptr;
    if (!item) return 0;
    // The prompts are left empty, which asks for every member over every date.
    bool answered = false;
    session.backend.SetStepper([&] {
        if (answered) return false;
        answered = true;
        return session.ui.Click(m.OK);
    });
    session.ui.ChooseMenu(*item);
    TFview& viewer = ReportViewer(session.app);
    if (!answered || session.ui.ActiveForm() != &viewer) return 0;
    session.ui.Click(viewer.Close);
    return FileSize(ReportWorkPath(session.app.state));
}

std::vector<double> wholeRunFloorTimes, wholeRunTimes;
std::uint64_t workFileSize = 0;

// One untimed run, for the size of the work file the floor writes.
std::uint64_t WorkFileSize(const Setup& setup) {
    if (workFileSize == 0) workFileSize = WholeRun(setup);
    return workFileSize;
}

void BM_MembersTransactionsRunFloor(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) return state.SkipWithError(setup.error.c_str());
    const std::uint64_t workSize = WorkFileSize(setup);
    if (workSize == 0) return state.SkipWithError("the whole run failed");
    const fs::path memacc = setup.data / "memacc.d32", memlog = setup.data / "memlog.d32";
    const fs::path work = setup.data / "FLOORWORK";
    // Made and touched once, so that the floor pays for no page faults.
    std::vector<char> members(FileSize(memacc)), log(FileSize(memlog)), lines(workSize, ' ');
    wholeRunFloorTimes.clear();
    for (auto _ : state) {
        const auto start = Clock::now();
        File out;
        CreateEmptyFile(work);
        const bool ok = ReadWhole(memacc, members.data()) && ReadWhole(memlog, log.data()) &&
                        out.Open(work, File::Access::ReadWrite) && out.Truncate(0) &&
                        out.WriteAt(0, lines.data(), lines.size());
        out.Close();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!ok) return state.SkipWithError("the floor's file operations failed");
        benchmark::DoNotOptimize(members.data());
        benchmark::DoNotOptimize(log.data());
        state.SetIterationTime(seconds);
        wholeRunFloorTimes.push_back(seconds);
    }
    state.counters["median_ms"] = bench::Median(wholeRunFloorTimes) * 1000;
    state.counters["work_MB"] = static_cast<double>(workSize) / 1e6;
}

void BM_MembersTransactionsRun(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) return state.SkipWithError(setup.error.c_str());
    wholeRunTimes.clear();
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::uint64_t size = WholeRun(setup);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (size == 0) return state.SkipWithError("the whole run failed");
        state.SetIterationTime(seconds);
        wholeRunTimes.push_back(seconds);
    }
    state.counters["median_ms"] = bench::Median(wholeRunTimes) * 1000;
    if (!wholeRunFloorTimes.empty())
        state.counters["x_floor"] =
            bench::Median(wholeRunTimes) / bench::Median(wholeRunFloorTimes);
}
#else
void BM_MembersTransactions(benchmark::State& state) {
    state.SkipWithError("the members transactions report (reports/members.h) is not built yet");
}
#endif

// Each floor first, so that its report can give the ratio to it.
BENCHMARK(BM_TrialBalanceFloor)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrialBalance)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrialBalanceInMemory)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MembersTransactionsFloor)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MembersTransactions)->UseRealTime()->Unit(benchmark::kMillisecond);
#ifdef TESSARY_HAVE_MEMBER_REPORTS
BENCHMARK(BM_MembersTransactionsRunFloor)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MembersTransactionsRun)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
    return tessary::bench::RunBenchmarks(
        argc, argv, "tessary-report-bench",
        "Times the reports on a generated year of history beside their floors.", [] {
            const double tb = trialBalance.Median(), tbFloor = trialBalanceFloor.Median();
            if (tb > 0 && tbFloor > 0) {
                fmt::print(
                    "trial balance: median {:.1f} us; floor (one read of nomacc.d32): median "
                    "{:.1f} us; report/floor {:.2f}\n",
                    tb * 1e6, tbFloor * 1e6, tb / tbFloor);
            }
            const double mt = membersTransactions.Median(), mtFloor = membersFloor.Median();
            if (mt > 0 && mtFloor > 0) {
                fmt::print(
                    "members transactions: median {:.1f} ms; floor (one read of memacc.d32 and "
                    "memlog.d32): median {:.1f} ms; report/floor {:.2f}\n",
                    mt * 1e3, mtFloor * 1e3, mt / mtFloor);
            }
#ifdef TESSARY_HAVE_MEMBER_REPORTS
            if (!wholeRunTimes.empty() && !wholeRunFloorTimes.empty()) {
                const double run = bench::Median(wholeRunTimes),
                             floor = bench::Median(wholeRunFloorTimes);
                fmt::print(
                    "members transactions, whole run: median {:.1f} ms; floor (memacc.d32 and "
                    "memlog.d32 read, {:.0f} MB work file written): median {:.1f} ms\n",
                    run * 1e3, static_cast<double>(workFileSize) / 1e6, floor * 1e3);
                bench::PrintRatio("members-transactions", run / floor, 3);
            }
#endif
        });
}
