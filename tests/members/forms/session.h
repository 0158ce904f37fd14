#pragma once
// A signed-on program run in-process on a throw-away program folder, for the tests of the
// member forms and commands.

#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/forms/start.h"
#include "members/datafolder.h"
#include "ui/headless.h"

namespace tessary::testing {

// A signed-on program run in-process on the same kind of folder, for the menu commands.
class SignedOnTest : public DataFolderTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The lines of the report work file.
    std::vector<std::string> ReportLines();

    ui::HeadlessBackend backend;
    ui::ScriptServices services{backend, std::chrono::year{2026} / 12 / 8};
    ui::Ui ui{backend, services};
    std::unique_ptr<App> app;
};

}  // namespace tessary::testing
