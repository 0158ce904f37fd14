#include "core/forms/mainform.h"

#include <fmt/core.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/dates.h"
#include "core/file.h"
#include "core/fileset.h"
#include "core/forms/modal.h"
#include "core/forms/setup.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"

namespace tessary {

namespace fs = std::filesystem;

TFmain::TFmain(App& app)
    : ui::Form("TFmain"),
      L1(Add<ui::Label>("L1")),
      L2(Add<ui::Label>("L2")),
      L3(Add<ui::Label>("L3")),
      L4(Add<ui::Label>("L4")),
      E1(Add<ui::Edit>("E1")),
      E2(Add<ui::Edit>("E2")),
      E3(Add<ui::Edit>("E3")),
      E4(Add<ui::Edit>("E4")),
      Lm(Add<ui::Label>("Lm")),
      OK(Add<ui::Button>("OK")),
      Cancel(Add<ui::Button>("Cancel")),
      SC(Add<ui::Label>("SC")),
      app_(app) {
    caption = " ";
    const int rows[] = {60, 122, 201, 263};
    ui::Label* labels[] = {&L1, &L2, &L3, &L4};
    ui::Edit* edits[] = {&E1, &E2, &E3, &E4};
    for (int i = 0; i < 4; ++i) {
        labels[i]->Place(180, rows[i] + 4, 140, 20);
        edits[i]->Place(333, rows[i], 200, 24);
        edits[i]->maxLength = 24;
        edits[i]->visible = false;
        edits[i]->tabOrder = i;
    }
    Lm.Place(23, 152, 753, 24);
    Lm.autoSize = false;
    Lm.alignment = ui::Alignment::Center;
    Lm.font.bold = true;
    OK.Place(516, 360, 89, 30);
    OK.caption = "&OK";
    OK.modalResult = ui::ModalResult::OK;
    OK.visible = false;
    OK.tabOrder = 4;
    OK.isDefault = true;
    Cancel.Place(195, 360, 89, 30);
    Cancel.caption = "&Cancel";
    Cancel.modalResult = ui::ModalResult::Cancel;
    Cancel.visible = false;
    Cancel.tabOrder = 5;
    Cancel.isCancel = true;
    SC.Place(0, 448, 800, 20);
    SC.autoSize = false;
    SC.alignment = ui::Alignment::Center;
    SC.caption = "Tessary - bookkeeping for savings and loans co-operatives";

    BuildMenu();
    OnActivate = [this] { FormActivate(); };
}

void TFmain::BuildMenu() {
    menu = std::make_unique<ui::MainMenu>();
    auto& m = *menu;
    const auto members = [this](int code) {
        return [this, code] { Dispatch(code, MembersCommand); };
    };
    const auto nominal = [this](int code) {
        return [this, code] { Dispatch(code, NominalCommand); };
    };
    const auto report = [this](int code) {
        return [this, code] { Dispatch(code, ReportCommand); };
    };
    const auto processing = [this](int code) {
        return [this, code] { Dispatch(code, ProcessingCommand); };
    };

    m.Add("LoanCalculator1", "&Loan Calculator", [this] {
        if (!LoanCalculator) {
            NotAvailable("The loan calculator");
            return;
        }
        // Open to every user and needs no data files.
        EnableMenus(false);
        ClearPrompt();
        app_.ui.Hide(*this);
        LoanCalculator();
    });

    auto& ma = m.Add("MembersAccounts1", "&Members Accounts");
    ma.Add("InputTransactions1", "&Input Transactions", members(kCmdInputMemberTransactions));
    ma.Add("ReadTransactions1", "&Read Transactions", members(kCmdReadMemberTransactions));
    ma.Add("TotalTransactions1", "&Check Transactions", members(kCmdCheckMemberTransactions));
    ma.Add("PostTransactions1", "&Post Transactions", members(kCmdPostMemberTransactions));
    ma.Add("AddMembers1", "&Add Members", members(kCmdAddMembers));
    ma.Add("UpdateMembers1", "&Update Members", members(kCmdUpdateMembers));
    ma.Add("ViewMembers1", "&View Members", members(kCmdViewMembers));
    ma.Add("FindMember1", "&Find Member", members(kCmdFindMember));
    ma.Add("CreatePortabledisk", "Create &FPY Disc", members(kCmdCreateFpyDisc));
    ma.Add("ExportMembersRecords1", "&Export Members Records", members(kCmdExportMembers));
    ma.Add("ImportMembersDetails1", "I&mport Members Details", members(kCmdImportMembers));

    auto& na = m.Add("NominalAccounts1", "&Nominal Accounts");
    na.Add("InputTransactions2", "&Input Transactions", nominal(kCmdInputNominalTransactions));
    na.Add("TotalTransactions2", "&Total Transactions", nominal(kCmdTotalNominalTransactions));
    na.Add("Post2", "&Post Transactions", nominal(kCmdPostNominalTransactions));
    na.Add("Reconcile", "&Reconcile", nominal(kCmdReconcile));
    na.Add("MaintainAccounts1", "&Maintain Accounts", nominal(kCmdMaintainNominalAccounts));

    auto& r = m.Add("Reports1", "&Reports");
    r.Add("SetPrinter1", "Set Printer", [this] { SetPrinterClick(); });
    r.Add("EditReport1", "Edit Filed Report", [this] { EditReportClick(); });
    r.Add("MembersBalances1", "Members Balances", report(kCmdReportMembersBalances));
    r.Add("MembersLoans1", "Members Loans", report(kCmdReportMembersLoans));
    r.Add("MembersTransactions1", "Members Transactions", report(kCmdReportMembersTransactions));
    r.Add("MembersData1", "Members Data", report(kCmdReportMembersData));
    r.Add("NominalAccountList1", "Nominal Account List", report(kCmdReportNominalAccountList));
    r.Add("NominalTransactions1", "Nominal Transactions", report(kCmdReportNominalTransactions));
    r.Add("TransactionSummary1", "Transaction Summary", report(kCmdReportTransactionSummary));
    r.Add("BudgetVariances1", "Budget Variances", report(kCmdReportBudgetVariances));
    r.Add("TrialBalance1", "Trial Balance", report(kCmdReportTrialBalance));
    r.Add("CashFlow1", "Cash Flow", report(kCmdReportCashFlow));
    r.Add("ProfitandLoss1", "Profit and Loss", report(kCmdReportProfitAndLoss));
    r.Add("BalanceSheet1", "Balance Sheet", report(kCmdReportBalanceSheet));
    r.Add("DistributionofLoans1", "Distribution of Loans", report(kCmdReportDistributionOfLoans));
    r.Add("DelinquentLoans1", "Delinquent Loans", report(kCmdReportDelinquentLoans));
    r.Add("Insurance1", "Insurable Loans/Savings", report(kCmdReportInsurance));
    r.Add("SystemControl1", "System Control", report(kCmdReportSystemControl));

    auto& p = m.Add("Processing1", "&Processing");
    p.Add("PeriodEnd1", "&Period End", processing(kCmdPeriodEnd));
    p.Add("YearEnd1", "&Year End", processing(kCmdYearEnd));
    p.Add("DividendAllocation1", "&Dividend Allocation", processing(kCmdDividendAllocation));
    p.Add("Backup1", "&Backup", processing(kCmdBackup));
    p.Add("Restore1", "&Restore", processing(kCmdRestore));

    m.Add("SetUp1", "&Set Up", [this] { SetUpClick(); });
    auto& exit = m.Add("Exit1", "&Exit");
    exit.Add("ExitNo1", "&No");
    exit.Add("ExitYes1", "&Yes", [this] { ExitYesClick(); });
    m.Add("Help1", "&Help", [this] { HelpClick(); });
}

void TFmain::Dispatch(int code, const std::function<void()>& dispatcher) {
    app_.state.CommandCode = code;
    if (dispatcher) {
        dispatcher();
    } else {
        ClearPrompt();
        NotAvailable("This command");
    }
}

void TFmain::FormActivate() {
    RunState& s = app_.state;
    colour = ui::kFormColour;
    caption = "Tessary - " + s.System.UnionName.str() + " - " + s.UserCode + " - " +
              s.WorkingDayName + " " + FormatLongDate(s.WorkingDate);
    const double lastPeriodEnd = StoredDate(s.System.LastPeriodEndDate);
    if (lastPeriodEnd > 0 && s.NewPeriodReminder) {
        const auto days = static_cast<long long>(std::llround(s.WorkingDate - lastPeriodEnd));
        if (days > 30) {
            s.NewPeriodReminder = false;
            Lm.caption = fmt::format("NEW PERIOD - Last Period End Processing {} days ago", days);
        }
    }
}

void TFmain::ClearPrompt() {
    for (ui::Label* l : {&L1, &L2, &Lm, &L3, &L4}) l->caption.clear();
    for (ui::Edit* e : {&E1, &E2, &E3, &E4}) {
        e->visible = false;
        e->text.clear();
    }
    OK.visible = false;
    Cancel.visible = false;
}

ui::ModalResult TFmain::AskPrompt() {
    OK.visible = true;
    Cancel.visible = true;
    app_.ui.Hide(*this);
    return app_.ui.ShowModal(*this);
}

void TFmain::EnableMenus(bool on) {
    for (const char* name : {"LoanCalculator1", "MembersAccounts1", "NominalAccounts1", "Reports1",
                             "Processing1", "SetUp1", "Exit1"}) {
        if (ui::MenuItem* item = menu->Find(name)) item->enabled = on;
    }
}

bool TFmain::CheckRights(int required) {
    if (required >= app_.state.UserLevel) return true;
    Lm.caption = kMsgNotAuthorised;
    return false;
}

void TFmain::WarnUnpostedBatches() {
    std::vector<fs::path> batches;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(app_.state.DataFolder, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".t32") batches.push_back(entry.path());
    }
    std::sort(batches.begin(), batches.end());
    for (const auto& batch : batches) {
        File f;
        if (f.Open(batch, File::Access::ReadOnly) && f.Size() > 0) {
            app_.ShowModalMessage("Warning - Unposted transactions - " + batch.filename().string());
        }
    }
}

