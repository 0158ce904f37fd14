// The synthetic data generator, run as the tessary-gen executable: its folders must check
// clean and post as a user's own would, a year of history must leave books that agree with
// their logs and balance, and the same seed must give the same files.

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/dates.h"
#include "core/money.h"
#include "core/text.h"
#include "members/forms/session.h"
#include "members/posting.h"
#include "reports/ledger.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SignedOnTest;
using testing::WriteBytes;

struct GenRun {
    int status = -1;
    std::string err;
};

// The text as one shell word.
std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    q += '\'';
    return q;
}

class Generator : public SignedOnTest {
  protected:
    GenRun Gen(const std::vector<std::string>& args) {
        const fs::path err = program / "gen-err.txt";
        std::string command = Quote((fs::path(TESSARY_BIN_DIR) / "tessary-gen").string());
        for (const auto& a : args) {
            command += ' ';
            command += Quote(a);
        }
        command += " > /dev/null 2> ";
        command += Quote(err.string());
        GenRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(err);
        std::stringstream s;
        s << in.rdbuf();
        run.err = s.str();
        return run;
    }
    std::string Folder() const { return app->state.DataFolder; }

    SystemRecord System() {
        const auto bytes = ReadBytes(Data("sys.d32"));
        SystemRecord sys;
        EXPECT_EQ(bytes.size(), sizeof sys);
        std::memcpy(RecordBytes(sys), bytes.data(), std::min(bytes.size(), sizeof sys));
        ScrambleSystemRecord(sys);
        return sys;
    }
    void PutSystem(SystemRecord sys) {
        ScrambleSystemRecord(sys);
        WriteBytes(Data("sys.d32"), {RecordBytes(sys), RecordBytes(sys) + sizeof sys});
    }
    // Beside ADM (level 1): a supervisor, an operator, an auditor, and a controller who has
    // no password and so can never sign on.
    void AddUsers() {
        SystemRecord sys = System();
        const auto add = [&](int slot, const char* code, const char* password, int level) {
            sys.UserCodes[slot].set(code);
            sys.UserPasswords[slot].set(password);
            sys.UserLevels[slot] = level;
        };
        add(1, "SUP", "S", 2);
        add(2, "JB", "J", 3);
        add(3, "AUD", "A", 4);
        add(4, "NOP", "", 1);
        PutSystem(sys);
    }
    // A folder with a year of history up to 08/12/2026 and a batch after it.
    void MakeHistory(const std::string& entries = "4000") {
        const GenRun run = Gen({"--members", "300", "--batch", "200", "--history", entries,
                                "--seed", "7", "--date", "08/12/2026", Folder()});
        ASSERT_EQ(run.status, 0) << run.err;
    }
};

// The trial balance's two totals, taken from the accounts as the report takes them: assets
// and expenditure on the debit side; liabilities, shares, capital and income on the credit.
struct Totals {
    double debit = 0;
    double credit = 0;
};

Totals TrialTotals(const std::vector<NominalAccountRecord>& a) {
    const auto balance = [&](int n) { return +a[static_cast<std::size_t>(n)].Balance; };
    const auto moved = [&](int n) {
        return a[static_cast<std::size_t>(n)].Balance -
               a[static_cast<std::size_t>(n)].YearStartBalance;
    };
    Totals t;
    for (int n = 20; n < 40; ++n) t.debit += balance(n);
    t.debit += balance(7) - balance(3) + balance(0);
    for (int n = 40; n < 60; ++n) t.debit += balance(n);
    for (int n = 120; n < 160; ++n) t.debit += moved(n);
    for (int n = 60; n < 80; ++n) t.credit += balance(n);
    t.credit += balance(1) - balance(5) + balance(2) - balance(6);
    for (int n = 80; n < 100; ++n) t.credit += balance(n);
    t.credit += moved(8) + moved(4);
    for (int n = 100; n < 120; ++n) t.credit += moved(n);
    return t;
}

// What an entry of the nominal log does to the bank.
double BankEffect(const NominalLogEntry& e) {
    return AccountInRange(e.AccountNo) ? +e.Amount : -e.Amount;
}

