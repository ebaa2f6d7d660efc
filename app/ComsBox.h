#pragma once

#include "PortChoices.h"

#include <QDialog>
#include <QSet>
#include <QTimer>
#include <optional>

class ComPort;
class Operator;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The "COM Port Selection" dialog: half a second after it opens it finds which of COM 1 to 16 open,
// through the program's one port, each entry saying what the device is; from then on the list follows
// adapters being plugged in and pulled out. The operator may test a port; OK makes the choice (the
// caller stores it). It is always shown modally and built afresh for each showing.
class ComsBox : public QDialog {
    Q_OBJECT

public:
    // Placed at (1470, 600) twips from the corner of the window it belongs to; the port in use is chosen
    // in the list once the search has found it.
    ComsBox(ComPort& port, int currentPort, Operator& op, DeviceSource devices = DeviceSource::system(),
            QWidget* owner = nullptr);

    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QGroupBox* ComFrame = nullptr;
    QComboBox* ComsCombo = nullptr;
    QPushButton* TestComs = nullptr;
    QLabel* SearchText = nullptr;
    QTimer DisplayTimer;

    void DisplayTimer_Timer();
    void SearchPorts();
    void TestComs_Click();
    void OKButton_Click();
    void CancelButton_Click();
    void done(int result) override;
    // Brings the list up to date with the devices plugged in and pulled out since it was last looked at.
    void followDevices();
    // What OK chose; nothing after Cancel, the close box, or OK with no port chosen or typed.
    const std::optional<PortChoice>& choice() const { return m_choice; }

private:
    bool opens(const PortChoices::Entry& entry);
    void showEntries(const QList<PortChoices::Entry>& before, const QList<PortChoices::Entry>& entries);

    PortChoices m_choices;
    QList<PortChoices::Entry> m_listed;
    QSet<QString> m_refused; // devices that did not open, not tried again until they go away
    QTimer m_deviceWatch;
    std::optional<PortChoice> m_choice;
    ComPort& m_port;
    int m_currentPort;
    Operator& m_op;
};
