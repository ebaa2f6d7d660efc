#pragma once

#include <QDialog>
#include <QTimer>
#include <optional>

class ComPort;
class Operator;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
struct Settings;

// The "COM Port Selection" dialog: half a second after it opens it finds which of COM 1 to 16 open,
// through the program's one port; the operator may test a port, and OK stores the chosen one in
// PortNumber and the settings file. It is always shown modally and built afresh for each showing.
class ComsBox : public QDialog {
    Q_OBJECT

public:
    // Placed at (1470, 600) twips from the corner of the window it belongs to.
    ComsBox(ComPort& port, Settings& settings, Operator& op, QWidget* owner = nullptr);

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

    // The port a text names: the number from its fifth character on when it begins with "COM", held as a
    // 16-bit value; nothing when it names no port or the number does not fit.
    static std::optional<int> portNumberOf(const QString& text);

private:
    ComPort& m_port;
    Settings& m_settings;
    Operator& m_op;
};
