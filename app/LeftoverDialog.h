#pragma once

#include "Operator.h"

#include <QDialog>

class QComboBox;
class QTableWidget;

// The copies of downloads that earlier runs left unsaved, in one dialog at start-up: for each the
// controller its header names, its lines (complete, or how many of those its header announced), when it
// was written and its size, with Save, Discard or Later (kept for the next start); a copy can be looked at
// in the log viewer before deciding. Closing the dialog keeps every copy for later.
class LeftoverDialog : public QDialog {
    Q_OBJECT

public:
    LeftoverDialog(const QList<LeftoverCopy>& copies, Operator& op, QWidget* parent = nullptr);

    QList<LeftoverChoice> choices() const;
    QTableWidget* table() const { return m_table; }
    QComboBox* choiceOf(int row) const;
    // Opens the log viewer on the chosen copy's lines.
    void viewChosen();

    // The lines of a copy in words: "108, complete", "46 of 108, incomplete" or "46, incomplete".
    static QString linesText(const LeftoverCopy& copy);

private:
    QList<LeftoverCopy> m_copies;
    Operator& m_op;
    QTableWidget* m_table;
};
