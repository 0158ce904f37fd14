// The type pattern that selects members for the member reports and the dividend.

#include "members/types.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

TEST(TypeMatches, PatternIsAPrefixWithWildcards) {
    EXPECT_TRUE(TypeMatches("", ""));
    EXPECT_TRUE(TypeMatches("", "ANY"));
    for (const char* type : {"AB", "AX1", "A"}) EXPECT_TRUE(TypeMatches("A?", type)) << type;
    for (const char* type : {"B", "BA", ""}) EXPECT_FALSE(TypeMatches("A?", type)) << type;
    EXPECT_TRUE(TypeMatches("?B", "XB1"));
    EXPECT_FALSE(TypeMatches("?B", "XA"));
    EXPECT_FALSE(TypeMatches("?B", "X"));  // only "?" fits past the end of the type
    EXPECT_TRUE(TypeMatches("A", "AB"));
    EXPECT_TRUE(TypeMatches("??", ""));
    EXPECT_FALSE(TypeMatches("AB", "A"));
}

TEST(TypeMatches, MemberTypeIsTrimmedUpperCasedAndCutToTen) {
    EXPECT_TRUE(TypeMatches("AB", "  ab "));
    EXPECT_TRUE(TypeMatches("A?C", "a c"));  // an inner blank stays and fits "?"
    EXPECT_FALSE(TypeMatches("AC", "a c"));
    EXPECT_TRUE(TypeMatches("ABCDEFGHIJ?", "abcdefghijk"));
    EXPECT_FALSE(TypeMatches("ABCDEFGHIJK", "abcdefghijk"));
    EXPECT_FALSE(TypeMatches("ab", "AB"));  // the pattern comes upper-cased from its prompt
}

}  // namespace
}  // namespace tessary
