// The template pictures: each covers exactly its template's region.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/gdi.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"

using namespace platform;

// Every picture's pixels that are not magenta are exactly its template's region; picture 9 keeps a magenta
// centre inside its square.
TEST(Regions, PicturesCoverExactlyTheirTemplates) {
    Q_INIT_RESOURCE(pictures);
    TestSeams::SetTwipsPerPixel(15.0f);
    toolkit::RGN_InitTemplates();
    for (int n = 0; n < 12; ++n) {
        const QImage picture(QString(":/pPicture%1.bmp").arg(n));
        EXPECT_EQ(picture.size(), n == 0 ? QSize(34, 34) : QSize(10, 10));
        QRegion painted;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelColor(x, y) != QColor(255, 0, 255)) painted += QRect(x, y, 1, 1);
        const HRGN handle = toolkit::RGN_CreateTemplateRegion(n, 0, 0);
        const QRegion region = *RegionOf(handle);
        DeleteObject(handle);
        EXPECT_TRUE((painted ^ (n == 9 ? region - QRegion(2, 2, 6, 6) : region)).isEmpty()) << n;
    }
    TestSeams::SetTwipsPerPixel(std::nullopt);
}
