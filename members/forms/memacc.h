#pragma once
// TFmemacc: adding, updating and viewing members' details and loan terms.

#include "core/forms/app.h"
#include "ui/form.h"

namespace tessary {

class TFmemacc : public ui::Form {
  public:
    enum class Mode { Add, Update, View };

    explicit TFmemacc(App& app);

    ui::Edit& Ememno;
    ui::Edit& Edit1;
    ui::Edit& Edit2;
    ui::Edit& Edit3;
    ui::Edit& Edit4;
    ui::Edit& Edit5;
    ui::Edit& Edit6;
    ui::Edit& Edit7;
    ui::Edit& Edit8;
    ui::Edit& Edit9;
    ui::Edit& Edit10;
    ui::Edit& Edit11;
    ui::Edit& Edit12;
    ui::Edit& Edit13;
    ui::Edit& Edit14;
    ui::Edit& Edit15;
    ui::Edit& Edit16;
    ui::Edit& Edit17;
    ui::Edit& Edit18;
    ui::Label& LShare1;
    ui::Label& Lshare2;
    ui::Label& Lloan;
    ui::Label& Lintdue;
    ui::Label& Llastpaydate;
    ui::Label& Larrears;
    ui::Button& Next;
    ui::Button& Close;
    ui::Button& Copy;

    // Shows the form from the menu in a mode, with the file set already open for it.
    // Later activations (returning from the message form) keep what was typed.
    void Open(Mode mode);
    Mode mode() const { return mode_; }

    void FormActivate();
    void NextClick();
    void CloseClick();
    void EmemnoExit();
    void Edit18Exit();
    void CopyClick();

  private:
    void PresentNext();
    void Present();
    bool SaveForm();
    void WriteCurrent();

    App& app_;
    Mode mode_ = Mode::View;
    bool firstTime_ = false;
    std::int32_t count_ = 0;
    std::int32_t number_ = 0;  // current member number
};

}  // namespace tessary
