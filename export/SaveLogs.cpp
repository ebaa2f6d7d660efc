#include "SaveLogs.h"

#include "LineStore.h"
#include "Logging.h"
#include "Operator.h"
#include "OutputFile.h"
#include "Settings.h"
#include "StoredSettings.h"

SaveResult SaveLogs(const LineStore& lines, Settings& settings, Operator& op) {
    const auto chosen = op.chooseSaveFile(
        {QStringLiteral("Save Downloaded data"), QStringLiteral("CSV files (*.csv)"), settings.SavePath});
    if (!chosen || chosen->isEmpty()) {
        return SaveResult::Cancelled;
    }
    const QString& name = *chosen;
    // The folder is remembered before the file is opened, so it is kept even when the save fails.
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash > 0) {
        const QString folder = name.left(slash + 1);
        StoredSettings::writeSavePath(folder);
        settings.SavePath = folder;
    }

    OutputFile file(op);
    if (!file.OpenOutputFile(name)) {
        return SaveResult::Failed;
    }
    const LineStore snapshot = lines.firstLines(lines.count()); // counted when writing starts
    const bool written = file.writeLines(snapshot);
    const QString lateError = file.close();
    if (!written || !lateError.isEmpty()) {
        op.messageBox(QStringLiteral("Error Writing to File!!"), MsgStyle::Ok + MsgStyle::Critical,
                      QStringLiteral("FILE WRITE ERROR"), lateError);
        return SaveResult::Failed;
    }
    qCInfo(lcExport).noquote() << "saved" << snapshot.count() << "lines to" << name;
    return SaveResult::Saved;
}
