#pragma once
// Member types and the pattern that selects members by type, which the member reports and the
// dividend allocation share.

#include <string>
#include <string_view>

namespace tessary {

// A type pattern as typed: trimmed, upper case, at most 10 characters.
std::string TypePattern(std::string_view text);
// True when the member type fits the pattern: the pattern is a prefix, "?" fits any character
// and also a position past the end of the type. The type is trimmed, upper-cased and cut to
// 10 characters first; the pattern is taken as it stands (the prompt prepares it). An empty
// pattern fits every member.
bool TypeMatches(std::string_view pattern, std::string_view memberType);

}  // namespace tessary
