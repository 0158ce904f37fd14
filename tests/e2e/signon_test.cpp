// Sign-on through tessary-script: passwords, the working date and the data folder.

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "core/dates.h"
#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};

class SignOn : public ScriptTest {};

TEST_F(SignOn, LowerCaseTypingMatchesTheStoredPassword) {
    const auto run = Run(R"(
expect TFstart " Tessary"
expect focus Password
expect EDate 08/12/2026
expect Lday Tuesday
type Password tessary
expect Password TESSARY
click Next
print forms
print TFmain
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.Lines(),
              (std::vector<std::string>{
                  "TFmain", "Tessary - New Credit Union - ADM - Tuesday 8 December 2026"}));
    EXPECT_TRUE(fs::exists(Data("sys.d32")));
}

TEST_F(SignOn, WorkingDateBeforeTheLastPeriodEndIsRefusedButTheSameDayIsNot) {
    MakeDataFolder();
    SystemRecord sys = ReadSystem();
    sys.LastPeriodEndDate = ParseDate("30/11/2026", std::chrono::year{2026});
    WriteSystem(sys);

    auto run = Run(R"(
type EDate 29/11/2026
type Password tessary
click Next
expect Lm "The date cannot be before the last period end date"
)",
                   kToday);
    EXPECT_EQ(run.status, 0) << run.err;

    run = Run(R"(
type EDate 30/11/2026
type Password tessary
click Next
expect forms TFmain
)",
              kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(SignOn, ALastPeriodEndThatIsNoDateHoldsNothingUp) {
    MakeDataFolder();
    for (double bad : {1e300, std::nan(""), -1e300, 2958466.0 /* 01/01/10000 */}) {
        SystemRecord sys = ReadSystem();
        sys.LastPeriodEndDate = bad;
        WriteSystem(sys);
        // Signed on, and no reminder counting days from it.
        const auto run =
            Run("type Password tessary\nclick Next\nprint forms\nprint TFmain.Lm\n", kToday);
        EXPECT_EQ(run.status, 0) << bad << run.err;
        EXPECT_EQ(run.out, "TFmain\n\n") << bad;
    }
}

TEST_F(SignOn, ImpossibleDateIsRefusedAfterAPeriodEndToo) {
    MakeDataFolder();
    SystemRecord sys = ReadSystem();
    sys.LastPeriodEndDate = ParseDate("01/11/2026", std::chrono::year{2026});
    WriteSystem(sys);
    const auto run = Run(R"(
type Password tessary
type EDate nonsense
click Next
expect forms TFstart
expect EDate dd/mm/yyyy
expect TFmain.Lm ""
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(SignOn, TrainerUsesItsOwnFolderAndTheFirstOfJanuary2000) {
    const auto run = Run(R"(
expect EDate 01/01/2000
expect Lday Saturday
type Password tessary
click Next
expect TFmain "Tessary - New Credit Union - ADM - Saturday 1 January 2000"
)",
                         kToday, "TRAINER");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(Data("sys.d32", "TRAINER")));
    EXPECT_FALSE(fs::exists(Data("sys.d32")));
}

TEST_F(SignOn, FirstMatchingSlotSignsOnAndAnEmptyLevelPassesEveryCheck) {
    MakeDataFolder();
    SystemRecord sys = ReadSystem();
    sys.UserCodes[3].set("JB");
    sys.UserPasswords[3].set("SAME");
    sys.UserLevels[3] = 0;
    sys.UserCodes[6].set("XX");
    sys.UserPasswords[6].set("SAME");
    sys.UserLevels[6] = 4;
    WriteSystem(sys);
    const auto run = Run(R"(
type Password same
click Next
expect TFmain "Tessary - New Credit Union - JB - Tuesday 8 December 2026"
menu SetUp1
expect forms TFsetup
)",
                         kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(SignOn, ShortSystemRecordIsRewrittenAtFullLength) {
    MakeDataFolder();
    fs::resize_file(Data("sys.d32"), 300);
    const auto run = Run("type Password tessary\nclick Next\nexpect forms TFmain\n", kToday);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fs::file_size(Data("sys.d32")), 348u);
    const SystemRecord sys = ReadSystem();
    EXPECT_EQ(sys.BackupDrive, 'A');
    EXPECT_EQ(sys.UserPasswords[0].str(), "TESSARY");
    // What the short file lacked reads as zero, not as unscrambled noise.
    EXPECT_EQ(+sys.LastPeriodEndDate, 0.0);
    EXPECT_EQ(+sys.ConsistencyTotal, 0);
}

TEST_F(SignOn, UnfitFolderArgumentIsRefusedBeforeAnythingIsMade) {
    const auto listing = [&] {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(program)) {
            const std::string name = fs::relative(e.path(), program).string();
            if (name != "script.txt" && name != "out.txt" && name != "err.txt") names.insert(name);
        }
        return names;
    };
    const auto before = listing();
    const std::string outside = "tessary-outside-" + std::to_string(::getpid());
    const std::string templateBytes = Slurp(program / "sys.d32");
    for (const std::string& argument : std::vector<std::string>{".", "..", "../" + outside, "a/b",
                                                                "a\\b", "-x", "CU\x01", "\xC3"}) {
        const auto run = Run("print forms\n", kToday, argument);
        EXPECT_EQ(run.status, 2) << argument;
        EXPECT_EQ(run.out, "") << argument;
        EXPECT_NE(run.err.find("cannot name the data folder"), std::string::npos) << run.err;
        EXPECT_EQ(listing(), before) << argument;
    }
    EXPECT_FALSE(fs::exists(program.parent_path() / outside));
    EXPECT_EQ(Slurp(program / "sys.d32"), templateBytes);

    // A name of more than 8 characters keeps 8 of them, a UTF-8 letter whole.
    const auto run = Run("print forms\n", kToday, "Kassenbücher");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(Data("sys.d32", "Kassenbü")));
}

}  // namespace
}  // namespace tessary::testing
