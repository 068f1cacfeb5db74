// Region, brush and window-region calls with the arguments, order and results the toolkit relies on.
// Regions and brushes live in a handle table: 32-bit handles, 0 = none. A region handed to a window with
// SetWindowRgn belongs to the window from then on and leaves the table.
#pragma once

#include <QRegion>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

class Window;
class DeviceContext;
using HWND = Window*;
using HDC = DeviceContext*;
using HGDIOBJ = std::int32_t;
using HRGN = HGDIOBJ;
using HBRUSH = HGDIOBJ;

// Results of CombineRgn, OffsetRgn, GetWindowRgn and SelectClipRgn.
inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// CombineRgn modes.
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// The region-data record: a 32-byte header followed by 16-byte rectangles.
inline constexpr std::uint32_t RDH_RECTANGLES = 1;
inline constexpr std::size_t RGNDATAHEADER_SIZE = 32;

struct XFORM {
    float eM11, eM12, eM21, eM22, eDx, eDy;
};

inline constexpr std::uint32_t BS_SOLID = 0;

struct LOGBRUSH {
    std::uint32_t lbStyle;
    std::uint32_t lbColor;  // &H00BBGGRR
    std::intptr_t lbHatch;
};

// SetWindowPos.
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
inline constexpr unsigned SWP_NOSIZE = 0x01;
inline constexpr unsigned SWP_NOMOVE = 0x02;
inline constexpr unsigned SWP_SHOWWINDOW = 0x40;

// Builds a region from a region-data record of `count` bytes. Only the identity transformation (or none) is
// supported. Returns 0 when the record is not a valid rectangle list.
HRGN ExtCreateRegion(const XFORM* transform, std::uint32_t count, const void* data);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
bool DeleteObject(HGDIOBJ object);

HBRUSH CreateBrushIndirect(const LOGBRUSH& brush);
bool FillRgn(HDC dc, HRGN region, HBRUSH brush);
int SelectClipRgn(HDC dc, HRGN region);  // region 0 removes the clipping

int SetWindowRgn(HWND window, HRGN region, bool redraw);  // region 0 removes the outline
int GetWindowRgn(HWND window, HRGN destination);
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, unsigned flags);

// For tests and soak checks: the region behind a handle, and how many objects the table holds.
std::optional<QRegion> RegionOf(HRGN region);
std::size_t LiveGdiObjects();

}  // namespace platform
