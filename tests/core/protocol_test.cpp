// The named numbers that batches, logs, scripts and the viewer share: each name must stand
// for the number the files and the menu use.

#include "core/protocol.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "reports/writer.h"

namespace tessary {
namespace {

TEST(Protocol, EachNamedTransactionTypeCarriesItsName) {
    const std::pair<int, const char*> types[] = {
        {kShare1Deposit, "Share 1 Deposit"},   {kShare2Deposit, "Share 2 Deposit"},
        {kLoanRepayment, "Loan Repayment"},    {kFee, "Fee"},
        {kShare1Withdraw, "Share 1 Withdraw"}, {kShare2Withdraw, "Share 2 Withdraw"},
        {kLoanAllocation, "Loan Allocation"},  {kInterest, "Interest"},
        {kDividendShares, "Dividend Shares"}};
    for (const auto& [type, expected] : types) {
        std::string name;
        TransactionTypeName(type, name);
        EXPECT_EQ(name, expected) << type;
    }
    // Entry takes types 1 to 7; 8 arises only where posting splits a repayment.
    EXPECT_EQ(kLastKeyedType, 7);
    EXPECT_EQ(kLastPostingType, 8);
}

TEST(Protocol, EachPostingTypeFeedsAControlAccountOfItsOwn) {
    const std::pair<int, int> accounts[] = {
        {kShare1Deposit, 1},  {kShare2Deposit, 2},  {kLoanRepayment, 3},  {kFee, 4},
        {kShare1Withdraw, 5}, {kShare2Withdraw, 6}, {kLoanAllocation, 7}, {kInterest, 8}};
    std::set<int> seen;
    for (const auto& [type, account] : accounts) {
        EXPECT_EQ(ControlAccount(type), account) << type;
        seen.insert(ControlAccount(type));
    }
    EXPECT_EQ(seen.size(), std::size(accounts));
    EXPECT_FALSE(seen.contains(kBankAccount));
    // Dividends and unknown types go to no control account.
    for (int type : {int{kDividendShares}, 0, -1, 10}) EXPECT_EQ(ControlAccount(type), -1) << type;
}

TEST(Protocol, ListingCodesTitleTheirListings) {
    const std::pair<int, const char*> listings[] = {
        {kCmdDividendListing, "TESSARY - DIVIDEND ALLOCATION REPORT"},
        {kCmdMembersPostingListing, "TESSARY - MEMBERS POSTING REPORT"},
        {kCmdMembersCheckListing, "TESSARY - MEMBERS TRANSACTIONS LIST"},
        {kCmdNominalBatchListing, "TESSARY - NOMINAL TRANSACTIONS LIST"},
        {kCmdReportMembersBalances, "TESSARY - MEMBERS BALANCES  "},
        {kCmdReportMembersData, "TESSARY - MEMBERS DATA"},
        {kCmdReportCashFlow, "TESSARY - CASH FLOW REPORT"}};
    for (const auto& [code, title] : listings) {
        EXPECT_EQ(PageTitle(ReportNumberOfCode(code), ""), title) << code;
    }
    // The viewer reads these from the command code.
    EXPECT_EQ(kCmdMembersPostingListing, 322);
    EXPECT_EQ(kCmdMembersCheckListing, 323);
    EXPECT_EQ(kCmdNominalBatchListing, 324);
}

}  // namespace
}  // namespace tessary
