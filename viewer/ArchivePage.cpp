#include "ArchivePage.h"

#include "RecordView.h"

#include <QBoxLayout>
#include <QLabel>

ArchivePage::ArchivePage(const QString& loading, QWidget* parent)
    : QWidget(parent), m_note(new QLabel(loading)) {
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_note);
}

ArchivePage::~ArchivePage() {
    delete m_content; // before the lines it reads
}

void ArchivePage::showLines(LineStore lines, Operator& op) {
    m_lines = std::move(lines);
    m_view = new RecordView(m_lines, op);
    showWidget(m_view);
}

void ArchivePage::showWidget(QWidget* content) {
    m_note->hide();
    m_content = content;
    layout()->addWidget(content);
}

void ArchivePage::showFailure(const QString& reason) {
    m_failed = true;
    m_note->setText(reason);
}
