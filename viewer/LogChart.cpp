#include "LogChart.h"

#include "ChartScale.h"
#include "ChartTitle.h"
#include "ChartView.h"
#include "LineStore.h"
#include "Logging.h"
#include "Operator.h"
#include "RecordTableModel.h"
#include "StoredSettings.h"

#include <QBoxLayout>
#include <QCategoryAxis>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <cmath>
#include <limits>

namespace {

// Told apart by people with any colour vision, and none of them pale on white.
const QColor kColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                           QColor(0x94, 0x67, 0xbd), QColor(0xff, 0x7f, 0x0e), QColor(0x8c, 0x56, 0x4b),
                           QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};

constexpr int kPixelsPerTimeLabel = 85; // "2026-11-01" and some room
constexpr int kPixelsPerValueTick = 40;
constexpr double kNarrowestTime = 10 * 1000.0; // ms
constexpr double kNarrowestRecords = 2;
constexpr double kLonePadTime = 30 * 60 * 1000.0; // around a single record
constexpr qreal kLoneMarker = 6;

int stepsFor(qreal pixels, int perStep) {
    return std::max(2, int(pixels / perStep));
}

// Round ticks for whatever range a value axis shows: multiples of a 1-2-5 step.
void roundTicks(QValueAxis* axis, qreal pixels) {
    const ChartScale::Values v =
        ChartScale::values(axis->min(), axis->max(), stepsFor(pixels, kPixelsPerValueTick));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(v.step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(v.decimals));
}

} // namespace

LogChart::LogChart(const RecordTableModel& model, const LineStore& store, Operator& op, QWidget* parent)
    : QWidget(parent), m_model(model), m_store(store), m_op(op), m_choice(StoredSettings::dateOrder()),
      m_chart(new QChart), m_view(new ChartView(m_chart, this)), m_columns(new QListWidget(this)),
      m_dateOrder(new QComboBox(this)), m_dateNote(new QLabel(this)),
      m_export(new QPushButton(tr("E&xport PNG..."), this)),
      m_refresh(kLiveRefreshMs, [this] { rebuild(); }) {
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    QFont titleFont = m_chart->titleFont();
    titleFont.setBold(true);
    m_chart->setTitleFont(titleFont);
    m_export->setObjectName(QStringLiteral("exportPng"));
    m_view->setObjectName(QStringLiteral("chartView"));
    m_view->setAccessibleName(tr("Chart"));
    m_columns->setObjectName(QStringLiteral("chartColumns"));
    m_columns->setAccessibleName(tr("Columns shown"));
    m_dateOrder->setObjectName(QStringLiteral("dateOrder"));
    m_dateOrder->addItem(tr("Day/Month/Year"), int(DateOrder::DayFirst));
    m_dateOrder->addItem(tr("Month/Day/Year"), int(DateOrder::MonthFirst));
    m_dateNote->setWordWrap(true);

    auto* columnsLabel = new QLabel(tr("&Columns:"), this);
    columnsLabel->setBuddy(m_columns);
    auto* orderLabel = new QLabel(tr("&Dates read as:"), this);
    orderLabel->setBuddy(m_dateOrder);
    auto* help = new QLabel(tr("Zoom in time: drag across, the wheel, + and -; with Ctrl the values too.\n"
                               "Move: middle button, arrow keys.\nHome shows all."),
                            this);
    help->setWordWrap(true);
    auto* side = new QVBoxLayout;
    side->addWidget(columnsLabel);
    side->addWidget(m_columns, 1);
    side->addWidget(orderLabel);
    side->addWidget(m_dateOrder);
    side->addWidget(m_dateNote);
    side->addWidget(help);
    side->addWidget(m_export);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(side);
    m_columns->setMaximumWidth(220);

    connect(m_columns, &QListWidget::itemChanged, this, &LogChart::columnToggled);
    connect(m_dateOrder, &QComboBox::activated, this,
            [this] { setDateOrder(DateOrder(m_dateOrder->currentData().toInt())); });
    connect(m_export, &QPushButton::clicked, this, &LogChart::exportChart);
    connect(m_view, &ChartView::homePressed, this, &LogChart::showAll);
    connect(m_view, &ChartView::valuesTaken, this, [this] { m_followValues = false; });
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        labelTime();
        for (const Plot& plot : std::as_const(m_plots)) {
            roundTicks(plot.axis, m_chart->plotArea().height());
        }
    });
}

void LogChart::setDateOrder(DateOrder order) {
    m_choice = order;
    StoredSettings::writeDateOrder(order);
    rebuild();
    emit dateOrderChosen(order);
}

