// tessary-script: runs the real program from a script of user actions, without a screen
// (or on Qt with --qt).
//
//   tessary-script [--program-folder DIR] [--today dd/mm/yyyy] [--screen W] [--qt]
//                  [--run-programs] SCRIPT [ARG]
//
// Shell opens are recorded for "print shell"; --run-programs also starts the programs they
// name and waits for each to end.

#include <charconv>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/dates.h"
#include "core/file.h"
#include "core/folder.h"
#include "ui/headless.h"
#include "ui/script.h"
#ifdef TESSARY_WITH_QT
#include "ui/qt/chart.h"
#include "ui/qt/qtapp.h"
#endif

namespace {

int Usage(const std::string& problem) {
    std::cerr << "tessary-script: " << problem << "\n"
              << "usage: tessary-script [--program-folder DIR] [--today dd/mm/yyyy] [--screen W] "
                 "[--qt] [--run-programs] SCRIPT [ARG]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessary;
    std::string programFolder = ExecutableFolder();
    std::optional<std::chrono::year_month_day> today;
    int screen = 800;
    bool qt = false;
    bool runPrograms = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) return {};
            return argv[++i];
        };
        if (a == "--program-folder") {
            programFolder = value();
            if (programFolder.empty()) return Usage("--program-folder needs a folder");
        } else if (a == "--today") {
            const std::string text = value();
            const auto year = std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(
                                                              std::chrono::system_clock::now())}
                                  .year();
            const double day = ParseDate(text, year);
            if (day == 0) return Usage("--today needs a date dd/mm/yyyy");
            today = FromDayNumber(day);
        } else if (a == "--screen") {
            const std::string text = value();
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), screen);
            if (ec != std::errc() || end != text.data() + text.size() || screen < 320) {
                return Usage("--screen needs a width in pixels");
            }
        } else if (a == "--qt") {
            qt = true;
        } else if (a == "--run-programs") {
            runPrograms = true;
        } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
            return Usage("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > 2)
        return Usage("give a SCRIPT and at most one ARG");
    const std::vector<std::string> programArgs(positional.begin() + 1, positional.end());
    // A folder name the program would refuse ends the run before anything is made for it.
    if (const FolderChoice folder = ChooseFolderName(programArgs); !folder.ok()) {
        std::cerr << "tessary-script: " << folder.error << "\n";
        return 2;
    }

    std::ifstream file;
    std::istream* script = &std::cin;
    if (positional[0] != "-") {
        file.open(positional[0]);
        if (!file) return Usage("cannot read " + positional[0]);
        script = &file;
    }

    std::unique_ptr<ui::HeadlessBackend> headless;
#ifdef TESSARY_WITH_QT
    std::unique_ptr<ui::QtApp> qtApp;
#endif
    ui::Backend* backend = nullptr;
    if (qt) {
#ifdef TESSARY_WITH_QT
        qtApp = std::make_unique<ui::QtApp>(argc, argv);
        qtApp->SetScreenWidth(screen);
        backend = &qtApp->backend();
#else
        return Usage("this build has no Qt front end");
#endif
    } else {
        headless = std::make_unique<ui::HeadlessBackend>(screen);
        backend = headless.get();
    }
    ui::ScriptServices services(*backend, today.value_or(LocalToday()));
    if (runPrograms) services.RunPrograms(programFolder);
#ifdef TESSARY_WITH_QT
    // Charts are drawn with Qt even in a run without a screen.
    ui::OffscreenCharts charts;
    services.SetChartSaver([&charts](const ui::Chart& chart, const std::string& path) {
        return charts.Save(chart, path);
    });
#endif
    ui::Ui ui(*backend, services);
    ui::ScriptRunner runner(ui, services, *script, std::cout, std::cerr);
    const auto step = [&runner] { return runner.Step(); };
    if (headless) headless->SetStepper(step);
#ifdef TESSARY_WITH_QT
    if (qtApp) {
        qtApp->Attach(ui);
        qtApp->SetStepper(step);
    }
#endif

    App app(ui, programFolder);
    app.Start(programArgs);
    Assemble(app);
    backend->RunUntil([&ui] { return ui.Terminated(); });
    return runner.ExitStatus();
}
