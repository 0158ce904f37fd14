#include "core/records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tessary {
namespace {

// Little-endian byte writers for hand-made records, independent of the structs.
void PutDouble(std::vector<unsigned char>& b, std::size_t at, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) b[at + i] = static_cast<unsigned char>(bits >> (8 * i));
}
void PutInt(std::vector<unsigned char>& b, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(u >> (8 * i));
}
void PutText(std::vector<unsigned char>& b, std::size_t at, const std::string& s) {
    b[at] = static_cast<unsigned char>(s.size());
    std::memcpy(&b[at + 1], s.data(), s.size());
}

template <typename Record>
Record FromBytes(const std::vector<unsigned char>& bytes) {
    EXPECT_EQ(bytes.size(), sizeof(Record));
    Record r;
    std::memcpy(RecordBytes(r), bytes.data(), sizeof r);
    return r;
}

template <typename Record>
std::vector<unsigned char> ToBytes(const Record& r) {
    return {RecordBytes(r), RecordBytes(r) + sizeof r};
}

// Fields are compared through "+r.Field", a copy: a reference to a packed field may be
// misaligned.
TEST(Records, SystemRecordMatchesHandMadeBytes) {
    std::vector<unsigned char> b(348, 0);
    PutText(b, 0, "Hill Street Credit Union");
    PutDouble(b, 32, 1.25);
    PutInt(b, 40, 2);
    PutInt(b, 44, 13);
    PutDouble(b, 48, 5000);
    PutDouble(b, 56, 7500.5);
    PutText(b, 64 + 4 * 2, "JB");
    PutText(b, 124 + 9 * 2, "SECRET");
    PutInt(b, 260 + 4 * 2, 3);
    PutInt(b, 320, 1234);
    PutInt(b, 324, 7);
    PutDouble(b, 328, 46000);
    PutDouble(b, 336, 45990);
    b[344] = 'D';

    const auto r = FromBytes<SystemRecord>(b);
    EXPECT_EQ(r.UnionName.str(), "Hill Street Credit Union");
    EXPECT_EQ(+r.InterestRate, 1.25);
    EXPECT_EQ(+r.InterestMethod, 2);
    EXPECT_EQ(+r.PeriodNumber, 13);
    EXPECT_EQ(+r.MaxInsuredShares, 5000);
    EXPECT_EQ(+r.MaxInsuredLoan, 7500.5);
    EXPECT_EQ(r.UserCodes[2].str(), "JB");
    EXPECT_EQ(r.UserPasswords[2].str(), "SECRET");
    EXPECT_EQ(+r.UserLevels[2], 3);
    EXPECT_EQ(+r.ConsistencyTotal, 1234);
    EXPECT_EQ(+r.BackupDiscCount, 7);
    EXPECT_EQ(+r.LastPostingDate, 46000);
    EXPECT_EQ(+r.LastPeriodEndDate, 45990);
    EXPECT_EQ(+r.BackupDrive, 'D');
    EXPECT_EQ(ToBytes(r), b);
}

TEST(Records, MemberRecordMatchesHandMadeBytes) {
    std::vector<unsigned char> b(388, 0);
    for (int i = 0; i < 17; ++i) PutDouble(b, 8 * i, 100.0 + i);
    PutInt(b, 136, 42);
    PutText(b, 140, "M");
    PutText(b, 142, "Mary O'Brien");
    PutText(b, 173, "1 Main Street");
    PutText(b, 297, "Ireland");
    PutText(b, 328, "0123 456789");
    PutText(b, 345, "PW");
    PutText(b, 354, "ADULT");
    PutText(b, 363, "01/02/2003");
    PutText(b, 374, "31/12/1970");

    const auto r = FromBytes<MemberRecord>(b);
    EXPECT_EQ(+r.Share1, 100);
    EXPECT_EQ(+r.Repayment, 106);
    EXPECT_EQ(+r.Share1SumLastYear, 114);
    EXPECT_EQ(+r.LoanDate, 115);
    EXPECT_EQ(+r.LastPayDate, 116);
    EXPECT_EQ(+r.LoanNumber, 42);
    EXPECT_EQ(r.Frequency.str(), "M");
    EXPECT_EQ(r.Name.str(), "Mary O'Brien");
    EXPECT_EQ(r.Address1.str(), "1 Main Street");
    EXPECT_EQ(r.Address5.str(), "Ireland");
    EXPECT_EQ(r.Phone.str(), "0123 456789");
    EXPECT_EQ(r.Password.str(), "PW");
    EXPECT_EQ(r.MemberType.str(), "ADULT");
    EXPECT_EQ(r.JoinDate.str(), "01/02/2003");
    EXPECT_EQ(r.BirthDate.str(), "31/12/1970");
    EXPECT_EQ(ToBytes(r), b);
}

