#include "RecordView.h"

#include "LogChart.h"
#include "RecordTableModel.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

namespace {

// Beyond this many lines of other text the table gives up laying them across the row.
constexpr int kMostSpans = 1000;

QPushButton* button(const QString& caption, QWidget* parent, const char* name) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

RecordView::RecordView(const LineStore& store, Operator& op, QWidget* parent)
    : QTabWidget(parent), m_model(new RecordTableModel(store, kRowsEveryMs, this)),
      m_header(new QPlainTextEdit), m_filter(new QLineEdit), m_table(new QTableView), m_rowCount(new QLabel),
      m_copyTitles(new QCheckBox(tr("with column &titles"))) {
    m_chart = new LogChart(*m_model, store, op);

    m_header->setObjectName(QStringLiteral("header"));
    m_header->setReadOnly(true);
    m_header->setAccessibleName(tr("Download header"));
    m_header->setMaximumHeight(m_header->fontMetrics().lineSpacing() * 7);
    m_header->setLineWrapMode(QPlainTextEdit::NoWrap);

    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("Find in the records"));
    m_filter->setClearButtonEnabled(true);
    auto* findLabel = new QLabel(tr("&Find:"));
    findLabel->setBuddy(m_filter);

    m_table->setObjectName(QStringLiteral("records"));
    m_table->setAccessibleName(tr("Records"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    // Every row is one line high: the table never measures a million rows.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().lineSpacing() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setDefaultSectionSize(90);
    // A click on a column title sorts by it, a second click the other way, a third as the lines arrived.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->horizontalHeader()->setSortIndicatorClearable(true);
    m_table->horizontalHeader()->setToolTip(tr("Click a column title to sort by it"));
    m_table->setSortingEnabled(true);
    m_rowCount->setObjectName(QStringLiteral("rowCount"));
    m_copyTitles->setObjectName(QStringLiteral("copyTitles"));

    // The table's own Copy takes one cell; here it takes the chosen rows.
    m_table->installEventFilter(this);

    QPushButton* copyButton = button(tr("&Copy rows"), this, "copyRows");
    QPushButton* firstButton = button(tr("F&irst"), this, "first");
    QPushButton* lastButton = button(tr("&Last"), this, "last");
    connect(copyButton, &QPushButton::clicked, this, &RecordView::copyRows);
    connect(firstButton, &QPushButton::clicked, this, &RecordView::goToFirst);
    connect(lastButton, &QPushButton::clicked, this, &RecordView::goToLast);

    auto* tools = new QHBoxLayout;
    tools->addWidget(findLabel);
    tools->addWidget(m_filter, 1);
    tools->addWidget(m_rowCount);
    tools->addWidget(copyButton);
    tools->addWidget(m_copyTitles);
    tools->addWidget(firstButton);
    tools->addWidget(lastButton);
    auto* tablePage = new QWidget;
    auto* tableLayout = new QVBoxLayout(tablePage);
    tableLayout->addWidget(m_header);
    tableLayout->addLayout(tools);
    tableLayout->addWidget(m_table, 1);
    addTab(tablePage, tr("&Table"));
    addTab(m_chart, tr("C&hart"));
    setTabOrder(m_filter, m_table);

    m_filterDelay.setSingleShot(true);
    m_filterDelay.setInterval(kFilterDelayMs);
    connect(m_filter, &QLineEdit::textChanged, &m_filterDelay, qOverload<>(&QTimer::start));
    connect(&m_filterDelay, &QTimer::timeout, this, [this] { m_model->setFilter(m_filter->text()); });
    connect(m_model, &RecordTableModel::titlesChanged, this, &RecordView::showTitles);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordView::markOtherLines);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &RecordView::markOtherLines);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordView::countRows);
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { rowsArrived(first, last); });
    connect(m_chart, &LogChart::dateOrderChosen, m_model, &RecordTableModel::setChosenDateOrder);

    showTitles();
    markOtherLines();
    countRows();
}

void RecordView::countRows() {
    const int all = m_model->allRows();
    const QString rows = all == 1 ? tr("1 row") : tr("%1 rows").arg(all);
    m_rowCount->setText(m_model->filterText().isEmpty() ? rows
                                                        : tr("%1 of %2").arg(m_model->rowCount()).arg(rows));
}

bool RecordView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            if (event->type() == QEvent::KeyPress) {
                copyRows();
            }
            event->accept();
            return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

void RecordView::showTitles() {
    m_header->setPlainText(m_model->headerText());
    m_header->setVisible(!m_header->toPlainText().isEmpty());
    m_chart->rebuildSoon();
}

// Lines that are no records (the end of the download, stray text) stand across the whole row.
void RecordView::markOtherLines() {
    m_table->clearSpans();
    const QList<int> rows = m_model->nonRecordRows();
    if (rows.size() > kMostSpans || m_model->columnCount() < 2) {
        return;
    }
    for (const int row : rows) {
        m_table->setSpan(row, 0, 1, m_model->columnCount());
    }
}

void RecordView::rowsArrived(int first, int last) {
    // A table that showed the newest row keeps showing the newest rows.
    const QScrollBar* bar = m_table->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    const QList<int> otherRows = m_model->nonRecordRows();
    if (m_model->columnCount() > 1 && otherRows.size() <= kMostSpans) {
        for (const int row : otherRows) {
            if (row >= first && row <= last) {
                m_table->setSpan(row, 0, 1, m_model->columnCount());
            }
        }
    }
    if (following) {
        m_table->scrollToBottom();
    }
    countRows();
    m_chart->rebuildSoon();
}

void RecordView::copyRows() {
    QList<int> rows;
    for (const QItemSelectionRange& range : m_table->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows << row;
        }
    }
    if (rows.isEmpty() && m_table->currentIndex().isValid()) {
        rows << m_table->currentIndex().row();
    }
    const QByteArray lines = m_model->linesOf(rows);
    const bool titles = m_copyTitles->isChecked() && m_model->layout().hasTitles() && !lines.isEmpty();
    QApplication::clipboard()->setText(
        QString::fromLatin1((titles ? m_model->titleLine() : QByteArray()) + lines));
}

void RecordView::goToFirst() {
    if (m_model->rowCount() > 0) {
        m_table->selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::ClearAndSelect |
                                                                             QItemSelectionModel::Rows);
        m_table->scrollToTop();
    }
}

void RecordView::goToLast() {
    if (m_model->rowCount() > 0) {
        m_table->selectionModel()->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
        m_table->scrollToBottom();
    }
}
