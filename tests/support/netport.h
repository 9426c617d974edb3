// A loopback port nobody listens on now, and a plain client of the test, for tests that open
// sockets.
#pragma once
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kovtest {

inline sockaddr_in loopback(int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(uint16_t(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return sa;
}

inline int free_port()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa = loopback(0);
    bind(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr *>(&sa), &len);
    close(fd);
    return ntohs(sa.sin_port);
}

// A socket connected to the loopback port (-1 when nobody listens).
inline int dial(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa = loopback(port);
    if (connect(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) != 0) close(fd), fd = -1;
    return fd;
}

} // namespace kovtest
