#include "ComparisonPage.h"

#include "ArchivePage.h"
#include "ArchiveViews.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSplitter>

namespace {

// The column titles, then the records, each line ending as a download's do.
LineStore recordsUnder(const QByteArray& titles, const QList<QByteArray>& records) {
    QByteArray text = titles;
    if (!text.isEmpty() && !text.endsWith('\n')) {
        text += "\r\n";
    }
    for (const QByteArray& record : records) {
        text += record + "\r\n";
    }
    return LineStore::fromText(text);
}

QWidget* side(const QString& caption, ArchivePage* page) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(page, 1);
    return box;
}

QString recordCount(qsizetype n) {
    return n == 1 ? ComparisonPage::tr("1 record") : ComparisonPage::tr("%1 records").arg(n);
}

} // namespace

ComparisonPage::ComparisonPage(const DownloadComparison& comparison, const QString& first,
                               const QString& second, Operator& op, QWidget* parent)
    : QWidget(parent), m_summary(new QLabel), m_first(new ArchivePage(QString())),
      m_second(new ArchivePage(QString())) {
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    const qsizetype gone = comparison.onlyInFirst.size();
    const qsizetype added = comparison.onlyInSecond.size();
    m_summary->setText(gone + added == 0
                           ? tr("The downloads of %1 and %2 hold the same records.").arg(first, second)
                           : tr("%1 only in the download of %2, %3 only in the download of %4.")
                                 .arg(recordCount(gone), first, recordCount(added), second));
    m_first->showLines(recordsUnder(comparison.titles, comparison.onlyInFirst), op);
    m_second->showLines(recordsUnder(comparison.titles, comparison.onlyInSecond), op);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(side(tr("Only in the download of %1 (%2):").arg(first, recordCount(gone)), m_first));
    split->addWidget(side(tr("Only in the download of %1 (%2):").arg(second, recordCount(added)), m_second));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(split, 1);
}
