#include "ui/qt/controls/adapter.h"

#include <QWidget>

#include "ui/qt/convert.h"

namespace tessary::ui {

void ControlAdapter::Look::Paint(QPalette::ColorRole role, const QColor& colour, bool disabledToo) {
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    if (disabledToo) palette.setColor(QPalette::Disabled, role, colour);
}

QColor ControlAdapter::Ink() const {
    return ToQColor(model_.font.colour);
}

QColor ControlAdapter::Paper() const {
    return ToQColor(model_.colour);
}

void ControlAdapter::PaintField(Look& look) const {
    look.Paint(QPalette::Text, Ink(), false);
    look.Paint(QPalette::Base, Paper(), true);
}

Qt::FocusPolicy ControlAdapter::Policy() const {
    return model_.tabStop ? Qt::StrongFocus : Qt::ClickFocus;
}

void ControlAdapter::Sync() {
    Control& c = model_;
    QWidget* w = widget_;
    const QFont font = ControlFont(c.form(), c);
    if (w->font() != font) w->setFont(font);
    const QPalette before = w->palette();
    Look look{before, QRect(c.left, c.top, c.width, c.height)};
    SyncKind(look);
    if (!(look.palette == before)) w->setPalette(look.palette);
    if (w->geometry() != look.place) w->setGeometry(look.place);
    if (w->isHidden() == c.visible) w->setVisible(c.visible);
    if (w->isEnabled() != c.enabled) w->setEnabled(c.enabled);
    const QString hint = ToQt(c.hint);
    if (w->toolTip() != hint) w->setToolTip(hint);
    if (w->focusPolicy() != Policy()) w->setFocusPolicy(Policy());
}

std::unique_ptr<ControlAdapter> MakeAdapter(Control& c, QWidget* parent, ControlHost& host) {
    switch (c.kind()) {
        case Control::Kind::Label:
            return MakeLabel(static_cast<Label&>(c), parent);
        case Control::Kind::Edit:
            return MakeEdit(static_cast<Edit&>(c), parent, host);
        case Control::Kind::Button:
            return MakeButton(static_cast<Button&>(c), parent, host);
        case Control::Kind::ListBox:
            return MakeListBox(static_cast<ListBox&>(c), parent, host);
        case Control::Kind::Grid:
            return MakeGrid(static_cast<StringGrid&>(c), parent, host);
        case Control::Kind::Memo:
            return MakeMemo(static_cast<Memo&>(c), parent, host);
    }
    return nullptr;
}

}  // namespace tessary::ui
