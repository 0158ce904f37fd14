#include "members/commands.h"

#include "core/fileset.h"
#include "core/mainform.h"

namespace tessary {

namespace {

const char* CommandName(int code) {
    switch (code) {
        case 11:
            return "Input Transactions";
        case 12:
            return "Read Transactions";
        case 13:
            return "Check Transactions";
        case 14:
            return "Post Transactions";
        case 15:
            return "Add Members";
        case 16:
            return "Update Members";
        case 17:
            return "View Members";
        case 18:
            return "Find Member";
        case 19:
            return "Create FPY Disc";
        case 20:
            return "Export Members Records";
        default:
            return "Import Members Details";
    }
}

}  // namespace

void MembersCommand(App& app) {
    TFmain& m = app.main();
    RunState& s = app.state;
    const int code = s.CommandCode;
    m.EnableMenus(true);
    m.ClearPrompt();
    if (code < 11 || code > 21) {
        app.ui.Show(m);
        return;
    }
    if (code <= 14 && !m.CheckRights(kOperator)) return;
    if (code == 15 || code == 16) {
        if (!m.CheckRights(kSupervisor) || !OpenFileSet(s, kUpdate)) return;
        m.NotAvailable(CommandName(code));
        CloseFileSet(s, kUpdate);
        return;
    }
    if (code == 17) {
        OpenFileSet(s, kEnquiry);
        m.NotAvailable(CommandName(code));
        CloseFileSet(s, kEnquiry);
        return;
    }
    m.NotAvailable(CommandName(code));
}

}  // namespace tessary
