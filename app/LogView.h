#pragma once

#include "LinkDisplay.h"

#include <QFrame>
#include <QGlyphRun>
#include <QList>
#include <QRawFont>
#include <QStringList>

class LineStore;

// The log box: a read-only text box of a few dozen lines, without scroll bars or wrapping, showing the
// lines the link's display names. A download moves them up a line at a time: the box then scrolls the
// pixels it has and paints just the new line, reading only that line from the store. A line is set as
// the font's glyphs one after another, without the shaping a word processor needs: the controller sends
// plain Latin-1 text, and at 9600 baud this is the program's main work.
class LogView : public QFrame {
    Q_OBJECT

public:
    explicit LogView(QWidget* parent = nullptr);

    void show(const LineStore& store, const LinkDisplay::LogBox& box);
    // The lines shown, each ending in a line break (a note as it is).
    QString toPlainText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layOut(qsizetype from);
    QRect textArea() const;
    QRect rows(qsizetype first, qsizetype last) const;

    LinkDisplay::LogBox m_box;
    QStringList m_texts;
    QList<QGlyphRun> m_laidOut;
    QRawFont m_font;
};
