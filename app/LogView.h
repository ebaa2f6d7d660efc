#pragma once

#include <QFrame>
#include <QHash>
#include <QList>
#include <QStaticText>

// The log box: a read-only text box of a few dozen lines, without scroll bars or wrapping. A download
// replaces its text many times a second (the window passes changes on at most every 40 ms); the text is
// always current, and the screen follows with the window's next repaint, together with whatever else
// changed. When the lines have only moved up, as the newest lines of a download do, the box scrolls the
// pixels it has and paints just the new lines; a line keeps its laid-out glyphs while it stays in the
// box.
class LogView : public QFrame {
    Q_OBJECT

public:
    explicit LogView(QWidget* parent = nullptr);

    void setPlainText(const QString& text);
    QString toPlainText() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void catchUp();
    QRect textArea() const;
    QRect rows(qsizetype first, qsizetype last) const;

    QString m_text;
    QList<QString> m_lines;   // the text's lines, a final line end making no line of its own
    QList<QString> m_painted; // the lines on screen
    QHash<QString, QStaticText> m_laidOut;
};
