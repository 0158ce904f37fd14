#include "ui/headless.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "core/text.h"
#include "ui/params.h"

namespace tessary::ui {

void HeadlessBackend::RunUntil(const std::function<bool()>& done) {
    while (!quit_ && !done()) {
        if (!step_ || !step_()) return;
    }
}

void RecordingPrinter::BeginDoc(const std::string&) {
    pages_.assign(1, {});
}

void RecordingPrinter::SetFont(const std::string&, int size) {
    fontSize_ = size > 0 ? size : 10;
}

int RecordingPrinter::TextHeight(const std::string&) {
    // A line of a font of `size` points at 300 dots per inch, with the usual leading.
    return static_cast<int>(std::lround(fontSize_ * 300.0 / 72.0 * 1.15));
}

void RecordingPrinter::TextOut(int, int, const std::string& text) {
    if (pages_.empty()) pages_.emplace_back();
    pages_.back().push_back(text);
}

std::vector<std::string> RecordingPrinter::Lines() const {
    std::vector<std::string> lines;
    for (std::size_t p = 0; p < pages_.size(); ++p) {
        lines.push_back("--- page " + std::to_string(p + 1));
        lines.insert(lines.end(), pages_[p].begin(), pages_[p].end());
    }
    return lines;
}

std::optional<std::string> ScriptServices::RunDialog() {
    dialogOpen_ = true;
    answered_ = false;
    answer_.reset();
    backend_.RunUntil([this] { return answered_; });
    dialogOpen_ = false;
    return answered_ ? answer_ : std::nullopt;
}

namespace {

// A name typed without an extension takes the dialog's default one, as the desktop's do.
std::optional<std::string> WithDefaultExt(std::optional<std::string> path, const std::string& ext) {
    if (!path || ext.empty() || path->empty()) return path;
    const auto slash = path->find_last_of('/');
    const auto dot = path->find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        *path += "." + ext;
    }
    return path;
}

}  // namespace

std::optional<std::string> ScriptServices::OpenFileDialog(const FileDialogOptions& options) {
    return WithDefaultExt(RunDialog(), options.defaultExt);
}

std::optional<std::string> ScriptServices::SaveFileDialog(const FileDialogOptions& options) {
    return WithDefaultExt(RunDialog(), options.defaultExt);
}

void ScriptServices::ShellOpen(const std::string& file, const std::string& verb,
                               const std::string& parameters, ShowState) {
    shell = {file, verb, parameters};
    if (!runPrograms_ || file.empty()) return;
    std::filesystem::path program(file);
    if (program.is_relative()) program = std::filesystem::path(programFolder_) / program;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(program, ec) || ::access(program.c_str(), X_OK) != 0) {
        return;  // a document, or nothing there: only recorded
    }
    RunProgramAndWait(program.string(), tessary::SplitParameters(parameters),
                      workingFolder_.empty() ? programFolder_ : workingFolder_);
}

std::string ScriptServices::SaveChart(const Chart& chart, const std::string& path) {
    if (ChartFileKind(path).empty()) return "a chart is saved as .png or .pdf, not " + path;
    if (chart.Empty()) return "the chart has nothing to draw";
    if (!chartSaver_) return "this build cannot draw charts";
    return chartSaver_(chart, path);
}

void ScriptServices::AnswerDialog(std::optional<std::string> path) {
    answer_ = std::move(path);
    answered_ = true;
}

}  // namespace tessary::ui
