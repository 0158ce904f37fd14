#include "processing/periods.h"

#include <fmt/core.h>

#include "core/forms/mainform.h"
#include "processing/forms/commands.h"

namespace tessary {

namespace {

// Says how a run ended on the message line.
void Conclude(TFmain& m, const PeriodRun& run, const char* finished, const char* what) {
    if (!run.opened) return;  // the open has said why
    if (!run.refused.empty()) {
        m.Lm.caption = run.refused;
    } else if (run.outcome.ok()) {
        m.Lm.caption = finished;
    } else {
        m.Lm.caption = OutcomeMessage(run.outcome, what);
    }
}

}  // namespace

void PeriodEndCommand(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    if (const std::string refused = PeriodEndRefusal(s.System, s.WorkingDate); !refused.empty()) {
        m.Lm.caption = refused;
        return;
    }
    const bool ok = m.AskQuestion(
        fmt::format("Do Period End Processing for Month {} ?", +s.System.PeriodNumber), "");
    m.ClearPrompt();
    if (!ok) return;
    Conclude(m, PeriodEnd(s), kMsgPeriodEndFinished, "Period end");
}

void YearEndCommand(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    if (const std::string refused = YearEndRefusal(s.System); !refused.empty()) {
        m.Lm.caption = refused;
        return;
    }
    const bool ok = m.AskQuestion("Make sure that you have printed all reports for this year", "");
    m.ClearPrompt();
    if (!ok) return;
    Conclude(m, YearEnd(s), kMsgYearEndFinished, "Year end");
}

}  // namespace tessary
