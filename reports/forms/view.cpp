#include "reports/forms/view.h"

#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "reports/writer.h"

namespace tessary {

static_assert(sizeof(ReportLine) == TFview::kLineBytes);

namespace {

void MakeButton(ui::Button& b, const char* caption, int x, int tab) {
    b.Place(x, 500, 100, 30);
    b.caption = caption;
    b.tabOrder = tab;
}

}  // namespace

TFview::TFview(App& app)
    : ui::Form("TFview"),
      Memo1(Add<ui::Memo>("Memo1")),
      Next(Add<ui::Button>("Next")),
      Previous(Add<ui::Button>("Previous")),
      Close(Add<ui::Button>("Close")),
      Print(Add<ui::Button>("Print")),
      BFile(Add<ui::Button>("BFile")),
      BChart(Add<ui::Button>("BChart")),
      app_(app) {
    caption = "View and print output";
    // 80 columns of Courier New at 15 pixels, and 27 lines of 17.
    Memo1.Place(20, 10, 760, kMemoLines * 17 + 6);
    Memo1.font.name = "Courier New";
    Memo1.font.pixelHeight = 15;
    Memo1.readOnly = true;
    Memo1.colour = ui::kWhite;
    Memo1.tabStop = false;
    Memo1.lines.assign(kMemoLines, "");
    MakeButton(Previous, "&Previous", 30, 1);
    MakeButton(Next, "&Next", 155, 0);
    MakeButton(Print, "Pr&int", 280, 2);
    MakeButton(BFile, "&File", 405, 3);
    MakeButton(BChart, "C&hart", 530, 5);
    MakeButton(Close, "&Close", 655, 4);
    BChart.visible = false;

    OnActivate = [this] { FormActivate(); };
    Next.OnClick = [this] { NextClick(); };
    Previous.OnClick = [this] { PreviousClick(); };
    Close.OnClick = [this] { CloseClick(); };
    Print.OnClick = [this] { PrintClick(); };
    BFile.OnClick = [this] { BFileClick(); };
    BChart.OnClick = [this] { BChartClick(); };
}

int TFview::ReportNumber() const {
    return ReportNumberOfCode(app_.state.CommandCode);
}

void TFview::FormActivate() {
    colour = ui::kFormColour;
    // Coming back from the message form the report is still open: keep the page shown.
    if (!work_.IsOpen()) OpenFromStart();
}

void TFview::OpenFromStart() {
    work_.Open(ReportWorkPath(app_.state), File::Access::ReadOnly);
    offset_ = 0;
    ShowPage(0);
}

void TFview::ShowPage(int direction) {
    // A step back past the start, or on past the end, leaves the display as it was.
    if (offset_ < 0) {
        if (direction == 1) {
            offset_ -= kStep;
            atEnd_ = true;
        } else {
            offset_ += kStep;
            atStart_ = true;
        }
        return;
    }
    atEnd_ = false;
    atStart_ = false;
    Memo1.lines.assign(kMemoLines, "");
    Memo1.lines[0] = ColumnHeading(ReportNumber());
    ReportLine line;
    for (int i = 1; i < kMemoLines; ++i) {
        const auto at = static_cast<std::uint64_t>(offset_ + (i - 1) * kLineBytes);
        if (!ReadReportLine(work_, at, line)) {
            atEnd_ = true;
            continue;
        }
        const std::string_view text = line.Text.view();
        // A page break shows as a blank line.
        if (text.empty() || text[0] == kPageBreak[0]) continue;
        Memo1.lines[static_cast<std::size_t>(i)] = std::string(text);
    }
}

void TFview::NextClick() {
    if (atEnd_) return;
    offset_ += kStep;
    ShowPage(1);
}

void TFview::PreviousClick() {
    if (atStart_) return;
    offset_ -= kStep;
    ShowPage(-1);
}

void TFview::CloseClick() {
    work_.Close();
    ReturnToMain(app_, *this, std::nullopt, PromptOnReturn::Clear);
}

void TFview::PrintClick() {
    work_.Close();
    PrintReport(app_, ReportNumber());
    OpenFromStart();
}

void TFview::BFileClick() {
    SaveReport(app_, ReportNumber());
}

void TFview::BChartClick() {
    if (chart_) app_.ui.services().ShowChart(*chart_);
}

void TFview::SetChart(std::optional<Chart> chart) {
    chart_ = std::move(chart);
    BChart.visible = chart_.has_value();
}

TFview& ReportViewer(App& app) {
    if (auto* viewer = dynamic_cast<TFview*>(app.ui.FindForm("TFview"))) return *viewer;
    return app.MakeForm<TFview>();
}

void ShowReport(App& app, std::optional<Chart> chart, const std::string& notice) {
    EndReport(app.state);
    TFview& viewer = ReportViewer(app);
    viewer.ReleaseReport();
    viewer.SetChart(std::move(chart));
    app.ui.Hide(app.main());
    if (app.ui.ActiveForm() == &viewer) {
        viewer.FormActivate();  // already on top: Show would not activate it again
    } else {
        app.ui.Show(viewer);
    }
    if (!notice.empty()) app.ShowModalMessage(notice);
    // What could be written is shown, but never passed off as the whole report.
    if (const int error = app.state.ReportWorkError) {
        app.ShowModalMessage("Report not complete - " + FileErrorText(error));
    }
}

}  // namespace tessary
