#pragma once
// The fixed binary records of the data files. Every layout is byte-exact: files written here
// and by any other writer of the format must be interchangeable, so each struct is packed and
// every field's offset is checked at compile time. Numbers are little-endian, as on the hosts
// we build for.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tessary {

static_assert(std::endian::native == std::endian::little,
              "the data files are little-endian; a big-endian host needs byte swapping");
static_assert(sizeof(double) == 8 && sizeof(std::int32_t) == 4);

// Read a record's number fields by value: a reference to a packed field may be misaligned.
#pragma pack(push, 1)

// A length-prefixed text field of N characters (N + 1 bytes). The bytes are Windows-1252.
template <std::size_t N>
struct PString {
    static_assert(N < 256);
    std::uint8_t length = 0;
    char chars[N] = {};

    // A stored length byte beyond N is damage; read it as N rather than run off the field.
    std::string_view view() const { return {chars, std::min<std::size_t>(length, N)}; }
    std::string str() const { return std::string(view()); }
    // Text longer than the field is cut to fit; the unused characters are cleared.
    void set(std::string_view text) {
        const std::size_t n = std::min(text.size(), N);
        std::memcpy(chars, text.data(), n);
        std::memset(chars + n, 0, N - n);
        length = static_cast<std::uint8_t>(n);
    }
    bool empty() const { return view().empty(); }
    bool operator==(std::string_view text) const { return view() == text; }
};

// The one record of sys.d32, held here in its plain form; the file holds it scrambled.
struct SystemRecord {
    PString<30> UnionName;
    std::uint8_t pad31 = 0;
    double InterestRate = 0;
    std::int32_t InterestMethod = 0;
    std::int32_t PeriodNumber = 0;
    double MaxInsuredShares = 0;
    double MaxInsuredLoan = 0;
    PString<3> UserCodes[15];
    PString<8> UserPasswords[15];
    std::uint8_t pad259 = 0;
    std::int32_t UserLevels[15] = {};
    std::int32_t ConsistencyTotal = 0;
    std::int32_t BackupDiscCount = 0;
    double LastPostingDate = 0;
    double LastPeriodEndDate = 0;
    char BackupDrive = 0;
    std::uint8_t pad345[3] = {};
};

// Loan interest as a fraction of the balance, a day and a month, from the percent a month
// that set-up keeps (a year of 365.25 days).
inline double DailyInterestRate(const SystemRecord& system) {
    return system.InterestRate * 12 / 36525;
}
inline double MonthlyInterestRate(const SystemRecord& system) {
    return system.InterestRate * 0.01;
}

struct MemberRecord {
    double Share1 = 0;
    double Share2 = 0;
    double LoanBalance = 0;
    double InterestDue = 0;
    double InterestPaid = 0;
    double LoanAmount = 0;
    double Repayment = 0;
    double YearStartShare1 = 0;
    double YearStartShare2 = 0;
    double YearStartLoan = 0;
    double YearStartInterestDue = 0;
    double MaxShares = 0;
    double MaxLoan = 0;
    double Share1Sum = 0;
    double Share1SumLastYear = 0;
    double LoanDate = 0;
    double LastPayDate = 0;
    std::int32_t LoanNumber = 0;
    PString<1> Frequency;
    PString<30> Name;
    PString<30> Address1;
    PString<30> Address2;
    PString<30> Address3;
    PString<30> Address4;
    PString<30> Address5;
    PString<16> Phone;
    PString<8> Password;
    PString<8> MemberType;
    PString<10> JoinDate;
    PString<10> BirthDate;
    std::uint8_t pad385[3] = {};
};

struct MemberLogEntry {
    double Amount = 0;
    double Date = 0;
    std::int32_t MemberNo = 0;
    std::int32_t TransType = 0;
    PString<3> UserCode;
};

struct MemberTransaction {
    double Amount = 0;
    std::int32_t MemberNo = 0;
    std::int32_t TransType = 0;
    PString<8> ChequeNo;
    std::uint8_t pad25[3] = {};
    double Date = 0;
};

struct NominalAccountRecord {
    double Balance = 0;
    double PeriodStartBalance = 0;
    double YearStartBalance = 0;
    double Budget = 0;
    PString<24> AccountName;
    std::uint8_t pad57[3] = {};
};

struct NominalLogEntry {
    double Amount = 0;
    std::int32_t AccountNo = 0;
    double Date = 0;
    PString<3> UserCode;
    PString<30> Narrative;
    std::uint8_t Reconciled = 0;
};

