#include "AccessibleAnnouncer.h"

#include "LogView.h"
#include "LogViewAccessible.h"
#include "ProgressView.h"
#include "ProgressViewAccessible.h"

#include <QAccessible>

namespace {

QAccessibleInterface* viewsFactory(const QString& className, QObject* object) {
    if (className == u"LogView") {
        if (auto* view = qobject_cast<LogView*>(object)) {
            return new LogViewAccessible(view);
        }
    }
    if (className == u"ProgressView") {
        if (auto* view = qobject_cast<ProgressView*>(object)) {
            return new ProgressViewAccessible(view);
        }
    }
    return nullptr;
}

} // namespace

AccessibleAnnouncer::AccessibleAnnouncer(const LogView& log, const ProgressView& progress, QObject* parent)
    : QObject(parent), m_log(log), m_progress(progress), m_toldText(log.toPlainText()),
      m_toldValue(progress.value()), m_throttle(kIntervalMs, [this] { announce(); }) {}

void AccessibleAnnouncer::installViews() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(viewsFactory);
        installed = true;
    }
}

void AccessibleAnnouncer::noteChange() {
    m_throttle.request();
}

void AccessibleAnnouncer::announce() {
    const QString text = m_log.toPlainText();
    const int value = m_progress.value();
    if (text == m_toldText && value == m_toldValue) {
        return;
    }
    if (text != m_toldText) {
        QAccessibleTextUpdateEvent event(const_cast<LogView*>(&m_log), 0, m_toldText, text);
        QAccessible::updateAccessibility(&event);
        m_toldText = text;
        emit told(const_cast<LogView*>(&m_log));
    }
    if (value != m_toldValue) {
        QAccessibleValueChangeEvent event(const_cast<ProgressView*>(&m_progress), value);
        QAccessible::updateAccessibility(&event);
        m_toldValue = value;
        emit told(const_cast<ProgressView*>(&m_progress));
    }
}
