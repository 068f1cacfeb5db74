#include "gdi.h"

#include <QPainter>
#include <QWindow>
#include <cstring>
#include <unordered_map>
#include <variant>

#include "forms.h"

namespace platform {
namespace {

struct Brush {
    QColor colour;
};
using GdiObject = std::variant<QRegion, Brush>;

// The handle table. Handles count up and skip 0 and handles still in use.
struct HandleTable {
    std::unordered_map<HGDIOBJ, GdiObject> objects;
    HGDIOBJ last = 0;

    HGDIOBJ add(GdiObject object) {
        do {
            last = last == INT32_MAX ? 1 : last + 1;
        } while (objects.count(last) != 0);
        objects.emplace(last, std::move(object));
        return last;
    }
    template <class T>
    T* find(HGDIOBJ handle) {
        auto it = objects.find(handle);
        return it == objects.end() ? nullptr : std::get_if<T>(&it->second);
    }
};

HandleTable& table() {
    static HandleTable handles;
    return handles;
}

QRegion* regionAt(HRGN handle) {
    return table().find<QRegion>(handle);
}

// A region is simple when it is one rectangle: when its rectangles (which never overlap) fill its bounding
// rectangle. (The count of QRegion's rectangles is no measure: an area may be held in more than it needs.)
int kindOf(const QRegion& region) {
    if (region.isEmpty()) return NULLREGION;
    qint64 area = 0;
    for (const QRect& rect : region) area += qint64(rect.width()) * rect.height();
    const QRect bound = region.boundingRect();
    return area == qint64(bound.width()) * bound.height() ? SIMPLEREGION : COMPLEXREGION;
}

std::int32_t readInt(const unsigned char* bytes) {
    std::int32_t value;
    std::memcpy(&value, bytes,
                sizeof value);  // the records are little-endian, as is every machine we build for
    return value;
}

bool isIdentity(const XFORM& t) {
    return t.eM11 == 1.0f && t.eM22 == 1.0f && t.eM12 == 0.0f && t.eM21 == 0.0f && t.eDx == 0.0f &&
           t.eDy == 0.0f;
}

}  // namespace

HRGN ExtCreateRegion(const XFORM* transform, std::uint32_t count, const void* data) {
    if (data == nullptr || count < RGNDATAHEADER_SIZE || (transform != nullptr && !isIdentity(*transform)))
        return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::int32_t headerSize = readInt(bytes);
    const std::int32_t type = readInt(bytes + 4);
    const std::int32_t rectangles = readInt(bytes + 8);
    if (headerSize != static_cast<std::int32_t>(RGNDATAHEADER_SIZE) ||
        type != static_cast<std::int32_t>(RDH_RECTANGLES) || rectangles < 0 ||
        static_cast<std::uint64_t>(rectangles) * 16 > count - RGNDATAHEADER_SIZE)
        return 0;
    QRegion region;
    for (std::int32_t i = 0; i < rectangles; ++i) {
        const unsigned char* r = bytes + RGNDATAHEADER_SIZE + 16 * i;
        const std::int32_t left = readInt(r), top = readInt(r + 4), right = readInt(r + 8),
                           bottom = readInt(r + 12);
        if (right > left && bottom > top) region += QRect(left, top, right - left, bottom - top);
    }
    return table().add(region);
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    const QRect rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).normalized();
    return table().add(rect.isEmpty() ? QRegion() : QRegion(rect));
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
    QRegion* target = regionAt(destination);
    const QRegion* a = regionAt(source1);
    const QRegion* b = mode == RGN_COPY ? a : regionAt(source2);
    if (target == nullptr || a == nullptr || b == nullptr) return ERROR;
    switch (mode) {
        case RGN_AND:
            *target = *a & *b;
            break;
        case RGN_OR:
            *target = *a | *b;
            break;
        case RGN_XOR:
            *target = *a ^ *b;
            break;
        case RGN_DIFF:
            *target = *a - *b;
            break;
        case RGN_COPY:
            *target = *a;
            break;
        default:
            return ERROR;
    }
    return kindOf(*target);
}

int OffsetRgn(HRGN region, int dx, int dy) {
    QRegion* target = regionAt(region);
    if (target == nullptr) return ERROR;
    target->translate(dx, dy);
    return kindOf(*target);
}

bool DeleteObject(HGDIOBJ object) {
    return table().objects.erase(object) == 1;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH& brush) {
    if (brush.lbStyle != BS_SOLID) return 0;
    return table().add(Brush{OleColor(brush.lbColor)});
}

bool FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    const QRegion* area = regionAt(region);
    const Brush* fill = table().find<Brush>(brush);
    if (dc == nullptr || dc->image == nullptr || area == nullptr || fill == nullptr) return false;
    QPainter painter(dc->image);
    painter.setClipRegion(dc->clipped ? *area & dc->clip : *area);
    painter.fillRect(area->boundingRect(), fill->colour);
    return true;
}

int SelectClipRgn(HDC dc, HRGN region) {
    if (dc == nullptr) return ERROR;
    if (region == 0) {
        dc->clipped = false;
        dc->clip = QRegion();
        return SIMPLEREGION;
    }
    const QRegion* clip = regionAt(region);
    if (clip == nullptr) return ERROR;
    dc->clip = *clip;  // the device context keeps its own copy; the caller still owns the handle
    dc->clipped = true;
    return kindOf(*clip);
}

int SetWindowRgn(HWND window, HRGN region, bool redraw) {
    if (window == nullptr) return 0;
    if (region == 0) {
        window->setOutline(QRegion());
    } else {
        auto it = table().objects.find(region);
        if (it == table().objects.end() || !std::holds_alternative<QRegion>(it->second)) return 0;
        const QRegion outline = std::get<QRegion>(it->second);
        table().objects.erase(it);  // the window owns the region from now on
        // An empty mask would show the whole window; an outline with no area shows nothing instead.
        window->setOutline(outline.isEmpty() ? Window::kNoArea : outline);
    }
    if (redraw) window->update();
    return 1;
}

int GetWindowRgn(HWND window, HRGN destination) {
    QRegion* target = regionAt(destination);
    if (window == nullptr || target == nullptr) return ERROR;
    const QRegion outline = window->Outline();
    if (outline.isEmpty()) return ERROR;  // the window has no outline of its own
    *target = outline;
    return kindOf(outline);
}

bool SetWindowPos(HWND window, HWND insertAfter, int, int, int, int, unsigned flags) {
    if (window == nullptr || !window->isWindow()) return false;
    if (insertAfter == HWND_TOPMOST && !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        const Qt::WindowFlags flagsOnTop = window->windowFlags() | Qt::WindowStaysOnTopHint;
        if (window->windowHandle() != nullptr) {
            // Changing the flags of a created window through QWidget would re-create and hide it; tell the
            // native window directly and keep the widget's record in step.
            window->overrideWindowFlags(flagsOnTop);
            window->windowHandle()->setFlags(flagsOnTop);
        } else {
            window->setWindowFlags(flagsOnTop);
        }
    }
    if ((flags & SWP_SHOWWINDOW) != 0) window->setVisible(true);
    if (window->Visible()) window->raise();
    return true;
}

std::optional<QRegion> RegionOf(HRGN region) {
    const QRegion* found = regionAt(region);
    return found == nullptr ? std::nullopt : std::optional<QRegion>(*found);
}

std::size_t LiveGdiObjects() {
    return table().objects.size();
}

}  // namespace platform
