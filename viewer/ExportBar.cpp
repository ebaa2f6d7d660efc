#include "ExportBar.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>

namespace {

QDateTimeEdit* timeEdit(const char* name) {
    auto* edit = new QDateTimeEdit;
    edit->setObjectName(QLatin1String(name));
    // Record times are the controller's clock: kept as UTC, no daylight-saving change skips an hour.
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    edit->setCalendarPopup(true);
    edit->setEnabled(false);
    return edit;
}

} // namespace

ExportBar::ExportBar(QWidget* parent)
    : QWidget(parent), m_fromBox(new QCheckBox(tr("&from"))), m_toBox(new QCheckBox(tr("t&o"))),
      m_from(timeEdit("exportFrom")), m_to(timeEdit("exportTo")), m_layout(new QComboBox) {
    m_fromBox->setObjectName(QStringLiteral("exportFromBox"));
    m_toBox->setObjectName(QStringLiteral("exportToBox"));
    m_layout->setObjectName(QStringLiteral("exportLayout"));
    m_layout->addItem(tr("in the controller's layout"));
    m_layout->addItem(tr("as a plain table (titles and records)"));
    m_layout->setAccessibleName(tr("Export layout"));
    connect(m_fromBox, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_toBox, &QCheckBox::toggled, m_to, &QWidget::setEnabled);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("Export records")));
    layout->addWidget(m_fromBox);
    layout->addWidget(m_from);
    layout->addWidget(m_toBox);
    layout->addWidget(m_to);
    layout->addWidget(m_layout);
    layout->addStretch(1);
}

void ExportBar::setRange(const QDateTime& first, const QDateTime& last) {
    if (first.isValid()) {
        m_from->setDateTime(first);
    }
    if (last.isValid()) {
        m_to->setDateTime(last);
    }
}

ExportRequest ExportBar::request(qint64 controllerId, DateOrder order) const {
    ExportRequest request;
    request.controllerId = controllerId;
    request.order = order;
    request.from = m_fromBox->isChecked() ? m_from->dateTime() : QDateTime();
    request.to = m_toBox->isChecked() ? m_to->dateTime() : QDateTime();
    request.plain = m_layout->currentIndex() == PlainTable;
    return request;
}
