#include "tools/gen_demo.h"

#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/scripted.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/fileset.h"
#include "core/folder.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/records.h"
#include "core/state.h"
#include "tools/gen_common.h"
#include "tools/gen_data.h"

namespace tessary::gen {

namespace {

namespace fs = std::filesystem;
using std::chrono::months;
using std::chrono::year_month;

// The data folder's name inside the staging program folder while the demo is being made.
constexpr const char* kRunFolder = "DEMO";
constexpr const char* kUnionName = "Riverside Credit Union";
constexpr int kFounders = 28;
// Where the reports of the closing year are filed before the year end empties the logs.
constexpr const char* kYearEndReports = "YearEnd";
struct ClosingReport {
    const char* item;     // menu item
    const char* prompts;  // the answers to its prompt
    const char* file;
};
constexpr ClosingReport kClosingReports[] = {
    {"SystemControl1", "click OK\n", "system-control.txt"},
    {"TrialBalance1", "", "trial-balance.txt"},
    {"ProfitandLoss1", "", "profit-and-loss.txt"},
    {"BalanceSheet1", "", "balance-sheet.txt"},
    {"BudgetVariances1", "", "budget-variances.txt"},
    {"NominalTransactions1", "click OK\n", "nominal-transactions.txt"}};
constexpr int kMostMembers = 50;
// Who does the work: the founders' secretary sets the society up and closes its year, the
// treasurer keeps the members' details, the cash book and the month ends, and the clerk keys
// the collections. Passwords are typed in lower case, as users do.
struct User {
    const char* code;
    const char* password;
    const char* level;
};
constexpr User kSecretary = {"ADM", "tessary", "1"};
constexpr User kTreasurer = {"TOM", "ledger", "2"};
constexpr User kClerk = {"ANN", "savings", "3"};

// Shares set aside from lending, so that withdrawals can always be paid.
constexpr double kLendingShare = 0.75;

double Day(year_month month, unsigned day) {
    return ToDayNumber(month / std::chrono::day{day});
}

std::string Amount(double value) {
    return fmt::format("{:.2f}", value);
}

// A text as one script argument.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// How a member keeps his account over the year.
enum class Payer { Steady, Late, Stopping };
struct Saver {
    double joined = 0;
    double saving = 0;     // the usual Share 1 deposit at a collection
    double christmas = 0;  // the Share 2 (Christmas club) deposit, 0 for none
    Payer payer = Payer::Steady;
    double loanMultiple = 0;  // the loan asked for, as a multiple of savings; 0 never borrows
    double loanAfter = 0;     // days of membership before asking
    bool borrowed = false;
    double stopsPaying = 0;  // a stopping payer's last repayment is before this day
};

struct MemberEntry {
    int member = 0;
    int type = 0;
    double amount = 0;
    std::string cheque;
    double date = 0;
};

struct CashEntry {
    int account = 0;
    double amount = 0;
    std::string narrative;
};

class Demo {
  public:
    Demo(const DemoSettings& settings, fs::path programFolder)
        : random_(settings.seed),
          date_(settings.date),
          programFolder_(std::move(programFolder)),
          dataFolder_(programFolder_ / kRunFolder) {}

    // The whole history; an empty text when every run did what it was meant to.
    std::string Make() {
        const auto last = FromDayNumber(date_);
        const year_month first = year_month{last.year(), last.month()} - months{13};
        std::string error = Founding(Day(first, 3));
        // Twelve months of the year, then the first month of the next one.
        for (int i = 0; i <= 12 && error.empty(); ++i) {
            const year_month month = first + months{i};
            if (i == 12) error = CloseYear(Day(month, 2));
            if (error.empty()) error = Collection(Day(month, 7));
            if (error.empty()) error = Collection(Day(month, 21));
            if (error.empty()) error = CashBook(Day(month, 28), i);
            if (error.empty())
                error = ReconcileAndClose(Day(month, 28), i == 12 ? 1 : i + 1, i == 11);
        }
        if (error.empty()) error = Collection(date_);
        summary.members = static_cast<int>(savers_.size());
        return error;
    }

