// A report printed through the desktop's print path: the trial balance of a posted folder,
// run from the Reports menu on the Qt widgets and printed from the viewer into a PDF.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <filesystem>

#include "app/program.h"
#include "core/forms/mainform.h"
#include "core/forms/start.h"
#include "reports/forms/view.h"
#include "ui/qt/qtbackend.h"
#include "ui/qt/qtservices.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

TEST(QtProgram, ATrialBalancePrintsToAPdf) {
    QTemporaryDir program;
    for (const char* f : {"sys.d32", "nomacc.d32"}) {
        fs::copy_file(fs::path(TESSARY_BIN_DIR) / f, fs::path(program.path().toStdString()) / f);
    }
    const QString pdf = program.filePath("trial.pdf");
    {
        ui::QtBackend backend;
        ui::QtServices services;
        ui::Ui ui(backend, services);
        backend.Attach(ui);
        services.Device().setOutputFileName(pdf);
        App app(ui, program.path().toStdString());
        app.Start({});
        Assemble(app);
        app.start().Password.text = "TESSARY";
        ui.Click(app.start().Next);
        ASSERT_EQ(ui.ActiveForm(), static_cast<ui::Form*>(&app.main()));
        ui.ChooseMenu(*app.main().menu->Find("TrialBalance1"));
        auto* viewer = dynamic_cast<TFview*>(ui.ActiveForm());
        ASSERT_TRUE(viewer);
        EXPECT_EQ(viewer->Memo1.lines.at(0),
                  "Account                         Debit         Credit");
        ui.Click(viewer->Print);
        ui.Click(viewer->Close);
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("/Count 1"));  // a new folder's trial balance fills one page
}

}  // namespace
}  // namespace tessary
