#include "LinkDisplay.h"

LinkDisplay::LinkDisplay() {
    m_publishLater.setSingleShot(true);
    connect(&m_publishLater, &QTimer::timeout, this, &LinkDisplay::publish);
}

void LinkDisplay::setPanelText(int index, const QString& text) {
    m_panels.at(size_t(index)).text = text;
    touch();
}

void LinkDisplay::setPanelColour(int index, PanelColour colour) {
    m_panels.at(size_t(index)).colour = colour;
    touch();
}

const QByteArray& LinkDisplay::logText() const {
    if (m_pendingLines != nullptr) {
        m_logText = m_pendingLines->lines(m_firstLine, m_lastLine).toByteArray();
        m_pendingLines = nullptr;
    }
    return m_logText;
}

void LinkDisplay::showLines(const LineStore& store, int first, int last) {
    m_pendingLines = &store;
    m_firstLine = first;
    m_lastLine = last;
    ++m_logRevision;
    touchOften();
}

void LinkDisplay::setLogText(const QByteArray& text) {
    m_pendingLines = nullptr;
    m_logText = text;
    ++m_logRevision;
    touch();
}

void LinkDisplay::appendLogText(QByteArrayView text) {
    logText();
    m_logText.append(text);
    ++m_logRevision;
    touchOften();
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
    if (m_urgent || !m_sincePublish.isValid() || m_sincePublish.hasExpired(kPublishMs)) {
        publish();
    } else if (!m_publishLater.isActive()) {
        m_publishLater.start(int(kPublishMs - m_sincePublish.elapsed()));
    }
}

void LinkDisplay::publish() {
    logText(); // the lines are certain now; the store may change before the window looks
    m_dirty = false;
    m_urgent = false;
    m_publishLater.stop();
    m_sincePublish.start();
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
        publish();
    }
}
