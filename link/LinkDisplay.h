#pragma once

#include "Throttle.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>

enum class PanelColour { Menu, ButtonFace, Red, Green };

// What the controller link shows in the main window: the five status panels, the log box, the progress
// bar and which commands are offered. The window draws it whenever it reports a change. Changes made
// while it is held (a read from the port) are reported once, when the last hold is released; the log box
// and the progress bar, which a download changes with every line, are then reported at most every
// kPublishMs: ten times a second keeps up with the eye, while every redraw of the scrolling box costs the
// display server a copy of it (at 25 a second that was more than the rest of a download together).
// Every other change is reported at once.
class LinkDisplay : public QObject {
    Q_OBJECT

public:
    static constexpr int kPanels = 5;
    static constexpr int kPublishMs = 100;

    // What the log box shows: lines first to last of the link's store (none while last < first), or a
    // note in their place (the controller's "No log entries!"). `content` changes whenever the box starts
    // afresh, so a view can tell lines that moved up from lines that were replaced.
    struct LogBox {
        quint64 content = 0;
        int first = 1;
        int last = 0;
        QByteArray note;

        bool operator==(const LogBox&) const = default;
    };

    LinkDisplay();

    const QString& panelText(int index) const { return m_panels.at(size_t(index)).text; }
    PanelColour panelColour(int index) const { return m_panels.at(size_t(index)).colour; }
    void setPanelText(int index, const QString& text);
    void setPanelColour(int index, PanelColour colour);

    const LogBox& logBox() const { return m_logBox; }
    // The box starts afresh, empty.
    void clearLog();
    // The box shows lines first to last of the store.
    void showLines(int first, int last);
    void showNote(const QByteArray& note);
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
    void report();

    std::array<Panel, kPanels> m_panels;
    LogBox m_logBox;
    quint64 m_statusRevision = 0;
    int m_progress = 0;
    bool m_commandsEnabled = true;
    bool m_saveEnabled = false;
    int m_holds = 0;
    bool m_dirty = false;
    bool m_urgent = false; // a pending change that is not the log box or the progress bar
    Throttle m_throttle;
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
