// The cash book end to end through tessary-script: accounts, the nominal batch, its total and
// posting, and the bank reconciliation.

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/harness.h"

namespace tessary::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kToday = {"--today", "08/12/2026"};
const char* const kSignOn = "type Password tessary\nclick Next\n";

// The template chart's list positions (accounts in use from 20): 124 Insurance Premiums is
// entry 24, 103 Sundry Income entry 19, 122 Rent and Rates entry 22, 100 Entrance Fees 16.
// A reconciliation row: date, user, narrative, bank effect and the mark at fixed places.
std::string Row(const std::string& narrative, const std::string& amount, char mark) {
    std::string row = "08/12/2026 ADM " + narrative;
    row.resize(46, ' ');
    row += std::string(11 - amount.size(), ' ') + amount + " " + mark;
    return row;
}

std::string Entry(int listIndex, const std::string& amount, const std::string& narrative) {
    return "select ListBox1 " + std::to_string(listIndex) + "\ntype Edit2 " + amount +
           "\ntype Edit3 \"" + narrative + "\"\nclick Next\n";
}

class CashBook : public ScriptTest {
  protected:
    ScriptRun Script(const std::string& body, const std::string& argument = "") {
        return Run(std::string(kSignOn) + body, kToday, argument);
    }
    double Balance(int account) {
        return +ReadRecords<NominalAccountRecord>(Data("nomacc.d32")).at(account).Balance;
    }
};

TEST_F(CashBook, PaymentAndReceiptTotalAndPostAsTheBankSees) {
    auto run = Script("menu InputTransactions2\n" + Entry(24, "100", "100234 - Stamps") +
                      Entry(19, "30", "Interest received") + Entry(22, "0", "never keyed") + R"(
click Close
menu TotalTransactions2
expect Lm "Total - Count     2   Value      -70.00"
expect L4 "View the Transactions ?"
click OK
expect-line Memo1 0 "A/c Name                  No Narrative                           Amount"
expect-line Memo1 1 "Insurance Premiums       124 100234 - Stamps                     100.00"
expect-line Memo1 2 "Sundry Income            103 Interest received                    30.00"
expect-line Memo1 3 ""
expect-line Memo1 4 "Total - Count     2  Value      -70.00"
click Close
menu Post2
expect Lm "Post Nominal Transactions ? ADM"
click OK
expect Lm "Posting Completed"
menu Post2
click OK
expect Lm "No data to post"
)");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Balance(124), 100);
    EXPECT_EQ(Balance(103), 30);
    EXPECT_EQ(Balance(0), -70);
    const auto log = ReadRecords<NominalLogEntry>(Data("nomlog.d32"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(+log[0].AccountNo, 124);
    EXPECT_EQ(log[0].Narrative.str(), "100234 - Stamps");
    EXPECT_EQ(log[0].UserCode.str(), "ADM");
    EXPECT_EQ(+log[1].Amount, 30);
    const auto sys = ReadRecords<SyslogRecord>(Data("syslog.d32"));
    ASSERT_EQ(sys.size(), 1u);
    EXPECT_EQ(+sys[0].Amount, -70);
    EXPECT_EQ(sys[0].Description.str(), "Post Nominal Transactions");
    EXPECT_FALSE(fs::exists(Data("ADMNOM.t32")));
    EXPECT_TRUE(fs::exists(Data("Backup/nomlog.d32")));
}

TEST_F(CashBook, ClearingAnAmountKeepsTheEntryAndZeroDeletesIt) {
    auto run = Script("menu InputTransactions2\n" + Entry(24, "100", "first") +
                      Entry(22, "50", "second") + R"(
click Previous
click Previous
expect Edit2 100.00
expect Edit3 first
type Edit2 ""
click Next
expect Edit2 50.00
type Edit2 0
click Next
click Next
click Previous
click Previous
click Previous
click Previous
expect Edit3 first
click Close
menu TotalTransactions2
expect Lm "Total - Count     1   Value     -100.00"
)");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto batch = ReadRecords<NominalTransaction>(Data("ADMNOM.t32"));
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(+batch[0].Amount, 100);
    EXPECT_EQ(+batch[1].Amount, 0);
}

TEST_F(CashBook, AmountsThatDoNotFitAreRefusedAndNeverReachTheBatch) {
    std::string script = "menu InputTransactions2\nselect ListBox1 24\n";
    for (const char* bad : {"1e308", "nan", "inf", "-INF", "-1e9", "1e400", "100000000"}) {
        script +=
            std::string("type Edit2 ") + bad + "\ntab\nexpect Edit2 Invalid\nexpect focus Edit2\n";
    }
    script += R"(tab
expect Edit2 Invalid
expect focus Edit2
type Edit2 99999999.99
type Edit3 biggest
click Next
select ListBox1 19
type Edit2 -9999999.99
type Edit3 smallest
click Next
click Previous
expect Edit2 -9999999.99
type Edit2 1e308
click Next
expect Edit2 Invalid
expect focus Edit2
expect Edit3 smallest
click Previous
expect Edit2 Invalid
click Close
expect forms TFnomtrans
type Edit2 7
click Close
expect forms TFmain
)";
    const auto run = Script(script);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto batch = ReadRecords<NominalTransaction>(Data("ADMNOM.t32"));
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(+batch[0].Amount, 99999999.99);
    EXPECT_EQ(+batch[0].AccountNo, 124);
    EXPECT_EQ(batch[1].Narrative.str(), "smallest");
    EXPECT_EQ(+batch[1].Amount, 7);  // never the refused amount, nor 0 in its place
}

TEST_F(CashBook, ReopeningTheFormNeedsAFreshTotalButACleanMemberCheckWillDo) {
    auto run = Script("menu InputTransactions2\n" + Entry(24, "10", "x") + R"(
click Close
menu TotalTransactions2
click Cancel
expect Lm ""
menu InputTransactions2
click Close
menu Post2
expect Lm "Please check transactions total first"
menu TotalTransactions1
click Cancel
menu Post2
expect Lm "Post Nominal Transactions ? ADM"
click Cancel
expect Lm ""
)");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(Data("ADMNOM.t32")));  // Cancel left the batch
    EXPECT_EQ(Balance(124), 0);
}

TEST_F(CashBook, PatchModeMovesAccountZeroTwice) {
    const auto run =
        Run(std::string(kSignOn) + "menu InputTransactions2\n" + Entry(0, "25", "correction") + R"(
click Close
menu TotalTransactions2
click Cancel
menu Post2
click OK
)",
            kToday, "patch");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Balance(0), 50);  // its own 25 and the bank movement of 25
}

