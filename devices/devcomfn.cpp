// The serial-port functions of scripts on a port fopen opened ("COM1" names it): the port
// prepared for byte I/O, line actions and status items.
#include "devices/devcom.h"
#include "devices/devfunc.h"

#include "builtins/func.h"

namespace {

// The port of a file number, or -1 with the file table's own message.
int port_fd(SCR_U &s, int slot) { return s.scr_file_ftype(slot) < 0 ? -1 : s.scr_file_handle(slot); }

// fopen opens "COMn" as its serial device; other names stay files.
std::string device_path(const char *name) { return dev_com_number(name) ? dev_com_path(name) : ""; }

} // namespace

void dev_com_install() { fn_device_path = device_path; }

// Only the file number counts: speed, size, parity and stop bits stay as the port has them.
int fn_com_init(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int fd = port_fd(s, c.arg[0].i);
    r.L = -1;
    if (fd < 0) return 0;
    if (dev_com_init(fd) != 0) return s.scr_set_FNCERR("%s():失敗", s.scr_fn_name), 0;
    return r.L = 0, 0;
}

int fn_com_set(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *what = c.arg[1].s;
    r.L = -1;
    int fd = dev_com_action(-1, what) == -2 ? -2 : port_fd(s, c.arg[0].i);
    if (fd == -2) return s.scr_set_FNCERR("%s(%s):引数が無効", s.scr_fn_name, what), 0;
    if (fd < 0) return 0;
    if (dev_com_action(fd, what) != 0) return s.scr_set_FNCERR("%s(%s):失敗", s.scr_fn_name, what), 0;
    return r.L = 0, 0;
}

int fn_com_stat(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *what = c.arg[1].s;
    r.L = -1;
    if (dev_com_status(-1, what) == -2) return s.scr_set_FNCERR("%s(%s):引数が無効", s.scr_fn_name, what), 0;
    int fd = port_fd(s, c.arg[0].i);
    if (fd < 0) return 0;
    return r.L = dev_com_status(fd, what), 0;
}
