#pragma once
// The numbers the parts of the program pass between them: the command code each menu item
// stores before its dispatcher runs, the report numbers the viewer titles its reports by, the
// member transaction types, and the nominal control account each type is posted to. Like the
// record layouts beside it, these are fixed: scripts, batch files and logs carry them.

#include "core/records.h"

namespace tessary {

// Member commands, 11 to 21, run by the members dispatcher.
inline constexpr int kCmdInputMemberTransactions = 11;
inline constexpr int kCmdReadMemberTransactions = 12;
inline constexpr int kCmdCheckMemberTransactions = 13;
inline constexpr int kCmdPostMemberTransactions = 14;
inline constexpr int kCmdAddMembers = 15;
inline constexpr int kCmdUpdateMembers = 16;
inline constexpr int kCmdViewMembers = 17;
inline constexpr int kCmdFindMember = 18;
inline constexpr int kCmdCreateFpyDisc = 19;
inline constexpr int kCmdExportMembers = 20;
inline constexpr int kCmdImportMembers = 21;
inline constexpr int kFirstMemberCommand = kCmdInputMemberTransactions;
inline constexpr int kLastMemberCommand = kCmdImportMembers;

// Nominal commands, 21 to 25, run by the nominal dispatcher. Code 21 is also the member
// import: the dispatcher a menu item calls is what tells the two apart.
inline constexpr int kCmdInputNominalTransactions = 21;
inline constexpr int kCmdTotalNominalTransactions = 22;
inline constexpr int kCmdPostNominalTransactions = 23;
inline constexpr int kCmdReconcile = 24;
inline constexpr int kCmdMaintainNominalAccounts = 25;
static_assert(kCmdInputNominalTransactions == kCmdImportMembers);

// Processing commands, 41 to 45.
inline constexpr int kCmdPeriodEnd = 41;
inline constexpr int kCmdYearEnd = 42;
inline constexpr int kCmdDividendAllocation = 43;
inline constexpr int kCmdBackup = 44;
inline constexpr int kCmdRestore = 45;

// Report numbers. The viewer titles a report and heads its columns by its number; 17 to 19
// are unused and nothing produces 21.
inline constexpr int kReportMembersBalances = 1;
inline constexpr int kReportMembersLoans = 2;
inline constexpr int kReportMembersTransactions = 3;
inline constexpr int kReportNominalAccountList = 4;
inline constexpr int kReportNominalTransactions = 5;
inline constexpr int kReportBudgetVariances = 6;
inline constexpr int kReportTrialBalance = 7;
inline constexpr int kReportProfitAndLoss = 8;
inline constexpr int kReportBalanceSheet = 9;
inline constexpr int kReportDistributionOfLoans = 10;
inline constexpr int kReportDelinquentLoans = 11;
inline constexpr int kReportInsurance = 12;
inline constexpr int kReportSystemControl = 13;
inline constexpr int kReportCashFlow = 14;
inline constexpr int kReportTransactionSummary = 15;
inline constexpr int kReportMembersData = 16;
inline constexpr int kReportDividendAllocation = 20;
inline constexpr int kReportTransactionErrors = 21;
inline constexpr int kReportMembersPosting = 22;
inline constexpr int kReportMembersTransactionsList = 23;
inline constexpr int kReportNominalTransactionsList = 24;

// A report is viewed under the command code 300 + its number.
inline constexpr int kReportCommandBase = 300;
constexpr int ReportCommandCode(int reportNumber) {
    return kReportCommandBase + reportNumber;
}
constexpr int ReportNumberOfCode(int commandCode) {
    return commandCode - kReportCommandBase;
}

// The Reports menu's commands, 301 to 316.
inline constexpr int kCmdReportMembersBalances = ReportCommandCode(kReportMembersBalances);
inline constexpr int kCmdReportMembersLoans = ReportCommandCode(kReportMembersLoans);
inline constexpr int kCmdReportMembersTransactions = ReportCommandCode(kReportMembersTransactions);
inline constexpr int kCmdReportNominalAccountList = ReportCommandCode(kReportNominalAccountList);
inline constexpr int kCmdReportNominalTransactions = ReportCommandCode(kReportNominalTransactions);
inline constexpr int kCmdReportBudgetVariances = ReportCommandCode(kReportBudgetVariances);
inline constexpr int kCmdReportTrialBalance = ReportCommandCode(kReportTrialBalance);
inline constexpr int kCmdReportProfitAndLoss = ReportCommandCode(kReportProfitAndLoss);
inline constexpr int kCmdReportBalanceSheet = ReportCommandCode(kReportBalanceSheet);
inline constexpr int kCmdReportDistributionOfLoans = ReportCommandCode(kReportDistributionOfLoans);
inline constexpr int kCmdReportDelinquentLoans = ReportCommandCode(kReportDelinquentLoans);
inline constexpr int kCmdReportInsurance = ReportCommandCode(kReportInsurance);
inline constexpr int kCmdReportSystemControl = ReportCommandCode(kReportSystemControl);
inline constexpr int kCmdReportCashFlow = ReportCommandCode(kReportCashFlow);
inline constexpr int kCmdReportTransactionSummary = ReportCommandCode(kReportTransactionSummary);
inline constexpr int kCmdReportMembersData = ReportCommandCode(kReportMembersData);

// The listings that other commands pass on to the viewer.
inline constexpr int kCmdDividendListing = ReportCommandCode(kReportDividendAllocation);
inline constexpr int kCmdMembersPostingListing = ReportCommandCode(kReportMembersPosting);
inline constexpr int kCmdMembersCheckListing = ReportCommandCode(kReportMembersTransactionsList);
inline constexpr int kCmdNominalBatchListing = ReportCommandCode(kReportNominalTransactionsList);

// Member transaction types, as stored in a transaction's and a log entry's TransType;
// TransactionTypeName gives their names. 1 to 7 are keyed into batches, posting splits a
// repayment into 3 and 8, and only dividend allocation writes 9.
enum TransactionType : std::int32_t {
    kShare1Deposit = 1,
    kShare2Deposit = 2,
    kLoanRepayment = 3,
    kFee = 4,
    kShare1Withdraw = 5,
    kShare2Withdraw = 6,
    kLoanAllocation = 7,
    kInterest = 8,
    kDividendShares = 9,
};
inline constexpr int kFirstKeyedType = kShare1Deposit;
inline constexpr int kLastKeyedType = kLoanAllocation;
inline constexpr int kFirstPostingType = kShare1Deposit;
inline constexpr int kLastPostingType = kInterest;
inline constexpr int kLastNamedType = kDividendShares;

// The control account that takes the posted total of a member transaction type 1 to 8, or -1
// for a type that has none. The bank account takes the run's net cash.
constexpr int ControlAccount(int type) {
    return type >= kFirstPostingType && type <= kLastPostingType ? type : -1;
}
static_assert(ControlAccount(kShare1Deposit) == kShare1DepositsAccount &&
              ControlAccount(kInterest) == kLoanInterestAccount);
static_assert(ControlAccount(kLastPostingType) < kFixedAssetsStart,
              "control accounts lie among the system accounts");
static_assert(ControlAccount(kFirstPostingType) != kBankAccount);

}  // namespace tessary
