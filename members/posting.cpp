#include "members/posting.h"

#include <fmt/core.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/mainform.h"
#include "core/money.h"
#include "core/text.h"
#include "core/update.h"
#include "members/loans.h"
#include "reports/writer.h"

namespace tessary {

namespace {

std::string TypeName(int type) {
    std::string name;
    TransactionTypeName(type, name);
    return name;
}

std::string Money(double v, std::size_t width) {
    return PadLeft(FixedText(v, 2), width);
}

template <typename Record>
void AddRecord(std::string& log, const Record& record) {
    log.append(reinterpret_cast<const char*>(RecordBytes(record)), sizeof record);
}

}  // namespace

std::string MemberBatchPath(const RunState& state) {
    return state.DataPath(state.UserCode + "MEM.t32");
}

std::vector<MemberTransaction> ReadMemberBatch(const std::string& path, int* error) {
    File batch;
    std::vector<MemberTransaction> entries;
    if (error) *error = 0;
    if (!batch.Open(path, File::Access::ReadOnly)) {
        // A missing batch is empty; anything else that cannot be read is said so.
        if (error && batch.Error() != ENOENT) *error = batch.Error();
        return entries;
    }
    const std::uint64_t count = batch.Size() / kMemberTransactionSize;
    if (count > kMaxBatchEntries) {
        if (error) *error = EFBIG;
        return entries;
    }
    entries.resize(static_cast<std::size_t>(count));
    const std::size_t got =
        batch.ReadAt(0, entries.data(), entries.size() * kMemberTransactionSize);
    entries.resize(got / kMemberTransactionSize);
    return entries;
}

bool EntryDateReadable(double date) {
    return std::isfinite(date) && date >= 0 && date < 2958466;  // up to 31/12/9999
}

BatchCheck CheckMemberBatch(App& app) {
    RunState& s = app.state;
    BatchCheck result;
    BatchLock lock;
    if (!lock.Take(MemberBatchPath(s))) {
        result.unreadable = kMsgBatchInUse;
        return result;
    }
    // Settles a run that died after its commit before the batch is read.
    OpenFileSet(s, kEnquiry);
    int error = 0;
    const std::vector<MemberTransaction> entries = ReadMemberBatch(MemberBatchPath(s), &error);
    if (error != 0) {
        CloseFileSet(s, kEnquiry);
        result.unreadable = "The batch cannot be read: " + FileErrorText(error);
        return result;
    }
    BeginReport(s);
    const double today = app.Today();
    for (const MemberTransaction& entry : entries) {
        MemberTransaction& t = s.MemberTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        ++result.count;
        std::string code = " ";
        const int type = t.TransType;
        if (AmountFits(t.Amount)) result.value += type <= 4 ? +t.Amount : -t.Amount;
        s.RecordNo = MemberRecordNo(t.MemberNo);
        const bool member = t.MemberNo >= 1 && ReadMember(s) == kMemberRecordSize;
        if (!EntryDateReadable(t.Date) || t.Date < s.System.LastPeriodEndDate || t.Date > today) {
            code = "DATE";
            ++result.errors;
        }
        std::string name;
        if (!member) {
            code = "MEMBER";
            ++result.errors;
            name = "Invalid member number";
        } else {
            name = s.Member.Name.str();
            if (name.find('*') != std::string::npos) {
                code = "MEMBER";
                ++result.errors;
            }
        }
        if (type < 1 || type > 7) {
            code = "TYPE";
            ++result.errors;
        }
        // An amount the records cannot show (or not a number at all) is never posted.
        if (!AmountFits(t.Amount)) {
            code = "AMOUNT";
            ++result.errors;
        }
        AppendReportLine(s, PadLeft(std::to_string(t.MemberNo), 5) + " " +
                                PadRight(name.substr(0, 24), 24) + " " +
                                PadRight(TypeName(type), 16) + " " + Money(t.Amount, 10) + " " +
                                PadRight(FormatDate(t.Date), 10) + " " + PadRight(code, 6));
    }
    AppendReportLine(s, "");
    std::string total =
        "Total - Count " + Whole5(result.count) + "  Value " + Money11(result.value);
    if (result.errors > 0) total += "  Errors " + Whole5(result.errors);
    AppendReportLine(s, total);
    EndReport(s);
    CloseFileSet(s, kEnquiry);
    return result;
}

void CheckTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const BatchCheck check = CheckMemberBatch(app);
    if (!check.unreadable.empty()) {
        s.BatchChecked = false;
        m.Lm.caption = check.unreadable;
        app.ui.Show(m);
        return;
    }
    s.BatchChecked = check.errors == 0;
    std::string message =
        "Total - Count " + Whole5(check.count) + "   Value " + Money11(check.value);
    if (check.errors > 0) {
        message +=
            "  " + PadLeft(std::to_string(check.errors), 3) + " Error(s) - must be corrected";
    }
    m.Lm.caption = message;
    m.L4.caption = "View Transactions ?";
    const bool view = m.AskPrompt() == ui::ModalResult::OK;
    m.L4.caption.clear();
    m.OK.visible = m.Cancel.visible = false;
    if (view) {
        s.CommandCode = 323;
        ShowReport(app);
    } else {
        app.ui.Show(m);
    }
}

