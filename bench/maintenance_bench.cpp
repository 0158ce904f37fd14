// A one-member maintenance save, as the member form makes it: the set opened for update, one
// member record written, the update committed with its safety copy brought up to date. Timed
// on a folder of 1,000 members and one of 100,000 (each with ten log entries a member); the
// ratio of the two says how the save grows with the membership.
//
// The folders are generated once per run under $TESSARY_BENCH_DIR (or the temporary folder)
// and removed at the end.

#include <benchmark/benchmark.h>
#include <fmt/core.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/common.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/fileset.h"
#include "core/records.h"
#include "core/update.h"
#include "tools/gen_data.h"

namespace {

namespace fs = std::filesystem;
using namespace tessary;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::year_month_day kToday{std::chrono::year{2026}, std::chrono::month{6},
                                             std::chrono::day{15}};
constexpr int kIterations = 7;

struct Setup {
    fs::path data;
    std::string error;
};

RunState StateOn(const fs::path& data) {
    RunState state;
    state.FolderName = data.filename().string();
    state.DataFolder = data.string() + "/";
    state.UserCode = "ADM";
    state.WorkingDate = ToDayNumber(kToday);
    return state;
}

const Setup& TheSetup(std::int32_t members) {
    static std::map<std::int32_t, Setup> setups;
    static const fs::path root = bench::ScratchFolder("tessary-maintenance-bench");
    auto [it, made] = setups.try_emplace(members);
    Setup& s = it->second;
    if (!made) return s;
    s.data = root / fmt::format("M{}", members);
    gen::Settings settings;
    settings.members = members;
    settings.historyEntries = members * 10;
    settings.seed = 20260615;
    settings.date = ToDayNumber(kToday);
    settings.templateFolder = ExecutableFolder();
    s.error = gen::GenerateDataFolder(s.data.string(), settings);
    if (!s.error.empty()) return s;
    // The first update open takes the first safety copy; no timed save pays for it.
    RunState state = StateOn(s.data);
    if (!OpenFileSet(state, kUpdate)) {
        s.error = "cannot open the generated folder for update";
        return s;
    }
    CloseFileSet(state, kUpdate);
    return s;
}

// One save of the middle member, its phone number changed so that every save writes.
bool SaveOneMember(const fs::path& data, std::int32_t members, int round) {
    RunState state = StateOn(data);
    if (!OpenFileSet(state, kUpdate)) return false;
    state.RecordNo = MemberRecordNo(members / 2);
    if (ReadMember(state) != sizeof(MemberRecord)) {
        CloseFileSet(state, kUpdate);
        return false;
    }
    state.Member.Phone.set(fmt::format("0123 {:06}", round));
    const bool written = WriteMember(state);
    const UpdateOutcome outcome = CommitUpdate(state, kUpdate);
    CloseFileSet(state, kEnquiry);
    return written && outcome.ok();
}

std::map<std::int32_t, std::vector<double>> saveTimes;

void BM_MaintenanceSave(benchmark::State& state) {
    const auto members = static_cast<std::int32_t>(state.range(0));
    const Setup& s = TheSetup(members);
    if (!s.error.empty()) return state.SkipWithError(s.error.c_str());
    std::vector<double>& times = saveTimes[members];
    times.clear();
    int round = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!SaveOneMember(s.data, members, ++round)) return state.SkipWithError("the save failed");
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
    state.counters["median_ms"] = bench::Median(times) * 1000;
}

BENCHMARK(BM_MaintenanceSave)
    ->Arg(1'000)
    ->Arg(100'000)
    ->UseManualTime()
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return tessary::bench::RunBenchmarks(
        argc, argv, "tessary-maintenance-bench",
        "Times a one-member maintenance save at 1,000 and at 100,000 members.", [] {
            const double small = tessary::bench::Median(saveTimes[1'000]),
                         large = tessary::bench::Median(saveTimes[100'000]);
            if (small > 0 && large > 0) {
                fmt::print(
                    "maintenance save: median {:.1f} ms at 1,000 members, {:.1f} ms at "
                    "100,000\n",
                    small * 1000, large * 1000);
                tessary::bench::PrintRatio("maintenance-scale", large / small, 2);
            }
        });
}
