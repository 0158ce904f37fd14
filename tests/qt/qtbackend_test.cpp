// The Qt backend driven as a user would drive it, on Qt's offscreen platform.

#include "ui/qt/qtbackend.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ui/qt/qtservices.h"

namespace tessary::ui {
namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override { delete app_; }

  private:
    int argc_ = 1;
    char name_[16] = "qtbackend_test";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class QtBackendTest : public ::testing::Test {
  protected:
    QtBackendTest() { backend.Attach(ui); }

    Edit& AddEdit(Form& f, const std::string& name, int top, int tabOrder) {
        auto& e = f.Add<Edit>(name);
        e.left = 100, e.top = top, e.width = 150, e.height = 21, e.tabOrder = tabOrder;
        return e;
    }
    Button& AddButton(Form& f, const std::string& name, int left, int tabOrder) {
        auto& b = f.Add<Button>(name);
        b.caption = "&" + name;
        b.left = left, b.top = 300, b.width = 75, b.height = 25, b.tabOrder = tabOrder;
        return b;
    }
    void ShowAndWait(Form& f) {
        ui.Show(f);
        ASSERT_TRUE(QTest::qWaitForWindowActive(backend.WindowOf(f)));
        QApplication::processEvents();
    }
    template <typename W>
    W* View(const Control& c) {
        return static_cast<W*>(backend.WidgetOf(c));
    }
    QWidget* Focus() { return QApplication::focusWidget(); }

    QtBackend backend;
    QtServices services;
    Ui ui{backend, services};
    Form form{"Test"};
};

TEST_F(QtBackendTest, TypingUpperCasesIntoTheModelAndKeepsTheCursor) {
    Edit& pass = AddEdit(form, "Pass", 20, 0);
    pass.passwordChar = '*';
    pass.upperCase = true;
    pass.maxLength = 6;
    ShowAndWait(form);
    auto* edit = View<QLineEdit>(pass);
    ASSERT_EQ(Focus(), edit);
    QTest::keyClicks(edit, "ab");
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Eacute, QString(QChar(0xE9)), Qt::NoModifier);
    QTest::keyClicks(edit, "1");
    EXPECT_EQ(pass.text,
              std::string("AB\xc9") + "1");  // Windows-1252 "ABÉ1"
    EXPECT_EQ(edit->displayText(), "****");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Right);
    QTest::keyClicks(edit, "xyz");  // only two more fit
    EXPECT_EQ(pass.text, std::string("AXYB\xc9") + "1");
    EXPECT_EQ(edit->cursorPosition(), 3);
}

TEST_F(QtBackendTest, RefreshShowsTheModelAndLeavesUnchangedTextAlone) {
    auto& label = form.Add<Label>("L");
    label.caption = "Before";
    Edit& edit = AddEdit(form, "E", 50, 0);
    edit.text = "12345";
    auto& list = form.Add<ListBox>("Lb");
    auto& memo = form.Add<Memo>("M");
    ShowAndWait(form);
    View<QLineEdit>(edit)->setCursorPosition(2);

    label.caption = "After \x80";  // the euro sign
    list.items = {"one", "two"};
    list.itemIndex = 1;
    memo.lines = {"first", "second"};
    edit.enabled = false;
    ui.Refresh();
    EXPECT_EQ(View<QLabel>(label)->text(), QString::fromUtf8("After \xe2\x82\xac"));
    EXPECT_EQ(View<QListWidget>(list)->currentItem()->text(), "two");
    EXPECT_EQ(View<QPlainTextEdit>(memo)->toPlainText(), "first\nsecond");
    EXPECT_FALSE(View<QLineEdit>(edit)->isEnabled());
    EXPECT_EQ(View<QLineEdit>(edit)->cursorPosition(), 2);

    label.visible = false;
    edit.text = "abc";
    ui.Refresh();
    EXPECT_TRUE(View<QLabel>(label)->isHidden());
    EXPECT_EQ(View<QLineEdit>(edit)->text(), "abc");
}

