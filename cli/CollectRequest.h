#pragma once

#include "FileNamePattern.h"
#include "PortTarget.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the command line gives a collection; what it leaves unset comes from korvane.ini's [COLLECT]
// section (Ports, Folder, Name, Retries, RetryDelay), then from the defaults.
struct CollectOptions {
    QStringList ports; // each --port, in order
    std::optional<QString> folder;
    std::optional<QString> name;
    std::optional<QString> retries;
    std::optional<QString> retryDelay;
    bool quiet = false;
    bool archive = true;
};

// A collection ready to run: every port once, a folder that is there and can be written, a pattern that
// makes names, and the rule for tries.
struct CollectRequest {
    // A night run waits for what mends itself within minutes (an adapter that comes back, a port another
    // program holds, a controller busy with its own logging): four tries a minute apart. A port that
    // still fails is then someone's job, and the journal says so.
    static constexpr int kDefaultRetries = 3;
    static constexpr int kDefaultRetryDelaySeconds = 60;
    static constexpr int kMostRetries = 100;
    static constexpr int kLongestRetryDelaySeconds = 3600;

    QList<PortTarget> ports;
    QString folder; // absolute, ending without a separator
    FileNamePattern pattern;
    int retries = kDefaultRetries; // tries after the first
    int retryDelayMs = kDefaultRetryDelaySeconds * 1000;
    bool quiet = false;
    bool archive = true;

    // The request, or the reason it cannot be made (a usage error, said before any port is opened). A
    // folder that is not there yet is made.
    static std::optional<CollectRequest> make(const CollectOptions& options, QString& reason);
};
