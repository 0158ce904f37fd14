#include "reports/writer.h"

#include <fmt/format.h>

#include <array>
#include <cerrno>
#include <span>

#include "core/file.h"
#include "core/protocol.h"
#include "core/text.h"
#include "ui/platform.h"

namespace tessary {

namespace {

constexpr std::size_t kLineSize = sizeof(ReportLine);

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

// Draws the title, header line and column heading below a two-line top margin; returns
// where the first body line goes.
int DrawPageHeader(ui::Printer& printer, int lineHeight, const std::string& title,
                   const std::string& header, const std::string& heading) {
    int y = 2 * lineHeight;
    for (const std::string* text : {&title, &header, &heading}) {
        printer.TextOut(0, y, *text);
        y += lineHeight;
    }
    return y;
}

// What the user is told when a filed report could not be written, in the words the desktop
// uses for the same failures.
std::string IoErrorText(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "Path not found";
        case EACCES:
        case EPERM:
        case EISDIR:
            return "File access denied";
        case EROFS:
            return "Disk is write-protected";
        case ENOSPC:
        case EDQUOT:
            return "Disk full";
        case ENAMETOOLONG:
            return "Invalid file name";
        default:
            return fmt::format("I/O error {}", error);
    }
}

}  // namespace

std::string FormatTexts(std::string_view format, std::span<const std::string_view> values) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool left = format[j] == '-';
        if (left) ++j;
        std::size_t width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            width = width * 10 + static_cast<std::size_t>(format[j] - '0');
            ++j;
        }
        const std::string_view value = next < values.size() ? values[next++] : std::string_view{};
        const std::size_t pad = value.size() < width ? width - value.size() : 0;
        if (!left) out.append(pad, ' ');
        out += value;
        if (left) out.append(pad, ' ');
        i = j;  // the conversion letter
    }
    return out;
}

std::string ReportWorkPath(const RunState& state) {
    return state.DataFolder + state.UserCode + "WORK";
}

bool ReadReportLine(const File& file, std::uint64_t offset, ReportLine& line) {
    return file.ReadAt(offset, &line, kLineSize) == kLineSize;
}

namespace {

// Lines are gathered and written a large piece at a time: a long report or a posting run
// writes thousands of them.
constexpr std::size_t kPendingLimit = 64 * 1024;

// Remembers the first failure, so that the viewer can say the report is not whole.
bool NoteWorkError(RunState& state, bool ok) {
    if (!ok && state.ReportWorkError == 0) {
        state.ReportWorkError = state.ReportWork.Error() != 0 ? state.ReportWork.Error() : EIO;
    }
    return ok;
}

bool FlushReport(RunState& state) {
    if (state.ReportPending.empty()) return true;
    const bool ok = state.ReportWork.Append(state.ReportPending.data(), state.ReportPending.size());
    state.ReportPending.clear();
    return NoteWorkError(state, ok);
}

}  // namespace

bool BeginReport(RunState& state) {
    const std::string path = ReportWorkPath(state);
    state.ReportPending.clear();
    state.ReportWorkError = 0;
    state.ReportWork.Close();
    CreateEmptyFile(path);  // fails harmlessly when the file is there from the last run
    return NoteWorkError(state, state.ReportWork.Open(path, File::Access::ReadWrite) &&
                                    state.ReportWork.Truncate(0));
}

bool AppendReportLine(RunState& state, std::string_view text) {
    ReportLine line;
    line.Text.set(text);  // cut to 80
    state.ReportPending.append(reinterpret_cast<const char*>(&line), kLineSize);
    return state.ReportPending.size() < kPendingLimit || FlushReport(state);
}

bool WriteReport(RunState& state, const std::vector<std::string>& lines) {
    bool ok = BeginReport(state);
    for (const std::string& line : lines) ok = AppendReportLine(state, line) && ok;
    EndReport(state);
    return ok;
}

int WriteReportDurably(RunState& state, const std::vector<std::string>& lines) {
    bool ok = BeginReport(state);
    for (const std::string& line : lines) ok = ok && AppendReportLine(state, line);
    ok = ok && FlushReport(state) && NoteWorkError(state, state.ReportWork.Sync());
    EndReport(state);
    if (!ok) return state.ReportWorkError;
    // A work file made by this run outlasts a power cut only once its folder entry does.
    return SyncFolder(state.DataFolder);
}

void EndReport(RunState& state) {
    FlushReport(state);
    state.ReportWork.Close();
}

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

void PrintReport(App& app, int reportNumber) {
    const RunState& s = app.state;
    ui::Printer& printer = app.ui.services().GetPrinter();
    printer.SetFont("Courier New", 12);
    const int lineHeight = printer.TextHeight("XXX");
    const int pageLimit = printer.PageHeight() - 2 * lineHeight;
    const std::string title = PageTitle(reportNumber, s.ReportTypePattern);
    const std::string heading = ColumnHeading(reportNumber);

    printer.BeginDoc(title.empty() ? "Tessary report" : title);
    int page = 1;
    File work;
    work.Open(ReportWorkPath(s), File::Access::ReadOnly);
    int y = DrawPageHeader(printer, lineHeight, title, PageHeaderLine(s, page), heading);
    // A run of page breaks gives one new page, and a break at the end none at all: the
    // new page is only started when a line is there to go on it.
    bool pending = false;
    ReportLine line;
    for (std::uint64_t at = 0; ReadReportLine(work, at, line); at += kLineSize) {
        const std::string_view text = line.Text.view();
        if (!text.empty() && text[0] == kPageBreak[0]) {
            pending = true;
            continue;
        }
        if (pending || y >= pageLimit) {
            printer.NewPage();
            ++page;
            y = DrawPageHeader(printer, lineHeight, title, PageHeaderLine(s, page), heading);
            pending = false;
        }
        printer.TextOut(0, y, std::string(text));
        y += lineHeight;
    }
    work.Close();
    printer.EndDoc();
}

void SaveReport(App& app, int reportNumber) {
    ui::FileDialogOptions options;
    options.filter = "txt|*.txt|All files|*.*";
    options.defaultExt = "txt";
    options.initialDir = "c:\\";
    const std::optional<std::string> chosen = app.ui.services().SaveFileDialog(options);
    if (!chosen) return;
    app.state.LastFiledReport = *chosen;

    std::string text = CutLine(ColumnHeading(reportNumber)) + "\r\n";
    File work;
    work.Open(ReportWorkPath(app.state), File::Access::ReadOnly);
    ReportLine line;
    for (std::uint64_t at = 0; ReadReportLine(work, at, line); at += kLineSize) {
        if (line.Text.view() == kPageBreak) {
            text += kFormFeed;
        } else {
            text += line.Text.view();
            text += "\r\n";
        }
    }
    work.Close();
    // Dialog names are Windows-1252 like all form text; the file system takes UTF-8. The text
    // goes to a temporary name beside the file and is renamed into place, so a failed save
    // leaves the old file whole rather than half overwritten.
    const int error = WriteFileDurably(Cp1252ToUtf8(*chosen), text);
    if (error != 0) app.ShowModalMessage("Report not filed - " + IoErrorText(error));
}

}  // namespace tessary
