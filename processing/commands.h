#pragma once
#include "core/app.h"

namespace tessary {
class TFdividend;
// Runs the processing command whose code (41 to 45) is in the run state.
void ProcessingCommand(App& app, TFdividend& dividend);
}  // namespace tessary
