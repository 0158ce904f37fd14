#include "e2e/harness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace tessary::testing {

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

}  // namespace tessary::testing
