#include "mod_RGN_Data.h"

#include <algorithm>
#include <initializer_list>
#include <span>
#include <vector>

namespace toolkit {

std::array<RegionTemplate, TemplateSlots> RegionTemplates{};
int TemplatesReady = 0;

namespace {

struct Rect {
    std::int32_t left, top, right, bottom;
};

// A band of rows and the spans (left, right) that the shape covers in it.
struct Band {
    std::int32_t top, bottom;
    std::initializer_list<std::pair<std::int32_t, std::int32_t>> spans;
};

// The banner plate with the word Clear cut out of it as holes.
constexpr std::initializer_list<Band> ClearBanner = {
    {8, 11, {{0, 34}}},
    {11, 12, {{0, 5}, {9, 11}, {13, 34}}},
    {12, 13, {{0, 4}, {6, 8}, {10, 11}, {13, 34}}},
    {13, 14, {{0, 3}, {5, 11}, {13, 15}, {19, 22}, {25, 27}, {31, 34}}},
    {14, 15, {{0, 3}, {5, 11}, {13, 14}, {16, 18}, {20, 21}, {22, 24}, {26, 27}, {29, 34}}},
    {15, 16, {{0, 3}, {5, 11}, {13, 14}, {20, 22}, {26, 27}, {29, 34}}},
    {16, 17, {{0, 3}, {5, 11}, {13, 14}, {16, 21}, {23, 24}, {26, 27}, {29, 34}}},
    {17, 18, {{0, 4}, {6, 8}, {10, 11}, {13, 14}, {16, 18}, {20, 21}, {23, 24}, {26, 27}, {29, 34}}},
    {18, 19, {{0, 5}, {9, 11}, {13, 15}, {19, 22}, {26, 27}, {29, 34}}},
    {19, 21, {{0, 34}}},
};

constexpr Rect CellSquare[] = {{1, 1, 9, 9}};
constexpr Rect MarkerDots[] = {{4, 1, 6, 3}, {1, 4, 3, 6}, {7, 4, 9, 6}, {4, 7, 6, 9}};
constexpr Rect NotchedCell[] = {{1, 1, 4, 3}, {6, 1, 9, 3}, {1, 3, 9, 4}, {3, 4, 7, 6},
                                {1, 6, 9, 7}, {1, 7, 4, 9}, {6, 7, 9, 9}};

void fill(RegionTemplate& record, std::span<const Rect> rectangles) {
    record = RegionTemplate{};
    record.dwSize = 32;
    record.iType = 1;
    record.nCount = static_cast<std::int32_t>(rectangles.size());
    record.nRgnSize = record.nCount * 16;
    Rect bound = rectangles.front();
    int slot = 0;
    for (const Rect& r : rectangles) {
        record.Buffer[slot][0] = r.left;
        record.Buffer[slot][1] = r.top;
        record.Buffer[slot][2] = r.right;
        record.Buffer[slot][3] = r.bottom;
        ++slot;
        bound = {std::min(bound.left, r.left), std::min(bound.top, r.top), std::max(bound.right, r.right),
                 std::max(bound.bottom, r.bottom)};
    }
    record.rcBound[0] = bound.left;
    record.rcBound[1] = bound.top;
    record.rcBound[2] = bound.right;
    record.rcBound[3] = bound.bottom;
}

std::vector<Rect> bannerRectangles() {
    std::vector<Rect> rectangles;
    for (const Band& band : ClearBanner)
        for (const auto& [left, right] : band.spans)
            rectangles.push_back({left, band.top, right, band.bottom});
    return rectangles;
}

}  // namespace

void RGN_InitTemplates() {
    fill(RegionTemplates[0], bannerRectangles());
    for (int n = 1; n <= 9; ++n) fill(RegionTemplates[n], CellSquare);
    fill(RegionTemplates[10], MarkerDots);
    fill(RegionTemplates[11], NotchedCell);
}

}  // namespace toolkit
