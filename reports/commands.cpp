#include "reports/commands.h"

#include "core/fileset.h"
#include "core/mainform.h"

namespace tessary {

void ReportCommand(App& app) {
    TFmain& m = app.main();
    RunState& s = app.state;
    OpenFileSet(s, kEnquiry);
    m.ClearPrompt();
    m.EnableMenus(false);
    m.NotAvailable("This report");
    CloseFileSet(s, kEnquiry);
    m.EnableMenus(true);
}

}  // namespace tessary
