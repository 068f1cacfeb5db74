#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include "../xclient.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";  // a child runs the test again from its start
    QApplication app(argc, argv);
    // While a test waits for the X server, the program in it goes on.
    xclient::setWaiting([](int milliseconds) {
        QElapsedTimer timer;
        timer.start();
        do {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        } while (timer.elapsed() < milliseconds);
    });
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // what the last test unloaded
    return result;
}
