// The GUI tests' own main: the windows need a QApplication (on the offscreen
// platform, set by the build) before any test runs.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // The tests close windows on purpose; that must not end anything.
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
