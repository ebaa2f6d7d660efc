#include "ProgressViewAccessible.h"

#include "ProgressView.h"

ProgressViewAccessible::ProgressViewAccessible(ProgressView* view)
    : QAccessibleWidget(view, QAccessible::ProgressBar) {}

const ProgressView* ProgressViewAccessible::view() const {
    return static_cast<const ProgressView*>(widget());
}

QString ProgressViewAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name: {
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? QStringLiteral("Download progress") : name;
    }
    case QAccessible::Value:
        return QStringLiteral("%1%").arg(view()->value());
    default:
        return QAccessibleWidget::text(t);
    }
}

void* ProgressViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QVariant ProgressViewAccessible::currentValue() const {
    return view()->value();
}
QVariant ProgressViewAccessible::maximumValue() const {
    return view()->maximum();
}
QVariant ProgressViewAccessible::minimumValue() const {
    return view()->minimum();
}
