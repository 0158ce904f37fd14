#include "members/interchange.h"

#include <filesystem>
#include <optional>
#include <string>

#include "core/drive.h"
#include "core/file.h"
#include "core/forms/mainform.h"
#include "core/money.h"
#include "core/text.h"
#include "members/forms/commands.h"
#include "members/posting.h"

namespace tessary {

namespace fs = std::filesystem;

namespace {

ui::FileDialogOptions ReadDialog() {
    return {"csv|*.csv|All files|*.*", "txt", "c:\\", ""};
}

ui::FileDialogOptions WriteDialog() {
    return {"csv|*.csv|All files|*.*", "csv", "c:\\", ""};
}

void Tell(App& app, const std::string& message) {
    TFmain& m = app.main();
    m.ClearPrompt();
    m.Lm.caption = message;
    app.ui.Show(m);
}

}  // namespace

void ExportMembersCommand(App& app) {
    const std::optional<std::string> path = app.ui.services().SaveFileDialog(WriteDialog());
    if (!path) {
        app.ui.Show(app.main());
        return;
    }
    std::string text;
    if (const int error = ExportMembers(app.state, text)) {
        Tell(app, "The members file cannot be read: " + FileErrorText(error));
        return;
    }
    // Written under a temporary name and renamed, so the file is never left half-written.
    if (const int error = WriteFileDurably(*path, text)) {
        Tell(app, "Export failed, " + *path + " was not written: " + FileErrorText(error));
        return;
    }
    Tell(app, "Export completed");
}

void ImportMembersCommand(App& app) {
    RunState& s = app.state;
    const std::optional<std::string> path = app.ui.services().OpenFileDialog(ReadDialog());
    std::string text;
    if (!path) {
        app.ui.Show(app.main());
        return;
    }
    if (ReadWholeFile(*path, text) != 0) {
        Tell(app, *path + " not found");
        return;
    }
    const ImportResult result = ImportMembers(s, text);
    if (result.opened) Tell(app, result.message);
}

void ReadTransactionsCommand(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const std::optional<std::string> path = app.ui.services().OpenFileDialog(ReadDialog());
    if (!path) {
        app.ui.Show(m);
        return;
    }
    std::string text;
    if (ReadWholeFile(*path, text) != 0) {
        Tell(app, *path + " not found");
        return;
    }
    const std::string batchPath = MemberBatchPath(s);
    BatchLock lock;
    if (!lock.Take(batchPath)) {
        Tell(app, kMsgBatchInUse);
        return;
    }
    // Settles a run that died after its commit, so a posted batch is not counted as keyed.
    OpenFileSet(s, kEnquiry);
    const Batch<MemberTransaction> batch = ReadBatch<MemberTransaction>(batchPath);
    int error = batch.error;
    int keyed = 0;
    for (const MemberTransaction& t : batch.entries) {
        if (!IsZeroMoney(t.Amount)) ++keyed;
    }
    if (keyed > 0 || error != 0) {
        const std::string held =
            error != 0   ? "Your member batch cannot be read"
            : keyed == 1 ? "Your member batch holds 1 keyed entry"
                         : "Your member batch holds " + std::to_string(keyed) + " keyed entries";
        if (!m.AskQuestion(held, "Replace them with the transactions read ?")) {
            CloseFileSet(s, kEnquiry);
            Tell(app, "");
            return;
        }
    }
    s.MemberTrans = MemberTransaction{};
    const std::vector<MemberTransaction> entries =
        ReadTransactions(text, s.WorkingDate, app.ui.services().Today().year());
    error = ReplaceBatch(batchPath, entries);
    CloseFileSet(s, kEnquiry);
    if (error != 0) {
        Tell(app, "Read Transactions failed, the batch is as it was: " + FileErrorText(error));
        return;
    }
    Tell(app, "Read Transactions completed");
}

void CreateCollectionDisc(App& app) {
    TFmain& m = app.main();
    if (!m.AskQuestion(m.Lm.caption, "Please insert a formatted disk in drive a:")) {
        Tell(app, "");
        return;
    }
    const fs::path program = fs::path(app.programFolder) / kCollectionProgram;
    const Drive drive = FindDrive('a');
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) {
        Tell(app, std::string("The collection program ") + kCollectionProgram +
                      " is missing from the program folder");
        return;
    }
    if (!drive.available) {
        Tell(app, "Drive a: is not available (no disc in " + drive.folder + ")");
        return;
    }
    if (const int error = CopyFileDurably(program, fs::path(drive.folder) / kCollectionProgram)) {
        Tell(app, "The disc was not written: " + FileErrorText(error));
        return;
    }
    Tell(app, "Fieldpay disc created");
}

}  // namespace tessary
