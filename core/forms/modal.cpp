#include "core/forms/modal.h"

namespace tessary {

TFmodal::TFmodal(App&)
    : ui::Form("TFmodal"), Label1(Add<ui::Label>("Label1")), Button1(Add<ui::Button>("Button1")) {
    caption = " ";
    fullScreen = false;
    width = 469;
    height = 225;
    colour = ui::kFormColour;
    Label1.Place(22, 56, 425, 20);
    Label1.autoSize = false;
    Label1.alignment = ui::Alignment::Center;
    Button1.caption = "&OK";
    Button1.Place(197, 130, 75, 25);
    Button1.isDefault = true;
    Button1.modalResult = ui::ModalResult::OK;
}

}  // namespace tessary
