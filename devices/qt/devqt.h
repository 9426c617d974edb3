// The device doors of the window: the same watches and timers, served from Qt's event loop.
#pragma once
#include "devices/devdoor.h"

// The window's doors (one per process, made on first use).
DEV_DOORS *dev_qt_doors();
