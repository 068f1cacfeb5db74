#include <gtest/gtest.h>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "menu/frm_Version.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"
#include "window_test.h"
#include "x11.h"

using menu::frm_Version;

namespace {

class VersionWindow : public WindowTest {};

// Presses and releases the key where the keyboard's input goes: the focus widget, else the window.
void pressKey(QWidget& window, int key) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

bool isVersionWindowOpen() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (dynamic_cast<frm_Version*>(window) != nullptr) return true;
    return false;
}

struct ModalRun {
    bool driven = false;
    int result = -2;  // QDialog's result when the window closed; -1 when the deadline had to close it
};

// Runs ShowModal and, once the window is up and has the keyboard, hands it to `drive`, which closes it. If it
// is still open after five seconds, the deadline closes it so that a fault cannot hang the tests.
ModalRun showModalDrivenBy(const std::function<void(frm_Version&)>& drive) {
    ModalRun run;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = dynamic_cast<frm_Version*>(QApplication::activeModalWidget());
        if (window == nullptr || !window->isActiveWindow()) return;
        poll.stop();
        run.driven = true;
        QObject::connect(window, &QDialog::finished, [&run](int result) { run.result = result; });
        drive(*window);
    });
    poll.start(10);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] {
        if (auto* window = dynamic_cast<frm_Version*>(QApplication::activeModalWidget())) window->done(-1);
    });
    deadline.start(5000);
    frm_Version::ShowModal();
    return run;
}

}  // namespace

TEST_F(VersionWindow, IsAFixedDialogCentredOnTheScreenAndOnTop) {
    frm_Version window;
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("バージョン情報"));
    // The window joins the always-on-top band as it loads, before it is ever shown.
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.minimumSize(), QSize(263, 75));  // 3945 x 1125 twips
    EXPECT_EQ(window.maximumSize(), QSize(263, 75));

    window.show();
    ASSERT_TRUE(xtest::waitFor([&] { return xtest::isAbove(window); }));
    EXPECT_EQ(window.size(), QSize(263, 75));
    // Centred with the window manager's frame, once the window is on the screen.
    QWindow& handle = *window.windowHandle();
    ASSERT_TRUE(xtest::waitFor([&] { return !handle.frameMargins().isNull(); }))
        << "no window manager put a frame around the window";
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    const auto centred = [&] {
        const QPoint off = handle.frameGeometry().center() - screenCentre;
        return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
    };
    ASSERT_TRUE(xtest::waitFor(centred))
        << "frame at " << handle.frameGeometry().x() << ", " << handle.frameGeometry().y();
    xtest::settle();
    EXPECT_EQ(xtest::screenPositionOf(window), window.geometry().topLeft());
}

