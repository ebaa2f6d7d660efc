#include "FakeDevices.h"

#include <QFile>

bool FakeDevices::plugIn(const QString& name, const QString& device) const {
    return QFile::link(device, byIdPath(name));
}

bool FakeDevices::pullOut(const QString& name) const {
    return QFile::remove(byIdPath(name));
}
