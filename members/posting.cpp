#include "members/posting.h"

#include <fmt/core.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "core/update.h"
#include "core/workfile.h"
#include "members/loans.h"
#include "nominal/posting.h"

namespace tessary {

namespace {

std::string TypeName(int type) {
    std::string name;
    TransactionTypeName(type, name);
    return name;
}

template <typename Record>
void AddRecord(std::string& log, const Record& record) {
    log.append(reinterpret_cast<const char*>(RecordBytes(record)), sizeof record);
}

}  // namespace

std::string MemberBatchPath(const RunState& state) {
    return BatchPath(state, BatchKind::Members);
}

bool EntryDateReadable(double date) {
    return std::isfinite(date) && date >= 0 && date < 2958466;  // up to 31/12/9999
}

BatchCheck CheckMemberBatch(RunState& s, double today) {
    BatchCheck result;
    BatchLock lock;
    if (!lock.Take(MemberBatchPath(s))) {
        result.unreadable = kMsgBatchInUse;
        return result;
    }
    // Settles a run that died after its commit before the batch is read.
    OpenFileSet(s, kEnquiry);
    const Batch<MemberTransaction> batch = ReadBatch<MemberTransaction>(MemberBatchPath(s));
    const std::vector<MemberTransaction>& entries = batch.entries;
    const int error = batch.error;
    if (error != 0) {
        CloseFileSet(s, kEnquiry);
        result.unreadable = "The batch cannot be read: " + FileErrorText(error);
        return result;
    }
    for (const MemberTransaction& entry : entries) {
        MemberTransaction& t = s.MemberTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        ++result.count;
        std::string code = " ";
        const int type = t.TransType;
        if (AmountFits(t.Amount)) result.value += type <= kFee ? +t.Amount : -t.Amount;
        s.RecordNo = MemberRecordNo(t.MemberNo);
        const bool member = t.MemberNo >= 1 && ReadMember(s) == kMemberRecordSize;
        if (!EntryDateReadable(t.Date) || t.Date < StoredDate(s.System.LastPeriodEndDate) ||
            t.Date > today) {
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
        if (type < kFirstKeyedType || type > kLastKeyedType) {
            code = "TYPE";
            ++result.errors;
        }
        // An amount the records cannot show (or not a number at all) is never posted.
        if (!AmountFits(t.Amount)) {
            code = "AMOUNT";
            ++result.errors;
        }
        result.lines.push_back(PadLeft(std::to_string(t.MemberNo), 5) + " " +
                               PadRight(name.substr(0, 24), 24) + " " +
                               PadRight(TypeName(type), 16) + " " + Money10(t.Amount) + " " +
                               PadRight(FormatDate(t.Date), 10) + " " + PadRight(code, 6));
    }
    result.lines.emplace_back();
    std::string total =
        "Total - Count " + Whole5(result.count) + "  Value " + Money11(result.value);
    if (result.errors > 0) total += "  Errors " + Whole5(result.errors);
    result.lines.push_back(total);
    CloseFileSet(s, kEnquiry);
    return result;
}

TypeAmounts ApplyMemberTransaction(MemberRecord& m, const MemberTransaction& t, Rates rates,
                                   double today) {
    const double a = t.Amount;
    TypeAmounts split{};
    switch (t.TransType) {
        case kShare1Deposit:
            m.Share1 = RoundMoney(m.Share1 + a);
            split[kShare1Deposit] = a;
            break;
        case kShare2Deposit:
            m.Share2 = RoundMoney(m.Share2 + a);
            split[kShare2Deposit] = a;
            break;
        case kLoanRepayment: {
            double interest = 0, principal = 0, excess = 0;
            if (a > 0 && m.LoanBalance > 0) {
                // Interest accrues up to the day of payment.
                const double due = InterestDue(m, rates, t.Date);
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
                split[kLoanRepayment] = principal;
                split[kInterest] = interest;
                split[kShare1Deposit] = excess;
            } else {
                // A reversal puts the amount back on the loan.
                m.LoanBalance = RoundMoney(m.LoanBalance - a);
                split[kLoanRepayment] = a;
            }
            m.LastPayDate = t.Date;
            break;
        }
        case kFee:
            split[kFee] = a;
            break;
        case kShare1Withdraw:
            m.Share1 = RoundMoney(m.Share1 - a);
            split[kShare1Withdraw] = a;
            break;
        case kShare2Withdraw:
            m.Share2 = RoundMoney(m.Share2 - a);
            split[kShare2Withdraw] = a;
            break;
        case kLoanAllocation:
            if (m.LoanBalance > 0) m.InterestDue = InterestDue(m, rates, today);
            m.LastPayDate = t.Date;
            m.LoanBalance = RoundMoney(m.LoanBalance + a);
            split[kLoanAllocation] = a;
            break;
        default:
            break;
    }
    return split;
}

MemberLogEntry MemberLogOf(std::int32_t memberNo, int type, double amount, double date,
                           std::string_view user) {
    MemberLogEntry log{};
    log.Amount = amount;
    log.Date = date;
    log.MemberNo = memberNo;
    log.TransType = type;
    log.UserCode.set(user);
    return log;
}

NominalLogEntry PaidOutLogOf(const MemberTransaction& t, std::string_view user) {
    NominalLogEntry log{};
    log.Amount = RoundMoney(-t.Amount);
    log.AccountNo = kBankAccount;
    log.Date = t.Date;
    log.UserCode.set(user);
    log.Narrative.set(PadRight(t.ChequeNo.str(), 8) + " Paid to Member " +
                      PadLeft(std::to_string(t.MemberNo), 5));
    log.Reconciled = 0;
    return log;
}

double RunReceipts(const TypeAmounts& totals) {
    return totals[kShare1Deposit] + totals[kShare2Deposit] + totals[kLoanRepayment] + totals[kFee] +
           totals[kInterest];
}

double RunPayments(const TypeAmounts& totals) {
    return totals[kShare1Withdraw] + totals[kShare2Withdraw] + totals[kLoanAllocation];
}

std::array<double, kNominalAccountCount> RunLedgerChanges(const TypeAmounts& totals) {
    std::array<double, kNominalAccountCount> changes{};
    changes[kBankAccount] = RunReceipts(totals) - RunPayments(totals);
    for (int type = kFirstPostingType; type <= kLastPostingType; ++type) {
        changes[static_cast<std::size_t>(ControlAccount(type))] +=
            totals[static_cast<std::size_t>(type)];
    }
    return changes;
}

NominalLogEntry ReceiptsLogOf(double receipts, double date, std::string_view user) {
    NominalLogEntry log{};
    log.Amount = RoundMoney(receipts);
    log.AccountNo = kBankAccount;
    log.Date = date;
    log.UserCode.set(user);
    log.Narrative.set("In payments from members");
    return log;
}

void PostMemberTransaction(RunState& s, TypeAmounts& totals, PostingLogs& logs,
                           std::vector<std::string>& lines) {
    const MemberRecord& m = s.Member;
    const MemberTransaction& t = s.MemberTrans;
    const TypeAmounts split = ApplyMemberTransaction(s.Member, t, RatesOf(s.System), s.WorkingDate);
    for (int type = kFirstPostingType; type <= kLastPostingType; ++type)
        totals[static_cast<std::size_t>(type)] += split[static_cast<std::size_t>(type)];

    for (int type = kLastPostingType; type >= kFirstPostingType; --type) {
        if (split[static_cast<std::size_t>(type)] == 0) continue;
        MemberLogEntry& log = s.MemberLog;
        log = MemberLogOf(t.MemberNo, type, RoundMoney(split[static_cast<std::size_t>(type)]),
                          t.Date, s.UserCode);
        AddRecord(logs.memlog, log);
        lines.push_back(PadLeft(std::to_string(t.MemberNo), 5) + " " + PadRight(m.Name.str(), 30) +
                        " " + PadRight(TypeName(type), 16) + " " + Money10(log.Amount) + "  " +
                        PadRight(FormatDate(t.Date), 10));
    }
    if (PaysOut(t.TransType)) {
        s.NominalLog = PaidOutLogOf(t, s.UserCode);
        AddRecord(logs.nomlog, s.NominalLog);
    }
}

MemberPosting PostMemberBatch(RunState& s) {
    MemberPosting run;
    run.opened = OpenFileSet(s, kUpdate);
    if (!run.opened) return run;
    const std::string batchPath = MemberBatchPath(s);
    const auto refuse = [&](const std::string& why) {
        CloseFileSet(s, kUpdate);
        run.refused = why;
        return run;
    };
    BatchLock lock;
    if (!lock.Take(batchPath)) return refuse(kMsgBatchInUse);
    Batch<MemberTransaction> batch = ReadBatch<MemberTransaction>(batchPath);
    if (batch.error != 0) return refuse("The batch cannot be read: " + FileErrorText(batch.error));
    std::vector<MemberTransaction>& entries = batch.entries;
    if (entries.empty()) return refuse("No data");
    // The batch may have changed since it was checked; what the check would refuse is never
    // posted.
    for (const MemberTransaction& t : entries) {
        if (!IsZeroMoney(t.Amount) && (!AmountFits(t.Amount) || !EntryDateReadable(t.Date))) {
            return refuse(kMsgRecheck);
        }
    }

    BeginRun(s);
    const double lastPeriodEnd = StoredDate(s.System.LastPeriodEndDate);
    TypeAmounts totals{};
    PostingLogs logs;
    // Members as the run leaves them, by record number; a member with several entries
    // carries on from the run's own copy.
    std::map<std::int32_t, MemberRecord> members;
    for (MemberTransaction& entry : entries) {
        MemberTransaction& t = s.MemberTrans;
        t = entry;
        if (IsZeroMoney(t.Amount)) continue;
        if (t.Date < lastPeriodEnd) t.Date = lastPeriodEnd;
        s.RecordNo = MemberRecordNo(t.MemberNo);
        if (auto known = members.find(s.RecordNo); known != members.end()) {
            s.Member = known->second;
        } else if (t.MemberNo < 1 || ReadMember(s) < kMemberRecordSize) {
            // The check has vouched for every member; one that has gone since is left
            // untouched rather than written into a record that does not exist.
            continue;
        }
        PostMemberTransaction(s, totals, logs, run.lines);
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

    const double receipts = RunReceipts(totals);
    const double payments = RunPayments(totals);
    s.Syslog = RunLogEntry(RoundMoney(receipts - payments), s.WorkingDate, s.UserCode,
                           kMemberRunDescription);
    AppendRecord(s, DataFile::SysLog, s.Syslog);
    if (!IsZeroMoney(receipts)) {
        s.NominalLog = ReceiptsLogOf(receipts, s.WorkingDate, s.UserCode);
        AppendRecord(s, DataFile::NomLog, s.NominalLog);
    }
    for (const auto& [record, member] : members) {
        s.RecordNo = record;
        s.Member = member;
        WriteMember(s);
    }
    // The bank takes the run's net cash, each control account the total of its type.
    const std::array<double, kNominalAccountCount> changes = RunLedgerChanges(totals);
    for (int account = kBankAccount; account <= ControlAccount(kLastPostingType); ++account) {
        s.RecordNo = account;
        // A ledger that has lost its control accounts is not written from stale memory.
        if (ReadNominal(s) < kNominalAccountRecordSize) FailRun(s, EBADMSG);
        PostToAccount(s.Nominal, changes[static_cast<std::size_t>(account)]);
        if (!std::isfinite(+s.Nominal.Balance)) FailRun(s, ERANGE);
        WriteNominal(s);
    }
    s.System.LastPostingDate = s.WorkingDate;

    run.outcome = CommitUpdate(s, kUpdate, batchPath);
    run.total = receipts - payments;
    if (run.outcome.committed) {
        run.lines.emplace_back();
        run.lines.push_back("                                 Total Posted         " +
                            Money10(run.total));
    } else {
        run.lines.clear();
    }
    return run;
}

}  // namespace tessary
