#include "core/records.h"

#include <array>

#include "core/protocol.h"

namespace tessary {

void ScrambleBytes(unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] ^= static_cast<unsigned char>((i + 1) & 0xFF);
    }
}

void ScrambleSystemRecord(SystemRecord& record) {
    ScrambleBytes(RecordBytes(record), sizeof record);
}

void TransactionTypeName(int type, std::string& name) {
    static constexpr std::array<std::string_view, kLastNamedType> kNames = {
        "Share 1 Deposit",  "Share 2 Deposit",  "Loan Repayment",  "Fee",
        "Share 1 Withdraw", "Share 2 Withdraw", "Loan Allocation", "Interest",
        "Dividend Shares"};
    if (type >= kShare1Deposit && type <= kLastNamedType) {
        name = kNames[static_cast<std::size_t>(type - kShare1Deposit)];
    }
}

bool AccountInRange(int account) {
    return account == kBankAccount ||
           (account >= kCurrentLiabilitiesStart && account < kExpenditureStart);
}

std::string_view NominalTypeName(int account) {
    if (account < kCurrentAssetsStart) return "FIXED ASSET";
    if (account < kCurrentLiabilitiesStart) return "CURRENT ASSET";
    if (account < kCapitalStart) return "CURRENT LIABILITY";
    if (account < kIncomeStart) return "CAPITAL";
    if (account < kExpenditureStart) return "INCOME";
    return "EXPENDITURE";
}

}  // namespace tessary