TEST_F(CashBook, AccountMaintenanceKeepsTheRules) {
    auto run = Script(R"(
menu MaintainAccounts1
expect Eaccno 20
expect Eaccname "Office Equipment"
type Eaccno 19
tab
expect Eaccno Invalid
type Eaccno 160
tab
expect Eaccno Invalid
type Eaccno 159
tab
expect LNomtype EXPENDITURE
type Eaccname "Cleaning"
type Ebudget 1234.5
click Next
expect Eaccno 159
type Eaccno 159
tab
expect Ebudget 1234.50
type Eaccno 80
tab
type Eaccname "Renamed"
tab
expect Eaccname "Undivided Earnings"
type Eaccno 20
tab
expect LNomtype "FIXED ASSET"
type Eaccname ""
click Close
menu InputTransactions2
expect-line ListBox1 0 "Furniture and Fittings"
)");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto accounts = ReadRecords<NominalAccountRecord>(Data("nomacc.d32"));
    EXPECT_EQ(accounts[159].AccountName.str(), "Cleaning");
    EXPECT_EQ(+accounts[159].Budget, 1234.5);
    EXPECT_EQ(accounts[80].AccountName.str(), "Undivided Earnings");
    EXPECT_TRUE(accounts[20].AccountName.empty());
}

TEST_F(CashBook, ReconciliationOfExactly23Entries) {
    std::string keying = "menu InputTransactions2\n";
    for (int i = 1; i <= 23; ++i)
        keying += Entry(22, std::to_string(i), "rent " + std::to_string(i));
    keying += "click Close\nmenu TotalTransactions2\nclick Cancel\nmenu Post2\nclick OK\n";
    ASSERT_EQ(Script(keying).status, 0);
    auto run = Script(R"(
menu Reconcile
click OK
expect-line Bank 0 ""
click Previous
expect-line Bank 0 ")" +
                      Row("rent 1", "-1.00", ' ') + R"("
expect-line Bank 22 ")" +
                      Row("rent 23", "-23.00", ' ') + R"("
select Bank 22
expect Lbanked "     -23.00"
key Bank Enter
expect Lbanked "       0.00"
key Bank Enter
select Bank 1
expect Lbanked "     -25.00"
click Next
click Close
)");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto log = ReadRecords<NominalLogEntry>(Data("nomlog.d32"));
    ASSERT_EQ(log.size(), 23u);
    EXPECT_EQ(+log[22].Reconciled, 1);
    EXPECT_EQ(+log[1].Reconciled, 1);
    EXPECT_EQ(+log[0].Reconciled, 0);

    // The ticks are found again next time, and count in the total from the start.
    run = Script(R"(
menu Reconcile
type E2 -25
click OK
expect Lbanked "     -25.00"
expect Ldifference "       0.00"
click Previous
expect-line Bank 1 ")" +
                 Row("rent 2", "-2.00", 'R') + R"("
click Close
)");
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(CashBook, AMonthOfCashBookWorkReconcilesToTheStatement) {
    // A member and a member posting run: a deposit of 500 and a withdrawal of 120.
    ASSERT_EQ(Script(R"(
menu AddMembers1
type Edit1 "Mary Murphy"
click Close
menu InputTransactions1
type Ememno 1
type Etype 1
type Eamount 500
click Next
type Ememno 1
type Etype 5
type Eamount 120
type Echeque 000451
click Next
click Close
menu TotalTransactions1
click Cancel
menu PostTransactions1
click OK
click Close
)")
                  .status,
              0);
    // A dozen payments and receipts.
    std::string keying = "menu InputTransactions2\n";
    const std::pair<int, const char*> entries[] = {
        {22, "300"}, {23, "45.60"}, {20, "12.99"}, {21, "8.40"}, {24, "150"}, {25, "250"},
        {16, "20"},  {19, "14.25"}, {17, "3.10"},  {27, "6.50"}, {28, "35"},  {16, "10"}};
    int cheque = 1001;
    for (const auto& [account, amount] : entries)
        keying += Entry(account, amount, std::to_string(cheque++) + " - month");
    keying +=
        "click Close\nmenu TotalTransactions2\nexpect Lm \"Total - Count    12   Value     "
        "-761.14\"\n"
        "click Cancel\nmenu Post2\nclick OK\nexpect Lm \"Posting Completed\"\n";
    const auto posted = Script(keying);
    ASSERT_EQ(posted.status, 0) << posted.err;
    // Bank: 500 in, 120 out, 761.14 net out of the cash book: -381.14.
    EXPECT_DOUBLE_EQ(Balance(0), -381.14);

    std::string reconcile = "menu Reconcile\ntype E2 -381.14\nclick OK\n";
    for (int row = 0; row < 14; ++row) reconcile += "select Bank " + std::to_string(row) + "\n";
    reconcile +=
        "expect Lbanked \"    -381.14\"\nexpect Ldifference \"       0.00\"\nclick Close\n";
    const auto run = Script(reconcile);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto log = ReadRecords<NominalLogEntry>(Data("nomlog.d32"));
    ASSERT_EQ(log.size(), 14u);
    for (const auto& e : log) EXPECT_EQ(+e.Reconciled, 1);
}

TEST_F(CashBook, AKilledPostingRunIsEitherCommittedOrRestored) {
    // A first completed run leaves a safety copy to restore from.
    ASSERT_EQ(Script("menu InputTransactions2\n" + Entry(22, "300", "rent") +
                     "click Close\nmenu TotalTransactions2\nclick Cancel\nmenu Post2\nclick OK\n")
                  .status,
              0);
    ASSERT_EQ(Script("menu InputTransactions2\n" + Entry(24, "100", "stamps") +
                     Entry(19, "30", "interest") + Entry(16, "5", "fee") + "click Close\n")
                  .status,
              0);
    ExpectPostingSurvivesAKillAnywhere(
        std::string(kSignOn) + "menu TotalTransactions2\nclick Cancel\nmenu Post2\nclick OK\n",
        "ADMNOM.t32", kToday);
}

}  // namespace
}  // namespace tessary::testing