void PostTransactions(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    if (!s.BatchChecked) {
        m.Lm.caption = "Please check transactions first";
        return;
    }
    m.L4.caption = "Post Members Transactions ? " + s.UserCode;
    const bool post = m.AskPrompt() == ui::ModalResult::OK;
    m.L4.caption.clear();
    m.OK.visible = m.Cancel.visible = false;
    if (!post || !OpenFileSet(s, kUpdate)) {
        app.ui.Show(m);
        return;
    }
    PostMemberBatch(app);
}

void PostMemberTransaction(App& app, TypeAmounts& totals, PostingLogs& logs) {
    RunState& s = app.state;
    MemberRecord& m = s.Member;
    const MemberTransaction& t = s.MemberTrans;
    const double a = t.Amount;
    TypeAmounts split{};
    switch (t.TransType) {
        case 1:
            m.Share1 = RoundMoney(m.Share1 + a);
            split[1] = a;
            break;
        case 2:
            m.Share2 = RoundMoney(m.Share2 + a);
            split[2] = a;
            break;
        case 3: {
            // Interest accrues up to the day of payment.
            const double working = s.WorkingDate;
            s.WorkingDate = t.Date;
            double interest = 0, principal = 0, excess = 0;
            if (a > 0 && m.LoanBalance > 0) {
                const double due = CurrentInterestDue(s);
                const double owed = due + m.LoanBalance;
                if (due > a) {
                    interest = a;
                } else if (a > owed) {
                    interest = due;
                    principal = owed - interest;
                    excess = a - interest - principal;
                } else {
                    interest = due;
                    principal = a - interest;
                }
                m.InterestPaid = RoundMoney(m.InterestPaid + interest);
                m.InterestDue = RoundMoney(due - interest);
                m.LoanBalance = RoundMoney(m.LoanBalance - principal);
            } else if (a > 0) {
                excess = a;
            }
            if (a > 0) {
                m.Share1 = RoundMoney(m.Share1 + excess);
                split[3] = principal;
                split[8] = interest;
                split[1] = excess;
            } else {
                // A reversal puts the amount back on the loan.
                m.LoanBalance = RoundMoney(m.LoanBalance - a);
                split[3] = a;
            }
            m.LastPayDate = t.Date;
            s.WorkingDate = working;
            break;
        }
        case 4:
            split[4] = a;
            break;
        case 5:
            m.Share1 = RoundMoney(m.Share1 - a);
            split[5] = a;
            break;
        case 6:
            m.Share2 = RoundMoney(m.Share2 - a);
            split[6] = a;
            break;
        case 7:
            if (m.LoanBalance > 0) m.InterestDue = CurrentInterestDue(s);
            m.LastPayDate = t.Date;
            m.LoanBalance = RoundMoney(m.LoanBalance + a);
            split[7] = a;
            break;
        default:
            break;
    }
    for (int type = 1; type <= 8; ++type)
        totals[static_cast<std::size_t>(type)] += split[static_cast<std::size_t>(type)];

    for (int type = 8; type >= 1; --type) {
        const double amount = RoundMoney(split[static_cast<std::size_t>(type)]);
        if (split[static_cast<std::size_t>(type)] == 0) continue;
        MemberLogEntry& log = s.MemberLog;
        log = MemberLogEntry{};
        log.Amount = amount;
        log.Date = t.Date;
        log.MemberNo = t.MemberNo;
        log.TransType = type;
        log.UserCode.set(s.UserCode);
        AddRecord(logs.memlog, log);
        AppendReportLine(s, PadLeft(std::to_string(t.MemberNo), 5) + " " +
                                PadRight(m.Name.str(), 30) + " " + PadRight(TypeName(type), 16) +
                                " " + Money(amount, 10) + "  " + PadRight(FormatDate(t.Date), 10));
    }
    if (t.TransType >= 5 && t.TransType <= 7) {
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogEntry{};
        log.Amount = RoundMoney(-a);
        log.AccountNo = kBankAccount;
        log.Date = t.Date;
        log.UserCode.set(s.UserCode);
        log.Narrative.set(PadRight(t.ChequeNo.str(), 8) + " Paid to Member " +
                          PadLeft(std::to_string(t.MemberNo), 5));
        log.Reconciled = 0;
        AddRecord(logs.nomlog, log);
    }
}

