#pragma once

class QWidget;

namespace launcher::app {

// Shows `window` restored, raises it and gives it the keyboard focus. The
// player asked for the window (a second start, a click on the notification
// icon), so on X11 the focus is requested with the server's current time:
// the toolkit would stamp it with the time of the last event this process
// saw, which the server ignores when another window took the focus later.
void BringToFront(QWidget& window);

} // namespace launcher::app
