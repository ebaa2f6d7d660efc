#include "TextNumber.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

double leadingNumber(QStringView text) {
    std::string number;
    bool seenDigit = false;
    bool seenPoint = false;
    for (const QChar c : text) {
        if (isBlank(c)) {
            continue;
        }
        if ((c == u'+' || c == u'-') && number.empty()) {
            number += char(c.unicode());
        } else if (c >= u'0' && c <= u'9') {
            number += char(c.unicode());
            seenDigit = true;
        } else if (c == u'.' && !seenPoint) {
            number += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit) {
        return 0.0;
    }
    // from_chars reads a point as the decimal point whatever the system's locale says, as the controller,
    // the settings file and the port dialog all write it; it takes no plus sign.
    const char* first = number.data();
    if (*first == '+') {
        ++first;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large for a double, or so close to 0 that it is 0.
        const std::string whole = number.substr(0, number.find('.'));
        const bool large = whole.find_first_of("123456789") != std::string::npos;
        return large ? (number.front() == '-' ? -HUGE_VAL : HUGE_VAL) : 0.0;
    }
    return value;
}

double roundHalfEven(double value) {
    // nearbyint honours the current rounding mode, which is to-nearest-even unless someone changed it.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return rounded;
}
