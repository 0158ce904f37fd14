// Tessary, the desktop program: the sign-on form, then the main window, on Qt.
//
//   tessary [FOLDER | patch | trainer]

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/cli.h"
#include "core/folder.h"
#include "core/install.h"
#include "ui/qt/qtapp.h"

namespace {

constexpr const char* kProgram = "tessary";

std::string Usage(const tessary::Places& places) {
    return "Usage: tessary [FOLDER | patch | trainer]\n"
           "Keeps the books of a savings-and-loans co-operative: members' shares and loans,\n"
           "the nominal ledger and cash book, reports, period end, year end and dividends.\n"
           "\n"
           "  FOLDER     the data folder to open (its first 8 characters count; CU1 when none\n"
           "             is given); a folder that does not exist yet is made with new data files\n"
           "  patch      open CU1 in patch mode\n"
           "  trainer    open the training folder, with the working date 1 January 2000\n"
           "  --help     show this help and end\n"
           "  --version  show the version and end\n"
           "\n" +
           tessary::DataHomeHelp(places) +
           "\n"
           "Tessary needs a display; without one, run it with QT_QPA_PLATFORM=offscreen or use\n"
           "tessary-script for scripted runs.\n";
}

bool DisplayAvailable(const std::vector<std::string>& args) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    for (const std::string& a : args) {
        if (a == "-platform" || a == "--platform") return true;  // Qt's own choice of display
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessary;
    tessary::Places places = LocatePlaces();
    const std::vector<std::string> given(argv + 1, argv + argc);  // Qt's options still among them
    if (const auto status = AnswerHelpOrVersion(given, kProgram, Usage(places), std::cout)) {
        return *status;
    }
    if (!DisplayAvailable(given)) {
        std::cerr
            << "Tessary needs a display to show its windows, and none was found (DISPLAY is not "
               "set).\n"
               "Run it on a desktop, or without a screen with QT_QPA_PLATFORM=offscreen, or under\n"
               "xvfb-run. For automated runs use tessary-script.\n";
        return 1;
    }
    ui::QtApp qt(argc, argv);
    // Qt has taken its own options out of the command line; the rest are the program's.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() > 1) {
        return RefuseCommandLine(kProgram, "give at most one argument, the data folder's name",
                                 std::cerr);
    }
    // A folder name the program would refuse ends it before anything is made for it.
    if (const FolderChoice folder = ChooseFolderName(args); !folder.ok()) {
        return RefuseCommandLine(kProgram, folder.error, std::cerr);
    }
    if (const std::string problem = PrepareDataHome(places); !problem.empty()) {
        std::cerr << kProgram << ": " << problem << "\n";
        return 1;
    }
    ui::Ui ui(qt.backend(), qt.services());
    qt.Attach(ui);

    // The current folder is where the data folders sit: whatever a tool started from here
    // writes by a relative name lands there, never in an installed program's folder.
    std::error_code ec;
    std::filesystem::current_path(places.dataHome, ec);
    App app(ui, places.programFolder, places.dataHome);
    app.Start(args);
    Assemble(app);
    qt.backend().RunUntil([&ui] { return ui.Terminated(); });
    return 0;
}
