#include "members/forms/session.h"

#include "core/forms/mainform.h"
#include "core/workfile.h"

namespace tessary::testing {

void SignedOnTest::SetUp() {
    ProgramFolderTest::SetUp();
    app = std::make_unique<App>(ui, program.string());
    app->Start({});
    Assemble(*app);
    app->start().Password.text = "TESSARY";
    ui.Click(app->start().Next);
    ASSERT_EQ(ui.ActiveForm(), &app->main());
    state.DataFolder = app->state.DataFolder;  // the fixture's helpers read the same folder
}

void SignedOnTest::TearDown() {
    app.reset();
    ProgramFolderTest::TearDown();
}

std::vector<std::string> SignedOnTest::ReportLines() {
    std::vector<std::string> lines;
    File f;
    if (!f.Open(ReportWorkPath(app->state), File::Access::ReadOnly)) return lines;
    ReportLine line;
    for (std::uint64_t offset = 0; ReadReportLine(f, offset, line); offset += sizeof line) {
        lines.push_back(line.Text.str());
    }
    return lines;
}

}  // namespace tessary::testing
