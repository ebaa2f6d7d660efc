#include "SaveLogs.h"

#include "Logging.h"
#include "Operator.h"
#include "OutputFile.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "WriteLogLines.h"

namespace {

LineBytes joinedLines(const LogSource& logs, int count) {
    LineBytes joined;
    joined.ends.reserve(size_t(std::max(count, 0)));
    for (int k = 1; k <= count; ++k) {
        joined.bytes.append(logs.line(k));
        joined.ends.push_back(joined.bytes.size());
    }
    return joined;
}

} // namespace

SaveResult SaveLogs(const LogSource& logs, Settings& settings, Operator& op) {
    const auto chosen = op.chooseSaveFile(
        {QStringLiteral("Save Downloaded data"), QStringLiteral("CSV files (*.csv)"), settings.SavePath});
    if (!chosen) {
        return SaveResult::Cancelled;
    }
    const QString& name = *chosen;
    if (name.isEmpty()) {
        return SaveResult::Cancelled;
    }
    // The folder is remembered before the file is opened, so it is kept even when the save fails.
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash > 0) {
        const QString folder = name.left(slash + 1);
        StoredSettings::writeSavePath(folder);
        settings.SavePath = folder;
    }

    OutputFile file(op);
    if (file.OpenOutputFile(name) != FileStep::Done) {
        return SaveResult::Failed;
    }
    const int count = logs.count();
    if (WriteLogLines(file, logs.snapshot ? logs.snapshot(count) : joinedLines(logs, count)) !=
        FileStep::Done) {
        file.close();
        op.messageBox(QStringLiteral("Error Writing to File!!"), MsgStyle::Ok + MsgStyle::Critical,
                      QStringLiteral("FILE WRITE ERROR"));
        return SaveResult::Failed;
    }
    file.close();
    qCInfo(lcExport).noquote() << "saved" << count << "lines to" << name;
    return SaveResult::Saved;
}