void TFmain::NotAvailable(const std::string& what) {
    Lm.caption = what + " is not available yet";
}

void TFmain::ShowMessage(std::string_view text) {
    Lm.caption = std::string(text);
}

bool TFmain::AskQuestion(std::string_view message, std::string_view question) {
    Lm.caption = std::string(message);
    L4.caption = std::string(question);
    const bool ok = AskPrompt() == ui::ModalResult::OK;
    L4.caption.clear();
    OK.visible = false;
    Cancel.visible = false;
    app_.ui.Show(*this);
    return ok;
}

void TFmain::RequestShutDown() {
    app_.ui.Quit();
}

void TFmain::SetUpClick() {
    if (!CheckRights(kSystemController) || !OpenFileSet(app_.state, kUpdate)) return;
    EnableMenus(false);
    ClearPrompt();
    app_.ui.Hide(*this);
    app_.ui.Show(app_.setup());
}

void TFmain::SetPrinterClick() {
    app_.ui.services().PrinterSetup();
}

void TFmain::EditReportClick() {
    std::string file = app_.state.LastFiledReport;
    if (file.empty()) {
        // Nothing filed in this run: the editor opens on a new, empty document, made where
        // no other user can read or replace it; later uses in the run open the same one.
        std::error_code ec;
        if (newDocument_.empty() || !fs::exists(newDocument_, ec)) {
            newDocument_.clear();
            if (const int error = CreatePrivateTemporaryFile("new.txt", newDocument_)) {
                Lm.caption = "No new document could be made: " + FileErrorText(error);
                return;
            }
        }
        file = newDocument_.string();
    }
    app_.ui.services().ShellOpen(file, "open", "", ui::ShowState::Maximized);
}

void TFmain::HelpClick() {
    app_.ui.services().ShellOpen(app_.programFolder + "/tessary.html", "open", "",
                                 ui::ShowState::Maximized);
}

void TFmain::ExitYesClick() {
    WarnUnpostedBatches();
    app_.ShutDown();
}

void ReturnToMain(App& app, ui::Form& form, std::optional<FileSetMode> fileSetMode,
                  PromptOnReturn prompt) {
    TFmain& m = app.main();
    // The prompt goes first: closing an update may have to say that its changes were not kept.
    if (prompt == PromptOnReturn::Clear) m.ClearPrompt();
    if (fileSetMode) CloseFileSet(app.state, *fileSetMode);
    m.EnableMenus(true);
    app.ui.Hide(form);
    app.ui.Show(m);
}

std::optional<double> TakeAmountField(ui::Edit& edit) {
    // The mark itself stays refused: read leniently it would be 0, which deletes the entry.
    std::optional<double> amount;
    if (edit.text != "Invalid") amount = ReadAmount(edit.text);
    if (!amount) {
        edit.text = "Invalid";
        edit.SetFocus();
    }
    return amount;
}

}  // namespace tessary