    DemoSummary summary;

  private:
    // One sign-on of `user` with `day` as today, doing `actions` on the program's forms.
    std::string Run(double day, const User& user, const std::string& actions) {
        ScriptedRun run;
        run.programFolder = programFolder_.string();
        run.today = FromDayNumber(day);
        run.arguments = {kRunFolder};
        const std::string text =
            fmt::format("type Password {}\nclick Next\n", user.password) + actions;
        std::istringstream script(text);
        std::ostringstream out, err;
        ++summary.runs;
        if (RunScriptHeadless(run, script, out, err) == 0) return {};
        return fmt::format("the run of {} by {} went wrong: {}{}", FormatDate(day), user.code,
                           err.str(), FailedAction(text, err.str()));
    }

    // The action that the runner's "script line N: ..." message names, to tell what went wrong.
    static std::string FailedAction(const std::string& text, const std::string& message) {
        constexpr std::string_view kPrefix = "script line ";
        if (!message.starts_with(kPrefix)) return {};
        int line = 0;
        const char* digits = message.data() + kPrefix.size();
        std::from_chars(digits, message.data() + message.size(), line);
        std::istringstream lines(text);
        std::string action;
        for (int i = 0; i < line && std::getline(lines, action); ++i) {
        }
        return line > 0 ? "while doing: " + action + "\n" : std::string();
    }

    template <typename Record>
    std::vector<Record> Read(DataFile which) const {
        File file;
        if (!file.Open(dataFolder_ / DataFileName(which), File::Access::ReadOnly)) return {};
        return ReadAllRecords<Record>(file);
    }

    std::string NextCheque() { return std::to_string(++cheque_); }

    // The founding meeting: the society's settings and budgets, and its first members with
    // their entrance fees and opening savings.
    std::string Founding(double day) {
        std::string actions = "menu SetUp1\ntype cuname " + Quoted(kUnionName) +
                              "\ntype Maxshares 3000\ntype maxloan 4000\nclick Next\n";
        int slot = 1;
        for (const User& u : {kTreasurer, kClerk}) {
            ++slot;
            actions +=
                fmt::format("cell Users {0} 0 {1}\ncell Users {0} 1 {2}\ncell Users {0} 2 {3}\n",
                            slot, u.code, u.password, u.level);
        }
        actions += "click Back\nclick Close\nexpect forms TFmain\n";
        struct Budget {
            int account;
            const char* name;  // for an account the chart lacks, else null
            double budget;
        };
        static const Budget kBudgets[] = {
            {101, nullptr, 60},    {103, nullptr, 100}, {120, nullptr, 250}, {121, nullptr, 200},
            {122, nullptr, 480},   {123, nullptr, 240}, {124, nullptr, 250}, {125, nullptr, 250},
            {126, nullptr, 100},   {127, nullptr, 90},  {128, nullptr, 120}, {129, nullptr, 100},
            {133, "Cleaning", 120}};
        actions += "menu MaintainAccounts1\n";
        for (const Budget& b : kBudgets) {
            actions += fmt::format("type Eaccno {}\ntab\n", b.account);
            if (b.name) actions += "type Eaccname " + Quoted(b.name) + "\n";
            actions += fmt::format("type Ebudget {}\nclick Next\n", Amount(b.budget));
        }
        actions += "click Close\nexpect forms TFmain\n";
        if (std::string error = Run(day, kSecretary, actions); !error.empty()) return error;

        std::vector<MemberEntry> batch;
        return Desk(day, Join(day, kFounders, batch, true), batch);
    }

    // A collection day's work: the treasurer's on the members' details, then the clerk's
    // batch.
    std::string Desk(double day, const std::string& details,
                     const std::vector<MemberEntry>& batch) {
        if (!details.empty()) {
            if (std::string error = Run(day, kTreasurer, details); !error.empty()) return error;
        }
        return batch.empty() ? std::string() : Run(day, kClerk, KeyAndPost(batch, kClerk));
    }

