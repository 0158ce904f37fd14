// The report writer: the work file, the member reports' titles and the page header line
// (every report's title and heading as printed is checked with the viewer).

#include "reports/writer.h"

#include <gtest/gtest.h>

#include "core/fixture.h"

namespace tessary {
namespace {

using Lines = std::vector<std::string>;

class ReportWorkFile : public testing::ProgramFolderTest {
  protected:
    // The text of each record of the work file, which must hold whole records only.
    Lines Records() const {
        const auto bytes = testing::ReadBytes(ReportWorkPath(state));
        EXPECT_EQ(bytes.size() % 81, 0u);
        Lines out;
        for (std::size_t at = 0; at + 81 <= bytes.size(); at += 81) {
            out.emplace_back(bytes.begin() + at + 1, bytes.begin() + at + 1 + bytes[at]);
        }
        return out;
    }
};

TEST_F(ReportWorkFile, KeepsEachLineCutTo80AndStartsEmptyEachRun) {
    StartIn("CU1");
    state.UserCode = "JAS";
    EXPECT_EQ(ReportWorkPath(state), (program / "CU1" / "JASWORK").string());
    const Lines lines = {"first",  "", "^", std::string(80, 'x'), std::string(80, 'y') + "zz",
                         "caf\xE9"};
    ASSERT_TRUE(BeginReport(state));
    for (const auto& l : lines) EXPECT_TRUE(AppendReportLine(state, l));
    EndReport(state);
    EXPECT_FALSE(state.ReportWork.IsOpen());
    EXPECT_EQ(Records(),
              (Lines{"first", "", "^", std::string(80, 'x'), std::string(80, 'y'), "caf\xE9"}));

    ASSERT_TRUE(BeginReport(state));
    AppendReportLine(state, "again");
    EndReport(state);
    EXPECT_EQ(Records(), Lines{"again"});
}

TEST(ReportWriter, MemberReportTitlesCarryTheTypePatternCutTo16) {
    EXPECT_EQ(PageTitle(1, ""), "TESSARY - MEMBERS BALANCES  ");
    EXPECT_EQ(PageTitle(1, "A?"), "TESSARY - MEMBERS BALANCES  Type  A?");
    EXPECT_EQ(PageTitle(2, "ABCDEFGHIJ"), "TESSARY - MEMBERS LOANS  Type  ABCDEFGHIJ");
    EXPECT_EQ(PageTitle(2, "ABCDEFGHIJKL"), "TESSARY - MEMBERS LOANS  Type  ABCDEFGHIJ");
}

TEST(ReportWriter, PageHeaderPadsEachField) {
    RunState s;
    s.System.UnionName.set("Kirkby Credit Union");
    s.UserCode = "JS";
    s.WorkingDateText = "08/12/2026";
    EXPECT_EQ(PageHeaderLine(s, 7),
              "Kirkby Credit Union                        User  JS  08/12/2026   Page     7");
    s.System.UnionName.set(std::string(30, 'A'));
    s.UserCode = "JAS";
    s.WorkingDateText = "31/01/2027";
    EXPECT_EQ(PageHeaderLine(s, 12345),
              "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA             User JAS  31/01/2027   Page  12345");
}

}  // namespace
}  // namespace tessary
