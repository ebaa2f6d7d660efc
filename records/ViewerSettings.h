#pragma once

#include "DateOrder.h"

// What the log viewer keeps in korvane.ini, in a section of its own: [VIEWER] DateOrder=DMY or MDY, the
// operator's answer for downloads whose dates read both ways.
namespace ViewerSettings {

DateOrder storedDateOrder();
void storeDateOrder(DateOrder order);

} // namespace ViewerSettings
