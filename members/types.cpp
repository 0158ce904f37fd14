#include "members/types.h"

#include "core/text.h"

namespace tessary {

namespace {

// Blanks here are every byte up to the space, as typed or stored text may carry them.
std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string TypePattern(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    text = first == std::string_view::npos ? "" : text.substr(first, last - first + 1);
    std::string pattern = UpperCase1252(text);
    if (pattern.size() > 10) pattern.resize(10);
    return pattern;
}

bool TypeMatches(std::string_view pattern, std::string_view memberType) {
    if (pattern.empty()) return true;
    std::string type = UpperCase1252(Trim(memberType));
    if (type.size() > 10) type.resize(10);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '?') continue;
        if (i >= type.size() || type[i] != pattern[i]) return false;
    }
    return true;
}

}  // namespace tessary
