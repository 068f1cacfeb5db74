#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";  // a child re-runs the test from the start
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    // What the last test unloaded is destroyed here: no event loop runs after it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
