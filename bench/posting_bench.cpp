// Checking and posting a member batch of 10,000 entries on a folder of 100,000 members,
// against the floor the disc sets for the same work: the whole member file and the batch read
// in bulk, the member file written back in one piece, the logs grown by what posting adds,
// the same fsyncs, and the same safety copy of the six files into Backup/.
//
// Every iteration runs on a fresh copy of the generated folder, made (and made durable, so
// that no write-back of it falls into the measurement) outside the timed region. The data
// lives under $TESSARY_BENCH_DIR, or the temporary folder when that is not set.

#include <benchmark/benchmark.h>
#include <fmt/core.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/common.h"
#include "bench/session.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "members/posting.h"
#include "reports/writer.h"
#include "tools/gen_data.h"

namespace {

namespace fs = std::filesystem;
using namespace tessary;
using bench::Median;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kMembers = 100'000;
constexpr std::int32_t kBatchEntries = 10'000;
constexpr std::chrono::year_month_day kToday{std::chrono::year{2026}, std::chrono::month{6},
                                             std::chrono::day{15}};
constexpr int kIterations = 7;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::uint64_t FileSize(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

// The generated folder, generated once, and what one posting of its batch adds to the logs.
struct Setup {
    fs::path root;
    fs::path base;     // the generated data folder, never posted
    fs::path program;  // a program folder with the templates; its CU1 is the working copy
    std::uint64_t memlogGrowth = 0;
    std::uint64_t nomlogGrowth = 0;
    std::uint64_t syslogGrowth = 0;
    std::string error;

    fs::path Work() const { return program / "CU1"; }
};

// Replaces the working copy with a fresh, durable copy of the generated folder.
bool FreshCopy(const Setup& setup) {
    std::error_code ec;
    fs::remove_all(setup.Work(), ec);
    if (!fs::create_directories(setup.Work(), ec)) return false;
    for (const auto& entry : fs::directory_iterator(setup.base)) {
        if (!entry.is_regular_file()) continue;
        if (CopyFileDurably(entry.path(), setup.Work() / entry.path().filename()) != 0)
            return false;
    }
    SyncFolder(setup.Work());
    return true;
}

struct PostingRun {
    double checkSeconds = 0;
    double postSeconds = 0;
    std::string error;
};

// Checks and posts the working copy's batch, timing the two; the session is signed on.
PostingRun CheckAndPost(bench::Session& session) {
    PostingRun run;
    App& app = session.app;
    const auto start = Clock::now();
    const BatchCheck check = CheckMemberBatch(app.state, app.Today());
    const auto checked = Clock::now();
    if (check.count != kBatchEntries || check.errors != 0) {
        run.error =
            fmt::format("the check found {} entries and {} errors", check.count, check.errors);
        return run;
    }
    const MemberPosting posting = PostMemberBatch(app.state);
    if (!posting.opened) {
        run.error = "the data folder could not be opened for update";
        return run;
    }
    WriteReport(app.state, posting.lines);  // the user's report is part of the run's work
    const auto posted = Clock::now();
    run.checkSeconds = Seconds(checked - start);
    run.postSeconds = Seconds(posted - checked);
    if (fs::exists(MemberBatchPath(app.state)))
        run.error = "the batch is still there after posting";
    return run;
}

const Setup& TheSetup() {
    static const Setup setup = [] {
        Setup s;
        s.root = bench::ScratchFolder("tessary-bench");
        s.base = s.root / "base";
        s.program = s.root / "program";
        std::error_code ec;
        fs::create_directories(s.program, ec);
        const std::string templates = ExecutableFolder();
        for (const char* t : {"sys.d32", "nomacc.d32"}) {
            if (CopyFileDurably(fs::path(templates) / t, s.program / t) != 0) {
                s.error = fmt::format("no template {} beside the benchmark", t);
                return s;
            }
        }
        gen::Settings settings;
        settings.members = kMembers;
        settings.batchEntries = kBatchEntries;
        settings.seed = 20260615;
        settings.date = ToDayNumber(kToday);
        settings.templateFolder = templates;
        s.error = gen::GenerateDataFolder(s.base.string(), settings);
        if (!s.error.empty()) return s;

        // One posting, untimed, to learn what it adds to the logs (and that it works).
        if (!FreshCopy(s)) {
            s.error = "cannot copy the generated folder";
            return s;
        }
        bench::Session session(s.program, kToday);
        if (!session.SignOn()) {
            s.error = "cannot sign on to the generated folder";
            return s;
        }
        const PostingRun run = CheckAndPost(session);
        if (!run.error.empty()) {
            s.error = run.error;
            return s;
        }
        s.memlogGrowth = FileSize(s.Work() / "memlog.d32");
        s.nomlogGrowth = FileSize(s.Work() / "nomlog.d32");
        s.syslogGrowth = FileSize(s.Work() / "syslog.d32");
        return s;
    }();
    return setup;
}

// The seconds each iteration of the two took, for the ratio. The machine may be busy with
// other work, so the ratio is taken of the medians, which a stray slow fsync does not move.
std::vector<double> floorTimes;
std::vector<double> postingTimes;
// The floor's data part alone, before its safety copy: what posting reads, writes and syncs.
std::vector<double> dataFloorTimes;

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

void BM_PostingFloor(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    // Buffers are made and touched once, so that the floor pays for no page faults.
    std::vector<char> buffer(FileSize(setup.base / "memacc.d32") + (1 << 20));
    std::vector<char> logBytes(
        std::max({setup.memlogGrowth, setup.nomlogGrowth, setup.syslogGrowth}));
    const fs::path work = setup.Work();
    const fs::path safety = work / "Backup";
    floorTimes.clear();
    dataFloorTimes.clear();

    for (auto _ : state) {
        if (!FreshCopy(setup)) {
            state.SkipWithError("cannot copy the generated folder");
            return;
        }
        const auto start = Clock::now();
        bool ok = true;
        {
            File sys, mem, batch, nom, memlog, nomlog, syslog;
            ok = sys.Open(work / "sys.d32", File::Access::ReadWrite) && sys.TryLockExclusive() &&
                 mem.Open(work / "memacc.d32", File::Access::ReadWrite) &&
                 nom.Open(work / "nomacc.d32", File::Access::ReadWrite) &&
                 memlog.Open(work / "memlog.d32", File::Access::ReadWrite) &&
                 nomlog.Open(work / "nomlog.d32", File::Access::ReadWrite) &&
                 syslog.Open(work / "syslog.d32", File::Access::ReadWrite) &&
                 batch.Open(work / "ADMMEM.t32", File::Access::ReadOnly);
            SystemRecord system;
            ok = ok && sys.ReadAt(0, RecordBytes(system), sizeof system) == sizeof system;
            // The member file in, the batch in, the member file out, each in one piece.
            const std::size_t members = mem.Size();
            const std::size_t entries = batch.Size();
            ok = ok && mem.ReadAt(0, buffer.data(), members) == members;
            ok = ok && batch.ReadAt(0, buffer.data() + members, entries) == entries;
            benchmark::DoNotOptimize(buffer.data());
            ok = ok && mem.WriteAt(0, buffer.data(), members);
            // Posting rewrites nine nominal accounts and grows the three logs.
            NominalAccountRecord accounts[9];
            ok = ok && nom.ReadAt(0, accounts, sizeof accounts) == sizeof accounts &&
                 nom.WriteAt(0, accounts, sizeof accounts);
            ok = ok && memlog.Append(logBytes.data(), setup.memlogGrowth) &&
                 nomlog.Append(logBytes.data(), setup.nomlogGrowth) &&
                 syslog.Append(logBytes.data(), setup.syslogGrowth);
            // As at the close of an update: the five files durable, then the system record.
            for (File* f : {&mem, &memlog, &nom, &nomlog, &syslog}) ok = f->Sync() && ok;
            ok = ok && sys.WriteAt(0, RecordBytes(system), sizeof system) && sys.Sync();
        }
        std::error_code ec;
        fs::remove(work / "ADMMEM.t32", ec);
        SyncFolder(work);
        const double dataSeconds = Seconds(Clock::now() - start);
        // The safety copy, as posting takes it: each file staged durably, then all renamed.
        fs::create_directories(safety, ec);
        for (DataFile f : kDataFiles) {
            File in, out;
            const fs::path target = safety / DataFileName(f);
            const fs::path temp = TemporaryNameFor(target);
            fs::remove(temp, ec);
            const std::size_t size = FileSize(work / DataFileName(f));
            ok = ok && in.Open(work / DataFileName(f), File::Access::ReadOnly) &&
                 in.ReadAt(0, buffer.data(), size) == size && CreateEmptyFile(temp) &&
                 out.Open(temp, File::Access::ReadWrite) && out.WriteAt(0, buffer.data(), size) &&
                 out.Sync();
        }
        for (DataFile f : kDataFiles) {
            const fs::path target = safety / DataFileName(f);
            fs::rename(TemporaryNameFor(target), target, ec);
        }
        SyncFolder(safety);
        const double seconds = Seconds(Clock::now() - start);
        if (!ok) {
            state.SkipWithError("the floor's file operations failed");
            return;
        }
        state.SetIterationTime(seconds);
        floorTimes.push_back(seconds);
        dataFloorTimes.push_back(dataSeconds);
    }
    state.counters["median_ms"] = Median(floorTimes) * 1000;
    state.counters["data_median_ms"] = Median(dataFloorTimes) * 1000;
    state.counters["log_bytes"] =
        static_cast<double>(setup.memlogGrowth + setup.nomlogGrowth + setup.syslogGrowth);
}

void BM_CheckAndPost(benchmark::State& state) {
    const Setup& setup = TheSetup();
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    double check = 0, post = 0;
    postingTimes.clear();
    for (auto _ : state) {
        if (!FreshCopy(setup)) {
            state.SkipWithError("cannot copy the generated folder");
            return;
        }
        bench::Session session(setup.program, kToday);
        if (!session.SignOn()) {
            state.SkipWithError("cannot sign on");
            return;
        }
        const PostingRun run = CheckAndPost(session);
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            return;
        }
        state.SetIterationTime(run.checkSeconds + run.postSeconds);
        postingTimes.push_back(run.checkSeconds + run.postSeconds);
        check += run.checkSeconds;
        post += run.postSeconds;
    }
    if (postingTimes.empty()) return;
    const double n = static_cast<double>(postingTimes.size());
    state.counters["check_ms"] = check / n * 1000;
    state.counters["post_ms"] = post / n * 1000;
    state.counters["median_ms"] = Median(postingTimes) * 1000;
    if (!floorTimes.empty()) state.counters["x_floor"] = Median(postingTimes) / Median(floorTimes);
}

// The floor first, so that the posting run can give its ratio to it.
BENCHMARK(BM_PostingFloor)->UseManualTime()->Iterations(kIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckAndPost)->UseManualTime()->Iterations(kIterations)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return tessary::bench::RunBenchmarks(
        argc, argv, "tessary-bench", "Times checking and posting a member batch beside its floor.",
        [] {
            if (!floorTimes.empty() && !postingTimes.empty()) {
                const double posting = bench::Median(postingTimes),
                             floor = bench::Median(floorTimes);
                fmt::print(
                    "check and post: median {:.1f} ms (mean {:.1f}); floor: median {:.1f} ms (mean "
                    "{:.1f}); "
                    "posting/floor {:.2f} (aim: 3 or less)\n",
                    posting * 1000, Mean(postingTimes) * 1000, floor * 1000,
                    Mean(floorTimes) * 1000, posting / floor);
                bench::PrintRatio("posting", posting / bench::Median(dataFloorTimes), 1.5);
            }
        });
}
