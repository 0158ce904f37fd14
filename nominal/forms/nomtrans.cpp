#include "nominal/forms/nomtrans.h"

#include <filesystem>

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/money.h"
#include "core/text.h"
#include "nominal/posting.h"

namespace tessary {

TFnomtrans::TFnomtrans(App& app)
    : ui::Form("TFnomtrans"),
      Label1(Add<ui::Label>("Label1")),
      ListBox1(Add<ui::ListBox>("ListBox1")),
      Label2(Add<ui::Label>("Label2")),
      Edit2(Add<ui::Edit>("Edit2")),
      Label3(Add<ui::Label>("Label3")),
      Edit3(Add<ui::Edit>("Edit3")),
      Next(Add<ui::Button>("Next")),
      Previous(Add<ui::Button>("Previous")),
      Close(Add<ui::Button>("Close")),
      app_(app) {
    caption = "Input nominal transactions";
    Label1.left = 60;
    Label1.top = 30;
    Label1.caption = "Accounts";
    ListBox1.Place(60, 52, 260, 380);
    ListBox1.tabOrder = 0;
    Label2.left = 380;
    Label2.top = 56;
    Label2.caption = "Amount";
    Edit2.Place(380, 76, 110, 24);
    Edit2.maxLength = 11;
    Edit2.tabOrder = 1;
    Label3.left = 380;
    Label3.top = 126;
    Label3.caption = "Cheque Number - Narrative";
    Edit3.Place(380, 146, 280, 24);
    Edit3.maxLength = 30;
    Edit3.tabOrder = 2;
    int x = 380;
    for (auto [b, text, tab] :
         {std::tuple{&Next, "&Next", 3}, std::tuple{&Previous, "&Previous", 4},
          std::tuple{&Close, "&Close", 5}}) {
        b->caption = text;
        b->Place(x, 400, 100, 30);
        b->tabOrder = tab;
        b->tabStop = b == &Next;
        x += 130;
    }
    OnActivate = [this] { FormActivate(); };
    Edit2.OnExit = [this] { Edit2Exit(); };
    Next.OnClick = [this] { NextClick(); };
    Previous.OnClick = [this] { PreviousClick(); };
    Close.OnClick = [this] { CloseClick(); };
}

void TFnomtrans::Open() {
    if (!lock_.Take(NominalBatchPath(app_.state))) {
        TFmain& m = app_.main();
        m.Lm.caption = kMsgBatchInUse;
        m.EnableMenus(true);
        app_.ui.Show(m);
        return;
    }
    MarkOpening();
    app_.ui.Show(*this);
}

void TFnomtrans::FormActivate() {
    colour = ui::kFormColour;
    if (!TakeOpening()) return;
    RunState& s = app_.state;
    firstAccount_ = s.PatchMode ? 0 : kFixedAssetsStart;
    s.BatchChecked = false;
    OpenFileSet(s, kEnquiry);
    const std::string path = NominalBatchPath(s);
    if (!std::filesystem::exists(path)) CreateEmptyFile(path);
    batch_.Open(path, File::Access::ReadWrite);
    position_ = static_cast<std::int64_t>(batch_.Size() / kNominalTransactionSize);
    s.NominalTrans = NominalTransaction{};
    Show();

    ListBox1.items.clear();
    accountAt_.clear();
    positionOf_.assign(static_cast<std::size_t>(kNominalAccountCount - firstAccount_), -1);
    for (int a = 0; a < kNominalAccountCount; ++a) {
        s.RecordNo = a;
        ReadNominal(s);
        if (a < firstAccount_ || s.Nominal.AccountName.empty()) continue;
        positionOf_[static_cast<std::size_t>(a - firstAccount_)] =
            static_cast<int>(accountAt_.size());
        accountAt_.push_back(a);
        ListBox1.items.push_back(s.Nominal.AccountName.str());
    }
    const int preferred = s.PatchMode ? kIncomeStart : kExpenditureStart;
    const int at = positionOf_[static_cast<std::size_t>(preferred - firstAccount_)];
    ListBox1.itemIndex = at >= 0 ? at : (ListBox1.items.empty() ? -1 : 0);
    PlaceFocus(&ListBox1);
}

void TFnomtrans::Show() {
    const NominalTransaction& t = app_.state.NominalTrans;
    if (IsZeroMoney(t.Amount)) {
        Edit2.text.clear();
        Edit3.text.clear();
        return;
    }
    const int offset = t.AccountNo - firstAccount_;
    if (offset >= 0 && offset < static_cast<int>(positionOf_.size()) &&
        positionOf_[static_cast<std::size_t>(offset)] >= 0) {
        ListBox1.itemIndex = positionOf_[static_cast<std::size_t>(offset)];
    }
    Edit2.text = FixedText(t.Amount, 2);
    Edit3.text = t.Narrative.str();
}

std::optional<double> TFnomtrans::TakeAmount() {
    return TakeAmountField(Edit2);
}

void TFnomtrans::Edit2Exit() {
    TakeAmount();
}

bool TFnomtrans::TakeForm() {
    // A button press does not wait for the field check, so the amount is checked again here.
    const auto amount = TakeAmount();
    if (!amount) return false;
    NominalTransaction& t = app_.state.NominalTrans;
    if (ListBox1.itemIndex >= 0 && ListBox1.itemIndex < static_cast<int>(accountAt_.size())) {
        t.AccountNo = accountAt_[static_cast<std::size_t>(ListBox1.itemIndex)];
    }
    t.Amount = *amount;
    t.Narrative.set(Edit3.text);
    return true;
}

bool TFnomtrans::WriteEntry() {
    if (batch_.WriteAt(static_cast<std::uint64_t>(position_) * kNominalTransactionSize,
                       RecordBytes(app_.state.NominalTrans), kNominalTransactionSize)) {
        return true;
    }
    // The entry stays on the form, so nothing typed is lost while the cause is mended.
    app_.ShowModalMessage("The entry could not be saved: " + FileErrorText(batch_.Error()));
    return false;
}

void TFnomtrans::Step(int d) {
    NominalTransaction& t = app_.state.NominalTrans;
    if (!Edit2.text.empty()) {
        // Stays on the entry until its amount is mended or it is written.
        if (!TakeForm() || !WriteEntry()) return;
    }
    position_ = std::max<std::int64_t>(position_ + d, 0);
    if (batch_.ReadAt(static_cast<std::uint64_t>(position_) * kNominalTransactionSize,
                      RecordBytes(t), kNominalTransactionSize) < kNominalTransactionSize) {
        if (IsZeroMoney(t.Amount)) {
            position_ = std::max<std::int64_t>(position_ - 1, 0);
        } else {
            t = NominalTransaction{};
        }
    }
    Show();
}

void TFnomtrans::CloseClick() {
    RunState& s = app_.state;
    if (!TakeForm()) return;  // the form stays open to mend the amount
    if (!IsZeroMoney(s.NominalTrans.Amount) && !WriteEntry()) return;
    if (!batch_.Sync()) {
        app_.ShowModalMessage("The batch could not be saved: " + FileErrorText(batch_.Error()));
        return;
    }
    batch_.Close();
    lock_.Release();
    ReturnToMain(app_, *this, kEnquiry);
}

}  // namespace tessary
