// A pseudo terminal pair for the serial tests: the port under test opens the slave (or a link
// to it the test controls), the test plays the far end on the master.
#pragma once
#include <string>

namespace kovtest {

struct PTY {
    int master = -1;
    std::string slave;   // /dev/pts/N
    int peek = -1;       // the test's own descriptor of the slave: what waits there
    PTY();
    ~PTY();
    PTY(const PTY &) = delete;
    PTY &operator=(const PTY &) = delete;
    void hang_up();                         // the far end goes (the slave reads a hang-up)
    // To the port; returns once the bytes wait in the port's input queue (a pseudo terminal
    // hands them over from a kernel worker).
    void put(const std::string &bytes);
    // What the port sent: n bytes, waiting for them to come (or what came within 2 s).
    std::string take(size_t n);
};

// The speed and the flow switches a descriptor of a port has now: "SPEED,CS7|CS8,PARITY,STOPS,FLOW"
// with PARITY N/O/E/M/S, FLOW none/rtscts/xonxoff.
std::string pty_line(int fd);
// The speed set on the descriptor (BOTHER also where a constant exists).
int pty_set_speed(int fd, int speed);

} // namespace kovtest
