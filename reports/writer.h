#pragma once
// The pages of a report: the title, page header and column heading that the viewer, the
// printer and the filed text file put around the lines of the work file (core/workfile.h).

#include <string>
#include <string_view>

#include "core/state.h"
#include "core/text.h"
#include "core/workfile.h"

namespace tessary {

// The page title of a report; numbers 1 and 2 carry the member type pattern of the run.
std::string PageTitle(int reportNumber, std::string_view typePattern);
// The column heading line of a report; empty for numbers without one.
std::string ColumnHeading(int reportNumber);
// The second line of every printed page.
std::string PageHeaderLine(const RunState& state, int page);

}  // namespace tessary
