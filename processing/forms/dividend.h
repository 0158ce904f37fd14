#pragma once
// TFdividend: asks for the member type pattern and the rate, checks what the dividend would
// cost, allocates it and shows the allocation report.

#include "core/forms/app.h"
#include "processing/dividend.h"
#include "ui/form.h"

namespace tessary {

class TFdividend : public ui::Form {
  public:
    explicit TFdividend(App& app);

    ui::Label& Label1;
    ui::Edit& Edit1;
    ui::Label& Label2;
    ui::Edit& Edit2;
    ui::Label& Label3;
    ui::Button& Button1;
    ui::Button& Button2;
    ui::Button& Button3;

    // Shows the form from the menu, which stays disabled until the form is left.
    void Open();

    void FormActivate();
    void Button1Click();  // Cancel
    void Button2Click();  // Check
    void Button3Click();  // OK

  private:
    App& app_;
};

}  // namespace tessary
