#include "nominal/posting.h"

#include <cerrno>
#include <cmath>
#include <vector>

#include "core/fileset.h"
#include "core/mainform.h"
#include "core/money.h"
#include "core/text.h"
#include "core/update.h"
#include "reports/writer.h"

namespace tessary {

std::string NominalBatchPath(const RunState& state) {
    return state.DataPath(state.UserCode + "NOM.t32");
}

double BankEffect(int account, double amount) {
    return AccountInRange(account) ? amount : -amount;
}

namespace {

std::string TotalLine(int count, double total, const char* gap) {
    return "Total - Count " + Whole5(count) + gap + "Value " + Money11(total);
}

// Why an entry cannot be posted, or "" when it can.
std::string EntryFault(const NominalTransaction& t) {
    if (t.AccountNo < 0 || t.AccountNo >= kNominalAccountCount) return "ACCOUNT";
    if (!AmountFits(t.Amount)) return "AMOUNT";
    return "";
}

// The batch's entries; false with `error` set when it cannot be read at all.
bool ReadNominalBatch(const std::string& path, std::vector<NominalTransaction>& entries,
                      int& error) {
    entries.clear();
    error = 0;
    File batch;
    if (!batch.Open(path, File::Access::ReadOnly)) {
        if (batch.Error() == ENOENT) return true;  // a missing batch is empty
        error = batch.Error();
        return false;
    }
    const std::uint64_t count = batch.Size() / kNominalTransactionSize;
    if (count > kMaxNominalBatchEntries) {
        error = EFBIG;
        return false;
    }
    entries.resize(static_cast<std::size_t>(count));
    const std::size_t got =
        batch.ReadAt(0, entries.data(), entries.size() * sizeof(NominalTransaction));
    entries.resize(got / kNominalTransactionSize);
    return true;
}

}  // namespace

void TotalNominalTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const std::string batchPath = NominalBatchPath(s);
    const auto stop = [&](const std::string& message) {
        s.BatchChecked = false;
        m.Lm.caption = message;
        app.ui.Show(m);
        m.EnableMenus(true);
    };
    BatchLock lock;
    if (!lock.Take(batchPath)) return stop(kMsgBatchInUse);
    // Settles a run that died after its commit before the batch is read.
    OpenFileSet(s, kEnquiry);
    std::vector<NominalTransaction> entries;
    int error = 0;
    if (!ReadNominalBatch(batchPath, entries, error)) {
        CloseFileSet(s, kEnquiry);
        return stop("The batch cannot be read: " + FileErrorText(error));
    }
    lock.Release();
    int count = 0, errors = 0;
    double total = 0;
    BeginReport(s);
    for (const NominalTransaction& entry : entries) {
        NominalTransaction& t = s.NominalTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        ++count;
        const std::string fault = EntryFault(t);
        s.Nominal = NominalAccountRecord{};
        if (fault.empty()) {
            total += BankEffect(t.AccountNo, t.Amount);
            s.RecordNo = t.AccountNo;
            ReadNominal(s);
        }
        std::string line = PadRight(s.Nominal.AccountName.str(), 24) + " " +
                           PadLeft(std::to_string(t.AccountNo), 3) + " " +
                           PadRight(t.Narrative.str(), 30) + " " + Money11(t.Amount);
        // An entry that posting could not carry is flagged, so it is mended before posting.
        if (!fault.empty()) {
            ++errors;
            line += " " + fault;
        }
        AppendReportLine(s, line);
    }
    s.BatchChecked = errors == 0;
    AppendReportLine(s, "");
    std::string totalLine = TotalLine(count, total, "  ");
    if (errors > 0) totalLine += "  Errors " + Whole5(errors);
    AppendReportLine(s, totalLine);
    CloseFileSet(s, kEnquiry);
    EndReport(s);

    m.Lm.caption = TotalLine(count, total, "   ");
    if (errors > 0) {
        m.Lm.caption += "  " + PadLeft(std::to_string(errors), 3) + " Error(s) - must be corrected";
    }
    m.L4.caption = "View the Transactions ?";
    if (m.AskPrompt() == ui::ModalResult::OK) {
        m.OK.visible = m.Cancel.visible = false;
        m.L4.caption.clear();
        s.CommandCode = 324;
        ShowReport(app);
        return;
    }
    m.ClearPrompt();
    app.ui.Show(m);
    m.EnableMenus(true);
}

void PostNominalTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    if (!s.BatchChecked) {
        m.Lm.caption = "Please check transactions total first";
        m.EnableMenus(true);
        return;
    }
    m.Lm.caption = "Post Nominal Transactions ? " + s.UserCode;
    if (m.AskPrompt() != ui::ModalResult::OK) {
        m.ClearPrompt();
        app.ui.Show(m);
        m.EnableMenus(true);
        return;
    }
    if (!OpenFileSet(s, kUpdate)) {
        m.OK.visible = m.Cancel.visible = false;
        app.ui.Show(m);
        m.EnableMenus(true);
        return;
    }
    m.ClearPrompt();
    const std::string batchPath = NominalBatchPath(s);
    const auto stop = [&](const std::string& message) {
        CloseFileSet(s, kUpdate);
        m.Lm.caption = message;
        app.ui.Show(m);
        m.EnableMenus(true);
    };
    BatchLock lock;
    if (!lock.Take(batchPath)) return stop(kMsgBatchInUse);
    std::vector<NominalTransaction> entries;
    int error = 0;
    if (!ReadNominalBatch(batchPath, entries, error)) {
        return stop("The batch cannot be read: " + FileErrorText(error));
    }
    if (entries.empty()) return stop("No data to post");
    // Nothing is left out: a batch with an entry that cannot be posted stays whole.
    for (const NominalTransaction& t : entries) {
        if (!IsZeroMoney(t.Amount) && !EntryFault(t).empty()) {
            s.BatchChecked = false;
            return stop("Please check transactions total first");
        }
    }

    BeginRun(s);
    double bank = 0;
    std::string logs;
    for (const NominalTransaction& entry : entries) {
        NominalTransaction& t = s.NominalTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogEntry{};
        log.Amount = RoundMoney(t.Amount);
        log.AccountNo = t.AccountNo;
        log.Date = s.WorkingDate;
        log.UserCode.set(s.UserCode);
        log.Narrative = t.Narrative;
        log.Reconciled = 0;
        logs.append(reinterpret_cast<const char*>(RecordBytes(log)), sizeof log);
        bank += BankEffect(t.AccountNo, t.Amount);
    }
    SyslogRecord& sys = s.Syslog;
    sys = SyslogRecord{};
    sys.Amount = RoundMoney(bank);
    sys.Date = s.WorkingDate;
    sys.UserCode.set(s.UserCode);
    sys.Description.set("Post Nominal Transactions");
    // The logs go first: a run cut short after them is seen as inconsistent.
    AppendData(s, DataFile::NomLog, logs.data(), logs.size());
    AppendRecord(s, DataFile::SysLog, sys);
    for (const NominalTransaction& t : entries) {
        if (IsZeroMoney(t.Amount)) continue;
        s.RecordNo = t.AccountNo;
        if (ReadNominal(s) < kNominalAccountRecordSize) FailRun(s, EBADMSG);
        s.Nominal.Balance = RoundMoney(s.Nominal.Balance + t.Amount);
        if (!std::isfinite(+s.Nominal.Balance)) FailRun(s, ERANGE);
        WriteNominal(s);
    }
    s.RecordNo = kBankAccount;
    if (ReadNominal(s) < kNominalAccountRecordSize) FailRun(s, EBADMSG);
    s.Nominal.Balance = RoundMoney(s.Nominal.Balance + bank);
    if (!std::isfinite(+s.Nominal.Balance)) FailRun(s, ERANGE);
    WriteNominal(s);
    s.System.LastPostingDate = s.WorkingDate;

    const UpdateOutcome outcome = CommitUpdate(s, kUpdate, batchPath);
    lock.Release();
    m.Lm.caption = outcome.ok() ? "Posting Completed" : OutcomeMessage(outcome, "Posting");
    app.ui.Show(m);
    m.EnableMenus(true);
}

}  // namespace tessary
