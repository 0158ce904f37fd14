#pragma once
#include "core/forms/app.h"

namespace tessary {
// Produces the report whose code (301 to 316) is in the run state and shows it.
void ReportCommand(App& app);
}  // namespace tessary
