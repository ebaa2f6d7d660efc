#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window opens beside another (frames, in screen coordinates): to the right of it when the screen
// has room there, else to the left, else at the side of the screen where it covers the least of it.
namespace WindowPlacement {

QPoint beside(const QRect& other, const QSize& frame, const QRect& screen);

} // namespace WindowPlacement
