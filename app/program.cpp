#include "app/program.h"

#include "calculator/calculate.h"
#include "core/mainform.h"
#include "members/commands.h"
#include "members/findno.h"
#include "members/memacc.h"
#include "members/memtrans.h"
#include "nominal/bank.h"
#include "nominal/commands.h"
#include "nominal/nomacc.h"
#include "nominal/nomtrans.h"
#include "processing/commands.h"
#include "processing/dividend.h"
#include "reports/commands.h"
#include "reports/view.h"

namespace tessary {

void Assemble(App& app) {
    // Each dispatcher is handed the forms it shows, so no command looks one up by name.
    const MemberForms members{app.MakeForm<TFmemtrans>(), app.MakeForm<TFmemacc>(),
                              app.MakeForm<TFfindno>()};
    const NominalForms nominal{app.MakeForm<TFnomacc>(), app.MakeForm<TFnomtrans>(),
                               app.MakeForm<TFbank>()};
    TFdividend& dividend = app.MakeForm<TFdividend>();
    ReportViewer(app);
    TFmain& m = app.main();
    m.MembersCommand = [&app, members] { MembersCommand(app, members); };
    m.NominalCommand = [&app, nominal] { NominalCommand(app, nominal); };
    m.ReportCommand = [&app] { ReportCommand(app); };
    m.ProcessingCommand = [&app, &dividend] { ProcessingCommand(app, dividend); };
    TFcalculate& calculator = app.MakeForm<TFcalculate>();
    m.LoanCalculator = [&calculator] { calculator.Open(); };
}

}  // namespace tessary