    // New members keyed on the maintenance form, with their entrance fee and first savings
    // in `batch`.
    std::string Join(double day, int count, std::vector<MemberEntry>& batch, bool founding) {
        std::string actions = "menu AddMembers1\n";
        for (int i = 0; i < count; ++i) {
            Person person = DrawPerson(random_, day);
            const MemberRecord& m = person.record;
            const bool group = m.MemberType.str() == "GROUP";
            actions += "type Edit1 " + Quoted(m.Name.str()) + "\n";
            const std::pair<const char*, std::string> fields[] = {
                {"Edit2", m.Address1.str()},   {"Edit3", m.Address2.str()},
                {"Edit4", m.Address3.str()},   {"Edit5", m.Address4.str()},
                {"Edit7", m.Phone.str()},      {"Edit9", m.MemberType.str()},
                {"Edit10", m.BirthDate.str()}, {"Edit11", FormatDate(day)}};
            for (const auto& [edit, text] : fields) {
                if (!text.empty()) actions += fmt::format("type {} {}\n", edit, Quoted(text));
            }
            actions += "click Next\n";

            Saver s;
            s.joined = day;
            s.saving = person.juvenile ? 5.0 * static_cast<double>(random_.Between(1, 4))
                                       : 5.0 * static_cast<double>(random_.Between(3, 30));
            if (group) s.saving *= 3;
            s.christmas =
                random_.Chance(0.3) ? 5.0 * static_cast<double>(random_.Between(1, 8)) : 0;
            const double roll = random_.Unit();
            s.payer = roll < 0.68 ? Payer::Steady : roll < 0.88 ? Payer::Late : Payer::Stopping;
            if (!person.juvenile && random_.Chance(0.75)) {
                s.loanMultiple = 2.0 + 2.0 * random_.Unit();
                s.loanAfter = static_cast<double>(random_.Between(30, 150));
            }
            savers_.push_back(s);
            const int number = static_cast<int>(savers_.size());
            const double first = founding ? 25.0 * static_cast<double>(random_.Between(4, 60))
                                          : 5.0 * static_cast<double>(random_.Between(4, 40));
            batch.push_back({number, kFee, 5, "", day});
            batch.push_back({number, kShare1Deposit, first, "", day});
        }
        return actions + "click Close\nexpect forms TFmain\n";
    }

