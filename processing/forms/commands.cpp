#include "processing/forms/commands.h"

#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "processing/backup.h"
#include "processing/forms/dividend.h"
#include "processing/periods.h"

namespace tessary {

void ProcessingCommand(App& app, TFdividend& dividend) {
    TFmain& m = app.main();
    RunState& s = app.state;
    const int code = s.CommandCode;
    // The runs that change the ledgers warn first; backup and restore do not.
    NoteDiscBackupResult(s);
    if (code < kCmdBackup) {
        m.WarnUnpostedBatches();
        if (!s.BackedUp) app.ShowModalMessage("Reminder - Backup data first");
    }
    m.EnableMenus(false);
    m.ClearPrompt();
    const int required =
        code == kCmdYearEnd || code == kCmdDividendAllocation ? kSystemController : kSupervisor;
    if (m.CheckRights(required)) {
        switch (code) {
            case kCmdPeriodEnd:
                PeriodEndCommand(app);
                break;
            case kCmdYearEnd:
                YearEndCommand(app);
                break;
            case kCmdDividendAllocation:
                // The form gives the menus back when it is left.
                app.ui.Hide(m);
                dividend.Open();
                return;
            case kCmdBackup:
                BackupToDisc(app);
                break;
            case kCmdRestore:
                RestoreFromDisc(app);
                break;
            default:
                break;
        }
    }
    app.ui.Show(m);
    m.EnableMenus(true);
}

}  // namespace tessary
