// The four reports' charts drawn with Qt Charts into PNG and PDF files, and the chart window
// printing one, offscreen.

#include "ui/qt/chart.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "core/dates.h"
#include "reports/ledger.h"
#include "reports/ledgers.h"
#include "reports/portfolio.h"

namespace tessary {
namespace {

using testing::LedgerAccount;

Ledger SmallLedger() {
    Ledger a(kNominalAccountCount);
    a[0] = LedgerAccount("Cash at Bank", 1500, 1000, 1200);
    a[1] = LedgerAccount("Share 1 Deposits", 3000, 2000, 2500);
    a[3] = LedgerAccount("Loan Repayments", 800, 300, 600);
    a[7] = LedgerAccount("Loans Issued", 2000, 1000, 1800);
    a[100] = LedgerAccount("Entrance Fees", 660, 0, 0, 1200);
    a[124] = LedgerAccount("Insurance Premiums", 660, 0, 0, 1200);
    return a;
}

// The four charts, each with something to draw.
std::vector<Chart> ReportCharts() {
    const DayNumber today = ParseDate("08/12/2026", std::chrono::year{2026});
    std::vector<MemberRecord> members;
    for (double amount : {200.0, 450.0, 900.0, 1500.0, 2500.0, 5000.0, 5000.0}) {
        MemberRecord m;
        m.LoanAmount = amount;
        m.LoanBalance = amount / 2;
        m.LoanDate = today - 100;
        m.Repayment = amount / 20;
        m.Frequency.set("M");
        members.push_back(m);
    }
    const Ledger ledger = SmallLedger();
    return {DistributionOfLoansChart(DistributionOfLoansRows(members, kDefaultFromDate),
                                     kDefaultFromDate),
            DelinquentLoansChart(
                DelinquentLoansRows(members, Rates{.daily = 0, .monthly = true}, today)),
            BudgetVariancesChart(BudgetVariancesRows(ledger, 6)),
            CashFlowChart(CashFlowRowsOf(ledger))};
}

// Pixels that are neither white nor grey: the bars and the line.
int Coloured(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            if (QColor(image.pixel(x, y)).hsvSaturation() > 100) ++n;
        }
    }
    return n;
}

int NotWhite(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) ++n;
        }
    }
    return n;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(QtCharts, EachReportChartSavesAsARealPngAndPdf) {
    QTemporaryDir dir;
    int n = 0;
    for (const Chart& chart : ReportCharts()) {
        SCOPED_TRACE(chart.title);
        const QString png = dir.filePath(QString("chart%1.png").arg(n));
        const QString pdf = dir.filePath(QString("chart%1.PDF").arg(n++));
        ASSERT_EQ(ui::SaveChartFile(chart, png.toStdString()), "");
        ASSERT_EQ(ui::SaveChartFile(chart, pdf.toStdString()), "");

        const QImage image(png);
        ASSERT_FALSE(image.isNull());
        EXPECT_GE(image.width(), 1000);
        EXPECT_GE(image.height(), 600);
        // Text, axes and grid, and bars of colour over a good part of the picture.
        const int samples = (image.width() / 2) * (image.height() / 2);
        EXPECT_GT(NotWhite(image), samples / 50);
        EXPECT_GT(Coloured(image), samples / 200);

        const QByteArray bytes = Bytes(pdf);
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_TRUE(bytes.contains("/Count 1"));  // one page
        EXPECT_GT(bytes.size(), 5000);
    }
}

TEST(QtCharts, WhatCannotBeWrittenIsToldNotCrashedOn) {
    const Chart chart = ReportCharts().front();
    QTemporaryDir dir;
    for (const char* name : {"none/chart.png", "none/chart.pdf"}) {
        const std::string path = dir.filePath(name).toStdString();
        EXPECT_EQ(ui::SaveChartFile(chart, path), "cannot write " + path);
    }
    EXPECT_EQ(ui::SaveChartFile(chart, dir.filePath("chart.jpg").toStdString()).rfind("a chart", 0),
              0u);
    EXPECT_EQ(ui::SaveChartFile(Chart{}, dir.filePath("c.png").toStdString()),
              "the chart has nothing to draw");
    EXPECT_FALSE(QFile::exists(dir.filePath("c.png")));

    // Nothing but zeros still gives a scale and a picture.
    Chart zeros = BarChart("Zeros", ChartKind::Bars, "", "", {"a"});
    zeros.Add("x", {0});
    EXPECT_EQ(ui::SaveChartFile(zeros, dir.filePath("zeros.png").toStdString()), "");
    EXPECT_FALSE(QImage(dir.filePath("zeros.png")).isNull());
}

TEST(QtCharts, EveryCategoryKeepsItsBarsInReadingOrder) {
    // Two accounts of one name, as an idle ledger's blank names are: each keeps its own place.
    Chart chart = BarChart("Twins", ChartKind::HorizontalBars, "", "", {"v"});
    chart.Add("Rent", {1});
    chart.Add("Rent", {2});
    chart.Add("Rates", {3});
    std::unique_ptr<QChart> q(ui::MakeQChart(chart));
    const auto axes = q->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 1);
    const auto* categories = qobject_cast<QBarCategoryAxis*>(axes.first());
    ASSERT_TRUE(categories);
    ASSERT_EQ(categories->count(), 3);
    // Drawn from the bottom up, so the first category is the last on the axis.
    EXPECT_EQ(categories->at(0), "Rates");
    EXPECT_EQ(categories->at(1).trimmed(), "Rent");
    EXPECT_EQ(categories->at(2).trimmed(), "Rent");
    const auto* bars = qobject_cast<QAbstractBarSeries*>(q->series().first());
    ASSERT_TRUE(bars);
    const QBarSet* set = bars->barSets().first();
    EXPECT_EQ(set->at(0), 3);
    EXPECT_EQ(set->at(1), 2);
    EXPECT_EQ(set->at(2), 1);
}

TEST(QtCharts, TheChartWindowPrintsAndCloses) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    bool clicked = false;
    QTimer::singleShot(0, [&clicked] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window) return;
        for (const char* name : {"Print", "Close"}) {
            if (auto* b = window->findChild<QPushButton*>(name)) b->click();
        }
        clicked = true;
    });
    ui::ShowChartWindow(ReportCharts()[1], printer, dir.filePath("fallback.pdf"));
    ASSERT_TRUE(clicked);
    const QByteArray bytes = Bytes(dir.filePath("printed.pdf"));
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 5000);
}

}  // namespace
}  // namespace tessary
