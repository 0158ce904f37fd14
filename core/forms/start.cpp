#include "core/forms/start.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/dates.h"
#include "core/fileset.h"
#include "core/forms/mainform.h"

namespace tessary {

namespace {

ui::Label& PlaceLabel(ui::Label& l, int x, int y, std::string text) {
    l.left = x;
    l.top = y;
    l.caption = std::move(text);
    return l;
}

bool IsTrainer(const std::vector<std::string>& args) {
    if (args.empty()) return false;
    std::string a = args[0];
    std::transform(a.begin(), a.end(), a.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return a == "trainer";
}

}  // namespace

double ReadDate(const App& app, std::string_view text) {
    // A day number that is not finite is no date: it would pass every range test.
    const double day = ParseDate(text, app.ui.services().Today().year());
    return std::isfinite(day) ? day : 0;
}

TFstart::TFstart(App& app)
    : ui::Form("TFstart"),
      Label1(Add<ui::Label>("Label1")),
      Label3(Add<ui::Label>("Label3")),
      Lmaker(Add<ui::Label>("Lmaker")),
      Lversion(Add<ui::Label>("Lversion")),
      Lpassword(Add<ui::Label>("Lpassword")),
      Password(Add<ui::Edit>("Password")),
      Lday(Add<ui::Label>("Lday")),
      Ldate(Add<ui::Label>("Ldate")),
      EDate(Add<ui::Edit>("EDate")),
      Next(Add<ui::Button>("Next")),
      Bexit(Add<ui::Button>("Bexit")),
      app_(app) {
    caption = " Tessary";
    pictureFile = app.programFolder + "/TS32.png";
    pictureLeft = 60;
    pictureTop = 97;
    pictureWidth = 455;
    pictureHeight = 345;

    for (ui::Label* title : {&Label1, &Label3}) {
        title->font.name = "Times New Roman";
        title->font.bold = true;
        title->font.italic = true;
        title->font.colour = ui::kBlue;
    }
    PlaceLabel(Label1, 60, 18, "Tessary").height = 43;
    Label1.font.size = 32;
    PlaceLabel(Label3, 60, 62, "Savings and loans for co-operatives").height = 27;
    Label3.font.size = 20;
    PlaceLabel(Lmaker, 0, 560, "Tessary co-operative bookkeeping");
    Lmaker.width = 800;
    Lmaker.autoSize = false;
    Lmaker.alignment = ui::Alignment::Center;
    PlaceLabel(Lversion, 560, 110, "Version 3.2c");

    PlaceLabel(Lpassword, 560, 170, "Password");
    Password.Place(560, 190, 160, 24);
    Password.maxLength = 8;
    Password.passwordChar = '*';
    Password.upperCase = true;
    Password.tabOrder = 0;

    PlaceLabel(Ldate, 560, 240, "Date");
    EDate.Place(560, 260, 160, 24);
    EDate.maxLength = 10;
    EDate.hint = "Date format dd/mm/yyyy";
    EDate.tabOrder = 1;
    PlaceLabel(Lday, 560, 290, "");

    Next.caption = "&Next";
    Next.hint = "Click to enter Tessary";
    Next.Place(560, 340, 160, 30);
    Next.tabOrder = 2;
    Next.isDefault = true;
    Bexit.caption = "&Exit";
    Bexit.hint = "Click to leave Tessary";
    Bexit.Place(560, 390, 160, 30);
    Bexit.tabOrder = 3;

    OnActivate = [this] { FormActivate(); };
    EDate.OnExit = [this] { EDateExit(); };
    Next.OnClick = [this] { NextClick(); };
    Bexit.OnClick = [this] { BexitClick(); };
}

void TFstart::FormActivate() {
    colour = ui::kFormColour;
    // The sign-on form is activated again only on its way out after a failed sign-on.
    if (activated_) return;
    activated_ = true;
    RunState& s = app_.state;

    // The executables refuse such a name before they start; this keeps any other starter
    // from making a folder for it.
    if (const std::string refused = ChooseFolder(s, app_.args); !refused.empty()) {
        app_.main().Lm.caption = refused;
        Fail();
        return;
    }
    PrepareDataFolder(s, app_.programFolder, app_.dataHome);

    const double today = app_.Today();
    s.TodayText = FormatDate(today);
    s.WorkingDate = IsTrainer(app_.args) ? ReadDate(app_, "1/1/2000") : today;
    s.WorkingDateText = FormatDate(s.WorkingDate);
    s.WorkingDayName = WeekdayName(s.WorkingDate);
    EDate.text = s.WorkingDateText;
    Lday.caption = s.WorkingDayName;

    // False only when a disc restore cut short could not be finished: the set may be mixed.
    if (!OpenFileSet(s, kSystemOnly)) {
        Fail();
        return;
    }
    LoadSystemRecord(s);
    CloseFileSet(s, kSystemOnly);
    // A short or damaged record has no drive letter: rewrite it at its full length.
    if (!std::isalpha(static_cast<unsigned char>(s.System.BackupDrive))) {
        s.System.BackupDrive = 'A';
        // Only under the update lock: another copy may be mid-update. Should the repair not
        // reach the disc, the next start tries again.
        File sys;
        if (sys.Open(s.DataPath(DataFileName(DataFile::Sys)), File::Access::ReadWrite) &&
            sys.TryLockExclusive() && StoreSystemRecord(s, sys) && sys.Sync()) {
            sys.Close();
        }
    }
}

void TFstart::EDateExit() {
    RunState& s = app_.state;
    s.WorkingDate = ReadDate(app_, EDate.text);
    if (s.WorkingDate == 0) {
        EDate.text = "dd/mm/yyyy";
        EDate.SetFocus();
        return;
    }
    s.WorkingDateText = FormatDate(s.WorkingDate);
    s.WorkingDayName = WeekdayName(s.WorkingDate);
    Lday.caption = s.WorkingDayName;
}

void TFstart::NextClick() {
    RunState& s = app_.state;
    TFmain& m = app_.main();
    // The date is taken from the field as it stands, whether or not its check has run, and
    // one that is no date (31/02/2026) is refused as there: as working date 0 it would pass
    // both checks below while no period end has been run.
    EDateExit();
    if (s.WorkingDate == 0) return;
    const std::string& typed = Password.text;
    int slot = -1;
    if (!typed.empty()) {
        for (int i = 0; i < kUserSlots; ++i) {
            if (s.System.UserPasswords[i].view() == typed) {
                slot = i;
                break;
            }
        }
    }
    if (slot < 0) {
        m.OK.caption = "&Exit";
        m.Lm.caption = "Invalid password";
        Fail();
        return;
    }
    s.UserCode = s.System.UserCodes[slot].str();
    s.UserLevel = s.System.UserLevels[slot];

    if (std::floor(app_.Today()) < s.WorkingDate) {
        m.Lm.caption = "The date cannot be in the future";
    } else if (s.WorkingDate < StoredDate(s.System.LastPeriodEndDate)) {
        m.Lm.caption = "The date cannot be before the last period end date";
    } else {
        app_.ui.Hide(*this);
        app_.ui.Show(m);
        return;
    }
    Fail();
}

void TFstart::Fail() {
    TFmain& m = app_.main();
    // The menus stay out of reach on every failure: the message box is the main window.
    m.EnableMenus(false);
    app_.state.NewPeriodReminder = false;
    m.OK.left = ui::Scaled(350, app_.screenWidth);
    m.OK.visible = true;
    app_.ui.ShowModal(m);
    app_.ShutDown();
}

void TFstart::BexitClick() {
    app_.ShutDown();
}

}  // namespace tessary
