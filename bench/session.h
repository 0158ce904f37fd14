#pragma once
// A signed-on program, headless, for the benchmarks that time what a user runs from the menu.

#include <chrono>
#include <filesystem>

#include "app/program.h"
#include "core/forms/mainform.h"
#include "core/forms/start.h"
#include "ui/headless.h"

namespace tessary::bench {

// The program on `program`'s folder CU1, as a user at the keyboard would have it once signed on.
struct Session {
    Session(const std::filesystem::path& program, std::chrono::year_month_day today)
        : services(backend, today), app(ui, program.string()) {}
    bool SignOn() {
        app.Start({});
        Assemble(app);
        app.start().Password.text = "TESSARY";
        ui.Click(app.start().Next);
        return ui.ActiveForm() == &app.main();
    }
    ui::HeadlessBackend backend;
    ui::ScriptServices services;
    ui::Ui ui{backend, services};
    App app;
};

}  // namespace tessary::bench
