#include "members/posting.h"

#include <optional>
#include <string>

#include "core/forms/mainform.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/workfile.h"
#include "members/forms/commands.h"
#include "reports/forms/view.h"

namespace tessary {

void CheckTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const BatchCheck check = CheckMemberBatch(s, app.Today());
    if (!check.unreadable.empty()) {
        s.BatchChecked = false;
        m.Lm.caption = check.unreadable;
        app.ui.Show(m);
        return;
    }
    s.BatchChecked = check.errors == 0;
    std::string message =
        "Total - Count " + Whole5(check.count) + "   Value " + Money11(check.value);
    if (check.errors > 0) {
        message +=
            "  " + PadLeft(std::to_string(check.errors), 3) + " Error(s) - must be corrected";
    }
    WriteReport(s, check.lines);
    if (m.AskQuestion(message, "View Transactions ?")) {
        s.CommandCode = kCmdMembersCheckListing;
        ShowReport(app);
    }
}

void PostTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    if (!s.BatchChecked) {
        m.Lm.caption = "Please check transactions first";
        return;
    }
    if (!m.AskQuestion(m.Lm.caption, "Post Members Transactions ? " + s.UserCode)) return;
    const MemberPosting run = PostMemberBatch(s);
    if (!run.opened) return;
    if (!run.refused.empty()) {
        if (run.refused == kMsgRecheck) s.BatchChecked = false;
        m.EnableMenus(true);
        m.Lm.caption = run.refused;
        return;
    }
    WriteReport(s, run.lines);
    if (!run.outcome.committed) {
        m.EnableMenus(true);
        m.Lm.caption = OutcomeMessage(run.outcome, "Posting");
        return;
    }
    s.CommandCode = kCmdMembersPostingListing;
    // Posted; a safety copy that failed is told over the report.
    ShowReport(app, std::nullopt,
               run.outcome.copied ? std::string() : OutcomeMessage(run.outcome, "Posting"));
}

}  // namespace tessary
