#include "members/forms/memacc.h"

#include "core/dates.h"
#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/forms/start.h"
#include "core/money.h"
#include "core/text.h"
#include "members/forms/commands.h"
#include "members/loans.h"

namespace tessary {

namespace {

struct Row {
    const char* label;
    int maxLength;
};

}  // namespace

TFmemacc::TFmemacc(App& app)
    : ui::Form("TFmemacc"),
      Ememno(Add<ui::Edit>("Ememno")),
      Edit1(Add<ui::Edit>("Edit1")),
      Edit2(Add<ui::Edit>("Edit2")),
      Edit3(Add<ui::Edit>("Edit3")),
      Edit4(Add<ui::Edit>("Edit4")),
      Edit5(Add<ui::Edit>("Edit5")),
      Edit6(Add<ui::Edit>("Edit6")),
      Edit7(Add<ui::Edit>("Edit7")),
      Edit8(Add<ui::Edit>("Edit8")),
      Edit9(Add<ui::Edit>("Edit9")),
      Edit10(Add<ui::Edit>("Edit10")),
      Edit11(Add<ui::Edit>("Edit11")),
      Edit12(Add<ui::Edit>("Edit12")),
      Edit13(Add<ui::Edit>("Edit13")),
      Edit14(Add<ui::Edit>("Edit14")),
      Edit15(Add<ui::Edit>("Edit15")),
      Edit16(Add<ui::Edit>("Edit16")),
      Edit17(Add<ui::Edit>("Edit17")),
      Edit18(Add<ui::Edit>("Edit18")),
      LShare1(Add<ui::Label>("LShare1")),
      Lshare2(Add<ui::Label>("Lshare2")),
      Lloan(Add<ui::Label>("Lloan")),
      Lintdue(Add<ui::Label>("Lintdue")),
      Llastpaydate(Add<ui::Label>("Llastpaydate")),
      Larrears(Add<ui::Label>("Larrears")),
      Next(Add<ui::Button>("Next")),
      Close(Add<ui::Button>("Close")),
      Copy(Add<ui::Button>("Copy")),
      app_(app) {
    // Left column: identity and address, in screen order (join date above birth date).
    const auto field = [this](ui::Edit& e, int x, int y, int w, const char* label, int maxLength,
                              int tab) {
        auto& l = Add<ui::Label>("L" + e.name());
        l.left = x;
        l.top = y + 4;
        l.caption = label;
        e.Place(x + 110, y, w, 22);
        e.maxLength = maxLength;
        e.tabOrder = tab;
    };
    field(Ememno, 20, 20, 70, "Membership no", 6, 0);
    field(Edit1, 20, 52, 250, "Name", 30, 1);
    field(Edit2, 20, 80, 250, "Address1", 30, 2);
    field(Edit3, 20, 108, 250, "Address2", 30, 3);
    field(Edit4, 20, 136, 250, "Address3", 30, 4);
    field(Edit5, 20, 164, 250, "Address4", 30, 5);
    field(Edit6, 20, 192, 250, "Address5", 30, 6);
    field(Edit7, 20, 224, 150, "Phone", 16, 7);
    field(Edit8, 20, 252, 90, "Password", 8, 8);
    field(Edit9, 20, 280, 90, "Type", 8, 9);
    field(Edit11, 20, 312, 100, "Join date", 10, 11);
    field(Edit10, 20, 340, 100, "Birth date", 10, 10);
    // Right column: limits and the loan's terms.
    field(Edit12, 420, 20, 110, "Maximum shares", 11, 12);
    field(Edit13, 420, 48, 110, "Maximum loan", 11, 13);
    auto& heading = Add<ui::Label>("LNewLoan");
    heading.left = 420;
    heading.top = 84;
    heading.caption = "New Loan";
    heading.font.bold = true;
    field(Edit14, 420, 108, 110, "Loan number", 8, 14);
    field(Edit15, 420, 136, 110, "Loan date", 10, 15);
    auto& dateHint = Add<ui::Label>("LLoanDateHint");
    dateHint.left = 660;
    dateHint.top = 140;
    dateHint.caption = "dd/mm/yyyy";
    field(Edit16, 420, 164, 110, "Loan amount", 11, 16);
    field(Edit17, 420, 192, 110, "Repayment", 11, 17);
    field(Edit18, 420, 220, 30, "Frequency", 1, 18);
    auto& freqHint = Add<ui::Label>("LFrequencyHint");
    freqHint.left = 580;
    freqHint.top = 224;
    freqHint.caption = "W, F, L or M";
    // The balances, read-only on a white panel.
    int y = 262;
    for (auto [label, caption] :
         {std::pair{&LShare1, "Share 1"}, std::pair{&Lshare2, "Share 2"},
          std::pair{&Lloan, "Loan balance"}, std::pair{&Lintdue, "Interest due"},
          std::pair{&Llastpaydate, "Last pay date"}, std::pair{&Larrears, "Arrears"}}) {
        auto& l = Add<ui::Label>("L" + label->name() + "Caption");
        l.left = 420;
        l.top = y;
        l.caption = caption;
        label->Place(530, y, 110, 20);
        label->autoSize = false;
        label->alignment = ui::Alignment::Right;
        label->transparent = false;
        label->colour = ui::kWhite;
        label->font.name = "Courier New";
        y += 24;
    }
    Next.caption = "&Next";
    Close.caption = "&Close";
    Copy.caption = "C&opy";
    int x = 200;
    for (auto [button, tab] : {std::pair{&Next, 19}, std::pair{&Close, 20}, std::pair{&Copy, 21}}) {
        button->Place(x, 440, 100, 30);
        button->tabOrder = tab;
        x += 150;
    }
    Copy.tabStop = false;

    OnActivate = [this] { FormActivate(); };
    Next.OnClick = [this] { NextClick(); };
    Close.OnClick = [this] { CloseClick(); };
    Copy.OnClick = [this] { CopyClick(); };
    Ememno.OnExit = [this] { EmemnoExit(); };
    Edit18.OnExit = [this] { Edit18Exit(); };
    Edit1.OnEnter = [this] {
        if (mode_ == Mode::View) Ememno.SetFocus();
    };
}

void TFmemacc::Open(Mode mode) {
    mode_ = mode;
    caption = mode == Mode::Add      ? "Add members"
              : mode == Mode::Update ? "Update members"
                                     : "View members";
    Copy.visible = mode == Mode::View;
    MarkOpening();
    app_.ui.Show(*this);
}

void TFmemacc::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    Ememno.readOnly = false;
    Next.visible = mode_ != Mode::View;
    count_ = MemberCount(app_.state);
    firstTime_ = true;
    PresentNext();
}

