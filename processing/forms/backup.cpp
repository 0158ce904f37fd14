#include "processing/backup.h"

#include <filesystem>
#include <string>

#include "core/forms/mainform.h"
#include "processing/forms/commands.h"
#include "processing/volume/archive.h"

namespace tessary {

namespace {

constexpr const char* kTool = "volume.pif";

// The shell starts the tool and never says whether it could: a missing tool is told here, or
// the user would wait for a backup that never comes, or lose the program for a restore.
bool ToolMissing(App& app) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(std::filesystem::path(app.programFolder) / kTool, ec)) {
        return false;
    }
    TFmain& m = app.main();
    m.ClearPrompt();
    m.Lm.caption =
        std::string("The archiving tool ") + kTool + " is missing from the program folder";
    return true;
}

}  // namespace

void BackupToDisc(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const int p = DiscPeriod(s.System.PeriodNumber);
    m.Lm.caption = "Please use the disc for period " + std::to_string(p) + " in drive " +
                   std::string(1, s.System.BackupDrive) + ":";
    if (m.AskPrompt() != ui::ModalResult::OK || ToolMissing(app)) return;
    // A report left by an earlier run of the tool must not vouch for this one.
    std::error_code ec;
    std::filesystem::remove(s.DataPath(volume::kResultFile), ec);
    app.ui.services().ShellOpen(kTool, "open", BackupParameters(s.System.BackupDrive, s.FolderName),
                                ui::ShowState::Maximized);
    s.BackupPending = true;
    m.ClearPrompt();
}

void RestoreFromDisc(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const int p = DiscPeriod(s.System.PeriodNumber);
    m.Lm.caption =
        "The current period is " + std::to_string(p) + " - After the Restore please RERUN Tessary";
    if (m.AskPrompt() != ui::ModalResult::OK) {
        m.ClearPrompt();
        return;
    }
    if (ToolMissing(app)) return;
    app.ui.services().ShellOpen(kTool, "open",
                                RestoreParameters(s.System.BackupDrive, s.FolderName),
                                ui::ShowState::Maximized);
    // The tool waits for the data files to be free; ending now lets it replace them.
    app.ShutDown();
}

}  // namespace tessary
