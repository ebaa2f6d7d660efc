#include "WriteLogLines.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

constexpr int kTurnEveryMs = 10;

// The last line from `first` on whose end lies within chunkBytes of where line `first` starts; at least
// `first` itself, however long it is.
int lastLineOfChunk(const LineBytes& lines, int first, qsizetype chunkBytes) {
    const qsizetype limit = lines.endOf(first - 1) + chunkBytes;
    const auto from = lines.ends.cbegin() + (first - 1);
    const auto past = std::upper_bound(from, lines.ends.cend(), limit);
    return std::max(first, int(past - lines.ends.cbegin()));
}

} // namespace

FileStep WriteLogLines(OutputFile& file, const LineBytes& lines, qsizetype chunkBytes) {
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    for (int first = 1; first <= lines.count();) {
        const int last = lastLineOfChunk(lines, first, std::max<qsizetype>(chunkBytes, 1));
        const int systemError = file.writeWhole(lines.lines(first, last));
        if (systemError != 0) {
            qCWarning(lcExport).noquote()
                << "writing lines" << first << "to" << last
                << "at once failed:" << systemErrorText(systemError) << "- writing them one by one";
            for (int k = first; k <= last; ++k) {
                file.CsvLine = lines.lines(k, k).toByteArray();
                if (file.WriteLogLine() != FileStep::Done) {
                    return FileStep::Failed;
                }
            }
        }
        first = last + 1;
        if (sinceTurn.hasExpired(kTurnEveryMs) && QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sinceTurn.start();
        }
    }
    return FileStep::Done;
}
