#pragma once

#include "DateOrder.h"

#include <QByteArrayView>
#include <QDate>
#include <QTime>
#include <optional>

// What a record's field holds, read the way the controller writes it: numbers with a point whatever the
// PC's locale, perhaps followed by a unit ("14.2V", "35 %"); dates as a/b/yyyy (or a-b-yyyy, a.b.yyyy,
// yyyy-mm-dd); times as hh:mm or hh:mm:ss.
namespace FieldValue {

std::optional<double> number(QByteArrayView field);

// The two leading parts of a date whose order is not yet known, and its year.
struct DateParts {
    int first = 0;
    int second = 0;
    int year = 0;
    bool yearFirst = false; // yyyy-mm-dd: the order is known
};
std::optional<DateParts> dateParts(QByteArrayView field);
// The date, read in the given order (ISO dates in their own); nothing for an impossible date.
QDate date(const DateParts& parts, DateOrder order);
std::optional<QTime> time(QByteArrayView field);

// What one date says about the order: a part above 12 can only be the day; a year-first date settles it.
DateOrder orderEvidence(const DateParts& parts);

} // namespace FieldValue
