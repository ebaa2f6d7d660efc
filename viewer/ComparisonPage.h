#pragma once

#include <QWidget>

class ArchivePage;
class Operator;
class QLabel;
struct DownloadComparison;

// Two downloads of a controller side by side by what one holds and the other lacks: above, the records
// only in the first (older) download, as they stand there (what a log that was cleared or wrapped lost);
// below, those only in the second. Each side is the viewer's table (and chart) over those records.
class ComparisonPage : public QWidget {
    Q_OBJECT

public:
    ComparisonPage(const DownloadComparison& comparison, const QString& first, const QString& second,
                   Operator& op, QWidget* parent = nullptr);

    QLabel* summary() const { return m_summary; }
    ArchivePage* onlyInFirst() const { return m_first; }
    ArchivePage* onlyInSecond() const { return m_second; }

private:
    QLabel* m_summary;
    ArchivePage* m_first;
    ArchivePage* m_second;
};
