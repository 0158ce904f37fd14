#include "members/posting.h"

#include <fmt/core.h>

#include <filesystem>
#include <map>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/mainform.h"
#include "core/money.h"
#include "core/text.h"
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

std::vector<MemberTransaction> ReadMemberBatch(const std::string& path) {
    File batch;
    std::vector<MemberTransaction> entries;
    if (!batch.Open(path, File::Access::ReadOnly)) return entries;  // a missing batch is empty
    entries.resize(batch.Size() / kMemberTransactionSize);
    const std::size_t got =
        batch.ReadAt(0, entries.data(), entries.size() * kMemberTransactionSize);
    entries.resize(got / kMemberTransactionSize);
    return entries;
}

BatchCheck CheckMemberBatch(App& app) {
    RunState& s = app.state;
    BatchCheck result;
    const std::vector<MemberTransaction> entries = ReadMemberBatch(MemberBatchPath(s));
    BeginReport(s);
    OpenFileSet(s, kEnquiry);
    const double today = app.Today();
    for (const MemberTransaction& entry : entries) {
        MemberTransaction& t = s.MemberTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        ++result.count;
        std::string code = " ";
        const int type = t.TransType;
        result.value += type <= 4 ? +t.Amount : -t.Amount;
        s.RecordNo = MemberRecordNo(t.MemberNo);
        const bool member = t.MemberNo >= 1 && ReadMember(s) == kMemberRecordSize;
        if (t.Date < s.System.LastPeriodEndDate || t.Date > today) {
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
    std::vector<MemberTransaction> entries = ReadMemberBatch(batchPath);
    if (entries.empty()) {
        CloseFileSet(s, kUpdate);
        m.EnableMenus(true);
        m.Lm.caption = "No data";
        app.ui.Show(m);
        return;
    }

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
        members[s.RecordNo] = s.Member;
    }
    // The logs go to disc before any member: a run cut short after its first write is then
    // always seen as inconsistent by the next update, never as a silently half-posted batch.
    s.Files[DataFile::MemLog].Append(logs.memlog.data(), logs.memlog.size());
    s.Files[DataFile::NomLog].Append(logs.nomlog.data(), logs.nomlog.size());
    for (const auto& [record, member] : members) {
        s.RecordNo = record;
        s.Member = member;
        WriteMember(s);
    }

    const double receipts = totals[1] + totals[2] + totals[3] + totals[4] + totals[8];
    const double payments = totals[5] + totals[6] + totals[7];
    SyslogRecord& sys = s.Syslog;
    sys = SyslogRecord{};
    sys.Amount = RoundMoney(receipts - payments);
    sys.Date = s.WorkingDate;
    sys.UserCode.set(s.UserCode);
    sys.Description.set("Post Members Transactions");
    s.Files[DataFile::SysLog].Append(RecordBytes(sys), sizeof sys);
    if (!IsZeroMoney(receipts)) {
        NominalLogEntry& log = s.NominalLog;
        log = NominalLogEntry{};
        log.Amount = RoundMoney(receipts);
        log.AccountNo = kBankAccount;
        log.Date = s.WorkingDate;
        log.UserCode.set(s.UserCode);
        log.Narrative.set("In payments from members");
        s.Files[DataFile::NomLog].Append(RecordBytes(log), sizeof log);
    }
    for (int account = 0; account <= 8; ++account) {
        s.RecordNo = account;
        ReadNominal(s);
        const double change = account == kBankAccount ? receipts - payments
                                                      : totals[static_cast<std::size_t>(account)];
        s.Nominal.Balance = RoundMoney(s.Nominal.Balance + change);
        WriteNominal(s);
    }
    s.System.LastPostingDate = s.WorkingDate;

    MarkBatchPosting(s, batchPath);
    CloseFileSet(s, kUpdate);
    AppendReportLine(s, "");
    AppendReportLine(s, "                                 Total Posted         " +
                            Money(receipts - payments, 10));
    EndReport(s);
    FinishBatchPosting(s, batchPath);
    BackupToFolder(s);
    s.CommandCode = 322;
    ShowReport(app);
}

}  // namespace tessary