struct NominalTransaction {
    double Amount = 0;
    std::int32_t AccountNo = 0;
    PString<30> Narrative;
    std::uint8_t pad43 = 0;
};

struct SyslogRecord {
    double Amount = 0;
    double Date = 0;
    PString<3> UserCode;
    PString<30> Description;
    std::uint8_t pad51 = 0;
};

#pragma pack(pop)

// Record sizes, as every reader and writer of the files counts them.
inline constexpr std::size_t kSystemRecordSize = 348;
inline constexpr std::size_t kMemberRecordSize = 388;
inline constexpr std::size_t kMemberLogEntrySize = 28;
inline constexpr std::size_t kMemberTransactionSize = 36;
inline constexpr std::size_t kNominalAccountRecordSize = 60;
inline constexpr std::size_t kNominalLogEntrySize = 56;
inline constexpr std::size_t kNominalTransactionSize = 44;
inline constexpr std::size_t kSyslogRecordSize = 52;

static_assert(sizeof(SystemRecord) == kSystemRecordSize);
static_assert(offsetof(SystemRecord, UnionName) == 0);
static_assert(offsetof(SystemRecord, InterestRate) == 32);
static_assert(offsetof(SystemRecord, InterestMethod) == 40);
static_assert(offsetof(SystemRecord, PeriodNumber) == 44);
static_assert(offsetof(SystemRecord, MaxInsuredShares) == 48);
static_assert(offsetof(SystemRecord, MaxInsuredLoan) == 56);
static_assert(offsetof(SystemRecord, UserCodes) == 64);
static_assert(offsetof(SystemRecord, UserPasswords) == 124);
static_assert(offsetof(SystemRecord, UserLevels) == 260);
static_assert(offsetof(SystemRecord, ConsistencyTotal) == 320);
static_assert(offsetof(SystemRecord, BackupDiscCount) == 324);
static_assert(offsetof(SystemRecord, LastPostingDate) == 328);
static_assert(offsetof(SystemRecord, LastPeriodEndDate) == 336);
static_assert(offsetof(SystemRecord, BackupDrive) == 344);

static_assert(sizeof(MemberRecord) == kMemberRecordSize);
static_assert(offsetof(MemberRecord, Share1) == 0);
static_assert(offsetof(MemberRecord, Share2) == 8);
static_assert(offsetof(MemberRecord, LoanBalance) == 16);
static_assert(offsetof(MemberRecord, InterestDue) == 24);
static_assert(offsetof(MemberRecord, InterestPaid) == 32);
static_assert(offsetof(MemberRecord, LoanAmount) == 40);
static_assert(offsetof(MemberRecord, Repayment) == 48);
static_assert(offsetof(MemberRecord, YearStartShare1) == 56);
static_assert(offsetof(MemberRecord, YearStartShare2) == 64);
static_assert(offsetof(MemberRecord, YearStartLoan) == 72);
static_assert(offsetof(MemberRecord, YearStartInterestDue) == 80);
static_assert(offsetof(MemberRecord, MaxShares) == 88);
static_assert(offsetof(MemberRecord, MaxLoan) == 96);
static_assert(offsetof(MemberRecord, Share1Sum) == 104);
static_assert(offsetof(MemberRecord, Share1SumLastYear) == 112);
static_assert(offsetof(MemberRecord, LoanDate) == 120);
static_assert(offsetof(MemberRecord, LastPayDate) == 128);
static_assert(offsetof(MemberRecord, LoanNumber) == 136);
static_assert(offsetof(MemberRecord, Frequency) == 140);
static_assert(offsetof(MemberRecord, Name) == 142);
static_assert(offsetof(MemberRecord, Address1) == 173);
static_assert(offsetof(MemberRecord, Address2) == 204);
static_assert(offsetof(MemberRecord, Address3) == 235);
static_assert(offsetof(MemberRecord, Address4) == 266);
static_assert(offsetof(MemberRecord, Address5) == 297);
static_assert(offsetof(MemberRecord, Phone) == 328);
static_assert(offsetof(MemberRecord, Password) == 345);
static_assert(offsetof(MemberRecord, MemberType) == 354);
static_assert(offsetof(MemberRecord, JoinDate) == 363);
static_assert(offsetof(MemberRecord, BirthDate) == 374);

static_assert(sizeof(MemberLogEntry) == kMemberLogEntrySize);
static_assert(offsetof(MemberLogEntry, Amount) == 0);
static_assert(offsetof(MemberLogEntry, Date) == 8);
static_assert(offsetof(MemberLogEntry, MemberNo) == 16);
static_assert(offsetof(MemberLogEntry, TransType) == 20);
static_assert(offsetof(MemberLogEntry, UserCode) == 24);

