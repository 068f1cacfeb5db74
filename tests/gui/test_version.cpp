// The version window: a fixed dialog centred on the screen above the always-on-top pieces, laid out as
// designed, never minimised, closed by OK, Enter or its close box but not by Escape.
#include <QApplication>

#include "fixture.h"
#include "menu/frm_Version.h"

using menu::frm_Version;

using VersionWindow = WindowTest;

TEST_F(VersionWindow, OpensCentredAboveThePiecesAsAFixedDialog) {
    auto& piece =
        form({300, 250, 424, 268}, "Form2");  // a topmost window over the middle, like a puzzle piece
    toolkit::SetTopMost(piece, false);
    frm_Version window;
    window.show();
    const auto id = window.winId();
    // Centred with the window manager's frame, and above the piece, once the window manager has taken it on
    // (it may give the frame's size before it does).
    EXPECT_TRUE(xclient::eventually([&] {
        const xclient::Rect frame = xclient::frameOf(id);
        return frame != xclient::placeOf(id) && std::abs(frame.x + frame.width / 2 - 512) <= 1 &&
               std::abs(frame.y + frame.height / 2 - 384) <= 1 && xclient::hasState(id, "_NET_WM_STATE_ABOVE") &&
               xclient::stackingLevel(id) > xclient::stackingLevel(piece.winId());
    })) << xclient::frameOf(id) << " level " << xclient::stackingLevel(id);
    xclient::minimise(id);  // it has no minimise box, whatever the window manager offers (openbox does)
    EXPECT_TRUE(xclient::eventually([&] { return xclient::isViewable(id); }));
}

TEST_F(VersionWindow, OkEnterAndTheCloseBoxCloseItButEscapeDoesNot) {
    const std::function<void(frm_Version&)> closers[] = {
        [](frm_Version& window) { window.Command1.click(); },
        [](frm_Version&) { xclient::tapKey("Return"); },
        [](frm_Version& window) { window.close(); },
    };
    for (const auto& close : closers) {
        frm_Version window;
        window.show();
        ASSERT_TRUE(xclient::eventually([&] { return QApplication::focusWidget() == &window.Command1; }));
        xclient::tapKey("Escape");
        xclient::pause(100);
        EXPECT_TRUE(window.isVisible());
        close(window);
        EXPECT_TRUE(xclient::eventually([&] { return !window.isVisible(); }) &&
                    window.result() == QDialog::Accepted);
    }
}
