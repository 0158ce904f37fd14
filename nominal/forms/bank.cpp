#include "nominal/forms/bank.h"

#include "core/dates.h"
#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/text.h"
#include "core/update.h"
#include "nominal/posting.h"

namespace tessary {

namespace {

// The mark's fixed place in a row: character 59 (from 1).
constexpr std::size_t kMarkAt = 58;

std::string RowText(const Reconciliation::Row& row) {
    const NominalLogEntry& e = row.entry;
    return PadRight(FormatDate(e.Date), 10) + " " + PadRight(e.UserCode.str(), 3) + " " +
           PadRight(e.Narrative.str(), 30) + " " + Money11(row.effect) + " " +
           (row.ticked ? "R" : " ");
}

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

void TFbank::ShowTotals() {
    Lbanked.caption = Money11(rec_.reconciled());
    Ldifference.caption = Money11(rec_.reconciled() - statement_);
}

void TFbank::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    RunState& s = app_.state;
    s.RecordNo = kBankAccount;
    ReadNominal(s);
    rec_.Start(s, s.Nominal.YearStartBalance);
    rec_.Load(s, rec_.lastPage());  // the newest entries first
    ShowTotals();
    ShowPage();
    PlaceFocus(&Bank);
}

void TFbank::ShowPage() {
    for (auto& row : Bank.cells) row.assign(1, "");
    for (std::size_t r = 0; r < rec_.rows().size(); ++r) {
        Bank.Cell(static_cast<int>(r), 0) = RowText(rec_.rows()[r]);
    }
}

void TFbank::SavePage() {
    rec_.Save(app_.state);
}

void TFbank::Toggle() {
    if (Bank.row < 0 || Bank.row >= kRows || !rec_.Toggle(Bank.row)) return;
    std::string& text = Bank.Cell(Bank.row, 0);
    if (text.size() > kMarkAt)
        text[kMarkAt] = rec_.rows()[static_cast<std::size_t>(Bank.row)].ticked ? 'R' : ' ';
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
    if (rec_.page() + 1 <= rec_.lastPage()) {
        rec_.Load(app_.state, rec_.page() + 1);
        ShowPage();
    }
}

void TFbank::PreviousClick() {
    SavePage();
    if (rec_.page() - 1 >= 0) {
        rec_.Load(app_.state, rec_.page() - 1);
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
