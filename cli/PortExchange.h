#pragma once

#include "ArchiveResult.h"
#include "ComPort.h"
#include "Link.h"
#include "PortTarget.h"
#include "ProgressReport.h"
#include "Settings.h"
#include "UnattendedOperator.h"

#include <QObject>
#include <optional>

class ArchiveService;

// One exchange with a controller on one port as the command line runs it: a port, a link (with its
// watchdog and recovery copy) and an operator who is not there, all its own, so that exchanges side by
// side share nothing but the archive. A download that ends goes to the archive when there is one, and the
// archive's answer is kept.
class PortExchange : public QObject {
    Q_OBJECT

public:
    PortExchange(const PortTarget& target, ArchiveService* archive, QObject* parent = nullptr);

    void startDownload();
    void startCount();
    // Closes the port; a download not yet over stays as it is (its lines in the recovery copy).
    void close();

    Link& link() { return m_link; }
    const Link& link() const { return m_link; }
    const ComPort& port() const { return m_port; }
    // Lines received, of those the header announced (kept after the download ends), and their bytes.
    ProgressFigures figures() const;
    // The download went to the archive; its answer, once it came.
    bool archiving() const { return m_archiving.has_value(); }
    const std::optional<AddResult>& archived() const { return m_archived; }

signals:
    // The exchange is over: how, and why where the link says. Told once the link's finish is through.
    void ended(ExchangeEnd how, const QString& reason);
    // The archive's answer about this exchange's download.
    void archiveAnswered(const AddResult& result);

private:
    ComPort m_port;
    Settings m_settings;
    UnattendedOperator m_op;
    Link m_link;
    int m_expected = 0;
    std::optional<quint64> m_archiving;
    std::optional<AddResult> m_archived;
};
