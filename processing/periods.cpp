#include "processing/periods.h"

#include <fmt/core.h>

#include <cerrno>
#include <cmath>
#include <vector>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/money.h"
#include "nominal/surplus.h"

namespace tessary {

namespace {

template <typename Record>
void WriteAllRecords(RunState& s, DataFile file, const std::vector<Record>& records) {
    if (records.empty()) return;
    WriteData(s, file, 0, records.data(), records.size() * sizeof(Record));
}

bool Finite(const MemberRecord& m) {
    for (double v : {+m.Share1Sum, +m.InterestDue}) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

}  // namespace

std::string PeriodEndRefusal(const SystemRecord& system, double workingDate) {
    if (system.PeriodNumber > 12) return kMsgOnlyTwelvePeriods;
    if (workingDate - StoredDate(system.LastPeriodEndDate) < kPeriodEndGapDays) {
        return kMsgPeriodEndTooSoon;
    }
    return "";
}

std::string YearEndRefusal(const SystemRecord& system) {
    return system.PeriodNumber == 13 ? "" : kMsgYearEndTooEarly;
}

void EndMemberPeriod(MemberRecord& m, const SystemRecord& system) {
    if (system.InterestMethod == 1 && !IsZeroMoney(m.LoanBalance)) {
        m.InterestDue = RoundMoney(MonthlyInterestRate(system) * m.LoanBalance + m.InterestDue);
    }
    m.Share1Sum = RoundMoney(m.Share1Sum + m.Share1);
}

void EndAccountPeriod(NominalAccountRecord& a) {
    a.PeriodStartBalance = +a.Balance;
}

void EndSystemPeriod(SystemRecord& system, double date) {
    system.PeriodNumber = system.PeriodNumber + 1;
    system.LastPeriodEndDate = date;
}

std::string PeriodEndDescription(int period) {
    return fmt::format("Process Month {}", period);
}

void RollMemberYear(MemberRecord& m) {
    m.YearStartShare1 = +m.Share1;
    m.YearStartShare2 = +m.Share2;
    m.YearStartLoan = +m.LoanBalance;
    m.YearStartInterestDue = +m.InterestDue;
    m.Share1SumLastYear = +m.Share1Sum;
    m.Share1Sum = 0;
}

PeriodRun PeriodEnd(RunState& s) {
    PeriodRun run;
    // The run is checked again against the system record as stored: another copy of the
    // program may have moved it on since this one read it.
    run.opened = OpenFileSet(s, kUpdate);
    if (!run.opened) return run;
    run.refused = PeriodEndRefusal(s.System, s.WorkingDate);
    if (!run.refused.empty()) {
        CloseFileSet(s, kUpdate);
        return run;
    }
    BeginRun(s);
    // The log entry goes to disc before any record: a run cut short after it is seen as
    // inconsistent by the next open and restored, never taken as half a period end.
    s.Syslog =
        RunLogEntry(0, s.WorkingDate, s.UserCode, PeriodEndDescription(s.System.PeriodNumber));
    AppendRecord(s, DataFile::SysLog, s.Syslog);

    std::vector<MemberRecord> members = ReadAllRecords<MemberRecord>(s.Files[DataFile::MemAcc]);
    for (MemberRecord& m : members) {
        EndMemberPeriod(m, s.System);
        if (!Finite(m)) FailRun(s, ERANGE);
    }
    WriteAllRecords(s, DataFile::MemAcc, members);

    std::vector<NominalAccountRecord> accounts =
        ReadAllRecords<NominalAccountRecord>(s.Files[DataFile::NomAcc]);
    for (NominalAccountRecord& a : accounts) EndAccountPeriod(a);
    WriteAllRecords(s, DataFile::NomAcc, accounts);

    EndSystemPeriod(s.System, s.WorkingDate);
    run.outcome = CommitUpdate(s, kUpdate);
    return run;
}

PeriodRun YearEnd(RunState& s) {
    PeriodRun run;
    // The run is checked again against the system record as stored: another copy of the
    // program may have moved it on since this one read it.
    run.opened = OpenFileSet(s, kUpdate);
    if (!run.opened) return run;
    run.refused = YearEndRefusal(s.System);
    if (!run.refused.empty()) {
        CloseFileSet(s, kUpdate);
        return run;
    }
    BeginRun(s);
    // The logs are emptied first: should the run stop after that, they no longer match the
    // stored total and the next open restores the set as it was before the year end.
    for (DataFile log : {DataFile::MemLog, DataFile::NomLog, DataFile::SysLog}) {
        TruncateData(s, log, 0);
    }

    std::vector<NominalAccountRecord> accounts =
        ReadAllRecords<NominalAccountRecord>(s.Files[DataFile::NomAcc]);
    // A ledger without its undivided-earnings account cannot take the surplus.
    if (accounts.size() <= static_cast<std::size_t>(kCapitalStart)) FailRun(s, EBADMSG);
    if (accounts.size() > static_cast<std::size_t>(kCapitalStart)) {
        const double surplus = YearSurplus(accounts);
        NominalAccountRecord& earnings = accounts[kCapitalStart];
        earnings.Balance = RoundMoney(earnings.Balance + surplus);
        if (!std::isfinite(+earnings.Balance)) FailRun(s, ERANGE);
    }
    for (NominalAccountRecord& a : accounts) {
        a.PeriodStartBalance = +a.Balance;
        a.YearStartBalance = +a.Balance;
    }
    WriteAllRecords(s, DataFile::NomAcc, accounts);

    std::vector<MemberRecord> members = ReadAllRecords<MemberRecord>(s.Files[DataFile::MemAcc]);
    for (MemberRecord& m : members) RollMemberYear(m);
    WriteAllRecords(s, DataFile::MemAcc, members);

    s.System.PeriodNumber = 1;
    run.outcome = CommitUpdate(s, kYearEnd);
    return run;
}

}  // namespace tessary
