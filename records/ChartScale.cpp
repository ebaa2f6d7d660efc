#include "ChartScale.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace ChartScale {

namespace {

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;

enum class Unit { Milliseconds, Days, Months, Years };

// A round step of the clock; `length` (ms) is what it takes roughly, to choose it by.
struct TimeStep {
    Unit unit;
    qint64 count;
    qint64 length;
};

// Steps below a day divide the day, so the ticks of every day fall at the same times.
const TimeStep kTimeSteps[] = {
    {Unit::Milliseconds, kSecond, kSecond},
    {Unit::Milliseconds, 2 * kSecond, 2 * kSecond},
    {Unit::Milliseconds, 5 * kSecond, 5 * kSecond},
    {Unit::Milliseconds, 10 * kSecond, 10 * kSecond},
    {Unit::Milliseconds, 15 * kSecond, 15 * kSecond},
    {Unit::Milliseconds, 30 * kSecond, 30 * kSecond},
    {Unit::Milliseconds, kMinute, kMinute},
    {Unit::Milliseconds, 2 * kMinute, 2 * kMinute},
    {Unit::Milliseconds, 5 * kMinute, 5 * kMinute},
    {Unit::Milliseconds, 10 * kMinute, 10 * kMinute},
    {Unit::Milliseconds, 15 * kMinute, 15 * kMinute},
    {Unit::Milliseconds, 30 * kMinute, 30 * kMinute},
    {Unit::Milliseconds, kHour, kHour},
    {Unit::Milliseconds, 2 * kHour, 2 * kHour},
    {Unit::Milliseconds, 3 * kHour, 3 * kHour},
    {Unit::Milliseconds, 6 * kHour, 6 * kHour},
    {Unit::Milliseconds, 12 * kHour, 12 * kHour},
    {Unit::Days, 1, kDay},
    {Unit::Days, 2, 2 * kDay},
    {Unit::Days, 7, 7 * kDay}, // Mondays
    {Unit::Days, 14, 14 * kDay},
    {Unit::Months, 1, 30 * kDay},
    {Unit::Months, 2, 61 * kDay},
    {Unit::Months, 3, 91 * kDay},
    {Unit::Months, 6, 182 * kDay},
    {Unit::Years, 1, 365 * kDay},
    {Unit::Years, 2, 730 * kDay},
    {Unit::Years, 5, 1826 * kDay},
    {Unit::Years, 10, 3652 * kDay},
    {Unit::Years, 20, 7305 * kDay},
    {Unit::Years, 50, 18262 * kDay},
    {Unit::Years, 100, 36525 * kDay},
    {Unit::Years, 1000, 365242 * kDay},
};

qint64 midnight(QDate date) {
    return QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch();
}

// The round times of one step within from..to.
QList<qint64> ticksOf(const TimeStep& step, qint64 from, qint64 to) {
    QList<qint64> ticks;
    const auto add = [&](qint64 at) {
        if (at >= from && at <= to) {
            ticks << at;
        }
    };
    const QDate first = QDateTime::fromMSecsSinceEpoch(from).date();
    const QDate last = QDateTime::fromMSecsSinceEpoch(to).date();
    switch (step.unit) {
    case Unit::Milliseconds:
        // Counted from each day's midnight, so a day of 23 or 25 hours keeps its ticks on the hour.
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const qint64 start = midnight(day);
            const qint64 end = midnight(day.addDays(1));
            for (qint64 at = start + std::max<qint64>(0, (from - start) / step.count) * step.count;
                 at < end && at <= to; at += step.count) {
                add(at);
            }
        }
        break;
    case Unit::Days:
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            if (day.toJulianDay() % step.count == 0) {
                add(midnight(day));
            }
        }
        break;
    case Unit::Months:
        for (QDate month(first.year(), first.month(), 1); month <= last; month = month.addMonths(1)) {
            if ((month.year() * 12 + month.month() - 1) % step.count == 0) {
                add(midnight(month));
            }
        }
        break;
    case Unit::Years:
        for (int year = first.year(); year <= last.year(); ++year) {
            if (year % step.count == 0) {
                add(midnight(QDate(year, 1, 1)));
            }
        }
        break;
    }
    return ticks;
}

} // namespace

int Values::steps() const {
    return int(std::lround((high - low) / step));
}

QString Values::label(double value) const {
    return QLocale::c().toString(value, 'f', decimals);
}

Values values(double min, double max, int maxSteps) {
    maxSteps = std::max(1, maxSteps);
    if (!std::isfinite(min) || !std::isfinite(max)) {
        return {};
    }
    if (max < min) {
        std::swap(min, max);
    }
    if (max - min <= std::abs(max) * 1e-12) {
        const double pad = min == 0 ? 1 : std::abs(min) * 0.1;
        min -= pad;
        max += pad;
    }
    // Quotients a hair off a whole number (0.3 / 0.1) count as that number.
    constexpr double kSlack = 1e-9;
    double power = std::pow(10.0, std::floor(std::log10((max - min) / maxSteps)));
    for (;;) {
        for (const double m : {1.0, 2.0, 5.0}) {
            const double step = m * power;
            Values v;
            v.step = step;
            v.low = std::floor(min / step + kSlack) * step;
            v.high = std::ceil(max / step - kSlack) * step;
            if (v.steps() <= maxSteps) {
                v.decimals = std::max(0, int(-std::floor(std::log10(step) + kSlack)));
                return v;
            }
        }
        power *= 10;
    }
}

Times times(qint64 from, qint64 to, int maxTicks) {
    maxTicks = std::max(1, maxTicks);
    if (to < from) {
        std::swap(from, to);
    }
    Times result;
    for (const TimeStep& step : kTimeSteps) {
        if ((to - from) / step.length + 1 > maxTicks) {
            continue;
        }
        result.ticks = ticksOf(step, from, to);
        if (result.ticks.size() <= maxTicks) {
            result.format = step.unit != Unit::Milliseconds ? QStringLiteral("yyyy-MM-dd")
                            : step.count % kMinute == 0     ? QStringLiteral("yyyy-MM-dd HH:mm")
                                                            : QStringLiteral("yyyy-MM-dd HH:mm:ss");
            return result;
        }
    }
    result.ticks.clear();
    result.format = QStringLiteral("yyyy-MM-dd");
    return result;
}

QString timeLabel(qint64 msecs, const QString& format) {
    return QDateTime::fromMSecsSinceEpoch(msecs).toString(format);
}

} // namespace ChartScale
