#include "devices/qt/devqt.h"

void dev_qt_install() {}
