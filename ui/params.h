#pragma once
// Splitting a shell open's parameter string into a program's arguments, by the quoting
// rules the strings are written for: blanks separate, double quotes group (blanks inside stay),
// and backslashes are plain characters except before a quote (2n backslashes and a quote are
// n backslashes and a grouping quote; 2n+1 and a quote are n backslashes and a plain quote).
// So `/o A:\CU1 CU1.zip "/p=zip CU1 CU1\*.d32,del"` gives four arguments, the last without
// its quotes.

#include <string>
#include <string_view>
#include <vector>

namespace tessary::ui {

std::vector<std::string> SplitParameters(std::string_view parameters);

// Starts `program` with `args` in the folder `folder` (no shell; its output goes to our error
// output) and waits for it to end.
// Returns its exit status, or -1 when it could not be started or did not end normally.
int RunProgramAndWait(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder);

}  // namespace tessary::ui
