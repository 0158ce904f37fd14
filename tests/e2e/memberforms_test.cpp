// The member maintenance and transaction entry forms through tessary-script.

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/dates.h"
#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};

class MemberForms : public ScriptTest {
  protected:
    std::vector<MemberRecord> Members() { return ReadRecords<MemberRecord>(Data("memacc.d32")); }
    std::vector<MemberTransaction> Batch() {
        return ReadRecords<MemberTransaction>(Data("ADMMEM.t32"));
    }
    void Members(const std::vector<MemberRecord>& members) {
        std::ofstream out(Data("memacc.d32"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(members.data()),
                  static_cast<std::streamsize>(members.size() * sizeof(MemberRecord)));
    }
    void ThreeMembers() {
        MakeDataFolder();
        std::vector<MemberRecord> m(3);
        m[0].Name.set("Ann One");
        m[0].Share1 = 100;
        m[1].Name.set("Bob Two");
        m[2].Name.set("Closed*");
        Members(m);
    }
};

TEST_F(MemberForms, AddingNumbersMembersInTurnAndIgnoresAnEmptyName) {
    const auto run = Run(R"(
type Password tessary
click Next
menu AddMembers1
expect Ememno "    1"
click Next
expect Ememno "    1"
type Edit1 "Ann One"
type Edit9 ADULT
type Edit11 01/02/2003
click Next
expect Ememno "    2"
expect Edit1 ""
type Edit1 "Bob Two"
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto m = Members();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].Name.str(), "Ann One");
    EXPECT_EQ(m[0].MemberType.str(), "ADULT");
    EXPECT_EQ(m[0].JoinDate.str(), "01/02/2003");
    EXPECT_EQ(m[1].Name.str(), "Bob Two");
    EXPECT_EQ(+ReadSystem().ConsistencyTotal, 0);
}

