#include "ui/ui.h"

#include <algorithm>

namespace tessary::ui {

Form* Ui::FindForm(std::string_view name) const {
    for (Form* f : forms_) {
        if (f->name() == name) return f;
    }
    return nullptr;
}

void Ui::Activate(Form& form) {
    // The focus rests where it was left, or on the first control in tab order.
    if (!form.focused() || !form.focused()->CanFocus()) form.PlaceFocus(form.FirstInTabOrder());
    if (form.OnActivate) form.OnActivate();
    backend_.Refresh();
}

void Ui::Show(Form& form) {
    if (terminated_) return;
    const bool wasActive = ActiveForm() == &form;
    std::erase(visible_, &form);
    visible_.push_back(&form);
    form.visible = true;
    backend_.FormShown(form);
    if (!wasActive) Activate(form);
}

void Ui::Hide(Form& form) {
    const bool wasActive = ActiveForm() == &form;
    if (!form.visible && std::find(visible_.begin(), visible_.end(), &form) == visible_.end())
        return;
    std::erase(visible_, &form);
    form.visible = false;
    backend_.FormHidden(form);
    if (wasActive && ActiveForm() && !terminated_) Activate(*ActiveForm());
}

ModalResult Ui::ShowModal(Form& form) {
    if (terminated_) return ModalResult::Cancel;
    form.modalResult = ModalResult::None;
    Show(form);
    backend_.RunUntil([&] { return form.modalResult != ModalResult::None || terminated_; });
    const ModalResult result =
        form.modalResult == ModalResult::None ? ModalResult::Cancel : form.modalResult;
    Hide(form);
    form.modalResult = ModalResult::None;
    return result;
}

bool Ui::Click(Button& button) {
    if (!button.visible || !button.enabled || !button.form().visible) return false;
    // A click moves the focus first, running the field checks of the control left. A check
    // that keeps the focus does not stop the click, as with a mouse.
    if (button.form().focused() != &button) button.form().SetFocus(button);
    if (button.modalResult != ModalResult::None) button.form().modalResult = button.modalResult;
    if (button.OnClick) button.OnClick();
    backend_.Refresh();
    return true;
}

bool Ui::ChooseMenu(MenuItem& item) {
    if (!item.OnClick) return true;
    item.OnClick();
    backend_.Refresh();
    return true;
}

void Ui::PressKey(Control& control, char key) {
    if (control.OnKeyPress) control.OnKeyPress(key);
    if (key == '\r') {
        if (auto* button = dynamic_cast<Button*>(&control)) {
            Click(*button);
        } else if (Button* def = control.form().DefaultButton()) {
            Click(*def);
        }
    } else if (key == 27) {
        if (Button* cancel = control.form().CancelButton()) Click(*cancel);
    } else if (key != 0) {
        if (auto* edit = dynamic_cast<Edit*>(&control); edit && !edit->readOnly) {
            edit->text = edit->Typed(edit->text + key);
        }
    }
    backend_.Refresh();
}

void Ui::Quit() {
    terminated_ = true;
    backend_.Quit();
}

}  // namespace tessary::ui
