#include "reports/ledger.h"

#include <string>

#include "core/money.h"
#include "core/text.h"
#include "processing/surplus.h"

namespace tessary {

namespace {

const NominalAccountRecord& Account(const Ledger& accounts, int n) {
    static const NominalAccountRecord kNone{};
    if (n < 0 || static_cast<std::size_t>(n) >= accounts.size()) return kNone;
    return accounts[static_cast<std::size_t>(n)];
}

double Balance(const Ledger& a, int n) {
    return Account(a, n).Balance;
}
double YearMovement(const Ledger& a, int n) {
    return Account(a, n).Balance - Account(a, n).YearStartBalance;
}
double PeriodMovement(const Ledger& a, int n) {
    return Account(a, n).Balance - Account(a, n).PeriodStartBalance;
}
std::string Name(const Ledger& a, int n) {
    return Account(a, n).AccountName.str();
}

// The two running totals the statements' line writers share: debit and credit in the trial
// balance and balance sheet, period and year in profit and loss and cash flow.
struct Statement {
    const LineSink& out;
    double first = 0;
    double second = 0;

    void Clear() { first = second = 0; }
    void Text(std::string_view line) const { out(line); }

    // The amount stands under the column of its section, whatever its sign.
    void Debit(const std::string& text, double amount) {
        if (IsZeroMoney(amount)) return;
        out(PadRight(text, 24) + "  " + Money11(amount));
        first += amount;
    }
    void Credit(const std::string& text, double amount) {
        if (IsZeroMoney(amount)) return;
        out(PadRight(text, 24) + "                 " + Money11(amount));
        second += amount;
    }
    void PeriodYear(const std::string& text, double year, double period) {
        if (IsZeroMoney(year) && IsZeroMoney(period)) return;
        first += period;
        second += year;
        out(PadRight(text, 24) + "   " + Money11(period) + "   " + Money11(year));
    }
    // Accounts from..to-1 under their names, by period and year movement.
    void PeriodYearRange(const Ledger& a, int from, int to) {
        for (int n = from; n < to; ++n)
            PeriodYear(Name(a, n), YearMovement(a, n), PeriodMovement(a, n));
    }
    void Totals() { out("Totals                    " + Money11(first) + "    " + Money11(second)); }
    void PeriodYearTotal(const char* label) {
        out(PadRight(label, 27) + Money11(first) + "   " + Money11(second));
    }
};

// The assets, liabilities and capital the trial balance and the balance sheet share.
void BalanceSection(const Ledger& a, Statement& st) {
    st.Clear();
    st.Text("");
    st.Text("FIXED ASSETS");
    for (int n = kFixedAssetsStart; n < kCurrentAssetsStart; ++n)
        st.Debit(Name(a, n), Balance(a, n));
    st.Text("");
    st.Text("CURRENT ASSETS");
    st.Debit("Loan Account", Balance(a, 7) - Balance(a, 3));
    st.Debit("Cash", Balance(a, kBankAccount));
    for (int n = kCurrentAssetsStart; n < kCurrentLiabilitiesStart; ++n) {
        st.Debit(Name(a, n), Balance(a, n));
    }
    st.Text("");
    st.Text("CURRENT LIABILITIES");
    for (int n = kCurrentLiabilitiesStart; n < kCapitalStart; ++n)
        st.Credit(Name(a, n), Balance(a, n));
    st.Text("");
    st.Text("CAPITAL");
    st.Credit("Share 1 Account", Balance(a, 1) - Balance(a, 5));
    st.Credit("Share 2 Account", Balance(a, 2) - Balance(a, 6));
    for (int n = kCapitalStart; n < kIncomeStart; ++n) st.Credit(Name(a, n), Balance(a, n));
    st.Text("");
}

std::string Number3(int n) {
    return PadLeft(std::to_string(n), 3);
}

// Variances of one section; `income` decides which way round over budget counts as good.
void VarianceSection(const Ledger& a, int from, int to, int periodNumber, bool income,
                     const char* totalLabel, const LineSink& out) {
    double actuals = 0, toDate = 0, budgets = 0;
    const auto variance = [income](double actual, double budgetToDate) {
        // A budget whose share to date rounds to nothing has no variance to show.
        if (IsZeroMoney(budgetToDate)) return 0.0;
        return (income ? actual - budgetToDate : budgetToDate - actual) * 100 / budgetToDate;
    };
    for (int n = from; n < to; ++n) {
        const NominalAccountRecord& r = Account(a, n);
        if (IsZeroMoney(r.Budget)) continue;
        const double budgetToDate = RoundMoney(periodNumber * r.Budget / 12);
        const double actual = YearMovement(a, n);
        actuals += actual;
        toDate += budgetToDate;
        budgets += r.Budget;
        out(Number3(n) + " " + PadRight(r.AccountName.str(), 24) + " " + Money11(actual) + " " +
            Money11(budgetToDate) + " " + Money11(variance(actual, budgetToDate)) + " " +
            Money11(r.Budget - actual));
    }
    out(PadRight(totalLabel, 28) + " " + Money11(actuals) + " " + Money11(toDate) + " " +
        Money11(variance(actuals, toDate)) + " " + Money11(budgets - actuals));
}

}  // namespace

void NominalAccountList(const Ledger& accounts, const LineSink& out) {
    static const struct {
        int start;
        const char* heading;
    } kSections[] = {{kFixedAssetsStart, "     FIXED ASSETS"},
                     {kCurrentAssetsStart, "     CURRENT ASSETS"},
                     {kCurrentLiabilitiesStart, "     CURRENT LIABILITIES"},
                     {kCapitalStart, "     CAPITAL"},
                     {kIncomeStart, "     INCOME"},
                     {kExpenditureStart, "     EXPENDITURE"}};
    for (int n = kFixedAssetsStart; n < kNominalAccountCount; ++n) {
        for (const auto& section : kSections) {
            if (section.start != n) continue;
            if (n != kFixedAssetsStart) out("");
            out(section.heading);
        }
        const NominalAccountRecord& r = Account(accounts, n);
        if (r.AccountName.empty()) continue;
        out(PadRight(std::to_string(n), 3) + "  " + PadRight(r.AccountName.str(), 24) + "    " +
            Money11(r.Budget));
    }
}

void NominalTransactions(const Ledger& accounts, const std::vector<NominalLogEntry>& log,
                         const ReportSelection& selection, const LineSink& out) {
    const int chosen = selection.fromMember;
    double running = Account(accounts, chosen <= 0 ? kBankAccount : chosen).YearStartBalance;
    for (const NominalLogEntry& e : log) {
        double amount = e.Amount;
        if (chosen <= 0) {
            // Every entry as the bank sees it, from the bank's year-start balance.
            if (!AccountInRange(e.AccountNo)) amount = -amount;
        } else if (e.AccountNo != chosen) {
            continue;
        }
        running += amount;  // entries outside the dates still move the balance
        if (e.Date < selection.fromDate || e.Date > selection.toDate) continue;
        const std::string account = e.AccountNo == kBankAccount ? "   " : Number3(e.AccountNo);
        out(PadRight(FormatDate(e.Date), 10) + " " + PadRight(e.UserCode.str(), 3) + " " + account +
            " " + PadRight(e.Narrative.str(), 30) + " " + Money11(amount) + " " + Money11(running));
    }
}

void BudgetVariances(const Ledger& accounts, int periodNumber, const LineSink& out) {
    out("INCOME");
    VarianceSection(accounts, kIncomeStart, kExpenditureStart, periodNumber, true, "Total Income",
                    out);
    out("EXPENDITURE");
    VarianceSection(accounts, kExpenditureStart, kNominalAccountCount, periodNumber, false,
                    "Total Expenditure", out);
}

void TrialBalance(const Ledger& a, const LineSink& out) {
    Statement st{out};
    BalanceSection(a, st);
    st.Text("INCOME");
    st.Credit(Name(a, 8), YearMovement(a, 8));
    st.Credit(Name(a, 4), YearMovement(a, 4));
    for (int n = kIncomeStart; n < kExpenditureStart; ++n)
        st.Credit(Name(a, n), YearMovement(a, n));
    st.Text("");
    st.Text("EXPENDITURE");
    for (int n = kExpenditureStart; n < kNominalAccountCount; ++n) {
        st.Debit(Name(a, n), YearMovement(a, n));
    }
    st.Text("");
    st.Totals();
}

void BalanceSheet(const Ledger& a, const LineSink& out) {
    Statement st{out};
    BalanceSection(a, st);
    st.Credit("Profit / Loss", YearSurplus(a));
    st.Text("");
    st.Totals();
}

void ProfitAndLoss(const Ledger& a, const LineSink& out) {
    Statement st{out};
    st.Text("INCOME");
    st.PeriodYear(Name(a, 8), YearMovement(a, 8), PeriodMovement(a, 8));
    st.PeriodYear(Name(a, 4), YearMovement(a, 4), PeriodMovement(a, 4));
    st.PeriodYearRange(a, kIncomeStart, kExpenditureStart);
    st.PeriodYearTotal("Total Income");
    st.Text("");
    const double incomePeriod = st.first, incomeYear = st.second;
    st.Clear();
    st.Text("EXPENDITURE");
    st.PeriodYearRange(a, kExpenditureStart, kNominalAccountCount);
    st.PeriodYearTotal("Total Expenditure");
    st.Text("");
    out("PROFIT/LOSS                " + Money11(incomePeriod - st.first) + "   " +
        Money11(incomeYear - st.second));
}

void CashFlow(const Ledger& a, const LineSink& out) {
    Statement st{out};
    st.Text("RECEIPTS");
    st.PeriodYear("Share Deposits", YearMovement(a, 1) + YearMovement(a, 2),
                  PeriodMovement(a, 1) + PeriodMovement(a, 2));
    st.PeriodYear("Loans Repaid", YearMovement(a, 3), PeriodMovement(a, 3));
    st.PeriodYear("Fees", YearMovement(a, 4), PeriodMovement(a, 4));
    st.PeriodYear("Interest", YearMovement(a, 8), PeriodMovement(a, 8));
    st.PeriodYearRange(a, kCurrentLiabilitiesStart, kExpenditureStart);
    st.PeriodYearTotal("Total Receipts");
    st.Text("");
    const double receiptsPeriod = st.first, receiptsYear = st.second;
    st.Clear();
    st.Text("PAYMENTS");
    st.PeriodYear("Share Withdrawals", YearMovement(a, 5) + YearMovement(a, 6),
                  PeriodMovement(a, 5) + PeriodMovement(a, 6));
    st.PeriodYear("Loans Allocated", YearMovement(a, 7), PeriodMovement(a, 7));
    st.PeriodYearRange(a, kFixedAssetsStart, kCurrentLiabilitiesStart);
    st.PeriodYearRange(a, kExpenditureStart, kNominalAccountCount);
    st.PeriodYearTotal("Total Payments");
    st.Text("");
    out("CASH FLOW                  " + Money11(receiptsPeriod - st.first) + "   " +
        Money11(receiptsYear - st.second));
    out("");
    out("CURRENT CASH               " + Money11(Balance(a, kBankAccount)));
}

}  // namespace tessary
