#pragma once
// The command-line manners every Tessary executable shares: --help and --version answered
// before anything is made, and one way of saying what is wrong with the rest.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// "3.2", the version every executable reports.
std::string_view ProgramVersion();

// When `args` (the arguments after the program name) ask for help ("--help", "-h") or the
// version ("--version"), prints it to `out` and returns the exit status 0; otherwise nothing.
std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args,
                                       std::string_view program, std::string_view usage,
                                       std::ostream& out);

// Says what is wrong with the command line and how to get help; returns the exit status 2.
int RefuseCommandLine(std::string_view program, std::string_view problem, std::ostream& err);

}  // namespace tessary
