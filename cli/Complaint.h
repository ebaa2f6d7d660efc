#pragma once

#include <QString>

// A line on standard error in the program's name: "rm7-download: <text>".
void complain(const QString& text);