TEST_F(MemberForms, LoanTermsAreCheckedAndANewAmountResetsInterestPaid) {
    MakeDataFolder();
    std::vector<MemberRecord> m(1);
    m[0].Name.set("Ann One");
    m[0].InterestPaid = 12;
    m[0].LoanAmount = 500;
    Members(m);
    const auto run = Run(R"(
type Password tessary
click Next
menu UpdateMembers1
type Ememno 1
tab
expect Edit1 "Ann One"
expect Edit16 500.00
type Edit18 x
tab
expect focus Edit18
type Edit18 w
tab
expect Edit18 W
type Edit15 01/12/2026
type Edit16 0
click Next
expect TFmodal.Label1 "Incomplete loan set up"
click Button1
expect forms TFmemacc
expect Edit1 "Ann One"
type Edit16 800
type Edit14 42
type Edit17 20
click Next
expect Ememno ""
type Ememno 1
tab
expect Edit16 800.00
type Edit15 ""
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto after = Members();
    EXPECT_EQ(+after[0].LoanAmount, 800);
    EXPECT_EQ(+after[0].InterestPaid, 0);
    EXPECT_EQ(+after[0].LoanNumber, 42);
    EXPECT_EQ(after[0].Frequency.str(), "W");
    EXPECT_EQ(+after[0].LoanDate, 0);  // cleared by the last visit

    // The same amount typed again keeps the count of interest paid.
    auto again = Members();
    again[0].InterestPaid = 7;
    Members(again);
    ASSERT_EQ(Run("type Password tessary\nclick Next\nmenu UpdateMembers1\ntype Ememno 1\ntab\n"
                  "type Edit16 800\nclick Close\n",
                  kToday)
                  .status,
              0);
    EXPECT_EQ(+Members()[0].InterestPaid, 7);
}

TEST_F(MemberForms, IncompleteLoanOnCloseStillClosesWithoutWriting) {
    ThreeMembers();
    const auto before = Members();
    const auto run = Run(R"(
type Password tessary
click Next
menu UpdateMembers1
type Ememno 2
tab
type Edit1 "Changed Name"
type Edit15 01/12/2026
click Close
expect TFmodal.Label1 "Incomplete loan set up"
click Button1
expect forms TFmain
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Members()[1].Name.str(), "Bob Two");
}

TEST_F(MemberForms, ViewModeReadsButNeverWritesAndCopiesTheAddress) {
    ThreeMembers();
    auto m = Members();
    m[0].Address1.set("1 Main Street");
    m[0].Address5.set("Ireland");
    Members(m);
    const auto before = Members();
    const auto run = Run(R"(
type Password tessary
click Next
menu ViewMembers1
expect TFmemacc "View members"
type Ememno 4
tab
expect Ememno Invalid
expect focus Ememno
type Ememno 1
tab
expect LShare1 "     100.00"
focus Edit1
expect focus Ememno
click Copy
expect clipboard "Ann One\r\n1 Main Street\r\n\r\n\r\n\r\nIreland\r\n\r\n8 December 2026\r\n"
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Members().size(), before.size());
    EXPECT_EQ(Members()[0].Name.str(), "Ann One");
}

TEST_F(MemberForms, EntryFormStepsThroughTheBatch) {
    ThreeMembers();
    const auto run = Run(R"(
type Password tessary
click Next
menu InputTransactions1
expect Edate 08/12/2026
type Ememno 1
tab
expect Laccount "Ann One"
expect Lbalances "Share1= 100.00      Share2= 0.00        Loan balance= 0.00        Interest due= 0.00      "
type Etype 1
tab
expect Ltype "Share 1 Deposit"
type Eamount 10.556
type Echeque A1
click Next
expect Ememno ""
type Ememno 2
type Etype 2
type Eamount 20
click Next
type Ememno 1
type Etype 4
type Eamount 1
click Next
click Next
expect Ememno ""
click Previous
expect Ememno 1
expect Etype 4
click Previous
click Previous
expect Eamount 10.56
expect Echeque A1
click Previous
expect Laccount "Ann One"
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto batch = Batch();
    ASSERT_EQ(batch.size(), 3u);  // Next on the empty end wrote nothing
    EXPECT_EQ(+batch[0].Amount, 10.56);
    EXPECT_EQ(+batch[1].MemberNo, 2);
    EXPECT_EQ(+batch[2].TransType, 4);

    // Reopened: an empty entry after the three; Previous shows the last with its member.
    const auto reopened = Run(R"(
type Password tessary
click Next
menu InputTransactions1
expect Ememno ""
click Previous
expect Ememno 1
expect Laccount "Ann One"
type Eamount 0
click Next
click Close
)",
                              kToday);
    ASSERT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_EQ(+Batch()[2].Amount, 0);  // deleted by a zero amount, still in place
}

TEST_F(MemberForms, FieldChecksRejectBadMembersTypesAndDates) {
    ThreeMembers();
    SystemRecord sys = ReadSystem();
    sys.LastPeriodEndDate = ParseDate("01/12/2026", std::chrono::year{2026});
    WriteSystem(sys);
    std::string script = "type Password tessary\nclick Next\nmenu InputTransactions1\n";
    for (const char* bad : {"0", "-1", "4", "3", "1x"}) {
        script += std::string("type Ememno ") + bad +
                  "\ntab\nexpect Ememno Invalid\nexpect focus Ememno\n";
    }
    script += "type Ememno 1\n";
    for (const char* bad : {"8", "9", "0", "x"}) {
        script +=
            std::string("type Etype ") + bad + "\ntab\nexpect Etype Invalid\nexpect focus Etype\n";
    }
    script += R"(type Etype 1
type Edate 30/11/2026
tab
expect TFmodal.Label1 "The date must be between 01/12/2026 and 08/12/2026"
click Button1
expect focus Edate
type Edate 09/12/2026
tab
click Button1
type Edate 01/12/2026
tab
expect focus Next
type Edate 08/12/2026
tab
expect focus Next
type Edate 31/11/2026
tab
expect TFmemtrans.Edate dd/mm/yyyy
expect TFmodal.Label1 "The date must be between 01/12/2026 and 08/12/2026"
click Button1
expect forms TFmemtrans
)";
    const auto run = Run(script, kToday);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(MemberForms, AmountsThatDoNotFitAreRefusedAndNeverReachTheBatch) {
    ThreeMembers();
    std::string script = R"(type Password tessary
click Next
menu InputTransactions1
type Ememno 1
type Etype 1
)";
    for (const char* bad : {"1e308", "nan", "inf", "-INF", "-1e9", "1e400", "100000000"}) {
        script += std::string("type Eamount ") + bad +
                  "\ntab\nexpect Eamount Invalid\nexpect focus Eamount\n";
    }
    script += R"(tab
expect Eamount Invalid
expect focus Eamount
type Eamount 99999999.99
tab
expect focus Echeque
click Next
type Ememno 2
type Etype 5
type Eamount -9999999.99
click Next
click Previous
expect Eamount -9999999.99
type Eamount nan
click Next
expect Eamount Invalid
expect focus Eamount
expect Ememno 2
click Close
expect forms TFmemtrans
type Eamount "Invalid"
click Find
expect forms TFmemtrans
expect focus Eamount
type Eamount 12
click Close
)";
    const auto run = Run(script, kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto batch = Batch();
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(+batch[0].Amount, 99999999.99);
    EXPECT_EQ(+batch[1].MemberNo, 2);
    EXPECT_EQ(+batch[1].Amount, 12);  // never the refused amount, nor 0 in its place
}

TEST_F(MemberForms, FindGoesToTheFirstEntryOfAMemberAndKeepsTheEntryBeingKeyed) {
    ThreeMembers();
    const auto run = Run(R"(
type Password tessary
click Next
menu InputTransactions1
type Ememno 2
type Etype 1
type Eamount 5
click Next
type Ememno 1
type Etype 1
type Eamount 6
click Next
type Ememno 2
type Etype 2
type Eamount 7
click Next
type Ememno 1
type Etype 1
type Eamount 8
click Find
type Edit1 2
click Button1
expect Eamount 5.00
click Find
type Edit1 3
click Button1
expect TFmain.Lm "Transaction not found"
expect Eamount 5.00
click Find
type Edit1 ""
click Button1
expect Eamount 5.00
click Close
)",
                         kToday);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto batch = Batch();
    ASSERT_EQ(batch.size(), 4u);  // the fourth entry was stored before the search
    EXPECT_EQ(+batch[3].Amount, 8);
}

}  // namespace
}  // namespace tessary::testing
