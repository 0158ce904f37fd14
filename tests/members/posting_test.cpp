// Checking and posting a member batch through the engine routines, with no program around
// them, and the files read back afterwards; and the menu commands over them, signed on.

#include "members/posting.h"

#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <random>

#include "core/dates.h"
#include "core/money.h"
#include "members/datafolder.h"

namespace tessary {
namespace {

using testing::DataFolderTest;

class Posting : public DataFolderTest {
  protected:
    // A member with a loan of `balance` and `due` interest outstanding (interest method 1).
    int MemberWithLoan(double balance, double due) {
        MemberRecord m;
        m.Name.set("Loan Holder");
        m.LoanBalance = balance;
        m.InterestDue = due;
        m.LoanAmount = 500;
        m.Repayment = 50;
        m.LoanNumber = 1;
        m.LoanDate = Day("01/06/2026");
        m.Frequency.set("M");
        m.InterestPaid = 10;
        const int n = AddMember("placeholder");
        PutMember(n, m);
        return n;
    }
    void Post() { run = PostMemberBatch(state); }
    BatchCheck Check() { return CheckMemberBatch(state, Day("08/12/2026")); }
    MemberPosting run;
    std::vector<std::pair<int, double>> LoggedSplits() {
        std::vector<std::pair<int, double>> out;
        for (const auto& e : Records<MemberLogEntry>("memlog.d32"))
            out.emplace_back(+e.TransType, +e.Amount);
        return out;
    }
};

using Splits = std::vector<std::pair<int, double>>;

// A repayment pays the interest due first, then the loan, and the rest goes to Share 1; a
// reversal puts the amount back on the loan. Each case is a member of its own in one batch,
// the payments a cent either side of the interest due and of the whole debt.
TEST_F(Posting, RepaymentPaysInterestThenTheLoanThenShare1) {
    struct Case {
        double loan, due, paid;
        double interest, principal, share1;
    };
    const Case cases[] = {
        {1234.57, 14.20, 14.19, 14.19, 0, 0},             // a cent short of the interest
        {1234.57, 14.20, 14.20, 14.20, 0, 0},             // the interest exactly
        {1234.57, 14.20, 14.21, 14.20, 0.01, 0},          // a cent of the loan
        {1234.57, 14.20, 1248.76, 14.20, 1234.56, 0},     // a cent short of the whole debt
        {1234.57, 14.20, 1248.77, 14.20, 1234.57, 0},     // the whole debt exactly
        {1234.57, 14.20, 1248.78, 14.20, 1234.57, 0.01},  // a cent over
        {1234.57, 14.20, 1334.90, 14.20, 1234.57, 86.13},
        {0, 0, 86.13, 0, 0, 86.13},              // no loan: all to Share 1
        {1234.57, 14.20, -12.34, 0, -12.34, 0},  // a reversal
    };
    for (const Case& c : cases)
        AddBatchEntry(MemberWithLoan(c.loan, c.due), 3, c.paid, "07/12/2026");
    Post();

    std::map<int, Splits> logged;
    for (const auto& e : Records<MemberLogEntry>("memlog.d32"))
        logged[+e.MemberNo].emplace_back(+e.TransType, +e.Amount);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paid);
        Splits want;
        for (const auto& [type, amount] : Splits{{kInterest, c.interest},
                                                 {kLoanRepayment, c.principal},
                                                 {kShare1Deposit, c.share1}}) {
            if (amount != 0) want.emplace_back(type, amount);
        }
        EXPECT_EQ(logged[++n], want);
        const MemberRecord m = GetMember(n);
        EXPECT_EQ(+m.InterestDue, RoundMoney(c.due - c.interest));
        EXPECT_EQ(+m.LoanBalance, RoundMoney(c.loan - c.principal));
        EXPECT_EQ(+m.InterestPaid, RoundMoney(10 + c.interest));
        EXPECT_EQ(+m.Share1, c.share1);
        EXPECT_EQ(+m.LastPayDate, Day("07/12/2026"));
    }
    // The bank takes the batch's net receipts in one entry.
    EXPECT_EQ(+Records<NominalLogEntry>("nomlog.d32").at(0).Amount, 5197.6);
}

