#include "DownloadEnd.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<DownloadEnd, const char*>, 5> kTexts = {{
    {DownloadEnd::Complete, "complete"},
    {DownloadEnd::Silent, "silent"},
    {DownloadEnd::LimitReached, "limit reached"},
    {DownloadEnd::Interrupted, "interrupted"},
    {DownloadEnd::Imported, "imported"},
}};

} // namespace

QString downloadEndText(DownloadEnd end) {
    for (const auto& [value, text] : kTexts) {
        if (value == end) {
            return QString::fromLatin1(text);
        }
    }
    return {};
}

std::optional<DownloadEnd> downloadEndFromText(const QString& text) {
    for (const auto& [value, name] : kTexts) {
        if (text == QLatin1String(name)) {
            return value;
        }
    }
    return std::nullopt;
}
