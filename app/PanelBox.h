#pragma once

#include <QLineEdit>

// A status panel: a read-only box that keeps its designed size and shows its text whole when it fits,
// else cut with "…" at its end, so a cut number ("Log Entries: 2000") never reads as another; the whole
// text is then its tool tip. A screen reader hears the panel's name with the whole text.
class PanelBox : public QLineEdit {
    Q_OBJECT

public:
    PanelBox(const QString& name, QWidget* parent = nullptr);

    void setWholeText(const QString& text);
    const QString& wholeText() const { return m_whole; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();

    QString m_name;
    QString m_whole;
};
