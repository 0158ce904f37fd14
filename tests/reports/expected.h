#pragma once
// Compares a report's lines with its expected text, kept beside the tests in
// tests/reports/expected/, byte for byte.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tessary::testing {

inline std::string ExpectedText(const std::string& name) {
    std::ifstream in(std::string(TESSARY_TEST_DATA_DIR) + "/reports/expected/" + name,
                     std::ios::binary);
    EXPECT_TRUE(in.good()) << "no expected text " << name;
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

#define EXPECT_REPORT(lines, name) \
    EXPECT_EQ(::tessary::testing::JoinedLines(lines), ::tessary::testing::ExpectedText(name))

}  // namespace tessary::testing
