#include "TextNumber.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
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
    return std::strtod(number.c_str(), nullptr);
}

double roundHalfEven(double value) {
    // nearbyint honours the current rounding mode, which is to-nearest-even unless someone changed it.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return rounded;
}
