// Reads arbitrary bytes as the settings file's text, in memory (no file and no flush to the disk per
// input, so millions of inputs run): never a crash, a usable port within 1 to 32 or none, and a value
// written into any text reads back as written.

#include "IniText.h"
#include "Settings.h"

#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto stored = IniText::value(text, "DEFAULT", "Comport");
    if (const auto port = usablePortNumber(QString::fromLocal8Bit(stored.value_or(QByteArray())))) {
        check(*port >= 1 && *port <= 32);
    }
    const QByteArray edited = IniText::withValue(text, "DEFAULT", "path", "/data/logs/");
    check(IniText::value(edited, "default", "PATH") == QByteArray("/data/logs/"));
    check(IniText::value(IniText::withValue(edited, "Default", "Comport", "7"), "DEFAULT", "comport") ==
          QByteArray("7"));
    return 0;
}
