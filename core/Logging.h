#pragma once

#include <QLoggingCategory>

// The program's log categories. Warnings (a failure the program survives, with its reason) are on by
// default; the info lines (a download's start, end and line count) are turned on with
// QT_LOGGING_RULES="rm7.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcPort)
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcExport)
Q_DECLARE_LOGGING_CATEGORY(lcArchive)
Q_DECLARE_LOGGING_CATEGORY(lcViewer)
// A collection from several ports: each try, why it failed, and what became of each port.
Q_DECLARE_LOGGING_CATEGORY(lcCollect)
