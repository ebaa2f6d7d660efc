#pragma once

#include <QFrame>

// The download's progress bar, drawn as a row of blocks. A new value is painted with the window's next
// repaint rather than at once, so a download that moves it many times a second costs little.
class ProgressView : public QFrame {
    Q_OBJECT

public:
    explicit ProgressView(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setValue(int value);
    int value() const { return m_value; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect blockArea() const;
    int blockWidth() const;
    int filledWidth() const;

    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
};
