// The sign-on form's own guard on the folder argument, driven in-process: a starter that
// skipped the executables' check still gets no folder for a refused name.

#include "core/forms/start.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "app/program.h"
#include "core/forms/mainform.h"
#include "ui/headless.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

TEST(StartFolder, ARefusedNameEndsTheProgramWithItsReasonAndMakesNothing) {
    const fs::path program =
        fs::temp_directory_path() / ("tessary-startfolder-" + std::to_string(::getpid()));
    fs::remove_all(program);
    fs::create_directories(program / "program");
    for (const char* t : {"sys.d32", "nomacc.d32"}) {
        fs::copy_file(fs::path(TESSARY_BIN_DIR) / t, program / "program" / t);
    }
    const auto listing = [&] {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(program))
            names.insert(e.path().string());
        return names;
    };
    const auto before = listing();

    ui::HeadlessBackend backend;
    ui::ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    ui::Ui ui{backend, services};
    {
        App app(ui, (program / "program").string());
        app.Start({"../x"});
        Assemble(app);
        EXPECT_TRUE(ui.Terminated());
        EXPECT_EQ(app.main().Lm.caption,
                  "\"../x\" cannot name the data folder: it holds \"/\" or \"\\\"");
    }
    EXPECT_EQ(listing(), before);
    fs::remove_all(program);
}

}  // namespace
}  // namespace tessary
