#include "device/usb.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    USB usb;
    const int found = usb.Connect();
    std::printf("KRX 738: %s\n", found ? "meter found" : "no meter found");
    return 0;
}
