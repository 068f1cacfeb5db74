// The region templates: every outline the program gives a window, as rectangle lists in the region-data
// record layout, so that a record can be handed unchanged to ExtCreateRegion. Template n goes with picture n
// of frm_RGN_Picture.
#pragma once

#include <array>
#include <cstdint>

namespace toolkit {

struct RegionTemplate {
    std::int32_t dwSize;
    std::int32_t iType;
    std::int32_t nCount;
    std::int32_t nRgnSize;
    std::int32_t rcBound[4];
    std::int32_t Buffer[52][4];  // left, top, right, bottom; slots past nCount stay zero
};
static_assert(sizeof(RegionTemplate) == 864, "a template record is 864 bytes");

// 0 the Clear banner, 1 to 9 the cell of piece n - 1, 10 the origin marker's dots, 11 the notched probe
// cell; slot 12 stays all zero.
inline constexpr int TemplateSlots = 13;
extern std::array<RegionTemplate, TemplateSlots> RegionTemplates;
// True (-1) once the table has been filled.
extern int TemplatesReady;

void RGN_InitTemplates();

}  // namespace toolkit
