#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// A readable name for a controller from its download's header lines (those before "Date,", without line
// ends): the "Unit:" and "Site:" lines when it has them ("RM7-0042, North Pump Station"), else its first
// header line that is not blank, else "Controller".
QString controllerName(const QList<QByteArrayView>& headerLines);
