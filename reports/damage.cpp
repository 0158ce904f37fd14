#include "reports/damage.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "core/text.h"

namespace tessary {

namespace {

// A number field of a record by name and offset: fields of the packed records are read by
// copying, never through a reference.
struct NumberField {
    std::string_view name;
    std::size_t offset;
};

// clang-format off
constexpr NumberField kMemberFields[] = {
    {"Share1", offsetof(MemberRecord, Share1)},
    {"Share2", offsetof(MemberRecord, Share2)},
    {"LoanBalance", offsetof(MemberRecord, LoanBalance)},
    {"InterestDue", offsetof(MemberRecord, InterestDue)},
    {"InterestPaid", offsetof(MemberRecord, InterestPaid)},
    {"LoanAmount", offsetof(MemberRecord, LoanAmount)},
    {"Repayment", offsetof(MemberRecord, Repayment)},
    {"YearStartShare1", offsetof(MemberRecord, YearStartShare1)},
    {"YearStartShare2", offsetof(MemberRecord, YearStartShare2)},
    {"YearStartLoan", offsetof(MemberRecord, YearStartLoan)},
    {"YearStartInterestDue", offsetof(MemberRecord, YearStartInterestDue)},
    {"MaxShares", offsetof(MemberRecord, MaxShares)},
    {"MaxLoan", offsetof(MemberRecord, MaxLoan)},
    {"Share1Sum", offsetof(MemberRecord, Share1Sum)},
    {"Share1SumLastYear", offsetof(MemberRecord, Share1SumLastYear)},
    {"LoanDate", offsetof(MemberRecord, LoanDate)},
    {"LastPayDate", offsetof(MemberRecord, LastPayDate)},
};
constexpr NumberField kAccountFields[] = {
    {"Balance", offsetof(NominalAccountRecord, Balance)},
    {"PeriodStartBalance", offsetof(NominalAccountRecord, PeriodStartBalance)},
    {"YearStartBalance", offsetof(NominalAccountRecord, YearStartBalance)},
    {"Budget", offsetof(NominalAccountRecord, Budget)},
};
constexpr NumberField kMemberLogFields[] = {
    {"Amount", offsetof(MemberLogEntry, Amount)},
    {"Date", offsetof(MemberLogEntry, Date)},
};
constexpr NumberField kNominalLogFields[] = {
    {"Amount", offsetof(NominalLogEntry, Amount)},
    {"Date", offsetof(NominalLogEntry, Date)},
};
constexpr NumberField kSyslogFields[] = {
    {"Amount", offsetof(SyslogRecord, Amount)},
    {"Date", offsetof(SyslogRecord, Date)},
};
constexpr NumberField kSystemFields[] = {
    {"InterestRate", offsetof(SystemRecord, InterestRate)},
    {"MaxInsuredShares", offsetof(SystemRecord, MaxInsuredShares)},
    {"MaxInsuredLoan", offsetof(SystemRecord, MaxInsuredLoan)},
    {"LastPostingDate", offsetof(SystemRecord, LastPostingDate)},
    {"LastPeriodEndDate", offsetof(SystemRecord, LastPeriodEndDate)},
};
// clang-format on

// Notes each damaged field of `record`; the record's name is made only when one is found, as
// the logs run to many thousands of entries.
template <typename Record, std::size_t N, typename RecordName>
void Note(const Record& record, const NumberField (&fields)[N], RecordName recordName,
          std::vector<std::string>& names) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (const NumberField& f : fields) {
        double value;
        std::memcpy(&value, bytes + f.offset, sizeof value);
        if (!std::isfinite(value)) names.push_back(recordName() + ", " + std::string(f.name));
    }
}

std::string Numbered(const char* what, std::size_t number) {
    return std::string(what) + " " + std::to_string(number);
}

}  // namespace

void NoteDamage(const std::vector<MemberRecord>& members, std::vector<std::string>& names) {
    for (std::size_t i = 0; i < members.size(); ++i)
        Note(
            members[i], kMemberFields, [i] { return Numbered("member", i + 1); }, names);
}

void NoteDamage(const std::vector<NominalAccountRecord>& accounts,
                std::vector<std::string>& names) {
    for (std::size_t i = 0; i < accounts.size(); ++i)
        Note(
            accounts[i], kAccountFields, [i] { return Numbered("account", i); }, names);
}

void NoteDamage(const std::vector<MemberLogEntry>& log, std::vector<std::string>& names) {
    for (std::size_t i = 0; i < log.size(); ++i) {
        const auto name = [&] {
            return Numbered("member log entry", i + 1) + " (member " +
                   std::to_string(log[i].MemberNo) + ")";
        };
        Note(log[i], kMemberLogFields, name, names);
    }
}

void NoteDamage(const std::vector<NominalLogEntry>& log, std::vector<std::string>& names) {
    for (std::size_t i = 0; i < log.size(); ++i) {
        const auto name = [&] {
            return Numbered("nominal log entry", i + 1) + " (account " +
                   std::to_string(log[i].AccountNo) + ")";
        };
        Note(log[i], kNominalLogFields, name, names);
    }
}

void NoteDamage(const std::vector<SyslogRecord>& log, std::vector<std::string>& names) {
    for (std::size_t i = 0; i < log.size(); ++i)
        Note(
            log[i], kSyslogFields, [i] { return Numbered("system log entry", i + 1); }, names);
}

void NoteDamage(const SystemRecord& system, std::vector<std::string>& names) {
    Note(
        system, kSystemFields, [] { return std::string("set-up record"); }, names);
}

void AddDamagedRecords(const std::vector<std::string>& names, ReportRows& rows) {
    if (names.empty()) return;
    rows.Blank();
    for (const std::string& name : names)
        rows.Add(RowKind::Note, "Damaged record: %s", {Cell::Text(name)});
    rows.Add(RowKind::Note, "Damaged amounts show as %s and are left out of every total.",
             {Cell::Text(kDamagedAmount)});
}

void WriteDamagedRecords(const std::vector<std::string>& names, const LineSink& out) {
    ReportRows rows;
    AddDamagedRecords(names, rows);
    RenderText(rows, out);
}

}  // namespace tessary