void TFmemacc::Present() {
    const RunState& s = app_.state;
    const MemberRecord& m = s.Member;
    const std::pair<ui::Edit*, const PString<30>*> texts[] = {
        {&Edit1, &m.Name},     {&Edit2, &m.Address1}, {&Edit3, &m.Address2},
        {&Edit4, &m.Address3}, {&Edit5, &m.Address4}, {&Edit6, &m.Address5}};
    for (const auto& [edit, text] : texts) edit->text = text->str();
    Edit7.text = m.Phone.str();
    Edit8.text = m.Password.str();
    Edit9.text = m.MemberType.str();
    Edit10.text = m.BirthDate.str();
    Edit11.text = m.JoinDate.str();
    Llastpaydate.caption = FormatDate(m.LastPayDate);
    Edit15.text = FormatDate(m.LoanDate);
    Edit12.text = FixedText(m.MaxShares, 2);
    Edit13.text = FixedText(m.MaxLoan, 2);
    Edit16.text = FixedText(m.LoanAmount, 2);
    Edit17.text = FixedText(m.Repayment, 2);
    Edit14.text = std::to_string(m.LoanNumber);
    Edit18.text = m.Frequency.str();
    LShare1.caption = Money11(m.Share1);
    Lshare2.caption = Money11(m.Share2);
    Lloan.caption = Money11(m.LoanBalance);
    Lintdue.caption =
        Money11(s.System.InterestMethod == 1 ? +m.InterestDue : CurrentInterestDue(s));
    Larrears.caption = Money11(LoanArrears(s));
}

