// A second process for the X11 tests.
//   orvenna_x11_helper lock NAME   exit 1 when the single-instance lock is taken; otherwise
//                                  print "held" and keep the lock until stdin closes, exit 0
//   orvenna_x11_helper hotkey      grab Super+Space: print "grabbed" and keep the grab until
//                                  stdin closes, exit 0; print "taken" and exit 1 when refused
#include "platform/platform.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

void HoldUntilStdinCloses()
{
    while (std::cin.get() != EOF) {
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "lock") == 0) {
        auto platform = orvenna::platform::CreateSystemPlatform();
        if (!platform->AcquireSingleInstance(QString::fromLocal8Bit(argv[2])))
            return 1;
        std::cout << "held" << std::endl;
        HoldUntilStdinCloses();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "hotkey") == 0) {
        QGuiApplication app(argc, argv);
        auto platform = orvenna::platform::CreateSystemPlatform();
        if (!platform->RegisterHotKey(platform->DefaultHotKey())) {
            std::cout << "taken" << std::endl;
            return 1;
        }
        std::cout << "grabbed" << std::endl;
        HoldUntilStdinCloses();
        return 0;
    }
    std::cerr << "usage: orvenna_x11_helper lock NAME | hotkey\n";
    return 2;
}
