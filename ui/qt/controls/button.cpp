#include <QPushButton>

#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

class ButtonAdapter : public ControlAdapter {
  public:
    ButtonAdapter(Button& m, QPushButton* button, ControlHost& host)
        : ControlAdapter(m, button), m_(m), button_(button) {
        button_->setAutoDefault(false);
        QObject::connect(button_, &QPushButton::clicked, &host, [&host, &m] {
            if (host.Live(m.form())) host.Click(m);
        });
    }

    // A mouse click on a button does not move the focus itself: the form manager does, once,
    // running the field checks of the control left.
    Qt::FocusPolicy Policy() const override { return m_.tabStop ? Qt::TabFocus : Qt::NoFocus; }

  protected:
    void SyncKind(Look& look) override {
        const QString text = ToQt(m_.caption);
        if (button_->text() != text) button_->setText(text);
        if (button_->isDefault() != m_.isDefault) button_->setDefault(m_.isDefault);
        look.Paint(QPalette::ButtonText, Ink(), false);
    }

  private:
    Button& m_;
    QPushButton* button_;
};

}  // namespace

std::unique_ptr<ControlAdapter> MakeButton(Button& m, QWidget* parent, ControlHost& host) {
    return std::make_unique<ButtonAdapter>(m, new QPushButton(parent), host);
}

}  // namespace tessary::ui
