// Serial ports over the system's terminal interface: names mapped to device paths, line
// settings (any speed of the list, also those no baud constant names), exclusive open,
// reads that never wait, modem lines and queue counts.
#pragma once
#include "devices/devdoor.h"

#include <string>

// Line settings. parity: 'N', 'O', 'E', 'M' (mark), 'S' (space); stop: 1 or 2; flow: 0 none,
// 1 RTS/CTS, 2 XON/XOFF, 3 DSR/DTR.
struct DEV_COM_SET {
    int speed = 9600, bits = 8, parity = 'N', stop = 1, flow = 0;
};

// The path a port name opens: "COM1".."COM256" (any case, also "\\.\COMn") is $KOV_COMn when
// set, else /dev/ttyS<n-1>; a name starting with "/" is taken as it is; "" for anything else.
std::string dev_com_path(const char *name);
// n of "COMn" (1..256), 0 for another name.
int dev_com_number(const char *name);
// Whether a speed is one a port is opened with.
bool dev_com_speed_ok(int speed);
// Settings in range (speed of the list, 7 or 8 bits, parity, 1 or 2 stop bits, flow 0..3).
bool dev_com_set_ok(const DEV_COM_SET &set);

// An open port: the descriptor is the process's only one on that device until it closes.
class DEV_COM final : public DEV_PORT {
public:
    ~DEV_COM() override;
    // nullptr with errno set: ENOENT for an unknown name, EINVAL for settings out of range,
    // EBUSY for a port open already (here or, without privileges, elsewhere).
    static DEV_COM *com_open(const char *name, const DEV_COM_SET &set);
    long port_read(char *buf, size_t size) override;
    long port_write(const char *buf, size_t size) override;
    int port_line(const char *name) override;
    int com_fd() const { return fd; }

private:
    DEV_COM(int fd, unsigned long dev, int flow) : fd(fd), dev(dev), flow(flow) {}
    int fd;
    unsigned long dev;   // the device number held in the process's list of open ports
    int flow;
};

// On any descriptor of a port (one fopen gave a script):
// com_init: raw bytes, reads return at once, queues purged; speed, size, parity, stop bits and
// flow kept. 0 / -1.
int dev_com_init(int fd);
// A line action ("SETDTR", "CLRDTR", "SETRTS", "CLRRTS", "SETXOFF", "SETXON", "RESETDEV",
// "SETBREAK", "CLRBREAK"): 0, -1 when it failed, -2 for no such action (fd -1 only asks
// whether the name is one).
int dev_com_action(int fd, const char *name);
// A status item: "CTS", "DSR", "CD" 1 while output is held for that line, "INQUE", "OUTQUE"
// bytes queued; -2 for no such item (also with fd -1).
int dev_com_status(int fd, const char *name, int flow = -1);
