#include "tools/gen_history.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/dates.h"
#include "core/money.h"
#include "core/state.h"
#include "members/loan.h"
#include "tools/gen_common.h"

namespace tessary::gen {

namespace {

namespace fs = std::filesystem;

// Amounts are kept in whole pence while the year is made, so that every sum the books are
// checked by is exact; they become Doubles only when stored.
using Pence = std::int64_t;

Pence ToPence(double x) {
    return std::llround(x * 100);
}
double Money(Pence p) {
    return RoundMoney(static_cast<double>(p) / 100);
}

// The same day `months` months later (earlier when negative), or the month's last day when
// it is shorter.
DayNumber MonthsAfter(DayNumber day, int months) {
    using namespace std::chrono;
    const year_month_day ymd = FromDayNumber(day);
    const year_month ym = year_month{ymd.year(), ymd.month()} + std::chrono::months{months};
    const year_month_day_last last{ym.year(), month_day_last{ym.month()}};
    return ToDayNumber(ym / std::min(ymd.day(), last.day()));
}

bool IsWorkingDay(DayNumber day) {
    using namespace std::chrono;
    const weekday w{sys_days{FromDayNumber(day)}};
    return w != Saturday && w != Sunday;
}

// `total` spread over days of the given weights, each day's share drawn around its
// expectation; the last day takes what is left, so the counts always add up.
std::vector<std::int64_t> Spread(std::int64_t total, const std::vector<double>& weights,
                                 Random& random) {
    std::vector<std::int64_t> counts(weights.size());
    double weightLeft = 0;
    for (double w : weights) weightLeft += w;
    std::int64_t left = total;
    for (std::size_t i = 0; i < weights.size() && left > 0; ++i) {
        if (i + 1 == weights.size()) {
            counts[i] = left;
            break;
        }
        const double expected = static_cast<double>(left) * weights[i] / weightLeft;
        const auto n =
            static_cast<std::int64_t>(std::llround(expected * (0.6 + 0.8 * random.Unit())));
        counts[i] = std::min(left, n);
        left -= counts[i];
        weightLeft -= weights[i];
    }
    return counts;
}

// A period of the loan's frequency; a record without one counts by the month.
double PeriodDays(std::string_view frequency) {
    const double days = FrequencyDays(frequency);
    return days > 0 ? days : FrequencyDays("M");
}

// The users entitled to each kind of run: member posting takes rights level 3 or better,
// nominal posting and period end 2, dividend allocation 1. Only users who can sign on count.
struct Users {
    std::vector<std::string> posting, supervisors, controllers;

    Users(const SystemRecord& system, const std::string& fallback) {
        for (int i = 0; i < kUserSlots; ++i) {
            const std::string code = system.UserCodes[i].str();
            const int level = system.UserLevels[i];
            if (code.empty() || system.UserPasswords[i].empty()) continue;
            if (level >= 1 && level <= 3) posting.push_back(code);
            if (level >= 1 && level <= 2) supervisors.push_back(code);
            if (level == 1) controllers.push_back(code);
        }
        for (auto* list : {&posting, &supervisors, &controllers}) {
            if (list->empty()) list->push_back(fallback);
        }
    }
    static const std::string& Pick(const std::vector<std::string>& list, Random& random) {
        return list[random.Index(list.size())];
    }
};

// Where a member stands during the year.
struct Holding {
    Pence share1 = 0;
    Pence share2 = 0;
    Pence loan = 0;
    Pence interest = 0;  // interest due as stored
    Pence interestPaid = 0;
    Pence share1Sum = 0;  // Share 1 at each period end so far
    double lastPay = 0;
    bool juvenile = false;
    bool listed = false;  // in the borrowers' list
};

// One member transaction as posting splits it: amounts by type 1 to 8.
using Split = std::array<Pence, 9>;

int Entries(const Split& split) {
    int n = 0;
    for (int t = 1; t <= 8; ++t) n += split[static_cast<std::size_t>(t)] != 0;
    return n;
}

// Last year's dividend of a member: 3 per cent a year of the average Share 1 balance.
Pence DividendOf(const MemberRecord& m) {
    return ToPence(RoundMoney(m.Share1SumLastYear * (3.0 / 1200)));
}

// Share of each keyed transaction type 1 to 7, in per cent.
constexpr std::array<int, 7> kTypeShares = {30, 8, 30, 5, 15, 6, 6};

class Year {
  public:
    Year(const fs::path& dir, const HistorySettings& settings, Random& random,
         std::vector<MemberRecord>& members, std::vector<NominalAccountRecord>& accounts,
         SystemRecord& system)
        : settings_(settings),
          random_(random),
          members_(members),
          accounts_(accounts),
          system_(system),
          users_(system, settings.fallbackUser),
          memlog_(dir / DataFileName(DataFile::MemLog)),
          nomlog_(dir / DataFileName(DataFile::NomLog)),
          syslog_(dir / DataFileName(DataFile::SysLog)) {}