static_assert(sizeof(MemberTransaction) == kMemberTransactionSize);
static_assert(offsetof(MemberTransaction, Amount) == 0);
static_assert(offsetof(MemberTransaction, MemberNo) == 8);
static_assert(offsetof(MemberTransaction, TransType) == 12);
static_assert(offsetof(MemberTransaction, ChequeNo) == 16);
static_assert(offsetof(MemberTransaction, Date) == 28);

static_assert(sizeof(NominalAccountRecord) == kNominalAccountRecordSize);
static_assert(offsetof(NominalAccountRecord, Balance) == 0);
static_assert(offsetof(NominalAccountRecord, PeriodStartBalance) == 8);
static_assert(offsetof(NominalAccountRecord, YearStartBalance) == 16);
static_assert(offsetof(NominalAccountRecord, Budget) == 24);
static_assert(offsetof(NominalAccountRecord, AccountName) == 32);

static_assert(sizeof(NominalLogEntry) == kNominalLogEntrySize);
static_assert(offsetof(NominalLogEntry, Amount) == 0);
static_assert(offsetof(NominalLogEntry, AccountNo) == 8);
static_assert(offsetof(NominalLogEntry, Date) == 12);
static_assert(offsetof(NominalLogEntry, UserCode) == 20);
static_assert(offsetof(NominalLogEntry, Narrative) == 24);
static_assert(offsetof(NominalLogEntry, Reconciled) == 55);

static_assert(sizeof(NominalTransaction) == kNominalTransactionSize);
static_assert(offsetof(NominalTransaction, Amount) == 0);
static_assert(offsetof(NominalTransaction, AccountNo) == 8);
static_assert(offsetof(NominalTransaction, Narrative) == 12);

static_assert(sizeof(SyslogRecord) == kSyslogRecordSize);
static_assert(offsetof(SyslogRecord, Amount) == 0);
static_assert(offsetof(SyslogRecord, Date) == 8);
static_assert(offsetof(SyslogRecord, UserCode) == 16);
static_assert(offsetof(SyslogRecord, Description) == 20);

// Nominal account number plan.
inline constexpr int kFixedAssetsStart = 20;
inline constexpr int kCurrentAssetsStart = 40;
inline constexpr int kCurrentLiabilitiesStart = 60;
inline constexpr int kCapitalStart = 80;
inline constexpr int kIncomeStart = 100;
inline constexpr int kExpenditureStart = 120;
inline constexpr int kNominalAccountCount = 160;

// The nominal accounts the system itself moves: the bank, the control account of each
// member transaction type 1 to 8 (numbered as the type), and undivided earnings, which takes
// the year's surplus and pays the dividend.
enum SystemAccount : int {
    kBankAccount = 0,
    kShare1DepositsAccount = 1,
    kShare2DepositsAccount = 2,
    kLoanRepaymentsAccount = 3,
    kFeesAccount = 4,
    kShare1WithdrawalsAccount = 5,
    kShare2WithdrawalsAccount = 6,
    kLoansIssuedAccount = 7,
    kLoanInterestAccount = 8,
    kUndividedEarningsAccount = kCapitalStart,
};

inline constexpr int kUserSlots = 15;

// Byte 50 of syslog.d32 (the 30th character of the first record's Description) waives the
// consistency check once when it holds '*'.
inline constexpr std::size_t kWaiverOffset = 50;

// The record number of member n (members count from 1); -1, no record, for n below 1.
inline std::int32_t MemberRecordNo(std::int32_t n) {
    return n >= 1 ? n - 1 : -1;
}

// Scrambles or unscrambles a system record in place: byte i is XORed with (i + 1) mod 256.
void ScrambleSystemRecord(SystemRecord& record);
void ScrambleBytes(unsigned char* bytes, std::size_t count);

// The name of a member transaction type 1 to 9; an unknown code leaves `name` unchanged.
void TransactionTypeName(int type, std::string& name);
// Accounts whose amounts count as money received: 0, and 60 to 119.
bool AccountInRange(int account);
// "FIXED ASSET", "CURRENT ASSET", ... by the number plan (0 to 19 also name "FIXED ASSET").
std::string_view NominalTypeName(int account);

// Plain byte views of a record, for file I/O and tests.
template <typename Record>
unsigned char* RecordBytes(Record& r) {
    return reinterpret_cast<unsigned char*>(&r);
}
template <typename Record>
const unsigned char* RecordBytes(const Record& r) {
    return reinterpret_cast<const unsigned char*>(&r);
}

}  // namespace tessary
