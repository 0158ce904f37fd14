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
#include "core/update.h"
#include "members/loan.h"
#include "members/posting.h"
#include "nominal/posting.h"
#include "processing/dividend.h"
#include "processing/periods.h"
#include "tools/gen_common.h"

namespace tessary::gen {

namespace {

namespace fs = std::filesystem;

// Amounts are drawn in whole pence; the engine's own rules then post them as it would.
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

// The amounts a transaction posts: how many member log entries it makes.
int Entries(const TypeAmounts& split) {
    int n = 0;
    for (int t = kFirstPostingType; t <= kLastPostingType; ++t)
        n += split[static_cast<std::size_t>(t)] != 0;
    return n;
}

// Dividends are declared at 3 per cent a year.
constexpr double kDividendRate = 3;

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
    int Transaction(double day, std::int64_t slots, const std::string& user, TypeAmounts& totals);
    void CashbookRun(double day, std::int64_t entries);
    void PeriodEnd(double day);
    void CloseBooks();

    std::size_t AnyMember() { return random_.Index(members_.size()); }
    std::size_t Borrower();
    void SetUpLoan(MemberRecord& m, double day, Pence amount);
    bool Owes(std::size_t who) const { return members_[who].LoanBalance > 0; }

    void Log(const NominalLogEntry& e, bool reconciled) {
        NominalLogEntry logged = e;
        logged.Reconciled = reconciled ? 1 : 0;
        nomlog_.Add(logged);
    }
    bool Cleared(double day) const { return day <= statementDate_; }
    void BankMoved() {
        lowestBank_ = std::min(lowestBank_, ToPence(accounts_[kBankAccount].Balance));
    }

    const HistorySettings& settings_;
    Random& random_;
    std::vector<MemberRecord>& members_;
    // The year is posted onto accounts that start it at nothing; the books close by adding
    // the year-start balances made to fit what the year did.
    std::vector<NominalAccountRecord>& accounts_;
    SystemRecord& system_;
    Users users_;
    RecordWriter<MemberLogEntry> memlog_;
    RecordWriter<NominalLogEntry> nomlog_;
    RecordWriter<SyslogRecord> syslog_;

    Rates rates_;
    std::vector<std::size_t> borrowers_;
    std::vector<bool> listed_;  // in the borrowers' list
    std::int32_t loanNumber_ = 0;
    std::int64_t cheque_ = 0;
    std::int64_t transactions_ = 0;
    double statementDate_ = 0;  // the bank has cleared what it saw up to this day
    Pence dividendTotal_ = 0;
    Pence lowestBank_ = 0;

