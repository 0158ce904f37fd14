#include "app/program.h"

#include "core/mainform.h"
#include "members/commands.h"
#include "members/memacc.h"
#include "members/memtrans.h"
#include "nominal/bank.h"
#include "nominal/commands.h"
#include "nominal/nomacc.h"
#include "nominal/nomtrans.h"
#include "processing/commands.h"
#include "reports/commands.h"
#include "reports/view.h"

namespace tessary {

void Assemble(App& app) {
    app.MakeForm<TFmemtrans>();
    app.MakeForm<TFmemacc>();
    app.MakeForm<TFnomacc>();
    app.MakeForm<TFnomtrans>();
    app.MakeForm<TFbank>();
    ReportViewer(app);
    TFmain& m = app.main();
    m.MembersCommand = [&app] { MembersCommand(app); };
    m.NominalCommand = [&app] { NominalCommand(app); };
    m.ReportCommand = [&app] { ReportCommand(app); };
    m.ProcessingCommand = [&app] { ProcessingCommand(app); };
}

}  // namespace tessary