    // A collection: members join, loans are granted, and the savings, repayments and
    // withdrawals collected are keyed, checked and posted.
    std::string Collection(double day) {
        const std::vector<MemberRecord> members = Read<MemberRecord>(DataFile::MemAcc);
        const std::vector<NominalAccountRecord> accounts =
            Read<NominalAccountRecord>(DataFile::NomAcc);
        const SystemRecord system = ReadSystem();
        const double earliest = std::max(+system.LastPeriodEndDate, day - 2);
        const auto dated = [&] {
            return std::max(earliest, day - static_cast<double>(random_.Between(0, 2)));
        };
        const bool firstOfMonth = FromDayNumber(day).day() <= std::chrono::day{10};
        const bool december = FromDayNumber(day).month() == std::chrono::December;

        std::vector<MemberEntry> batch;
        std::string actions;

        double shares = 0, lent = 0;
        for (const MemberRecord& m : members) {
            shares += m.Share1 + m.Share2;
            lent += m.LoanBalance;
        }
        double bank = accounts.empty() ? 0 : +accounts[0].Balance;
        std::string loans;
        for (std::size_t i = 0; i < members.size() && i < savers_.size(); ++i) {
            Saver& s = savers_[i];
            const MemberRecord& m = members[i];
            if (s.loanMultiple == 0 || s.borrowed || day - s.joined < s.loanAfter ||
                m.Share1 < 100) {
                continue;
            }
            const double amount =
                std::min(6000.0, 50 * std::round(std::max(500.0, m.Share1 * s.loanMultiple) / 50));
            if (lent + amount > kLendingShare * shares || bank - amount < 1000) continue;
            s.borrowed = true;
            lent += amount;
            bank -= amount;
            const bool monthly = random_.Chance(0.7);
            const double periods = monthly ? static_cast<double>(random_.Between(10, 30))
                                           : static_cast<double>(random_.Between(20, 60));
            const double repayment = std::ceil(amount * 1.08 / periods);
            s.stopsPaying = day + static_cast<double>(random_.Between(60, 150));
            ++summary.loans;
            const int number = static_cast<int>(i) + 1;
            loans += fmt::format(
                "type Ememno {}\ntab\ntype Edit14 {}\ntype Edit15 {}\ntype Edit16 {}\n"
                "type Edit17 {}\ntype Edit18 {}\nclick Next\n",
                number, summary.loans, FormatDate(day), Amount(amount), Amount(repayment),
                monthly ? "M" : "F");
            batch.push_back({number, kLoanAllocation, amount, NextCheque(), day});
        }
        if (!loans.empty()) actions += "menu UpdateMembers1\n" + loans + "click Close\n";

        for (std::size_t i = 0; i < members.size() && i < savers_.size(); ++i) {
            const Saver& s = savers_[i];
            const MemberRecord& m = members[i];
            const int number = static_cast<int>(i) + 1;
            if (random_.Chance(0.85)) {
                const double deposit =
                    std::max(5.0, 5 * std::round(s.saving * (0.6 + 0.8 * random_.Unit()) / 5));
                batch.push_back({number, kShare1Deposit, deposit, "", dated()});
            }
            if (s.christmas > 0 && !december && random_.Chance(0.8)) {
                batch.push_back({number, kShare2Deposit, s.christmas, "", dated()});
            }
            if (december && firstOfMonth && m.Share2 > 0) {
                batch.push_back({number, kShare2Withdraw, +m.Share2, NextCheque(), dated()});
            }
            const double owed = RoundMoney(m.LoanBalance + m.InterestDue);
            const bool due = m.Frequency.str() == "F" || firstOfMonth;
            if (m.LoanBalance > 0.005 && due) {
                double pay = std::min(+m.Repayment, owed);
                if (s.payer == Payer::Late) {
                    pay =
                        random_.Chance(0.55)
                            ? std::min(owed, std::round(m.Repayment * (0.3 + 0.7 * random_.Unit())))
                            : 0;
                } else if (s.payer == Payer::Stopping && day >= s.stopsPaying) {
                    pay = 0;
                }
                if (pay > 0) batch.push_back({number, kLoanRepayment, pay, "", dated()});
            }
            if (m.Share1 >= 300 && random_.Chance(0.04)) {
                const double cover = m.LoanBalance / 2;
                const double wanted =
                    10 * std::round(m.Share1 * (0.1 + 0.25 * random_.Unit()) / 10);
                if (m.Share1 - wanted >= cover) {
                    batch.push_back({number, kShare1Withdraw, wanted, NextCheque(), dated()});
                }
            }
        }

        const int room = kMostMembers - static_cast<int>(savers_.size());
        const double roll = random_.Unit();
        const int joining = std::min(room, roll < 0.15 ? 2 : roll < 0.8 ? 1 : 0);
        if (joining > 0 && !members.empty()) actions += Join(day, joining, batch, false);
        return Desk(day, actions, batch);
    }

    SystemRecord ReadSystem() const {
        RunState state;
        if (!state.Files[DataFile::Sys].Open(dataFolder_ / DataFileName(DataFile::Sys),
                                             File::Access::ReadOnly)) {
            return {};
        }
        LoadSystemRecord(state);
        return state.System;
    }

    // Keys `batch` on the entry form, checks it (the totals must be what was keyed) and posts it.
    std::string KeyAndPost(const std::vector<MemberEntry>& batch, const User& user) {
        std::string actions = "menu InputTransactions1\n";
        double value = 0;
        for (const MemberEntry& e : batch) {
            actions += fmt::format(
                "type Ememno {}\ntype Etype {}\ntype Eamount {}\ntype Echeque {}\ntype Edate {}\n"
                "click Next\n",
                e.member, e.type, Amount(e.amount), Quoted(e.cheque), FormatDate(e.date));
            value += e.type <= kFee ? e.amount : -e.amount;
        }
        summary.memberEntries += static_cast<int>(batch.size());
        return actions + "click Close\nmenu TotalTransactions1\n" +
               fmt::format("expect Lm \"Total - Count {:5d}   Value {:11.2f}\"\n", batch.size(),
                           value) +
               fmt::format(
                   "click Cancel\nmenu PostTransactions1\nexpect L4 \"Post Members "
                   "Transactions ? {}\"\nclick OK\nexpect forms TFview\nclick Close\n"
                   "expect forms TFmain\n",
                   user.code);
    }

