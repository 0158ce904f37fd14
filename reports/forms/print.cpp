#include <fmt/format.h>

#include <cerrno>

#include "core/file.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/workfile.h"
#include "reports/forms/view.h"
#include "reports/writer.h"
#include "ui/platform.h"

namespace tessary {

namespace {

constexpr std::size_t kLineSize = sizeof(ReportLine);

// Draws the title, header line and column heading below a two-line top margin; returns
// where the first body line goes.
int DrawPageHeader(ui::Printer& printer, int lineHeight, const std::string& title,
                   const std::string& header, const std::string& heading) {
    int y = 2 * lineHeight;
    for (const std::string* text : {&title, &header, &heading}) {
        printer.TextOut(0, y, *text);
        y += lineHeight;
    }
    return y;
}

// What the user is told when a filed report could not be written, in the words the desktop
// uses for the same failures.
std::string IoErrorText(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "Path not found";
        case EACCES:
        case EPERM:
        case EISDIR:
            return "File access denied";
        case EROFS:
            return "Disk is write-protected";
        case ENOSPC:
        case EDQUOT:
            return "Disk full";
        case ENAMETOOLONG:
            return "Invalid file name";
        default:
            return fmt::format("I/O error {}", error);
    }
}

}  // namespace

void PrintReport(App& app, int reportNumber) {
    const RunState& s = app.state;
    ui::Printer& printer = app.ui.services().GetPrinter();
    printer.SetFont("Courier New", 12);
    const int lineHeight = printer.TextHeight("XXX");
    const int pageLimit = printer.PageHeight() - 2 * lineHeight;
    const std::string title = PageTitle(reportNumber, s.ReportTypePattern);
    const std::string heading = ColumnHeading(reportNumber);

    printer.BeginDoc(title.empty() ? "Tessary report" : title);
    int page = 1;
    File work;
    work.Open(ReportWorkPath(s), File::Access::ReadOnly);
    int y = DrawPageHeader(printer, lineHeight, title, PageHeaderLine(s, page), heading);
    // A run of page breaks gives one new page, and a break at the end none at all: the
    // new page is only started when a line is there to go on it.
    bool pending = false;
    ReportLine line;
    for (std::uint64_t at = 0; ReadReportLine(work, at, line); at += kLineSize) {
        const std::string_view text = line.Text.view();
        if (!text.empty() && text[0] == kPageBreak[0]) {
            pending = true;
            continue;
        }
        if (pending || y >= pageLimit) {
            printer.NewPage();
            ++page;
            y = DrawPageHeader(printer, lineHeight, title, PageHeaderLine(s, page), heading);
            pending = false;
        }
        printer.TextOut(0, y, std::string(text));
        y += lineHeight;
    }
    work.Close();
    printer.EndDoc();
}

void SaveReport(App& app, int reportNumber) {
    ui::FileDialogOptions options;
    options.filter = "txt|*.txt|All files|*.*";
    options.defaultExt = "txt";
    options.initialDir = "c:\\";
    const std::optional<std::string> chosen = app.ui.services().SaveFileDialog(options);
    if (!chosen) return;
    app.state.LastFiledReport = *chosen;

    std::string text = CutLine(ColumnHeading(reportNumber)) + "\r\n";
    File work;
    work.Open(ReportWorkPath(app.state), File::Access::ReadOnly);
    ReportLine line;
    for (std::uint64_t at = 0; ReadReportLine(work, at, line); at += kLineSize) {
        if (line.Text.view() == kPageBreak) {
            text += kFormFeed;
        } else {
            text += line.Text.view();
            text += "\r\n";
        }
    }
    work.Close();
    // Dialog names are Windows-1252 like all form text; the file system takes UTF-8. The text
    // goes to a temporary name beside the file and is renamed into place, so a failed save
    // leaves the old file whole rather than half overwritten.
    const int error = WriteFileDurably(Cp1252ToUtf8(*chosen), text);
    if (error != 0) app.ShowModalMessage("Report not filed - " + IoErrorText(error));
}

}  // namespace tessary
