#include "app/program.h"

#include "core/mainform.h"
#include "members/commands.h"
#include "nominal/commands.h"
#include "processing/commands.h"
#include "reports/commands.h"

namespace tessary {

void Assemble(App& app) {
    TFmain& m = app.main();
    m.MembersCommand = [&app] { MembersCommand(app); };
    m.NominalCommand = [&app] { NominalCommand(app); };
    m.ReportCommand = [&app] { ReportCommand(app); };
    m.ProcessingCommand = [&app] { ProcessingCommand(app); };
}

}  // namespace tessary
