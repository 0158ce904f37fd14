#pragma once
// The desktop front end: every form model drawn as a Qt window and the user's actions reported
// to the form manager. Nothing outside this folder includes Qt; a QApplication must exist
// before the backend is made and must outlive it.

#include <functional>
#include <memory>
#include <string>

#include "ui/ui.h"

class QMainWindow;
class QWidget;

namespace tessary::ui {

class QtBackend : public Backend {
  public:
    QtBackend();
    ~QtBackend() override;
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    // The form manager that the user's actions go to. Until then the windows only show.
    void Attach(Ui& ui);
    // Scripted running: RunUntil runs one script command per turn instead of waiting for the
    // user; `step` returns false when the script has ended.
    void SetStepper(std::function<bool()> step);
    // The width the forms are scaled to, instead of the primary screen's (0: the screen's).
    void SetScreenWidth(int width);
    // Drops the window of a form that is about to be destroyed.
    void Forget(Form& form);

    // The Qt window of a form and the widget of a control; nullptr until the form is drawn.
    QMainWindow* WindowOf(const Form& form) const;
    QWidget* WidgetOf(const Control& control) const;

    void FormShown(Form& form) override;
    void FormHidden(Form& form) override;
    void Refresh() override;
    void RunUntil(const std::function<bool()>& done) override;
    void Quit() override;
    bool Screenshot(Form& form, const std::string& path) override;
    int ScreenWidth() override;

    class Impl;

  private:
    std::unique_ptr<Impl> d_;
};

}  // namespace tessary::ui
