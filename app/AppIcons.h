#pragma once

#include <QIcon>

// The program's pictures, drawn in code at every size a toolkit asks for.
namespace AppIcons {
QIcon application();
QIcon serialPort();
QIcon download();
QIcon save();
QIcon query();
} // namespace AppIcons
