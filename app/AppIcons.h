#pragma once

#include <QIcon>

class QPainter;

// The program's pictures, drawn in code at every size a toolkit asks for.
namespace AppIcons {
QIcon application();
// Paints the application's picture on a 32 x 32 canvas; the installed icon files are drawn from it.
void paintApplication(QPainter& painter);
QIcon serialPort();
QIcon download();
QIcon save();
QIcon query();
} // namespace AppIcons
