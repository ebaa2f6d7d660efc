#include "FieldValue.h"

#include <QLocale>
#include <cstdint>

namespace FieldValue {

namespace {

constexpr qsizetype kLongestNumber = 64;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t')) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t')) {
        text.chop(1);
    }
    return text;
}

// Reads digits at `at` as a whole number of at most `maxDigits`; -1 when there are none.
int readInt(QByteArrayView text, qsizetype& at, int maxDigits) {
    int value = 0;
    int digits = 0;
    while (at < text.size() && isDigit(text[at]) && digits < maxDigits) {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

bool isUnitChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '%' || c == '/' || c == ' ' ||
           u == 0xB0 /* degree sign */ || u == 0xB5 /* micro sign */;
}

} // namespace

std::optional<double> number(QByteArrayView field) {
    field = trimmed(field);
    qsizetype end = 0;
    if (end < field.size() && (field[end] == '-' || field[end] == '+')) {
        ++end;
    }
    const qsizetype digitsFrom = end;
    while (end < field.size() && isDigit(field[end])) {
        ++end;
    }
    qsizetype digits = end - digitsFrom;
    if (end < field.size() && field[end] == '.') {
        ++end;
        const qsizetype fractionFrom = end;
        while (end < field.size() && isDigit(field[end])) {
            ++end;
        }
        digits += end - fractionFrom;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    // Whatever follows must be a unit: letters and the like, never another number.
    for (qsizetype i = end; i < field.size(); ++i) {
        if (!isUnitChar(field[i])) {
            return std::nullopt;
        }
    }
    // Up to 15 digits make an exact whole number, and a power of ten up to 1e22 is exact too: their quotient
    // is the correctly rounded value, the same a full reader gives. A reading takes millions of these.
    if (digits <= 15) {
        std::int64_t mantissa = 0;
        int fraction = 0;
        bool inFraction = false;
        for (qsizetype i = 0; i < end; ++i) {
            const char c = field[i];
            if (c == '.') {
                inFraction = true;
            } else if (isDigit(c)) {
                mantissa = mantissa * 10 + (c - '0');
                fraction += inFraction;
            }
        }
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double value = double(mantissa) / kPowers[fraction];
        return field[0] == '-' ? -value : value;
    }
    if (end > kLongestNumber) {
        return std::nullopt;
    }
    // Longer numbers: the C locale reads the point as the decimal separator whatever the PC is set to.
    char16_t text[kLongestNumber];
    for (qsizetype i = 0; i < end; ++i) {
        text[i] = char16_t(static_cast<unsigned char>(field[i]));
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(QStringView(text, end), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

std::optional<DateParts> dateParts(QByteArrayView field) {
    field = trimmed(field);
    qsizetype at = 0;
    const int a = readInt(field, at, 4);
    if (a < 0 || at >= field.size()) {
        return std::nullopt;
    }
    const char separator = field[at];
    if (separator != '/' && separator != '-' && separator != '.') {
        return std::nullopt;
    }
    const bool yearFirst = at == 4;
    if (!yearFirst && at > 2) {
        return std::nullopt;
    }
    ++at;
    const int b = readInt(field, at, 2);
    if (b < 0 || at >= field.size() || field[at] != separator) {
        return std::nullopt;
    }
    ++at;
    const qsizetype cFrom = at;
    const int c = readInt(field, at, 4);
    if (c < 0 || at != field.size() || (!yearFirst && at - cFrom != 4 && at - cFrom != 2) ||
        (yearFirst && at - cFrom > 2)) {
        return std::nullopt;
    }
    if (yearFirst) {
        return DateParts{b, c, a, true};
    }
    return DateParts{a, b, at - cFrom == 2 ? 2000 + c : c, false};
}

QDate date(const DateParts& parts, DateOrder order) {
    if (parts.yearFirst || order == DateOrder::MonthFirst) {
        return {parts.year, parts.first, parts.second};
    }
    return {parts.year, parts.second, parts.first};
}

std::optional<QTime> time(QByteArrayView field) {
    field = trimmed(field);
    qsizetype at = 0;
    const int h = readInt(field, at, 2);
    if (h < 0 || at >= field.size() || field[at] != ':') {
        return std::nullopt;
    }
    ++at;
    const qsizetype mFrom = at;
    const int m = readInt(field, at, 2);
    if (m < 0 || at - mFrom != 2) {
        return std::nullopt;
    }
    int s = 0;
    if (at < field.size() && field[at] == ':') {
        ++at;
        const qsizetype sFrom = at;
        s = readInt(field, at, 2);
        if (s < 0 || at - sFrom != 2) {
            return std::nullopt;
        }
    }
    if (at != field.size()) {
        return std::nullopt;
    }
    const QTime value(h, m, s);
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value;
}

DateOrder orderEvidence(const DateParts& parts) {
    if (parts.yearFirst) {
        return DateOrder::DayFirst; // year-month-day leaves no doubt, and reads the same either way
    }
    if (parts.first > 12 && parts.second <= 12) {
        return DateOrder::DayFirst;
    }
    if (parts.second > 12 && parts.first <= 12) {
        return DateOrder::MonthFirst;
    }
    return DateOrder::Unknown;
}

} // namespace FieldValue
