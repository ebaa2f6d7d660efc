#pragma once

#include "Operator.h"

class MainForm;

// The operator at the screen: real message boxes, the system beep and the Save dialog over the main
// window, and the port selection dialog on the main window's port.
class DialogOperator : public Operator {
public:
    void setWindow(MainForm* window) { m_window = window; }

    Answer messageBox(const QString& text, int style, const QString& title) override;
    void beep() override;
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    void showPortSelection() override;
    void endProgram() override;

private:
    MainForm* m_window = nullptr;
};
