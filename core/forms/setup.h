#pragma once
// TFsetup and TFusers: the credit union's settings and the table of users, both kept in the
// system record and written back when the set-up form closes.

#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

class TFsetup : public ui::Form {
  public:
    explicit TFsetup(App& app);

    ui::Label& Label1;
    ui::Edit& cuname;
    ui::Label& linterest;
    ui::Edit& interest;
    ui::Label& lmethod;
    ui::Edit& Method;
    ui::Label& lperiodno;
    ui::Edit& Periodno;
    ui::Label& lmaxshares;
    ui::Edit& Maxshares;
    ui::Label& lmaxloan;
    ui::Edit& maxloan;
    ui::Label& Label2;
    ui::Edit& Drive;
    ui::Button& Next;
    ui::Button& Close;

    void FormActivate();
    void NextClick();
    void CloseClick();

  private:
    void StoreFields();
    App& app_;
};

class TFusers : public ui::Form {
  public:
    explicit TFusers(App& app);

    ui::StringGrid& Users;
    ui::Memo& Memo1;
    ui::Button& Back;

    void FormActivate();
    void BackClick();

  private:
    App& app_;
};

}  // namespace tessary
