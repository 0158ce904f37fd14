#include "nominal/forms/nomacc.h"

#include <algorithm>
#include <limits>

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/text.h"

namespace tessary {

TFnomacc::TFnomacc(App& app)
    : ui::Form("TFnomacc"),
      Label1(Add<ui::Label>("Label1")),
      Eaccno(Add<ui::Edit>("Eaccno")),
      LNomtype(Add<ui::Label>("LNomtype")),
      Label2(Add<ui::Label>("Label2")),
      Eaccname(Add<ui::Edit>("Eaccname")),
      Label3(Add<ui::Label>("Label3")),
      Ebudget(Add<ui::Edit>("Ebudget")),
      Next(Add<ui::Button>("Next")),
      Previous(Add<ui::Button>("Previous")),
      Close(Add<ui::Button>("Close")),
      app_(app) {
    caption = "Maintain nominal accounts";
    const auto row = [](ui::Label& l, const char* text, ui::Edit& e, int y, int width,
                        int maxLength, int tab) {
        l.left = 200;
        l.top = y + 4;
        l.caption = text;
        e.Place(360, y, width, 24);
        e.maxLength = maxLength;
        e.tabOrder = tab;
    };
    row(Label1, "Account number", Eaccno, 120, 70, 6, 0);
    row(Label2, "Account name", Eaccname, 170, 220, 24, 1);
    row(Label3, "Annual budget", Ebudget, 220, 110, 11, 2);
    // The type name sits above the visible client area, as the form was designed.
    LNomtype.left = 360;
    LNomtype.top = -48;
    int x = 200;
    for (auto [b, text, tab] :
         {std::tuple{&Next, "&Next", 3}, std::tuple{&Previous, "&Previous", 4},
          std::tuple{&Close, "&Close", 5}}) {
        b->caption = text;
        b->Place(x, 320, 100, 30);
        b->tabOrder = tab;
        b->tabStop = b == &Next;
        x += 140;
    }
    OnActivate = [this] { FormActivate(); };
    Eaccno.OnExit = [this] { EaccnoExit(); };
    Eaccname.OnExit = [this] { EaccnameExit(); };
    Next.OnClick = [this] { NextClick(); };
    Previous.OnClick = [this] { PreviousClick(); };
    Close.OnClick = [this] { CloseClick(); };
}

void TFnomacc::Open() {
    MarkOpening();
    app_.ui.Show(*this);
}

void TFnomacc::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    app_.state.RecordNo = kFixedAssetsStart;
    ReadNominal(app_.state);
    Show();
    PlaceFocus(&Eaccno);
}

void TFnomacc::Show() {
    const RunState& s = app_.state;
    Eaccno.text = std::to_string(s.RecordNo);
    Eaccname.text = s.Nominal.AccountName.str();
    Ebudget.text = FixedText(s.Nominal.Budget, 2);
}

void TFnomacc::Save() {
    RunState& s = app_.state;
    s.Nominal.AccountName.set(Eaccname.text);
    s.Nominal.Budget = ReadNumber(Ebudget.text);
    WriteNominal(s);
}

void TFnomacc::EaccnoExit() {
    RunState& s = app_.state;
    if (Eaccno.text.empty()) return;
    // The digits the text begins with; none reads as 0.
    const auto n = ReadWholeNumber(
        Eaccno.text,
        {.blanksBefore = false, .minusSign = false, .after = WholeNumberForm::After::Anything});
    s.RecordNo = static_cast<std::int32_t>(
        std::min<long long>(n.value_or(0), std::numeric_limits<std::int32_t>::max()));
    if (!Maintainable(s.RecordNo)) {
        Eaccno.text = "Invalid";
        Eaccno.SetFocus();
        return;
    }
    LNomtype.caption = std::string(NominalTypeName(s.RecordNo));
    ReadNominal(s);
    Show();
}

void TFnomacc::EaccnameExit() {
    // Account 80 takes the year's surplus at year end: its name stays as it is.
    if (app_.state.RecordNo == kCapitalStart) Eaccname.text = app_.state.Nominal.AccountName.str();
}

void TFnomacc::Step(int d) {
    RunState& s = app_.state;
    if (!Maintainable(s.RecordNo)) return;
    Save();
    if (Maintainable(s.RecordNo + d)) {
        s.RecordNo += d;
        ReadNominal(s);
        Show();
    }
}

void TFnomacc::CloseClick() {
    RunState& s = app_.state;
    if (Maintainable(s.RecordNo)) Save();
    ReturnToMain(app_, *this, kUpdate);
}

}  // namespace tessary
