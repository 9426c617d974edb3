// wpTNSOCK: a terminal on one TCP connection (IPv4), as a client ("CONNECT") or as a server of
// one client ("LISTEN"). Everything runs on the application's device doors: non-blocking
// sockets watched by the event source, the reconnect wait on its timers, no threads.
#pragma once
#include "devices/devdoor.h"
#include "devices/devterm.h"

#include <climits>
#include <cstdint>
#include <string>

// The reconnect policy as arithmetic. The setting is in milliseconds: 0 automatic, -1000
// suppressed, above 0 a fixed wait.
namespace dev_retry {
constexpr int AUTO_FIRST = 3000, AUTO_MAX = 180000, CHUNK = 32767, SUPPRESSED = -1000;
// The wait after a retry timed out.
int next_wait(int setting, int wait);
// The first timer period of a wait and what remains after it.
int first_period(int wait, int &remain);
} // namespace dev_retry

class DEV_SOCK final : public DEV_TERM {
public:
    enum { MODE_NONE = INT32_MIN, MODE_CONNECT = 1, MODE_LISTEN = 2 };
    explicit DEV_SOCK(WP_EVENTS *ev);
    ~DEV_SOCK() override;
    // wpTNSOCK(columns, rows, options, host, port, line end).
    int wp_update(const FN_CALL &c) override;
    int wp_command(const char *cmd, VAL_U *const *args, int n) override;
    int term_send_byte(unsigned char b) override;

    // Starts with these settings (nullptr / a negative port: the stored ones): 0 / -1.
    int sock_start(const char *options, const char *host, int port);
    int sock_stop();
    int sock_retrysec(int sec);
    bool sock_open() const { return opening || lfd >= 0 || cfd >= 0; }

    int mode = MODE_NONE;
    int port = INT32_MIN;
    std::string host;
    std::string status = "STOP";
    int conn = -1;              // the connection bytes are sent on
    int retry_setting = 0;      // ms: 0 automatic, -1000 suppressed, else fixed
    int retry_wait = dev_retry::AUTO_FIRST;
    int retry_remain = 0;       // of a wait beyond one timer period

private:
    DEV_DOORS &doors;
    int lfd = -1, cfd = -1;     // the listening socket; the client's or the accepted connection
    bool opening = false;       // started, the lookup and socket to follow
    void set_status(const char *s);
    void net_close();
    void net_opened();          // the open's asynchronous half: resolve, connect or listen
    void open_failed();
    void on_connected(int err);
    void on_accept();
    void on_data(int ready);
    void on_closed();
    void print_peer(int fd);
    void retry_schedule();
    void retry_period();
    void retry_expired();
};

// Registers the kind (wp_kind_add).
void dev_sock_install();
