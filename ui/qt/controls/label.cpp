#include <QLabel>

#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

class LabelAdapter : public ControlAdapter {
  public:
    LabelAdapter(Label& m, QLabel* label) : ControlAdapter(m, label), m_(m), label_(label) {
        label_->setTextFormat(Qt::PlainText);
    }

    Qt::FocusPolicy Policy() const override { return Qt::NoFocus; }

  protected:
    void SyncKind(Look& look) override {
        const QString text = ToQt(m_.caption);
        if (label_->text() != text) label_->setText(text);
        const Qt::Alignment align =
            Qt::AlignTop | (m_.alignment == Alignment::Left     ? Qt::AlignLeft
                            : m_.alignment == Alignment::Center ? Qt::AlignHCenter
                                                                : Qt::AlignRight);
        if (label_->alignment() != align) label_->setAlignment(align);
        look.Paint(QPalette::WindowText, Ink(), false);
        if (label_->autoFillBackground() == m_.transparent)
            label_->setAutoFillBackground(!m_.transparent);
        if (!m_.transparent) look.Paint(QPalette::Window, Paper(), true);
        if (m_.autoSize) {
            // A right-aligned label keeps its right edge as its text grows or shrinks.
            const QSize size = label_->sizeHint();
            const int x = m_.alignment == Alignment::Right && m_.width > 0
                              ? m_.left + m_.width - size.width()
                              : m_.left;
            look.place = QRect(x, m_.top, size.width(), size.height());
        }
    }

  private:
    Label& m_;
    QLabel* label_;
};

}  // namespace

std::unique_ptr<ControlAdapter> MakeLabel(Label& m, QWidget* parent) {
    return std::make_unique<LabelAdapter>(m, new QLabel(parent));
}

}  // namespace tessary::ui
