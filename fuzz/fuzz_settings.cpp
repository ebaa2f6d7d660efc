// Reads arbitrary bytes as the settings file: never a crash, a port within 1 to 32 afterwards, and a
// value written into any text reads back as written.

#include "IniText.h"
#include "Settings.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir home;
    static const bool ready = [] {
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        return QDir().mkpath(SettingsFolder());
    }();
    check(ready);

    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile file(SettingsFolder() + QStringLiteral("korvane.ini"));
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    Settings settings;
    LoadSettings(settings);
    check(settings.PortNumber >= 1 && settings.PortNumber <= 32);
    check(settings.PortDefaulted == 0 || settings.PortNumber == 1);

    const QByteArray edited = IniText::withValue(text, "DEFAULT", "path", "/data/logs/");
    check(IniText::value(edited, "default", "PATH") == QByteArray("/data/logs/"));
    return 0;
}
