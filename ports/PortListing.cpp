#include "PortListing.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>

namespace {

QList<PortDescription> systemPorts() {
    QList<PortDescription> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortDescription port;
        port.device = info.systemLocation();
        port.manufacturer = info.manufacturer().trimmed();
        port.product = info.description().trimmed();
        port.serialNumber = info.serialNumber().trimmed();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vid = info.vendorIdentifier();
            port.pid = info.productIdentifier();
        }
        ports << port;
    }
    return ports;
}

QString realPath(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

PortDescription pathOnly(const QString& device) {
    PortDescription port;
    port.device = device;
    return port;
}

QString hex4(int value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

QString PortDescription::text() const {
    if (!isUsb()) {
        return device;
    }
    QStringList parts{device};
    // Adapters often repeat the maker's name at the start of the product's.
    QString what = product;
    if (!manufacturer.isEmpty() && !product.startsWith(manufacturer, Qt::CaseInsensitive)) {
        what = product.isEmpty() ? manufacturer : manufacturer + QLatin1Char(' ') + product;
    }
    for (const QString& part : {what, serialNumber}) {
        if (!part.isEmpty()) {
            parts << part;
        }
    }
    parts << hex4(vid) + QLatin1Char(':') + hex4(pid);
    return parts.join(QStringLiteral(" · "));
}

DeviceSource DeviceSource::system() {
    return {systemPorts, QStringLiteral("/dev/serial/by-id")};
}

QList<PortDescription> DeviceSource::available() const {
    QList<PortDescription> ports = describe ? describe() : QList<PortDescription>();
    for (PortDescription& port : ports) {
        port.device = realPath(port.device);
    }
    const QFileInfoList names =
        QDir(byIdFolder).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& name : names) {
        const QString target = name.canonicalFilePath();
        if (target.isEmpty()) {
            continue; // a name left behind by an adapter that went away
        }
        auto port = std::find_if(ports.begin(), ports.end(),
                                 [&](const PortDescription& p) { return p.device == target; });
        if (port == ports.end()) {
            ports << pathOnly(target);
            port = ports.end() - 1;
        }
        if (port->byIdPath.isEmpty()) {
            port->byIdPath = name.absoluteFilePath();
        }
    }
    return ports;
}
