#pragma once
#include "core/app.h"

namespace tessary {
// Runs the nominal command whose code (21 to 25) is in the run state.
void NominalCommand(App& app);
}  // namespace tessary
