#include "core/forms/setup.h"

#include "core/fileset.h"
#include "core/forms/mainform.h"
#include "core/text.h"

namespace tessary {

namespace {

void Row(ui::Label& label, ui::Edit& edit, int y, const char* caption, int maxLength, int tab,
         const char* hint = "") {
    label.left = 150;
    label.top = y + 4;
    label.caption = caption;
    edit.Place(400, y, 250, 24);
    edit.maxLength = maxLength;
    edit.tabOrder = tab;
    edit.hint = hint;
}

}  // namespace

TFsetup::TFsetup(App& app)
    : ui::Form("TFsetup"),
      Label1(Add<ui::Label>("Label1")),
      cuname(Add<ui::Edit>("cuname")),
      linterest(Add<ui::Label>("linterest")),
      interest(Add<ui::Edit>("interest")),
      lmethod(Add<ui::Label>("lmethod")),
      Method(Add<ui::Edit>("Method")),
      lperiodno(Add<ui::Label>("lperiodno")),
      Periodno(Add<ui::Edit>("Periodno")),
      lmaxshares(Add<ui::Label>("lmaxshares")),
      Maxshares(Add<ui::Edit>("Maxshares")),
      lmaxloan(Add<ui::Label>("lmaxloan")),
      maxloan(Add<ui::Edit>("maxloan")),
      Label2(Add<ui::Label>("Label2")),
      Drive(Add<ui::Edit>("Drive")),
      Next(Add<ui::Button>("Next")),
      Close(Add<ui::Button>("Close")),
      app_(app) {
    caption = "Set up Credit Union";
    Row(Label1, cuname, 60, "Credit Union Name", 30, 0, "This name appears on all reports");
    Row(linterest, interest, 110, "Interest % per  Month", 10, 1);
    Row(lmethod, Method, 160, "Interest method (1 or 2)", 2, 2,
        "Interest calculated - Method 1 fixed per month, Method 2 daily");
    Row(lperiodno, Periodno, 210, "Period number (1-12)", 3, 3,
        "Number of the current period in your financial year");
    Row(lmaxshares, Maxshares, 260, "Maximum insured shares", 11, 4);
    Row(lmaxloan, maxloan, 310, "Maximum insured loan", 11, 5);
    Row(Label2, Drive, 360, "Backup drive letter", 1, 8);
    Next.caption = "&Next";
    Next.Place(250, 450, 100, 30);
    Next.tabOrder = 6;
    Close.caption = "&Close";
    Close.Place(450, 450, 100, 30);
    Close.tabOrder = 7;

    OnActivate = [this] { FormActivate(); };
    Next.OnClick = [this] { NextClick(); };
    Close.OnClick = [this] { CloseClick(); };
}

void TFsetup::FormActivate() {
    colour = ui::kFormColour;
    const SystemRecord& sys = app_.state.System;
    cuname.text = sys.UnionName.str();
    interest.text = FixedText(sys.InterestRate, 6);
    Method.text = std::to_string(sys.InterestMethod);
    Periodno.text = std::to_string(sys.PeriodNumber);
    Maxshares.text = FixedText(sys.MaxInsuredShares, 2);
    maxloan.text = FixedText(sys.MaxInsuredLoan, 2);
    Drive.text = std::string(1, sys.BackupDrive);
}

void TFsetup::StoreFields() {
    SystemRecord& sys = app_.state.System;
    sys.UnionName.set(cuname.text);
    sys.InterestRate = ReadNumber(interest.text);
    const int method = ReadWholeNumber(Method.text);
    sys.InterestMethod = method == 1 || method == 2 ? method : 1;
    const int period = ReadWholeNumber(Periodno.text);
    sys.PeriodNumber = period >= 1 && period <= 13 ? period : 1;
    sys.MaxInsuredShares = ReadNumber(Maxshares.text);
    sys.MaxInsuredLoan = ReadNumber(maxloan.text);
    // The drive letter stays one character: an emptied field keeps the letter there was.
    if (!Drive.text.empty()) sys.BackupDrive = Drive.text[0];
}

void TFsetup::NextClick() {
    StoreFields();
    app_.ui.Hide(*this);
    app_.ui.Show(app_.users());
}

void TFsetup::CloseClick() {
    StoreFields();
    ReturnToMain(app_, *this, kUpdate);
}

TFusers::TFusers(App& app)
    : ui::Form("TFusers"),
      Users(Add<ui::StringGrid>("Users")),
      Memo1(Add<ui::Memo>("Memo1")),
      Back(Add<ui::Button>("Back")),
      app_(app) {
    caption = "Set up users";
    Users.left = 150;
    Users.top = 40;
    Users.Resize(16, 3);
    Users.colWidths = {56, 94, 54};
    Users.defaultRowHeight = 24;
    Users.width = 56 + 94 + 54 + 8;
    Users.height = 16 * 25 + 4;
    Users.editable = true;
    Users.tabOrder = 0;
    Memo1.Place(420, 40, 230, 170);
    Memo1.font.name = "Courier New";
    Memo1.lines = {"",
                   "                    ",
                   "                 Level",
                   "",
                   "System Controller  1",
                   "Supervisor         2",
                   "Operator           3",
                   "Auditor            4"};
    Memo1.tabStop = false;
    Back.caption = "&Back";
    Back.Place(350, 480, 100, 30);
    Back.tabOrder = 1;

    OnActivate = [this] { FormActivate(); };
    Back.OnClick = [this] { BackClick(); };
}

void TFusers::FormActivate() {
    colour = ui::kFormColour;
    Users.colour = ui::kFormColour;
    Memo1.colour = ui::kFormColour;
    const SystemRecord& sys = app_.state.System;
    Users.cells[0] = {"User", "Password", "Level"};
    for (int i = 1; i <= kUserSlots; ++i) {
        const int level = sys.UserLevels[i - 1];
        Users.Cell(i, 0) = sys.UserCodes[i - 1].str();
        Users.Cell(i, 1) = sys.UserPasswords[i - 1].str();
        Users.Cell(i, 2) = level > 0 ? std::to_string(level) : "";
    }
    // Slot 1 is always the System Controller.
    Users.Cell(1, 2) = "1";
}

void TFusers::BackClick() {
    SystemRecord& sys = app_.state.System;
    for (int i = 1; i <= kUserSlots; ++i) {
        sys.UserCodes[i - 1].set(Users.Cell(i, 0));
        sys.UserPasswords[i - 1].set(UpperCase1252(Users.Cell(i, 1)));
        const int level = ReadWholeNumber(Users.Cell(i, 2));
        sys.UserLevels[i - 1] = level > 4 ? 4 : level;
    }
    app_.ui.Hide(*this);
    app_.ui.Show(app_.setup());
}

}  // namespace tessary
