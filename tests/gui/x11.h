// Reading back what the X server holds, and a real pointer through XTest.
#pragma once

#include <QRegion>
#include <QWidget>
#include <functional>
#include <string>

namespace xtest {

// The window's bounding shape as the X server has it, relative to the window.
QRegion shapeOf(QWidget& window);
// Whether the window manager's state of the window lists _NET_WM_STATE_ABOVE.
bool isAbove(QWidget& window);
// Where the X server has the window on the screen.
QPoint screenPositionOf(QWidget& window);

void movePointer(int x, int y);
void pressButton(int button);
void releaseButton(int button);

// Processes events until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 2000);
// Processes events for a while, letting the X server and the window manager catch up.
void settle(int milliseconds = 100);

}  // namespace xtest
