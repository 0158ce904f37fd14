#pragma once
// The Qt application behind the desktop program and behind scripted runs on screen: the
// QApplication, the backend that draws the forms and the desktop's services, made and ended
// in the right order.

#include <functional>
#include <memory>

#include "ui/qt/qtbackend.h"
#include "ui/qt/qtservices.h"

class QApplication;

namespace tessary::ui {

class QtApp {
  public:
    // `argc` and `argv` as main received them; they must outlive this object. Where there is
    // no display to show on, the windows are drawn offscreen (screenshots still work).
    QtApp(int& argc, char** argv);
    ~QtApp();
    QtApp(const QtApp&) = delete;
    QtApp& operator=(const QtApp&) = delete;

    QtBackend& backend() { return *backend_; }
    QtServices& services() { return *services_; }
    void Attach(Ui& ui) { backend_->Attach(ui); }
    void SetStepper(std::function<bool()> step) { backend_->SetStepper(std::move(step)); }
    void SetScreenWidth(int width) { backend_->SetScreenWidth(width); }

  private:
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QtBackend> backend_;
    std::unique_ptr<QtServices> services_;
};

}  // namespace tessary::ui
