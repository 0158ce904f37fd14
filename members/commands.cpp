#include "members/commands.h"

#include "core/fileset.h"
#include "core/mainform.h"
#include "members/memacc.h"
#include "members/memtrans.h"
#include "members/posting.h"

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
    auto* memacc = app.FindForm<TFmemacc>("TFmemacc");
    switch (code) {
        case 11:
            app.ui.Hide(m);
            app.FindForm<TFmemtrans>("TFmemtrans")->Open();
            return;
        case 13:
            CheckTransactions(app);
            return;
        case 14:
            PostTransactions(app);
            return;
        case 15:
        case 16:
            if (!m.CheckRights(kSupervisor) || !OpenFileSet(s, kUpdate)) return;
            m.EnableMenus(false);
            app.ui.Hide(m);
            memacc->Open(code == 15 ? TFmemacc::Mode::Add : TFmemacc::Mode::Update);
            return;
        case 17:
            OpenFileSet(s, kEnquiry);
            m.EnableMenus(false);
            app.ui.Hide(m);
            memacc->Open(TFmemacc::Mode::View);
            return;
        default:
            m.NotAvailable(CommandName(code));
            return;
    }
}

}  // namespace tessary
