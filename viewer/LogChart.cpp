#include "LogChart.h"

#include "ChartView.h"
#include "LineStore.h"
#include "Logging.h"
#include "Operator.h"
#include "RecordTableModel.h"
#include "StoredSettings.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QValueAxis>
#include <limits>

LogChart::LogChart(const RecordTableModel& model, const LineStore& store, Operator& op, QWidget* parent)
    : QWidget(parent), m_model(model), m_store(store), m_op(op), m_choice(StoredSettings::dateOrder()),
      m_chart(new QChart), m_view(new ChartView(m_chart, this)), m_columns(new QListWidget(this)),
      m_dateOrder(new QComboBox(this)), m_dateNote(new QLabel(this)),
      m_export(new QPushButton(tr("E&xport PNG..."), this)),
      m_refresh(kLiveRefreshMs, [this] { rebuild(); }) {
    m_chart->legend()->setAlignment(Qt::AlignBottom);
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
    auto* side = new QVBoxLayout;
    side->addWidget(columnsLabel);
    side->addWidget(m_columns, 1);
    side->addWidget(orderLabel);
    side->addWidget(m_dateOrder);
    side->addWidget(m_dateNote);
    side->addWidget(new QLabel(tr("Zoom: drag a rectangle, the wheel, + and -.\n"
                                  "Move: middle button, arrow keys.\nHome shows all."),
                               this));
    side->addWidget(m_export);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(side);
    m_columns->setMaximumWidth(220);

    connect(m_columns, &QListWidget::itemChanged, this, &LogChart::columnToggled);
    connect(m_dateOrder, &QComboBox::activated, this,
            [this] { setDateOrder(DateOrder(m_dateOrder->currentData().toInt())); });
    connect(m_export, &QPushButton::clicked, this, &LogChart::exportChart);
}

void LogChart::setDateOrder(DateOrder order) {
    m_choice = order;
    StoredSettings::writeDateOrder(order);
    rebuild();
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
    const LogLayout& layout = m_model.layout();
    const ColumnKinds kinds = ColumnKinds::detect(m_store, layout, m_model.columnCount());
    m_data = ChartData::build(m_store, layout, kinds, m_choice);
    showSeries();

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

void LogChart::showSeries() {
    // The series stay while the columns do, so a growing download only moves their points.
    QStringList wanted;
    for (const ChartData::Series& series : m_data.series) {
        wanted << series.title;
    }
    QStringList have;
    for (QAbstractSeries* series : m_chart->series()) {
        have << series->name();
    }
    const bool sameAxis = !m_chart->axes(Qt::Horizontal).isEmpty() &&
                          (qobject_cast<QDateTimeAxis*>(m_chart->axes(Qt::Horizontal).constFirst()) !=
                           nullptr) == m_data.timeAxis;
    if (wanted != have || !sameAxis) {
        QSet<QString> hidden;
        for (int i = 0; i < m_columns->count(); ++i) {
            if (m_columns->item(i)->checkState() == Qt::Unchecked) {
                hidden << m_columns->item(i)->text();
            }
        }
        m_chart->removeAllSeries();
        for (QAbstractAxis* axis : m_chart->axes()) {
            m_chart->removeAxis(axis);
            delete axis;
        }
        QAbstractAxis* x = nullptr;
        if (m_data.timeAxis) {
            auto* timeAxis = new QDateTimeAxis;
            timeAxis->setFormat(m_data.order == DateOrder::MonthFirst ? QStringLiteral("MM/dd HH:mm")
                                                                      : QStringLiteral("dd/MM HH:mm"));
            timeAxis->setTitleText(tr("Date and time"));
            x = timeAxis;
        } else {
            auto* recordAxis = new QValueAxis;
            recordAxis->setLabelFormat(QStringLiteral("%.0f"));
            recordAxis->setTitleText(tr("Record"));
            x = recordAxis;
        }
        x->setObjectName(QStringLiteral("xAxis"));
        auto* y = new QValueAxis;
        y->setObjectName(QStringLiteral("yAxis"));
        m_chart->addAxis(x, Qt::AlignBottom);
        m_chart->addAxis(y, Qt::AlignLeft);
        const QSignalBlocker quiet(m_columns);
        m_columns->clear();
        for (const QString& title : wanted) {
            auto* series = new QLineSeries;
            series->setName(title);
            m_chart->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
            auto* item = new QListWidgetItem(title, m_columns);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(hidden.contains(title) ? Qt::Unchecked : Qt::Checked);
            series->setVisible(!hidden.contains(title));
        }
    } else if (auto* timeAxis = qobject_cast<QDateTimeAxis*>(m_chart->axes(Qt::Horizontal).constFirst())) {
        timeAxis->setFormat(m_data.order == DateOrder::MonthFirst ? QStringLiteral("MM/dd HH:mm")
                                                                  : QStringLiteral("dd/MM HH:mm"));
    }
    const QList<QAbstractSeries*> series = m_chart->series();
    for (qsizetype i = 0; i < series.size(); ++i) {
        static_cast<QLineSeries*>(series.at(i))->replace(m_data.series.at(i).points);
    }
    if (!m_chart->isZoomed()) {
        fitAxes();
    }
}

void LogChart::fitAxes() {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double left = kInf, right = -kInf, bottom = kInf, top = -kInf;
    const QList<QAbstractSeries*> series = m_chart->series();
    for (qsizetype i = 0; i < series.size(); ++i) {
        if (!series.at(i)->isVisible()) {
            continue;
        }
        for (const QPointF& p : m_data.series.at(i).points) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            bottom = std::min(bottom, p.y());
            top = std::max(top, p.y());
        }
    }
    if (left > right) {
        left = 0;
        right = 1;
        bottom = 0;
        top = 1;
    }
    if (right == left) {
        right = left + 1;
    }
    const double margin = top > bottom ? (top - bottom) * 0.05 : 1;
    const QList<QAbstractAxis*> xs = m_chart->axes(Qt::Horizontal);
    const QList<QAbstractAxis*> ys = m_chart->axes(Qt::Vertical);
    if (xs.isEmpty() || ys.isEmpty()) {
        return;
    }
    if (auto* timeAxis = qobject_cast<QDateTimeAxis*>(xs.constFirst())) {
        timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(left)),
                           QDateTime::fromMSecsSinceEpoch(qint64(right)));
    } else {
        xs.constFirst()->setRange(left, right);
    }
    ys.constFirst()->setRange(bottom - margin, top + margin);
}

void LogChart::columnToggled(QListWidgetItem* item) {
    const int row = m_columns->row(item);
    const QList<QAbstractSeries*> series = m_chart->series();
    if (row >= 0 && row < series.size()) {
        series.at(row)->setVisible(item->checkState() == Qt::Checked);
        if (!m_chart->isZoomed()) {
            fitAxes();
        }
    }
}

bool LogChart::exportPng(const QString& path) {
    return m_view->grab().save(path, "PNG");
}

void LogChart::exportChart() {
    const std::optional<QString> chosen = m_op.chooseSaveFile(
        {tr("Export Chart"), tr("PNG images (*.png)"), QDir::homePath() + QLatin1Char('/')});
    if (!chosen) {
        return;
    }
    QString path = *chosen;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".png");
    }
    if (!exportPng(path)) {
        qCWarning(lcExport) << "the chart could not be saved as" << path;
        m_op.messageBox(tr("The chart could not be saved as %1.").arg(path),
                        MsgStyle::Ok + MsgStyle::Exclamation, tr("Export Chart"));
    }
}
