#include "ViewerSettings.h"

#include "SettingsFile.h"

namespace ViewerSettings {

namespace {

const QString kSection = QStringLiteral("VIEWER");
const QString kDateOrder = QStringLiteral("DateOrder");

} // namespace

DateOrder storedDateOrder() {
    const QString value = ReadSetting(kSection, kDateOrder).toUpper();
    if (value == u"DMY") {
        return DateOrder::DayFirst;
    }
    if (value == u"MDY") {
        return DateOrder::MonthFirst;
    }
    if (!value.isEmpty()) {
        // TODO log: an unknown DateOrder is read as no choice made
    }
    return DateOrder::Unknown;
}

void storeDateOrder(DateOrder order) {
    if (order == DateOrder::Unknown) {
        return;
    }
    WriteSetting(kSection, kDateOrder,
                 order == DateOrder::DayFirst ? QStringLiteral("DMY") : QStringLiteral("MDY"));
}

} // namespace ViewerSettings
