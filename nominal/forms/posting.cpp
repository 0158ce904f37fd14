#include "nominal/posting.h"

#include <string>

#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/workfile.h"
#include "nominal/forms/commands.h"
#include "reports/forms/view.h"

namespace tessary {

void TotalNominalTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const NominalTotal total = TotalNominalBatch(s);
    s.BatchChecked = total.unreadable.empty() && total.errors == 0;
    if (!total.unreadable.empty()) {
        m.Lm.caption = total.unreadable;
        app.ui.Show(m);
        m.EnableMenus(true);
        return;
    }
    WriteReport(s, total.lines);
    std::string message = NominalTotalLine(total.count, total.total, "   ");
    if (total.errors > 0) {
        message +=
            "  " + PadLeft(std::to_string(total.errors), 3) + " Error(s) - must be corrected";
    }
    if (m.AskQuestion(message, "View the Transactions ?")) {
        s.CommandCode = kCmdNominalBatchListing;
        ShowReport(app);
        return;
    }
    m.ClearPrompt();
    m.EnableMenus(true);
}

void PostNominalTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    if (!s.BatchChecked) {
        m.Lm.caption = kMsgRetotal;
        m.EnableMenus(true);
        return;
    }
    const bool post = m.AskQuestion("Post Nominal Transactions ? " + s.UserCode, "");
    if (!post) {
        m.ClearPrompt();
        m.EnableMenus(true);
        return;
    }
    const NominalPosting run = PostNominalBatch(s);
    if (!run.opened) {
        m.EnableMenus(true);
        return;
    }
    m.ClearPrompt();
    if (run.refused == kMsgRetotal) s.BatchChecked = false;
    m.Lm.caption = !run.refused.empty() ? run.refused
                   : run.outcome.ok()   ? "Posting Completed"
                                        : OutcomeMessage(run.outcome, "Posting");
    m.EnableMenus(true);
}

}  // namespace tessary
