#include "core/forms/app.h"

#include <cmath>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/forms/modal.h"
#include "core/forms/setup.h"
#include "core/forms/start.h"

namespace tessary {

App::App(ui::Ui& u, std::string folder, std::string home)
    : ui(u),
      programFolder(std::move(folder)),
      dataHome(home.empty() ? programFolder : std::move(home)) {
    ui.services().SetProgramFolders(programFolder, dataHome);
}

App::~App() = default;

void App::Adopt(std::unique_ptr<ui::Form> form) {
    form->ScaleTo(screenWidth);
    ui.Register(*form);
    owned_.push_back(std::move(form));
}

void App::Start(const std::vector<std::string>& arguments) {
    args = arguments;
    screenWidth = ui.backend().ScreenWidth();
    start_ = &MakeForm<TFstart>();
    setup_ = &MakeForm<TFsetup>();
    users_ = &MakeForm<TFusers>();
    main_ = &MakeForm<TFmain>();
    modal_ = &MakeForm<TFmodal>();
    state.desk = main_;
    // The title and tagline keep their own sizes, scaled apart from the form's font.
    if (screenWidth != 800) {
        start_->Label1.font.size = static_cast<int>(std::nearbyint(screenWidth * 32 / 800.0));
        start_->Label3.font.size = static_cast<int>(std::nearbyint(screenWidth * 20 / 800.0));
    }
    ui.Show(*start_);
}

void App::ShowModalMessage(const std::string& text) {
    modal_->Label1.caption = text;
    ui.ShowModal(*modal_);
}

void App::ShutDown() {
    tessary::ShutDown(state);
}

double App::Today() const {
    return ToDayNumber(ui.services().Today());
}

}  // namespace tessary
