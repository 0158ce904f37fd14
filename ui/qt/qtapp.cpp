#include "ui/qt/qtapp.h"

#include <QApplication>

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