    // The month's bills and receipts through the cash book.
    std::string CashBook(double day, int month) {
        const std::vector<NominalAccountRecord> accounts =
            Read<NominalAccountRecord>(DataFile::NomAcc);
        const std::string name = FormatLongDate(day).substr(FormatLongDate(day).find(' ') + 1);
        const std::string monthName = name.substr(0, name.find(' '));
        std::vector<CashEntry> entries;
        const auto pay = [&](int account, double amount, const std::string& what) {
            entries.push_back({account, amount, NextCheque() + " - " + what});
        };
        const auto pence = [&](int lo, int hi) {
            return static_cast<double>(random_.Between(lo, hi)) / 100;
        };
        const int year = month % 12;  // the month of the financial year, from 0
        pay(122, 40, "Rent " + monthName);
        if (year % 3 == 0) pay(133, 30, "Cleaning");
        pay(121, pence(1000, 2500), "Phone and postage");
        if (random_.Chance(0.6)) pay(120, pence(800, 4500), "Stationery");
        if (year % 3 == 2) pay(123, pence(4000, 9000), "Electricity");
        entries.push_back({127, pence(400, 1200), "Bank charges " + monthName});
        if (year % 3 == 2) entries.push_back({101, pence(500, 2500), "Bank interest"});
        // The year's one-off bills and takings, by the month of the financial year.
        struct OneOff {
            int month, account;
            double amount;
            const char* what;
        };
        static const OneOff kOneOffs[] = {
            {0, 128, 45, "Founding meeting hall"},  {1, 124, 240, "Fidelity insurance"},
            {1, 22, 649, "Computer and printer"},   {2, 126, 95, "League affiliation"},
            {3, 20, 180, "Filing cabinet"},         {5, 129, 80, "Treasurer's course"},
            {7, 103, 135.5, "Table quiz takings"},  {10, 125, 250, "Audit fee"},
            {11, 128, 60, "Annual general meeting"}};
        for (const OneOff& o : kOneOffs) {
            if (o.month != year) continue;
            if (AccountInRange(o.account)) {
                entries.push_back({o.account, o.amount, o.what});
            } else {
                pay(o.account, o.amount, o.what);
            }
        }
        // Money the members will not need soon earns interest on deposit.
        if (year == 6 && !accounts.empty() && accounts[0].Balance > 12000) {
            pay(41, 5000, "To deposit account");
        }

        std::string actions = "menu InputTransactions2\n";
        double value = 0;
        for (const CashEntry& e : entries) {
            actions += fmt::format("select ListBox1 {}\ntype Edit2 {}\ntype Edit3 {}\nclick Next\n",
                                   ListPosition(accounts, e.account), Amount(e.amount),
                                   Quoted(e.narrative));
            value += AccountInRange(e.account) ? e.amount : -e.amount;
        }
        summary.cashbookEntries += static_cast<int>(entries.size());
        actions += "click Close\nmenu TotalTransactions2\n" +
                   fmt::format("expect Lm \"Total - Count {:5d}   Value {:11.2f}\"\n",
                               entries.size(), value) +
                   fmt::format(
                       "click Cancel\nmenu Post2\nexpect Lm \"Post Nominal Transactions ? "
                       "{}\"\nclick OK\nexpect Lm \"Posting Completed\"\n",
                       kTreasurer.code);
        return Run(day, kTreasurer, actions);
    }

