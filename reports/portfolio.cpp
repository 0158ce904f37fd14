#include "reports/portfolio.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "core/money.h"
#include "core/text.h"
#include "members/loans.h"

namespace tessary {

int DaysOverdue(const RunState& state) {
    const double period = RepaymentPeriodDays(state);
    if (period <= 0) return -1;
    const double n = std::trunc((LoanArrears(state) / state.Member.Repayment - 1) * period) + 1;
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

void WriteDistributionOfLoans(const LoanDistribution& bands, DayNumber fromDate,
                              const LineSink& out) {
    int count = 0;
    double sum = 0;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        out(kSizeBands[b] + Whole5(bands[b].count) + "  " + Money11(bands[b].total));
        count += bands[b].count;
        sum += bands[b].total;
    }
    out("         Total       " + Whole5(count) + "  " + Money11(sum));
    out("");
    if (fromDate != kDefaultFromDate) {
        out("Only loans made on or after  " + PadRight(FormatDate(fromDate), 10) +
            "  are included.");
    }
}

void DistributionOfLoans(const std::vector<MemberRecord>& members, DayNumber fromDate,
                         const LineSink& out) {
    WriteDistributionOfLoans(DistributionOfLoansRows(members, fromDate), fromDate, out);
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

Delinquency DelinquentLoansRows(RunState& state, const std::vector<MemberRecord>& members) {
    static const int kUpper[] = {30, 60, 90, 180, 365};
    Delinquency bands{};
    for (const MemberRecord& m : members) {
        if (IsZeroMoney(m.LoanBalance)) continue;
        state.Member = m;
        const int days = DaysOverdue(state);
        const double arrears = LoanArrears(state);
        const double value = CurrentInterestDue(state) + m.LoanBalance;
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

void WriteDelinquentLoans(const Delinquency& bands, const LineSink& out) {
    DelinquencyBand total;
    const auto line = [&](const std::string& label, const DelinquencyBand& b) {
        out(label + Whole5(b.count) + " " + Money11(b.arrears) + " " + Money11(b.value) + "   " +
            Money11(b.net));
    };
    for (std::size_t b = 0; b < bands.size(); ++b) {
        line(kAgeBands[b], bands[b]);
        total.count += bands[b].count;
        total.arrears += bands[b].arrears;
        total.value += bands[b].value;
        total.net += bands[b].net;
    }
    line("      Total            ", total);
}

void DelinquentLoans(RunState& state, const std::vector<MemberRecord>& members,
                     const LineSink& out) {
    WriteDelinquentLoans(DelinquentLoansRows(state, members), out);
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
    void Write(const LineSink& out, double generalLimit, const char* what) const {
        const std::string w = what;
        out("Accounts exceeding " + Money11(generalLimit) + "         Number " + Whole5(general) +
            "    Balance " + Money11(overGeneral));
        out("Accounts exceeding a personal limit    Number " + Whole5(personal) + "    Balance " +
            Money11(overPersonal));
        out(PadRight("Total " + w + " not insurable", 63) + Money11(overGeneral + overPersonal));
        out(PadRight("Total " + w, 63) + Money11(total));
        out(PadRight("Insurable " + w, 63) + Money11(total - overGeneral - overPersonal));
    }
};

}  // namespace

void InsuranceReport(const std::vector<MemberRecord>& members, const SystemRecord& system,
                     const LineSink& out) {
    Exposure loans, savings;
    for (const MemberRecord& m : members) {
        savings.Add(m.Share1 + m.Share2, m.MaxShares, system.MaxInsuredShares);
        loans.Add(m.LoanBalance, m.MaxLoan, system.MaxInsuredLoan);
    }
    loans.Write(out, system.MaxInsuredLoan, "Loans");
    out("");
    savings.Write(out, system.MaxInsuredShares, "Savings");
}

void SystemControl(const std::vector<SyslogRecord>& log, DayNumber fromDate, DayNumber toDate,
                   const LineSink& out) {
    for (const SyslogRecord& r : log) {
        if (r.Date < fromDate || r.Date > toDate) continue;
        out(PadRight(FormatDate(r.Date), 10) + " " + PadRight(r.UserCode.str(), 3) + " " +
            PadRight(r.Description.str(), 30) + " " + Money11(r.Amount));
    }
}

}  // namespace tessary
