#pragma once

#include <QByteArray>
#include <optional>

// The text of an INI file, read and edited the way the platform's profile functions do it: section and
// key names match without regard to case, values are trimmed of surrounding blanks, the first match
// wins, and an edit replaces the key's line in place (or adds the key or section) keeping every other
// line as it was.
namespace IniText {

std::optional<QByteArray> value(const QByteArray& text, const QByteArray& section, const QByteArray& key);
QByteArray withValue(const QByteArray& text, const QByteArray& section, const QByteArray& key,
                     const QByteArray& value);

} // namespace IniText
