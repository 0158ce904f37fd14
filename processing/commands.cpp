#include "processing/commands.h"

#include "core/mainform.h"

namespace tessary {

void ProcessingCommand(App& app) {
    TFmain& m = app.main();
    RunState& s = app.state;
    const int code = s.CommandCode;
    if (code < 44) {
        m.WarnUnpostedBatches();
        if (!s.BackedUp) app.ShowModalMessage("Reminder - Backup data first");
    }
    m.EnableMenus(false);
    m.ClearPrompt();
    const int required = code == 42 || code == 43 ? kSystemController : kSupervisor;
    if (m.CheckRights(required)) {
        switch (code) {
            case 41:
                m.NotAvailable("Period End");
                break;
            case 42:
                m.NotAvailable("Year End");
                break;
            case 43:
                m.NotAvailable("Dividend Allocation");
                break;
            case 44:
                m.NotAvailable("Backup");
                break;
            case 45:
                m.NotAvailable("Restore");
                break;
            default:
                break;
        }
    }
    app.ui.Show(m);
    m.EnableMenus(true);
}

}  // namespace tessary
