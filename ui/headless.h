#pragma once
// Running without a screen: the headless backend draws nothing, and the scripted services
// answer dialogs from the script and record what was printed, copied and opened, so that a
// script can look at it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace tessary::ui {

class HeadlessBackend : public Backend {
  public:
    explicit HeadlessBackend(int screenWidth = 800) : screenWidth_(screenWidth) {}
    // The source of the user's actions: runs one and returns false when there are no more.
    void SetStepper(std::function<bool()> step) { step_ = std::move(step); }

    void FormShown(Form&) override {}
    void FormHidden(Form&) override {}
    void Refresh() override {}
    void RunUntil(const std::function<bool()>& done) override;
    void Quit() override { quit_ = true; }
    bool Screenshot(Form&, const std::string&) override { return false; }
    int ScreenWidth() override { return screenWidth_; }

  private:
    int screenWidth_;
    bool quit_ = false;
    std::function<bool()> step_;
};

// A printer that keeps what is drawn, page by page.
class RecordingPrinter : public Printer {
  public:
    void BeginDoc(const std::string& title) override;
    void EndDoc() override {}
    void NewPage() override { pages_.emplace_back(); }
    void SetFont(const std::string& name, int size) override;
    int TextHeight(const std::string& text) override;
    int PageHeight() override { return kPageHeight; }
    void TextOut(int x, int y, const std::string& text) override;

    // "--- page N" before each page, then each drawn text on its own line.
    std::vector<std::string> Lines() const;

    // A4 portrait at 300 dots per inch, as a common office printer reports it.
    static constexpr int kPageHeight = 3508;

  private:
    int fontSize_ = 10;
    std::vector<std::vector<std::string>> pages_;
};

class ScriptServices : public Services {
  public:
    // `wait` runs the script until its argument says the dialog has been answered.
    ScriptServices(Backend& backend, std::chrono::year_month_day today)
        : backend_(backend), today_(today) {}

    std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
    void PrinterSetup() override { ++printerSetups; }
    Printer& GetPrinter() override { return printer; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    // Recorded for "print shell"; a program is also started when RunPrograms was called.
    void ShellOpen(const std::string& file, const std::string& verb, const std::string& parameters,
                   ShowState) override;
    std::chrono::year_month_day Today() override { return today_; }
    // Recorded for "print chart" and the script's chart command.
    void ShowChart(const Chart& chart) override { shownChart = chart; }
    std::string SaveChart(const Chart& chart, const std::string& path) override;

    // Draws a chart into a file (empty when done, else the problem); without one, as in a
    // build without Qt, charts cannot be saved.
    using ChartSaver = std::function<std::string(const Chart&, const std::string&)>;
    void SetChartSaver(ChartSaver saver) { chartSaver_ = std::move(saver); }

    // From now on a shell open of a program file starts it for real (a relative name is looked
    // for in the program folder, and the program works in the working folder, as on the
    // desktop) and waits for it.
    void RunPrograms() { runPrograms_ = true; }

    // The script's answers to an open file dialog.
    bool DialogOpen() const { return dialogOpen_; }
    void AnswerDialog(std::optional<std::string> path);

    RecordingPrinter printer;
    std::string clipboard;
    std::vector<std::string> shell;  // file, verb, parameters of the last shell open
    int printerSetups = 0;
    std::optional<Chart> shownChart;  // the last chart shown

  private:
    std::optional<std::string> RunDialog();

    Backend& backend_;
    std::chrono::year_month_day today_;
    ChartSaver chartSaver_;
    bool runPrograms_ = false;  // false: shell opens are only recorded
    bool dialogOpen_ = false;
    bool answered_ = false;
    std::optional<std::string> answer_;
};

}  // namespace tessary::ui
