// wpTNCOM: a terminal part on a serial port. The port opens once with the formula's settings
// and is polled every 200 ms on the doors' timer (reads never wait); lines become the formula's
// value or wait for RECVS. With "REOPEN" in the options a port that goes away (an adapter
// pulled out) is closed and tried again with growing waits until it is back.
#pragma once
#include "devices/devdoor.h"
#include "devices/devterm.h"

#include <memory>
#include <string>

constexpr int COM_POLL_MS = 200;
constexpr int COM_IDLE_MS = 10000;     // unread bytes go after this long without a new byte
constexpr int COM_WAIT_FIRST = 3000;   // reopen waits: 3 s growing by 5 % up to 3 min
constexpr int COM_WAIT_MAX = 180000;

class DEV_COMP final : public DEV_TERM {
public:
    explicit DEV_COMP(WP_EVENTS *ev);
    ~DEV_COMP() override;
    int wp_update(const FN_CALL &c) override;
    int term_send_byte(unsigned char b) override;
    // Pasted anew ("REOPEN", a remake of the parts): the port closed, opened again by the next
    // evaluation with the formula's settings as they are then.
    void part_reset() override;

    // One 200 ms step: the idle count, then every byte waiting.
    void com_poll();
    bool com_open() const { return port != nullptr; }

    std::string port_name, parity_text, flow_text;   // as the formula gave them
    int speed = 0, bits = 0, stop = 0, parity = 0, flow = 0;   // parity 0/1/2, flow 0..3
    int idle = 0;                  // ms since the last byte, in 200 ms steps up to 10000
    bool reopen = false;           // "REOPEN": a vanished port is tried again
    int wait = COM_WAIT_FIRST;     // the next reopen wait

private:
    int start(const FN_CALL &c);
    int port_start();
    void drop();
    void schedule_reopen();
    void tick();
    DEV_DOORS &doors;
    std::unique_ptr<DEV_PORT> port;
};

// Registers the kind (at start).
void dev_comp_install();