    // Where an account stands in the cash book's list: the accounts in use from 20 on.
    static int ListPosition(const std::vector<NominalAccountRecord>& accounts, int account) {
        int position = 0;
        for (int a = kFixedAssetsStart; a < account && a < static_cast<int>(accounts.size()); ++a) {
            if (!accounts[static_cast<std::size_t>(a)].AccountName.empty()) ++position;
        }
        return position;
    }

    // Ticks off what the bank statement shows (everything but the last few days' items, or all
    // of it at the year's last month), checks the total against the statement, then closes the
    // period.
    std::string ReconcileAndClose(double day, int period, bool everything) {
        const auto accounts = Read<NominalAccountRecord>(DataFile::NomAcc);
        const auto log = Read<NominalLogEntry>(DataFile::NomLog);
        double statement = accounts.empty() ? 0 : +accounts[0].YearStartBalance;
        std::vector<std::size_t> ticks;
        for (std::size_t n = 0; n < log.size(); ++n) {
            const NominalLogEntry& e = log[n];
            const bool cleared = e.Reconciled != 0 || everything || e.Date <= day - 4;
            if (!cleared) continue;
            statement += AccountInRange(e.AccountNo) ? +e.Amount : -e.Amount;
            if (e.Reconciled == 0) ticks.push_back(n);
        }
        constexpr std::size_t kRows = 23;
        std::string actions =
            "menu Reconcile\ntype E2 " + Amount(statement) + "\nclick OK\nexpect forms TFbank\n";
        if (!ticks.empty()) {
            const std::size_t lowest = ticks.front() / kRows;
            for (std::size_t page = log.size() / kRows;; --page) {
                for (std::size_t n : ticks) {
                    if (n / kRows == page) actions += fmt::format("select Bank {}\n", n % kRows);
                }
                if (page == lowest) break;
                actions += "click Previous\n";
            }
        }
        actions += fmt::format("expect Lbanked \"{:11.2f}\"\nclick Close\n", statement);
        actions += fmt::format(
            "menu PeriodEnd1\nclick Button1\nexpect Lm \"Do Period End Processing for Month {} "
            "?\"\nclick OK\nexpect Lm \"Period End Processing Finished\"\n",
            period);
        return Run(day, kTreasurer, actions);
    }

    // The year's closing reports filed as the year end asks, the year end, then the dividend
    // at the highest rate in half percent steps that the year's earnings cover with a quarter
    // to spare.
    std::string CloseYear(double day) {
        // The viewer takes a file name as a user types it, in the program's character set,
        // so the reports are filed under the temporary folder and then moved beside the data.
        std::error_code ec;
        const fs::path filed =
            fs::temp_directory_path(ec) / fmt::format("tessary-demo-{}", ::getpid());
        fs::remove_all(filed, ec);
        fs::create_directories(filed, ec);
        std::string actions;
        for (const auto& [item, prompts, file] : kClosingReports) {
            actions +=
                fmt::format("menu {}\n{}expect forms TFview\nclick BFile\nfile {}\nclick Close\n",
                            item, prompts, Quoted((filed / file).string()));
        }
        std::string error = Run(
            day, kSecretary,
            actions +
                "menu YearEnd1\nclick Button1\nexpect Lm \"Make sure that you have printed all "
                "reports for this year\"\nclick OK\nexpect Lm \"Year End Processing Finished\"\n");
        const fs::path printed = dataFolder_ / kYearEndReports;
        fs::create_directories(printed, ec);
        for (const auto& report : kClosingReports) {
            if (!error.empty()) break;
            // Copied, not renamed: the temporary folder may be on another file system.
            fs::copy_file(filed / report.file, printed / report.file, ec);
            if (ec) error = fmt::format("cannot keep the filed {}: {}", report.file, ec.message());
        }
        fs::remove_all(filed, ec);
        if (!error.empty()) return error;
        summary.yearEnd = day;
        double sums = 0;
        for (const MemberRecord& m : Read<MemberRecord>(DataFile::MemAcc))
            sums += m.Share1SumLastYear;
        const auto accounts = Read<NominalAccountRecord>(DataFile::NomAcc);
        const double earnings = accounts.size() > 80 ? +accounts[80].Balance : 0;
        double rate = 5;
        while (rate > 0 && sums * rate / 1200 > 0.75 * earnings) rate -= 0.5;
        if (rate <= 0) return "the year made too small a surplus to pay a dividend";
        summary.dividendRate = fmt::format("{:.1f}", rate);
        return Run(day, kSecretary,
                   "menu DividendAllocation1\nclick Button1\nexpect forms TFdividend\n"
                   "type Edit2 " +
                       summary.dividendRate +
                       "\nclick Button3\nexpect forms TFview\nclick Close\n"
                       "expect forms TFmain\n");
    }

