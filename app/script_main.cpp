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
#include "core/dates.h"
#include "core/file.h"
#include "core/folder.h"
#ifdef TESSARY_WITH_QT
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

    ScriptedRun run;
    run.programFolder = programFolder;
    run.today = today.value_or(LocalToday());
    run.arguments = programArgs;
    run.runPrograms = runPrograms;
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
