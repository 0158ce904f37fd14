#include "app/scripted.h"

#include "app/program.h"
#include "core/forms/app.h"
#include "ui/headless.h"
#include "ui/script.h"

namespace tessary {

int RunScript(ui::Backend& backend, const ScriptedRun& run, std::istream& script, std::ostream& out,
              std::ostream& err, const AttachFrontEnd& attach) {
    ui::ScriptServices services(backend, run.today);
    if (run.runPrograms) services.RunPrograms();
    if (run.chartSaver) services.SetChartSaver(run.chartSaver);
    ui::Ui ui(backend, services);
    ui::ScriptRunner runner(ui, services, script, out, err);
    attach(ui, [&runner] { return runner.Step(); });

    App app(ui, run.programFolder, run.dataHome);
    app.Start(run.arguments);
    Assemble(app);
    backend.RunUntil([&ui] { return ui.Terminated(); });
    return runner.ExitStatus();
}

int RunScriptHeadless(const ScriptedRun& run, std::istream& script, std::ostream& out,
                      std::ostream& err, int screenWidth) {
    ui::HeadlessBackend backend(screenWidth);
    return RunScript(
        backend, run, script, out, err,
        [&backend](ui::Ui&, std::function<bool()> step) { backend.SetStepper(std::move(step)); });
}

}  // namespace tessary
