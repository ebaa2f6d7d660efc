#include "ControllerEditor.h"

#include "Logging.h"
#include "SqlSession.h"

#include <QSqlQuery>

namespace ControllerEditor {

namespace {

bool exists(SqlSession& session, qint64 controllerId) {
    const auto count =
        session.value(QStringLiteral("SELECT COUNT(*) FROM rm7_controller WHERE id = ?"), {controllerId});
    if (count && count->toInt() == 0) {
        session.fail(QStringLiteral("there is no controller %1 in the archive").arg(controllerId));
    }
    return count && count->toInt() > 0;
}

} // namespace

ArchiveResult<bool> rename(SqlSession& session, qint64 controllerId, const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        return ArchiveResult<bool>::failure(QStringLiteral("a controller's name cannot be empty"));
    }
    QSqlQuery query(session.db());
    const bool done = session.transaction([&] {
        return exists(session, controllerId) &&
               session.run(query, QStringLiteral("UPDATE rm7_controller SET name = ? WHERE id = ?"),
                           {trimmed, controllerId});
    });
    return done ? ArchiveResult<bool>{true, {}} : ArchiveResult<bool>::failure(session.error());
}

ArchiveResult<bool> join(SqlSession& session, qint64 keepId, qint64 otherId) {
    if (keepId == otherId) {
        return ArchiveResult<bool>::failure(QStringLiteral("a controller cannot be joined to itself"));
    }
    // The identities move first: on a server that waits for downloads of `otherId` still being added, and
    // downloads that start later find `keepId`.
    const QVariantList ids = {keepId, otherId};
    const char* const kSteps[] = {
        "UPDATE rm7_identity SET controller_id = ? WHERE controller_id = ?",
        "INSERT INTO rm7_record (controller_id, line_key, occurrence, key_dmy, key_mdy, line)"
        " SELECT ?, line_key, occurrence, key_dmy, key_mdy, line FROM rm7_record WHERE controller_id = ?"
        " ORDER BY id ON CONFLICT DO NOTHING",
        "UPDATE rm7_download SET controller_id = ? WHERE controller_id = ?",
    };
    QSqlQuery query(session.db());
    const bool done = session.transaction([&] {
        if (!exists(session, keepId) || !exists(session, otherId)) {
            return false;
        }
        for (const char* step : kSteps) {
            if (!session.run(query, QString::fromLatin1(step), ids)) {
                return false;
            }
        }
        return session.run(query, QStringLiteral("DELETE FROM rm7_record WHERE controller_id = ?"),
                           {otherId}) &&
               session.run(query, QStringLiteral("DELETE FROM rm7_controller WHERE id = ?"), {otherId});
    });
    if (!done) {
        return ArchiveResult<bool>::failure(session.error());
    }
    qCInfo(lcArchive) << "controller" << otherId << "joined to" << keepId << "in" << session.where();
    return {true, {}};
}

} // namespace ControllerEditor
