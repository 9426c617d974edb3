#include "devices/qt/devqt.h"

DEV_DOORS *dev_qt_doors()
{
    static DEV_DOORS doors;
    return &doors;
}
