// The report writer: the work file, page titles, column headings and the page header line.

#include "reports/writer.h"

#include <gtest/gtest.h>

#include <map>

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

TEST(ReportWriter, TitlesByNumberWithTheTypePattern) {
    const std::map<int, std::string> titles = {{3, "TESSARY - MEMBERS TRANSACTIONS"},
                                               {4, "TESSARY - NOMINAL ACCOUNTS LIST"},
                                               {5, "TESSARY - NOMINAL ACCOUNTS TRANSACTIONS"},
                                               {6, "TESSARY - BUDGET VARIANCES REPORT"},
                                               {7, "TESSARY - TRIAL BALANCE REPORT"},
                                               {8, "TESSARY - PROFIT & LOSS REPORT"},
                                               {9, "TESSARY - BALANCE SHEET"},
                                               {10, "TESSARY - DISTRIBUTION OF LOANS"},
                                               {11, "TESSARY - DELINQUENT LOANS"},
                                               {12, "TESSARY - INSURANCE REPORT"},
                                               {13, "TESSARY - SYSTEM CONTROL REPORT"},
                                               {14, "TESSARY - CASH FLOW REPORT"},
                                               {15, "TESSARY - TRANSACTION SUMMARY"},
                                               {16, "TESSARY - MEMBERS DATA"},
                                               {20, "TESSARY - DIVIDEND ALLOCATION REPORT"},
                                               {21, "TESSARY - TRANSACTION ERRORS REPORT"},
                                               {22, "TESSARY - MEMBERS POSTING REPORT"},
                                               {23, "TESSARY - MEMBERS TRANSACTIONS LIST"},
                                               {24, "TESSARY - NOMINAL TRANSACTIONS LIST"}};
    for (int n = -1; n <= 30; ++n) {
        if (n == 1 || n == 2) continue;
        const auto it = titles.find(n);
        // The pattern belongs to the member reports only.
        EXPECT_EQ(PageTitle(n, "AB"), it == titles.end() ? "" : it->second) << n;
    }
    EXPECT_EQ(PageTitle(300, ""), "");
    EXPECT_EQ(PageTitle(1, ""), "TESSARY - MEMBERS BALANCES  ");
    EXPECT_EQ(PageTitle(1, "A?"), "TESSARY - MEMBERS BALANCES  Type  A?");
    EXPECT_EQ(PageTitle(2, "ABCDEFGHIJ"), "TESSARY - MEMBERS LOANS  Type  ABCDEFGHIJ");
    EXPECT_EQ(PageTitle(2, "ABCDEFGHIJKL"), "TESSARY - MEMBERS LOANS  Type  ABCDEFGHIJ");
}

TEST(ReportWriter, ColumnHeadingsByNumber) {
    // Filled in by hand from the column formats; the rest of the numbers have none.
    const std::map<int, std::string> headings = {
        {1, "Member                             Share1      Share2        Loan  Unattached"},
        {2, "Member                   Missing     Arrears        Loan Interest    Exposure"},
        {3, "Date       Usr Type                      Amount      Shares        Loan"},
        {4, "A/c  Name                        Year Budget"},
        {5, "Date       Usr A/c Narrative                           Amount     Balance"},
        {6, "A/c Name                         Balance      Budget  Variance % Amount Left"},
        {7, "Account                         Debit         Credit"},
        {8, "Account                         Period          Year"},
        {9, "Account                         Debit         Credit"},
        {10, "Loans Granted           No        Total"},
        {11, "Delinquency               No     Arrears Loans Value Net Liability"},
        {13, "Date       Usr Narrative                           Amount"},
        {14, "Account                         Period          Year"},
        {16, "Member                               Type       Phone            Loan Number"},
        {20, "   No Name                      Avg Shares    Dividend  Share1 now"},
        {22, "   No Name                           Type                 Amount  Date      "},
        {23, "   No Name                     Type                 Amount Date       Errors"},
        {24, "A/c Name                  No Narrative                           Amount"}};
    for (int n = -1; n <= 30; ++n) {
        const auto it = headings.find(n);
        EXPECT_EQ(ColumnHeading(n), it == headings.end() ? "" : it->second) << n;
    }
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
