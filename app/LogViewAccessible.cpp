#include "LogViewAccessible.h"

#include "LogView.h"

LogViewAccessible::LogViewAccessible(LogView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

QString LogViewAccessible::plainText() const {
    return static_cast<const LogView*>(widget())->toPlainText();
}

QString LogViewAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name: {
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? QStringLiteral("Received lines") : name;
    }
    case QAccessible::Value:
        return plainText();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State LogViewAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.editable = false;
    return s;
}

void* LogViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

void LogViewAccessible::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

QString LogViewAccessible::text(int startOffset, int endOffset) const {
    return plainText().mid(startOffset, endOffset - startOffset);
}

int LogViewAccessible::characterCount() const {
    return int(plainText().size());
}

QString LogViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = offset;
    *endOffset = offset;
    return {};
}