void PostMemberBatch(App& app) {
    RunState& s = app.state;
    TFmain& m = app.main();
    const std::string batchPath = MemberBatchPath(s);
    const auto stop = [&](const std::string& message) {
        CloseFileSet(s, kUpdate);
        m.EnableMenus(true);
        m.Lm.caption = message;
        app.ui.Show(m);
    };
    BatchLock lock;
    if (!lock.Take(batchPath)) return stop(kMsgBatchInUse);
    int error = 0;
    std::vector<MemberTransaction> entries = ReadMemberBatch(batchPath, &error);
    if (error != 0) return stop("The batch cannot be read: " + FileErrorText(error));
    if (entries.empty()) return stop("No data");
    // The batch may have changed since it was checked; what the check would refuse is never
    // posted.
    for (const MemberTransaction& t : entries) {
        if (!IsZeroMoney(t.Amount) && (!AmountFits(t.Amount) || !EntryDateReadable(t.Date))) {
            s.BatchChecked = false;
            return stop("Please check transactions first");
        }
    }

    BeginRun(s);
    BeginReport(s);
    TypeAmounts totals{};
    PostingLogs logs;
    // Members as the run leaves them, by record number; a member with several entries
    // carries on from the run's own copy.
    std::map<std::int32_t, MemberRecord> members;
    for (MemberTransaction& entry : entries) {
        MemberTransaction& t = s.MemberTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        if (t.Date < s.System.LastPeriodEndDate) t.Date = +s.System.LastPeriodEndDate;
        s.RecordNo = MemberRecordNo(t.MemberNo);
        if (auto known = members.find(s.RecordNo); known != members.end()) {
            s.Member = known->second;
        } else if (t.MemberNo < 1 || ReadMember(s) < kMemberRecordSize) {
            // The check has vouched for every member; one that has gone since is left
            // untouched rather than written into a record that does not exist.
            continue;
        }
        PostMemberTransaction(app, totals, logs);
        const MemberRecord& r = s.Member;
        for (double v : {+r.Share1, +r.Share2, +r.LoanBalance, +r.InterestDue, +r.InterestPaid}) {
            if (!std::isfinite(v)) FailRun(s, ERANGE);
        }
        members[s.RecordNo] = s.Member;
    }
    // The logs go to disc before any member: a run cut short after its first write is then
    // always seen as inconsistent by the next update, never as a silently half-posted batch.
    AppendData(s, DataFile::MemLog, logs.memlog.data(), logs.memlog.size());
    AppendData(s, DataFile::NomLog, logs.nomlog.data(), logs.nomlog.size());

    const double receipts = totals[1] + totals[2] + totals[3] + totals[4] + totals[8];
    const double payments = totals[5] + totals[6] + totals[7];
    SyslogRecord& sys = s.Syslog;
    sys = SyslogRecord{};
    sys.Amount = RoundMoney(receipts - payments);
    sys.Date = s.WorkingDate;
    sys.UserCode.set(s.UserCode);
    sys.Description.set("Post Members Transactions");
    AppendRecord(s, DataFile::SysLog, sys);
    if (!IsZeroMoney(receipts)) {
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogEntry{};
        log.Amount = RoundMoney(receipts);
        log.AccountNo = kBankAccount;
        log.Date = s.WorkingDate;
        log.UserCode.set(s.UserCode);
        log.Narrative.set("In payments from members");
        AppendRecord(s, DataFile::NomLog, log);
    }
    for (const auto& [record, member] : members) {
        s.RecordNo = record;
        s.Member = member;
        WriteMember(s);
    }
    for (int account = 0; account <= 8; ++account) {
        s.RecordNo = account;
        // A ledger that has lost its control accounts is not written from stale memory.
        if (ReadNominal(s) < kNominalAccountRecordSize) FailRun(s, EBADMSG);
        const double change = account == kBankAccount ? receipts - payments
                                                      : totals[static_cast<std::size_t>(account)];
        s.Nominal.Balance = RoundMoney(s.Nominal.Balance + change);
        if (!std::isfinite(+s.Nominal.Balance)) FailRun(s, ERANGE);
        WriteNominal(s);
    }
    s.System.LastPostingDate = s.WorkingDate;

    const UpdateOutcome outcome = CommitUpdate(s, kUpdate, batchPath);
    lock.Release();
    if (!outcome.committed) {
        EndReport(s);
        m.EnableMenus(true);
        m.Lm.caption = OutcomeMessage(outcome, "Posting");
        app.ui.Show(m);
        return;
    }
    AppendReportLine(s, "");
    AppendReportLine(s, "                                 Total Posted         " +
                            Money(receipts - payments, 10));
    EndReport(s);
    // Posted; a safety copy that failed is said on the message line under the report.
    if (!outcome.copied) m.Lm.caption = OutcomeMessage(outcome, "Posting");
    s.CommandCode = 322;
    ShowReport(app);
}

}  // namespace tessary
