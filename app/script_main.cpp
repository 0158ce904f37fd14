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
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "app/scripted.h"
#include "core/cli.h"
#include "core/dates.h"
#include "core/folder.h"
#include "core/install.h"
#ifdef TESSARY_WITH_QT
#include "ui/qt/chart.h"
#include "ui/qt/qtapp.h"
#endif

namespace {

constexpr const char* kProgram = "tessary-script";

int Usage(const std::string& problem) {
    std::cerr << "tessary-script: " << problem << "\n"
              << "usage: tessary-script [--program-folder DIR] [--today dd/mm/yyyy] [--screen W] "
                 "[--qt] [--run-programs] SCRIPT [ARG]\n"
              << "Try 'tessary-script --help' for more information.\n";
    return 2;
}

std::string Help(const tessary::Places& places) {
    return "Usage: tessary-script [--program-folder DIR] [--today dd/mm/yyyy] [--screen W] [--qt]\n"
           "                      [--run-programs] SCRIPT [ARG]\n"
           "Runs Tessary without a screen from SCRIPT, a file of user actions (\"-\" reads them\n"
           "from standard input), one a line: type CONTROL TEXT, click CONTROL, menu ITEM,\n"
           "select CONTROL N, key CONTROL KEY, cell GRID ROW COL TEXT, tab, focus CONTROL,\n"
           "file PATH, cancel, print WHAT, expect CONTROL TEXT, expect-line CONTROL N TEXT,\n"
           "screenshot PATH, chart PATH (the chart shown, as .png or .pdf). ARG is the\n"
           "program's argument: a data folder name, patch or trainer. A failed expect ends the\n"
           "run with status 1, a script error with 2.\n"
           "\n"
           "  --program-folder DIR  the program folder (templates, tools), which then also holds\n"
           "                        the data folders\n"
           "  --today dd/mm/yyyy    the date the clock gives\n"
           "  --screen W            the screen width in pixels (800)\n"
           "  --qt                  draw the forms with Qt (offscreen without a display)\n"
           "  --run-programs        start the programs the run opens (the archiving tool) and\n"
           "                        wait for each\n"
           "  --help, --version     show this help or the version and end\n"
           "\n" +
           tessary::DataHomeHelp(places);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessary;
    Places places = LocatePlaces();
    if (const auto status = AnswerHelpOrVersion(std::vector<std::string>(argv + 1, argv + argc),
                                                kProgram, Help(places), std::cout)) {
        return *status;
    }
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
            const std::string folder = value();
            if (folder.empty()) return Usage("--program-folder needs a folder");
            // A program folder given by hand also holds the data folders, as a build folder does.
            places = Places();
            places.programFolder = places.dataHome = folder;
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
        return RefuseCommandLine(kProgram, folder.error, std::cerr);
    }
    if (const std::string problem = PrepareDataHome(places); !problem.empty()) {
        std::cerr << kProgram << ": " << problem << "\n";
        return 1;
    }

    std::ifstream file;
    std::istream* script = &std::cin;
    if (positional[0] != "-") {
        file.open(positional[0]);
        if (!file) return Usage("cannot read " + positional[0]);
        script = &file;
    }

    ScriptedRun run;
    run.programFolder = places.programFolder;
    run.dataHome = places.dataHome;
    run.today = today.value_or(LocalToday());
    run.arguments = programArgs;
    run.runPrograms = runPrograms;
#ifdef TESSARY_WITH_QT
    // Charts are drawn with Qt even in a run without a screen.
    ui::OffscreenCharts charts;
    run.chartSaver = [&charts](const Chart& chart, const std::string& path) {
        return charts.Save(chart, path);
    };
#endif
    if (qt) {
#ifdef TESSARY_WITH_QT
        ui::QtApp qtApp(argc, argv);
        qtApp.SetScreenWidth(screen);
        return RunScript(qtApp.backend(), run, *script, std::cout, std::cerr,
                         [&qtApp](ui::Ui& ui, std::function<bool()> step) {
                             qtApp.Attach(ui);
                             qtApp.SetStepper(std::move(step));
                         });
#else
        return Usage("this build has no Qt front end");
#endif
    }
    return RunScriptHeadless(run, *script, std::cout, std::cerr, screen);
}
