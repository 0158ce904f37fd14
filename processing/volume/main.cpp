// volume.pif: Tessary's disc archiving tool. Started by the Backup and Restore commands with
// their parameter strings; shows its progress and outcome in a small window and ends.

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <iostream>

#include "core/cli.h"
#include "processing/volume/archive.h"

namespace {

QString ToQt(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kUsage =
        "Usage: volume.pif /o DRIVE:\\FOLDER FOLDER.zip \"/p=zip FOLDER FOLDER\\*.d32,del\"\n"
        "       volume.pif /i DRIVE:\\FOLDER \"/p=unzip -o FOLDER,del\"\n"
        "Tessary's disc archiving tool, started by Processing > Backup and Restore. It backs up\n"
        "the data files of the data folder FOLDER (in the current folder) to the archive\n"
        "FOLDER.zip in the folder FOLDER of the drive, or restores them from there. A drive\n"
        "letter is the folder in TESSARY_DRIVE_<LETTER>, else the first of\n"
        "/media/$USER/<LETTER> and /mnt/<letter> that has a medium mounted on it.\n";
    if (const auto status = tessary::AnswerHelpOrVersion(
            std::vector<std::string>(argv + 1, argv + argc), "volume.pif", kUsage, std::cout)) {
        return *status;
    }
    QApplication qt(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Tessary - Disc Backup"));
    auto* layout = new QVBoxLayout(&window);
    auto* step = new QLabel(&window);
    auto* bar = new QProgressBar(&window);
    auto* message = new QLabel(&window);
    message->setWordWrap(true);
    auto* close = new QPushButton(QStringLiteral("Close"), &window);
    close->setEnabled(false);
    layout->addWidget(step);
    layout->addWidget(bar);
    layout->addWidget(message);
    layout->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    window.resize(480, 180);
    window.show();
    QApplication::processEvents();

    std::string problem;
    const auto job = tessary::volume::ParseJob(args, problem);
    tessary::volume::Outcome outcome;
    if (!job) {
        outcome = {tessary::volume::Problem::Failed, problem, 0};
    } else {
        window.setWindowTitle(job->kind == tessary::volume::Job::Kind::Backup
                                  ? QStringLiteral("Tessary - Backup to Disc")
                                  : QStringLiteral("Tessary - Restore from Disc"));
        tessary::volume::Options options;
        options.progress = [&](int percent, const std::string& what) {
            bar->setValue(percent);
            step->setText(ToQt(what));
            QApplication::processEvents();
        };
        outcome = tessary::volume::Run(*job, options);
    }
    step->setText(outcome.ok() ? QStringLiteral("Finished") : QStringLiteral("Not done"));
    if (outcome.ok()) bar->setValue(100);
    message->setText(ToQt(outcome.message));
    (outcome.ok() ? std::cout : std::cerr) << outcome.message << "\n";
    close->setEnabled(true);
    // Nobody can read or close an offscreen window: end at once there. On a screen a success
    // closes itself after a moment; a failure waits for the user to read it.
    if (QGuiApplication::platformName() == QStringLiteral("offscreen")) {
        return outcome.ok() ? 0 : 1;
    }
    if (outcome.ok()) QTimer::singleShot(1500, &window, &QWidget::close);
    qt.exec();
    return outcome.ok() ? 0 : 1;
}
