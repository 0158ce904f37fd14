#include "members/forms/memtrans.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/forms/start.h"
#include "core/money.h"
#include "core/protocol.h"
#include "core/text.h"
#include "members/loans.h"
#include "members/posting.h"

namespace tessary {

namespace {

void Caption(ui::Label& l, int x, int y, const char* text) {
    l.left = x;
    l.top = y;
    l.caption = text;
}

// A day number as the date message shows it, 0 included (30/12/1899).
std::string DayText(double day) {
    return day == 0 ? "30/12/1899" : FormatDate(day);
}

}  // namespace

TFfindtrans::TFfindtrans(App&)
    : ui::Form("TFfindtrans"),
      Label1(Add<ui::Label>("Label1")),
      Edit1(Add<ui::Edit>("Edit1")),
      Button1(Add<ui::Button>("Button1")) {
    caption = "Find transaction";
    Caption(Label1, 200, 200, "Find transaction for member number");
    Edit1.Place(450, 196, 100, 24);
    Edit1.maxLength = 10;
    Edit1.tabOrder = 0;
    Button1.caption = "&Next";
    Button1.Place(350, 300, 100, 30);
    Button1.modalResult = ui::ModalResult::OK;
    Button1.isDefault = true;
    Button1.tabOrder = 1;
    OnActivate = [this] {
        colour = ui::kFormColour;
        PlaceFocus(&Edit1);
    };
}

TFmemtrans::TFmemtrans(App& app)
    : ui::Form("TFmemtrans"),
      Lmemno(Add<ui::Label>("Lmemno")),
      Ememno(Add<ui::Edit>("Ememno")),
      Laccount(Add<ui::Label>("Laccount")),
      Ltypelabel(Add<ui::Label>("Ltypelabel")),
      Etype(Add<ui::Edit>("Etype")),
      Ltype(Add<ui::Label>("Ltype")),
      Lamount(Add<ui::Label>("Lamount")),
      Eamount(Add<ui::Edit>("Eamount")),
      Lcheque(Add<ui::Label>("Lcheque")),
      Echeque(Add<ui::Edit>("Echeque")),
      Ldate(Add<ui::Label>("Ldate")),
      Edate(Add<ui::Edit>("Edate")),
      Lbalances(Add<ui::Label>("Lbalances")),
      Mtype(Add<ui::Memo>("Mtype")),
      Next(Add<ui::Button>("Next")),
      Previous(Add<ui::Button>("Previous")),
      Close(Add<ui::Button>("Close")),
      Find(Add<ui::Button>("Find")),
      app_(app) {
    caption = "Input members transactions";
    Caption(Lmemno, 60, 64, "Member number");
    Ememno.Place(220, 60, 80, 24);
    Ememno.maxLength = 6;
    Ememno.tabOrder = 0;
    Caption(Laccount, 310, 64, "");
    Caption(Ltypelabel, 60, 114, "Type");
    Etype.Place(220, 110, 30, 24);
    Etype.maxLength = 1;
    Etype.tabOrder = 1;
    Caption(Ltype, 310, 114, "");
    Caption(Lamount, 60, 164, "Amount");
    Eamount.Place(220, 160, 110, 24);
    Eamount.maxLength = 11;
    Eamount.tabOrder = 2;
    Caption(Lcheque, 60, 214, "Cheque Number");
    Echeque.Place(220, 210, 110, 24);
    Echeque.maxLength = 8;
    Echeque.tabOrder = 3;
    Caption(Ldate, 60, 264, "Date  dd/mm/yyyy");
    Edate.Place(220, 260, 110, 24);
    Edate.maxLength = 10;
    Edate.tabOrder = 4;
    Caption(Lbalances, 20, 310, "");
    Lbalances.font.name = "Courier New";
    Mtype.Place(430, 110, 360, 130);
    Mtype.font.name = "Courier New";
    Mtype.font.pixelHeight = 13;  // the legend's lines fit the memo at every screen width
    Mtype.tabStop = false;
    Mtype.lines = {
        "           Types of transactions",           "",
        "1  Share 1 deposit   5  Share 1 withdrawal", "2  Share 2 deposit   6  Share 2 withdrawal",
        "3  Loan Repayment    7  Loan allocation",    "4  Fee"};
    struct B {
        ui::Button& b;
        const char* caption;
        int x, tab;
        bool stop;
    };
    for (const B& b : {B{Next, "&Next", 100, 5, true}, B{Previous, "&Previous", 250, 6, false},
                       B{Find, "&Find", 400, 9, false}, B{Close, "&Close", 550, 7, false}}) {
        b.b.caption = b.caption;
        b.b.Place(b.x, 420, 100, 30);
        b.b.tabOrder = b.tab;
        b.b.tabStop = b.stop;
    }

    OnActivate = [this] { FormActivate(); };
    Ememno.OnExit = [this] { EmemnoExit(); };
    Etype.OnExit = [this] { EtypeExit(); };
    Eamount.OnExit = [this] { EamountExit(); };
    Edate.OnExit = [this] { EdateExit(); };
    Next.OnClick = [this] { NextClick(); };
    Previous.OnClick = [this] { PreviousClick(); };
    Find.OnClick = [this] { FindClick(); };
    Close.OnClick = [this] { CloseClick(); };
}

void TFmemtrans::Open() {
    if (!lock_.Take(MemberBatchPath(app_.state))) {
        TFmain& m = app_.main();
        m.Lm.caption = kMsgBatchInUse;
        m.EnableMenus(true);
        app_.ui.Show(m);
        return;
    }
    MarkOpening();
    app_.ui.Show(*this);
}

void TFmemtrans::FormActivate() {
    colour = ui::kFormColour;
    Mtype.colour = ui::kFormColour;
    if (!TakeOpening()) return;
    RunState& s = app_.state;
    s.BatchChecked = false;
    OpenFileSet(s, kEnquiry);
    const std::string path = MemberBatchPath(s);
    if (!std::filesystem::exists(path)) CreateEmptyFile(path);
    batch_.Open(path, File::Access::ReadWrite);
    p_ = static_cast<std::int64_t>(batch_.Size() / kMemberTransactionSize);
    s.MemberTrans = MemberTransaction{};
    member_ = 0;
    Lbalances.caption.clear();
    Present();
    PlaceFocus(&Ememno);
}

void TFmemtrans::Present() {
    const RunState& s = app_.state;
    const MemberTransaction& t = s.MemberTrans;
    if (IsZeroMoney(t.Amount)) {
        for (ui::Edit* e : {&Ememno, &Etype, &Eamount, &Echeque}) e->text.clear();
        for (ui::Label* l : {&Laccount, &Ltype, &Lbalances}) l->caption.clear();
        Edate.text = s.WorkingDateText;
        return;
    }
    Ememno.text = std::to_string(t.MemberNo);
    Laccount.caption = s.Member.Name.str();
    Eamount.text = FixedText(t.Amount, 2);
    Etype.text = std::to_string(t.TransType);
    Ltype.caption.clear();
    TransactionTypeName(t.TransType, Ltype.caption);
    Echeque.text = t.ChequeNo.str();
    Lbalances.caption = BalanceLine(s);
    Edate.text = FormatDate(t.Date);
}

void TFmemtrans::LoadMemberOfEntry() {
    RunState& s = app_.state;
    s.Member = MemberRecord{};
    s.RecordNo = MemberRecordNo(s.MemberTrans.MemberNo);
    const bool found = s.MemberTrans.MemberNo >= 1 && ReadMember(s) == kMemberRecordSize;
    member_ = found && !IsZeroMoney(s.MemberTrans.Amount) ? s.MemberTrans.MemberNo : 0;
}

void TFmemtrans::EmemnoExit() {
    RunState& s = app_.state;
    if (Ememno.text.empty()) {
        member_ = 0;
        return;
    }
    const auto n = ReadWholeNumber(Ememno.text, WholeNumberForm{});
    bool accepted = false;
    if (n && *n >= 1 && *n <= 0x7FFFFFFF) {
        s.RecordNo = static_cast<std::int32_t>(*n - 1);
        accepted = ReadMember(s) == kMemberRecordSize &&
                   s.Member.Name.view().find('*') == std::string_view::npos;
    }
    if (!accepted) {
        member_ = 0;
        Ememno.text = "Invalid";
        Ememno.SetFocus();
        return;
    }
    member_ = static_cast<int>(*n);
    Laccount.caption = s.Member.Name.str();
    Lbalances.caption = BalanceLine(s);
}

void TFmemtrans::EtypeExit() {
    const auto n = ReadWholeNumber(Etype.text, WholeNumberForm{});
    if (n && *n >= kFirstKeyedType && *n <= kLastKeyedType) {
        Ltype.caption.clear();
        TransactionTypeName(static_cast<int>(*n), Ltype.caption);
        return;
    }
    Etype.text = "Invalid";
    Etype.SetFocus();
}

std::optional<double> TFmemtrans::TakeAmount() {
    return TakeAmountField(Eamount);
}

void TFmemtrans::EamountExit() {
    TakeAmount();
}

void TFmemtrans::EdateExit() {
    const RunState& s = app_.state;
    const double date = ReadDate(app_, Edate.text);
    if (date == 0) {
        Edate.text = "dd/mm/yyyy";
        Edate.SetFocus();
    }
    const double today = ReadDate(app_, s.TodayText);
    const double lastPeriodEnd = StoredDate(s.System.LastPeriodEndDate);
    if (date < lastPeriodEnd || date > today) {
        app_.ShowModalMessage("The date must be between " + DayText(lastPeriodEnd) + " and " +
                              s.TodayText);
        Edate.SetFocus();
    }
}

bool TFmemtrans::ReadForm() {
    MemberTransaction& t = app_.state.MemberTrans;
    // A button press does not wait for the field check, so the amount is checked again here.
    const auto amount = TakeAmount();
    if (!amount) return false;
    const double date = ReadDate(app_, Edate.text);
    if (date == 0) {
        app_.ShowModalMessage("'" + Edate.text + "' is not a valid date");
        return false;
    }
    t.MemberNo = ReadWholeNumber(Ememno.text);
    t.TransType = ReadWholeNumber(Etype.text);
    t.Amount = *amount;
    t.ChequeNo.set(Echeque.text);
    t.Date = date;
    return true;
}

bool TFmemtrans::StoreCurrent() {
    if (member_ <= 0) return true;
    if (!ReadForm()) return false;
    return WriteEntry();
}

bool TFmemtrans::WriteEntry() {
    if (batch_.WriteAt(static_cast<std::uint64_t>(p_) * kMemberTransactionSize,
                       RecordBytes(app_.state.MemberTrans), kMemberTransactionSize)) {
        return true;
    }
    // The entry stays on the form, so nothing typed is lost while the cause is mended.
    app_.ShowModalMessage("The entry could not be saved: " + FileErrorText(batch_.Error()));
    return false;
}

void TFmemtrans::Step(int d) {
    RunState& s = app_.state;
    if (!StoreCurrent()) return;  // an unreadable date: stay on the entry so nothing is lost
    p_ = std::max<std::int64_t>(p_ + d, 0);
    MemberTransaction& t = s.MemberTrans;
    if (batch_.ReadAt(static_cast<std::uint64_t>(p_) * kMemberTransactionSize, RecordBytes(t),
                      kMemberTransactionSize) == kMemberTransactionSize) {
        LoadMemberOfEntry();
    } else if (t.MemberNo <= 0 && p_ > 0) {
        --p_;  // stay on the empty entry at the end
        member_ = 0;
    } else {
        t = MemberTransaction{};
        member_ = 0;
    }
    Present();
    Ememno.SetFocus();
}

void TFmemtrans::FindClick() {
    RunState& s = app_.state;
    if (!StoreCurrent()) return;
    if (!find_) find_ = &app_.MakeForm<TFfindtrans>();
    app_.ui.ShowModal(*find_);
    const auto wanted = ReadWholeNumber(find_->Edit1.text, WholeNumberForm{});
    if (!wanted) return;
    MemberTransaction entry;
    for (std::uint64_t q = 0; batch_.ReadAt(q * kMemberTransactionSize, RecordBytes(entry),
                                            kMemberTransactionSize) == kMemberTransactionSize;
         ++q) {
        if (entry.MemberNo == *wanted) {
            p_ = static_cast<std::int64_t>(q);
            s.MemberTrans = entry;
            LoadMemberOfEntry();
            Present();
            Ememno.SetFocus();
            return;
        }
    }
    app_.main().Lm.caption = "Transaction not found";
}

void TFmemtrans::CloseClick() {
    // An entry whose date cannot be read is not dropped: the form stays open to mend it.
    if (member_ > 0 && !ReadForm()) return;
    if (member_ > 0 && !WriteEntry()) return;
    if (!batch_.Sync()) {
        app_.ShowModalMessage("The batch could not be saved: " + FileErrorText(batch_.Error()));
        return;
    }
    batch_.Close();
    lock_.Release();
    ReturnToMain(app_, *this, kEnquiry);
}

}  // namespace tessary
