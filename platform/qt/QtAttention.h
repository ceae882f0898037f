#pragma once

class QWidget;

namespace zeva {

// Asks the desktop to draw the operator to a window that is not the active one: Qt's alert (the
// taskbar entry flashes), and on X11 the urgency hint in WM_HINTS and the window manager's
// "demands attention" state, set here because Qt's own request does not reach every window
// manager. Optionally the desktop's bell. ClearAttention takes the hint and the state off again
// (the window manager usually does so itself when the window is activated).
void RequestAttention(QWidget* window, bool bell);
void ClearAttention(QWidget* window);

} // namespace zeva