TEST_F(Posting, MoneyPaidOutIsLoggedAgainstTheBankForReconciliation) {
    for (int i = 0; i < 6; ++i) AddMember("Member", 100);
    const int seven = AddMember("Seventh Member", 100);
    AddBatchEntry(seven, 5, 20, "05/12/2026", "CHQ9");
    Post();
    const auto nomlog = Records<NominalLogEntry>("nomlog.d32");
    ASSERT_EQ(nomlog.size(), 1u);  // no receipts, so no "In payments" entry
    EXPECT_EQ(+nomlog[0].Amount, -20);
    EXPECT_EQ(+nomlog[0].AccountNo, 0);
    EXPECT_EQ(+nomlog[0].Date, Day("05/12/2026"));
    EXPECT_EQ(nomlog[0].Narrative.str(), "CHQ9     Paid to Member     7");
    EXPECT_EQ(+GetMember(seven).Share1, 80);
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    EXPECT_EQ(+accounts[0].Balance, -20);
    EXPECT_EQ(+accounts[5].Balance, 20);
    EXPECT_EQ(+Records<SyslogRecord>("syslog.d32").at(0).Amount, -20);
}

TEST_F(Posting, EveryTypeFeedsItsControlAccount) {
    const int a = AddMember("A", 500);
    const int b = MemberWithLoan(100, 4);
    AddBatchEntry(a, 1, 10, "08/12/2026");
    AddBatchEntry(a, 2, 20, "08/12/2026");
    AddBatchEntry(b, 3, 54, "08/12/2026");
    AddBatchEntry(a, 4, 2, "08/12/2026");
    AddBatchEntry(a, 5, 5, "08/12/2026");
    AddBatchEntry(a, 6, 6, "08/12/2026");
    AddBatchEntry(b, 7, 70, "08/12/2026");
    Post();
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    const double expected[] = {10 + 20 + 54 + 2 - 5 - 6 - 70, 10, 20, 50, 2, 5, 6, 70, 4};
    for (int i = 0; i <= 8; ++i)
        EXPECT_EQ(+accounts[static_cast<std::size_t>(i)].Balance, expected[i]) << i;
    EXPECT_EQ(+accounts[9].Balance, 0);
    EXPECT_EQ(+GetMember(b).LoanBalance, 120);
}

TEST_F(Posting, ReportListsEachSplitAndTheTotal) {
    const int n = MemberWithLoan(50, 5);
    AddBatchEntry(n, 3, 100, "08/12/2026");
    Post();
    EXPECT_EQ(run.lines,
              (std::vector<std::string>{
                  "    1 Loan Holder                    Interest               5.00  08/12/2026",
                  "    1 Loan Holder                    Loan Repayment        50.00  08/12/2026",
                  "    1 Loan Holder                    Share 1 Deposit       45.00  08/12/2026",
                  "", "                                 Total Posted             100.00"}));
    EXPECT_EQ(run.total, 100);
}

TEST_F(Posting, AllZeroBatchPostsNothingButTheRun) {
    const int n = AddMember("Zero");
    AddBatchEntry(n, 1, 0, "08/12/2026");
    AddBatchEntry(n, 5, 0.004, "08/12/2026");
    const BatchCheck check = Check();
    EXPECT_EQ(check.count, 0);
    EXPECT_EQ(check.errors, 0);
    Post();
    EXPECT_TRUE(Records<MemberLogEntry>("memlog.d32").empty());
    EXPECT_TRUE(Records<NominalLogEntry>("nomlog.d32").empty());
    const auto syslog = Records<SyslogRecord>("syslog.d32");
    ASSERT_EQ(syslog.size(), 1u);
    EXPECT_EQ(+syslog[0].Amount, 0);
    EXPECT_FALSE(std::filesystem::exists(Data("ADMMEM.t32")));
}

TEST_F(Posting, EntryDatedBeforeTheLastPeriodEndIsLiftedToIt) {
    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    state.System.LastPeriodEndDate = Day("01/12/2026");
    CloseFileSet(state, kUpdate);
    const int n = AddMember("Late", 0);
    AddBatchEntry(n, 1, 10, "20/11/2026");
    Post();
    EXPECT_EQ(+Records<MemberLogEntry>("memlog.d32").at(0).Date, Day("01/12/2026"));
}

