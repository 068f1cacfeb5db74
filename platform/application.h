// Starting and ending the program on the desktop: the display, the application object, and the end of the
// session (log-off, shutdown, SIGTERM, SIGHUP, SIGINT), which takes the program's orderly end.
#pragma once

#include <functional>

namespace platform {

// Runs the program: start() loads the startup form; orderlyEnd() runs when the session ends. Returns the
// process's exit status. Without a display it says so on one line and returns 1.
int Run(int argc, char** argv, const std::function<void()>& start, const std::function<void()>& orderlyEnd);

}  // namespace platform
