#pragma once
// TFstart: the sign-on form. Fixes the data folder and the working date, and signs a user on.

#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

class TFstart : public ui::Form {
  public:
    explicit TFstart(App& app);

    ui::Label& Label1;
    ui::Label& Label3;
    ui::Label& Lmaker;
    ui::Label& Lversion;
    ui::Label& Lpassword;
    ui::Edit& Password;
    ui::Label& Lday;
    ui::Label& Ldate;
    ui::Edit& EDate;
    ui::Button& Next;
    ui::Button& Bexit;

    void FormActivate();
    void EDateExit();
    void NextClick();
    void BexitClick();

  private:
    void Fail();
    App& app_;
    bool activated_ = false;
};

// Reads the working date from a text as the date conventions say; 0 when it is no date.
double ReadDate(const App& app, std::string_view text);

}  // namespace tessary
