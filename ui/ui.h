#pragma once
// The form manager: which forms are visible and in what order, which one is active, modal
// showing, and the services of the backend. It behaves the same on every backend.

#include <string>
#include <vector>

#include "ui/platform.h"

namespace tessary::ui {

class Ui {
  public:
    Ui(Backend& backend, Services& services) : backend_(backend), services_(services) {}

    // Shows a form on top and activates it (its OnActivate runs).
    void Show(Form& form);
    // Hides a form; the form below it, if any, becomes active again.
    void Hide(Form& form);
    // Shows a form modally and waits until a button gives it a modal result (or the program
    // ends, which reads as Cancel). The form is hidden again afterwards.
    ModalResult ShowModal(Form& form);

    // The visible forms, the topmost last; the active form is the topmost.
    const std::vector<Form*>& VisibleForms() const { return visible_; }
    Form* ActiveForm() const { return visible_.empty() ? nullptr : visible_.back(); }
    Form* FindForm(std::string_view name) const;
    // Every form that exists, so scripts can reach them by name.
    void Register(Form& form) { forms_.push_back(&form); }
    const std::vector<Form*>& Forms() const { return forms_; }

    // The user's actions, as the backend or a script reports them. Each returns false when
    // the control cannot take the action (hidden, disabled).
    bool Click(Button& button);
    bool ChooseMenu(MenuItem& item);
    void PressKey(Control& control, char key);

    // Program end.
    void Quit();
    bool Terminated() const { return terminated_; }

    Backend& backend() { return backend_; }
    Services& services() { return services_; }
    void Refresh() { backend_.Refresh(); }

  private:
    void Activate(Form& form);

    Backend& backend_;
    Services& services_;
    std::vector<Form*> forms_;
    std::vector<Form*> visible_;
    bool terminated_ = false;
};

}  // namespace tessary::ui
