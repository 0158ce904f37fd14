#include "processing/dividend.h"

#include <cerrno>
#include <cmath>

#include "core/fileset.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/workfile.h"
#include "members/posting.h"
#include "members/types.h"

namespace tessary {

namespace {

template <typename Record>
void AddRecord(std::string& log, const Record& record) {
    log.append(reinterpret_cast<const char*>(RecordBytes(record)), sizeof record);
}

bool Fits(const std::string& pattern, const MemberRecord& m) {
    return TypeMatches(pattern, m.MemberType.str());
}

// The check on the members as read.
DividendCheck Count(const std::vector<MemberRecord>& members, const std::string& pattern,
                    double rate) {
    DividendCheck check;
    check.opened = true;
    for (const MemberRecord& m : members) {
        if (!Fits(pattern, m)) continue;
        check.sum += m.Share1SumLastYear;
        ++check.people;
    }
    if (!check.Earned()) {
        check.message = kMsgNoDividends;
        return check;
    }
    check.cost = check.sum * rate / 1200;
    check.message =
        "People to be paid: " + Whole5(check.people) + "  Approximate Cost: " + Money11(check.cost);
    return check;
}

}  // namespace

double PayDividend(MemberRecord& m, double rate) {
    const double dividend = RoundMoney(m.Share1SumLastYear * (rate / 1200));
    m.Share1 = RoundMoney(m.Share1 + dividend);
    m.Share1SumLastYear = 0;
    return dividend;
}

void PostDividendTotal(NominalAccountRecord& share1Control, NominalAccountRecord& earnings,
                       double total) {
    share1Control.Balance = RoundMoney(share1Control.Balance + total);
    earnings.Balance = RoundMoney(earnings.Balance - total);
}

std::array<NominalLogEntry, 2> DividendLogsOf(double total, double date, std::string_view user) {
    const auto entry = [&](int account, double amount, const char* narrative) {
        NominalLogEntry log{};
        log.AccountNo = account;
        log.Amount = RoundMoney(amount);
        log.Date = date;
        log.UserCode.set(user);
        log.Narrative.set(narrative);
        // Cash neither comes nor goes: the bank reconciliation never lists them.
        log.Reconciled = 1;
        return log;
    };
    return {entry(kUndividedEarningsAccount, -total, "Dividend Allocation"),
            entry(kBankAccount, total, "Dividend Shares")};
}

bool DividendCheck::Earned() const {
    return !IsZeroMoney(sum);
}

DividendCheck CheckDividend(RunState& s, const std::string& pattern, double rate) {
    if (!OpenFileSet(s, kUpdate)) return DividendCheck{};
    const DividendCheck check =
        Count(ReadAllRecords<MemberRecord>(s.Files[DataFile::MemAcc]), pattern, rate);
    CloseFileSet(s, kUpdate);
    return check;
}

DividendRun AllocateDividend(RunState& s, const std::string& pattern, double rate) {
    DividendRun run;
    // One open for the check and the run, so that nothing changes between them.
    if (!OpenFileSet(s, kUpdate)) return run;
    std::vector<MemberRecord> members = ReadAllRecords<MemberRecord>(s.Files[DataFile::MemAcc]);
    run.check = Count(members, pattern, rate);
    std::vector<NominalAccountRecord> accounts =
        ReadAllRecords<NominalAccountRecord>(s.Files[DataFile::NomAcc]);
    const auto refuse = [&](const std::string& why) {
        CloseFileSet(s, kUpdate);
        run.refused = why;
        return run;
    };
    if (!run.check.Earned()) return refuse(kMsgNoDividends);
    const bool ledger = accounts.size() > static_cast<std::size_t>(kUndividedEarningsAccount);
    const double earnings = ledger ? +accounts[kUndividedEarningsAccount].Balance : 0.0;
    // A negative rate would take money from the members' savings.
    if (!(rate >= 0) || !std::isfinite(rate)) return refuse("Invalid");
    if (run.check.cost > earnings) return refuse(kMsgDividendTooLarge);

    run.started = true;
    BeginRun(s);
    std::string memlog;
    std::int32_t memberNo = 0;
    for (MemberRecord& m : members) {
        ++memberNo;
        if (!Fits(pattern, m) || IsZeroMoney(m.Share1SumLastYear)) continue;
        // The report's average is the sum times this constant, as the listing always showed.
        const double average = m.Share1SumLastYear * 0.08333333;
        const double dividend = PayDividend(m, rate);
        run.total += dividend;
        if (!std::isfinite(+m.Share1)) FailRun(s, ERANGE);

        s.MemberLog = MemberLogOf(memberNo, kDividendShares, dividend, s.WorkingDate, s.UserCode);
        AddRecord(memlog, s.MemberLog);
        run.lines.push_back(Whole5(memberNo) + " " + PadRight(m.Name.str().substr(0, 24), 24) +
                            " " + Money11(average) + " " + Money11(dividend) + " " +
                            Money11(m.Share1));
    }

    // The logs go to disc before any record: a run cut short after its first write no longer
    // matches the stored total, and the next open restores the set as it was before.
    AppendData(s, DataFile::MemLog, memlog.data(), memlog.size());
    std::string nomlog;
    for (const NominalLogEntry& log : DividendLogsOf(run.total, s.WorkingDate, s.UserCode)) {
        s.NominalLog = log;
        AddRecord(nomlog, s.NominalLog);
    }
    AppendData(s, DataFile::NomLog, nomlog.data(), nomlog.size());
    s.Syslog = RunLogEntry(run.total, s.WorkingDate, s.UserCode, kDividendRunDescription);
    AppendRecord(s, DataFile::SysLog, s.Syslog);

    WriteData(s, DataFile::MemAcc, 0, members.data(), members.size() * sizeof(MemberRecord));
    if (!ledger) {
        FailRun(s, EBADMSG);  // a ledger without account 80 is not written from nothing
    } else {
        PostDividendTotal(accounts[kShare1DepositsAccount], accounts[kUndividedEarningsAccount],
                          run.total);
        for (int account : {kShare1DepositsAccount, kUndividedEarningsAccount}) {
            const NominalAccountRecord& a = accounts[static_cast<std::size_t>(account)];
            WriteData(s, DataFile::NomAcc,
                      static_cast<std::uint64_t>(account) * sizeof(NominalAccountRecord),
                      RecordBytes(a), sizeof a);
        }
    }
    // The report cannot be made again once the sums are cleared: it must be on the disc before
    // the run commits, and a report that cannot be written whole fails the run.
    if (const int error = WriteReportDurably(s, run.lines)) FailRun(s, error);
    run.outcome = CommitUpdate(s, kUpdate);
    if (!run.outcome.committed) {
        run.lines.clear();
        // No report is left of a run taken back; one that may yet stand is kept.
        if (run.outcome.undone) WriteReport(s, {});
    }
    return run;
}

}  // namespace tessary
