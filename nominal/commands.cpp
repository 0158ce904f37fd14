#include "nominal/commands.h"

#include "core/fileset.h"
#include "core/mainform.h"

namespace tessary {

void NominalCommand(App& app) {
    TFmain& m = app.main();
    RunState& s = app.state;
    if (!m.CheckRights(kSupervisor)) return;
    m.EnableMenus(false);
    m.ClearPrompt();
    switch (s.CommandCode) {
        case 21:
            m.NotAvailable("Input Transactions");
            break;
        case 22:
            m.NotAvailable("Total Transactions");
            break;
        case 23:
            m.NotAvailable("Post Transactions");
            break;
        case 24:
            m.NotAvailable("Reconcile");
            break;
        case 25:
            if (!OpenFileSet(s, kUpdate)) break;
            m.NotAvailable("Maintain Accounts");
            CloseFileSet(s, kUpdate);
            break;
        default:
            break;
    }
    m.EnableMenus(true);
}

}  // namespace tessary
