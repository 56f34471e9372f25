#include <gtest/gtest.h>

#include <QApplication>

// The desktop tests run on Qt's xcb platform, on the X server run_on_xvfb.sh starts.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
