#include "mod_RGN_Proc.h"

#include <array>
#include <filesystem>

#include "frm_RGN_Picture.h"
#include "mod_RGN_Data.h"
#include "mod_RGN_UserFunction.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/runtime.h"

namespace toolkit {

using namespace platform;

namespace {

// Twips to pixels by the runtime's integer division: both operands rounded, the quotient truncated.
int pixelsX(double twips) {
    return IntDiv(twips, Screen::TwipsPerPixelX());
}
int pixelsY(double twips) {
    return IntDiv(twips, Screen::TwipsPerPixelY());
}

void ensureTemplates() {
    if (TemplatesReady != True) {
        RGN_InitTemplates();
        TemplatesReady = True;
    }
}

// The canvas state in a Tag: "pending region,draw mode".
struct CanvasTag {
    HRGN pending;
    int drawMode;
};

CanvasTag readTag(const Window& target) {
    const std::string& tag = target.Tag;
    const auto comma = tag.find(',');
    const std::string first = tag.substr(0, comma);
    const std::string second = comma == std::string::npos ? std::string() : tag.substr(comma + 1);
    return {CLng(Val(first)), CLng(Val(second))};
}

void writeTag(Window& target, HRGN pending, int drawMode) {
    target.Tag = std::to_string(pending) + "," + std::to_string(drawMode);
}

}  // namespace

HRGN RGN_CreateTemplateRegion(double templateNo, double x, double y) {
    const XFORM identity{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    const std::int32_t slot = CLng(templateNo);
    HRGN region = 0;
    if (slot >= 0 && slot < TemplateSlots) {
        const RegionTemplate& record = RegionTemplates[static_cast<std::size_t>(slot)];
        const auto bytes =
            static_cast<std::uint32_t>(record.dwSize) + static_cast<std::uint32_t>(record.nRgnSize);
        region = ExtCreateRegion(&identity, bytes, &record);
    }
    if (region == 0) MsgBoxAndEnd(ReadingFailed);
    if (x != 0 || y != 0) OffsetRgn(region, pixelsX(x), pixelsY(y));
    return region;
}

HRGN RGN_AddTemplateRegion(HRGN baseRegion, double templateNo, double x, double y) {
    const HRGN region = RGN_CreateTemplateRegion(templateNo, x, y);
    if (baseRegion != 0) {
        CombineRgn(region, baseRegion, region, RGN_OR);
        DeleteObject(baseRegion);
    }
    return region;
}

void RGN_ShapeWindow(double templateNo, Window& target, double x, double y, bool addToCurrent) {
    const HRGN region = RGN_CreateTemplateRegion(templateNo, x, y);
    if (addToCurrent) {
        const HRGN present = CreateRectRgn(0, 0, 0, 0);
        GetWindowRgn(target.hwnd(), present);
        CombineRgn(region, present, region, RGN_OR);
        DeleteObject(present);
    }
    if (SetWindowRgn(target.hwnd(), region, true) == 0) MsgBoxAndEnd(ShapingFailed);
}

void RGN_SizeToTemplate(double templateNo, Window& target) {
    // The frame of the banner picture is 34 x 34 pixels, that of the cell pictures 10 x 10 (at 15 twips).
    if (templateNo == 0) {
        target.setHeight(510);
        target.setWidth(510);
    } else if (templateNo >= 1 && templateNo <= 11) {
        target.setHeight(150);
        target.setWidth(150);
    }
}

bool RGN_RegionsOverlap(Window& a, Window& b) {
    const HRGN regionA = CreateRectRgn(0, 0, 0, 0);
    const HRGN regionB = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(a.hwnd(), regionA);
    GetWindowRgn(b.hwnd(), regionB);
    OffsetRgn(regionB, pixelsX(b.Left() - a.Left()), pixelsY(b.Top() - a.Top()));
    // Only a common area of more than one rectangle counts: a notched cell over a whole cell gives its
    // notched shape, while two plain cells can only meet in one rectangle.
    const bool overlap = CombineRgn(regionA, regionA, regionB, RGN_AND) == COMPLEXREGION;
    DeleteObject(regionA);
    DeleteObject(regionB);
    return overlap;
}

void RGN_PaintTemplatePicture(double templateNo, Window& target, double x, double y) {
    const HRGN region = RGN_CreateTemplateRegion(templateNo, 0, 0);
    OffsetRgn(region, pixelsX(x), pixelsY(y));
    SelectClipRgn(target.hdc(), region);
    target.PaintPicture(RGN_Pictures().pPicture.at(static_cast<std::size_t>(CLng(templateNo))), x, y,
                        SRCCOPY);
    SelectClipRgn(target.hdc(), 0);
    DeleteObject(region);
}

void RGN_MakeWindow(double templateNo, Window& target, int steps, double x, double y, bool addToCurrent) {
    ensureTemplates();
    if (!target.AutoRedraw) target.AutoRedraw = true;
    if ((steps & StepSize) != 0) RGN_SizeToTemplate(templateNo, target);
    if ((steps & StepShape) != 0) RGN_ShapeWindow(templateNo, target, x, y, addToCurrent);
    target.Cls();
    if ((steps & StepPaint) != 0) RGN_PaintTemplatePicture(templateNo, target, x, y);
}

void RGN_PrepareCanvas(Window& target, int drawMode, double width, double height) {
    ensureTemplates();
    writeTag(target, 0, drawMode);
    target.setLeft(0);
    target.setTop(0);
    target.AutoRedraw = true;
    target.setWidth(width == -1 ? Screen::Width() : width);
    target.setHeight(height == -1 ? RGN_WorkAreaHeight() : height);
    target.Cls();
}

void RGN_DrawPart(double templateNo, Window& target, double& x, double& y,
                  std::optional<std::uint32_t> colour) {
    x = PixelToTwipX(TwipToPixelX(x));
    y = PixelToTwipY(TwipToPixelY(y));
    const CanvasTag canvas = readTag(target);
    const HRGN grown = RGN_AddTemplateRegion(canvas.pending, templateNo, x, y);
    if (canvas.drawMode == DrawPicture || canvas.drawMode == DrawPictureAndFill) {
        if (canvas.pending == 0) target.Cls();  // the first part of a new outline starts a new picture
        RGN_PaintTemplatePicture(templateNo, target, x, y);
    }
    writeTag(target, grown, canvas.drawMode);
    if (canvas.drawMode == DrawPictureAndFill) {
        const HRGN area = RGN_CreateTemplateRegion(templateNo, x, y);
        const HBRUSH brush = CreateBrushIndirect({BS_SOLID, colour.value_or(target.BackColor()), 0});
        FillRgn(target.hdc(), area, brush);
        DeleteObject(brush);
        DeleteObject(area);
        target.update();
    }
}

void RGN_ApplyCanvas(Window& target) {
    const CanvasTag canvas = readTag(target);
    SetWindowRgn(target.hwnd(), canvas.pending, true);  // the window owns the outline from now on
    const auto comma = target.Tag.find(',');
    target.Tag = "0," + (comma == std::string::npos ? std::string() : target.Tag.substr(comma + 1));
    DoEvents();  // let the window repaint in its new shape
}

std::int32_t RGN_WorkAreaHeight() {
    return CLng(Screen::WorkAreaBottom() * static_cast<double>(Screen::TwipsPerPixelY()));
}

std::string RGN_IniPath() {
    // A program in a folder it may write to (a build, a portable copy) keeps its settings beside itself; an
    // installed one (/usr/bin) keeps them in the user's configuration folder. Reading and writing decide
    // alike, so a start reads what the last end wrote.
    std::string folder = App::Path();
    if (!CanWriteIn(folder)) {
        const std::string config = ConfigHome();
        if (!config.empty()) folder = (config == "/" ? "" : config) + "/kavimo";
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + App::EXEName() + ".ini";
}

std::string RGN_ReadIni(const std::string& section, const std::string& key) {
    std::array<char, 512> buffer;
    buffer.fill(' ');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), nullptr, buffer.data(), 511, RGN_IniPath());
    const std::string_view text(buffer.data(), buffer.size());
    const auto end = text.find('\0');
    if (end == std::string_view::npos) return {};
    const std::string_view value = text.substr(0, end);
    const auto first = value.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(value.substr(first, value.find_last_not_of(' ') - first + 1));
}

void RGN_WriteIni(const std::string& section, const std::string& key, const std::string& value) {
    const std::string path = RGN_IniPath();
    MakeFolders(std::filesystem::path(path).parent_path().string());  // the configuration folder may be new
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path);
}

void RGN_DragWindow(Form& form) {
    std::int32_t kept = 0;
    std::int32_t zero = 0;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &kept, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, 1, &zero, 3);  // show the window's contents while it moves
    ReleaseCapture();
    SendMessageA(form.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, static_cast<unsigned>(kept), &zero, 3);
}

void RGN_Wait(double milliseconds) {
    DoEvents();
    Sleep(CLng(milliseconds));
}

void RGN_UnloadFormsExcept(const std::string& formName) {
    const std::vector<Form*> loaded = Forms();  // unloading changes the collection
    for (Form* form : loaded)
        if (form->Name != formName) Unload(*form);
}

}  // namespace toolkit
