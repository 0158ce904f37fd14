#include "processing/forms/dividend.h"

#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/workfile.h"
#include "members/types.h"
#include "reports/forms/view.h"

namespace tessary {

TFdividend::TFdividend(App& app)
    : ui::Form("TFdividend"),
      Label1(Add<ui::Label>("Label1")),
      Edit1(Add<ui::Edit>("Edit1")),
      Label2(Add<ui::Label>("Label2")),
      Edit2(Add<ui::Edit>("Edit2")),
      Label3(Add<ui::Label>("Label3")),
      Button1(Add<ui::Button>("Button1")),
      Button2(Add<ui::Button>("Button2")),
      Button3(Add<ui::Button>("Button3")),
      app_(app) {
    caption = "Dividend Allocation";
    const auto row = [](ui::Label& l, const char* text, ui::Edit& e, int y, int tab) {
        l.left = 240;
        l.top = y + 4;
        l.caption = text;
        e.Place(420, y, 110, 24);
        e.maxLength = 9;
        e.tabOrder = tab;
    };
    row(Label1, "Type", Edit1, 160, 0);
    row(Label2, "% Annual Dividend", Edit2, 210, 1);
    Label3.alignment = ui::Alignment::Center;
    Label3.autoSize = false;
    Label3.Place(100, 270, 600, 24);
    int x = 200;
    for (auto [b, text, tab] :
         {std::tuple{&Button1, "&Cancel", 2}, std::tuple{&Button2, "Ch&eck", 3},
          std::tuple{&Button3, "&OK", 4}}) {
        b->caption = text;
        b->Place(x, 340, 100, 30);
        b->tabOrder = tab;
        x += 140;
    }
    OnActivate = [this] { FormActivate(); };
    Button1.OnClick = [this] { Button1Click(); };
    Button2.OnClick = [this] { Button2Click(); };
    Button3.OnClick = [this] { Button3Click(); };
}

void TFdividend::Open() {
    MarkOpening();
    app_.ui.Show(*this);
}

void TFdividend::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    Label3.caption.clear();
    PlaceFocus(&Edit1);
}

void TFdividend::Button1Click() {
    ReturnToMain(app_, *this, std::nullopt);
}

void TFdividend::Button2Click() {
    const DividendCheck check =
        CheckDividend(app_.state, TypePattern(Edit1.text), ReadNumber(Edit2.text));
    // A failed open has said why on the main window's message line.
    Label3.caption = check.opened ? check.message : app_.main().Lm.caption;
}

void TFdividend::Button3Click() {
    RunState& s = app_.state;
    const DividendRun run = AllocateDividend(s, TypePattern(Edit1.text), ReadNumber(Edit2.text));
    if (!run.check.opened) {
        Label3.caption = app_.main().Lm.caption;
        return;
    }
    Label3.caption = run.refused.empty() ? run.check.message : run.refused;
    if (!run.started) return;
    if (!run.outcome.committed) {
        Label3.caption = OutcomeMessage(run.outcome, "Dividend allocation");
        return;
    }
    app_.main().ClearPrompt();
    s.CommandCode = kCmdDividendListing;
    app_.ui.Hide(*this);
    // Allocated; a safety copy that failed is told over the report.
    ShowReport(
        app_, std::nullopt,
        run.outcome.copied ? std::string() : OutcomeMessage(run.outcome, "Dividend allocation"));
}

}  // namespace tessary
