#include "PanelBox.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionFrame>

PanelBox::PanelBox(const QString& name, QWidget* parent) : QLineEdit(parent), m_name(name) {
    setReadOnly(true);
    setAccessibleName(name);
}

void PanelBox::setWholeText(const QString& text) {
    if (text == m_whole && !text.isEmpty()) {
        return;
    }
    m_whole = text;
    fit();
}

void PanelBox::fit() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect room = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    // The box's own margins around its text, as QLineEdit lays it out.
    const int width = room.width() - 2 * 2 - textMargins().left() - textMargins().right();
    const QString shown = fontMetrics().elidedText(m_whole, Qt::ElideRight, std::max(width, 0));
    setText(shown);
    setCursorPosition(0); // the text from its start
    setToolTip(shown == m_whole ? QString() : m_whole);
    setAccessibleName(m_whole.isEmpty() ? m_name : m_name + QStringLiteral(": ") + m_whole);
}

void PanelBox::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    fit();
}

void PanelBox::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        fit();
    }
}