TEST_F(Posting, CheckCodesEntriesInOrderDateMemberType) {
    AddMember("Good Member");
    AddMember("Closed*");
    AddBatchEntry(1, 1, 10, "08/12/2026");
    AddBatchEntry(9, 1, 5, "09/12/2026");  // after today and no member 9: two errors
    AddBatchEntry(2, 8, 3, "08/12/2026");  // closed member and a type not keyed
    AddBatchEntry(1, 5, 2.5, "08/12/2026");
    const BatchCheck check = Check();
    EXPECT_EQ(check.count, 4);
    EXPECT_EQ(check.errors, 4);
    EXPECT_DOUBLE_EQ(check.value, 10 + 5 - 3 - 2.5);
    EXPECT_EQ(check.lines,
              (std::vector<std::string>{
                  "    1 Good Member              Share 1 Deposit       10.00 08/12/2026       ",
                  "    9 Invalid member number    Share 1 Deposit        5.00 09/12/2026 MEMBER",
                  "    2 Closed*                  Interest               3.00 08/12/2026 TYPE  ",
                  "    1 Good Member              Share 1 Withdraw       2.50 08/12/2026       ",
                  "", "Total - Count     4  Value        9.50  Errors     4"}));
}

TEST_F(Posting, AGarbledBatchIsCheckedAndPostedWithoutHarm) {
    AddMember("Only Member", 50);
    std::mt19937 random(7);
    std::vector<unsigned char> bytes(36 * 200);
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    // Extreme member numbers and types with amounts and dates that could be real, so that
    // the run goes ahead and meets every odd member number.
    for (std::size_t e = 0; e < 200; ++e) {
        const std::int32_t extremes[] = {INT32_MIN, -1, 0, INT32_MAX, 1};
        std::memcpy(&bytes[e * 36 + 8], &extremes[e % 5], 4);
        std::memcpy(&bytes[e * 36 + 12], &extremes[(e / 5) % 5], 4);
        const double amount = static_cast<double>(random() % 100000) / 100;
        const double date = Day("08/12/2026");
        std::memcpy(&bytes[e * 36], &amount, 8);
        std::memcpy(&bytes[e * 36 + 28], &date, 8);
    }
    testing::WriteBytes(Data("ADMMEM.t32"), bytes);
    const BatchCheck check = Check();
    EXPECT_GT(check.errors, 0);
    Post();
    EXPECT_EQ(run.refused, "");
    EXPECT_TRUE(run.outcome.ok());
    // Only the one real member could be touched, and the set is still consistent.
    EXPECT_EQ(Records<MemberRecord>("memacc.d32").size(), 1u);
    EXPECT_FALSE(Records<MemberLogEntry>("memlog.d32").empty());
    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
    EXPECT_FALSE(std::filesystem::exists(Data("ADMMEM.t32")));
}

TEST_F(Posting, AmountsAndDatesBeyondTheRecordsAreFlaggedAndNeverPosted) {
    const int n = AddMember("Only Member", 50);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    AddBatchEntry(n, 1, 10, "08/12/2026");
    for (double amount : {nan, inf, -inf, 1e308, 100000000.0, -10000000.0}) {
        MemberTransaction t;
        t.MemberNo = n;
        t.TransType = 1;
        t.Amount = amount;
        t.Date = Day("08/12/2026");
        AppendEntry(t);
    }
    for (double date : {nan, inf, -1e300}) {
        MemberTransaction t;
        t.MemberNo = n;
        t.TransType = 1;
        t.Amount = 5;
        t.Date = date;
        AppendEntry(t);
    }
    const BatchCheck check = Check();
    EXPECT_EQ(check.count, 10);
    EXPECT_EQ(check.errors, 9);
    EXPECT_EQ(check.value, 25);  // only what fits counts towards the value
    const auto& lines = check.lines;
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 6), "AMOUNT");
    EXPECT_EQ(lines[9].substr(lines[9].size() - 6), "DATE  ");

    // Posting the batch anyway (as after a clean check of an earlier version of it) refuses
    // the whole batch and changes nothing.
    const auto members = testing::ReadBytes(Data("memacc.d32"));
    const auto batch = testing::ReadBytes(Data("ADMMEM.t32"));
    Post();
    EXPECT_EQ(run.refused, "Please check transactions first");
    EXPECT_EQ(testing::ReadBytes(Data("memacc.d32")), members);
    EXPECT_EQ(testing::ReadBytes(Data("ADMMEM.t32")), batch);
    EXPECT_TRUE(Records<MemberLogEntry>("memlog.d32").empty());
    EXPECT_EQ(+GetMember(n).Share1, 50);
}

