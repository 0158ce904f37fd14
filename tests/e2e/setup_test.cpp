// Set-up and users through tessary-script, checked in the stored system record.

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

const std::vector<std::string> kToday = {"--today", "08/12/2026"};

class SetUpForms : public ScriptTest {};

TEST_F(SetUpForms, SettingsAreCorrectedAndStoredOnClose) {
    auto run = Run(R"(
type Password tessary
click Next
menu SetUp1
expect interest 1.000000
type cuname "Hill Street Credit Union Limited Co"
type interest 1.25
type Method 3
type Periodno 13
type Maxshares 2500.5abc
type maxloan ""
type Drive d
click Close
expect forms TFmain
menu SetUp1
expect cuname "Hill Street Credit Union Limit"
expect interest 1.250000
expect Method 1
expect Periodno 13
expect Maxshares 2500.50
expect maxloan 0.00
)",
                   kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    SystemRecord sys = ReadSystem();
    EXPECT_EQ(sys.UnionName.str(), "Hill Street Credit Union Limit");
    EXPECT_EQ(+sys.InterestRate, 1.25);
    EXPECT_EQ(+sys.InterestMethod, 1);
    EXPECT_EQ(+sys.PeriodNumber, 13);
    EXPECT_EQ(+sys.MaxInsuredShares, 2500.5);
    EXPECT_EQ(sys.BackupDrive, 'd');
    EXPECT_EQ(+sys.ConsistencyTotal, 0);

    run = Run(R"(
type Password tessary
click Next
menu SetUp1
type Method 0
type Periodno 14
type Drive ""
click Close
menu SetUp1
expect Method 1
expect Periodno 1
type Method 2
click Close
)",
              kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    sys = ReadSystem();
    EXPECT_EQ(+sys.InterestMethod, 2);
    EXPECT_EQ(+sys.PeriodNumber, 1);
    EXPECT_EQ(sys.BackupDrive, 'd');  // an emptied field keeps the letter
}

TEST_F(SetUpForms, UsersAreStoredAsTheRulesSay) {
    const auto run = Run(R"(
type Password tessary
click Next
menu SetUp1
type interest 2
click Next
expect-line Users 0 "User	Password	Level"
expect-line Users 1 "ADM	TESSARY	1"
cell Users 1 2 3
cell Users 2 0 jbloggs
cell Users 2 1 secret
cell Users 2 2 7
cell Users 3 0 NL
cell Users 3 1 nolevel
click Back
expect interest 2.000000
click Next
expect-line Users 1 "ADM	TESSARY	1"
expect-line Users 2 "jbl	SECRET	4"
expect-line Users 3 "NL	NOLEVEL	"
click Back
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const SystemRecord sys = ReadSystem();
    EXPECT_EQ(+sys.UserLevels[0], 1);  // reopening the users form offers slot 1 as level 1
    EXPECT_EQ(sys.UserCodes[1].str(), "jbl");
    EXPECT_EQ(sys.UserPasswords[1].str(), "SECRET");
    EXPECT_EQ(+sys.UserLevels[1], 4);
    EXPECT_EQ(+sys.UserLevels[2], 0);
    EXPECT_EQ(+sys.InterestRate, 2.0);

    // The lower-case password now signs on, and the empty level passes every check.
    const auto next = Run(R"(
type Password nolevel
click Next
menu SetUp1
expect forms TFsetup
)",
                          kToday);
    EXPECT_EQ(next.status, 0) << next.err;
}

TEST_F(SetUpForms, SlotOnesLevelIsStoredAsTypedUntilTheFormIsOpenedAgain) {
    const auto run = Run(R"(
type Password tessary
click Next
menu SetUp1
click Next
cell Users 1 2 2
click Back
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(+ReadSystem().UserLevels[0], 2);
}

}  // namespace
}  // namespace tessary::testing
