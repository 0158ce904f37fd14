#pragma once
// Starting a program and waiting for it, for the shell services.

#include <string>
#include <string_view>
#include <vector>

namespace tessary::ui {

// Starts `program` with `args` in the folder `folder` (no shell; its output goes to our error
// output) and waits for it to end.
// Returns its exit status, or -1 when it could not be started or did not end normally.
int RunProgramAndWait(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder);

}  // namespace tessary::ui
