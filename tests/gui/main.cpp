#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>

#include "../xclient.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";  // a child runs the test again from its start
    setenv("QT_XCB_NO_MITSHM", "1", 1);  // the windows' pictures are sent as the program sends them
    QApplication app(argc, argv);
    // While a test waits for the X server, the program in it goes on.
    xclient::setWaiting([](int milliseconds) {
        QEventLoop waiting;
        QTimer::singleShot(milliseconds, &waiting, &QEventLoop::quit);
        waiting.exec();
    });
    xclient::waitForWindowManager();  // done with the windows of the test before
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // what the last test unloaded
    return result;
}
