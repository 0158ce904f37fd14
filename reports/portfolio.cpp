#include "reports/portfolio.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "core/money.h"
#include "core/text.h"
#include "members/loan.h"

namespace tessary {

int DaysOverdue(const MemberRecord& m, Rates rates, DayNumber date) {
    const double period = RepaymentPeriodDays(m);
    if (period <= 0) return -1;
    const double n = std::trunc((LoanArrears(m, rates, date) / m.Repayment - 1) * period) + 1;
    // A damaged loan record gives no number at all, or one beyond an int: never cast those.
    if (!(n >= 1)) return 0;
    return n < std::numeric_limits<int>::max() ? static_cast<int>(n)
                                               : std::numeric_limits<int>::max();
}

namespace {

const char* const kSizeBands[] = {"1      to    250     ", "251    to    500     ",
                                  "501    to   1000     ", "1001   to   2000     ",
                                  "2001   to   3000     ", "     Over 3000       "};
const char* const kAgeBands[] = {"Less than 30  days     ", "Less than 60  days     ",
                                 "Less than 90  days     ", "Less than 180 days     ",
                                 "Less than 365 days     ", "More than 365 days     "};

// A band's line label as a chart's category: its words without the columns' blanks.
std::string Category(std::string_view label) {
    std::string out;
    for (char c : label) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

LoanDistribution DistributionOfLoansRows(const std::vector<MemberRecord>& members,
                                         DayNumber fromDate) {
    // A band runs up to the next bound, so an amount with cents stays in the lower band.
    static const double kUpper[] = {251, 501, 1001, 2001, 3001};
    LoanDistribution bands{};
    for (const MemberRecord& m : members) {
        const double amount = m.LoanAmount;
        // A damaged date or amount belongs in no band; the report names it instead.
        if (!std::isfinite(m.LoanDate) || !std::isfinite(amount)) continue;
        if (m.LoanDate < fromDate || amount < 1) continue;
        std::size_t band = 0;
        while (band < 5 && amount >= kUpper[band]) ++band;
        ++bands[band].count;
        bands[band].total += amount;
    }
    return bands;
}

ReportRows RowsOf(const LoanDistribution& bands, DayNumber fromDate) {
    ReportRows rows;
    int count = 0;
    double sum = 0;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        rows.Add(
            RowKind::Detail, "%s%5d  %11f",
            {Cell::Text(kSizeBands[b]), Cell::Count(bands[b].count), Cell::Amount(bands[b].total)});
        count += bands[b].count;
        sum += bands[b].total;
    }
    rows.Add(RowKind::Total, "         Total       %5d  %11f",
             {Cell::Count(count), Cell::Amount(sum)});
    rows.Blank();
    if (fromDate != kDefaultFromDate) {
        rows.Add(RowKind::Note, "Only loans made on or after  %-10s  are included.",
                 {Cell::Date(fromDate)});
    }
    return rows;
}

void DistributionOfLoans(const std::vector<MemberRecord>& members, DayNumber fromDate,
                         const LineSink& out) {
    RenderText(RowsOf(DistributionOfLoansRows(members, fromDate), fromDate), out);
}

Chart DistributionOfLoansChart(const LoanDistribution& bands, DayNumber fromDate) {
    std::string title = "Distribution of Loans";
    if (fromDate != kDefaultFromDate) title += ", made on or after " + FormatDate(fromDate);
    Chart chart = BarChart(title, ChartKind::Bars, "Loans Granted", "Total", {"Total"});
    chart.line = {"No", {}};
    chart.lineAxis = "Number of loans";
    for (std::size_t b = 0; b < bands.size(); ++b) {
        chart.Add(Category(kSizeBands[b]), {bands[b].total});
        chart.line.values.push_back(bands[b].count);
    }
    return chart;
}

Delinquency DelinquentLoansRows(const std::vector<MemberRecord>& members, Rates rates,
                                DayNumber workingDate) {
    static const int kUpper[] = {30, 60, 90, 180, 365};
    Delinquency bands{};
    for (const MemberRecord& m : members) {
        if (IsZeroMoney(m.LoanBalance)) continue;
        const int days = DaysOverdue(m, rates, workingDate);
        const double arrears = LoanArrears(m, rates, workingDate);
        const double value = InterestDue(m, rates, workingDate) + m.LoanBalance;
        double net = value - m.Share1 - m.Share2;
        if (net < 0) net = 0;
        std::size_t b = 0;
        while (b < 5 && days >= kUpper[b]) ++b;
        DelinquencyBand& band = bands[b];
        ++band.count;
        AddToTotal(band.arrears, arrears);
        AddToTotal(band.value, value);
        AddToTotal(band.net, net);
    }
    return bands;
}

ReportRows RowsOf(const Delinquency& bands) {
    ReportRows rows;
    DelinquencyBand total;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        rows.Add(
            RowKind::Detail, "%s%5d %11f %11f   %11f",
            {Cell::Text(kAgeBands[b]), Cell::Count(bands[b].count), Cell::Amount(bands[b].arrears),
             Cell::Amount(bands[b].value), Cell::Amount(bands[b].net)});
        total.count += bands[b].count;
        total.arrears += bands[b].arrears;
        total.value += bands[b].value;
        total.net += bands[b].net;
    }
    rows.Add(RowKind::Total, "      Total            %5d %11f %11f   %11f",
             {Cell::Count(total.count), Cell::Amount(total.arrears), Cell::Amount(total.value),
              Cell::Amount(total.net)});
    return rows;
}

void DelinquentLoans(const std::vector<MemberRecord>& members, Rates rates, DayNumber workingDate,
                     const LineSink& out) {
    RenderText(RowsOf(DelinquentLoansRows(members, rates, workingDate)), out);
}

Chart DelinquentLoansChart(const Delinquency& bands) {
    Chart chart = BarChart("Delinquent Loans", ChartKind::Bars, "Delinquency", "Amount",
                           {"Arrears", "Loans Value", "Net Liability"});
    chart.line = {"No", {}};
    chart.lineAxis = "Number of loans";
    for (std::size_t b = 0; b < bands.size(); ++b) {
        chart.Add(Category(kAgeBands[b]), {bands[b].arrears, bands[b].value, bands[b].net});
        chart.line.values.push_back(bands[b].count);
    }
    return chart;
}

namespace {

// What exceeds the insured limits: the general one where the member has none of his own.
struct Exposure {
    int general = 0, personal = 0;
    double overGeneral = 0, overPersonal = 0, total = 0;

