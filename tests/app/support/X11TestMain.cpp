// The main of application tests that need a real X display: a private Xvfb with a window
// manager, then a QApplication on it, then GoogleTest.
#include "support/XvfbSession.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    kelvarn::testing::XvfbSession display;
    if (!display.running()) {
        std::cerr << "Couldn't start Xvfb: install the xvfb package (scripts/setup does)\n";
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KelvarnTests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