    HistoryOutcome Run();

  private:
    void Begin();
    void Dividends(double day, std::int64_t count);
    void MemberRun(double day, std::int64_t slots);
    int Transaction(double day, std::int64_t slots, const std::string& user, Split& totals);
    void CashbookRun(double day, std::int64_t entries);
    void PeriodEnd(double day, int period);
    void CloseBooks();

    Pence InterestDueNow(const Holding& h, double day) const;
    Split Repayment(const Holding& h, double day, Pence amount) const;
    std::size_t AnyMember() { return random_.Index(members_.size()); }
    std::size_t Borrower();
    void SetUpLoan(std::size_t who, double day, Pence amount);

    void MemberEntry(std::size_t who, int type, Pence amount, double day, const std::string& user);
    void NominalEntry(int account, Pence amount, double day, const std::string& user,
                      std::string_view narrative, bool reconciled);
    void SystemEntry(Pence amount, double day, const std::string& user,
                     std::string_view description);
    bool Cleared(double day) const { return day <= statementDate_; }
    void Move(int account, Pence amount) { movement_[static_cast<std::size_t>(account)] += amount; }
    void BankMoved(Pence amount) {
        Move(kBankAccount, amount);
        lowestBank_ = std::min(lowestBank_, movement_[kBankAccount]);
    }

    const HistorySettings& settings_;
    Random& random_;
    std::vector<MemberRecord>& members_;
    std::vector<NominalAccountRecord>& accounts_;
    SystemRecord& system_;
    Users users_;
    RecordWriter<MemberLogEntry> memlog_;
    RecordWriter<NominalLogEntry> nomlog_;
    RecordWriter<SyslogRecord> syslog_;

    std::vector<Holding> holdings_;
    std::vector<std::size_t> borrowers_;
    std::int32_t loanNumber_ = 0;
    std::int64_t cheque_ = 0;
    std::int64_t transactions_ = 0;
    double monthlyRate_ = 0;
    double dailyRate_ = 0;
    double statementDate_ = 0;  // the bank has cleared what it saw up to this day
    Pence dividendTotal_ = 0;

    std::array<Pence, kNominalAccountCount> movement_{};  // since the year's start
    std::array<Pence, kNominalAccountCount> periodStart_{};
    Pence lowestBank_ = 0;

