#include "EndOutcome.h"

#include "ExitCode.h"

EndOutcome EndOutcome::of(ExchangeEnd how, const QString& reason, int lines) {
    const QString because = reason.isEmpty() ? QString() : QStringLiteral(": ") + reason;
    switch (how) {
    case ExchangeEnd::Completed:
    case ExchangeEnd::CountShown:
        return {ExitCode::kDone, {}};
    case ExchangeEnd::StoreFull:
        // A download that did not reach its final line is never passed off as one that did.
        return {ExitCode::kIncomplete,
                QStringLiteral("the download is incomplete: it was stopped after %1 lines, as one download "
                               "brings no more")
                    .arg(lines)};
    case ExchangeEnd::NoLogs:
        return {ExitCode::kNoLogs, QStringLiteral("the controller holds no log entries")};
    case ExchangeEnd::CountLate:
    case ExchangeEnd::Abandoned:
        return {ExitCode::kControllerSilent, QStringLiteral("no response from the controller") + because};
    case ExchangeEnd::PortUnavailable:
        return {ExitCode::kPortUnavailable, QStringLiteral("port not available") + because};
    }
    return {ExitCode::kFailure, QStringLiteral("the exchange with the controller ended in an unknown way")};
}
