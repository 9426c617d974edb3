// The device doors of the window: the same watches and timers, served from Qt's event loop.
#pragma once
#include "devices/devdoor.h"

// The window's doors (one per process, made on first use): a socket notifier per watched
// descriptor and one single-shot timer for the earliest timer wake the base's serving, so that
// devices run while a script runs or pauses and while a modal box is open.
DEV_DOORS *dev_qt_doors();

// The views of device parts made by the window's part view factory (once per process).
void dev_qt_install();