TEST(Records, LogAndBatchRecordsMatchHandMadeBytes) {
    {
        std::vector<unsigned char> b(28, 0);
        PutDouble(b, 0, -12.5);
        PutDouble(b, 8, 46001);
        PutInt(b, 16, 77);
        PutInt(b, 20, 8);
        PutText(b, 24, "ABC");
        const auto r = FromBytes<MemberLogEntry>(b);
        EXPECT_EQ(+r.Amount, -12.5);
        EXPECT_EQ(+r.Date, 46001);
        EXPECT_EQ(+r.MemberNo, 77);
        EXPECT_EQ(+r.TransType, 8);
        EXPECT_EQ(r.UserCode.str(), "ABC");
        EXPECT_EQ(ToBytes(r), b);
    }
    {
        std::vector<unsigned char> b(36, 0);
        PutDouble(b, 0, 25);
        PutInt(b, 8, 3);
        PutInt(b, 12, 7);
        PutText(b, 16, "CHQ00123");
        PutDouble(b, 28, 46002);
        const auto r = FromBytes<MemberTransaction>(b);
        EXPECT_EQ(+r.Amount, 25);
        EXPECT_EQ(+r.MemberNo, 3);
        EXPECT_EQ(+r.TransType, 7);
        EXPECT_EQ(r.ChequeNo.str(), "CHQ00123");
        EXPECT_EQ(+r.Date, 46002);
        EXPECT_EQ(ToBytes(r), b);
    }
    {
        std::vector<unsigned char> b(60, 0);
        PutDouble(b, 0, 1);
        PutDouble(b, 8, 2);
        PutDouble(b, 16, 3);
        PutDouble(b, 24, 4);
        PutText(b, 32, "Undivided Earnings");
        const auto r = FromBytes<NominalAccountRecord>(b);
        EXPECT_EQ(+r.YearStartBalance, 3);
        EXPECT_EQ(+r.Budget, 4);
        EXPECT_EQ(r.AccountName.str(), "Undivided Earnings");
        EXPECT_EQ(ToBytes(r), b);
    }
    {
        std::vector<unsigned char> b(56, 0);
        PutDouble(b, 0, -70);
        PutInt(b, 8, 121);
        PutDouble(b, 12, 46003);  // unaligned: the layout packs it after the Int32
        PutText(b, 20, "JB");
        PutText(b, 24, "100234 - Stamps");
        b[55] = 1;
        const auto r = FromBytes<NominalLogEntry>(b);
        EXPECT_EQ(+r.Amount, -70);
        EXPECT_EQ(+r.AccountNo, 121);
        EXPECT_EQ(+r.Date, 46003);
        EXPECT_EQ(r.UserCode.str(), "JB");
        EXPECT_EQ(r.Narrative.str(), "100234 - Stamps");
        EXPECT_EQ(+r.Reconciled, 1);
        EXPECT_EQ(ToBytes(r), b);
    }
    {
        std::vector<unsigned char> b(44, 0);
        PutDouble(b, 0, 30);
        PutInt(b, 8, 101);
        PutText(b, 12, "Interest");
        const auto r = FromBytes<NominalTransaction>(b);
        EXPECT_EQ(+r.Amount, 30);
        EXPECT_EQ(+r.AccountNo, 101);
        EXPECT_EQ(r.Narrative.str(), "Interest");
        EXPECT_EQ(ToBytes(r), b);
    }
    {
        std::vector<unsigned char> b(52, 0);
        PutDouble(b, 0, -70);
        PutDouble(b, 8, 46004);
        PutText(b, 16, "JB");
        PutText(b, 20, "Post Members Transactions");
        const auto r = FromBytes<SyslogRecord>(b);
        EXPECT_EQ(+r.Amount, -70);
        EXPECT_EQ(+r.Date, 46004);
        EXPECT_EQ(r.UserCode.str(), "JB");
        EXPECT_EQ(r.Description.str(), "Post Members Transactions");
        EXPECT_EQ(ToBytes(r), b);
    }
}

TEST(Records, TextFieldsCutToWidthAndSurviveDamagedLengths) {
    PString<30> name;
    name.set(std::string(31, 'x'));
    EXPECT_EQ(name.length, 30);
    EXPECT_EQ(name.str(), std::string(30, 'x'));
    name.set("");
    EXPECT_EQ(name.length, 0);
    EXPECT_TRUE(name.empty());

    // A damaged length byte must not read past the field.
    PString<3> code;
    code.set("ABC");
    code.length = 200;
    EXPECT_EQ(code.str(), "ABC");
}

TEST(Records, ScramblingXorsEachByteWithItsPosition) {
    SystemRecord r;
    auto* bytes = RecordBytes(r);
    for (std::size_t i = 0; i < sizeof r; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    const std::vector<unsigned char> plain(bytes, bytes + sizeof r);

    ScrambleSystemRecord(r);
    EXPECT_EQ(bytes[0], plain[0] ^ 1);
    EXPECT_EQ(bytes[254], plain[254] ^ 255);
    EXPECT_EQ(bytes[255], plain[255]);  // XOR 256 mod 256 = 0
    EXPECT_EQ(bytes[256], plain[256] ^ 1);
    EXPECT_EQ(bytes[347], plain[347] ^ 92);

    ScrambleSystemRecord(r);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + sizeof r), plain);
}

TEST(Records, TransactionTypeNames) {
    std::string name;
    TransactionTypeName(1, name);
    EXPECT_EQ(name, "Share 1 Deposit");
    TransactionTypeName(6, name);
    EXPECT_EQ(name, "Share 2 Withdraw");
    TransactionTypeName(9, name);
    EXPECT_EQ(name, "Dividend Shares");
    for (int unknown : {0, 10, -1}) {
        name = "unchanged";
        TransactionTypeName(unknown, name);
        EXPECT_EQ(name, "unchanged");
    }
}

TEST(Records, AccountRangesAndTypeNames) {
    for (int a : {0, 60, 99, 119}) EXPECT_TRUE(AccountInRange(a)) << a;
    for (int a : {1, 59, 120, 159}) EXPECT_FALSE(AccountInRange(a)) << a;
    EXPECT_EQ(NominalTypeName(5), "FIXED ASSET");
    EXPECT_EQ(NominalTypeName(39), "FIXED ASSET");
    EXPECT_EQ(NominalTypeName(40), "CURRENT ASSET");
    EXPECT_EQ(NominalTypeName(60), "CURRENT LIABILITY");
    EXPECT_EQ(NominalTypeName(80), "CAPITAL");
    EXPECT_EQ(NominalTypeName(119), "INCOME");
    EXPECT_EQ(NominalTypeName(120), "EXPENDITURE");
}

}  // namespace
}  // namespace tessary
