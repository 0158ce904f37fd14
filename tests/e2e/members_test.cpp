// The members' road end to end through tessary-script: a member added, a deposit keyed,
// checked and posted, and where it shows afterwards; and a posting run killed at every file
// operation, which must leave the data either fully posted or restorable, never half done.

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};

class MembersRoad : public ScriptTest {
  protected:
    // Adds members through the maintenance form: each name gets a member number in turn.
    void AddMembers(const std::vector<std::string>& names) {
        std::string script = "type Password tessary\nclick Next\nmenu AddMembers1\n";
        for (const auto& n : names) script += "type Edit1 \"" + n + "\"\nclick Next\n";
        script += "click Close\n";
        const auto run = Run(script, kToday);
        ASSERT_EQ(run.status, 0) << run.err;
    }
};

const char* const kKeyDepositAndPost = R"(
type Password tessary
click Next
menu InputTransactions1
type Ememno 1
type Etype 1
type Eamount 250
type Echeque 000123
type Edate 08/12/2026
click Next
click Close
menu TotalTransactions1
expect Lm "Total - Count     1   Value      250.00"
click OK
expect-line Memo1 1 "    1 Mary Murphy              Share 1 Deposit      250.00 08/12/2026       "
expect-line Memo1 3 "Total - Count     1  Value      250.00"
click Close
menu PostTransactions1
expect L4 "Post Members Transactions ? ADM"
click OK
print Memo1
click Close
expect forms TFmain
)";

TEST_F(MembersRoad, OneDepositFromKeyingToTheSafetyCopy) {
    AddMembers({"Mary Murphy"});
    const auto run = Run(kKeyDepositAndPost, kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = run.Lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0],
              "   No Name                           Type                 Amount  Date      ");
    EXPECT_EQ(lines[1],
              "    1 Mary Murphy                    Share 1 Deposit      250.00  08/12/2026");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "                                 Total Posted             250.00");

    const auto members = ReadRecords<MemberRecord>(Data("memacc.d32"));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(+members[0].Share1, 250.0);

    const auto memlog = ReadRecords<MemberLogEntry>(Data("memlog.d32"));
    ASSERT_EQ(memlog.size(), 1u);
    EXPECT_EQ(+memlog[0].Amount, 250.0);
    EXPECT_EQ(+memlog[0].MemberNo, 1);
    EXPECT_EQ(+memlog[0].TransType, 1);
    EXPECT_EQ(memlog[0].UserCode.str(), "ADM");

    const auto nomlog = ReadRecords<NominalLogEntry>(Data("nomlog.d32"));
    ASSERT_EQ(nomlog.size(), 1u);
    EXPECT_EQ(+nomlog[0].AccountNo, 0);
    EXPECT_EQ(+nomlog[0].Amount, 250.0);
    EXPECT_EQ(nomlog[0].Narrative.str(), "In payments from members");

    const auto accounts = ReadRecords<NominalAccountRecord>(Data("nomacc.d32"));
    ASSERT_EQ(accounts.size(), 160u);
    EXPECT_EQ(+accounts[0].Balance, 250.0);
    EXPECT_EQ(+accounts[1].Balance, 250.0);
    EXPECT_EQ(+accounts[5].Balance, 0.0);

    const auto syslog = ReadRecords<SyslogRecord>(Data("syslog.d32"));
    ASSERT_EQ(syslog.size(), 1u);
    EXPECT_EQ(+syslog[0].Amount, 250.0);
    EXPECT_EQ(syslog[0].Description.str(), "Post Members Transactions");

    const SystemRecord sys = ReadSystem();
    EXPECT_EQ(+sys.ConsistencyTotal, static_cast<std::int32_t>(28 + 56 + 52));
    EXPECT_GT(+sys.LastPostingDate, 0.0);
    EXPECT_FALSE(fs::exists(Data("ADMMEM.t32")));
    for (const char* f :
         {"sys.d32", "memacc.d32", "memlog.d32", "nomacc.d32", "nomlog.d32", "syslog.d32"}) {
        EXPECT_EQ(Slurp(Data(std::string("Backup/") + f)), Slurp(Data(f))) << f;
    }

    // Posting again finds no batch.
    const auto again = Run(R"(
type Password tessary
click Next
menu TotalTransactions1
click Cancel
menu PostTransactions1
click OK
expect Lm "No data"
)",
                           kToday);
    EXPECT_EQ(again.status, 0) << again.err;
}

class PostingCrash : public MembersRoad {};

TEST_F(PostingCrash, AKilledRunIsEitherCommittedOrRestored) {
    AddMembers({"Mary Murphy", "John Byrne"});
    // A first completed run leaves a safety copy to restore from.
    ASSERT_EQ(Run(kKeyDepositAndPost, kToday).status, 0);

    const std::string keySecondBatch = R"(
type Password tessary
click Next
menu InputTransactions1
type Ememno 1
type Etype 5
type Eamount 40
type Echeque 777
click Next
type Ememno 2
type Etype 1
type Eamount 60
click Next
type Ememno 2
type Etype 3
type Eamount 15
click Next
click Close
)";
    ASSERT_EQ(Run(keySecondBatch, kToday).status, 0);
    ExpectPostingSurvivesAKillAnywhere(R"(
type Password tessary
click Next
menu TotalTransactions1
click Cancel
menu PostTransactions1
click OK
click Close
)",
                                       "ADMMEM.t32", kToday);
}

}  // namespace
}  // namespace tessary::testing