void LogChart::rebuildSoon() {
    m_stale = true;
    if (isVisible()) {
        m_refresh.request();
    }
}

void LogChart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale) {
        rebuild();
    }
}

void LogChart::rebuild() {
    m_stale = false;
    m_refresh.cancel();
    // A chart that showed everything goes on showing everything as the download grows.
    const bool showedAll = !isZoomed();
    const LogLayout& layout = m_model.layout();
    const ColumnKinds kinds = ColumnKinds::detect(m_store, layout, m_model.columnCount());
    m_data = ChartData::build(m_store, layout, kinds, m_choice);

    QStringList wanted;
    for (const ChartData::Series& series : std::as_const(m_data.series)) {
        wanted << series.title;
    }
    QStringList have;
    for (const Plot& plot : std::as_const(m_plots)) {
        have << plot.title;
    }
    const bool sameAxis = m_x != nullptr && (qobject_cast<QCategoryAxis*>(m_x) != nullptr) == m_data.timeAxis;
    if (wanted != have || !sameAxis) {
        setUpAxes();
    }
    // A column switched off gets its points when it is switched on.
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        m_plots[i].filled = false;
        if (m_plots[i].shown) {
            fillPlot(m_plots[i], m_data.series.at(i));
        }
    }
    showLegend();
    m_chart->setTitle(ChartTitle::of(m_model.headerText(), m_data).text);
    if (showedAll) {
        showAll();
    } else {
        timeRangeChanged(m_x->min(), m_x->max());
    }

    m_dateOrder->setEnabled(m_data.timeAxis && m_data.orderAmbiguous);
    m_dateOrder->setCurrentIndex(m_data.order == DateOrder::MonthFirst ? 1 : 0);
    if (!m_data.timeAxis) {
        m_dateNote->setText(layout.hasTitles() ? tr("No date column: plotted against the record number.")
                                               : QString());
    } else if (m_data.orderAmbiguous) {
        m_dateNote->setText(tr("Every date reads both ways: choose how they are meant."));
    } else {
        m_dateNote->setText(tr("Order found in the dates."));
    }
}

void LogChart::setUpAxes() {
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_plots.clear();
    if (m_data.timeAxis) {
        auto* time = new QCategoryAxis;
        time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        time->setTitleText(tr("Date and time"));
        m_x = time;
    } else {
        m_x = new QValueAxis;
        m_x->setTitleText(tr("Record"));
    }
    m_x->setObjectName(QStringLiteral("xAxis"));
    m_chart->addAxis(m_x, Qt::AlignBottom);
    connect(m_x, &QValueAxis::rangeChanged, this, &LogChart::timeRangeChanged);

    const QSignalBlocker quiet(m_columns);
    m_columns->clear();
    for (qsizetype i = 0; i < m_data.series.size(); ++i) {
        const ChartData::Series& series = m_data.series.at(i);
        Plot plot;
        plot.title = series.title;
        plot.color = kColours[size_t(i) % std::size(kColours)];
        plot.shown = m_chosen.value(series.title, series.reading);
        plot.axis = new QValueAxis;
        plot.axis->setObjectName(QStringLiteral("yAxis"));
        plot.axis->setTitleText(series.title);
        plot.axis->setTitleBrush(plot.color);
        plot.axis->setLabelsColor(plot.color);
        plot.axis->setLinePenColor(plot.color);
        QValueAxis* axis = plot.axis;
        connect(axis, &QValueAxis::rangeChanged, this,
                [this, axis] { roundTicks(axis, m_chart->plotArea().height()); });
        m_plots << plot;

        auto* item = new QListWidgetItem(series.title, m_columns);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(plot.shown ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::DecorationRole, plot.color);
        if (!series.reading) {
            item->setToolTip(tr("Numbers that name or count the records: shown when ticked."));
        }
    }
    placeAxes();
}

// The value axes of the shown columns take turns on the left and the right; the first draws the grid.
void LogChart::placeAxes() {
    for (const Plot& plot : std::as_const(m_plots)) {
        if (m_chart->axes().contains(plot.axis)) {
            m_chart->removeAxis(plot.axis);
        }
    }
    int shown = 0;
    for (const Plot& plot : std::as_const(m_plots)) {
        const Qt::Alignment side = plot.shown && shown % 2 == 1 ? Qt::AlignRight : Qt::AlignLeft;
        m_chart->addAxis(plot.axis, side);
        plot.axis->setVisible(plot.shown);
        plot.axis->setGridLineVisible(plot.shown && shown == 0);
        shown += plot.shown;
        for (QAbstractSeries* part : plot.parts) {
            part->attachAxis(plot.axis);
        }
    }
}

