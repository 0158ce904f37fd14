#pragma once
// The real program run from a script of user actions (the language of tessary-script), in
// this process: each line is done on the forms as the user would, until the script ends.

#include <chrono>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace tessary {

struct ScriptedRun {
    std::string programFolder;  // the templates and the program's tools
    std::string dataHome;       // where the data folders sit; empty: in the program folder
    std::chrono::year_month_day today;
    std::vector<std::string> arguments;  // the program's own (the data folder's name)
    bool runPrograms = false;            // start the programs that shell opens name
    // Draws a chart into a file for the script's chart command (empty when done, else the
    // problem); without one charts cannot be saved.
    std::function<std::string(const Chart&, const std::string&)> chartSaver;
};

// Lets a windowed front end take the user interface and the step that runs the next script
// command before the program starts.
using AttachFrontEnd = std::function<void(ui::Ui& ui, std::function<bool()> step)>;

// Runs the program on `backend` until the script ends or stops; what the script prints goes to
// `out`, its errors to `err`. Returns the script's exit status: 0, 1 after a failed expect, 2
// after a script error.
int RunScript(ui::Backend& backend, const ScriptedRun& run, std::istream& script, std::ostream& out,
              std::ostream& err, const AttachFrontEnd& attach);

// The same without a screen, on a headless backend `screenWidth` pixels wide.
int RunScriptHeadless(const ScriptedRun& run, std::istream& script, std::ostream& out,
                      std::ostream& err, int screenWidth = 800);

}  // namespace tessary
