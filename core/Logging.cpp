#include "Logging.h"

Q_LOGGING_CATEGORY(lcPort, "rm7.port", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLink, "rm7.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "rm7.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcExport, "rm7.export", QtWarningMsg)
Q_LOGGING_CATEGORY(lcArchive, "rm7.archive", QtWarningMsg)
Q_LOGGING_CATEGORY(lcViewer, "rm7.viewer", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCollect, "rm7.collect", QtWarningMsg)
