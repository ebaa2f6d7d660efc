#include "LogView.h"

#include "LineStore.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int kMargin = 4;

// A stored line as the box shows it: without its line end (the LF and a CR before it), read as Latin-1.
QString shownText(QByteArrayView line) {
    if (line.endsWith('\n')) {
        line.chop(1);
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return QString::fromLatin1(line);
}

} // namespace

LogView::LogView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAttribute(Qt::WA_OpaquePaintEvent); // it paints every pixel itself: nothing behind it is redrawn
}

void LogView::show(const LineStore& store, const LinkDisplay::LogBox& box) {
    if (box == m_box) {
        return;
    }
    // The same lines moved up (and more came): keep what is laid out and painted.
    const bool movedUp = box.content == m_box.content && box.note.isEmpty() && box.first >= m_box.first &&
                         box.first <= m_box.last + 1 && box.last >= m_box.last;
    if (!movedUp) {
        m_box = box;
        m_texts.clear();
        if (!box.note.isEmpty()) {
            m_texts << QString::fromLatin1(box.note);
        }
        for (int k = box.first; k <= box.last; ++k) {
            m_texts << shownText(store.line(k));
        }
        m_laidOut.clear();
        layOut(0);
        update();
        return;
    }
    const qsizetype shift = box.first - m_box.first;
    const qsizetype kept = m_texts.size() - shift;
    m_texts.remove(0, shift);
    m_laidOut.remove(0, shift);
    for (int k = m_box.last + 1; k <= box.last; ++k) {
        m_texts << shownText(store.line(k));
    }
    m_box = box;
    layOut(kept);
    if (shift > 0) {
        scroll(0, -int(shift) * fontMetrics().lineSpacing(), textArea());
    }
    update(rows(kept, m_texts.size()));
}

void LogView::layOut(qsizetype from) {
    if (!m_font.isValid()) {
        m_font = QRawFont::fromFont(font());
    }
    m_laidOut.resize(from);
    for (qsizetype row = from; row < m_texts.size(); ++row) {
        const QList<quint32> glyphs = m_font.glyphIndexesForString(m_texts.at(row));
        QList<QPointF> positions = m_font.advancesForGlyphIndexes(glyphs);
        qreal x = 0;
        for (QPointF& position : positions) {
            const qreal advance = position.x();
            position = {x, 0};
            x += advance;
        }
        QGlyphRun run;
        run.setRawFont(m_font);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        m_laidOut << run;
    }
}

QString LogView::toPlainText() const {
    if (!m_box.note.isEmpty()) {
        return m_texts.join(QLatin1Char('\n'));
    }
    QString text;
    for (const QString& line : m_texts) {
        text += line + QLatin1Char('\n');
    }
    return text;
}

QRect LogView::textArea() const {
    return contentsRect().adjusted(kMargin, kMargin / 2, -1, -1);
}

QRect LogView::rows(qsizetype first, qsizetype last) const {
    const QRect area = textArea();
    const int step = fontMetrics().lineSpacing();
    return QRect(area.left(), area.top() + int(first) * step, area.width(), int(last - first) * step) & area;
}

void LogView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    painter.end();
    if (!contentsRect().contains(event->rect())) {
        QFrame::paintEvent(event); // the frame, unless only lines inside it are new
    }

    painter.begin(this);
    const QRect area = textArea();
    painter.setClipRect(area & event->rect());
    painter.setPen(palette().color(QPalette::Text));
    const int step = fontMetrics().lineSpacing();
    const qsizetype first = std::max(0, (event->rect().top() - area.top()) / step);
    const qsizetype last =
        std::min<qsizetype>(m_laidOut.size() - 1, (event->rect().bottom() - area.top()) / step);
    const int ascent = fontMetrics().ascent();
    for (qsizetype row = first; row <= last; ++row) {
        painter.drawGlyphRun(QPointF(area.left(), area.top() + int(row) * step + ascent), m_laidOut.at(row));
    }
}

void LogView::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_font = QRawFont::fromFont(font());
        layOut(0); // the lines laid out again in the new font
        update();
    }
}
