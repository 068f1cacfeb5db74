#include "mod_RGN_UserFunction.h"

#include "mod_RGN_Proc.h"
#include "platform/numbers.h"
#include "platform/runtime.h"

namespace toolkit {

using namespace platform;

std::int32_t TwipToPixelX(double twips) {
    return IntDiv(twips, Screen::TwipsPerPixelX());
}
std::int32_t TwipToPixelY(double twips) {
    return IntDiv(twips, Screen::TwipsPerPixelY());
}
std::int32_t PixelToTwipX(double pixels) {
    return CLng(pixels * Screen::TwipsPerPixelX());
}
std::int32_t PixelToTwipY(double pixels) {
    return CLng(pixels * Screen::TwipsPerPixelY());
}

void SetTopMost(Form& form, bool noShow) {
    const unsigned flags = noShow ? SWP_NOSIZE | SWP_NOMOVE : SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
    SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
}

void MakeRGNWindow(double templateNo, Window& target, bool withPicture) {
    RGN_MakeWindow(templateNo, target, withPicture ? StepSize | StepShape | StepPaint : StepSize | StepShape,
                   0, 0, false);
}

void PrepareRGNCanvas(Window& target, int drawMode, double width, double height) {
    RGN_PrepareCanvas(target, drawMode, width, height);
}

void DrawRGNPart(double templateNo, Window& target, double& x, double& y,
                 std::optional<std::uint32_t> colour) {
    RGN_DrawPart(templateNo, target, x, y, colour);
}

void ApplyRGNCanvas(Window& target) {
    RGN_ApplyCanvas(target);
}
bool RGNOverlap(Window& a, Window& b) {
    return RGN_RegionsOverlap(a, b);
}

std::string ReadIni(const std::string& section, const std::string& key) {
    return RGN_ReadIni(section, key);
}
void WriteIni(const std::string& section, const std::string& key, const std::string& value) {
    RGN_WriteIni(section, key, value);
}

void DragWindow(Form& form) {
    RGN_DragWindow(form);
}
void Wait(double milliseconds) {
    RGN_Wait(milliseconds);
}
void UnloadFormsExcept(const std::string& formName) {
    RGN_UnloadFormsExcept(formName);
}

}  // namespace toolkit
