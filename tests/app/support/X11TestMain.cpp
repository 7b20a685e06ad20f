// The main of application tests that need a real X display: a private session bus (what the
// tests and the programs they start export or ask for over D-Bus never reaches the machine's
// desktop) and a private Xvfb with a window manager, then a QApplication on them, then GoogleTest.
#include "support/PrivateSessionBus.h"
#include "support/XvfbSession.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    kelvarn::testing::PrivateSessionBus bus;
    if (!bus.running()) {
        std::cerr << "Couldn't start dbus-daemon: install the dbus package (scripts/setup does)\n";
        return 1;
    }
    kelvarn::testing::XvfbSession display;
    if (!display.running()) {
        std::cerr << "Couldn't start Xvfb with openbox: install the xvfb and openbox packages "
                     "(scripts/setup does)\n";
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KelvarnTests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
