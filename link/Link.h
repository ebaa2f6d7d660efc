#pragma once

#include "Exchange.h"
#include "KeepDownload.h"
#include "LinkDisplay.h"
#include "LinkState.h"
#include "MessageStyle.h"
#include "RecoveryCopy.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QTimer>

class ComPort;
class Operator;
struct Settings;

// The Download button clears the receive buffer before opening the port, the Tools menu's Download
// right after it; otherwise the two start a download alike.
enum class DownloadEntry { Button, Menu };

// The program's exchange with the controller, owned in one place: the link state and the stored lines,
// what the window shows of them, the response watchdog, the recovery copy and what counts as saved. The
// link wires its own port and watchdog; the window and the command line call its commands and learn what
// happened from its signals.
class Link : public QObject {
    Q_OBJECT

public:
    static constexpr int kWatchdogMs = 2000;

    Link(ComPort& port, Settings& settings, Operator& op, QObject* parent = nullptr);

    // Offers to save an unsaved download, clears the display, opens the port, sends "*LOAD#" and starts
    // the response watchdog.
    void startDownload(DownloadEntry entry);
    // Asks the controller how many logs it holds ("*01a02#").
    void startLogCountQuery();
    // "Save Downloaded Logs?"; afterwards the lines count as gone, whatever the answer.
    void PromptSaveLogs();
    // Before the program ends (File > Exit, the close box): any stored lines are offered for saving.
    void confirmExit();
    // Ends the program when the operator gives up on the port, asking first about lines not yet saved.
    void endProgramSavingFirst();

    // Takes bytes already read through the reply's steps, exactly as if the port had delivered them; the
    // result never depends on how the bytes are split into reads.
    void receiveReply(QByteArrayView input);
    // Takes what follows as a fresh reply to a command of this mode without sending one (the benchmark
    // and the fuzzers feed replies through receiveReply): the buffer is emptied and, for a download, the
    // stored lines dropped.
    void awaitReply(int commandMode);

    const LineStore& lines() const { return m_state.LogLines; }
    int LineCount() const { return m_state.LineCount(); }
    int CommandMode() const { return m_state.CommandMode; }
    const QByteArray& RxBuffer() const { return m_state.RxBuffer; }
    int ExpectedLines() const { return m_state.ExpectedLines; }
    int WatchLineCount() const { return m_state.WatchLineCount; }
    // A command's reply is awaited.
    bool replyAwaited() const { return !m_state.replyOver; }
    // The count of a complete log-count reply (characters 9 to 12, hex, high byte first).
    int receivedLogCount() const;
    bool watchdogRunning() const { return m_responseTimer.isActive(); }
    // When the command of the current (or last) exchange went out, in UTC.
    QDateTime exchangeStartedAt() const { return m_startedAt; }
    const LinkDisplay& display() const { return m_display; }
    KeepDownload& keep() { return m_keep; }
    const RecoveryCopy& recovery() const { return m_recovery; }
    // A download ends early, its lines kept, once it holds this many lines or bytes.
    void setLimits(int lines, qsizetype bytes) {
        m_state.maxLines = lines;
        m_state.maxBytes = bytes;
    }

    // The link's slots, connected to its port and its watchdog.
    // Every arrival from the port: what it brought is read and taken through the reply's steps.
    void ComPort_OnComm();
    // One tick of the response watchdog. During a download, a tick that finds no line completed since
    // the previous one closes the port and asks the operator to retry (start the download over) or cancel
    // (abandon it); during a log-count query any tick means the reply is late, and the query ends.
    void ResponseTimer_Timer();

signals:
    // The exchange is over: how, and why where there is a reason (the port's, a device that went away).
    // Told first in each finish, before the finish's own steps (a message box among them), so a listener
    // that wants the finish through should act from the event loop.
    void exchangeEnded(ExchangeEnd how, const QString& reason);
    // Lines first to last were stored (told once per read from the port, and before every finish).
    void linesStored(int first, int last);
    // The stored lines are gone: a new download, a Retry, or the question before they are thrown away.
    void linesDropped();

private:
    bool beginExchange(QByteArrayView command);
    void endExchange(ExchangeEnd end, const QString& reason = QString());
    void tellStored();
    void dropLines();
    void finishNoLogs();
    void finishDownload(ExchangeEnd end, const QString& status, const QString& message);
    void finishQuery();
    Answer askNoResponse();
    void retryDownload();
    void abandonDownload();
    void ShowLogCount();

    ComPort& m_port;
    Settings& m_settings;
    Operator& m_op;
    LinkState m_state;
    LinkDisplay m_display;
    RecoveryCopy m_recovery;
    KeepDownload m_keep;
    QTimer m_responseTimer;
    QDateTime m_startedAt;
    int m_toldLines = 0;           // lines told through linesStored
    bool m_watchdogAsking = false; // the watchdog's question is open: a tick meanwhile asks nothing
};
