#pragma once

#include "PortListing.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

// The system's serial devices as a test wants them, for the test's life: no USB adapter is at hand, so
// the descriptions are the test's own, and the by-id folder is a temporary folder of links (to
// pseudo-terminals) instead of /dev/serial/by-id. Nothing of the machine's own devices shows.
class FakeDevices {
public:
    FakeDevices() = default;
    FakeDevices(const FakeDevices&) = delete;
    FakeDevices& operator=(const FakeDevices&) = delete;

    // What the system says about its devices (as QSerialPortInfo would).
    QList<PortDescription> described;
    // The source a port list takes these devices from.
    DeviceSource source() const {
        return {[this] { return described; }, m_dir.path()};
    }

    QString byIdFolder() const { return m_dir.path(); }
    QString byIdPath(const QString& name) const { return m_dir.filePath(name); }
    // An adapter's stable name appears or goes away, as when it is plugged in or pulled out.
    bool plugIn(const QString& name, const QString& device) const;
    bool pullOut(const QString& name) const;

private:
    QTemporaryDir m_dir;
};
