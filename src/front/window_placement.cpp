#include "front/window_placement.h"

#include <algorithm>

namespace launcher::front {

Point KeptOnScreen(Point wanted, Rect screen, Rect close_button) {
    // The lowest place still shows the title area down to the close button.
    const int lowest = std::max(screen.top, screen.bottom - close_button.bottom);
    const int top = std::clamp(wanted.y, screen.top, lowest);
    const int leftmost = screen.left - close_button.left;
    const int rightmost = std::max(leftmost, screen.right - close_button.right);
    const int left = std::clamp(wanted.x, leftmost, rightmost);
    return {left, top};
}

} // namespace launcher::front
