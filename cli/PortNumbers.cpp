#include "PortNumbers.h"

#include "ExitCode.h"
#include "PortDevices.h"
#include "SettingsFile.h"

#include <QCommandLineOption>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

namespace {

// The fixed table ends at COM 32 on Linux; where every number names a port (COMn on Windows) the list
// stops at the highest number the system hands out.
constexpr int kHighestNumber = 256;

// Numbers of the links in the settings folder, also beyond the table (the simulator's --com takes any).
// They are candidates only: devicePathFor() decides where each number leads.
QList<int> linkedNumbers() {
    const QDir folder(SettingsFolder() + QStringLiteral("ports"));
    // System: links to device files and links whose device is gone are entries too.
    const QStringList names = folder.entryList(
        {QStringLiteral("com*")}, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    QList<int> numbers;
    for (const QString& name : names) {
        bool isNumber = false;
        const int number = name.mid(3).toInt(&isNumber);
        if (isNumber && number >= 1) {
            numbers << number;
        }
    }
    return numbers;
}

} // namespace

namespace PortNumbers {

QList<int> withDevice() {
    QList<int> numbers = linkedNumbers();
    for (int number = 1; number <= kHighestNumber && !tableDeviceFor(number).isEmpty(); ++number) {
        numbers << number;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    numbers.removeIf([](int number) {
        const QString device = devicePathFor(number);
        return device.isEmpty() || !QFileInfo::exists(device);
    });
    return numbers;
}

QCommandLineOption option() {
    QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                 QStringLiteral("Print the COM numbers that have a device, one a line."));
    listPorts.setFlags(QCommandLineOption::HiddenFromHelp);
    return listPorts;
}

int print() {
    QTextStream out(stdout);
    for (const int number : withDevice()) {
        out << number << '\n';
    }
    return ExitCode::kDone;
}

} // namespace PortNumbers
