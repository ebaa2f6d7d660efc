#pragma once

#include <QString>
#include <optional>

// How a download ended. The text of each is what the archive stores and shows, and never changes:
// "complete" (the final line arrived), "silent" (abandoned after the controller fell silent),
// "limit reached" (cut by a size or time limit), "interrupted" (stopped by the operator or a fault),
// "imported" (brought in from a saved file).
enum class DownloadEnd { Complete, Silent, LimitReached, Interrupted, Imported };

QString downloadEndText(DownloadEnd end);
std::optional<DownloadEnd> downloadEndFromText(const QString& text);
