#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QValidator>
#include <algorithm>

#include "core/text.h"
#include "ui/qt/controls/adapter.h"
#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

const char* const kPasswordChar = "tessaryPasswordChar";

class Cp1252Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (QChar c : input) {
            if (!InCp1252(c)) return Invalid;
        }
        return Acceptable;
    }
};

// Password fields show the form's password character rather than the style's bullet.
class EchoStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter && widget) {
            const QVariant c = widget->property(kPasswordChar);
            if (c.isValid()) return c.toInt();
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

class EditAdapter : public ControlAdapter {
  public:
    EditAdapter(Edit& m, QLineEdit* edit, ControlHost& host)
        : ControlAdapter(m, edit), m_(m), edit_(edit), host_(host) {
        edit_->setValidator(new Cp1252Validator(edit_));
        edit_->setProperty(kPasswordChar, static_cast<int>(u'*'));
        edit_->setStyle(&host.EditStyle());
        QObject::connect(edit_, &QLineEdit::textEdited, &host,
                         [this](const QString& typed) { Typed(typed); });
    }

  protected:
    void SyncKind(Look& look) override {
        const QString text = ToQt(m_.text);
        // A text set longer than the limit is shown whole; the user can only shorten it.
        const int limit =
            m_.maxLength > 0 ? std::max<int>(m_.maxLength, static_cast<int>(text.size())) : 32767;
        if (edit_->maxLength() != limit) edit_->setMaxLength(limit);
        if (edit_->text() != text) edit_->setText(text);
        if (m_.passwordChar) {
            const int shown = ToQt(std::string(1, m_.passwordChar))[0].unicode();
            if (edit_->property(kPasswordChar).toInt() != shown) {
                edit_->setProperty(kPasswordChar, shown);
                QEvent restyle(QEvent::StyleChange);
                QCoreApplication::sendEvent(edit_, &restyle);
            }
        }
        const auto mode = m_.passwordChar ? QLineEdit::Password : QLineEdit::Normal;
        if (edit_->echoMode() != mode) edit_->setEchoMode(mode);
        if (edit_->isReadOnly() != m_.readOnly) edit_->setReadOnly(m_.readOnly);
        PaintField(look);
    }

  private:
    void Typed(const QString& typed) {
        if (host_.syncing) return;
        QString shown = typed;
        if (m_.upperCase) {
            const QString upper = ToQt(UpperCase1252(FromQt(typed)));
            if (upper != typed) {
                const int at = edit_->cursorPosition();
                ++host_.syncing;
                edit_->setText(upper);
                edit_->setCursorPosition(at);
                --host_.syncing;
                shown = upper;
            }
        }
        m_.text = FromQt(shown);
    }

    Edit& m_;
    QLineEdit* edit_;
    ControlHost& host_;
};

}  // namespace

std::unique_ptr<QStyle> MakeEditStyle() {
    return std::make_unique<EchoStyle>();
}

std::unique_ptr<ControlAdapter> MakeEdit(Edit& m, QWidget* parent, ControlHost& host) {
    return std::make_unique<EditAdapter>(m, new QLineEdit(parent), host);
}

}  // namespace tessary::ui
