// The version window: a fixed dialog centred on the screen above the always-on-top pieces, laid out as
// designed, closed by OK, Enter or its close box but not by Escape.
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <stdexcept>

#include "fixture.h"
#include "menu/frm_Version.h"

using menu::frm_Version;

using VersionWindow = WindowTest;

TEST_F(VersionWindow, OpensCentredAboveThePiecesAsAFixedDialog) {
    auto& piece =
        form({300, 250, 424, 268}, "Form2");  // a topmost window over the middle, like a puzzle piece
    toolkit::SetTopMost(piece, false);
    frm_Version window;
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("バージョン情報"));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));  // before it is ever shown
    EXPECT_EQ(window.maximumSize(), QSize(263, 75));                       // 3945 x 1125 twips, not resizable
    window.show();
    const auto id = window.winId();
    // Centred with the window manager's frame, once there is one.
    EXPECT_TRUE(xclient::eventually([&] {
        const xclient::Rect frame = xclient::frameOf(id);
        return frame != xclient::placeOf(id) && std::abs(frame.x + frame.width / 2 - 512) <= 1 &&
               std::abs(frame.y + frame.height / 2 - 384) <= 1;
    })) << xclient::frameOf(id);
    EXPECT_TRUE(xclient::hasState(id, "_NET_WM_STATE_ABOVE"));
    EXPECT_GT(xclient::stackingLevel(id), xclient::stackingLevel(piece.winId()));
}

TEST_F(VersionWindow, OkEnterAndTheCloseBoxCloseItButEscapeDoesNot) {
    const auto key = [](int code) {
        QWidget* focus = QApplication::focusWidget();
        for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, code, Qt::NoModifier);
            QCoreApplication::sendEvent(focus, &event);
        }
    };
    const std::function<void(frm_Version&)> closers[] = {
        [](frm_Version& window) { window.Command1.click(); },
        [&](frm_Version&) { key(Qt::Key_Return); },
        [](frm_Version& window) { window.close(); },
    };
    for (const auto& close : closers) {
        int result = -2;
        QTimer poll, deadline;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* window = qobject_cast<frm_Version*>(QApplication::activeModalWidget());
            if (window == nullptr || QApplication::focusWidget() != &window->Command1) return;  // not up yet
            poll.stop();
            QObject::connect(window, &QDialog::finished, [&](int r) { result = r; });
            key(Qt::Key_Escape);
            if (window->isVisible()) close(*window);
        });
        QObject::connect(&deadline, &QTimer::timeout, [] {  // so that a fault cannot hang the tests
            if (auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget())) window->done(-1);
        });
        poll.start(10);
        deadline.start(5000);
        frm_Version::ShowModal();
        EXPECT_EQ(result, QDialog::Accepted);
    }
}
