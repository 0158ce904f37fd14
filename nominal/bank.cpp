#include "nominal/bank.h"

#include "core/dates.h"
#include "core/fileset.h"
#include "core/mainform.h"
#include "core/text.h"
#include "core/update.h"
#include "nominal/posting.h"

namespace tessary {

namespace {

// Fixed places in a row: the amount in characters 47 to 57 and the mark at 59 (from 1).
constexpr std::size_t kAmountAt = 46;
constexpr std::size_t kAmountWidth = 11;
constexpr std::size_t kMarkAt = 58;

}  // namespace

TFbank::TFbank(App& app)
    : ui::Form("TFbank"),
      Bank(Add<ui::StringGrid>("Bank")),
      Label1(Add<ui::Label>("Label1")),
      Lbanked(Add<ui::Label>("Lbanked")),
      Label2(Add<ui::Label>("Label2")),
      Ldifference(Add<ui::Label>("Ldifference")),
      Next(Add<ui::Button>("Next")),
      Previous(Add<ui::Button>("Previous")),
      Close(Add<ui::Button>("Close")),
      app_(app) {
    caption = "Reconcile";
    Bank.Place(10, 10, 780, kRows * 20 + 4);
    Bank.fixedRows = 0;
    Bank.Resize(kRows, 1);
    Bank.colWidths = {1000};
    Bank.defaultRowHeight = 20;
    Bank.row = 0;
    Bank.font.name = "Courier New";
    Bank.font.pixelHeight = 15;
    Bank.tabOrder = 0;
    Label1.left = 20;
    Label1.top = 490;
    Label1.caption = "Reconciled Total";
    Lbanked.left = 140;
    Lbanked.top = 490;
    Lbanked.font.name = "Courier New";
    Label2.left = 300;
    Label2.top = 490;
    Label2.caption = "Difference";
    Ldifference.left = 390;
    Ldifference.top = 490;
    Ldifference.font.name = "Courier New";
    int x = 520;
    for (auto [b, text, tab] :
         {std::tuple{&Next, "&Next", 1}, std::tuple{&Previous, "&Previous", 2},
          std::tuple{&Close, "&Close", 3}}) {
        b->caption = text;
        b->Place(x, 484, 80, 30);
        b->tabOrder = tab;
        x += 90;
    }
    OnActivate = [this] { FormActivate(); };
    Bank.OnKeyPress = [this](char& key) { BankKeyPress(key); };
    Bank.OnClick = [this] { BankMouseDown(); };
    Next.OnClick = [this] { NextClick(); };
    Previous.OnClick = [this] { PreviousClick(); };
    Close.OnClick = [this] { CloseClick(); };
}

void TFbank::Open(double statementBalance) {
    statement_ = statementBalance;
    MarkOpening();
    app_.ui.Show(*this);
}

std::string TFbank::RowText() const {
    const NominalLogEntry& e = app_.state.NominalLog;
    return PadRight(FormatDate(e.Date), 10) + " " + PadRight(e.UserCode.str(), 3) + " " +
           PadRight(e.Narrative.str(), 30) + " " + Money11(BankEffect(e.AccountNo, e.Amount)) +
           " " + (e.Reconciled != 0 ? "R" : " ");
}

void TFbank::ShowTotals() {
    Lbanked.caption = Money11(reconciled_);
    Ldifference.caption = Money11(reconciled_ - statement_);
}

void TFbank::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    RunState& s = app_.state;
    s.RecordNo = kBankAccount;
    ReadNominal(s);
    reconciled_ = s.Nominal.YearStartBalance;
    const File& log = s.Files[DataFile::NomLog];
    std::int64_t count = 0;
    NominalLogEntry& e = s.NominalLog;
    while (log.ReadAt(static_cast<std::uint64_t>(count) * kNominalLogEntrySize, RecordBytes(e),
                      kNominalLogEntrySize) == kNominalLogEntrySize) {
        if (e.Reconciled != 0) reconciled_ += BankEffect(e.AccountNo, e.Amount);
        ++count;
    }
    ShowTotals();
    lastPage_ = page_ = count / kRows;
    ShowPage();
    PlaceFocus(&Bank);
}

void TFbank::ShowPage() {
    RunState& s = app_.state;
    for (auto& row : Bank.cells) row.assign(1, "");
    for (int r = 0; r < kRows; ++r) {
        const auto n = static_cast<std::uint64_t>(page_ * kRows + r);
        if (s.Files[DataFile::NomLog].ReadAt(n * kNominalLogEntrySize, RecordBytes(s.NominalLog),
                                             kNominalLogEntrySize) < kNominalLogEntrySize) {
            break;
        }
        Bank.Cell(r, 0) = RowText();
    }
}

void TFbank::SavePage() {
    RunState& s = app_.state;
    File& log = s.Files[DataFile::NomLog];
    for (int r = 0; r < kRows; ++r) {
        const auto at = static_cast<std::uint64_t>(page_ * kRows + r) * kNominalLogEntrySize;
        NominalLogEntry& e = s.NominalLog;
        if (log.ReadAt(at, RecordBytes(e), kNominalLogEntrySize) < kNominalLogEntrySize) break;
        const std::string& text = Bank.Cell(r, 0);
        e.Reconciled = text.size() > kMarkAt && text[kMarkAt] == 'R' ? 1 : 0;
        WriteData(s, DataFile::NomLog, at, RecordBytes(e), kNominalLogEntrySize);
    }
}

void TFbank::Toggle() {
    if (Bank.row < 0 || Bank.row >= kRows) return;
    std::string& text = Bank.Cell(Bank.row, 0);
    if (text.size() <= kMarkAt) return;  // an empty row has nothing to tick
    const double amount = ReadNumber(std::string_view(text).substr(kAmountAt, kAmountWidth));
    if (text[kMarkAt] == 'R') {
        text[kMarkAt] = ' ';
        reconciled_ -= amount;
    } else {
        text[kMarkAt] = 'R';
        reconciled_ += amount;
    }
    ShowTotals();
}

void TFbank::BankKeyPress(char& key) {
    if (key == '\r') {
        Toggle();
        key = 0;
    }
}

void TFbank::BankMouseDown() {
    Toggle();
}

void TFbank::NextClick() {
    SavePage();
    if (page_ + 1 <= lastPage_) {
        ++page_;
        ShowPage();
    }
}

void TFbank::PreviousClick() {
    SavePage();
    if (page_ - 1 >= 0) {
        --page_;
        ShowPage();
    }
}

void TFbank::CloseClick() {
    SavePage();
    ReturnToMain(app_, *this, kUpdate, PromptOnReturn::Clear);
}

void Reconcile(App& app, TFbank& form) {
    TFmain& m = app.main();
    m.L2.caption = "Bank Balance";
    m.E2.visible = true;
    m.PlaceFocus(&m.E2);
    const bool ok = m.AskPrompt() == ui::ModalResult::OK;
    const double statement = ReadNumber(m.E2.text);
    if (!ok) {
        m.ClearPrompt();
        app.ui.Show(m);
        m.EnableMenus(true);
        return;
    }
    if (!OpenFileSet(app.state, kUpdate)) {
        m.OK.visible = m.Cancel.visible = false;
        app.ui.Show(m);
        m.EnableMenus(true);
        return;
    }
    m.ClearPrompt();
    form.Open(statement);
}

}  // namespace tessary