    void Add(double balance, double ownLimit, double generalLimit) {
        // A damaged balance is neither counted nor insurable; the report names it.
        if (!std::isfinite(balance)) return;
        total += balance;
        if (IsZeroMoney(ownLimit)) {
            if (balance > generalLimit) {
                ++general;
                overGeneral += balance - generalLimit;
            }
        } else if (balance > ownLimit) {
            ++personal;
            overPersonal += balance - ownLimit;
        }
    }
    void AddRows(ReportRows& rows, double generalLimit, const char* what) const {
        const std::string w = what;
        rows.Add(RowKind::Detail, "Accounts exceeding %11f         Number %5d    Balance %11f",
                 {Cell::Amount(generalLimit), Cell::Count(general), Cell::Amount(overGeneral)});
        rows.Add(RowKind::Detail,
                 "Accounts exceeding a personal limit    Number %5d    Balance %11f",
                 {Cell::Count(personal), Cell::Amount(overPersonal)});
        const auto line = [&rows](const std::string& label, double amount) {
            rows.Add(RowKind::Total, "%-63s%11f", {Cell::Text(label), Cell::Amount(amount)});
        };
        line("Total " + w + " not insurable", overGeneral + overPersonal);
        line("Total " + w, total);
        line("Insurable " + w, total - overGeneral - overPersonal);
    }
};

}  // namespace

ReportRows InsuranceRows(const std::vector<MemberRecord>& members, const SystemRecord& system) {
    Exposure loans, savings;
    for (const MemberRecord& m : members) {
        savings.Add(m.Share1 + m.Share2, m.MaxShares, system.MaxInsuredShares);
        loans.Add(m.LoanBalance, m.MaxLoan, system.MaxInsuredLoan);
    }
    ReportRows rows;
    loans.AddRows(rows, system.MaxInsuredLoan, "Loans");
    rows.Blank();
    savings.AddRows(rows, system.MaxInsuredShares, "Savings");
    return rows;
}

void InsuranceReport(const std::vector<MemberRecord>& members, const SystemRecord& system,
                     const LineSink& out) {
    RenderText(InsuranceRows(members, system), out);
}

ReportRows SystemControlRows(const std::vector<SyslogRecord>& log, DayNumber fromDate,
                             DayNumber toDate) {
    ReportRows rows;
    for (const SyslogRecord& r : log) {
        if (r.Date < fromDate || r.Date > toDate) continue;
        rows.Add(RowKind::Detail, "%-10s %-3s %-30s %11f",
                 {Cell::Date(r.Date), Cell::Text(r.UserCode.view()),
                  Cell::Text(r.Description.view()), Cell::Amount(r.Amount)});
    }
    return rows;
}

void SystemControl(const std::vector<SyslogRecord>& log, DayNumber fromDate, DayNumber toDate,
                   const LineSink& out) {
    RenderText(SystemControlRows(log, fromDate, toDate), out);
}

}  // namespace tessary
