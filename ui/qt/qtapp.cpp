#include "ui/qt/qtapp.h"

#include <QApplication>
#include <QIcon>

namespace tessary::ui {

namespace {

// Qt cannot start without a display unless told to draw offscreen.
void ChoosePlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace

QtApp::QtApp(int& argc, char** argv) {
    ChoosePlatform();
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    app_ = std::make_unique<QApplication>(argc, argv);
    // The desktop matches the windows to the installed entry and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessary.Tessary"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tessary.Tessary")));
    backend_ = std::make_unique<QtBackend>();
    services_ = std::make_unique<QtServices>();
}

QtApp::~QtApp() {
    // The windows and the printer go before the application they belong to.
    services_.reset();
    backend_.reset();
    app_.reset();
}

}  // namespace tessary::ui