    std::vector<int> cashbookAccounts_;
    std::vector<double> cashbookWeights_;
    std::vector<Pence> cashbookEntryAmount_;  // a typical entry, by account
    double lastPosting_ = 0;
    std::int32_t postingDays_ = 0;
};

void Year::Begin() {
    rates_ = RatesOf(system_);
    cheque_ = random_.Between(100000, 800000);
    const double yearStart = MonthsAfter(settings_.date, -12);

    // The members as the last year end left them: their balances then are the year-start
    // balances, and every loan was made before it.
    listed_.assign(members_.size(), false);
    for (std::size_t i = 0; i < members_.size(); ++i) {
        MemberRecord& m = members_[i];
        if (m.LoanDate > yearStart) {
            m.LoanDate = m.LoanDate - 365;
            m.LastPayDate = m.LastPayDate - 365;
        }
        if (m.LoanDate > 0) m.LastPayDate = std::min(+m.LastPayDate, yearStart);
        // Last year's twelve period-end balances, for the dividend.
        m.Share1Sum = RoundMoney(12 * m.Share1 * (0.85 + 0.15 * random_.Unit()));
        RollMemberYear(m);
        loanNumber_ = std::max(loanNumber_, +m.LoanNumber);
        if (Owes(i)) {
            borrowers_.push_back(i);
            listed_[i] = true;
        }
    }
    system_.PeriodNumber = 1;
    for (NominalAccountRecord& r : accounts_) {
        r.Balance = 0;
        r.PeriodStartBalance = 0;
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

std::size_t Year::Borrower() {
    if (borrowers_.empty()) return AnyMember();
    std::size_t who = borrowers_[random_.Index(borrowers_.size())];
    for (int tries = 1; tries < 20 && !Owes(who); ++tries)
        who = borrowers_[random_.Index(borrowers_.size())];
    return who;
}

// New loan terms, as maintenance sets them before the loan is paid out; a member who
// already owes has the new loan replace the old one's terms.
void Year::SetUpLoan(MemberRecord& m, double day, Pence amount) {
    const RepaymentFrequency& frequency = random_.Pick(kRepaymentFrequencies);
    const double periods =
        static_cast<double>(random_.Between(6, 36)) * FrequencyDays("M") / frequency.days;
    const double granted = RoundMoney(m.LoanBalance + Money(amount));
    m.LoanNumber = ++loanNumber_;
    m.LoanDate = day;
    m.Frequency.set(frequency.letter);
    m.LoanAmount = granted;
    m.Repayment = std::ceil(granted * 1.06 / std::max(1.0, std::floor(periods)));
    m.MaxLoan = std::max(+m.MaxLoan, granted);
    m.InterestPaid = 0;
}

// Dividends on last year's Share 1 out of undivided earnings, to the first `count` members
// (in record order) that have earned one: the others wait for a later run.
void Year::Dividends(double day, std::int64_t count) {
    const std::string& user = Users::Pick(users_.controllers, random_);
    double total = 0;
    for (std::size_t i = 0; i < members_.size() && count > 0; ++i) {
        MemberRecord& m = members_[i];
        MemberRecord paid = m;
        const double dividend = PayDividend(paid, kDividendRate);
        if (!(dividend > 0)) continue;
        m = paid;
        total += dividend;
        memlog_.Add(
            MemberLogOf(static_cast<std::int32_t>(i) + 1, kDividendShares, dividend, day, user));
        --count;
    }
    PostDividendTotal(accounts_[kShare1DepositsAccount], accounts_[kUndividedEarningsAccount],
                      total);
    for (const NominalLogEntry& e : DividendLogsOf(total, day, user)) nomlog_.Add(e);
    syslog_.Add(RunLogEntry(total, day, user, kDividendRunDescription));
    dividendTotal_ = ToPence(total);
}

// One keyed transaction, posted: returns the member log entries it made. A transaction that
// would need more entries than the day has left becomes a plain Share 1 deposit.
int Year::Transaction(double day, std::int64_t slots, const std::string& user,
                      TypeAmounts& totals) {
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
    const auto juvenile = [&](std::size_t i) { return members_[i].MemberType == "JUVENILE"; };
    std::size_t who = AnyMember();
    Pence amount = 0;
    switch (type) {
        case kLoanRepayment: {
            who = Borrower();
            const MemberRecord& m = members_[who];
            const double period = RepaymentPeriodDays(m);
            if (!Owes(who) || period <= 0) {
                type = kShare1Deposit;
                break;
            }
            // What has fallen due since the last payment, more or less.
            const double due = std::clamp(std::round((day - m.LastPayDate) / period), 1.0, 26.0);
            const double roll = random_.Unit();
            const double factor = roll < 0.7 ? 1 : roll < 0.85 ? 0.5 : 1.5;
            amount = std::max<Pence>(100, ToPence(m.Repayment * due * factor));
            break;
        }
        case kFee: {
            constexpr std::array<Pence, 5> kFees = {100, 200, 500, 1000, 2500};
            amount = random_.Pick(kFees);
            break;
        }
        case kShare1Withdraw:
        case kShare2Withdraw: {
            // Withdrawals stay within the balance.
            const auto balance = [&](std::size_t i) {
                return ToPence(type == kShare1Withdraw ? members_[i].Share1 : members_[i].Share2);
            };
            for (int tries = 1; tries < 20 && balance(who) < 1000; ++tries) who = AnyMember();
            if (balance(who) < 1000) {
                type -= 4;  // nothing to draw: it becomes a lodgement
                break;
            }
            amount = random_.Chance(0.1) ? balance(who)
                                         : std::min(balance(who), 1000 * random_.Between(1, 60));
            break;
        }
        case kLoanAllocation: {
            // Mostly a first loan to an adult member without one; otherwise a top-up.
            if (random_.Chance(0.7)) {
                for (int tries = 1; tries < 20 && (Owes(who) || juvenile(who)); ++tries)
                    who = AnyMember();
            } else {
                who = Borrower();
            }
            if (juvenile(who)) {
                type = kShare1Deposit;
                break;
            }
            amount = 5000 * random_.Between(4, 160);
            break;
        }
        default:
            break;
    }
    if (type == kShare1Deposit && amount == 0) amount = pounds(5, 250, 0.25);
    if (type == kShare2Deposit && amount == 0) amount = pounds(5, 100, 0.1);

    MemberTransaction t;
    t.MemberNo = static_cast<std::int32_t>(who) + 1;
    t.TransType = type;
    t.Amount = Money(amount);
    t.Date = day;
    // Money paid out goes by cheque, mostly numbered.
    if (PaysOut(type) && random_.Chance(0.85)) t.ChequeNo.set(fmt::format("{}", cheque_++));

    MemberRecord& m = members_[who];
    MemberRecord posted = m;
    if (type == kLoanAllocation) SetUpLoan(posted, day, amount);
    TypeAmounts split = ApplyMemberTransaction(posted, t, rates_, day);
    if (Entries(split) > slots) {
        t.TransType = kShare1Deposit;
        t.Amount = Money(pounds(5, 250, 0.25));
        posted = m;
        split = ApplyMemberTransaction(posted, t, rates_, day);
    }
    m = posted;
    if (t.TransType == kLoanAllocation && !listed_[who]) {
        borrowers_.push_back(who);
        listed_[who] = true;
    }

    for (int posted = kLastPostingType; posted >= kFirstPostingType; --posted) {
        const double part = split[static_cast<std::size_t>(posted)];
        totals[static_cast<std::size_t>(posted)] += part;
        if (part != 0) memlog_.Add(MemberLogOf(t.MemberNo, posted, RoundMoney(part), day, user));
    }
    // A few cheques are never presented.
    if (PaysOut(t.TransType)) Log(PaidOutLogOf(t, user), Cleared(day) && !random_.Chance(0.02));
    return Entries(split);
}

// A day's member batch, posted: the log entries, the cheques, one receipt for the money
// taken in, the control accounts and the run's system log entry.
void Year::MemberRun(double day, std::int64_t slots) {
    if (slots <= 0) return;
    const std::string& user = Users::Pick(users_.posting, random_);
    TypeAmounts totals{};
    while (slots > 0) slots -= Transaction(day, slots, user, totals);
    const double receipts = RunReceipts(totals);
    const double payments = RunPayments(totals);
    syslog_.Add(RunLogEntry(RoundMoney(receipts - payments), day, user, kMemberRunDescription));
    if (!IsZeroMoney(receipts)) Log(ReceiptsLogOf(receipts, day, user), Cleared(day));
    const std::array<double, kNominalAccountCount> changes = RunLedgerChanges(totals);
    for (int a = kBankAccount; a <= ControlAccount(kLastPostingType); ++a)
        PostToAccount(accounts_[static_cast<std::size_t>(a)], changes[static_cast<std::size_t>(a)]);
    BankMoved();
    lastPosting_ = day;
}

// A day's cash-book batch, posted: income paid in and expenses paid out of the bank.
void Year::CashbookRun(double day, std::int64_t entries) {
    if (entries <= 0 || cashbookAccounts_.empty()) return;
    const std::string& user = Users::Pick(users_.supervisors, random_);
    double weights = 0;
    for (double w : cashbookWeights_) weights += w;
    double bank = 0;
    for (std::int64_t i = 0; i < entries; ++i) {
        double roll = random_.Unit() * weights;
        std::size_t k = 0;
        while (k + 1 < cashbookAccounts_.size() && roll >= cashbookWeights_[k])
            roll -= cashbookWeights_[k++];
        NominalTransaction t;
        t.AccountNo = cashbookAccounts_[k];
        t.Amount = Money(
            std::max<Pence>(100, ToPence(Money(cashbookEntryAmount_[k]) * (0.5 + random_.Unit()))));
        const bool income = t.AccountNo < kExpenditureStart;
        const std::string name = accounts_[static_cast<std::size_t>(t.AccountNo)].AccountName.str();
        t.Narrative.set(income ? fmt::format("Lodged - {}", name)
                               : fmt::format("{:06} - {}", cheque_++, name));
        Log(NominalLogOf(t, day, user), Cleared(day) && (income || !random_.Chance(0.02)));
        PostToAccount(accounts_[static_cast<std::size_t>(t.AccountNo)], t.Amount);
        bank += BankEffect(t.AccountNo, t.Amount);
    }
    syslog_.Add(RunLogEntry(RoundMoney(bank), day, user, kNominalRunDescription));
    PostToAccount(accounts_[kBankAccount], bank);
    BankMoved();
    lastPosting_ = day;
}

// Closes a month as the period end run does, over the members and the ledger.
void Year::PeriodEnd(double day) {
    const std::string& user = Users::Pick(users_.supervisors, random_);
    syslog_.Add(RunLogEntry(0, day, user, PeriodEndDescription(system_.PeriodNumber)));
    for (MemberRecord& m : members_) EndMemberPeriod(m, system_);
    for (NominalAccountRecord& a : accounts_) EndAccountPeriod(a);
    EndSystemPeriod(system_, day);
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
    const auto moved = [&](int a) {
        return ToPence(accounts_[static_cast<std::size_t>(a)].Balance);
    };
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
        start[static_cast<std::size_t>(a)] = 2 * moved(a);

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
        const Pence year = moved(a);
        r.YearStartBalance = Money(start[i]);
        r.PeriodStartBalance = Money(start[i] + ToPence(r.PeriodStartBalance));
        r.Balance = Money(start[i] + year);
        if (a >= kIncomeStart && year != 0) {
            // A budget the year's spending or takings came close to.
            const double budget = Money(year) * (0.95 + 0.2 * random_.Unit());
            r.Budget = std::max(10.0, std::ceil(budget / 10) * 10);
        }
    }
    for (MemberRecord& m : members_) {
        m.MaxShares = std::max(+m.MaxShares, std::ceil((m.Share1 + m.Share2) / 500) * 500);
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
    for (MemberRecord m : members_) earners += PayDividend(m, kDividendRate) > 0;
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
            PeriodEnd(d);
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
