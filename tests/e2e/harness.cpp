#include "e2e/harness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tessary::testing {

namespace fs = std::filesystem;

// Titles and headings written out in full.
const std::vector<MenuReport> kMenuReports = {
    {"MembersBalances1", "type E2 \"\"\nclick OK\n", "TESSARY - MEMBERS BALANCES  ",
     "Member                             Share1      Share2        Loan  Unattached"},
    {"MembersLoans1", "type E2 \"\"\nclick OK\n", "TESSARY - MEMBERS LOANS  ",
     "Member                   Missing     Arrears        Loan Interest    Exposure"},
    {"MembersTransactions1", "type E3 1\ntype E4 5\nclick OK\n", "TESSARY - MEMBERS TRANSACTIONS",
     "Date       Usr Type                      Amount      Shares        Loan"},
    {"MembersData1", "", "TESSARY - MEMBERS DATA",
     "Member                               Type       Phone            Loan Number"},
    {"NominalAccountList1", "", "TESSARY - NOMINAL ACCOUNTS LIST",
     "A/c  Name                        Year Budget"},
    {"NominalTransactions1", "click OK\n", "TESSARY - NOMINAL ACCOUNTS TRANSACTIONS",
     "Date       Usr A/c Narrative                           Amount     Balance"},
    {"TransactionSummary1", "click OK\n", "TESSARY - TRANSACTION SUMMARY", ""},
    {"BudgetVariances1", "", "TESSARY - BUDGET VARIANCES REPORT",
     "A/c Name                         Balance      Budget  Variance % Amount Left"},
    {"TrialBalance1", "", "TESSARY - TRIAL BALANCE REPORT",
     "Account                         Debit         Credit"},
    {"CashFlow1", "", "TESSARY - CASH FLOW REPORT",
     "Account                         Period          Year"},
    {"ProfitandLoss1", "", "TESSARY - PROFIT & LOSS REPORT",
     "Account                         Period          Year"},
    {"BalanceSheet1", "", "TESSARY - BALANCE SHEET",
     "Account                         Debit         Credit"},
    {"DistributionofLoans1", "click OK\n", "TESSARY - DISTRIBUTION OF LOANS",
     "Loans Granted           No        Total"},
    {"DelinquentLoans1", "", "TESSARY - DELINQUENT LOANS",
     "Delinquency               No     Arrears Loans Value Net Liability"},
    {"Insurance1", "", "TESSARY - INSURANCE REPORT", ""},
    {"SystemControl1", "click OK\n", "TESSARY - SYSTEM CONTROL REPORT",
     "Date       Usr Narrative                           Amount"},
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

std::vector<std::string> ScriptRun::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The lines of a text, the last one marked when the text does not end in a line end.
std::vector<std::string> DiffLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find('\n', at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at) + "\\ (no line end)");
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace

ScriptSettings ReadScriptSettings(const std::string& script, std::string& problem) {
    ScriptSettings settings;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        if (line.empty()) continue;
        if (line[0] != '#') break;  // the first command ends the settings
        const std::string comment = Trim(line.substr(1));
        const auto colon = comment.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = comment.substr(0, colon);
        const std::string value = Trim(comment.substr(colon + 1));
        if (key == "options") {
            std::istringstream words(value);
            for (std::string w; words >> w;) settings.options.push_back(w);
        } else if (key == "argument") {
            settings.argument = value;
        } else if (key == "status") {
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), settings.status);
            if (ec != std::errc() || end != value.data() + value.size() || value.empty()) {
                problem += "status \"" + value + "\" is not a whole number\n";
            }
        } else if (key == "error") {
            settings.error = value;
        }
    }
    return settings;
}

std::string LineDiff(const std::string& expected, const std::string& actual) {
    const auto a = DiffLines(expected), b = DiffLines(actual);
    // Longest common subsequence of lines; the outputs compared are short.
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;) {
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::string out;
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            out += "  " + a[i++] + "\n";
            ++j;
        } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
            out += "- " + a[i++] + "\n";
        } else {
            out += "+ " + b[j++] + "\n";
        }
    }
    return out;
}

void ScriptTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    program = fs::temp_directory_path() / (std::string("tessary-e2e-") + info->test_suite_name() +
                                           "-" + info->name() + "-" + std::to_string(::getpid()));
    fs::remove_all(program);
    fs::create_directories(program);
    for (const char* t : {"sys.d32", "nomacc.d32"}) {
        fs::copy_file(fs::path(TESSARY_BIN_DIR) / t, program / t);
    }
}

void ScriptTest::TearDown() {
    fs::remove_all(program);
}

ScriptRun ScriptTest::Run(const std::string& script, const std::vector<std::string>& options,
                          const std::string& argument) {
    return RunWithEnvironment({}, script, options, argument);
}

ScriptRun ScriptTest::RunWithEnvironment(const std::vector<std::string>& environment,
                                         const std::string& script,
                                         const std::vector<std::string>& options,
                                         const std::string& argument) {
    const fs::path scriptFile = program / "script.txt";
    std::ofstream(scriptFile) << script;
    std::vector<std::string> arguments = {"--program-folder", program.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(scriptFile.string());
    if (!argument.empty()) arguments.push_back(argument);
    return RunProgram(environment, "tessary-script", arguments);
}

ScriptRun ScriptTest::RunProgram(const std::vector<std::string>& environment,
                                 const std::string& name,
                                 const std::vector<std::string>& arguments) {
    std::string command = "cd " + Quote(program.string()) + " && env";
    for (const auto& e : environment) command += " " + Quote(e);
    command += " " + Quote((fs::path(TESSARY_BIN_DIR) / name).string());
    for (const auto& a : arguments) command += " " + Quote(a);
    command += " > " + Quote((program / "out.txt").string()) + " 2> " +
               Quote((program / "err.txt").string());
    ScriptRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(program / "out.txt");
    run.err = Slurp(program / "err.txt");
    return run;
}

SystemRecord ScriptTest::ReadSystem(const std::string& folder) const {
    SystemRecord sys;
    const std::string bytes = Slurp(Data("sys.d32", folder));
    EXPECT_EQ(bytes.size(), sizeof sys);
    std::memcpy(RecordBytes(sys), bytes.data(), std::min(bytes.size(), sizeof sys));
    ScrambleSystemRecord(sys);
    return sys;
}

void ScriptTest::WriteSystem(const SystemRecord& sys, const std::string& folder) const {
    SystemRecord scrambled = sys;
    ScrambleSystemRecord(scrambled);
    std::ofstream out(Data("sys.d32", folder), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(RecordBytes(scrambled)), sizeof scrambled);
}

ScriptRun ScriptTest::RunGenerator(const std::vector<std::string>& arguments) const {
    std::string command = Quote((fs::path(TESSARY_BIN_DIR) / "tessary-gen").string());
    for (const auto& a : arguments) command += " " + Quote(a);
    const fs::path out = program / "gen-out.txt", err = program / "gen-err.txt";
    command += " > " + Quote(out.string()) + " 2> " + Quote(err.string());
    ScriptRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
}

void ScriptTest::Generate(const std::string& options) const {
    const std::string gen = Quote((fs::path(TESSARY_BIN_DIR) / "tessary-gen").string()) + " " +
                            options + " " + Quote((program / "CU1").string()) + " > /dev/null";
    ASSERT_EQ(std::system(gen.c_str()), 0) << gen;
}

void ScriptTest::GenerateAndPost(const std::string& options,
                                 const std::vector<std::string>& runOptions) {
    Generate(options);
    const auto post =
        Run("type Password tessary\nclick Next\nmenu TotalTransactions1\nclick Cancel\n"
            "menu PostTransactions1\nclick OK\nexpect forms TFview\nclick Close\n",
            runOptions);
    ASSERT_EQ(post.status, 0) << post.out << post.err;
}

void ScriptTest::MakeDataFolder(const std::string& folder) const {
    fs::create_directories(program / folder);
    for (const char* empty : {"memacc.d32", "memlog.d32", "nomlog.d32", "syslog.d32"}) {
        std::ofstream(program / folder / empty).close();
    }
    fs::copy_file(program / "nomacc.d32", program / folder / "nomacc.d32");
    fs::copy_file(program / "sys.d32", program / folder / "sys.d32");
}

void ScriptTest::ExpectPostingSurvivesAKillAnywhere(const std::string& postScript,
                                                    const std::string& batchFile,
                                                    const std::vector<std::string>& options) {
    const SweepFigures f =
        ExpectUpdateSurvivesFaults(postScript, batchFile, options, Fault::Kill, nullptr);
    // Kills fell before any data was written, in the middle (restored), and after the commit.
    EXPECT_GT(f.untouched, 0);
    EXPECT_GT(f.restored, 0);
    EXPECT_GT(f.committed, 0);
}

namespace {

const char* const kSetFiles[] = {"sys.d32",    "memacc.d32", "memlog.d32",
                                 "nomacc.d32", "nomlog.d32", "syslog.d32"};

std::vector<std::string> SetBytes(const fs::path& folder) {
    std::vector<std::string> s;
    for (const char* f : kSetFiles) {
        s.push_back(fs::exists(folder / f) ? Slurp(folder / f) : std::string("<none>"));
    }
    return s;
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::Kill:
            return "kill";
        case Fault::FailOnce:
            return "fail once (EIO)";
        case Fault::DiscFull:
            return "disc full (ENOSPC)";
    }
    return "";
}

// The fault library preloaded; a sanitizer runtime must not object to coming second.
std::vector<std::string> Preloaded() {
    return {"LD_PRELOAD=" TESSARY_CRASHLIB, "ASAN_OPTIONS=verify_asan_link_order=0"};
}

}  // namespace

