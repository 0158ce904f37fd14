#pragma once
// One form of the test's own, driven by the script runner over the headless backend.

#include <chrono>
#include <sstream>
#include <string>

#include "ui/headless.h"
#include "ui/script.h"

namespace tessary::ui {

template <typename F>
struct ScriptHarness {
    HeadlessBackend backend;
    ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    Ui ui{backend, services};
    F form;
    std::ostringstream out, err;

    int Run(const std::string& script) {
        std::istringstream in(script);
        ScriptRunner runner(ui, services, in, out, err);
        backend.SetStepper([&] { return runner.Step(); });
        ui.Register(form);
        ui.Show(form);
        backend.RunUntil([&] { return ui.Terminated(); });
        return runner.ExitStatus();
    }
};

}  // namespace tessary::ui
