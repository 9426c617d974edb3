// The doors of devices: a serial port, a stream socket, a one-shot timer and media playback.
// A device part owns one of these; where nothing can reach a device the headless answers say so
// (-1) and the part shows its failure. The desktop and the command line hand out the same real
// ports and sockets: devices need no window.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

// A serial port as the system opens it.
class DEV_PORT {
public:
    virtual ~DEV_PORT() = default;
    // Bytes read without waiting (0 none), -1 when the port failed (unplugged).
    virtual long port_read(char *buf, size_t size) = 0;
    virtual long port_write(const char *buf, size_t size) = 0;
    // Modem control and status lines by name ("SETDTR", "CTS", ...): 0 / -1, or the state.
    virtual int port_line(const char *name) = 0;
};

// What a part reaches its devices through.
class DEV_DOORS {
public:
    virtual ~DEV_DOORS() = default;
    // Opens a port ("COM1".."COM256" or a "/dev/..." path) with speed, data bits, parity
    // ('N', 'E', 'O', 'M', 'S'), stop bits (1, 15 = 1.5, 2) and flow mode: the port, or nullptr
    // with errno set.
    virtual DEV_PORT *dev_port_open(const char *name, int speed, int bits, int parity, int stop, int flow);
    // Calls fn once after ms milliseconds (a new call replaces the old one of the same id); ms 0
    // cancels. -1 where nothing keeps time.
    virtual int dev_timer(int id, int ms, std::function<void()> fn);
    // Plays a media file without waiting ("" stops): 0 / -1.
    virtual int dev_play(const char *file);
};
