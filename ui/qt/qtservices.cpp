#include "ui/qt/qtservices.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <vector>

#include "core/text.h"
#include "ui/params.h"
#include "ui/qt/chart.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

std::string QtFileFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::string out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        std::string_view rest = parts[i + 1];
        for (std::size_t start = 0; start <= rest.size();) {
            std::size_t semi = rest.find(';', start);
            if (semi == std::string_view::npos) semi = rest.size();
            std::string_view pattern = rest.substr(start, semi - start);
            while (!pattern.empty() && pattern.front() == ' ') pattern.remove_prefix(1);
            while (!pattern.empty() && pattern.back() == ' ') pattern.remove_suffix(1);
            if (!pattern.empty()) {
                if (!patterns.empty()) patterns += ' ';
                patterns += pattern;
            }
            start = semi + 1;
        }
        if (patterns.empty()) continue;
        if (!out.empty()) out += ";;";
        out += parts[i];
        out += " (" + patterns + ")";
    }
    return out;
}

std::string WithExtension(std::string_view path, std::string_view ext) {
    while (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
    std::string out(path);
    if (out.empty() || ext.empty()) return out;
    const std::size_t slash = out.find_last_of("/\\");
    const std::size_t dot = out.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        out += '.';
        out += ext;
    }
    return out;
}

namespace {

// "c:\" and other drive folders of the Windows design mean the user's home folder here.
QString StartFolder(const std::string& dir) {
    const bool drive = dir.size() >= 2 && dir[1] == ':' &&
                       ((dir[0] >= 'a' && dir[0] <= 'z') || (dir[0] >= 'A' && dir[0] <= 'Z'));
    if (dir.empty() || drive) return QDir::homePath();
    const QString folder = ToQt(dir);
    return QDir(folder).exists() ? folder : QDir::homePath();
}

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save) {
    QFileDialog dialog(QApplication::activeWindow(), ToQt(options.title),
                       StartFolder(options.initialDir));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const std::string filter = QtFileFilter(options.filter);
    if (!filter.empty()) dialog.setNameFilter(ToQt(filter));
    if (!options.defaultExt.empty()) dialog.setDefaultSuffix(ToQt(options.defaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const std::string path = FromQt(dialog.selectedFiles().constFirst());
    return save ? WithExtension(path, options.defaultExt) : path;
}

// Where a print job goes when there is no printer: a PDF in the user's documents.
QString FallbackPdf(const std::string& title) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    QString name;
    for (QChar c : ToQt(title)) {
        name += c.isLetterOrNumber() || c == ' ' || c == '-' ? c : QChar('_');
    }
    name = name.trimmed();
    if (name.isEmpty()) name = "Tessary";
    return QDir(folder).filePath(name + ".pdf");
}

class QtPrinter : public Printer {
  public:
    explicit QtPrinter(QPrinter& device) : device_(device) {}
    ~QtPrinter() override { EndDoc(); }

    void BeginDoc(const std::string& title) override {
        EndDoc();
        device_.setDocName(ToQt(title));
        if (device_.outputFormat() == QPrinter::PdfFormat && device_.outputFileName().isEmpty()) {
            device_.setOutputFileName(FallbackPdf(title));
        }
        if (!painter_.begin(&device_)) {
            device_.setOutputFormat(QPrinter::PdfFormat);
            device_.setOutputFileName(FallbackPdf(title));
            if (!painter_.begin(&device_)) return;
        }
        painter_.setFont(font_);
        painter_.setPen(Qt::black);
    }
    void EndDoc() override {
        if (painter_.isActive()) painter_.end();
    }
    void NewPage() override {
        if (painter_.isActive()) device_.newPage();
    }
    void SetFont(const std::string& name, int size) override {
        font_ = QFont(ToQt(name), size > 0 ? size : 10);
        if (painter_.isActive()) painter_.setFont(font_);
    }
    int TextHeight(const std::string&) override { return QFontMetrics(font_, &device_).height(); }
    int PageHeight() override { return device_.height(); }
    void TextOut(int x, int y, const std::string& text) override {
        if (!painter_.isActive()) return;
        painter_.drawText(QPoint(x, y + QFontMetrics(font_, &device_).ascent()), ToQt(text));
    }

  private:
    QPrinter& device_;
    QPainter painter_;
    QFont font_{QStringLiteral("Courier New"), 10};
};

}  // namespace

class QtServices::Impl {
  public:
    QPrinter& Device() {
        if (!device) device = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *device;
    }
    std::unique_ptr<QPrinter> device;
    std::unique_ptr<QtPrinter> printer;
};

QtServices::QtServices() : d_(std::make_unique<Impl>()) {}

QtServices::~QtServices() {
    d_->printer.reset();
    d_->device.reset();
}

std::optional<std::string> QtServices::OpenFileDialog(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::string> QtServices::SaveFileDialog(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

QPrinter& QtServices::Device() {
    return d_->Device();
}

void QtServices::PrinterSetup() {
    QPrintDialog dialog(&Device(), QApplication::activeWindow());
    dialog.exec();
}

Printer& QtServices::GetPrinter() {
    if (!d_->printer) d_->printer = std::make_unique<QtPrinter>(Device());
    return *d_->printer;
}

void QtServices::SetClipboardText(const std::string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQt(text));
}

namespace {

void OpenDocument(const QString& path) {
    if (path.isEmpty()) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace

void QtServices::ShellOpen(const std::string& file, const std::string&,
                           const std::string& parameters, ShowState) {
    const QString target = ToQt(file).trimmed();
    const QString given = ToQt(parameters).trimmed();
    if (target.isEmpty()) {
        // Nothing named to start: a document given as the parameters still opens.
        OpenDocument(given);
        return;
    }
    if (target.contains(QStringLiteral("://")) ||
        target.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive)) {
        QDesktopServices::openUrl(QUrl(target));
        return;
    }
    // A bare name is looked for in the program folder, where the program's own tools are.
    const QFileInfo info = QFileInfo(target).isRelative() && !programFolder_.empty()
                               ? QFileInfo(QDir(ToQt(programFolder_)), target)
                               : QFileInfo(target);
    QString program;
    if (info.isFile() && info.isExecutable()) {
        program = info.absoluteFilePath();
    } else if (!target.contains('/')) {
        program = QStandardPaths::findExecutable(target);
    }
    if (!program.isEmpty()) {
        // Started directly, never through a shell, with the arguments the string quotes.
        QStringList args;
        for (const std::string& a : tessary::SplitParameters(parameters)) args << ToQt(a);
        QProcess::startDetached(program, args, ToQt(workingFolder_));
        return;
    }
    if (target.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) {
        // A Windows program that is not here: what it was to open goes to the desktop's handler.
        OpenDocument(given);
        return;
    }
    OpenDocument(target);
}

std::chrono::year_month_day QtServices::Today() {
    const QDate today = QDate::currentDate();
    return std::chrono::year_month_day{std::chrono::year{today.year()},
                                       std::chrono::month{static_cast<unsigned>(today.month())},
                                       std::chrono::day{static_cast<unsigned>(today.day())}};
}

void QtServices::ShowChart(const Chart& chart) {
    ShowChartWindow(chart, Device(), FallbackPdf(chart.title));
}

std::string QtServices::SaveChart(const Chart& chart, const std::string& path) {
    return SaveChartFile(chart, path);
}

}  // namespace tessary::ui
