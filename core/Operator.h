#pragma once

#include "LineStore.h"
#include "MessageStyle.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What the Save dialog is asked to offer.
struct SaveFileRequest {
    QString title;
    QString filter;
    QString folder;
};

// What an Open dialog is asked to offer: one file, several, or a folder.
struct OpenFileRequest {
    enum class Pick { File, Files, Folder };
    QString title;
    QString filter;
    QString folder;
    Pick pick = Pick::Files;
};

// A port the operator chose: its COM number and, for an adapter with a stable name or a device that no
// number reaches by itself, the name to pin the number to (empty: the number stays as it is).
struct PortChoice {
    int number = 1;
    QString pinTo;

    bool operator==(const PortChoice&) const = default;
};

// A copy of a download that an earlier run left unsaved, as the start-up offers it.
struct LeftoverCopy {
    QString controller; // the name its header gives the controller, or ""
    int lines = 0;
    int expected = 0;      // the lines its header announced, 0 when unknown
    bool complete = false; // it reached the controller's final line
    QDateTime written;
    qint64 bytes = 0;
    std::function<LineStore()> load; // its lines, to look at before deciding
};

// What becomes of a leftover copy: saved (through the Save dialog), discarded, or kept for the next start.
enum class LeftoverChoice { Save, Discard, Later };

// Everything the operator answers goes through here: message boxes, the beep, the Save dialog, the port
// selection dialog and ending the program. The program uses real dialogs; tests answer from a script.
class Operator {
public:
    virtual ~Operator() = default;

    // details: a further line under the text saying why (the real dialogs show it as informative text);
    // empty for most boxes.
    virtual Answer messageBox(const QString& text, int style, const QString& title,
                              const QString& details = QString()) = 0;
    virtual void beep() = 0;
    // The chosen file name, or nothing when the operator cancelled.
    virtual std::optional<QString> chooseSaveFile(const SaveFileRequest& request) = 0;
    // The files (or the folder) chosen in an Open dialog; empty when the operator cancelled. An operator
    // without such a dialog (the command line) answers Cancel.
    virtual QStringList chooseOpenFiles(const OpenFileRequest& request) {
        Q_UNUSED(request);
        return {};
    }
    // The port selection dialog, opened on the port in use; nothing when the operator kept the port.
    virtual std::optional<PortChoice> choosePort(int currentPort) = 0;
    // One dialog for every copy earlier runs left unsaved: a choice for each, in the same order.
    virtual QList<LeftoverChoice> reviewLeftovers(const QList<LeftoverCopy>& copies) = 0;
    // Ends the program once control returns to the event loop; callers return at once after it.
    virtual void endProgram() = 0;
};
