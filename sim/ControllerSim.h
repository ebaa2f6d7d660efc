#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class QSocketNotifier;

// How the simulated controller behaves.
struct SimOptions {
    int records = 100;  // 0: the controller answers "No log entries!"
    bool paced = false; // at the wire speed of 9600 baud (about 1.04 ms a byte), else as fast as possible
    QByteArray stray;   // sent before every reply
    int silentAfterLine = -1; // falls silent after this many lines ...
    int silentAttempts = 1;   // ... in this many download requests, then answers in full
    int hangUpAfterLine = -1; // the device goes away after this many lines
    int lineGapMs = 0;        // pause after each line, so that each arrives in a read of its own
    int endlessLineBytes = 0; // after the header, lines of this many bytes without end (a broken controller)
    std::optional<QList<QByteArray>> lines; // the download reply, when not the generated one
    std::optional<QByteArray> queryReply;   // the log-count reply, when not the generated one
};

// The line settings a program gave the device, as the pty reports them.
struct SimLineSettings {
    int baud = 0;
    int dataBits = 0;
    bool parity = true;
    int stopBits = 0;
};

// Plays the controller on a pseudo-terminal: answers "*LOAD#" with a download and "*01a02#" with the
// log count. Runs on the event loop of the thread that made it.
class ControllerSim : public QObject {
    Q_OBJECT

public:
    explicit ControllerSim(SimOptions options = {}, QObject* parent = nullptr);
    ~ControllerSim() override;

    // Opens the pty; false when the system has none to give.
    bool start();
    QString devicePath() const { return m_slavePath; }
    // Points settingsFolder/ports/comN at the pty, as the program looks COM numbers up there.
    bool placeLink(const QString& settingsFolder, int comNumber);

    SimOptions& options() { return m_options; }
    QByteArray received() const { return m_received; }
    int downloadRequests() const { return m_downloadRequests; }
    bool replyPending() const { return !m_queue.isEmpty(); }
    SimLineSettings lineSettings() const;

    // Sends bytes at once, outside any reply: what a controller still talking from an earlier request
    // leaves in the port.
    void sendNow(const QByteArray& bytes);

    // The device goes away (an adapter pulled out): the pty is closed and its link points at a name that
    // never exists, so a pty handed later to another program is never taken for this device.
    void hangUp();
    // A device comes back on a fresh pty; the link placed earlier is moved to it.
    bool reconnect();

signals:
    void commandReceived(const QByteArray& command);
    void replyFinished();
    void hungUp();

private:
    void onReadable();
    QList<QByteArray> generatedReply();
    void startReply(QList<QByteArray> pieces, bool hangUpAtEnd);
    void pump();
    void closePty();

    SimOptions m_options;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_pacer;
    QElapsedTimer m_clock;
    qint64 m_pacedSent = 0;
    QList<QByteArray> m_queue; // pieces still to send: the stray text, then one piece per line
    qsizetype m_offset = 0;    // bytes of the first piece already sent
    bool m_hangUpAtEnd = false;
    QByteArray m_endless; // what an endless reply sends again and again
    QByteArray m_inbox;
    QByteArray m_received;
    int m_downloadRequests = 0;
    QList<QByteArray> m_generated; // the generated reply for m_generatedRecords, made once
    int m_generatedRecords = -1;
};
