#include "ui/qt/chart.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/qt/convert.h"

namespace tessary::ui {

namespace {

// A PNG is drawn at this size; a PDF page takes the same picture, scaled as a drawing.
constexpr int kPictureWidth = 1400;
constexpr int kPictureHeight = 900;

// A value axis from zero (or below, for negative values) to a little past the largest value,
// at round numbers; an axis of nothing but zeros still shows a scale.
QValueAxis* ValueAxis(const std::string& title, double low, double high, bool whole, int ticks) {
    auto* axis = new QValueAxis;
    axis->setTitleText(ToQt(title));
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (high - low < (whole ? 1.0 : 0.01)) high = low + (whole ? 1.0 : 1.0);
    if (whole && high - low <= 10) {
        // A count of a few: one tick a unit, not halves that would read as repeated numbers.
        axis->setRange(std::floor(low), std::ceil(high));
        axis->setTickCount(static_cast<int>(std::ceil(high) - std::floor(low)) + 1);
    } else {
        // A little room past the longest bar, so that it does not end on the frame.
        const double room = (high - low) / 50;
        axis->setRange(low < 0 ? low - room : low, high > 0 ? high + room : high);
        axis->setTickCount(ticks);
        axis->applyNiceNumbers();
    }
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

void Extent(const ChartSeries& s, double& low, double& high) {
    for (double v : s.values) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
}

QFont Bigger(QFont font, double factor, bool bold) {
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

}  // namespace

QChart* MakeQChart(const Chart& c) {
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setTitle(ToQt(c.title));
    chart->setTitleFont(Bigger(chart->titleFont(), 1.6, true));
    chart->legend()->setAlignment(Qt::AlignBottom);
    const bool horizontal = c.kind == ChartKind::HorizontalBars;

    // A horizontal chart draws its first category at the bottom; it is read from the top
    // down, as the report lists it, so the categories go in last first.
    std::vector<std::size_t> order(c.categories.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = horizontal ? order.size() - 1 - i : i;
    const auto value = [&order](const ChartSeries& s, std::size_t i) {
        return order[i] < s.values.size() ? s.values[order[i]] : 0.0;
    };

    QStringList categories;
    for (std::size_t i : order) {
        const std::string& name = c.categories[i];
        // The axis drops a repeated name, which would put every later bar against the wrong
        // one: a repeat gets blanks, unseen, to make it a name of its own.
        QString category = ToQt(name);
        while (categories.contains(category)) category += QLatin1Char(' ');
        categories << category;
    }
    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    categoryAxis->setTitleText(ToQt(c.categoryAxis));
    chart->addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);

    double low = 0, high = 0;
    for (const ChartSeries& s : c.bars) Extent(s, low, high);
    QValueAxis* valueAxis = ValueAxis(c.valueAxis, low, high, false, horizontal ? 9 : 7);
    chart->addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);

    QAbstractBarSeries* bars =
        horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries) : new QBarSeries;
    // Within a category too the first series is drawn at the bottom: it goes in last, and
    // the legend is turned back to name the series in their own order.
    for (std::size_t k = 0; k < c.bars.size(); ++k) {
        const ChartSeries& s = c.bars[horizontal ? c.bars.size() - 1 - k : k];
        auto* set = new QBarSet(ToQt(s.name));
        for (std::size_t i = 0; i < order.size(); ++i) set->append(value(s, i));
        bars->append(set);
    }
    if (horizontal) chart->legend()->setReverseMarkers(true);
    chart->addSeries(bars);
    bars->attachAxis(categoryAxis);
    bars->attachAxis(valueAxis);

