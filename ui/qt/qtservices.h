#pragma once
// The machine's real services for the desktop program: file dialogs, the printer, the
// clipboard and the shell. A QApplication must exist before these are made and outlive them.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/platform.h"

class QPrinter;

namespace tessary::ui {

class QtServices : public Services {
  public:
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
    void PrinterSetup() override;
    Printer& GetPrinter() override;
    void SetClipboardText(const std::string& text) override;
    void ShellOpen(const std::string& file, const std::string& verb, const std::string& parameters,
                   ShowState show) override;
    std::chrono::year_month_day Today() override;
    void ShowChart(const Chart& chart) override;
    std::string SaveChart(const Chart& chart, const std::string& path) override;

    // The printer that printer set-up chooses and print jobs draw on.
    QPrinter& Device();

    class Impl;

  private:
    std::unique_ptr<Impl> d_;
};

// "csv|*.csv|All files|*.*" (pairs of description and patterns, patterns split by ';') as a
// Qt file dialog takes it: "csv (*.csv);;All files (*.*)".
std::string QtFileFilter(std::string_view filter);
// A chosen file name without an extension takes `ext`; "" stays "".
std::string WithExtension(std::string_view path, std::string_view ext);

}  // namespace tessary::ui
