#pragma once
// TFmodal: the small one-line message form, acknowledged with OK.

#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

class TFmodal : public ui::Form {
  public:
    explicit TFmodal(App& app);
    ui::Label& Label1;
    ui::Button& Button1;
};

}  // namespace tessary
