#include "frm_RGN_Picture.h"

#include <QString>

static void initPictureResources() {
    Q_INIT_RESOURCE(pictures);
}

namespace toolkit {

frm_RGN_Picture::frm_RGN_Picture() : Form("frm_RGN_Picture") {
    initPictureResources();
    for (std::size_t n = 0; n < pPicture.size(); ++n)
        pPicture[n] =
            platform::Picture(QString(":/pPicture%1.bmp").arg(n)).convertToFormat(QImage::Format_RGB32);
}

frm_RGN_Picture& RGN_Pictures() {
    return platform::DefaultInstance<frm_RGN_Picture>(true);
}

}  // namespace toolkit
