#include "ui/form.h"

#include <gtest/gtest.h>

#include "ui/headless.h"
#include "ui/ui.h"

namespace tessary::ui {
namespace {

class TwoFields : public Form {
  public:
    TwoFields() : Form("TFtest"), A(Add<Edit>("A")), B(Add<Edit>("B")), Go(Add<Button>("Go")) {
        A.tabOrder = 0;
        B.tabOrder = 1;
        Go.tabOrder = 2;
        visible = true;
    }
    Edit& A;
    Edit& B;
    Button& Go;
};

TEST(FormFocus, ExitHandlerThatKeepsTheFocusWins) {
    TwoFields f;
    std::vector<std::string> events;
    f.A.OnExit = [&] {
        events.push_back("exit A");
        if (f.A.text.empty()) f.A.SetFocus();
    };
    f.B.OnEnter = [&] { events.push_back("enter B"); };
    f.PlaceFocus(&f.A);

    EXPECT_FALSE(f.SetFocus(f.B));
    EXPECT_EQ(f.focused(), &f.A);
    f.A.text = "ok";
    EXPECT_TRUE(f.SetFocus(f.B));
    EXPECT_EQ(f.focused(), &f.B);
    EXPECT_EQ(events, (std::vector<std::string>{"exit A", "exit A", "enter B"}));
}

TEST(FormFocus, ExitHandlerMayRedirectTheFocusElsewhere) {
    TwoFields f;
    f.A.OnExit = [&] { f.Go.SetFocus(); };
    f.PlaceFocus(&f.A);
    EXPECT_FALSE(f.SetFocus(f.B));
    EXPECT_EQ(f.focused(), &f.Go);
}

TEST(FormFocus, TabOrderSkipsHiddenDisabledAndLabels) {
    TwoFields f;
    f.Add<Label>("L").tabOrder = 1;
    f.B.visible = false;
    EXPECT_EQ(f.FirstInTabOrder(), &f.A);
    EXPECT_EQ(f.NextInTabOrder(&f.A), &f.Go);
    EXPECT_EQ(f.NextInTabOrder(&f.Go), &f.A);  // wraps round
    EXPECT_EQ(f.NextInTabOrder(&f.A, true), &f.Go);
    f.Go.enabled = false;
    EXPECT_EQ(f.NextInTabOrder(&f.A), &f.A);
}

TEST(FormScaling, ScalesPlacesAndFontsToTheScreen) {
    TwoFields f;
    f.A.left = 100;
    f.A.top = 50;
    f.A.width = 75;
    f.ScaleTo(800);
    EXPECT_EQ(f.A.left, 100);
    EXPECT_EQ(f.fontSize, 10);
    f.ScaleTo(1024);
    EXPECT_EQ(f.A.left, 128);
    EXPECT_EQ(f.A.top, 64);
    EXPECT_EQ(f.A.width, 96);
    EXPECT_EQ(f.fontSize, 13);  // 12.8 rounded
    TwoFields g;
    g.ScaleTo(1920);
    EXPECT_EQ(g.fontSize, 24);
}

TEST(EditTyping, CutsToMaxLengthAndUpperCases) {
    TwoFields f;
    f.A.maxLength = 8;
    f.A.upperCase = true;
    EXPECT_EQ(f.A.Typed("password1"), "PASSWORD");
    EXPECT_EQ(f.A.Typed("caf\xe9"), "CAF\xc9");  // Windows-1252 é to É
}

TEST(Menus, AnItemIsUsableOnlyWhenEveryMenuAboveIsEnabled) {
    MainMenu m;
    auto& top = m.Add("Top", "&Top");
    auto& item = top.Add("Item", "&Item");
    EXPECT_TRUE(m.Usable(item));
    top.enabled = false;
    EXPECT_FALSE(m.Usable(item));
    EXPECT_EQ(m.Find("Item"), &item);
    EXPECT_EQ(m.Find("Nothing"), nullptr);
    EXPECT_EQ(StripAccelerator("&Save && Exit"), "Save & Exit");
}

TEST(FormManager, ActivationFollowsShowAndHide) {
    HeadlessBackend backend;
    ScriptServices services(backend, std::chrono::year{2026} / 12 / 8);
    Ui ui(backend, services);
    TwoFields a, b;
    a.visible = b.visible = false;
    int activations = 0;
    a.OnActivate = [&] { ++activations; };
    ui.Show(a);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(a.focused(), &a.A);  // the first control in tab order
    ui.Show(b);
    EXPECT_EQ(ui.ActiveForm(), &b);
    ui.Hide(b);
    EXPECT_EQ(activations, 2);  // back on top, a is activated again
    ui.Show(a);
    EXPECT_EQ(activations, 2);  // already active

    // With no user actions to wait for, a modal showing ends as Cancel and hides again.
    EXPECT_EQ(ui.ShowModal(b), ModalResult::Cancel);
    EXPECT_FALSE(b.visible);
    EXPECT_EQ(ui.ActiveForm(), &a);
}

TEST(FormManager, ButtonsGiveTheirModalResultAndRunTheirHandler) {
    HeadlessBackend backend;
    ScriptServices services(backend, std::chrono::year{2026} / 12 / 8);
    Ui ui(backend, services);
    TwoFields f;
    f.visible = false;
    int clicks = 0;
    f.Go.modalResult = ModalResult::OK;
    f.Go.OnClick = [&] { ++clicks; };
    bool pressed = false;
    backend.SetStepper([&] {
        if (pressed) return false;
        pressed = true;
        return ui.Click(f.Go);
    });
    EXPECT_EQ(ui.ShowModal(f), ModalResult::OK);
    EXPECT_EQ(clicks, 1);
    f.Go.enabled = false;
    EXPECT_FALSE(ui.Click(f.Go));
}

}  // namespace
}  // namespace tessary::ui