TEST_F(Posting, ALoanAllocationPaysOutOfTheBankByCheque) {
    const int n = AddMember("Borrower");
    AddMember("Second");
    AddBatchEntry(n, 7, 500, "08/12/2026", "CHQ001");
    Post();
    EXPECT_EQ(+GetMember(n).LoanBalance, 500);
    const auto nomlog = Records<NominalLogEntry>("nomlog.d32");
    // The cheque is the one entry: no money came in, so no "In payments from members".
    ASSERT_EQ(nomlog.size(), 1u);
    EXPECT_EQ(+nomlog[0].Amount, -500);
    EXPECT_EQ(+nomlog[0].AccountNo, 0);
    EXPECT_EQ(+nomlog[0].Date, Day("08/12/2026"));
    EXPECT_EQ(nomlog[0].Narrative.str(), "CHQ001   Paid to Member     1");
    EXPECT_EQ(+nomlog[0].Reconciled, 0);
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    EXPECT_EQ(+accounts.at(0).Balance, -500);
    EXPECT_EQ(+accounts.at(7).Balance, 500);
    const auto syslog = Records<SyslogRecord>("syslog.d32");
    ASSERT_EQ(syslog.size(), 1u);
    EXPECT_EQ(+syslog[0].Amount, -500);
}

TEST_F(Posting, ABatchThatIsNoOrdinaryFileOrBeyondAnyRealSizeIsRefused) {
    AddMember("Only Member", 50);
    const std::string batch = Data("ADMMEM.t32");
    // A pipe would block a plain read until some writer came.
    ASSERT_EQ(::mkfifo(batch.c_str(), 0600), 0);
    EXPECT_EQ(Check().unreadable, "The batch cannot be read: a file is not an ordinary file");
    Post();
    EXPECT_EQ(run.refused, "The batch cannot be read: a file is not an ordinary file");
    std::filesystem::remove(batch);

    // A sparse file claiming far more entries than memory holds.
    {
        File f;
        ASSERT_TRUE(CreateEmptyFile(batch) && f.Open(batch, File::Access::ReadWrite));
        ASSERT_TRUE(f.Truncate(std::uint64_t{1} << 40));
    }
    EXPECT_EQ(Check().unreadable, "The batch cannot be read: a file is too large");
    Post();
    EXPECT_EQ(run.refused, "The batch cannot be read: a file is too large");
    EXPECT_TRUE(Records<MemberLogEntry>("memlog.d32").empty());
}

TEST_F(Posting, AShortLedgerFailsTheRunInsteadOfWritingStaleAccounts) {
    const int n = AddMember("Only Member", 50);
    AddBatchEntry(n, 1, 20, "08/12/2026");
    // The ledger has lost its control accounts beyond the first three.
    std::filesystem::resize_file(Data("nomacc.d32"), 3 * sizeof(NominalAccountRecord));
    const auto before = testing::ReadBytes(Data("memacc.d32"));
    Post();
    EXPECT_FALSE(run.outcome.committed);
    EXPECT_EQ(OutcomeMessage(run.outcome, "Posting"),
              "Posting failed, nothing was changed: a data file is damaged");
    EXPECT_EQ(testing::ReadBytes(Data("memacc.d32")), before);
    EXPECT_EQ(testing::ReadBytes(Data("nomacc.d32")).size(), 3 * sizeof(NominalAccountRecord));
    EXPECT_TRUE(Records<MemberLogEntry>("memlog.d32").empty());
    EXPECT_TRUE(std::filesystem::exists(Data("ADMMEM.t32")));
    // Still consistent: the next update opens without a restore.
    ASSERT_TRUE(OpenFileSet(state, kUpdate));
    CloseFileSet(state, kUpdate);
}

}  // namespace
}  // namespace tessary
