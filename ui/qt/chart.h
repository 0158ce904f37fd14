#pragma once
// Charts drawn with Qt Charts: in a window of their own, from which the user prints or saves
// them, and into PNG or PDF files. Everything here needs a QApplication.

#include <QString>
#include <array>
#include <memory>
#include <string>

#include "reports/chart.h"

class QApplication;
class QChart;
class QPrinter;

namespace tessary::ui {

// A new QChart of the description, for a chart view or a scene to own.
QChart* MakeQChart(const Chart& chart);

// Saves the chart as a PNG picture or a PDF document, by the name's extension; empty when
// done, else what went wrong.
std::string SaveChartFile(const Chart& chart, const std::string& path);

// Shows the chart modally in a window with Print (on `printer`; when it cannot print, into
// `fallbackPdf`), Save... and Close.
void ShowChartWindow(const Chart& chart, QPrinter& printer, const QString& fallbackPdf);

// Saves charts for a run that may have no Qt application: on first use without one it makes
// its own, drawing offscreen, and ends it with itself.
class OffscreenCharts {
  public:
    OffscreenCharts();
    ~OffscreenCharts();
    OffscreenCharts(const OffscreenCharts&) = delete;
    OffscreenCharts& operator=(const OffscreenCharts&) = delete;

    std::string Save(const Chart& chart, const std::string& path);

  private:
    std::array<char, 16> name_{"tessary"};
    std::array<char, 16> option_{"-platform"};
    std::array<char, 16> platform_{"offscreen"};
    std::array<char*, 4> argv_{};
    int argc_ = 3;
    std::unique_ptr<QApplication> app_;
};

}  // namespace tessary::ui
