#pragma once

#include "Operator.h"
#include "PortListing.h"

class ComPort;
class QWidget;

// The operator at the screen: real message boxes, the system beep and the Save dialog over the program's
// main window, and the port selection dialog on the program's one port, listing the devices `devices`
// describes. main() hands it the port that the main window uses too.
class DialogOperator : public Operator {
public:
    explicit DialogOperator(ComPort& port, DeviceSource devices = DeviceSource::system())
        : m_port(port), m_devices(std::move(devices)) {}

    Answer messageBox(const QString& text, int style, const QString& title,
                      const QString& details = QString()) override;
    void beep() override;
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    QStringList chooseOpenFiles(const OpenFileRequest& request) override;
    std::optional<PortChoice> choosePort(int currentPort) override;
    QList<LeftoverChoice> reviewLeftovers(const QList<LeftoverCopy>& copies) override;
    void endProgram() override;

private:
    ComPort& m_port;
    DeviceSource m_devices;
};

// The program's main window, which the dialogs stand over; nothing before it is shown.
QWidget* mainWindow();
