#include "members/forms/findno.h"

#include <string>
#include <string_view>

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "members/forms/commands.h"
#include "members/loans.h"

namespace tessary {

namespace {

// Lower case of Windows-1252 text, accented capitals included, so that a search for "émile"
// finds "ÉMILE".
std::string Lower1252(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned char l = c;
        if (c >= 'A' && c <= 'Z') {
            l = static_cast<unsigned char>(c + 0x20);
        } else if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {  // À..Þ except the times sign
            l = static_cast<unsigned char>(c + 0x20);
        } else if (c == 0x8A || c == 0x8C || c == 0x8E) {  // Š Œ Ž
            l = static_cast<unsigned char>(c + 0x10);
        } else if (c == 0x9F) {  // Ÿ
            l = 0xFF;
        }
        ch = static_cast<char>(l);
    }
    return out;
}

}  // namespace

TFfindno::TFfindno(App& app)
    : ui::Form("TFfindno"),
      EFind(Add<ui::Edit>("EFind")),
      Search(Add<ui::Button>("Search")),
      Close(Add<ui::Button>("Close")),
      Copy(Add<ui::Button>("Copy")),
      Lfound(Add<ui::Label>("Lfound")),
      Lnumber(Add<ui::Label>("Lnumber")),
      Laddress(Add<ui::Label>("Laddress")),
      Lpassword(Add<ui::Label>("Lpassword")),
      Lphone(Add<ui::Label>("Lphone")),
      app_(app) {
    caption = "Find member's number";
    auto& prompt = Add<ui::Label>("LEFind");
    prompt.left = 120;
    prompt.top = 64;
    prompt.caption = "Search Names for";
    EFind.Place(280, 60, 250, 22);
    EFind.maxLength = 30;
    EFind.tabOrder = 0;

    int y = 140;
    for (auto [label, caption] :
         {std::pair{&Lfound, "Name found"}, std::pair{&Lnumber, "Number"},
          std::pair{&Laddress, "Address"}, std::pair{&Lpassword, "Password"},
          std::pair{&Lphone, "Phone number"}}) {
        auto& l = Add<ui::Label>(label->name() + "Caption");
        l.left = 120;
        l.top = y;
        l.caption = caption;
        label->Place(280, y, 250, 20);
        label->autoSize = false;
        y += 32;
    }

    Search.caption = "&Search";
    Close.caption = "&Close";
    Copy.caption = "C&opy";
    int x = 150;
    int tab = 1;
    for (ui::Button* button : {&Search, &Close, &Copy}) {
        button->Place(x, 360, 100, 30);
        button->tabOrder = tab++;
        x += 170;
    }
    Search.isDefault = true;

    OnActivate = [this] { FormActivate(); };
    EFind.OnExit = [this] { EFindExit(); };
    Search.OnClick = [this] { SearchClick(); };
    Copy.OnClick = [this] { CopyClick(); };
    Close.OnClick = [this] { CloseClick(); };
}

void TFfindno::Open() {
    MarkOpening();
    app_.ui.Show(*this);
}

void TFfindno::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    OpenFileSet(app_.state, kEnquiry);
    Reset();
    PlaceFocus(&EFind);
}

void TFfindno::Reset() {
    scan_ = 0;
    for (ui::Label* l : {&Lfound, &Lnumber, &Laddress, &Lpassword, &Lphone}) l->caption.clear();
}

void TFfindno::EFindExit() {
    // A changed search text starts again from the first member.
    scan_ = 0;
}

void TFfindno::SearchClick() {
    RunState& s = app_.state;
    const std::string wanted = Lower1252(EFind.text);
    for (;;) {
        // A short record at the end is no member; the buffer keeps the last whole one, which
        // Copy then takes.
        const MemberRecord kept = s.Member;
        s.RecordNo = scan_;
        if (ReadMember(s) != kMemberRecordSize) {
            s.Member = kept;
            Reset();
            EFind.SetFocus();
            return;
        }
        ++scan_;
        const MemberRecord& m = s.Member;
        // An empty text never matches, so a search for nothing runs to the end.
        if (!wanted.empty() && Lower1252(m.Name.str()).find(wanted) != std::string::npos) {
            Lfound.caption = m.Name.str();
            Lnumber.caption = std::to_string(scan_);
            Laddress.caption = m.Address1.str();
            Lpassword.caption = m.Password.str();
            Lphone.caption = m.Phone.str();
            Search.SetFocus();
            return;
        }
    }
}

void TFfindno::CopyClick() {
    CopyNameAndAddress(app_);
}

void TFfindno::CloseClick() {
    ReturnToMain(app_, *this, kEnquiry);
}

}  // namespace tessary
