#pragma once

#include "ExportRequest.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;

// What an export of a controller's records takes: the time range (each end ticked to limit it, else open)
// read from the records' own dates, and the layout: the controller's own (header lines, titles, records,
// "END OF DOWNLOAD", as tools that read downloads expect) or a plain table of titles and records.
class ExportBar : public QWidget {
    Q_OBJECT

public:
    enum Layout { ControllerLayout, PlainTable };

    explicit ExportBar(QWidget* parent = nullptr);

    // Sets both ends to a controller's first and last record (left unticked: everything is exported).
    void setRange(const QDateTime& first, const QDateTime& last);
    ExportRequest request(qint64 controllerId, DateOrder order) const;

    QCheckBox* fromBox() const { return m_fromBox; }
    QCheckBox* toBox() const { return m_toBox; }
    QDateTimeEdit* from() const { return m_from; }
    QDateTimeEdit* to() const { return m_to; }
    QComboBox* layoutBox() const { return m_layout; }

private:
    QCheckBox* m_fromBox;
    QCheckBox* m_toBox;
    QDateTimeEdit* m_from;
    QDateTimeEdit* m_to;
    QComboBox* m_layout;
};
