// The end-to-end cases written as files: every NAME.script beside this file runs as the test
// Script.NAME, and what it prints must be NAME.expected exactly (harness.h tells how a script
// gives its options, argument and exit status). A new case is those two files.

#include <filesystem>
#include <map>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

class ScriptFile : public ScriptTest {
  public:
    // A case that cannot be run is registered all the same, with `problem` saying why, so
    // that it fails rather than goes missing.
    ScriptFile(fs::path script, std::string problem)
        : script_(std::move(script)), problem_(std::move(problem)) {}

    void TestBody() override {
        ASSERT_EQ(problem_, "");
        const std::string text = Slurp(script_);
        std::string problem;
        const ScriptSettings settings = ReadScriptSettings(text, problem);
        ASSERT_EQ(problem, "") << script_.string();
        const fs::path expectedFile = fs::path(script_).replace_extension(".expected");
        const std::string expected = Slurp(expectedFile);

        const ScriptRun run = Run(text, settings.options, settings.argument);
        EXPECT_EQ(run.status, settings.status) << "error output:\n" << run.err;
        if (settings.error.empty()) {
            EXPECT_EQ(run.err, "");
        } else if (run.err.find(settings.error) == std::string::npos) {
            ADD_FAILURE() << "the error output lacks \"" << settings.error << "\":\n" << run.err;
        }
        if (run.out != expected) {
            ADD_FAILURE() << "the output differs from " << expectedFile.string()
                          << " (- expected, + printed):\n"
                          << LineDiff(expected, run.out);
        }
    }

  private:
    fs::path script_;
    std::string problem_;
};

bool NameFitsATest(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        const bool fits =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!fits) return false;
    }
    return true;
}

void Register(const std::string& name, const fs::path& script, const std::string& problem) {
    ::testing::RegisterTest("Script", name.c_str(), nullptr, nullptr, script.string().c_str(), 1,
                            [=]() -> ScriptTest* { return new ScriptFile(script, problem); });
}

// Registers one test for each case when the test program starts, before the tests are listed.
const bool kRegistered = [] {
    const fs::path folder = TESSARY_E2E_CASES;
    // name -> whether its .script and its .expected are there
    std::map<std::string, std::pair<bool, bool>> cases;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& p = entry.path();
        if (p.extension() == ".script") cases[p.stem().string()].first = true;
        if (p.extension() == ".expected") cases[p.stem().string()].second = true;
    }
    if (cases.empty()) {
        Register("NoneFound", folder / "none.script", "no case found in " + folder.string());
    }
    for (const auto& [stem, files] : cases) {
        std::string name = stem, problem;
        if (!NameFitsATest(stem)) {
            for (char& c : name) {
                if (!NameFitsATest(std::string(1, c))) c = '_';
            }
            problem = "name the case with letters, digits and _ only: " + stem;
        } else if (!files.first) {
            problem = stem + ".expected has no " + stem + ".script";
        } else if (!files.second) {
            problem = stem + ".script has no " + stem + ".expected";
        }
        Register(name, folder / (stem + ".script"), problem);
    }
    return true;
}();

TEST(ScriptSettings, AreReadFromTheCommentsBeforeTheFirstCommand) {
    std::string problem;
    const ScriptSettings s = ReadScriptSettings(
        "# Why this case is there: free text.\n#options:  --today 08/12/2026 \n\n"
        "# argument: patch\n# status: 2\n# error: menu item SetUp1 is disabled\n"
        "click Next\n# argument: late\n# options: --qt\n",
        problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(s.options, (std::vector<std::string>{"--today", "08/12/2026"}));
    EXPECT_EQ(s.argument, "patch");
    EXPECT_EQ(s.status, 2);
    EXPECT_EQ(s.error, "menu item SetUp1 is disabled");

    const ScriptSettings none = ReadScriptSettings("click Bexit\n", problem);
    EXPECT_TRUE(none.options.empty());
    EXPECT_EQ(none.argument, "");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.error, "");

    ReadScriptSettings("# status: two\n", problem);
    EXPECT_EQ(problem, "status \"two\" is not a whole number\n");
}

TEST(ScriptSettings, DiffMarksLinesMissingAddedAndAMissingLineEnd) {
    EXPECT_EQ(LineDiff("a\nb\nc\n", "a\nx\nc\nd\n"), "  a\n- b\n+ x\n  c\n+ d\n");
    EXPECT_EQ(LineDiff("a\n", "a"), "- a\n+ a\\ (no line end)\n");
    EXPECT_EQ(LineDiff("", ""), "");
}

}  // namespace
}  // namespace tessary::testing