void LogChart::fillPlot(Plot& plot, const ChartData::Series& series) {
    // One line per stretch between gaps; a record alone between two gaps is a point.
    QList<QList<QPointF>> lines;
    QList<QPointF> lone;
    if (series.breaks.size() + 1 > kMostStretches) {
        lone = series.points;
    } else {
        for (qsizetype b = 0; b <= series.breaks.size(); ++b) {
            const qsizetype from = b == 0 ? 0 : series.breaks.at(b - 1);
            const qsizetype to = b < series.breaks.size() ? series.breaks.at(b) : series.points.size();
            if (to - from == 1) {
                lone << series.points.at(from);
            } else if (to > from) {
                lines << series.points.mid(from, to - from);
            }
        }
    }
    const qsizetype wanted = lines.size() + (lone.isEmpty() ? 0 : 1);
    bool reuse = plot.parts.size() == wanted;
    for (qsizetype i = 0; reuse && i < plot.parts.size(); ++i) {
        reuse = (qobject_cast<QLineSeries*>(plot.parts.at(i)) != nullptr) == (i < lines.size());
    }
    if (!reuse) {
        for (QAbstractSeries* part : std::as_const(plot.parts)) {
            m_chart->removeSeries(part);
            delete part;
        }
        plot.parts.clear();
        for (qsizetype i = 0; i < wanted; ++i) {
            QXYSeries* part = nullptr;
            if (i < lines.size()) {
                part = new QLineSeries;
            } else {
                auto* points = new QScatterSeries;
                points->setMarkerSize(kLoneMarker);
                points->setBorderColor(plot.color);
                part = points;
            }
            part->setName(plot.title);
            part->setColor(plot.color);
            m_chart->addSeries(part);
            part->attachAxis(m_x);
            part->attachAxis(plot.axis);
            part->setVisible(plot.shown);
            plot.parts << part;
        }
    }
    for (qsizetype i = 0; i < wanted; ++i) {
        static_cast<QXYSeries*>(plot.parts.at(i))->replace(i < lines.size() ? lines.at(i) : lone);
    }
    plot.filled = true;
}

// One entry per shown column, whatever number of stretches draws it.
void LogChart::showLegend() {
    for (const Plot& plot : std::as_const(m_plots)) {
        for (qsizetype i = 0; i < plot.parts.size(); ++i) {
            for (QLegendMarker* marker : m_chart->legend()->markers(plot.parts.at(i))) {
                marker->setVisible(plot.shown && i == 0);
            }
        }
    }
}

std::pair<double, double> LogChart::fullRange() const {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double from = kInf;
    double to = -kInf;
    for (const ChartData::Series& series : m_data.series) {
        for (const QPointF& p : series.points) {
            from = std::min(from, p.x());
            to = std::max(to, p.x());
        }
    }
    if (from > to) {
        return {0, 1};
    }
    if (from == to) {
        const double pad = m_data.timeAxis ? kLonePadTime : 1;
        return {from - pad, to + pad};
    }
    return {from, to};
}

bool LogChart::isZoomed() const {
    if (m_x == nullptr) {
        return false;
    }
    const auto [from, to] = fullRange();
    return !m_followValues || m_x->min() != from || m_x->max() != to;
}

void LogChart::showAll() {
    if (m_x == nullptr) {
        return;
    }
    m_followValues = true;
    const auto [from, to] = fullRange();
    if (m_x->min() == from && m_x->max() == to) {
        timeRangeChanged(from, to); // the values may have been zoomed on their own
    } else {
        m_x->setRange(from, to);
    }
}

// Keeps the time in view within the download, then labels it and fits the values to what it shows.
void LogChart::timeRangeChanged(double min, double max) {
    if (m_adjusting || m_x == nullptr) {
        return;
    }
    const auto [from, to] = fullRange();
    const double narrowest = std::min(to - from, m_data.timeAxis ? kNarrowestTime : kNarrowestRecords);
    double width = std::clamp(max - min, narrowest, to - from);
    double left = std::clamp(min + (max - min - width) / 2, from, to - width);
    if (left != min || left + width != max) {
        m_adjusting = true;
        m_x->setRange(left, left + width);
        m_adjusting = false;
    }
    labelTime();
    if (m_followValues) {
        fitValues();
    }
}

