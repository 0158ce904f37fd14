#include "nominal/posting.h"

#include <cerrno>
#include <cmath>
#include <vector>

#include "core/fileset.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/update.h"
#include "core/workfile.h"

namespace tessary {

std::string NominalBatchPath(const RunState& state) {
    return BatchPath(state, BatchKind::Nominal);
}

double BankEffect(int account, double amount) {
    return AccountInRange(account) ? amount : -amount;
}

void PostToAccount(NominalAccountRecord& account, double amount) {
    account.Balance = RoundMoney(account.Balance + amount);
}

NominalLogEntry NominalLogOf(const NominalTransaction& t, double date, std::string_view user) {
    NominalLogEntry log{};
    log.Amount = RoundMoney(t.Amount);
    log.AccountNo = t.AccountNo;
    log.Date = date;
    log.UserCode.set(user);
    log.Narrative = t.Narrative;
    log.Reconciled = 0;
    return log;
}

std::string NominalTotalLine(int count, double total, const char* gap) {
    return "Total - Count " + Whole5(count) + gap + "Value " + Money11(total);
}

namespace {

// Why an entry cannot be posted, or "" when it can.
std::string EntryFault(const NominalTransaction& t) {
    if (t.AccountNo < 0 || t.AccountNo >= kNominalAccountCount) return "ACCOUNT";
    if (!AmountFits(t.Amount)) return "AMOUNT";
    return "";
}

}  // namespace

NominalTotal TotalNominalBatch(RunState& s) {
    NominalTotal result;
    const std::string batchPath = NominalBatchPath(s);
    BatchLock lock;
    if (!lock.Take(batchPath)) {
        result.unreadable = kMsgBatchInUse;
        return result;
    }
    // Settles a run that died after its commit before the batch is read.
    OpenFileSet(s, kEnquiry);
    const Batch<NominalTransaction> batch = ReadBatch<NominalTransaction>(batchPath);
    const std::vector<NominalTransaction>& entries = batch.entries;
    if (batch.error != 0) {
        CloseFileSet(s, kEnquiry);
        result.unreadable = "The batch cannot be read: " + FileErrorText(batch.error);
        return result;
    }
    lock.Release();
    for (const NominalTransaction& entry : entries) {
        NominalTransaction& t = s.NominalTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        ++result.count;
        const std::string fault = EntryFault(t);
        s.Nominal = NominalAccountRecord{};
        if (fault.empty()) {
            result.total += BankEffect(t.AccountNo, t.Amount);
            s.RecordNo = t.AccountNo;
            ReadNominal(s);
        }
        std::string line = PadRight(s.Nominal.AccountName.str(), 24) + " " +
                           PadLeft(std::to_string(t.AccountNo), 3) + " " +
                           PadRight(t.Narrative.str(), 30) + " " + Money11(t.Amount);
        // An entry that posting could not carry is flagged, so it is mended before posting.
        if (!fault.empty()) {
            ++result.errors;
            line += " " + fault;
        }
        result.lines.push_back(line);
    }
    result.lines.emplace_back();
    std::string totalLine = NominalTotalLine(result.count, result.total, "  ");
    if (result.errors > 0) totalLine += "  Errors " + Whole5(result.errors);
    result.lines.push_back(totalLine);
    CloseFileSet(s, kEnquiry);
    return result;
}

NominalPosting PostNominalBatch(RunState& s) {
    NominalPosting run;
    run.opened = OpenFileSet(s, kUpdate);
    if (!run.opened) return run;
    const std::string batchPath = NominalBatchPath(s);
    const auto refuse = [&](const std::string& why) {
        CloseFileSet(s, kUpdate);
        run.refused = why;
        return run;
    };
    BatchLock lock;
    if (!lock.Take(batchPath)) return refuse(kMsgBatchInUse);
    const Batch<NominalTransaction> batch = ReadBatch<NominalTransaction>(batchPath);
    if (batch.error != 0) return refuse("The batch cannot be read: " + FileErrorText(batch.error));
    const std::vector<NominalTransaction>& entries = batch.entries;
    if (entries.empty()) return refuse("No data to post");
    // Nothing is left out: a batch with an entry that cannot be posted stays whole.
    for (const NominalTransaction& t : entries) {
        if (!IsZeroMoney(t.Amount) && !EntryFault(t).empty()) return refuse(kMsgRetotal);
    }

    BeginRun(s);
    std::string logs;
    for (const NominalTransaction& entry : entries) {
        NominalTransaction& t = s.NominalTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogOf(t, s.WorkingDate, s.UserCode);
        logs.append(reinterpret_cast<const char*>(RecordBytes(log)), sizeof log);
        run.bank += BankEffect(t.AccountNo, t.Amount);
    }
    SyslogRecord& sys = s.Syslog;
    sys = RunLogEntry(RoundMoney(run.bank), s.WorkingDate, s.UserCode, kNominalRunDescription);
    // The logs go first: a run cut short after them is seen as inconsistent.
    AppendData(s, DataFile::NomLog, logs.data(), logs.size());
    AppendRecord(s, DataFile::SysLog, sys);
    const auto add = [&](int account, double amount) {
        s.RecordNo = account;
        if (ReadNominal(s) < kNominalAccountRecordSize) FailRun(s, EBADMSG);
        PostToAccount(s.Nominal, amount);
        if (!std::isfinite(+s.Nominal.Balance)) FailRun(s, ERANGE);
        WriteNominal(s);
    };
    for (const NominalTransaction& t : entries) {
        if (!IsZeroMoney(t.Amount)) add(t.AccountNo, t.Amount);
    }
    add(kBankAccount, run.bank);
    s.System.LastPostingDate = s.WorkingDate;
    run.outcome = CommitUpdate(s, kUpdate, batchPath);
    return run;
}

}  // namespace tessary
