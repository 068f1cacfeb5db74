// The toolkit's implementing routines: regions from templates, shaping, sizing and overlap of windows,
// painting through regions, canvases, the work-area height, the settings file, the move, the pause and
// unloading all forms but one. Positions and sizes are twips; region coordinates are pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/forms.h"

namespace toolkit {

using platform::HRGN;
using platform::Window;

// The two fatal messages: each is shown in a message box, then the program ends at once.
inline constexpr const char* ReadingFailed = "It failed in reading of region data.";
inline constexpr const char* ShapingFailed = "It failed in plastic surgery of a window.";

// Steps of RGN_MakeWindow.
inline constexpr int StepSize = 1;
inline constexpr int StepShape = 2;
inline constexpr int StepPaint = 4;

// Canvas draw modes; any other mode grows the outline only.
inline constexpr int DrawPicture = 1;
inline constexpr int DrawPictureAndFill = 2;

HRGN RGN_CreateTemplateRegion(double templateNo, double x, double y);
HRGN RGN_AddTemplateRegion(HRGN baseRegion, double templateNo, double x, double y);

void RGN_ShapeWindow(double templateNo, Window& target, double x, double y, bool addToCurrent);
void RGN_SizeToTemplate(double templateNo, Window& target);
bool RGN_RegionsOverlap(Window& a, Window& b);

void RGN_PaintTemplatePicture(double templateNo, Window& target, double x, double y);
void RGN_MakeWindow(double templateNo, Window& target, int steps, double x, double y, bool addToCurrent);

void RGN_PrepareCanvas(Window& target, int drawMode, double width, double height);
void RGN_DrawPart(double templateNo, Window& target, double& x, double& y,
                  std::optional<std::uint32_t> colour = std::nullopt);
void RGN_ApplyCanvas(Window& target);
std::int32_t RGN_WorkAreaHeight();

std::string RGN_ReadIni(const std::string& section, const std::string& key);
void RGN_WriteIni(const std::string& section, const std::string& key, const std::string& value);
// The settings file, named after the executable with ".ini": beside the executable when its folder is
// writable, else in the folder "kavimo" of the user's configuration folder (~/.config/kavimo).
std::string RGN_IniPath();

void RGN_DragWindow(platform::Form& form);
void RGN_Wait(double milliseconds);
void RGN_UnloadFormsExcept(const std::string& formName);

}  // namespace toolkit
