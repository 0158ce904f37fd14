#pragma once
// TFmemtrans: keying member transactions into the user's batch; TFfindtrans: its find prompt.

#include <optional>

#include "core/forms/app.h"
#include "core/update.h"
#include "ui/form.h"

namespace tessary {

class TFfindtrans : public ui::Form {
  public:
    explicit TFfindtrans(App& app);
    ui::Label& Label1;
    ui::Edit& Edit1;
    ui::Button& Button1;
};

class TFmemtrans : public ui::Form {
  public:
    explicit TFmemtrans(App& app);

    ui::Label& Lmemno;
    ui::Edit& Ememno;
    ui::Label& Laccount;
    ui::Label& Ltypelabel;
    ui::Edit& Etype;
    ui::Label& Ltype;
    ui::Label& Lamount;
    ui::Edit& Eamount;
    ui::Label& Lcheque;
    ui::Edit& Echeque;
    ui::Label& Ldate;
    ui::Edit& Edate;
    ui::Label& Lbalances;
    ui::Memo& Mtype;
    ui::Button& Next;
    ui::Button& Previous;
    ui::Button& Close;
    ui::Button& Find;

    // Shows the form from the menu: the batch is opened afresh. Later activations (returning
    // from a message or the find prompt) keep the entry being keyed.
    void Open();

    void FormActivate();
    void EmemnoExit();
    void EtypeExit();
    void EamountExit();
    void EdateExit();
    void NextClick() { Step(+1); }
    void PreviousClick() { Step(-1); }
    void FindClick();
    void CloseClick();

  private:
    void Present();
    // The amount typed; nothing, with "Invalid" shown and the focus kept, when it is refused.
    std::optional<double> TakeAmount();
    // Reads the fields into the entry buffer; false (after saying so) when the amount is
    // refused or the date is no date.
    bool ReadForm();
    // Stores the entry being keyed when it has an accepted member; false when it could not.
    bool StoreCurrent();
    // Writes the entry on the form at its place in the batch; says so when it cannot.
    bool WriteEntry();
    void Step(int d);
    void LoadMemberOfEntry();

    App& app_;
    TFfindtrans* find_ = nullptr;
    File batch_;
    // Held while the form is open, so another copy of the program cannot post the batch.
    BatchLock lock_;
    std::int64_t p_ = 0;
    int member_ = 0;  // the current member number, 0 when none is accepted
};

}  // namespace tessary
