#pragma once
// Puts the program together: the subsystems' commands behind the main window's menu.

#include "core/forms/app.h"

namespace tessary {
void Assemble(App& app);
}  // namespace tessary