    Random random_;
    double date_;
    fs::path programFolder_;
    fs::path dataFolder_;
    std::vector<Saver> savers_;  // by membership number - 1
    std::int64_t cheque_ = 100100;
};

bool HoldsData(const fs::path& folder) {
    std::error_code ec;
    for (DataFile f : kDataFiles) {
        if (fs::exists(folder / DataFileName(f), ec)) return true;
    }
    return false;
}

}  // namespace

DemoOutcome GenerateDemo(const DemoSettings& settings) {
    DemoOutcome outcome;
    const auto fail = [&outcome](int status, std::string error) {
        outcome.status = status;
        outcome.error = std::move(error);
        return outcome;
    };
    fs::path target = fs::path(settings.folder).lexically_normal();
    if (!target.empty() && !target.has_filename()) target = target.parent_path();
    if (target.empty() || target == "." || target == "..") return fail(2, "no data folder given");
    // The program finds a data folder by its name alone, so the demo must have a name it takes.
    const std::string name = target.filename().string();
    const FolderChoice choice = ChooseFolderName({name});
    if (!choice.ok()) return fail(2, choice.error);
    if (choice.folder != name) {
        return fail(2, fmt::format("Tessary would not open \"{}\" as it stands: a data folder's "
                                   "name has at most 8 characters and is not \"patch\"",
                                   name));
    }
    std::error_code ec;
    if (fs::exists(target, ec)) {
        if (!fs::is_directory(target, ec)) return fail(2, target.string() + " is not a folder");
        if (HoldsData(target)) {
            return fail(2, target.string() +
                               " already holds a co-operative's data; the demo is only made in "
                               "a new folder");
        }
    }
    for (const char* t : {DataFileName(DataFile::Sys), DataFileName(DataFile::NomAcc)}) {
        if (!fs::exists(fs::path(settings.templateFolder) / t, ec)) {
            return fail(
                1, fmt::format("the template {} is missing from {}", t, settings.templateFolder));
        }
    }

    // The demo is made in a staging program folder beside the target, holding the templates,
    // and moved into place only when the whole year has gone through.
    const fs::path staging =
        fs::absolute(target, ec).parent_path() / ("." + target.filename().string() + ".making");
    fs::remove_all(staging, ec);
    fs::create_directories(staging, ec);
    for (const char* t : {DataFileName(DataFile::Sys), DataFileName(DataFile::NomAcc)}) {
        fs::copy_file(fs::path(settings.templateFolder) / t, staging / t, ec);
        if (ec) {
            fs::remove_all(staging, ec);
            return fail(1, fmt::format("cannot prepare {}: {}", staging.string(), ec.message()));
        }
    }
    Demo demo(settings, staging);
    std::string error = demo.Make();
    outcome.summary = demo.summary;
    const fs::path made = staging / kRunFolder;
    if (error.empty() && HoldsData(target)) error = target.string() + " was filled meanwhile";
    if (error.empty()) {
        if (!fs::exists(target, ec)) {
            fs::rename(made, target, ec);
        } else {
            for (const auto& entry : fs::directory_iterator(made, ec)) {
                fs::rename(entry.path(), target / entry.path().filename(), ec);
                if (ec) break;
            }
        }
        if (ec)
            error = fmt::format("cannot move the demo into {}: {}", target.string(), ec.message());
    }
    fs::remove_all(staging, ec);
    if (!error.empty()) return fail(1, error);
    return outcome;
}

}  // namespace tessary::gen
