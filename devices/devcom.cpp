#include "devices/devcom.h"

// The kernel's own terminal interface (termios2): speeds like 14400 or 256000 have no baud
// constant and are set by number (BOTHER). Its headers clash with the C library's <termios.h>
// and <sys/ioctl.h>, so this file uses the kernel's alone.
#include <asm/termios.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace {

const int SPEEDS[] = {300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

// Devices this process holds open. Privileged processes pass TIOCEXCL, so a second open in the
// same process is refused here as well.
std::vector<unsigned long> &open_ports()
{
    static std::vector<unsigned long> v;
    return v;
}

int ci_prefix(const char *s, const char *p)
{
    size_t n = strlen(p);
    return strncasecmp(s, p, n) == 0 ? int(n) : -1;
}

// Raw bytes both ways, reads returning at once, parity checked, XON 0x11 / XOFF 0x13.
void make_raw(termios2 &t)
{
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY | IMAXBEL);
    t.c_iflag |= INPCK;
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
}

void set_line(termios2 &t, const DEV_COM_SET &s)
{
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT) | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= BOTHER | (s.bits == 7 ? CS7 : CS8) | (s.stop == 2 ? CSTOPB : 0);
    t.c_ispeed = t.c_ospeed = speed_t(s.speed);
    if (s.parity != 'N') t.c_cflag |= PARENB;
    if (s.parity == 'O' || s.parity == 'M') t.c_cflag |= PARODD;
    if (s.parity == 'M' || s.parity == 'S') t.c_cflag |= CMSPAR;
    if (s.flow == 1) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~tcflag_t(IXON | IXOFF);
    if (s.flow == 2) t.c_iflag |= IXON | IXOFF;
}

int lines_on(int fd, int bits) { return ioctl(fd, TIOCMBIS, &bits) == 0 ? 0 : -1; }

int modem(int fd)
{
    int m = 0;
    return ioctl(fd, TIOCMGET, &m) == 0 ? m : -1;
}

} // namespace

int dev_com_number(const char *name)
{
    if (!name) return 0;
    int k = ci_prefix(name, "\\\\.\\");
    const char *p = name + std::max(k, 0);
    if (ci_prefix(p, "COM") < 0) return 0;
    p += 3;
    if (*p < '1' || *p > '9' || strlen(p) > 3 || strspn(p, "0123456789") != strlen(p)) return 0;
    int n = atoi(p);
    return n <= 256 ? n : 0;
}

std::string dev_com_path(const char *name)
{
    if (!name) return "";
    if (name[0] == '/') return name;
    int n = dev_com_number(name);
    if (!n) return "";
    std::string var = "KOV_COM" + std::to_string(n);
    if (const char *o = getenv(var.c_str()); o && *o) return o;
    return "/dev/ttyS" + std::to_string(n - 1);
}

bool dev_com_speed_ok(int speed) { return std::find(std::begin(SPEEDS), std::end(SPEEDS), speed) != std::end(SPEEDS); }

bool dev_com_set_ok(const DEV_COM_SET &s)
{
    return dev_com_speed_ok(s.speed) && (s.bits == 7 || s.bits == 8) && strchr("NOEMS", s.parity) && s.parity &&
           (s.stop == 1 || s.stop == 2) && s.flow >= 0 && s.flow <= 3;
}

DEV_COM *DEV_COM::com_open(const char *name, const DEV_COM_SET &set)
{
    std::string path = dev_com_path(name);
    if (path.empty()) return errno = ENOENT, nullptr;
    if (!dev_com_set_ok(set)) return errno = EINVAL, nullptr;
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto fail = [fd](int e) {
        close(fd);
        errno = e;
        return nullptr;
    };
    struct stat st{};
    if (fstat(fd, &st) != 0) return fail(errno);
    auto &held = open_ports();
    if (std::find(held.begin(), held.end(), st.st_rdev) != held.end()) return fail(EBUSY);
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return fail(ENOTTY);
    if (ioctl(fd, TIOCEXCL) != 0) return fail(errno);
    make_raw(t);
    set_line(t, set);
    if (ioctl(fd, TCSETS2, &t) != 0) return fail(errno);
    ioctl(fd, TCFLSH, TCIOFLUSH);
    // The lines the flow mode holds on (a pseudo terminal has none: no error).
    lines_on(fd, set.flow == 1 ? TIOCM_DTR : TIOCM_DTR | TIOCM_RTS);
    held.push_back(st.st_rdev);
    return new DEV_COM(fd, st.st_rdev, set.flow);
}