std::vector<std::string> ScriptTest::FaultAt(Fault fault, long at) {
    std::vector<std::string> env = Preloaded();
    switch (fault) {
        case Fault::Kill:
            env.push_back("TESSARY_CRASH_AT=" + std::to_string(at));
            break;
        case Fault::FailOnce:
            env.push_back("TESSARY_FAIL_AT=" + std::to_string(at));
            env.push_back("TESSARY_FAIL_ERRNO=5");
            break;
        case Fault::DiscFull:
            env.push_back("TESSARY_FAIL_AT=" + std::to_string(at));
            env.push_back("TESSARY_FAIL_ERRNO=28");
            env.push_back("TESSARY_FAIL_PERSIST=1");
            break;
    }
    return env;
}

std::vector<std::string> ScriptTest::CountingOperations(const std::string& countFile) {
    std::vector<std::string> env = Preloaded();
    env.push_back("TESSARY_CALL_COUNT=" + countFile);
    return env;
}

ScriptRun ScriptTest::RunCountingOperations(const std::string& script,
                                            const std::vector<std::string>& options,
                                            long& operations) {
    const std::string countFile = (program / "calls.txt").string();
    const ScriptRun run = RunWithEnvironment(CountingOperations(countFile), script, options);
    operations = std::stol(Slurp(countFile));
    fs::remove(countFile);
    return run;
}

SweepFigures ScriptTest::ExpectUpdateSurvivesFaults(
    const std::string& script, const std::string& batchFile,
    const std::vector<std::string>& options, Fault fault,
    const std::function<bool(const ScriptRun&)>& successShown, const SweepCheck& check) {
    SweepFigures figures;
    SweepAll(script, batchFile, options, fault, successShown, check, figures);
    // The folder is left as it was, ready for the next sweep.
    fs::remove_all(program / "CU1");
    fs::copy(program / "saved", program / "CU1", fs::copy_options::recursive);
    std::cout << "sweep " << FaultName(fault) << ": points " << figures.points << ", done "
              << figures.committed << ", restored " << figures.restored << ", untouched "
              << figures.untouched << "\n";
    return figures;
}

