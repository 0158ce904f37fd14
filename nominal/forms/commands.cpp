#include "nominal/forms/commands.h"

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "nominal/forms/bank.h"
#include "nominal/forms/nomacc.h"
#include "nominal/forms/nomtrans.h"
#include "nominal/posting.h"

namespace tessary {

void NominalCommand(App& app, const NominalForms& forms) {
    TFmain& m = app.main();
    RunState& s = app.state;
    if (!m.CheckRights(kSupervisor)) return;
    m.EnableMenus(false);
    m.ClearPrompt();
    switch (s.CommandCode) {
        case kCmdInputNominalTransactions:  // 21 to this dispatcher; the member import shares it
            app.ui.Hide(m);
            forms.nomtrans.Open();
            return;
        case kCmdTotalNominalTransactions:
            TotalNominalTransactions(app);
            return;
        case kCmdPostNominalTransactions:
            PostNominalTransactions(app);
            return;
        case kCmdReconcile:
            Reconcile(app, forms.bank);
            return;
        case kCmdMaintainNominalAccounts:
            if (!OpenFileSet(s, kUpdate)) {
                m.EnableMenus(true);
                return;
            }
            app.ui.Hide(m);
            forms.nomacc.Open();
            return;
        default:
            m.EnableMenus(true);
            return;
    }
}

}  // namespace tessary