    std::vector<int> cashbookAccounts_;
    std::vector<double> cashbookWeights_;
    std::vector<Pence> cashbookEntryAmount_;  // a typical entry, by account
    double lastPosting_ = 0;
    std::int32_t postingDays_ = 0;
};

void Year::Begin() {
    monthlyRate_ = system_.InterestRate * 0.01;
    dailyRate_ = system_.InterestRate * 12 / 36525;
    cheque_ = random_.Between(100000, 800000);
    const double yearStart = MonthsAfter(settings_.date, -12);

    // The members as the last year end left them: their balances then are the year-start
    // balances, and every loan was made before it.
    holdings_.resize(members_.size());
    for (std::size_t i = 0; i < members_.size(); ++i) {
        MemberRecord& m = members_[i];
        Holding& h = holdings_[i];
        h.share1 = ToPence(m.Share1);
        h.share2 = ToPence(m.Share2);
        h.loan = ToPence(m.LoanBalance);
        h.interest = ToPence(m.InterestDue);
        h.interestPaid = ToPence(m.InterestPaid);
        h.juvenile = m.MemberType == "JUVENILE";
        if (m.LoanDate > yearStart) {
            m.LoanDate = m.LoanDate - 365;
            m.LastPayDate = m.LastPayDate - 365;
        }
        if (m.LoanDate > 0) m.LastPayDate = std::min(+m.LastPayDate, yearStart);
        h.lastPay = m.LastPayDate;
        m.YearStartShare1 = m.Share1;
        m.YearStartShare2 = m.Share2;
        m.YearStartLoan = m.LoanBalance;
        m.YearStartInterestDue = m.InterestDue;
        // Last year's twelve period-end balances, for the dividend.
        m.Share1Sum = 0;
        m.Share1SumLastYear = RoundMoney(12 * m.Share1 * (0.85 + 0.15 * random_.Unit()));
        loanNumber_ = std::max(loanNumber_, +m.LoanNumber);
        if (h.loan > 0) {
            borrowers_.push_back(i);
            h.listed = true;
        }
    }

    // The cash book spends on the accounts in use, each in proportion to its budget, and
    // more for a larger membership.
    const auto members = static_cast<double>(members_.size());
    const double incomeYear = 500 + 2 * members;
    const double spendingYear = 3000 + 6 * members;
    double incomeWeight = 0, spendingWeight = 0;
    for (int a = kIncomeStart; a < kNominalAccountCount; ++a) {
        const NominalAccountRecord& r = accounts_[static_cast<std::size_t>(a)];
        if (r.AccountName.empty()) continue;
        const double weight = std::max(+r.Budget, 50.0);
        cashbookAccounts_.push_back(a);
        cashbookWeights_.push_back(weight);
        (a < kExpenditureStart ? incomeWeight : spendingWeight) += weight;
    }
    const double entries = std::max(1.0, static_cast<double>(settings_.cashbookEntries));
    double weights = incomeWeight + spendingWeight;
    for (std::size_t i = 0; i < cashbookAccounts_.size(); ++i) {
        const bool income = cashbookAccounts_[i] < kExpenditureStart;
        const double yearAmount =
            (income ? incomeYear / incomeWeight : spendingYear / spendingWeight) *
            cashbookWeights_[i];
        const double count = std::max(1.0, entries * cashbookWeights_[i] / weights);
        cashbookEntryAmount_.push_back(std::max<Pence>(100, ToPence(yearAmount / count)));
    }
}

Pence Year::InterestDueNow(const Holding& h, double day) const {
    if (h.loan == 0) return 0;
    if (system_.InterestMethod == 1) return h.interest;
    return ToPence(RoundMoney(dailyRate_ * Money(h.loan) * (day - h.lastPay) + Money(h.interest)));
}

// A repayment goes to interest due first, then to the loan, and what is left to Share 1.
Split Year::Repayment(const Holding& h, double day, Pence amount) const {
    Split split{};
    Pence interest = 0, principal = 0, excess = 0;
    if (h.loan > 0) {
        const Pence due = InterestDueNow(h, day);
        const Pence owed = due + h.loan;
        if (due > amount) {
            interest = amount;
        } else if (amount > owed) {
            interest = due;
            principal = owed - due;
            excess = amount - interest - principal;
        } else {
            interest = due;
            principal = amount - due;
        }
    } else {
        excess = amount;
    }
    split[3] = principal;
    split[8] = interest;
    split[1] = excess;
    return split;
}

std::size_t Year::Borrower() {
    if (borrowers_.empty()) return AnyMember();
    std::size_t who = borrowers_[random_.Index(borrowers_.size())];
    for (int tries = 1; tries < 20 && holdings_[who].loan <= 0; ++tries)
        who = borrowers_[random_.Index(borrowers_.size())];
    return who;
}

// New loan terms, as maintenance sets them before the loan is paid out; a member who
// already owes has the new loan replace the old one's terms.
void Year::SetUpLoan(std::size_t who, double day, Pence amount) {
    MemberRecord& m = members_[who];
    Holding& h = holdings_[who];
    const std::string_view frequency = random_.Pick(kRepaymentFrequencies).letter;
    const double periods =
        static_cast<double>(random_.Between(6, 36)) * FrequencyDays("M") / PeriodDays(frequency);
    const Pence granted = h.loan + amount;
    m.LoanNumber = ++loanNumber_;
    m.LoanDate = day;
    m.Frequency.set(frequency);
    m.LoanAmount = Money(granted);
    m.Repayment = std::ceil(Money(granted) * 1.06 / std::max(1.0, std::floor(periods)));
    m.MaxLoan = std::max(+m.MaxLoan, Money(granted));
    h.interestPaid = 0;
    if (!h.listed) {
        borrowers_.push_back(who);
        h.listed = true;
    }
}

void Year::MemberEntry(std::size_t who, int type, Pence amount, double day,
                       const std::string& user) {
    MemberLogEntry e;
    e.Amount = Money(amount);
    e.Date = day;
    e.MemberNo = static_cast<std::int32_t>(who) + 1;
    e.TransType = type;
    e.UserCode.set(user);
    memlog_.Add(e);
}

void Year::NominalEntry(int account, Pence amount, double day, const std::string& user,
                        std::string_view narrative, bool reconciled) {
    NominalLogEntry e;
    e.Amount = Money(amount);
    e.AccountNo = account;
    e.Date = day;
    e.UserCode.set(user);
    e.Narrative.set(narrative);
    e.Reconciled = reconciled ? 1 : 0;
    nomlog_.Add(e);
}

void Year::SystemEntry(Pence amount, double day, const std::string& user,
                       std::string_view description) {
    SyslogRecord e;
    e.Amount = Money(amount);
    e.Date = day;
    e.UserCode.set(user);
    e.Description.set(description);
    syslog_.Add(e);
}

// Dividends on last year's Share 1 out of undivided earnings, to the first `count` members
// (in record order) that have earned one: the others wait for a later run.
void Year::Dividends(double day, std::int64_t count) {
    const std::string& user = Users::Pick(users_.controllers, random_);
    for (std::size_t i = 0; i < members_.size() && count > 0; ++i) {
        MemberRecord& m = members_[i];
        const Pence dividend = DividendOf(m);
        if (dividend <= 0) continue;
        holdings_[i].share1 += dividend;
        m.Share1SumLastYear = 0;
        dividendTotal_ += dividend;
        MemberEntry(i, 9, dividend, day, user);
        --count;
    }
    Move(1, dividendTotal_);
    Move(80, -dividendTotal_);
    // The pair leaves the bank as it was, and is reconciled from the start.
    NominalEntry(80, -dividendTotal_, day, user, "Dividend Allocation", true);
    NominalEntry(kBankAccount, dividendTotal_, day, user, "Dividend Shares", true);
    SystemEntry(dividendTotal_, day, user, "Allocate Dividends");
}

// One keyed transaction, posted: returns the member log entries it made. A transaction that
// would need more entries than the day has left becomes a plain Share 1 deposit.
int Year::Transaction(double day, std::int64_t slots, const std::string& user, Split& totals) {
    // The year's first seven transactions are one of each keyed type; the rest are drawn.
    int type = 1;
    if (transactions_ < 7) {
        type = static_cast<int>(transactions_) + 1;
    } else {
        std::int64_t roll = random_.Between(0, 99);
        for (std::size_t i = 0; i < kTypeShares.size(); ++i) {
            roll -= kTypeShares[i];
            if (roll < 0) {
                type = static_cast<int>(i) + 1;
                break;
            }
        }
    }
    ++transactions_;

    const auto pounds = [&](std::int64_t lo, std::int64_t hi, double penceChance) {
        Pence p = 100 * random_.Between(lo, hi);
        if (random_.Chance(penceChance)) p += random_.Between(1, 99);
        return p;
    };
    std::size_t who = AnyMember();
    Pence amount = 0;
    Split split{};
    switch (type) {
        case 3: {
            who = Borrower();
            const Holding& h = holdings_[who];
            const MemberRecord& m = members_[who];
            if (h.loan <= 0 || m.Repayment <= 0) {
                type = 1;
                break;
            }
            // What has fallen due since the last payment, more or less.
            const double due = std::clamp(
                std::round((day - h.lastPay) / PeriodDays(m.Frequency.view())), 1.0, 26.0);
            const double roll = random_.Unit();
            const double factor = roll < 0.7 ? 1 : roll < 0.85 ? 0.5 : 1.5;
            amount = std::max<Pence>(100, ToPence(m.Repayment * due * factor));
            split = Repayment(h, day, amount);
            break;
        }
        case 4: {
            constexpr std::array<Pence, 5> kFees = {100, 200, 500, 1000, 2500};
            amount = random_.Pick(kFees);
            break;
        }
        case 5:
        case 6: {
            // Withdrawals stay within the balance.
            const auto balance = [&](std::size_t i) {
                return type == 5 ? holdings_[i].share1 : holdings_[i].share2;
            };
            for (int tries = 1; tries < 20 && balance(who) < 1000; ++tries) who = AnyMember();
            if (balance(who) < 1000) {
                type = type == 5 ? 1 : 2;  // nothing to draw: it becomes a lodgement
                break;
            }
            amount = random_.Chance(0.1) ? balance(who)
                                         : std::min(balance(who), 1000 * random_.Between(1, 60));
            break;
        }
        case 7: {
            // Mostly a first loan to an adult member without one; otherwise a top-up.
            if (random_.Chance(0.7)) {
                for (int tries = 1;
                     tries < 20 && (holdings_[who].loan != 0 || holdings_[who].juvenile); ++tries)
                    who = AnyMember();
            } else {
                who = Borrower();
            }
            if (holdings_[who].juvenile) {
                type = 1;
                break;
            }
            amount = 5000 * random_.Between(4, 160);
            break;
        }
        default:
            break;
    }
    if (type == 1 && amount == 0) amount = pounds(5, 250, 0.25);
    if (type == 2 && amount == 0) amount = pounds(5, 100, 0.1);
    if (type != 3) split[static_cast<std::size_t>(type)] = amount;
    if (Entries(split) > slots) {
        type = 1;
        amount = pounds(5, 250, 0.25);
        split = Split{};
        split[1] = amount;
    }

    Holding& h = holdings_[who];
    switch (type) {
        case 1:
            h.share1 += amount;
            break;
        case 2:
            h.share2 += amount;
            break;
        case 3:
            if (h.loan > 0) {
                const Pence due = InterestDueNow(h, day);
                h.interestPaid += split[8];
                h.interest = due - split[8];
                h.loan -= split[3];
            }
            h.share1 += split[1];
            h.lastPay = day;
            break;
        case 5:
            h.share1 -= amount;
            break;
        case 6:
            h.share2 -= amount;
            break;
        case 7:
            SetUpLoan(who, day, amount);
            if (h.loan > 0) h.interest = InterestDueNow(h, day);
            h.lastPay = day;
            h.loan += amount;
            break;
        default:
            break;
    }
    const int made = Entries(split);
    for (int t = 8; t >= 1; --t) {
        const Pence part = split[static_cast<std::size_t>(t)];
        if (part == 0) continue;
        MemberEntry(who, t, part, day, user);
        totals[static_cast<std::size_t>(t)] += part;
    }
    if (type >= 5) {
        // Money paid out goes by cheque, mostly numbered; a few are never presented.
        const std::string number = random_.Chance(0.85) ? fmt::format("{}", cheque_++) : "";
        NominalEntry(kBankAccount, -amount, day, user,
                     fmt::format("{:<8} Paid to Member {:>5}", number, who + 1),
                     Cleared(day) && !random_.Chance(0.02));
    }
    return made;
}

// A day's member batch, posted: the log entries, the cheques, one receipt for the money
// taken in, the control accounts and the run's system log entry.
void Year::MemberRun(double day, std::int64_t slots) {
    if (slots <= 0) return;
    const std::string& user = Users::Pick(users_.posting, random_);
    Split totals{};
    while (slots > 0) slots -= Transaction(day, slots, user, totals);
    const Pence receipts = totals[1] + totals[2] + totals[3] + totals[4] + totals[8];
    const Pence payments = totals[5] + totals[6] + totals[7];
    SystemEntry(receipts - payments, day, user, "Post Members Transactions");
    if (receipts != 0) {
        NominalEntry(kBankAccount, receipts, day, user, "In payments from members", Cleared(day));
    }
    for (int t = 1; t <= 8; ++t) Move(t, totals[static_cast<std::size_t>(t)]);
    BankMoved(receipts - payments);
    lastPosting_ = day;
}

// A day's cash-book batch, posted: income paid in and expenses paid out of the bank.
void Year::CashbookRun(double day, std::int64_t entries) {
    if (entries <= 0 || cashbookAccounts_.empty()) return;
    const std::string& user = Users::Pick(users_.supervisors, random_);
    double weights = 0;
    for (double w : cashbookWeights_) weights += w;
    Pence bank = 0;
    for (std::int64_t i = 0; i < entries; ++i) {
        double roll = random_.Unit() * weights;
        std::size_t k = 0;
        while (k + 1 < cashbookAccounts_.size() && roll >= cashbookWeights_[k])
            roll -= cashbookWeights_[k++];
        const int account = cashbookAccounts_[k];
        const Pence amount =
            std::max<Pence>(100, ToPence(Money(cashbookEntryAmount_[k]) * (0.5 + random_.Unit())));
        const bool income = account < kExpenditureStart;
        const std::string name = accounts_[static_cast<std::size_t>(account)].AccountName.str();
        const std::string narrative =
            income ? fmt::format("Lodged - {}", name) : fmt::format("{:06} - {}", cheque_++, name);
        NominalEntry(account, amount, day, user, narrative,
                     Cleared(day) && (income || !random_.Chance(0.02)));
        Move(account, amount);
        bank += income ? amount : -amount;
    }
    SystemEntry(bank, day, user, "Post Nominal Transactions");
    BankMoved(bank);
    lastPosting_ = day;
}

// Closes a month: interest charged on loans when charged monthly, Share 1 added to the
// members' running sums, the period-start balances fixed, the run logged.
void Year::PeriodEnd(double day, int period) {
    for (Holding& h : holdings_) {
        if (system_.InterestMethod == 1 && h.loan != 0) {
            h.interest = ToPence(RoundMoney(monthlyRate_ * Money(h.loan) + Money(h.interest)));
        }
        h.share1Sum += h.share1;
    }
    periodStart_ = movement_;
    SystemEntry(0, day, Users::Pick(users_.supervisors, random_),
                fmt::format("Process Month {}", period));
    system_.PeriodNumber = period + 1;
    system_.LastPeriodEndDate = day;
}

// The year-start ledger, made to balance around what the year did, then every account's
// balances: year start, period start and now.
void Year::CloseBooks() {
    Pence share1 = 0, share2 = 0, loans = 0;
    for (const MemberRecord& m : members_) {
        share1 += ToPence(m.YearStartShare1);
        share2 += ToPence(m.YearStartShare2);
        loans += ToPence(m.YearStartLoan);
    }
    const Pence shares = share1 + share2;
    std::array<Pence, kNominalAccountCount> start{};
    const auto inUse = [&](int a) {
        return !accounts_[static_cast<std::size_t>(a)].AccountName.empty();
    };
    // A section's total shared among its accounts in use, by drawn weights.
    const auto share = [&](int from, int to, Pence total) {
        std::vector<int> used;
        for (int a = from; a < to; ++a)
            if (inUse(a)) used.push_back(a);
        Pence left = total;
        for (std::size_t i = 0; i < used.size(); ++i) {
            const Pence part =
                i + 1 == used.size()
                    ? left
                    : static_cast<Pence>(static_cast<double>(left) * (0.2 + 0.5 * random_.Unit()));
            start[static_cast<std::size_t>(used[i])] = part;
            left -= part;
        }
        return used.empty() ? 0 : total;
    };
    const auto members = static_cast<Pence>(members_.size());
    const Pence fixedAssets =
        share(kFixedAssetsStart, kCurrentAssetsStart, 200000 + 1500 * members);
    const Pence currentAssets =
        share(kCurrentAssetsStart, kCurrentLiabilitiesStart, shares / 20 + 10000);
    const Pence liabilities = share(kCurrentLiabilitiesStart, kCapitalStart, shares / 200 + 20000);
    const Pence reserves = share(kCapitalStart + 1, kIncomeStart, shares * 6 / 100);

    // The control accounts hold gross totals since the folder began; what they net to is the
    // members' year-start shares and loans.
    start[1] = share1 + share1 * 3 / 2;
    start[5] = share1 * 3 / 2;
    start[2] = share2 + share2 * 6 / 5;
    start[6] = share2 * 6 / 5;
    start[7] = loans + loans * 2;
    start[3] = loans * 2;
    start[4] = 300 * members;
    start[8] = loans * 15 / 100;
    // Income and expenditure carry two earlier years like this one.
    for (int a = kIncomeStart; a < kNominalAccountCount; ++a)
        start[static_cast<std::size_t>(a)] = 2 * movement_[static_cast<std::size_t>(a)];

    // Undivided earnings cover the dividend; the bank is what balances the books, and is
    // never overdrawn during the year: what it lacks comes in as earnings.
    Pence earnings = shares * 8 / 100 + dividendTotal_ + 100000;
    Pence bank = liabilities + shares + reserves + earnings - fixedAssets - currentAssets - loans;
    const Pence needed = -lowestBank_ + 100000 + shares / 50;
    if (bank < needed) {
        earnings += needed - bank;
        bank = needed;
    }
    start[kBankAccount] = bank;
    start[80] = earnings;

    for (int a = 0; a < kNominalAccountCount; ++a) {
        const auto i = static_cast<std::size_t>(a);
        NominalAccountRecord& r = accounts_[i];
        r.YearStartBalance = Money(start[i]);
        r.PeriodStartBalance = Money(start[i] + periodStart_[i]);
        r.Balance = Money(start[i] + movement_[i]);
        if (a >= kIncomeStart && movement_[i] != 0) {
            // A budget the year's spending or takings came close to.
            const double budget = Money(movement_[i]) * (0.95 + 0.2 * random_.Unit());
            r.Budget = std::max(10.0, std::ceil(budget / 10) * 10);
        }
    }
    for (std::size_t i = 0; i < members_.size(); ++i) {
        MemberRecord& m = members_[i];
        const Holding& h = holdings_[i];
        m.Share1 = Money(h.share1);
        m.Share2 = Money(h.share2);
        m.LoanBalance = Money(h.loan);
        m.InterestDue = Money(h.interest);
        m.InterestPaid = Money(h.interestPaid);
        m.LastPayDate = h.lastPay;
        m.Share1Sum = Money(h.share1Sum);
        m.MaxShares = std::max(+m.MaxShares, std::ceil(Money(h.share1 + h.share2) / 500) * 500);
    }
}

HistoryOutcome Year::Run() {
    HistoryOutcome outcome;
    const double date = settings_.date;
    const double yearStart = MonthsAfter(date, -12);
    Begin();

    std::vector<double> periodEnds;
    for (int k = 1; k <= 11; ++k) periodEnds.push_back(MonthsAfter(yearStart, k));
    statementDate_ = periodEnds.back();

    // Members are served on working days, busiest on Fridays.
    std::vector<double> days, weights;
    for (double d = yearStart + 1; d <= date; ++d) {
        if (!IsWorkingDay(d)) continue;
        days.push_back(d);
        using namespace std::chrono;
        weights.push_back(weekday{sys_days{FromDayNumber(d)}} == Friday ? 1.5 : 1.0);
    }
    // Dividends are allocated some three weeks into the year, to one member in forty.
    double dividendDay = 0;
    std::int64_t dividends = 0;
    const auto payday =
        std::find_if(days.begin(), days.end(), [&](double d) { return d >= yearStart + 22; });
    if (settings_.memberEntries >= 10 && payday != days.end()) {
        dividendDay = *payday;
        dividends = std::max<std::int64_t>(1, settings_.memberEntries / 40);
    }
    // Members who saved nothing last year earn nothing, so there may be fewer.
    std::int64_t earners = 0;
    for (const MemberRecord& m : members_) earners += DividendOf(m) > 0;
    dividends = std::min(dividends, earners);

    const auto slots = Spread(settings_.memberEntries - dividends, weights, random_);
    const auto cashbook = Spread(settings_.cashbookEntries, weights, random_);
    std::size_t next = 0;
    std::size_t period = 0;
    for (double d = yearStart + 1; d <= date; ++d) {
        if (next < days.size() && days[next] == d) {
            if (d == dividendDay && dividends > 0) Dividends(d, dividends);
            const bool posted = slots[next] > 0 || cashbook[next] > 0;
            MemberRun(d, slots[next]);
            CashbookRun(d, cashbook[next]);
            postingDays_ += posted;
            ++next;
        }
        if (period < periodEnds.size() && periodEnds[period] == d) {
            PeriodEnd(d, static_cast<int>(period) + 1);
            ++period;
        }
    }

    CloseBooks();
    outcome.logBytes = memlog_.Bytes() + nomlog_.Bytes() + syslog_.Bytes();
    if (outcome.logBytes > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        outcome.error = "the logs would outgrow the consistency total";
        return outcome;
    }
    if (!memlog_.Commit() || !nomlog_.Commit() || !syslog_.Commit()) {
        outcome.error = "cannot write the logs";
        return outcome;
    }
    if (lastPosting_ > 0) system_.LastPostingDate = lastPosting_;
    system_.ConsistencyTotal = static_cast<std::int32_t>(outcome.logBytes);
    outcome.postingDays = postingDays_;
    outcome.nominalEntries = nomlog_.Count();
    return outcome;
}

}  // namespace

HistoryOutcome WriteHistory(const fs::path& dir, const HistorySettings& settings, Random& random,
                            std::vector<MemberRecord>& members,
                            std::vector<NominalAccountRecord>& accounts, SystemRecord& system) {
    if (accounts.size() != static_cast<std::size_t>(kNominalAccountCount)) {
        return {"nomacc.d32 does not hold the 160 accounts"};
    }
    if (settings.memberEntries > 0 && members.empty()) return {"a history needs members"};
    if (settings.cashbookEntries > 0 &&
        std::none_of(accounts.begin() + kIncomeStart, accounts.end(),
                     [](const NominalAccountRecord& r) { return !r.AccountName.empty(); })) {
        return {"the chart has no income or expenditure account in use for the cash book"};
    }
    Year year(dir, settings, random, members, accounts, system);
    return year.Run();
}

}  // namespace tessary::gen
