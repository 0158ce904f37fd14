#pragma once
// TFfindno: looking a member's number up from part of the name.

#include <cstdint>

#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

class TFfindno : public ui::Form {
  public:
    explicit TFfindno(App& app);

    ui::Edit& EFind;
    ui::Button& Search;
    ui::Button& Close;
    ui::Button& Copy;
    ui::Label& Lfound;
    ui::Label& Lnumber;
    ui::Label& Laddress;
    ui::Label& Lpassword;
    ui::Label& Lphone;

    // Shows the form from the menu; it opens the file set for enquiry itself.
    void Open();

    void FormActivate();
    void EFindExit();
    void SearchClick();
    void CopyClick();
    void CloseClick();

  private:
    void Reset();

    App& app_;
    std::int32_t scan_ = 0;  // record index the next search reads first
};

}  // namespace tessary
