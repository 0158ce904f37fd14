#pragma once
#include "core/app.h"

namespace tessary {
// Runs the member command whose code (11 to 21) is in the run state.
void MembersCommand(App& app);
}  // namespace tessary
