#pragma once
#include "core/forms/app.h"

namespace tessary {
class TFdividend;
// Runs the processing command whose code (41 to 45) is in the run state.
void ProcessingCommand(App& app, TFdividend& dividend);

// Codes 44 and 45, after the rights check. A restore ends the program.
void BackupToDisc(App& app);
void RestoreFromDisc(App& app);

// The Processing menu's Period End and Year End, after the dispatcher's checks of rights.
void PeriodEndCommand(App& app);
void YearEndCommand(App& app);

}  // namespace tessary
