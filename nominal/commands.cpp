#include "nominal/commands.h"

#include "core/fileset.h"
#include "core/mainform.h"
#include "nominal/bank.h"
#include "nominal/nomacc.h"
#include "nominal/nomtrans.h"
#include "nominal/posting.h"

namespace tessary {

void NominalCommand(App& app) {
    TFmain& m = app.main();
    RunState& s = app.state;
    if (!m.CheckRights(kSupervisor)) return;
    m.EnableMenus(false);
    m.ClearPrompt();
    switch (s.CommandCode) {
        case 21:
            app.ui.Hide(m);
            app.FindForm<TFnomtrans>("TFnomtrans")->Open();
            return;
        case 22:
            TotalNominalTransactions(app);
            return;
        case 23:
            PostNominalTransactions(app);
            return;
        case 24:
            Reconcile(app);
            return;
        case 25:
            if (!OpenFileSet(s, kUpdate)) {
                m.EnableMenus(true);
                return;
            }
            app.ui.Hide(m);
            app.FindForm<TFnomacc>("TFnomacc")->Open();
            return;
        default:
            m.EnableMenus(true);
            return;
    }
}

}  // namespace tessary
