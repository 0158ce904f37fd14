// Tessary, the desktop program: the sign-on form, then the main window, on Qt.
//
//   tessary [FOLDER | patch | trainer]

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/file.h"
#include "core/folder.h"
#include "ui/qt/qtapp.h"

namespace {

bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::cerr
            << "Tessary needs a display to show its windows, and none was found (DISPLAY is not "
               "set).\n"
               "Run it on a desktop, or without a screen with QT_QPA_PLATFORM=offscreen, or under\n"
               "xvfb-run. For automated runs use tessary-script.\n";
        return 1;
    }
    tessary::ui::QtApp qt(argc, argv);
    // Qt has taken its own options out of the command line; the rest are the program's.
    const std::vector<std::string> args(argv + 1, argv + argc);
    // A folder name the program would refuse ends it before anything is made for it.
    if (const tessary::FolderChoice folder = tessary::ChooseFolderName(args); !folder.ok()) {
        std::cerr << "tessary: " << folder.error << "\n";
        return 2;
    }
    tessary::ui::Ui ui(qt.backend(), qt.services());
    qt.Attach(ui);

    // The program folder holds the templates, the picture and the guide.
    const std::string programFolder = tessary::ExecutableFolder();
    std::error_code ec;
    std::filesystem::current_path(programFolder, ec);
    tessary::App app(ui, programFolder);
    app.Start(args);
    tessary::Assemble(app);
    qt.backend().RunUntil([&ui] { return ui.Terminated(); });
    return 0;
}
