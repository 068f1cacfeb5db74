// The toolkit as the game sees it: unit conversions, topmost, and thin wrappers that pass their arguments
// unchanged to the implementing routines (MakeRGNWindow alone chooses the steps).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/forms.h"

namespace toolkit {

// Twips to pixels: both operands rounded half to even, the quotient truncated toward zero.
std::int32_t TwipToPixelX(double twips);
std::int32_t TwipToPixelY(double twips);
// Pixels to twips: the product rounded half to even.
std::int32_t PixelToTwipX(double pixels);
std::int32_t PixelToTwipY(double pixels);

// Puts the window in the always-on-top band without moving or sizing it; shows it unless noShow.
void SetTopMost(platform::Form& form, bool noShow);

void MakeRGNWindow(double templateNo, platform::Window& target, bool withPicture);
void PrepareRGNCanvas(platform::Window& target, int drawMode, double width, double height);
void DrawRGNPart(double templateNo, platform::Window& target, double& x, double& y,
                 std::optional<std::uint32_t> colour = std::nullopt);
void ApplyRGNCanvas(platform::Window& target);
bool RGNOverlap(platform::Window& a, platform::Window& b);

std::string ReadIni(const std::string& section, const std::string& key);
void WriteIni(const std::string& section, const std::string& key, const std::string& value);

void DragWindow(platform::Form& form);
void Wait(double milliseconds);
void UnloadFormsExcept(const std::string& formName);

}  // namespace toolkit
