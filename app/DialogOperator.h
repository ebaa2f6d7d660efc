#pragma once

#include "Operator.h"

class ComPort;
class QWidget;
struct Settings;

// The operator at the screen: real message boxes, the system beep and the Save dialog over the program's
// main window, and the port selection dialog on the program's one port. main() hands it the port and the
// settings that the main window uses too.
class DialogOperator : public Operator {
public:
    DialogOperator(ComPort& port, Settings& settings) : m_port(port), m_settings(settings) {}

    Answer messageBox(const QString& text, int style, const QString& title,
                      const QString& details = QString()) override;
    void beep() override;
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    void showPortSelection() override;
    void endProgram() override;

private:
    ComPort& m_port;
    Settings& m_settings;
};

// The program's main window, which the dialogs stand over; nothing before it is shown.
QWidget* mainWindow();
