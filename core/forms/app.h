#pragma once
// The running program: its run-wide state, the form manager it shows its forms through, and
// the forms of the core (sign-on, main window, message form, set-up and users). The forms of
// the other subsystems are created by the program's assembly and reach all of this through
// the App they are given.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "ui/ui.h"

namespace tessary {

class TFstart;
class TFmain;
class TFmodal;
class TFsetup;
class TFusers;

class App {
  public:
    // The data folders sit in `dataHome`; left empty, beside the program as in a build folder.
    App(ui::Ui& ui, std::string programFolder, std::string dataHome = {});
    ~App();

    // Creates the forms (the sign-on form first), scaled to the screen, and shows sign-on.
    void Start(const std::vector<std::string>& args);

    RunState state;
    ui::Ui& ui;
    const std::string programFolder;
    const std::string dataHome;
    std::vector<std::string> args;
    int screenWidth = 800;

    TFstart& start() { return *start_; }
    TFmain& main() { return *main_; }
    TFmodal& modal() { return *modal_; }
    TFsetup& setup() { return *setup_; }
    TFusers& users() { return *users_; }

    // Takes ownership of a form made by another subsystem, registers and scales it.
    template <typename F, typename... Args>
    F& MakeForm(Args&&... a) {
        auto form = std::make_unique<F>(*this, std::forward<Args>(a)...);
        F& ref = *form;
        Adopt(std::move(form));
        return ref;
    }

    // Shows a one-line message in the message form and waits for its OK.
    void ShowModalMessage(const std::string& text);
    // Ends the program.
    void ShutDown();
    // Today as the clock (or the script) gives it.
    double Today() const;

  private:
    void Adopt(std::unique_ptr<ui::Form> form);

    std::vector<std::unique_ptr<ui::Form>> owned_;
    TFstart* start_ = nullptr;
    TFmain* main_ = nullptr;
    TFmodal* modal_ = nullptr;
    TFsetup* setup_ = nullptr;
    TFusers* users_ = nullptr;
};

}  // namespace tessary
