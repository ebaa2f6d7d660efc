#include "WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QPoint beside(const QRect& other, const QSize& frame, const QRect& screen) {
    const int top =
        std::clamp(other.top(), screen.top(), std::max(screen.top(), screen.bottom() - frame.height() + 1));
    const int right = other.right() + 1;
    if (right + frame.width() - 1 <= screen.right()) {
        return {right, top};
    }
    const int left = other.left() - frame.width();
    if (left >= screen.left()) {
        return {left, top};
    }
    // Against the left or the right edge of the screen, whichever covers less of the other window.
    const int atLeft = screen.left();
    const int atRight = std::max(screen.left(), screen.right() - frame.width() + 1);
    const auto covered = [&](int x) { return QRect(QPoint(x, top), frame).intersected(other).width(); };
    return {covered(atRight) < covered(atLeft) ? atRight : atLeft, top};
}

} // namespace WindowPlacement
