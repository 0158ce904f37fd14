#include "reports/writer.h"

#include <fmt/format.h>

#include <array>

#include "core/protocol.h"
#include "core/text.h"

namespace tessary {

namespace {

struct ReportKind {
    int number;
    std::string_view title;
    std::string_view heading;  // a format filled with `texts`, a fixed line, or empty
    std::array<std::string_view, 6> texts;
};

// clang-format off
constexpr ReportKind kReports[] = {
    {kReportMembersBalances, "TESSARY - MEMBERS BALANCES  %s",
        "Member                        %11s %11s %11s %11s",
        {"Share1", "Share2", "Loan", "Unattached"}},
    {kReportMembersLoans, "TESSARY - MEMBERS LOANS  %s",
        "Member                 %9s %11s %11s %8s %11s",
        {"Missing", "Arrears", "Loan", "Interest", "Exposure"}},
    {kReportMembersTransactions, "TESSARY - MEMBERS TRANSACTIONS",
        "%-10s %-3s %-20s %11s %11s %11s",
        {"Date", "Usr", "Type", "Amount", "Shares", "Loan"}},
    {kReportNominalAccountList, "TESSARY - NOMINAL ACCOUNTS LIST",
        "%-3s  %-24s    %11s",
        {"A/c", "Name", "Year Budget"}},
    {kReportNominalTransactions, "TESSARY - NOMINAL ACCOUNTS TRANSACTIONS",
        "%-10s %-3s %3s %-30s %11s %11s",
        {"Date", "Usr", "A/c", "Narrative", "Amount", "Balance"}},
    {kReportBudgetVariances, "TESSARY - BUDGET VARIANCES REPORT",
        "%3s %-24s %11s %11s %11s %11s",
        {"A/c", "Name", "Balance", "Budget", "Variance %", "Amount Left"}},
    {kReportTrialBalance, "TESSARY - TRIAL BALANCE REPORT",
        "Account                         Debit         Credit", {}},
    {kReportProfitAndLoss, "TESSARY - PROFIT & LOSS REPORT",
        "Account                         Period          Year", {}},
    {kReportBalanceSheet, "TESSARY - BALANCE SHEET",
        "Account                         Debit         Credit", {}},
    {kReportDistributionOfLoans, "TESSARY - DISTRIBUTION OF LOANS",
        "Loans Granted        %5s  %11s",
        {"No", "Total"}},
    {kReportDelinquentLoans, "TESSARY - DELINQUENT LOANS",
        "Delinquency            %5s %11s %11s %s",
        {"No", "Arrears", "Loans Value", "Net Liability"}},
    {kReportInsurance, "TESSARY - INSURANCE REPORT", "", {}},
    {kReportSystemControl, "TESSARY - SYSTEM CONTROL REPORT",
        "%-10s %-3s %-30s %11s",
        {"Date", "Usr", "Narrative", "Amount"}},
    {kReportCashFlow, "TESSARY - CASH FLOW REPORT",
        "Account                         Period          Year", {}},
    {kReportTransactionSummary, "TESSARY - TRANSACTION SUMMARY", "", {}},
    {kReportMembersData, "TESSARY - MEMBERS DATA",
        "Member                               %-8s   %-16s %s",
        {"Type", "Phone", "Loan Number"}},
    {kReportDividendAllocation, "TESSARY - DIVIDEND ALLOCATION REPORT",
        "%5s %-24s %11s %11s %11s",
        {"No", "Name", "Avg Shares", "Dividend", "Share1 now"}},
    {kReportTransactionErrors, "TESSARY - TRANSACTION ERRORS REPORT", "", {}},
    {kReportMembersPosting, "TESSARY - MEMBERS POSTING REPORT",
        "%5s %-30s %-16s %10s  %-10s",
        {"No", "Name", "Type", "Amount", "Date"}},
    {kReportMembersTransactionsList, "TESSARY - MEMBERS TRANSACTIONS LIST",
        "%5s %-24s %-16s %10s %-10s %-6s",
        {"No", "Name", "Type", "Amount", "Date", "Errors"}},
    {kReportNominalTransactionsList, "TESSARY - NOMINAL TRANSACTIONS LIST",
        "%-24s %3s %-30s %11s",
        {"A/c Name", "No", "Narrative", "Amount"}},
};
// clang-format on

const ReportKind* FindReport(int number) {
    for (const ReportKind& r : kReports) {
        if (r.number == number) return &r;
    }
    return nullptr;
}

}  // namespace

std::string PageTitle(int reportNumber, std::string_view typePattern) {
    const ReportKind* r = FindReport(reportNumber);
    if (!r) return {};
    std::string type;
    if (!typePattern.empty()) type = ("Type  " + std::string(typePattern)).substr(0, 16);
    const std::string_view values[] = {type};
    return FormatTexts(r->title, values);
}

std::string ColumnHeading(int reportNumber) {
    const ReportKind* r = FindReport(reportNumber);
    return r ? FormatTexts(r->heading, r->texts) : std::string();
}

std::string PageHeaderLine(const RunState& state, int page) {
    const std::string union_name = state.System.UnionName.str();
    const std::string number = fmt::format("{}", page);
    const std::string_view values[] = {union_name, state.UserCode, state.WorkingDateText, number};
    return FormatTexts("%-35s        User %3s  %-10s   Page  %4d", values);
}

}  // namespace tessary