void ScriptTest::SweepAll(const std::string& script, const std::string& batchFile,
                          const std::vector<std::string>& options, Fault fault,
                          const std::function<bool(const ScriptRun&)>& successShown,
                          const SweepCheck& check, SweepFigures& figures) {
    const fs::path data = program / "CU1";
    const auto batchBytes = [&] {
        if (batchFile.empty()) return std::string("<no batch>");
        return fs::exists(data / batchFile) ? Slurp(data / batchFile) : std::string("<none>");
    };
    const fs::path saved = program / "saved";
    fs::remove_all(saved);
    fs::copy(data, saved, fs::copy_options::recursive);
    // The clean run starts from a copy too: a copied set is new to the program, and every
    // faulty run must make the same calls as the one that counted them.
    const auto restore = [&] {
        fs::remove_all(data);
        fs::copy(saved, data, fs::copy_options::recursive);
        if (!sweepWarmUp.empty()) {
            EXPECT_EQ(Run(sweepWarmUp, options).status, 0);
        }
    };
    restore();
    const auto before = SetBytes(data);
    const auto beforeCopy = SetBytes(data / "Backup");
    const auto beforeBatch = batchBytes();
    EXPECT_TRUE(beforeCopy == before) << "the safety copy must be current before the run";
    long calls = 0;
    const ScriptRun clean = RunCountingOperations(script, options, calls);
    EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
    if (successShown) {
        EXPECT_TRUE(successShown(clean)) << clean.out;
    }
    const auto after = SetBytes(data);
    const auto afterBatch = batchBytes();
    EXPECT_TRUE(after != before) << "the run changed nothing";
    EXPECT_TRUE(SetBytes(data / "Backup") == after) << "no safety copy after a clean run";
    EXPECT_GT(calls, 10);
    figures.points = calls;
    if (check) check({0, clean, true, true});

    for (long at = 1; at <= calls && !HasFailure(); ++at) {
        restore();
        const ScriptRun run = RunWithEnvironment(FaultAt(fault, at), script, options);
        if (fault == Fault::Kill) {
            ASSERT_NE(run.status, 0) << "the run was not killed at call " << at;
        } else {
            ASSERT_EQ(run.status, 0) << "call " << at << ": " << run.out << run.err;
        }
        // The safety copy is one whole state, never a mix of two.
        const auto copy = SetBytes(data / "Backup");
        EXPECT_TRUE(copy == before || copy == after) << "mixed safety copy after call " << at;
        const bool doneNow = SetBytes(data) == after && batchBytes() == afterBatch;
        if (check) check({at, run, doneNow, copy == after});

        // The next update open either accepts the set or offers the restore.
        auto next =
            Run("type Password tessary\nclick Next\nmenu SetUp1\nprint forms\nprint TFmain.Lm\n",
                options);
        ASSERT_EQ(next.status, 0) << next.err;
        bool restoredNow = false;
        if (next.Lines().at(0) != "TFsetup") {
            restoredNow = true;
            ASSERT_EQ(next.Lines().at(1), "TS files are inconsistent") << "call " << at;
            ASSERT_EQ(
                Run("type Password tessary\nclick Next\nmenu SetUp1\nclick OK\n", options).status,
                0);
            next = Run("type Password tessary\nclick Next\nmenu SetUp1\nexpect forms TFsetup\n",
                       options);
            ASSERT_EQ(next.status, 0) << "call " << at << ": " << next.out << next.err;
        }
        const auto now = SetBytes(data);
        const bool posted = now == after && batchBytes() == afterBatch;
        const bool unposted = now == before && batchBytes() == beforeBatch;
        EXPECT_TRUE(posted || unposted) << "half-done data after a fault at call " << at;
        EXPECT_TRUE(SetBytes(data / "Backup") == now) << "stale safety copy after call " << at;
        if (fault != Fault::Kill && successShown) {
            // Said done exactly when it was; a run done but not yet vouched for by a safety
            // copy may say either, as long as the data is whole.
            if (posted && doneNow) {
                EXPECT_TRUE(successShown(run) || run.out.find("safety copy") != std::string::npos)
                    << "call " << at << ": done but not said: " << run.out;
            }
            if (unposted) {
                EXPECT_FALSE(successShown(run))
                    << "call " << at << ": success said for nothing: " << run.out << run.err;
            }
        }
        figures.committed += posted;
        figures.restored += restoredNow;
        figures.untouched += unposted && !restoredNow;
    }
}

}  // namespace tessary::testing
