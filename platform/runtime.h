// The rest of the runtime the program is written against: the screen object, the program's own path, name
// and command line, message processing, Sleep, the seeded random generator, the fatal message box, the
// move loop and the full-window-drag setting.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gdi.h"

namespace platform {

namespace Screen {
float TwipsPerPixelX();
float TwipsPerPixelY();
float Width();         // the primary screen, in twips
float Height();        // the primary screen, in twips
int WorkAreaBottom();  // the bottom of the primary screen's usable area, in pixels
// Whether any part of the rectangle (pixels) lies on one of the screens.
bool ShowsAny(int x, int y, int width, int height);
// The monitor that holds the point (twips), else the primary one, in twips: its left, top and right edges and
// the bottom of its usable area.
struct Area {
    float Left, Top, Right, Bottom;
};
Area MonitorAt(float x, float y);
}  // namespace Screen

namespace App {
std::string Path();     // the executable's directory, without a trailing separator
std::string EXEName();  // the executable's file name without its extension
std::string Title();    // the program's name
}  // namespace App

// The user's configuration folder, without a trailing separator: $XDG_CONFIG_HOME when it holds an absolute
// path, else .config in the home folder ($HOME, or the user's entry in the password database). Empty when
// there is no home folder at all.
std::string ConfigHome();
// Whether this process may create and replace files in the folder.
bool CanWriteIn(const std::string& folder);
// Creates the folder and whichever of its parents are missing, each open to the user alone. True when the
// folder is there afterwards.
bool MakeFolders(const std::string& folder);

// The arguments after the program's name as the user gave them, joined by single blanks, kept at the start.
void KeepCommandLine(int argc, char** argv);
std::string Command();

// Processes the messages that are waiting, once.
void DoEvents();
void Sleep(std::int32_t milliseconds);

// Seeds the generator from the system timer (or from the test seed, when one is set).
void Randomize();
// A value in [0, 1); Int(Rnd() * n) < n holds for every n up to 2^24.
float Rnd();

// Shows the message (OK button only, no icon, the program's name as caption) and ends the process at once
// with status 1: no unload handler runs and nothing is saved.
[[noreturn]] void MsgBoxAndEnd(const std::string& text);
// Ends the process at once with status 0.
[[noreturn]] void End();

// The full-window-drag setting, kept in-process: the desktop's own setting is never touched.
inline constexpr unsigned SPI_GETDRAGFULLWINDOWS = 0x26;
inline constexpr unsigned SPI_SETDRAGFULLWINDOWS = 0x25;
bool SystemParametersInfoA(unsigned action, unsigned param, void* value, unsigned winIni);

// The move loop: a press on the "caption" of a window moves the window with the pointer until the button is
// released; the call returns then, and the release never reaches the window as a click.
inline constexpr unsigned WM_NCLBUTTONDOWN = 0xA1;
inline constexpr int HTCAPTION = 2;
bool ReleaseCapture();
std::intptr_t SendMessageA(HWND window, unsigned message, std::intptr_t wParam, std::intptr_t lParam);

// Test seams; the shipped program sets none of them.
namespace TestSeams {
void SetTwipsPerPixel(std::optional<float> twipsPerPixel);
void SetRandomSeed(std::optional<std::uint32_t> seed);
// While recording, Sleep adds its argument to the list instead of blocking, and calls onSleep (if any) so
// that a test can look at what the program shows during the pause.
void RecordSleeps(bool record, std::function<void()> onSleep = {});
const std::vector<std::int32_t>& RecordedSleeps();
// Makes App::Path and App::EXEName describe this path instead of the running executable.
void SetExecutable(std::optional<std::string> path);
}  // namespace TestSeams

}  // namespace platform
