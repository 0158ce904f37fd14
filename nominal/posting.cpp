#include "nominal/posting.h"

#include "core/fileset.h"
#include "core/mainform.h"
#include "core/money.h"
#include "core/text.h"
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

}  // namespace

void TotalNominalTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    s.BatchChecked = true;
    int count = 0;
    double total = 0;
    BeginReport(s);
    OpenFileSet(s, kEnquiry);
    File batch;
    batch.Open(NominalBatchPath(s), File::Access::ReadOnly);
    NominalTransaction& t = s.NominalTrans;
    for (std::uint64_t p = 0; batch.ReadAt(p * kNominalTransactionSize, RecordBytes(t),
                                           kNominalTransactionSize) == kNominalTransactionSize;
         ++p) {
        if (IsZeroMoney(t.Amount)) continue;
        ++count;
        total += BankEffect(t.AccountNo, t.Amount);
        s.RecordNo = t.AccountNo;
        s.Nominal = NominalAccountRecord{};
        ReadNominal(s);
        AppendReportLine(s, PadRight(s.Nominal.AccountName.str(), 24) + " " +
                                PadLeft(std::to_string(t.AccountNo), 3) + " " +
                                PadRight(t.Narrative.str(), 30) + " " + Money11(t.Amount));
    }
    AppendReportLine(s, "");
    AppendReportLine(s, TotalLine(count, total, "  "));
    batch.Close();
    CloseFileSet(s, kEnquiry);
    EndReport(s);

    m.Lm.caption = TotalLine(count, total, "   ");
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
    File batch;
    batch.Open(batchPath, File::Access::ReadOnly);
    if (batch.Size() / kNominalTransactionSize == 0) {
        m.Lm.caption = "No data to post";
        batch.Close();
        CloseFileSet(s, kUpdate);
        app.ui.Show(m);
        m.EnableMenus(true);
        return;
    }

    double bank = 0;
    NominalTransaction& t = s.NominalTrans;
    for (std::uint64_t p = 0; batch.ReadAt(p * kNominalTransactionSize, RecordBytes(t),
                                           kNominalTransactionSize) == kNominalTransactionSize;
         ++p) {
        if (IsZeroMoney(t.Amount)) continue;
        s.RecordNo = t.AccountNo;
        // An account number outside the ledger cannot be posted to; it is left out rather
        // than written beyond the 160 records.
        if (t.AccountNo < 0 || t.AccountNo >= kNominalAccountCount ||
            ReadNominal(s) < kNominalAccountRecordSize) {
            continue;
        }
        s.Nominal.Balance = RoundMoney(s.Nominal.Balance + t.Amount);
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogEntry{};
        log.Amount = RoundMoney(t.Amount);
        log.AccountNo = t.AccountNo;
        log.Date = s.WorkingDate;
        log.UserCode.set(s.UserCode);
        log.Narrative = t.Narrative;
        log.Reconciled = 0;
        // The log entry goes first: a run cut short after it is seen as inconsistent.
        s.Files[DataFile::NomLog].Append(RecordBytes(log), sizeof log);
        bank += BankEffect(t.AccountNo, t.Amount);
        WriteNominal(s);
    }
    s.RecordNo = kBankAccount;
    ReadNominal(s);
    s.Nominal.Balance = RoundMoney(s.Nominal.Balance + bank);
    WriteNominal(s);

    SyslogRecord& sys = s.Syslog;
    sys = SyslogRecord{};
    sys.Amount = RoundMoney(bank);
    sys.Date = s.WorkingDate;
    sys.UserCode.set(s.UserCode);
    sys.Description.set("Post Nominal Transactions");
    s.Files[DataFile::SysLog].Append(RecordBytes(sys), sizeof sys);
    s.System.LastPostingDate = s.WorkingDate;
    batch.Close();

    MarkBatchPosting(s, batchPath);
    CloseFileSet(s, kUpdate);
    FinishBatchPosting(s, batchPath);
    BackupToFolder(s);
    m.Lm.caption = "Posting Completed";
    app.ui.Show(m);
    m.EnableMenus(true);
}

}  // namespace tessary