void LogChart::labelTime() {
    if (m_x == nullptr) {
        return;
    }
    const int most = stepsFor(m_chart->plotArea().width(), kPixelsPerTimeLabel);
    auto* time = qobject_cast<QCategoryAxis*>(m_x);
    if (time == nullptr) {
        // Records: whole numbers at a round step.
        const ChartScale::Values v = ChartScale::values(m_x->min(), m_x->max(), most);
        m_x->setTickType(QValueAxis::TicksDynamic);
        m_x->setTickAnchor(0);
        m_x->setTickInterval(std::max(1.0, v.step));
        m_x->setLabelFormat(QStringLiteral("%.0f"));
        return;
    }
    const ChartScale::Times ticks =
        ChartScale::times(qint64(std::ceil(m_x->min())), qint64(m_x->max()), most);
    // The time above its date keeps each label narrow, so more of them fit.
    QStringList labels;
    for (const qint64 at : ticks.ticks) {
        labels << ChartScale::timeLabel(at, ticks.format).replace(QLatin1Char(' '), QStringLiteral("<br>"));
    }
    time->setStartValue(m_x->min());
    if (labels == time->categoriesLabels()) {
        return;
    }
    for (const QString& label : time->categoriesLabels()) {
        time->remove(label);
    }
    for (qsizetype i = 0; i < labels.size(); ++i) {
        time->append(labels.at(i), double(ticks.ticks.at(i)));
    }
}

// Each value axis spans the values its column shows in the time in view, from one round tick to another.
void LogChart::fitValues() {
    const double from = m_x->min();
    const double to = m_x->max();
    const int most = stepsFor(m_chart->plotArea().height(), kPixelsPerValueTick);
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        if (!m_plots[i].shown) {
            continue;
        }
        constexpr double kInf = std::numeric_limits<double>::infinity();
        double low = kInf;
        double high = -kInf;
        const QList<QPointF>& points = m_data.series.at(i).points;
        for (const bool inViewOnly : {true, false}) {
            for (const QPointF& p : points) {
                if (!inViewOnly || (p.x() >= from && p.x() <= to)) {
                    low = std::min(low, p.y());
                    high = std::max(high, p.y());
                }
            }
            if (low <= high) {
                break;
            }
        }
        const ChartScale::Values v = low <= high ? ChartScale::values(low, high, most) : ChartScale::Values{};
        m_plots[i].axis->setRange(v.low, v.high);
        roundTicks(m_plots[i].axis, m_chart->plotArea().height());
    }
}

void LogChart::columnToggled(QListWidgetItem* item) {
    const int row = m_columns->row(item);
    if (row < 0 || row >= m_plots.size()) {
        return;
    }
    Plot& plot = m_plots[row];
    plot.shown = item->checkState() == Qt::Checked;
    m_chosen.insert(plot.title, plot.shown);
    if (plot.shown && !plot.filled) {
        fillPlot(plot, m_data.series.at(row));
    }
    for (QAbstractSeries* part : std::as_const(plot.parts)) {
        part->setVisible(plot.shown);
    }
    placeAxes();
    showLegend();
    if (m_followValues) {
        fitValues();
    }
}

QValueAxis* LogChart::valueAxis(const QString& title) const {
    for (const Plot& plot : m_plots) {
        if (plot.title == title) {
            return plot.axis;
        }
    }
    return nullptr;
}

QList<QAbstractSeries*> LogChart::seriesOf(const QString& title) const {
    for (const Plot& plot : m_plots) {
        if (plot.title == title) {
            return plot.parts;
        }
    }
    return {};
}

bool LogChart::exportPng(const QString& path) {
    return m_view->grab().save(path, "PNG");
}

void LogChart::exportChart() {
    // Offered under a name that says what it shows, in the folder of the last picture (or the last save).
    QString folder = StoredSettings::exportPath();
    if (folder.isEmpty()) {
        folder = StoredSettings::savePath();
    }
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    const QString name = ChartTitle::of(m_model.headerText(), m_data).fileName;
    const std::optional<QString> chosen =
        m_op.chooseSaveFile({tr("Export Chart"), tr("PNG images (*.png)"), folder + name});
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    QString path = *chosen;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".png");
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash > 0) {
        StoredSettings::writeExportPath(path.left(slash + 1));
    }
    if (!exportPng(path)) {
        qCWarning(lcExport) << "the chart could not be saved as" << path;
        m_op.messageBox(tr("The chart could not be saved as %1.").arg(path),
                        MsgStyle::Ok + MsgStyle::Exclamation, tr("Export Chart"));
    }
}
