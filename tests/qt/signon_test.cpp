// The real program on the Qt widgets, offscreen: a user signs on by typing into the password
// field and pressing Next, and pictures of the two forms are saved for a look.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/program.h"
#include "core/forms/mainform.h"
#include "core/forms/start.h"
#include "ui/qt/qtbackend.h"
#include "ui/qt/qtservices.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

TEST(QtProgram, SignsOnThroughTheWidgetsAndShowsTheMainWindow) {
    const fs::path program =
        fs::temp_directory_path() / ("tessary-qt-signon-" + std::to_string(::getpid()));
    fs::remove_all(program);
    fs::create_directories(program);
    for (const char* f : {"sys.d32", "nomacc.d32", "TS32.png"}) {
        fs::copy_file(fs::path(TESSARY_BIN_DIR) / f, program / f);
    }
    {
        ui::QtBackend backend;
        ui::QtServices services;
        ui::Ui ui(backend, services);
        backend.Attach(ui);
        App app(ui, program.string());
        app.Start({});
        Assemble(app);
        QMainWindow* start = backend.WindowOf(app.start());
        ASSERT_TRUE(start);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(start));

        auto* password = static_cast<QLineEdit*>(backend.WidgetOf(app.start().Password));
        password->setFocus();
        QTest::keyClicks(password, "tessary");
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_EQ(app.start().Password.text, "TESSARY");  // upper-cased as typed
        ASSERT_TRUE(start->grab().save(QString::fromStdString((program / "signon.png").string())));

        QTest::mouseClick(static_cast<QPushButton*>(backend.WidgetOf(app.start().Next)),
                          Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_EQ(ui.ActiveForm(), static_cast<ui::Form*>(&app.main()));
        QMainWindow* main = backend.WindowOf(app.main());
        ASSERT_TRUE(main && main->isVisible());
        EXPECT_FALSE(start->isVisible());
        EXPECT_TRUE(main->windowTitle().startsWith("Tessary - New Credit Union - ADM - "));
        const QImage shot = main->grab().toImage();
        ASSERT_TRUE(shot.save(QString::fromStdString((program / "main.png").string())));
        // The form colour fills the window below the menu.
        EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() - 5), QColor(0xCC, 0xFF, 0xFF));
        // Keep the pictures where a person can open them after the run.
        const fs::path keep = fs::path(TESSARY_BIN_DIR) / "screenshots";
        fs::create_directories(keep);
        for (const char* f : {"signon.png", "main.png"}) {
            fs::copy_file(program / f, keep / f, fs::copy_options::overwrite_existing);
        }
    }
    fs::remove_all(program);
}

}  // namespace
}  // namespace tessary
