#include "LinkDisplay.h"

LinkDisplay::LinkDisplay() : m_throttle(kPublishMs, [this] { report(); }) {}

void LinkDisplay::setPanelText(int index, const QString& text) {
    m_panels.at(size_t(index)).text = text;
    touch();
}

void LinkDisplay::setPanelColour(int index, PanelColour colour) {
    m_panels.at(size_t(index)).colour = colour;
    touch();
}

void LinkDisplay::clearLog() {
    m_logBox = {m_logBox.content + 1, 1, 0, {}};
    touch();
}

void LinkDisplay::showLines(int first, int last) {
    m_logBox.first = first;
    m_logBox.last = last;
    touchOften();
}

void LinkDisplay::showNote(const QByteArray& note) {
    m_logBox = {m_logBox.content + 1, 1, 0, note};
    touch();
}

void LinkDisplay::setProgress(int percent) {
    m_progress = percent;
    touchOften();
}

void LinkDisplay::setCommandsEnabled(bool enabled) {
    m_commandsEnabled = enabled;
    touch();
}

void LinkDisplay::setSaveEnabled(bool enabled) {
    m_saveEnabled = enabled;
    touch();
}

void LinkDisplay::release() {
    if (--m_holds != 0 || !m_dirty) {
        return;
    }
    if (m_urgent) {
        m_throttle.runNow();
    } else {
        m_throttle.request();
    }
}

void LinkDisplay::publish() {
    m_throttle.runNow();
}

void LinkDisplay::report() {
    m_dirty = false;
    m_urgent = false;
    emit changed();
}

void LinkDisplay::touch() {
    ++m_statusRevision;
    m_urgent = true;
    touchOften();
}

void LinkDisplay::touchOften() {
    m_dirty = true;
    if (m_holds == 0) {
        m_throttle.runNow();
    }
}
