#include "e2e/harness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tessary::testing {

namespace fs = std::filesystem;

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
    std::string command = environment.empty() ? "" : "env ";
    for (const auto& e : environment) command += Quote(e) + " ";
    command += Quote((fs::path(TESSARY_BIN_DIR) / "tessary-script").string()) +
               " --program-folder " + Quote(program.string());
    for (const auto& o : options) command += " " + Quote(o);
    command += " " + Quote(scriptFile.string());
    if (!argument.empty()) command += " " + Quote(argument);
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
    const char* const files[] = {"sys.d32",    "memacc.d32", "memlog.d32",
                                 "nomacc.d32", "nomlog.d32", "syslog.d32"};
    const auto snapshot = [&] {
        std::vector<std::string> s;
        for (const char* f : files) s.push_back(Slurp(Data(f)));
        s.push_back(fs::exists(Data(batchFile)) ? Slurp(Data(batchFile)) : "<none>");
        return s;
    };
    const fs::path saved = program / "saved";
    fs::copy(program / "CU1", saved, fs::copy_options::recursive);
    const auto before = snapshot();
    const std::vector<std::string> preload = {"LD_PRELOAD=" TESSARY_CRASHLIB,
                                              "ASAN_OPTIONS=verify_asan_link_order=0"};

    const std::string countFile = (program / "calls.txt").string();
    auto env = preload;
    env.push_back("TESSARY_CALL_COUNT=" + countFile);
    ASSERT_EQ(RunWithEnvironment(env, postScript, options).status, 0);
    const auto after = snapshot();
    ASSERT_NE(after, before);
    const long calls = std::stol(Slurp(countFile));
    ASSERT_GT(calls, 10);

    int committed = 0, restored = 0, untouched = 0;
    for (long at = 1; at <= calls; ++at) {
        fs::remove_all(program / "CU1");
        fs::copy(saved, program / "CU1", fs::copy_options::recursive);
        env = preload;
        env.push_back("TESSARY_CRASH_AT=" + std::to_string(at));
        ASSERT_NE(RunWithEnvironment(env, postScript, options).status, 0)
            << "the run was not killed at call " << at;

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
        // Every file but sys.d32 (whose total is rewritten by the open) matches one side.
        const auto now = snapshot();
        const bool posted = std::equal(now.begin() + 1, now.end(), after.begin() + 1);
        const bool unposted = std::equal(now.begin() + 1, now.end(), before.begin() + 1);
        EXPECT_TRUE(posted || unposted) << "half-posted data after a kill at call " << at;
        committed += posted;
        restored += restoredNow;
        untouched += unposted && !restoredNow;
    }
    // Kills fell before any data was written, in the middle (restored), and after the commit.
    EXPECT_GT(untouched, 0);
    EXPECT_GT(restored, 0);
    EXPECT_GT(committed, 0);
    std::cout << "kills: " << calls << ", committed " << committed << ", restored " << restored
              << ", untouched " << untouched << "\n";
}

}  // namespace tessary::testing