    if (!c.line.name.empty() && !horizontal) {
        double lineLow = 0, lineHigh = 0;
        Extent(c.line, lineLow, lineHigh);
        const bool whole = std::all_of(c.line.values.begin(), c.line.values.end(),
                                       [](double v) { return v == std::trunc(v); });
        QValueAxis* lineAxis = ValueAxis(c.lineAxis, lineLow, lineHigh, whole, 7);
        // The bars' grid is the one drawn; a second, at other heights, would only confuse.
        lineAxis->setGridLineVisible(false);
        chart->addAxis(lineAxis, Qt::AlignRight);
        auto* line = new QLineSeries;
        line->setName(ToQt(c.line.name));
        // The points sit over the middles of the categories, numbered from 0.
        for (std::size_t i = 0; i < order.size(); ++i)
            line->append(static_cast<double>(i), value(c.line, i));
        QPen pen = line->pen();
        pen.setWidth(3);
        pen.setColor(QColor(0x20, 0x20, 0x20));
        line->setPen(pen);
        line->setPointsVisible(true);
        chart->addSeries(line);
        line->attachAxis(categoryAxis);
        line->attachAxis(lineAxis);
    }
    return chart;
}

namespace {

// Draws the chart at the picture size into `painter`'s whole `target`.
void Draw(const Chart& c, QPainter& painter, const QRectF& target) {
    QGraphicsScene scene;
    QChart* chart = MakeQChart(c);
    scene.addItem(chart);  // the scene owns it now
    chart->resize(kPictureWidth, kPictureHeight);
    // Lay the chart out now rather than on the next turn of an event loop there may not be.
    QCoreApplication::sendPostedEvents();
    scene.setSceneRect(chart->rect());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    scene.render(&painter, target, chart->rect(), Qt::KeepAspectRatio);
}

// Draws the chart on the page the painter was begun on, and ends the page.
bool DrawPage(const Chart& c, QPainter& painter) {
    Draw(c, painter, QRectF(painter.viewport()));
    return painter.end();
}

}  // namespace

std::string SaveChartFile(const Chart& c, const std::string& path) {
    const std::string kind = ChartFileKind(path);
    if (kind.empty()) return "a chart is saved as .png or .pdf, not " + path;
    if (c.Empty()) return "the chart has nothing to draw";
    const QString file = ToQt(path);
    if (kind == "png") {
        QImage image(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            Draw(c, painter, QRectF(image.rect()));
        }
        if (!image.save(file, "PNG")) return "cannot write " + path;
        return "";
    }
    QPdfWriter pdf(file);
    pdf.setTitle(ToQt(c.title));
    pdf.setCreator(QStringLiteral("Tessary"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                  QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    QPainter painter;
    // A folder that is not there or not writable shows as a painter that will not start.
    if (!painter.begin(&pdf)) return "cannot write " + path;
    if (!DrawPage(c, painter)) return "cannot write " + path;
    return "";
}

namespace {

void SaveFromWindow(const Chart& c, QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Save chart"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QStringLiteral("PNG picture (*.png)"), QStringLiteral("PDF document (*.pdf)")});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString file = dialog.selectedFiles().constFirst();
    // A name without .png or .pdf takes the extension of the kind chosen in the dialog.
    if (ChartFileKind(FromQt(file)).empty()) {
        file += dialog.selectedNameFilter().contains(QStringLiteral("pdf"))
                    ? QStringLiteral(".pdf")
                    : QStringLiteral(".png");
    }
    const std::string problem = SaveChartFile(c, FromQt(file));
    if (!problem.empty()) QMessageBox::warning(parent, QStringLiteral("Tessary"), ToQt(problem));
}

void PrintFromWindow(const Chart& c, QPrinter& printer, const QString& fallbackPdf,
                     QWidget* parent) {
    printer.setDocName(ToQt(c.title));
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        // No printer to print on: the chart goes to a PDF, as reports do.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fallbackPdf);
        if (!painter.begin(&printer)) {
            QMessageBox::warning(parent, QStringLiteral("Tessary"),
                                 QStringLiteral("The chart could not be printed."));
            return;
        }
    }
    DrawPage(c, painter);
}

}  // namespace

void ShowChartWindow(const Chart& c, QPrinter& printer, const QString& fallbackPdf) {
    QDialog window(QApplication::activeWindow());
    window.setWindowTitle(ToQt(c.title));
    window.setObjectName(QStringLiteral("ChartWindow"));
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QChartView(MakeQChart(c), &window);
    view->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(view, 1);
    auto* buttons = new QHBoxLayout;
    auto* print = new QPushButton(QStringLiteral("Pr&int"), &window);
    auto* save = new QPushButton(QStringLiteral("&Save..."), &window);
    auto* close = new QPushButton(QStringLiteral("&Close"), &window);
    print->setObjectName(QStringLiteral("Print"));
    save->setObjectName(QStringLiteral("Save"));
    close->setObjectName(QStringLiteral("Close"));
    buttons->addStretch(1);
    for (QPushButton* b : {print, save, close}) buttons->addWidget(b);
    layout->addLayout(buttons);
    QObject::connect(print, &QPushButton::clicked, &window,
                     [&] { PrintFromWindow(c, printer, fallbackPdf, &window); });
    QObject::connect(save, &QPushButton::clicked, &window, [&] { SaveFromWindow(c, &window); });
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    // Most of the screen, as the forms fill it, so that the category names show whole.
    QSize size(kPictureWidth, kPictureHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    }
    window.resize(size);
    close->setDefault(true);
    window.exec();
}

OffscreenCharts::OffscreenCharts() {
    argv_ = {name_.data(), option_.data(), platform_.data(), nullptr};
}

namespace {

// Qt's remarks about the desktop it starts on (no runtime folder, and the like) mean nothing
// to a run that only draws into files, and would mix with the run's own error output.
void OnlyCritical(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fputs(qPrintable(message + QLatin1Char('\n')), stderr);
    }
}

}  // namespace

OffscreenCharts::~OffscreenCharts() {
    if (!app_) return;
    app_.reset();
    qInstallMessageHandler(nullptr);
}

std::string OffscreenCharts::Save(const Chart& chart, const std::string& path) {
    // Only to draw: its windows, if it had any, would never be shown.
    if (!QCoreApplication::instance()) {
        qInstallMessageHandler(OnlyCritical);
        app_ = std::make_unique<QApplication>(argc_, argv_.data());
    }
    return SaveChartFile(chart, path);
}

}  // namespace tessary::ui