TEST_F(VersionWindow, ControlsSitAtTheirDesignedPlaces) {
    frm_Version window;
    // Twips over 15, truncated.
    EXPECT_EQ(window.Command1.geometry(), QRect(205, 8, 53, 23));
    EXPECT_EQ(window.Label3.geometry(), QRect(56, 12, 137, 19));
    EXPECT_EQ(window.Label2[1].geometry(), QRect(101, 35, 101, 19));
    EXPECT_EQ(window.Label1.geometry(), QRect(52, 62, 185, 15));
    EXPECT_EQ(window.Image1.geometry(), QRect(12, 14, 32, 32));
    EXPECT_EQ(window.Label2[1].parentWidget(), &window);
    EXPECT_THROW(window.Label2[0], std::out_of_range);  // the array has member 1 only

    EXPECT_EQ(window.Command1.text(), "OK");
    EXPECT_TRUE(window.Command1.isDefault());
    EXPECT_EQ(window.Label3.text(), "Kavimo");
    EXPECT_EQ(window.Label2[1].text(), "Version 1.0.1");
    EXPECT_FALSE(window.Label1.text().isEmpty());
    // The program icon, from the compiled-in pictures.
    EXPECT_EQ(window.Image1.pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST_F(VersionWindow, NameAndVersionUseTheirFacesOrCloseSubstitutes) {
    frm_Version window;
    const QFontInfo name(window.Label3.font());
    EXPECT_TRUE(name.family() == QString::fromUtf8("ＭＳ Ｐ明朝") || name.family().contains("Mincho"))
        << name.family().toStdString();
    EXPECT_TRUE(name.bold());
    EXPECT_NEAR(name.pointSizeF(), 11.25, 0.4);

    const QFontInfo version(window.Label2[1].font());
    const QString family = version.family();
    EXPECT_TRUE(family.startsWith("Times New Roman") || family.startsWith("Liberation Serif") ||
                family.startsWith("Nimbus Roman"))
        << family.toStdString();
    EXPECT_TRUE(version.bold());
    EXPECT_NEAR(version.pointSizeF(), 9.75, 0.4);
    EXPECT_EQ(QFontInfo(window.Label1.font()).family(), QFontInfo(QApplication::font()).family());
}

TEST_F(VersionWindow, EveryTextIsWhollyVisible) {
    frm_Version window;
    for (QLabel* label : {&window.Label3, &window.Label2[1], &window.Label1}) {
        const QFontMetrics metrics(label->font());
        // The ink of the text, where the label draws it: top-left aligned, one line.
        const QRect ink =
            metrics.tightBoundingRect(label->text()).translated(label->pos() + QPoint(0, metrics.ascent()));
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
        EXPECT_TRUE(window.rect().contains(ink)) << label->text().toStdString();
    }
}

TEST_F(VersionWindow, SeparatorIsEtchedAcrossTheWholeWindow) {
    frm_Version window;
    const QImage picture = window.grab().toImage();
    const QColor background = window.palette().color(QPalette::Window);
    const QColor dark = window.palette().color(QPalette::WindowText);
    ASSERT_EQ(picture.width(), 263);
    for (int x = 0; x < picture.width(); ++x) {
        ASSERT_EQ(picture.pixelColor(x, 57), background) << "x " << x;
        ASSERT_EQ(picture.pixelColor(x, 58), QColor(Qt::white)) << "x " << x;  // 870 twips
        ASSERT_EQ(picture.pixelColor(x, 59), dark) << "x " << x;               // 885 twips
        ASSERT_EQ(picture.pixelColor(x, 60), background) << "x " << x;
    }
}

TEST_F(VersionWindow, OpensAboveTheAlwaysOnTopPieces) {
    // A red always-on-top window, like a puzzle piece, over the middle of the screen.
    auto& piece = platform::NewForm<platform::Form>("Form2");
    platform::Load(piece);
    piece.setLeft(300 * 15);
    piece.setTop(250 * 15);
    piece.setWidth(424 * 15);
    piece.setHeight(268 * 15);
    piece.setBackColor(0x000000FF);
    toolkit::SetTopMost(piece, false);
    ASSERT_TRUE(xtest::waitFor([&] { return xtest::isAbove(piece); }));

    frm_Version window;
    window.show();
    ASSERT_TRUE(xtest::waitFor([&] { return xtest::isAbove(window) && window.windowHandle()->isExposed(); }));
    xtest::settle(300);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QColor red(255, 0, 0);
    ASSERT_EQ(screen.pixelColor(piece.x() + 2, piece.y() + 2), red);  // the piece is up
    const QRect client(xtest::screenPositionOf(window), window.size());
    int covered = 0;
    for (int y = client.top(); y <= client.bottom(); ++y)
        for (int x = client.left(); x <= client.right(); ++x)
            covered += screen.pixelColor(x, y) == red ? 1 : 0;
    EXPECT_EQ(covered, 0);
}

TEST_F(VersionWindow, ShowModalReturnsOnceClosedByOkEnterOrTheCloseBoxButNotEscape) {
    const std::function<void(frm_Version&)> closers[] = {
        [](frm_Version& window) { window.Command1.click(); },
        [](frm_Version& window) { pressKey(window, Qt::Key_Return); },
        [](frm_Version& window) { window.close(); },  // the close box
    };
    for (const auto& close : closers) {
        bool focusOnOk = false, stayedOpen = false;
        const ModalRun run = showModalDrivenBy([&](frm_Version& window) {
            focusOnOk = QApplication::focusWidget() == &window.Command1;
            pressKey(window, Qt::Key_Escape);
            xtest::settle(50);
            stayedOpen = window.isVisible();
            if (stayedOpen) close(window);
        });
        ASSERT_TRUE(run.driven);
        EXPECT_TRUE(focusOnOk);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(run.result, QDialog::Accepted);  // each way closes it as "OK" does
        EXPECT_FALSE(isVersionWindowOpen());       // and nothing of it is left
    }
}
