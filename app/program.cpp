#include "app/program.h"

#include "calculator/forms/calculate.h"
#include "core/forms/mainform.h"
#include "members/forms/commands.h"
#include "members/forms/findno.h"
#include "members/forms/memacc.h"
#include "members/forms/memtrans.h"
#include "nominal/forms/bank.h"
#include "nominal/forms/commands.h"
#include "nominal/forms/nomacc.h"
#include "nominal/forms/nomtrans.h"
#include "processing/forms/commands.h"
#include "processing/forms/dividend.h"
#include "reports/forms/commands.h"
#include "reports/forms/view.h"

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
