#pragma once
// TFview: the report viewer. Shows the user's report work file 26 lines at a time under the
// column heading, and prints or files the whole report.

#include <cstdint>
#include <optional>
#include <string>

#include "core/file.h"
#include "core/forms/app.h"
#include "reports/chart.h"
#include "ui/form.h"

namespace tessary {

class TFview : public ui::Form {
  public:
    explicit TFview(App& app);

    ui::Memo& Memo1;
    ui::Button& Next;
    ui::Button& Previous;
    ui::Button& Close;
    ui::Button& Print;
    ui::Button& BFile;
    ui::Button& BChart;  // shown only for a report that has a chart

    // The report being viewed: the command code less 300.
    int ReportNumber() const;

    void FormActivate();
    void NextClick();
    void PreviousClick();
    void CloseClick();
    void PrintClick();
    void BFileClick();
    void BChartClick();

    // The chart of the report now shown, or none; the Chart button comes and goes with it.
    void SetChart(std::optional<Chart> chart);
    const std::optional<Chart>& chart() const { return chart_; }

    // Lets go of the work file, so that the next activation reads a new report from its start.
    void ReleaseReport() { work_.Close(); }

    // The memo shows the heading and 26 lines; a page step is 26 lines of 81 bytes.
    static constexpr int kMemoLines = 27;
    static constexpr std::int64_t kLineBytes = 81;
    static constexpr std::int64_t kStep = 26 * kLineBytes;

  private:
    // Shows the page at the current offset; `direction` is 0 (first showing), +1 or -1.
    void ShowPage(int direction);
    void OpenFromStart();

    App& app_;
    File work_;
    std::int64_t offset_ = 0;
    bool atEnd_ = false;
    bool atStart_ = false;
    std::optional<Chart> chart_;
};

// The one viewer of the program, made on first use.
TFview& ReportViewer(App& app);

// Prints the whole work file on the services' printer, with title, header line and column
// heading on every page.
void PrintReport(App& app, int reportNumber);
// Asks for a file name and files the report there as text: the heading line, then each line
// with CR LF, a form feed for each page break. A failure is told in the message form.
void SaveReport(App& app, int reportNumber);

// Shows the viewer on the report whose number is CommandCode - 300, hiding the main window
//. A report whose figures chart well hands
// over its chart, and the viewer offers it; any other report shows without one. A `notice`
// (what the run that made the report has to tell) is shown over the viewer before anything
// else, as the viewer's Close clears the message line.
void ShowReport(App& app, std::optional<Chart> chart = std::nullopt,
                const std::string& notice = {});

}  // namespace tessary
