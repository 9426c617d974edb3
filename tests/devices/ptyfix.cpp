#include "ptyfix.h"

#include <asm/termios.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace kovtest {

PTY::PTY()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slave = ptsname(master);   // a line as the system leaves it: cooked, echoing
    peek = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

PTY::~PTY()
{
    hang_up();
    if (peek >= 0) close(peek);
}

namespace {

int queued(int fd)
{
    int n = 0;
    return ioctl(fd, FIONREAD, &n) == 0 ? n : -1;
}

// Waits for cond, as long as events keep coming, at most 2 s.
template <class F> bool wait_for(int fd, F cond)
{
    for (int k = 0; k < 2000 && !cond(); k++) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1) < 0) return false;
    }
    return cond();
}

} // namespace

void PTY::hang_up()
{
    if (master >= 0) close(master);
    master = -1;
}

void PTY::put(const std::string &bytes)
{
    if (master < 0) return;
    int before = queued(peek);
    if (write(master, bytes.data(), bytes.size()) < 0) return;
    wait_for(peek, [&] { return queued(peek) >= before + int(bytes.size()); });
}

std::string PTY::take(size_t n)
{
    std::string s;
    char b[4096];
    wait_for(master, [&] {
        ssize_t k;
        while (master >= 0 && (k = read(master, b, sizeof b)) > 0) s.append(b, size_t(k));
        return s.size() >= n;
    });
    return s;
}

std::string pty_line(int fd)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return "none";
    auto f = [&](tcflag_t bits) { return (t.c_cflag & bits) != 0; };
    char par = !f(PARENB) ? 'N' : f(CMSPAR) ? (f(PARODD) ? 'M' : 'S') : f(PARODD) ? 'O' : 'E';
    const char *flow = f(CRTSCTS) ? "rtscts" : (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF) ? "xonxoff" : "none";
    return std::to_string(t.c_ospeed) + "," + ((t.c_cflag & CSIZE) == CS7 ? "CS7" : "CS8") + "," + par + "," +
           (f(CSTOPB) ? "2" : "1") + "," + flow + ((t.c_lflag & ICANON) ? ",cooked" : "");
}

int pty_set_speed(int fd, int speed)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return -1;
    t.c_cflag = (t.c_cflag & ~tcflag_t(CBAUD)) | BOTHER;
    t.c_ispeed = t.c_ospeed = speed_t(speed);
    return ioctl(fd, TCSETS2, &t);
}

} // namespace kovtest