bool TFmemacc::SaveForm() {
    RunState& s = app_.state;
    MemberRecord& m = s.Member;
    if (Edit1.text.empty()) return false;
    number_ = ReadWholeNumber(Ememno.text);
    m.Name.set(Edit1.text);
    m.Address1.set(Edit2.text);
    m.Address2.set(Edit3.text);
    m.Address3.set(Edit4.text);
    m.Address4.set(Edit5.text);
    m.Address5.set(Edit6.text);
    m.Phone.set(Edit7.text);
    m.Password.set(Edit8.text);
    m.MemberType.set(Edit9.text);
    m.BirthDate.set(Edit10.text);
    m.JoinDate.set(Edit11.text);
    m.MaxShares = ReadNumber(Edit12.text);
    m.MaxLoan = ReadNumber(Edit13.text);
    m.LoanNumber = ReadWholeNumber(Edit14.text);
    m.LoanDate = Edit15.text.empty() ? 0 : ReadDate(app_, Edit15.text);
    SetLoanAmount(m, ReadNumber(Edit16.text));
    m.Repayment = ReadNumber(Edit17.text);
    m.Frequency.set(Edit18.text.substr(0, 1));
    if (!LoanSetUpComplete(m)) {
        app_.ShowModalMessage(kMsgIncompleteLoan);
        return false;
    }
    return true;
}

void TFmemacc::WriteCurrent() {
    app_.state.RecordNo = MemberRecordNo(number_);
    WriteMember(app_.state);
}

void TFmemacc::PresentNext() {
    RunState& s = app_.state;
    if (!firstTime_ && mode_ != Mode::View) {
        if (!SaveForm()) return;
        WriteCurrent();
    }
    firstTime_ = false;
    if (mode_ == Mode::Add) {
        number_ = count_ + 1;
        count_ = number_;
        Ememno.text = Whole5(number_);
        Ememno.readOnly = true;
        PlaceFocus(&Edit1);
    } else {
        Ememno.text.clear();
        PlaceFocus(&Ememno);
    }
    s.Member = MemberRecord{};
    Present();
}

void TFmemacc::NextClick() {
    PresentNext();
}

void TFmemacc::EmemnoExit() {
    if (mode_ == Mode::Add) return;
    RunState& s = app_.state;
    // Blanks may lead the number but not follow it.
    const auto n = ReadWholeNumber(Ememno.text, {.after = WholeNumberForm::After::Nothing});
    if (!n || *n < 1 || *n > count_) {
        Ememno.text = "Invalid";
        Ememno.SetFocus();
        return;
    }
    number_ = static_cast<std::int32_t>(*n);
    s.RecordNo = MemberRecordNo(number_);
    ReadMember(s);
    Present();
}

void TFmemacc::Edit18Exit() {
    Edit18.text = UpperCase1252(Edit18.text);
    if (Edit18.text.empty() || Edit18.text == "W" || Edit18.text == "F" || Edit18.text == "L" ||
        Edit18.text == "M") {
        return;
    }
    Edit18.SetFocus();
}

void TFmemacc::CloseClick() {
    if (mode_ != Mode::View && SaveForm()) WriteCurrent();
    ReturnToMain(app_, *this, mode_ == Mode::View ? kEnquiry : kUpdate);
}

void TFmemacc::CopyClick() {
    CopyNameAndAddress(app_);
}

}  // namespace tessary
