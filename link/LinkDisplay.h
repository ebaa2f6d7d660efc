#pragma once

#include "LineStore.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

enum class PanelColour { Menu, ButtonFace, Red, Green };

// What the controller link shows in the main window: the five status panels, the log box, the progress
// bar and which commands are offered. The window draws it whenever it reports a change. Changes made
// while it is held (a read from the port) are reported once, when the last hold is released; the log box
// and the progress bar, which a download changes with every line, are then reported at most every
// kPublishMs, as no eye follows faster, while every other change is reported at once.
class LinkDisplay : public QObject {
    Q_OBJECT

public:
    static constexpr int kPanels = 5;
    static constexpr int kPublishMs = 40;

    LinkDisplay();

    const QString& panelText(int index) const { return m_panels.at(size_t(index)).text; }
    PanelColour panelColour(int index) const { return m_panels.at(size_t(index)).colour; }
    void setPanelText(int index, const QString& text);
    void setPanelColour(int index, PanelColour colour);

    // The log box's text, the received bytes as they are.
    const QByteArray& logText() const;
    void setLogText(const QByteArray& text);
    void appendLogText(QByteArrayView text);
    // The log box shows lines first to last of the store. The text is put together when it is next
    // looked at or published, so a read that stores many lines builds it once, not once per line.
    void showLines(const LineStore& store, int first, int last);
    // Raised by every change of the log box's text, so a view redraws it only when needed.
    quint64 logRevision() const { return m_logRevision; }
    // Raised by every change of the panels and the commands offered.
    quint64 statusRevision() const { return m_statusRevision; }

    int progress() const { return m_progress; }
    void setProgress(int percent);

    // Download (button and menu) and Select Comport.
    bool commandsEnabled() const { return m_commandsEnabled; }
    void setCommandsEnabled(bool enabled);
    // Save (button and menu).
    bool saveEnabled() const { return m_saveEnabled; }
    void setSaveEnabled(bool enabled);

    void hold() { ++m_holds; }
    void release();
    // Reports pending changes now, held or not: before a message box, the window must be up to date.
    void publish();

signals:
    void changed();

private:
    struct Panel {
        QString text;
        PanelColour colour = PanelColour::Menu;
    };
    void touch();
    void touchOften();

    std::array<Panel, kPanels> m_panels;
    mutable QByteArray m_logText;
    mutable const LineStore* m_pendingLines = nullptr;
    int m_firstLine = 0;
    int m_lastLine = 0;
    quint64 m_logRevision = 0;
    quint64 m_statusRevision = 0;
    int m_progress = 0;
    bool m_commandsEnabled = true;
    bool m_saveEnabled = false;
    int m_holds = 0;
    bool m_dirty = false;
    bool m_urgent = false; // a pending change that is not the log box or the progress bar
    QTimer m_publishLater;
    QElapsedTimer m_sincePublish;
};

// Holds a display for one scope, e.g. one read from the port.
class DisplayHold {
public:
    explicit DisplayHold(LinkDisplay& display) : m_display(display) { m_display.hold(); }
    ~DisplayHold() { m_display.release(); }
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;

private:
    LinkDisplay& m_display;
};
