#include "LeftoverDialog.h"

#include "LogViewer.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>

namespace {

enum Column { Controller, Lines, Written, Size, Choice, Columns };

// The lines a viewer shows, kept for as long as the viewer: its child, made after the viewer's own
// children, so it goes after them.
struct HeldLines : QObject {
    LineStore lines;
};

} // namespace

LeftoverDialog::LeftoverDialog(const QList<LeftoverCopy>& copies, Operator& op, QWidget* parent)
    : QDialog(parent), m_copies(copies), m_op(op),
      m_table(new QTableWidget(int(copies.size()), Columns, this)) {
    setObjectName(QStringLiteral("LeftoverDialog"));
    setWindowTitle(QStringLiteral("Unsaved Download"));
    setModal(true);
    auto* intro =
        new QLabel(tr("These downloads were not saved. Save each, discard it, or keep it for the next "
                      "start. A download can be looked at first."),
                   this);
    intro->setWordWrap(true);

    m_table->setObjectName(QStringLiteral("copies"));
    m_table->setHorizontalHeaderLabels(
        {tr("Controller"), tr("Lines"), tr("Written"), tr("Size"), tr("Choice")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    const QLocale c = QLocale::c();
    for (int row = 0; row < copies.size(); ++row) {
        const LeftoverCopy& copy = copies.at(row);
        const QStringList cells = {copy.controller.isEmpty() ? tr("(no header)") : copy.controller,
                                   linesText(copy),
                                   copy.written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                   c.formattedDataSize(copy.bytes, 1, QLocale::DataSizeTraditionalFormat)};
        for (int column = 0; column < cells.size(); ++column) {
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        }
        auto* choice = new QComboBox(m_table);
        choice->addItems({tr("Save"), tr("Discard"), tr("Later")});
        choice->setCurrentIndex(int(LeftoverChoice::Later)); // nothing goes without being asked for
        choice->setAccessibleName(tr("What becomes of the download from %1").arg(cells.first()));
        m_table->setCellWidget(row, Choice, choice);
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->selectRow(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* view = buttons->addButton(tr("&View in the Log Viewer"), QDialogButtonBox::ActionRole);
    view->setObjectName(QStringLiteral("view"));
    connect(view, &QPushButton::clicked, this, &LeftoverDialog::viewChosen);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(std::max(620, m_table->horizontalHeader()->length() + 40), 160 + 30 * int(copies.size()));
}

QComboBox* LeftoverDialog::choiceOf(int row) const {
    return qobject_cast<QComboBox*>(m_table->cellWidget(row, Choice));
}

QList<LeftoverChoice> LeftoverDialog::choices() const {
    QList<LeftoverChoice> chosen;
    for (int row = 0; row < m_copies.size(); ++row) {
        chosen << (result() == Accepted ? LeftoverChoice(choiceOf(row)->currentIndex())
                                        : LeftoverChoice::Later);
    }
    return chosen;
}

void LeftoverDialog::viewChosen() {
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_copies.size() || !m_copies.at(row).load) {
        return;
    }
    // A window of the dialog's own, so it takes input while the dialog waits for the choices.
    auto* held = new HeldLines;
    held->lines = m_copies.at(row).load();
    auto* viewer = new LogViewer(held->lines, m_op, this);
    held->setParent(viewer);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setWindowTitle(tr("Log Viewer: %1").arg(m_table->item(row, Controller)->text()));
    viewer->show();
}

QString LeftoverDialog::linesText(const LeftoverCopy& copy) {
    if (copy.complete) {
        return tr("%1, complete").arg(copy.lines);
    }
    return copy.expected > 0 ? tr("%1 of %2, incomplete").arg(copy.lines).arg(copy.expected)
                             : tr("%1, incomplete").arg(copy.lines);
}