TEST_F(Generator, MembersAreWellFormedAndTheBatchChecksCleanAndPostsWithinBalances) {
    const GenRun run = Gen(
        {"--members", "300", "--batch", "400", "--seed", "7", "--date", "08/12/2026", Folder()});
    ASSERT_EQ(run.status, 0) << run.err;

    const auto members = Records<MemberRecord>("memacc.d32");
    ASSERT_EQ(members.size(), 300u);
    std::set<int> loanNumbers;
    std::set<std::string> frequencies;
    for (const MemberRecord& m : members) {
        EXPECT_FALSE(m.Name.empty());
        EXPECT_EQ(m.Name.view().find('*'), std::string_view::npos);
        EXPECT_GT(ParseDate(m.JoinDate.view(), std::chrono::year{2026}), 0) << m.JoinDate.str();
        for (double money :
             {+m.Share1, +m.Share2, +m.LoanBalance, +m.InterestDue, +m.LoanAmount, +m.Repayment}) {
            EXPECT_EQ(money, RoundMoney(money));
            EXPECT_GE(money, 0);
        }
        if (m.LoanDate > 0) {
            EXPECT_GT(+m.LoanAmount, 0);
            EXPECT_GT(+m.Repayment, 0);
            EXPECT_GT(+m.LoanNumber, 0);
            EXPECT_LE(+m.LoanBalance, +m.LoanAmount);
            EXPECT_TRUE(loanNumbers.insert(+m.LoanNumber).second) << "loan number repeated";
            frequencies.insert(m.Frequency.str());
        } else {
            EXPECT_EQ(+m.LoanBalance, 0);
        }
    }
    EXPECT_GT(loanNumbers.size(), 90u);  // about half the members
    EXPECT_LT(loanNumbers.size(), 210u);
    EXPECT_EQ(frequencies, (std::set<std::string>{"F", "L", "M", "W"}));

    const auto batch = Records<MemberTransaction>("ADMMEM.t32");
    ASSERT_EQ(batch.size(), 400u);
    std::set<int> types;
    const double last = Day("08/12/2026");
    for (const MemberTransaction& t : batch) {
        types.insert(+t.TransType);
        EXPECT_GE(+t.MemberNo, 1);
        EXPECT_LE(+t.MemberNo, 300);
        EXPECT_GE(+t.Date, last - 29);
        EXPECT_LE(+t.Date, last);
        EXPECT_GT(+t.Amount, 0);
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));

    const BatchCheck check = CheckMemberBatch(app->state, app->Today());
    EXPECT_EQ(check.count, 400);
    EXPECT_EQ(check.errors, 0);
    // The system record must vouch for the empty logs, or the folder would not open.
    const MemberPosting posting = PostMemberBatch(app->state);
    ASSERT_TRUE(posting.opened);
    EXPECT_TRUE(posting.outcome.ok());
    EXPECT_FALSE(fs::exists(Data("ADMMEM.t32")));
    EXPECT_FALSE(Records<MemberLogEntry>("memlog.d32").empty());
    for (const MemberRecord& m : Records<MemberRecord>("memacc.d32")) {
        EXPECT_GE(+m.Share1, 0) << m.Name.str();
        EXPECT_GE(+m.Share2, 0) << m.Name.str();
    }
}

