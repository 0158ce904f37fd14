#include "reports/forms/commands.h"

#include <optional>
#include <string>
#include <vector>

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/forms/start.h"
#include "core/protocol.h"
#include "core/text.h"
#include "reports/damage.h"
#include "reports/forms/view.h"
#include "reports/ledger.h"
#include "reports/members.h"
#include "reports/portfolio.h"
#include "reports/writer.h"

namespace tessary {

namespace {

// The prompts a report asks for, in the main window's fields.
enum Prompt : unsigned {
    kNone = 0,
    kType = 1,      // "Type" in E2
    kFromDate = 2,  // "From date" in E1
    kToDate = 4,    // "To date" in E2
    kMembers = 8,   // "From account" in E3, "To account" in E4
    kAccount = 16,  // "Account Number" in E3
};

unsigned PromptsOf(int code) {
    switch (code) {
        case kCmdReportMembersBalances:
        case kCmdReportMembersLoans:
            return kType;
        case kCmdReportMembersTransactions:
            return kFromDate | kToDate | kMembers;
        case kCmdReportNominalTransactions:
            return kFromDate | kToDate | kAccount;
        case kCmdReportDistributionOfLoans:
            return kFromDate;
        case kCmdReportSystemControl:
        case kCmdReportTransactionSummary:
            return kFromDate | kToDate;
        default:
            return kNone;
    }
}

// Shows the report's prompts and waits for OK or Cancel; true for OK (or no prompts).
bool Ask(TFmain& m, unsigned prompts) {
    if (prompts == kNone) return true;
    ui::Edit* first = nullptr;
    const auto field = [&](ui::Label& label, ui::Edit& edit, const char* caption) {
        label.caption = caption;
        edit.visible = true;
        if (!first) first = &edit;
    };
    if (prompts & kFromDate) field(m.L1, m.E1, "From date");
    if (prompts & kType) field(m.L2, m.E2, "Type");
    if (prompts & kToDate) field(m.L2, m.E2, "To date");
    if (prompts & kMembers) {
        field(m.L3, m.E3, "From account");
        field(m.L4, m.E4, "To account");
    }
    if (prompts & kAccount) field(m.L3, m.E3, "Account Number");
    m.PlaceFocus(first);
    return m.AskPrompt() == ui::ModalResult::OK;
}

// A date prompt's value: its default for an empty text or one that is no date.
DayNumber PromptDate(const App& app, const std::string& text, DayNumber fallback) {
    if (text.empty()) return fallback;
    const DayNumber day = ReadDate(app, text);
    return day == 0 ? fallback : day;
}

}  // namespace

void ReportCommand(App& app) {
    TFmain& m = app.main();
    RunState& s = app.state;
    const int code = s.CommandCode;
    OpenFileSet(s, kEnquiry);
    BeginReport(s);
    m.ClearPrompt();
    m.EnableMenus(false);
    const unsigned prompts = PromptsOf(code);
    if (!Ask(m, prompts)) {
        CloseFileSet(s, kEnquiry);
        EndReport(s);
        m.ClearPrompt();
        m.EnableMenus(true);
        app.ui.Show(m);
        return;
    }
    ReportSelection sel;
    if (prompts & kFromDate) sel.fromDate = PromptDate(app, m.E1.text, kDefaultFromDate);
    if (prompts & kToDate) sel.toDate = PromptDate(app, m.E2.text, kDefaultToDate);
    if (prompts & kMembers) {
        sel.fromMember = ReadWholeNumber(m.E3.text);
        sel.toMember = ReadWholeNumber(m.E4.text);
    }
    if (prompts & kAccount) sel.fromMember = ReadWholeNumber(m.E3.text);
    s.ReportTypePattern = (prompts & kType) ? TypePattern(m.E2.text) : "";
    sel.typePattern = s.ReportTypePattern;
    m.ClearPrompt();

    const LineSink out = [&s](std::string_view line) { AppendReportLine(s, line); };
    // Every record a report reads is looked over for damaged numbers as it is read; the
    // report then names them at its end.
    std::vector<std::string> damaged;
    const auto read = [&damaged](File& file, auto record) {
        auto records = ReadAllRecords<decltype(record)>(file);
        NoteDamage(records, damaged);
        return records;
    };
    const auto members = [&] { return read(s.Files[DataFile::MemAcc], MemberRecord{}); };
    const auto ledger = [&] { return read(s.Files[DataFile::NomAcc], NominalAccountRecord{}); };
    const auto memlog = [&] { return read(s.Files[DataFile::MemLog], MemberLogEntry{}); };
    const auto nomlog = [&] { return read(s.Files[DataFile::NomLog], NominalLogEntry{}); };
    // The set-up figures the loan and insurance reports work with.
    const auto setUp = [&] { NoteDamage(s.System, damaged); };
    // Set by the reports whose figures are best seen as a chart.
    std::optional<Chart> chart;
    switch (code) {
        case kCmdReportMembersBalances:
            MembersBalances(members(), sel.typePattern, out);
            break;
        case kCmdReportMembersLoans:
            setUp();
            MembersLoans(members(), sel.typePattern, RatesOf(s.System), s.WorkingDate, out);
            break;
        case kCmdReportMembersTransactions:
            MembersTransactions(members(), memlog(), sel, out);
            break;
        case kCmdReportNominalAccountList:
            NominalAccountList(ledger(), out);
            break;
        case kCmdReportNominalTransactions:
            NominalTransactions(ledger(), nomlog(), sel, out);
            break;
        case kCmdReportBudgetVariances: {
            const BudgetVarianceRows rows = BudgetVariancesRows(ledger(), s.System.PeriodNumber);
            RenderText(RowsOf(rows), out);
            chart = BudgetVariancesChart(rows);
            break;
        }
        case kCmdReportTrialBalance:
            TrialBalance(ledger(), out);
            break;
        case kCmdReportProfitAndLoss:
            ProfitAndLoss(ledger(), out);
            break;
        case kCmdReportBalanceSheet:
            BalanceSheet(ledger(), out);
            break;
        case kCmdReportDistributionOfLoans: {
            const LoanDistribution bands = DistributionOfLoansRows(members(), sel.fromDate);
            RenderText(RowsOf(bands, sel.fromDate), out);
            chart = DistributionOfLoansChart(bands, sel.fromDate);
            break;
        }
        case kCmdReportDelinquentLoans: {
            setUp();
            const Delinquency bands =
                DelinquentLoansRows(members(), RatesOf(s.System), s.WorkingDate);
            RenderText(RowsOf(bands), out);
            chart = DelinquentLoansChart(bands);
            break;
        }
        case kCmdReportInsurance:
            setUp();
            InsuranceReport(members(), s.System, out);
            break;
        case kCmdReportSystemControl:
            SystemControl(read(s.Files[DataFile::SysLog], SyslogRecord{}), sel.fromDate, sel.toDate,
                          out);
            break;
        case kCmdReportCashFlow: {
            const CashFlowRows rows = CashFlowRowsOf(ledger());
            RenderText(RowsOf(rows), out);
            chart = CashFlowChart(rows);
            break;
        }
        case kCmdReportTransactionSummary:
            TransactionSummary(memlog(), nomlog(), sel.fromDate, sel.toDate, out);
            break;
        case kCmdReportMembersData:
            // Names and numbers only: no amount of a member is shown, so none is looked over.
            MembersData(ReadAllRecords<MemberRecord>(s.Files[DataFile::MemAcc]), out);
            break;
        default:
            break;
    }
    WriteDamagedRecords(damaged, out);
    CloseFileSet(s, kEnquiry);
    ShowReport(app, std::move(chart));
    if (!damaged.empty()) app.ShowModalMessage(kMsgDamagedRecords);
}

}  // namespace tessary