DEV_COM::~DEV_COM()
{
    auto &held = open_ports();
    if (auto it = std::find(held.begin(), held.end(), dev); it != held.end()) held.erase(it);
    close(fd);
}

long DEV_COM::port_read(char *buf, size_t size)
{
    ssize_t n = read(fd, buf, size);
    if (n > 0) return long(n);
    if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
    // Nothing there, or a hung-up line (an adapter pulled out reads as nothing too).
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return -1;
    return 0;
}

long DEV_COM::port_write(const char *buf, size_t size)
{
    if (flow == 3) {   // no DSR handshake in the driver: output waits while DSR is off
        int m = modem(fd);
        if (m >= 0 && !(m & TIOCM_DSR)) return 0;
    }
    ssize_t n = write(fd, buf, size);
    if (n >= 0) return long(n);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

int DEV_COM::port_line(const char *name)
{
    int r = dev_com_action(fd, name);
    if (r == -2) r = dev_com_status(fd, name, flow);
    if (r == -2) return errno = EINVAL, -1;
    return r;
}

int dev_com_init(int fd)
{
    ioctl(fd, TCFLSH, TCIOFLUSH);
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return -1;
    make_raw(t);
    if (ioctl(fd, TCSETS2, &t) != 0) return -1;
    // Reads return at once; a write that cannot go now gives up instead of waiting.
    int fl = fcntl(fd, F_GETFL);
    if (fl < 0 || fcntl(fd, F_SETFL, fl | O_NONBLOCK) < 0) return -1;
    return 0;
}

int dev_com_action(int fd, const char *name)
{
    struct ACT {
        const char *name;
        unsigned long req;
        int arg;
    };
    static const ACT acts[] = {
        {"SETDTR", TIOCMBIS, TIOCM_DTR}, {"CLRDTR", TIOCMBIC, TIOCM_DTR}, {"SETRTS", TIOCMBIS, TIOCM_RTS},
        {"CLRRTS", TIOCMBIC, TIOCM_RTS}, {"SETXOFF", TCXONC, TCOOFF},     {"SETXON", TCXONC, TCOON},
        {"RESETDEV", 0, 0},              {"SETBREAK", TIOCSBRK, 0},       {"CLRBREAK", TIOCCBRK, 0},
    };
    for (const ACT &a : acts) {
        if (strcmp(name, a.name) != 0) continue;
        if (!a.req) return 0;   // resets printers only: nothing to do for a serial line
        int bits = a.arg;
        int r = a.req == TIOCMBIS || a.req == TIOCMBIC ? ioctl(fd, a.req, &bits)
                : a.req == TCXONC                       ? ioctl(fd, a.req, a.arg)
                                                        : ioctl(fd, a.req);
        return r == 0 ? 0 : -1;
    }
    return -2;
}

int dev_com_status(int fd, const char *name, int flow)
{
    int n = 0;
    if (strcmp(name, "INQUE") == 0) return ioctl(fd, FIONREAD, &n) == 0 ? n : 0;
    if (strcmp(name, "OUTQUE") == 0) return ioctl(fd, TIOCOUTQ, &n) == 0 ? n : 0;
    bool cts = strcmp(name, "CTS") == 0, dsr = strcmp(name, "DSR") == 0, cd = strcmp(name, "CD") == 0;
    if (!cts && !dsr && !cd) return -2;
    termios2 t{};
    int m = modem(fd);
    if (m < 0 || ioctl(fd, TCGETS2, &t) != 0) return 0;   // no modem lines: nothing holds output
    if (cts) return (t.c_cflag & CRTSCTS) && !(m & TIOCM_CTS);
    if (dsr) return flow == 3 && !(m & TIOCM_DSR);
    return !(t.c_cflag & CLOCAL) && !(m & TIOCM_CD);
}
