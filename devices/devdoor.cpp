#include "devices/devdoor.h"

#include <cerrno>

DEV_PORT *DEV_DOORS::dev_port_open(const char *, int, int, int, int, int)
{
    errno = ENODEV;
    return nullptr;
}

int DEV_DOORS::dev_timer(int, int, std::function<void()>) { return -1; }
int DEV_DOORS::dev_play(const char *) { return -1; }
