#pragma once
// The desktop front end: every form model drawn as a Qt window, the user's actions reported to
// the form manager, and the machine's real services (file dialogs, printer, clipboard, shell).
// Nothing outside this folder includes Qt; a QApplication must exist before these objects are
// made and must outlive them.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/platform.h"
#include "ui/ui.h"

class QMainWindow;
class QPrinter;
class QWidget;

namespace tessary::ui {

class QtBackend : public Backend {
  public:
    QtBackend();
    ~QtBackend() override;
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    // The form manager that the user's actions go to. Until then the windows only show.
    void Attach(Ui& ui);
    // Scripted running: RunUntil runs one script command per turn instead of waiting for the
    // user; `step` returns false when the script has ended.
    void SetStepper(std::function<bool()> step);
    // The width the forms are scaled to, instead of the primary screen's (0: the screen's).
    void SetScreenWidth(int width);
    // Drops the window of a form that is about to be destroyed.
    void Forget(Form& form);

    // The Qt window of a form and the widget of a control; nullptr until the form is drawn.
    QMainWindow* WindowOf(const Form& form) const;
    QWidget* WidgetOf(const Control& control) const;

    void FormShown(Form& form) override;
    void FormHidden(Form& form) override;
    void Refresh() override;
    void RunUntil(const std::function<bool()>& done) override;
    void Quit() override;
    bool Screenshot(Form& form, const std::string& path) override;
    int ScreenWidth() override;

    class Impl;

  private:
    std::unique_ptr<Impl> d_;
};

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
