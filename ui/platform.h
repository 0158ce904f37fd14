#pragma once
// The services that forms use beyond their own controls: showing and hiding forms, modal
// showing, dialogs, the printer, the clipboard, opening documents and programs, the date and
// the screen. The logic reaches all of them through `Ui`; a backend (Qt or headless) supplies
// the drawing and the user's events.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reports/chart.h"
#include "ui/form.h"

namespace tessary::ui {

struct FileDialogOptions {
    std::string filter;      // "csv|*.csv|All files|*.*"
    std::string defaultExt;  // "csv"
    std::string initialDir;  // "c:\" means the user's home folder here
    std::string title;
};

enum class ShowState { Normal, Maximized, Minimized, Hidden };

// A print job. Coordinates are in printer pixels from the top left of the page.
class Printer {
  public:
    virtual ~Printer() = default;
    virtual void BeginDoc(const std::string& title) = 0;
    virtual void EndDoc() = 0;
    virtual void NewPage() = 0;
    virtual void SetFont(const std::string& name, int size) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    virtual int PageHeight() = 0;
    virtual void TextOut(int x, int y, const std::string& text) = 0;
};

// Drawing forms and waiting for the user: Qt, or nothing at all when headless.
class Backend {
  public:
    virtual ~Backend() = default;
    // A form became visible or hidden, or models changed: bring the views up to date.
    virtual void FormShown(Form& form) = 0;
    virtual void FormHidden(Form& form) = 0;
    virtual void Refresh() = 0;
    // Handles the user's events until `done` is true (checked after each event).
    virtual void RunUntil(const std::function<bool()>& done) = 0;
    virtual void Quit() = 0;
    // Saves a picture of the form as a PNG; false where there is nothing to draw.
    virtual bool Screenshot(Form& form, const std::string& path) = 0;
    virtual int ScreenWidth() = 0;
};

// The machine's services: the real ones on a desktop, recorded ones under a script.
class Services {
  public:
    virtual ~Services() = default;
    // The chosen file name, or nothing when the user cancels.
    virtual std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) = 0;
    virtual void PrinterSetup() = 0;
    virtual Printer& GetPrinter() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // Opens a document with its default handler, or starts a program, with a verb ("open"),
    // a parameter string and a show state.
    virtual void ShellOpen(const std::string& file, const std::string& verb,
                           const std::string& parameters, ShowState show) = 0;
    virtual std::chrono::year_month_day Today() = 0;
    // Shows a chart in a window of its own, from which the user prints it or saves it;
    // returns when that window is closed.
    virtual void ShowChart(const Chart& chart) = 0;
    // Saves a chart as a PNG picture or a PDF document, by the name's extension. Empty when
    // done, else what went wrong, in words for the user.
    virtual std::string SaveChart(const Chart& chart, const std::string& path) = 0;

    // Where a program named without a folder is looked for, and the folder a started program
    // works in (where the data folders sit, so that names relative to it reach them).
    void SetProgramFolders(std::string programFolder, std::string workingFolder) {
        programFolder_ = std::move(programFolder);
        workingFolder_ = std::move(workingFolder);
    }

  protected:
    std::string programFolder_;
    std::string workingFolder_;
};

}  // namespace tessary::ui