TEST_F(Generator, AYearOfHistoryLogsEveryTypeInDateOrderByTheUsersEntitledToEachRun) {
    AddUsers();
    MakeHistory();
    const double yearStart = Day("08/12/2025"), last = Day("08/12/2026");

    const auto memlog = Records<MemberLogEntry>("memlog.d32");
    ASSERT_EQ(memlog.size(), 4000u);
    std::set<int> types;
    std::set<std::string> posters;
    double previous = 0, dividends = 0;
    for (const MemberLogEntry& e : memlog) {
        types.insert(+e.TransType);
        EXPECT_GE(+e.Date, previous) << "out of date order";
        previous = e.Date;
        EXPECT_GT(+e.Date, yearStart);
        EXPECT_LE(+e.Date, last);
        EXPECT_GE(+e.MemberNo, 1);
        EXPECT_LE(+e.MemberNo, 300);
        EXPECT_GT(+e.Amount, 0);
        EXPECT_EQ(+e.Amount, RoundMoney(+e.Amount));
        if (e.TransType == 9) {
            EXPECT_EQ(e.UserCode.str(), "ADM") << "only a controller allocates dividends";
            dividends += e.Amount;
        } else {
            posters.insert(e.UserCode.str());
        }
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(posters, (std::set<std::string>{"ADM", "SUP", "JB"}));

    const SystemRecord sys = System();
    const auto nomlog = Records<NominalLogEntry>("nomlog.d32");
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    ASSERT_EQ(accounts.size(), 160u);
    std::set<std::string> cashiers;
    int paidOut = 0, receipts = 0;
    previous = 0;
    for (const NominalLogEntry& e : nomlog) {
        EXPECT_GE(+e.Date, previous) << "out of date order";
        previous = e.Date;
        EXPECT_EQ(+e.Amount, RoundMoney(+e.Amount));
        EXPECT_LE(+e.Date, last);
        // The bank has cleared nothing after the last statement, at the last period end.
        if (e.Reconciled) {
            EXPECT_LE(+e.Date, +sys.LastPeriodEndDate);
        }
        const int a = e.AccountNo;
        if (a >= 100) {
            EXPECT_FALSE(accounts[static_cast<std::size_t>(a)].AccountName.empty()) << a;
            EXPECT_GT(+e.Amount, 0);
            cashiers.insert(e.UserCode.str());
        } else if (e.Narrative.view().find("Paid to Member") != std::string_view::npos) {
            EXPECT_EQ(a, 0);
            EXPECT_LT(+e.Amount, 0);
            ++paidOut;
        } else if (e.Narrative == "In payments from members") {
            EXPECT_EQ(a, 0);
            EXPECT_GT(+e.Amount, 0);
            ++receipts;
        } else if (e.Narrative == "Dividend Allocation") {
            EXPECT_EQ(a, 80);
            EXPECT_NEAR(+e.Amount, -dividends, 0.005);
        } else {
            EXPECT_EQ(e.Narrative, "Dividend Shares");
            EXPECT_EQ(a, 0);
            EXPECT_NEAR(+e.Amount, dividends, 0.005);
        }
    }
    EXPECT_GT(paidOut, 0);
    EXPECT_EQ(cashiers, (std::set<std::string>{"ADM", "SUP"})) << "nominal posting takes level 2";

    // One member run and one cash-book run a posting day at most, eleven period ends in
    // order, one dividend allocation.
    std::map<std::string, std::set<double>> runs;
    std::vector<std::string> months;
    int syslogEntries = 0;
    for (const SyslogRecord& r : Records<SyslogRecord>("syslog.d32")) {
        ++syslogEntries;
        const std::string what = r.Description.str();
        if (what.starts_with("Process Month")) {
            months.push_back(what);
            EXPECT_EQ(+r.Amount, 0);
        } else {
            EXPECT_TRUE(runs[what].insert(+r.Date).second) << what << " twice on a day";
        }
        if (what == "Allocate Dividends") {
            EXPECT_NEAR(+r.Amount, dividends, 0.005);
            EXPECT_EQ(r.UserCode.str(), "ADM");
        }
    }
    std::set<double> memberDays;
    for (const MemberLogEntry& e : memlog)
        if (e.TransType != 9) memberDays.insert(+e.Date);
    EXPECT_EQ(runs["Post Members Transactions"], memberDays);
    EXPECT_EQ(receipts, static_cast<int>(memberDays.size()));
    EXPECT_FALSE(runs["Post Nominal Transactions"].empty());
    EXPECT_EQ(runs["Allocate Dividends"].size(), 1u);
    EXPECT_EQ(runs.size(), 3u);
    ASSERT_EQ(months.size(), 11u);
    for (int k = 1; k <= 11; ++k) EXPECT_EQ(months[k - 1], "Process Month " + std::to_string(k));
    EXPECT_EQ(+sys.PeriodNumber, 12);
    EXPECT_EQ(+sys.LastPeriodEndDate, Day("08/11/2026"));
    EXPECT_EQ(+sys.LastPostingDate, std::max(*runs["Post Members Transactions"].rbegin(),
                                             *runs["Post Nominal Transactions"].rbegin()));
    EXPECT_EQ(+sys.ConsistencyTotal,
              static_cast<std::int32_t>(memlog.size() * sizeof(MemberLogEntry) +
                                        nomlog.size() * sizeof(NominalLogEntry) +
                                        syslogEntries * sizeof(SyslogRecord)));
}

TEST_F(Generator, HistoryBalancesAreTheSumsOfTheirLogEntries) {
    MakeHistory();
    const auto members = Records<MemberRecord>("memacc.d32");
    const auto memlog = Records<MemberLogEntry>("memlog.d32");
    const auto nomlog = Records<NominalLogEntry>("nomlog.d32");
    const auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    ASSERT_EQ(members.size(), 300u);
    ASSERT_EQ(accounts.size(), 160u);
    const double periodEnd = System().LastPeriodEndDate;

    // By member and type; by type over the year and since the period end.
    std::vector<std::array<double, 10>> byMember(members.size() + 1);
    std::array<double, 10> year{}, period{};
    for (const MemberLogEntry& e : memlog) {
        const auto t = static_cast<std::size_t>(e.TransType);
        byMember[static_cast<std::size_t>(e.MemberNo)][t] += e.Amount;
        year[t] += e.Amount;
        if (e.Date > periodEnd) period[t] += e.Amount;
    }
    for (std::size_t n = 1; n <= members.size(); ++n) {
        const MemberRecord& m = members[n - 1];
        const auto& s = byMember[n];
        EXPECT_NEAR(+m.Share1, m.YearStartShare1 + s[1] + s[9] - s[5], 0.005) << n;
        EXPECT_NEAR(+m.Share2, m.YearStartShare2 + s[2] - s[6], 0.005) << n;
        EXPECT_NEAR(+m.LoanBalance, m.YearStartLoan + s[7] - s[3], 0.005) << n;
        for (double money : {+m.Share1, +m.Share2, +m.LoanBalance, +m.InterestDue}) {
            EXPECT_GE(money, 0) << n;
            EXPECT_EQ(money, RoundMoney(money)) << n;
        }
    }

    // Each period end added every Share 1 as its day left it to the member's running sum.
    std::vector<double> share1Sums(members.size() + 1);
    for (const SyslogRecord& r : Records<SyslogRecord>("syslog.d32")) {
        if (!r.Description.view().starts_with("Process Month")) continue;
        std::vector<double> share1(members.size() + 1);
        for (std::size_t n = 1; n <= members.size(); ++n)
            share1[n] = members[n - 1].YearStartShare1;
        for (const MemberLogEntry& e : memlog) {
            if (e.Date > r.Date) break;  // the log is in date order
            const int t = e.TransType;
            share1[static_cast<std::size_t>(e.MemberNo)] += t == 1 || t == 9 ? +e.Amount
                                                            : t == 5         ? -e.Amount
                                                                             : 0;
        }
        for (std::size_t n = 1; n <= members.size(); ++n) share1Sums[n] += share1[n];
    }
    for (std::size_t n = 1; n <= members.size(); ++n)
        EXPECT_NEAR(+members[n - 1].Share1Sum, share1Sums[n], 0.005) << n;

    const auto account = [&](int n) { return accounts[static_cast<std::size_t>(n)]; };
    // The control accounts move by their type's entries; dividends are Share 1 deposits.
    year[1] += year[9];
    period[1] += period[9];
    for (int t = 1; t <= 8; ++t) {
        const auto i = static_cast<std::size_t>(t);
        EXPECT_NEAR(account(t).Balance - account(t).YearStartBalance, year[i], 0.005) << t;
        EXPECT_NEAR(account(t).Balance - account(t).PeriodStartBalance, period[i], 0.005) << t;
    }
    // Every other account by its own entries; the bank by the effect of all of them.
    std::array<double, 160> nominalYear{}, nominalPeriod{};
    double bankYear = 0, bankPeriod = 0;
    for (const NominalLogEntry& e : nomlog) {
        const auto a = static_cast<std::size_t>(e.AccountNo);
        nominalYear[a] += e.Amount;
        bankYear += BankEffect(e);
        if (e.Date > periodEnd) {
            nominalPeriod[a] += e.Amount;
            bankPeriod += BankEffect(e);
        }
    }
    EXPECT_NEAR(account(0).Balance - account(0).YearStartBalance, bankYear, 0.005);
    EXPECT_NEAR(account(0).Balance - account(0).PeriodStartBalance, bankPeriod, 0.005);
    for (int n = 20; n < 160; ++n) {
        const auto i = static_cast<std::size_t>(n);
        EXPECT_NEAR(account(n).Balance - account(n).YearStartBalance, nominalYear[i], 0.005) << n;
        EXPECT_NEAR(account(n).Balance - account(n).PeriodStartBalance, nominalPeriod[i], 0.005)
            << n;
    }
    // Each posting run logged what it did to the bank.
    double runs = 0;
    for (const SyslogRecord& r : Records<SyslogRecord>("syslog.d32")) {
        if (r.Description.view().starts_with("Post ")) runs += r.Amount;
    }
    EXPECT_NEAR(runs, bankYear, 0.005);

    // Budgets in whole tens that the year, eleven periods gone, has about met: none overrun
    // by more than six per cent, none far above what was taken or spent.
    int budgeted = 0;
    for (int n = 100; n < 160; ++n) {
        const double moved = nominalYear[static_cast<std::size_t>(n)];
        if (IsZeroMoney(moved)) continue;
        ++budgeted;
        EXPECT_LE(moved, account(n).Budget * 1.06) << n;
        EXPECT_LE(+account(n).Budget, moved * 1.2 + 10) << n;
    }
    EXPECT_GT(budgeted, 10);
}

TEST_F(Generator, HistoryLedgerBalancesOpensForUpdateAndPostsAsUsual) {
    MakeHistory();
    auto accounts = Records<NominalAccountRecord>("nomacc.d32");
    ASSERT_EQ(accounts.size(), 160u);
    Totals t = TrialTotals(accounts);
    EXPECT_GT(t.debit, 0);
    EXPECT_NEAR(t.debit, t.credit, 0.005);
    // The report itself comes to the same totals.
    LineCollector report;
    TrialBalance(accounts, report.sink());
    ASSERT_FALSE(report.lines.empty());
    EXPECT_EQ(report.lines.back(),
              "Totals                    " + Money11(t.debit) + "    " + Money11(t.debit));
    // The year's start balanced too: it is where the undivided earnings came from.
    for (auto& a : accounts) a.Balance = a.YearStartBalance;
    t = TrialTotals(accounts);
    EXPECT_NEAR(t.debit, t.credit, 0.005);

    // The consistency total vouches for the logs, so the folder opens without a restore
    // offer, and the batch after the history checks clean and posts.
    EXPECT_EQ(CheckMemberBatch(app->state, app->Today()).errors, 0);
    const auto logged = Records<MemberLogEntry>("memlog.d32").size();
    const MemberPosting posting = PostMemberBatch(app->state);
    ASSERT_TRUE(posting.opened);
    EXPECT_EQ(app->state.System.PeriodNumber, 12);
    EXPECT_TRUE(posting.outcome.ok());
    EXPECT_GT(Records<MemberLogEntry>("memlog.d32").size(), logged);
    t = TrialTotals(Records<NominalAccountRecord>("nomacc.d32"));
    EXPECT_NEAR(t.debit, t.credit, 0.005);
    ASSERT_TRUE(OpenFileSet(app->state, kUpdate)) << "the posting left the folder consistent";
    CloseFileSet(app->state, kEnquiry);
}

TEST_F(Generator, TheSameSeedGivesTheSameFilesAndAnotherSeedOthers) {
    const auto make = [&](const std::string& name, const std::string& seed) {
        const fs::path folder = program / name;
        const GenRun run = Gen({"--members", "50", "--batch", "40", "--seed", seed, "--date",
                                "08/12/2026", "--user", "ADM", folder.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        return std::pair{ReadBytes(folder / "memacc.d32"), ReadBytes(folder / "ADMMEM.t32")};
    };
    const auto a = make("A", "11");
    const auto b = make("B", "11");
    const auto c = make("C", "12");
    EXPECT_EQ(a.first.size(), 50 * sizeof(MemberRecord));
    EXPECT_EQ(a.second.size(), 40 * sizeof(MemberTransaction));
    EXPECT_EQ(a, b);
    EXPECT_NE(a.first, c.first);
    EXPECT_NE(a.second, c.second);
    // A new folder gets the templates' system record and chart.
    EXPECT_EQ(ReadBytes(program / "A" / "nomacc.d32"),
              ReadBytes(fs::path(TESSARY_BIN_DIR) / "nomacc.d32"));
}

TEST_F(Generator, TheSameSeedGivesTheSameHistoryAndAnotherSeedAnother) {
    const std::vector<std::string> files = {"sys.d32",    "memacc.d32", "memlog.d32", "nomacc.d32",
                                            "nomlog.d32", "syslog.d32", "ADMMEM.t32"};
    const auto make = [&](const std::string& name, const std::string& seed) {
        const fs::path folder = program / name;
        const GenRun run =
            Gen({"--members", "60", "--batch", "30", "--history", "900", "--cashbook", "50",
                 "--seed", seed, "--date", "15/06/2026", folder.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        std::vector<std::vector<unsigned char>> bytes;
        for (const auto& f : files) bytes.push_back(ReadBytes(folder / f));
        return bytes;
    };
    const auto a = make("A", "11");
    const auto b = make("B", "11");
    const auto c = make("C", "12");
    EXPECT_EQ(a[2].size(), 900 * sizeof(MemberLogEntry));
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(a[i], b[i]) << files[i];
        EXPECT_NE(a[i], c[i]) << files[i];
    }
    // The cash book took the entries asked for: those on income and expenditure accounts.
    std::vector<NominalLogEntry> nomlog(a[4].size() / sizeof(NominalLogEntry));
    std::memcpy(static_cast<void*>(nomlog.data()), a[4].data(), a[4].size());
    EXPECT_EQ(std::count_if(nomlog.begin(), nomlog.end(),
                            [](const NominalLogEntry& e) { return e.AccountNo >= 100; }),
              50);
}

TEST_F(Generator, BadArgumentsGetTheUsageAndStatusTwo) {
    const std::string folder = (program / "bad").string();
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--members", "10", "--batch", "5"},
        {"--members", "-1", "--batch", "5", folder},
        {"--members", "ten", "--batch", "5", folder},
        {"--members", "10", "--batch", "5", "--date", "31/02/2026", folder},
        {"--members", "0", "--batch", "5", folder},
        {"--members", "10", "--batch", "5", "--user", "TOOLONG", folder},
        {"--members", "10", "--batch", "5", "--colour", "red", folder},
        {"--members", "10", "--batch", "5", folder, "another"},
        {"--members", "10", "--batch"},
        {"--members", "10", "--batch", "5", "--history", "-1", folder},
        {"--members", "10", "--batch", "5", "--history", "10000001", folder},
        {"--members", "0", "--batch", "0", "--history", "5", folder},
        {"--members", "10", "--batch", "5", "--cashbook", "5", folder},
        {"--members", "10", "--batch", "5", "--history", "5", "--cashbook", "x", folder},
    };
    for (const auto& args : bad) {
        const GenRun run = Gen(args);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("usage: tessary-gen"), std::string::npos) << shown;
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Generator, AUserTheFolderDoesNotHaveIsRefusedBeforeAnythingIsWritten) {
    const GenRun run =
        Gen({"--members", "10", "--batch", "5", "--user", "XYZ", "--date", "08/12/2026", Folder()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("XYZ is not a user"), std::string::npos) << run.err;
    EXPECT_TRUE(ReadBytes(Data("memacc.d32")).empty());
    EXPECT_FALSE(fs::exists(Data("XYZMEM.t32")));
}

}  // namespace
}  // namespace tessary
