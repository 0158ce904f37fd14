#include "core/cli.h"

#ifndef TESSARY_VERSION
#define TESSARY_VERSION "0"
#endif

namespace tessary {

std::string_view ProgramVersion() {
    return TESSARY_VERSION;
}

std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args,
                                       std::string_view program, std::string_view usage,
                                       std::ostream& out) {
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            out << usage;
            return 0;
        }
        if (a == "--version") {
            out << program << " (Tessary) " << ProgramVersion() << "\n";
            return 0;
        }
    }
    return std::nullopt;
}

int RefuseCommandLine(std::string_view program, std::string_view problem, std::ostream& err) {
    err << program << ": " << problem << "\n"
        << "Try '" << program << " --help' for more information.\n";
    return 2;
}

}  // namespace tessary
