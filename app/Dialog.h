#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the maker's logo and contact details, the software's part number, version and release
// date. Everything it shows is fixed.
class Dialog : public QDialog {
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);

    QPushButton* Ok = nullptr;
    QLabel* Logo = nullptr;

    void Ok_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
