#pragma once
// Runs the real tessary-script executable on a throw-away program folder, as a user's
// automation would, and gives back what it printed and its exit status.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/records.h"

namespace tessary::testing {

// A file's bytes, and its records.
std::string Slurp(const std::filesystem::path& path);
template <typename Record>
std::vector<Record> ReadRecords(const std::filesystem::path& path) {
    const std::string bytes = Slurp(path);
    std::vector<Record> records(bytes.size() / sizeof(Record));
    if (!records.empty()) {
        std::memcpy(static_cast<void*>(records.data()), bytes.data(),
                    records.size() * sizeof(Record));
    }
    return records;
}

// The reports of the Reports menu, in its order: the menu item, the script lines answering
// the report's prompt ("" for none), and the title and column heading the user sees.
struct MenuReport {
    const char* item;
    const char* prompts;
    const char* title;
    const char* heading;
};
extern const std::vector<MenuReport> kMenuReports;

struct ScriptRun {
    int status = -1;
    std::string out;
    std::string err;
    std::vector<std::string> Lines() const;
};

// An end-to-end case written as two files beside the tests: NAME.script, the user's actions
// that tessary-script runs, and NAME.expected, exactly what the run must print. A script's
// settings are comment lines at its top, before its first command:
//   # options: --today 08/12/2026   options given before the script, split at blanks
//   # argument: TRAINER             the program's argument (none when left out)
//   # status: 2                     the exit status wanted (0 when left out)
//   # error: some text              text the error output must hold (else it must be empty)
// Any other comment is free text.
struct ScriptSettings {
    std::vector<std::string> options;
    std::string argument;
    int status = 0;
    std::string error;
};
// The settings of a script; what is wrong with them goes to `problem`.
ScriptSettings ReadScriptSettings(const std::string& script, std::string& problem);
// The two texts line by line, the lines only in `expected` marked "-", those only in
// `actual` "+", for a failure message.
std::string LineDiff(const std::string& expected, const std::string& actual);

// How an update run is cut short at one of its file operations.
enum class Fault {
    Kill,      // the process dies there, as in a power cut
    FailOnce,  // that one operation fails with EIO
    DiscFull,  // that operation and every later write fail with ENOSPC
};
// One run of a sweep as a check given to it sees it: `at` is 0 for the clean run; `done` says
// the data was as after a clean run right after it, `copied` that the safety copy was too.
struct SweptRun {
    long at;
    const ScriptRun& run;
    bool done;
    bool copied;
};
using SweepCheck = std::function<void(const SweptRun&)>;
struct SweepFigures {
    long points = 0;
    int committed = 0, restored = 0, untouched = 0;
};

class ScriptTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `script` with the given options (e.g. {"--today", "08/12/2026"}) and program
    // argument (empty for none).
    ScriptRun Run(const std::string& script, const std::vector<std::string>& options = {},
                  const std::string& argument = "");
    // The same with environment settings ("NAME=value") for the program.
    ScriptRun RunWithEnvironment(const std::vector<std::string>& environment,
                                 const std::string& script,
                                 const std::vector<std::string>& options = {},
                                 const std::string& argument = "");
    // Runs an executable of the build (`name`, such as "volume.pif") in the program folder, as
    // a shell open of the program would, with environment settings and arguments.
    ScriptRun RunProgram(const std::vector<std::string>& environment, const std::string& name,
                         const std::vector<std::string>& arguments);
    // The data folder's system record, read and unscrambled; and written back scrambled.
    SystemRecord ReadSystem(const std::string& folder = "CU1") const;
    void WriteSystem(const SystemRecord& sys, const std::string& folder = "CU1") const;
    // Runs tessary-gen with `arguments`, as they would be typed (quoted one by one).
    ScriptRun RunGenerator(const std::vector<std::string>& arguments) const;
    // Fills the data folder CU1 with tessary-gen, given its options ("--members 30 ...").
    void Generate(const std::string& options) const;
    // The same, then checks and posts the generated batch as a user would.
    void GenerateAndPost(const std::string& options, const std::vector<std::string>& runOptions);
    // Makes the data folder's file set as the first start would.
    void MakeDataFolder(const std::string& folder = "CU1") const;
    std::filesystem::path Data(const std::string& name, const std::string& folder = "CU1") const {
        return program / folder / name;
    }

    // The environment that brings `fault` about at file operation `at` of a run.
    static std::vector<std::string> FaultAt(Fault fault, long at);
    // The environment that counts a run's file operations into the file `countFile`.
    static std::vector<std::string> CountingOperations(const std::string& countFile);
    // Runs `script` once as it is, counting its file operations into `operations`.
    ScriptRun RunCountingOperations(const std::string& script,
                                    const std::vector<std::string>& options, long& operations);

    // Runs `postScript` (a posting run) killed in turn at each of its file operations, and
    // checks after each kill that the next update open either accepts the data fully posted
    // (batch gone) or finds it inconsistent and restores it to its state before the run
    // (batch still there); never half-posted data.
    void ExpectPostingSurvivesAKillAnywhere(const std::string& postScript,
                                            const std::string& batchFile,
                                            const std::vector<std::string>& options);

    // Runs `script` (an update command; with `batchFile` "" for one that has no batch) with
    // the fault at each of its file operations in turn. After each, the run must have ended
    // exactly one way: done (data as after a clean run, batch gone), untouched (data and batch
    // as before), or found inconsistent by the next open and restored to the state before it.
    // The safety copy is never mixed: right after the run it is wholly the state before or
    // after, and after the next open it is the data. Unless killed, the run says it succeeded
    // exactly when it did: `successShown` tells from its output whether it said so. `check`,
    // when given, looks at each run right after it, before the next open.
    SweepFigures ExpectUpdateSurvivesFaults(
        const std::string& script, const std::string& batchFile,
        const std::vector<std::string>& options, Fault fault,
        const std::function<bool(const ScriptRun&)>& successShown,
        const SweepCheck& check = nullptr);

    // Run after each restore of a sweep's folder, before the swept run: a copied folder is new
    // to the program, and an update of its own first lets the swept run find its copies known.
    std::string sweepWarmUp;

    std::filesystem::path program;

  private:
    void SweepAll(const std::string& script, const std::string& batchFile,
                  const std::vector<std::string>& options, Fault fault,
                  const std::function<bool(const ScriptRun&)>& successShown,
                  const SweepCheck& check, SweepFigures& figures);
};

}  // namespace tessary::testing