TEST_F(QtBackendTest, EnterAndEscapeGoThroughTheFormManagerOnce) {
    AddEdit(form, "E", 20, 0);
    Button& ok = AddButton(form, "OK", 20, 1);
    Button& cancel = AddButton(form, "Cancel", 120, 2);
    ok.isDefault = true;
    cancel.isCancel = true;
    int oks = 0, cancels = 0;
    ok.OnClick = [&] { ++oks; };
    cancel.OnClick = [&] { ++cancels; };
    ShowAndWait(form);
    QTest::keyClick(Focus(), Qt::Key_Return);
    EXPECT_EQ(oks, 1);
    // The default button has the focus now; Enter there clicks it once more, not twice.
    ASSERT_EQ(Focus(), backend.WidgetOf(ok));
    QTest::keyClick(Focus(), Qt::Key_Enter);
    EXPECT_EQ(oks, 2);
    QTest::keyClick(Focus(), Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(oks, 2);
}

TEST_F(QtBackendTest, KeyPressHandlerSwallowsAndReplacesKeys) {
    Edit& amount = AddEdit(form, "Amount", 20, 0);
    amount.OnKeyPress = [](char& key) {
        if (key == ',') key = '.';
        if ((key < '0' || key > '9') && key != '.' && key != '\b') key = 0;
    };
    ShowAndWait(form);
    QTest::keyClicks(Focus(), "1a2,5x");
    EXPECT_EQ(amount.text, "12.5");
    QTest::keyClick(Focus(), Qt::Key_Backspace);
    EXPECT_EQ(amount.text, "12.");
}

TEST_F(QtBackendTest, TabFollowsTheModelOrderAndAFieldCheckKeepsTheFocus) {
    Edit& third = AddEdit(form, "Third", 80, 2);
    Edit& first = AddEdit(form, "First", 20, 0);
    Edit& second = AddEdit(form, "Second", 50, 1);
    int exits = 0;
    second.OnExit = [&] {
        ++exits;
        if (second.text.empty()) second.SetFocus();
    };
    ShowAndWait(form);
    ASSERT_EQ(Focus(), backend.WidgetOf(first));
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(form.focused(), &second);
    EXPECT_EQ(Focus(), backend.WidgetOf(second));
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(form.focused(), &second);
    EXPECT_EQ(Focus(), backend.WidgetOf(second));
    QTest::keyClicks(Focus(), "x");
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(form.focused(), &third);
    EXPECT_EQ(Focus(), backend.WidgetOf(third));
    QTest::keyClick(Focus(), Qt::Key_Backtab);
    EXPECT_EQ(form.focused(), &second);
}

TEST_F(QtBackendTest, AMouseClickMovesTheFocusThroughTheModel) {
    Edit& first = AddEdit(form, "First", 20, 0);
    Edit& second = AddEdit(form, "Second", 50, 1);
    bool bounced = false;
    first.OnExit = [&] {
        if (!bounced) first.SetFocus();
        bounced = true;
    };
    ShowAndWait(form);
    QTest::mouseClick(backend.WidgetOf(second), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(bounced);
    EXPECT_EQ(form.focused(), &first);
    EXPECT_EQ(Focus(), backend.WidgetOf(first));
    QTest::mouseClick(backend.WidgetOf(second), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(form.focused(), &second);
    EXPECT_EQ(Focus(), backend.WidgetOf(second));
}

TEST_F(QtBackendTest, MenuItemsRunOnlyWhenUsable) {
    form.menu = std::make_unique<MainMenu>();
    int lists = 0, helps = 0;
    MenuItem& members = form.menu->Add("Members", "&Members");
    members.Add("List", "&List", [&] { ++lists; });
    form.menu->Add("Help", "&Help", [&] { ++helps; });
    ShowAndWait(form);
    const QList<QAction*> top = backend.WindowOf(form)->menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), "&Members");
    ASSERT_NE(top[0]->menu(), nullptr);
    EXPECT_EQ(top[1]->menu(), nullptr);  // clicked straight in the menu bar
    QAction* list = top[0]->menu()->actions().at(0);
    list->trigger();
    top[1]->trigger();
    EXPECT_EQ(lists, 1);
    EXPECT_EQ(helps, 1);
    members.enabled = false;
    ui.Refresh();
    EXPECT_FALSE(top[0]->isEnabled());
    list->trigger();
    EXPECT_EQ(lists, 1);
}

TEST_F(QtBackendTest, GridSelectionAndEditingReachTheModel) {
    auto& grid = form.Add<StringGrid>("Grid");
    grid.left = 10, grid.top = 10, grid.width = 300, grid.height = 200, grid.tabOrder = 0;
    grid.Resize(4, 2);
    grid.Cell(0, 0) = "Code";
    grid.Cell(1, 0) = "A1";
    grid.editable = true;
    Button& ok = AddButton(form, "OK", 20, 1);
    ok.isDefault = true;
    int oks = 0, selections = 0;
    ok.OnClick = [&] { ++oks; };
    grid.OnSelectCell = [&] { ++selections; };
    ShowAndWait(form);
    auto* table = View<QTableWidget>(grid);
    EXPECT_FALSE(table->item(0, 0)->flags() & (Qt::ItemIsEnabled | Qt::ItemIsEditable));
    EXPECT_TRUE(table->item(1, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(table->item(1, 0)->text(), "A1");
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(grid.row, 2);
    EXPECT_EQ(selections, 1);
    QTest::keyClick(table, Qt::Key_Up);
    QTest::keyClick(table, Qt::Key_Up);  // the heading row cannot be reached
    EXPECT_EQ(grid.row, 1);
    QTest::keyClick(table, Qt::Key_Right);
    QTest::keyClicks(table, "4");  // starts editing the cell
    ASSERT_NE(Focus(), table);
    QTest::keyClicks(Focus(), "2");
    QTest::keyClick(Focus(), Qt::Key_Return);
    EXPECT_EQ(grid.Cell(1, 1), "42");
    EXPECT_EQ(oks, 1);
}

TEST_F(QtBackendTest, AMousePressOnAGridRowSelectsItAndClicksOnce) {
    auto& grid = form.Add<StringGrid>("Bank");
    grid.left = 10, grid.top = 10, grid.width = 300, grid.height = 200, grid.tabOrder = 0;
    grid.fixedRows = 0;
    grid.Resize(5, 1);
    grid.colWidths = {280};
    grid.row = 0;
    std::vector<int> clicked;
    grid.OnClick = [&] { clicked.push_back(grid.row); };
    ShowAndWait(form);
    auto* table = View<QTableWidget>(grid);
    const QRect cell = table->visualRect(table->model()->index(3, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid.row, 3);
    EXPECT_EQ(clicked, std::vector<int>{3});
}

TEST_F(QtBackendTest, ListBoxReportsSelectionAndDoubleClick) {
    auto& list = form.Add<ListBox>("List");
    list.left = 10, list.top = 10, list.width = 200, list.height = 100;
    list.items = {"CU1", "PATCH", "TRAINER"};
    list.itemIndex = 0;
    int clicks = 0, doubles = 0;
    list.OnClick = [&] { ++clicks; };
    list.OnDblClick = [&] { ++doubles; };
    ShowAndWait(form);
    auto* view = View<QListWidget>(list);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(list.itemIndex, 1);
    EXPECT_EQ(clicks, 1);
    const QRect row = view->visualItemRect(view->item(2));
    // A double click is a click and then a double-click event at the same place.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(list.itemIndex, 2);
    EXPECT_EQ(doubles, 1);
}

TEST_F(QtBackendTest, OnlyTheTopFormTakesInput) {
    Button& below = AddButton(form, "Below", 20, 0);
    auto& belowList = form.Add<ListBox>("BelowList");
    belowList.left = 10, belowList.top = 10, belowList.width = 200, belowList.height = 100;
    belowList.items = {"one", "two"};
    belowList.itemIndex = 0;
    int belowClicks = 0;
    below.OnClick = [&] { ++belowClicks; };
    Form top("Top");
    top.fullScreen = false;
    top.width = 300, top.height = 100;
    ShowAndWait(form);
    ShowAndWait(top);
    QTest::mouseClick(backend.WidgetOf(below), Qt::LeftButton);
    auto* list = static_cast<QListWidget*>(backend.WidgetOf(belowList));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(belowClicks, 0);
    EXPECT_EQ(belowList.itemIndex, 0);
    ui.Hide(top);
    QTest::mouseClick(backend.WidgetOf(below), Qt::LeftButton);
    EXPECT_EQ(belowClicks, 1);
}

TEST_F(QtBackendTest, AModalFormWaitsForItsButtonAndGivesTheFocusBack) {
    Edit& field = AddEdit(form, "Field", 20, 0);
    Button& ask = AddButton(form, "Ask", 20, 1);
    Form dialog("Dialog");
    dialog.fullScreen = false;
    dialog.width = 300, dialog.height = 100;
    Button& yes = AddButton(dialog, "Yes", 20, 0);
    yes.top = 40;
    yes.isDefault = true;
    yes.modalResult = ModalResult::OK;
    ModalResult answer = ModalResult::None;
    ask.OnClick = [&] {
        answer = ui.ShowModal(dialog);
        field.SetFocus();
    };
    ShowAndWait(form);
    QObject guard;
    QTimer::singleShot(5000, &guard, [&] { ui.Quit(); });  // never waits for ever
    // The user answers once the dialog is up; until then ShowModal waits for events.
    QTimer::singleShot(50, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(backend.WindowOf(dialog)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QTest::mouseClick(backend.WidgetOf(ask), Qt::LeftButton);
    EXPECT_EQ(answer, ModalResult::OK);
    EXPECT_FALSE(backend.WindowOf(dialog)->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(backend.WindowOf(form)));
    QApplication::processEvents();
    EXPECT_EQ(Focus(), backend.WidgetOf(field));
}

TEST_F(QtBackendTest, ScreenshotDrawsColourAndPicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(0x11, 0x22, 0x33));
    const QString picturePath = dir.filePath("sign.png");
    ASSERT_TRUE(picture.save(picturePath));
    form.fullScreen = false;
    form.width = 469, form.height = 225;
    form.colour = kFormColour;
    form.pictureFile = picturePath.toStdString();
    form.pictureLeft = 100, form.pictureTop = 50, form.pictureWidth = 80, form.pictureHeight = 60;
    const std::string shot = dir.filePath("shot.png").toStdString();
    ASSERT_TRUE(backend.Screenshot(form, shot));
    const QImage image(QString::fromStdString(shot));
    EXPECT_EQ(image.size(), QSize(469, 225));
    EXPECT_EQ(image.pixelColor(140, 80), QColor(0x11, 0x22, 0x33));  // scaled to twice its size
    EXPECT_EQ(image.pixelColor(175, 105), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(image.pixelColor(190, 80), QColor(0xCC, 0xFF, 0xFF));
}

TEST_F(QtBackendTest, RunUntilStepsTheScriptUntilDoneOrEnded) {
    int steps = 0;
    backend.SetStepper([&] { return ++steps < 10; });
    backend.RunUntil([&] { return steps >= 3; });
    EXPECT_EQ(steps, 3);
    backend.RunUntil([] { return false; });
    EXPECT_EQ(steps, 10);
    backend.SetStepper([&] {
        ++steps;
        ui.Quit();
        return true;
    });
    backend.RunUntil([] { return false; });
    EXPECT_EQ(steps, 11);
    EXPECT_TRUE(ui.Terminated());
}

TEST(QtServicesText, FiltersAndDefaultExtensions) {
    EXPECT_EQ(QtFileFilter("csv|*.csv|All files|*.*"), "csv (*.csv);;All files (*.*)");
    EXPECT_EQ(QtFileFilter("Text|*.txt; *.prn"), "Text (*.txt *.prn)");
    EXPECT_EQ(QtFileFilter(""), "");
    EXPECT_EQ(WithExtension("/home/a/list", "csv"), "/home/a/list.csv");
    EXPECT_EQ(WithExtension("/home/a.b/list", ".csv"), "/home/a.b/list.csv");
    EXPECT_EQ(WithExtension("/home/a/list.txt", "csv"), "/home/a/list.txt");
    EXPECT_EQ(WithExtension("", "csv"), "");
}

TEST_F(QtBackendTest, PrintingToPdfMakesPagesOfText) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    services.Device().setOutputFileName(pdf);
    Printer& printer = services.GetPrinter();
    printer.BeginDoc("Members List");
    printer.SetFont("Courier New", 10);
    const int line = printer.TextHeight("X");
    EXPECT_GT(line, 0);
    EXPECT_GT(printer.PageHeight(), 50 * line);  // an A4 or letter page of 10-point lines
    EXPECT_LT(printer.PageHeight(), 100 * line);
    printer.TextOut(0, 0, "Member 1001");
    printer.NewPage();
    printer.TextOut(0, line, "Member 1002");
    printer.EndDoc();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("/Count 2"));
}

TEST_F(QtBackendTest, ShellOpenStartsAProgramWithItsParameters) {
    QTemporaryDir dir;
    const QString program = dir.filePath("show.sh");
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.out\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    services.ShellOpen(program.toStdString(), "open", "one  two", ShowState::Normal);
    QFile out(program + ".out");
    EXPECT_TRUE(QTest::qWaitFor([&] { return out.size() > 0; }, 5000));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "one|two|");
    out.close();
    out.remove();

    // A quoted part is one argument, its backslashes kept, and no shell sees the string.
    services.ShellOpen(program.toStdString(), "open",
                       R"(/o A:\CU1 CU1.zip "/p=zip CU1 CU1\*.d32,del" $HOME;x)",
                       ShowState::Normal);
    EXPECT_TRUE(QTest::qWaitFor([&] { return out.size() > 0; }, 5000));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().toStdString(),
              R"(/o|A:\CU1|CU1.zip|/p=zip CU1 CU1\*.d32,del|$HOME;x|)");
}

}  // namespace
}  // namespace tessary::ui
