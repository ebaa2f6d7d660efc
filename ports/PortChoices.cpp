#include "PortChoices.h"

#include "PortDevices.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TextNumber.h"

#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <limits>

namespace {

// The numbers beyond the dialog's range still reach the rest of the on-board ports.
constexpr int kLastTableNumber = 32;

QString entryText(int number, const PortDescription& description) {
    return QStringLiteral("COM") + formatPortNumber(number) + QStringLiteral("  ") + description.text();
}

QString realDevice(int number) {
    const QString device = devicePathFor(number);
    const QFileInfo info(device);
    return device.isEmpty() || !info.exists() ? QString() : info.canonicalFilePath();
}

} // namespace

QList<PortChoices::Entry> PortChoices::look() {
    const QList<PortDescription> devices = m_source.available();
    const auto describe = [&](const QString& device) {
        const auto found = std::find_if(devices.begin(), devices.end(),
                                        [&](const PortDescription& d) { return d.device == device; });
        if (found != devices.end()) {
            return *found;
        }
        PortDescription pathOnly; // a device the system says nothing about, such as a pseudo-terminal
        pathOnly.device = device;
        return pathOnly;
    };

    QList<Entry> entries;
    QList<int> free;
    QSet<QString> reached;
    for (int number = kFirstNumber; number <= kLastTableNumber; ++number) {
        const QString device = realDevice(number);
        if (!device.isEmpty()) {
            reached << device;
        }
        if (number > kLastNumber) {
            continue;
        }
        if (device.isEmpty()) {
            if (!isPinned(number, m_source.byIdFolder)) {
                free << number;
            }
            continue;
        }
        const PortDescription description = describe(device);
        entries << Entry{number, device, entryText(number, description), description.byIdPath, false};
    }

    QList<PortDescription> unreached;
    for (const PortDescription& device : devices) {
        // The system lists on-board ports beyond the table whether or not they have a chip behind them;
        // they would only fill the free numbers.
        const bool onBoard = device.device.startsWith(QLatin1String("/dev/ttyS"));
        if (!reached.contains(device.device) && !onBoard && QFileInfo::exists(device.device)) {
            unreached << device;
        }
    }
    std::sort(unreached.begin(), unreached.end(),
              [](const PortDescription& a, const PortDescription& b) { return a.device < b.device; });
    QHash<QString, int> placed;
    // Devices placed before keep their numbers, so a selection does not move under the operator's eyes.
    for (const PortDescription& device : unreached) {
        const int number = m_placed.value(device.device, 0);
        if (free.removeOne(number)) {
            placed.insert(device.device, number);
        }
    }
    for (const PortDescription& device : unreached) {
        if (!placed.contains(device.device) && !free.isEmpty()) {
            placed.insert(device.device, free.takeFirst());
        }
    }
    for (const PortDescription& device : unreached) {
        if (placed.contains(device.device)) {
            const int number = placed.value(device.device);
            entries << Entry{number, device.device, entryText(number, device),
                             device.byIdPath.isEmpty() ? device.device : device.byIdPath, true};
        }
    }
    m_placed = placed;
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.number < b.number; });
    return entries;
}

std::optional<int> PortChoices::portNumberOf(const QString& text) {
    if (!text.startsWith(QLatin1String("COM"))) {
        return std::nullopt;
    }
    const double number = roundHalfEven(leadingNumber(QStringView(text).mid(4)));
    if (number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return int(number);
}

std::optional<PortChoice> PortChoices::selection(const QString& text, const QList<Entry>& listed) {
    if (text.trimmed().isEmpty() || text.trimmed() == kInvitation) {
        return std::nullopt;
    }
    const auto entry =
        std::find_if(listed.begin(), listed.end(), [&](const Entry& e) { return e.text == text; });
    if (entry != listed.end()) {
        return PortChoice{entry->number, entry->pinTo};
    }
    return PortChoice{portNumberOf(text).value_or(1), QString()};
}

void storePortChoice(const PortChoice& choice, Settings& settings) {
    settings.PortNumber = choice.number;
    StoredSettings::writePortNumber(choice.number);
    if (!choice.pinTo.isEmpty()) {
        pinComNumber(choice.number, choice.pinTo);
    }
}
