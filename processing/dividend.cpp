#include "processing/dividend.h"

#include <cerrno>
#include <cmath>

#include "core/fileset.h"
#include "core/mainform.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "members/posting.h"
#include "members/types.h"
#include "reports/writer.h"

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
    share1Control.Balance = share1Control.Balance + total;
    earnings.Balance = earnings.Balance - total;
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
        PostDividendTotal(accounts[kShare1ControlAccount], accounts[kUndividedEarningsAccount],
                          run.total);
        for (int account : {kShare1ControlAccount, kUndividedEarningsAccount}) {
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

TFdividend::TFdividend(App& app)
    : ui::Form("TFdividend"),
      Label1(Add<ui::Label>("Label1")),
      Edit1(Add<ui::Edit>("Edit1")),
      Label2(Add<ui::Label>("Label2")),
      Edit2(Add<ui::Edit>("Edit2")),
      Label3(Add<ui::Label>("Label3")),
      Button1(Add<ui::Button>("Button1")),
      Button2(Add<ui::Button>("Button2")),
      Button3(Add<ui::Button>("Button3")),
      app_(app) {
    caption = "Dividend Allocation";
    const auto row = [](ui::Label& l, const char* text, ui::Edit& e, int y, int tab) {
        l.left = 240;
        l.top = y + 4;
        l.caption = text;
        e.Place(420, y, 110, 24);
        e.maxLength = 9;
        e.tabOrder = tab;
    };
    row(Label1, "Type", Edit1, 160, 0);
    row(Label2, "% Annual Dividend", Edit2, 210, 1);
    Label3.alignment = ui::Alignment::Center;
    Label3.autoSize = false;
    Label3.Place(100, 270, 600, 24);
    int x = 200;
    for (auto [b, text, tab] :
         {std::tuple{&Button1, "&Cancel", 2}, std::tuple{&Button2, "Ch&eck", 3},
          std::tuple{&Button3, "&OK", 4}}) {
        b->caption = text;
        b->Place(x, 340, 100, 30);
        b->tabOrder = tab;
        x += 140;
    }
    OnActivate = [this] { FormActivate(); };
    Button1.OnClick = [this] { Button1Click(); };
    Button2.OnClick = [this] { Button2Click(); };
    Button3.OnClick = [this] { Button3Click(); };
}

void TFdividend::Open() {
    MarkOpening();
    app_.ui.Show(*this);
}

void TFdividend::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    Label3.caption.clear();
    PlaceFocus(&Edit1);
}

void TFdividend::Button1Click() {
    ReturnToMain(app_, *this, std::nullopt);
}

void TFdividend::Button2Click() {
    const DividendCheck check =
        CheckDividend(app_.state, TypePattern(Edit1.text), ReadNumber(Edit2.text));
    // A failed open has said why on the main window's message line.
    Label3.caption = check.opened ? check.message : app_.main().Lm.caption;
}

void TFdividend::Button3Click() {
    RunState& s = app_.state;
    const DividendRun run = AllocateDividend(s, TypePattern(Edit1.text), ReadNumber(Edit2.text));
    if (!run.check.opened) {
        Label3.caption = app_.main().Lm.caption;
        return;
    }
    Label3.caption = run.refused.empty() ? run.check.message : run.refused;
    if (!run.started) return;
    if (!run.outcome.committed) {
        Label3.caption = OutcomeMessage(run.outcome, "Dividend allocation");
        return;
    }
    app_.main().ClearPrompt();
    s.CommandCode = kCmdDividendListing;
    app_.ui.Hide(*this);
    // Allocated; a safety copy that failed is told over the report.
    ShowReport(
        app_, std::nullopt,
        run.outcome.copied ? std::string() : OutcomeMessage(run.outcome, "Dividend allocation"));
}

}  // namespace tessary
