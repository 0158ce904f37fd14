#include "processing/dividend.h"

#include <cerrno>
#include <cmath>

#include "core/fileset.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/workfile.h"
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
    const double factor = rate / 1200;
    std::string memlog;
    std::int32_t memberNo = 0;
    for (MemberRecord& m : members) {
        ++memberNo;
        if (!Fits(pattern, m) || IsZeroMoney(m.Share1SumLastYear)) continue;
        const double dividend = RoundMoney(m.Share1SumLastYear * factor);
        m.Share1 = RoundMoney(m.Share1 + dividend);
        run.total += dividend;
        // The report's average is the sum times this constant, as the listing always showed.
        const double average = m.Share1SumLastYear * 0.08333333;
        m.Share1SumLastYear = 0;
        if (!std::isfinite(+m.Share1)) FailRun(s, ERANGE);

        MemberLogEntry& log = s.MemberLog;
        log = MemberLogEntry{};
        log.Amount = dividend;
        log.Date = s.WorkingDate;
        log.MemberNo = memberNo;
        log.TransType = kDividendShares;
        log.UserCode.set(s.UserCode);
        AddRecord(memlog, log);
        run.lines.push_back(Whole5(memberNo) + " " + PadRight(m.Name.str().substr(0, 24), 24) +
                            " " + Money11(average) + " " + Money11(dividend) + " " +
                            Money11(m.Share1));
    }

    // The logs go to disc before any record: a run cut short after its first write no longer
    // matches the stored total, and the next open restores the set as it was before.
    AppendData(s, DataFile::MemLog, memlog.data(), memlog.size());
    std::string nomlog;
    const auto ledgerEntry = [&](int account, double amount, const char* narrative) {
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogEntry{};
        log.AccountNo = account;
        log.Amount = RoundMoney(amount);
        log.Date = s.WorkingDate;
        log.UserCode.set(s.UserCode);
        log.Narrative.set(narrative);
        // Cash neither comes nor goes: the bank reconciliation never lists them.
        log.Reconciled = 1;
        AddRecord(nomlog, log);
    };
    ledgerEntry(kUndividedEarningsAccount, -run.total, "Dividend Allocation");
    ledgerEntry(kBankAccount, run.total, "Dividend Shares");
    AppendData(s, DataFile::NomLog, nomlog.data(), nomlog.size());
    SyslogRecord& sys = s.Syslog;
    sys = SyslogRecord{};
    sys.Amount = run.total;
    sys.Date = s.WorkingDate;
    sys.UserCode.set(s.UserCode);
    sys.Description.set("Allocate Dividends");
    AppendRecord(s, DataFile::SysLog, sys);

    WriteData(s, DataFile::MemAcc, 0, members.data(), members.size() * sizeof(MemberRecord));
    if (!ledger) {
        FailRun(s, EBADMSG);  // a ledger without account 80 is not written from nothing
    } else {
        for (int account : {kShare1DepositsAccount, kUndividedEarningsAccount}) {
            NominalAccountRecord& a = accounts[static_cast<std::size_t>(account)];
            a.Balance =
                account == kShare1DepositsAccount ? a.Balance + run.total : a.Balance - run.total;
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
