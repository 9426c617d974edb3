#include "devices/devsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
const char *const HELP_START = "接続開始失敗\n部品右クリックメニューに HELP があります\n";
const char *const HELP_PARAM = "無効パラメータ\n部品右クリックメニューに HELP があります\n";
constexpr int HOST_MAX = 1024;     // kept from the formula
constexpr int NET_HOST_MAX = 128;  // a longer name does not open
constexpr int CHUNK_READ = 1024;
enum { T_OPEN = 1, T_RETRY = 2 };
} // namespace

// ---------------------------------------------------------------- the reconnect arithmetic

int dev_retry::next_wait(int setting, int wait)
{
    if (setting != 0) return wait;
    int64_t w = std::max(wait, AUTO_FIRST);
    return int(std::min<int64_t>(w * 105 / 100, AUTO_MAX));
}

int dev_retry::first_period(int wait, int &remain)
{
    int p = std::min(wait, CHUNK);
    remain = wait - p;
    return p;
}

// ---------------------------------------------------------------- the part

DEV_SOCK::DEV_SOCK(WP_EVENTS *ev) : DEV_TERM(ev), doors(dev_doors_of(ev)) {}

DEV_SOCK::~DEV_SOCK()
{
    doors.dev_forget(this);
    if (cfd >= 0) close(cfd);
    if (lfd >= 0) close(lfd);
}

void DEV_SOCK::set_status(const char *s)
{
    if (status == s) return;
    status = s;
    wp_request_recalc();   // cells showing "STAT" follow the connection
}

int DEV_SOCK::wp_update(const FN_CALL &c)
{
    if (!wp_is_open()) {
        const char *opt = c.arg[2].s ? c.arg[2].s : "";
        if (wp_open_at_home(wp_style_from_options(opt)) != 0) return -1;
        term_fit();
        const char *h = c.arg[3].s ? c.arg[3].s : "";
        const char *le = c.arg[5].s ? c.arg[5].s : "";
        if (!*le || !*h || c.arg[4].i <= 0) term_print(HELP_START);
        else {
            term_set_line_end(le);
            term_reset();
            sock_start(opt, h, c.arg[4].i);
        }
    }
    term_result();
    return 0;
}

int DEV_SOCK::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (n == 3 && strcmp(cmd, "START") == 0) {
        std::string opt = a[0]->val_gets(), h = a[1]->val_gets();
        wp_value.val_putd(sock_start(opt.c_str(), h.c_str(), int(std::clamp(a[2]->val_getd(), -1.0, 1e9))));
    } else if (n == 0 && strcmp(cmd, "STOP") == 0) wp_value.val_putd(sock_stop());
    else if (n == 0 && strcmp(cmd, "STAT") == 0) wp_value.val_puts(status.c_str());
    else if (n == 1 && strcmp(cmd, "RETRYSEC") == 0) {
        double s = a[0]->val_getd();
        wp_value.val_putd(s < -1 || s > 3600 ? -1 : sock_retrysec(int(s)));
    } else return DEV_TERM::wp_command(cmd, a, n);
    return 0;
}

int DEV_SOCK::term_send_byte(unsigned char b)
{
    if (conn < 0 || !sock_open()) return -1;
    return send(conn, &b, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1 ? 0 : -1;
}

// ---------------------------------------------------------------- starting and stopping

int DEV_SOCK::sock_start(const char *options, const char *h, int p)
{
    doors.dev_timer(this, T_RETRY, -1, nullptr);
    retry_remain = 0;
    set_status("STOP");
    if (options) {
        mode = wp_has_keyword(options, "CONNECT") ? MODE_CONNECT
               : wp_has_keyword(options, "LISTEN") ? MODE_LISTEN
                                                   : MODE_NONE;
    }
    if (h) host.assign(h, strnlen(h, HOST_MAX));
    if (p >= 0) port = p;
    if (host.empty() || port < 0 || mode == MODE_NONE) {
        term_print(HELP_PARAM);
        return -1;
    }
    net_close();
    if (host.size() > NET_HOST_MAX) {
        term_print(HELP_START);
        net_close();
        retry_schedule();
        return -1;
    }
    set_status("START");
    term_printf("接続開始 %s,%s,%d\n", mode == MODE_LISTEN ? "LISTEN" : "CONNECT", host.c_str(), port);
    // The lookup and the connect or listen follow as events, as the network reports them.
    opening = true;
    doors.dev_timer(this, T_OPEN, 0, [this] { net_opened(); });
    return 0;
}

int DEV_SOCK::sock_stop()
{
    // A stopped part stays stopped: no reconnect wait runs on.
    doors.dev_timer(this, T_RETRY, -1, nullptr);
    retry_remain = 0;
    if (!sock_open()) {
        term_print("STOP 失敗\n");
        return -1;
    }
    net_close();
    set_status("STOP");
    return 0;
}

void DEV_SOCK::net_close()
{
    doors.dev_timer(this, T_OPEN, -1, nullptr);
    opening = false;
    for (int *fd : {&cfd, &lfd}) {
        if (*fd >= 0) doors.dev_watch(this, *fd, 0, nullptr), close(*fd);
        *fd = -1;
    }
    conn = -1;
}

// ---------------------------------------------------------------- the network's events

static int resolve(const std::string &host, sockaddr_in &sa)
{
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    if (inet_pton(AF_INET, host.c_str(), &sa.sin_addr) == 1) return 0;
    addrinfo hints{}, *res = nullptr;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) return -1;
    sa.sin_addr = reinterpret_cast<sockaddr_in *>(res->ai_addr)->sin_addr;
    freeaddrinfo(res);
    return 0;
}

void DEV_SOCK::net_opened()
{
    opening = false;
    sockaddr_in sa;
    int fd = resolve(host, sa) == 0 ? socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0) : -1;
    if (fd < 0) return open_failed();
    sa.sin_port = htons(uint16_t(port));
    if (mode == MODE_LISTEN) {
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (port > 65535 || bind(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) != 0 || listen(fd, 5) != 0) {
            close(fd);
            return open_failed();
        }
        lfd = fd;
        term_print("ACCEPT...");
        doors.dev_watch(this, lfd, DEV_IN, [this](int) { on_accept(); });
        return;
    }
    cfd = fd;
    term_print("CONNECT...");
    if (port > 65535) return on_connected(EINVAL);
    if (connect(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) == 0) return on_connected(0);
    if (errno != EINPROGRESS) return on_connected(errno);
    doors.dev_watch(this, cfd, DEV_OUT, [this](int) {
        int err = 0;
        socklen_t len = sizeof err;
        if (getsockopt(cfd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
        on_connected(err);
    });
}

void DEV_SOCK::open_failed()
{
    term_print("接続開始エラー\n");
    set_status("STOP");
    net_close();
    retry_schedule();
}

void DEV_SOCK::print_peer(int fd)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getpeername(fd, reinterpret_cast<sockaddr *>(&sa), &len) == 0) {
        char ip[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &sa.sin_addr, ip, sizeof ip);
        term_printf(" %s(%d)", ip, ntohs(sa.sin_port));
        char name[NI_MAXHOST];
        if (getnameinfo(reinterpret_cast<sockaddr *>(&sa), len, name, sizeof name, nullptr, 0, NI_NAMEREQD) == 0)
            term_printf(" %s", name);
    }
    term_print("\n");
}

void DEV_SOCK::on_connected(int err)
{
    if (err) {
        term_print("CONNECT 失敗\n");
        set_status("STOP");
        net_close();
        retry_schedule();
        return;
    }
    set_status("CONNECT");
    term_printf("CONNECT(%d)", cfd);
    conn = cfd;
    print_peer(cfd);
    if (retry_setting == 0) retry_wait = dev_retry::AUTO_FIRST;
    doors.dev_watch(this, cfd, DEV_IN, [this](int r) { on_data(r); });
}

void DEV_SOCK::on_accept()
{
    int fd = accept4(lfd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ECONNABORTED) term_print("ACCEPT 失敗\n");
        return;
    }
    if (cfd >= 0) {   // one client at a time: a second one goes at once
        close(fd);
        return;
    }
    cfd = fd;
    set_status("ACCEPT");
    term_printf("ACCEPT(%d)", cfd);
    conn = cfd;
    print_peer(cfd);
    if (retry_setting == 0) retry_wait = dev_retry::AUTO_FIRST;
    doors.dev_watch(this, cfd, DEV_IN, [this](int r) { on_data(r); });
}

void DEV_SOCK::on_data(int)
{
    char buf[CHUNK_READ];
    ssize_t n = ::recv(cfd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) term_receive(buf, size_t(n));
    else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) on_closed();
}

void DEV_SOCK::on_closed()
{
    int fd = cfd;
    if (mode == MODE_LISTEN) {
        term_printf("CLOSE(%d)\n", fd);
        set_status("CLOSE");
        doors.dev_watch(this, cfd, 0, nullptr);
        close(cfd);
        cfd = -1;
        conn = -1;
        return;
    }
    term_printf("STOP(%d)\n", fd);
    set_status("STOP");
    net_close();
    retry_schedule();
}

// ---------------------------------------------------------------- reconnecting

int DEV_SOCK::sock_retrysec(int sec)
{
    int ms = sec * 1000;
    if (ms == retry_setting) return 0;
    retry_setting = ms;
    if (ms < 0) term_print("再接続抑制\n"), retry_wait = 0;
    else if (ms == 0) term_print("自動再接続\n"), retry_wait = dev_retry::AUTO_FIRST;
    else term_printf("再接続時間固定(%d)\n", ms), retry_wait = ms;
    if (!sock_open()) retry_schedule();
    return 0;
}

void DEV_SOCK::retry_schedule()
{
    if (retry_wait <= 0) {
        doors.dev_timer(this, T_RETRY, -1, nullptr);
        retry_remain = 0;
        return;
    }
    term_printf("%dms 再接続待...", retry_wait);
    retry_remain = retry_wait;
    retry_period();
}

void DEV_SOCK::retry_period()
{
    int period = dev_retry::first_period(retry_remain, retry_remain);
    doors.dev_timer(this, T_RETRY, period, [this] { retry_expired(); });
}

void DEV_SOCK::retry_expired()
{
    if (retry_remain > 0) return retry_period();
    retry_wait = dev_retry::next_wait(retry_setting, retry_wait);
    if (retry_setting == dev_retry::SUPPRESSED || sock_open()) return;
    term_print("再接続\n");
    sock_start(nullptr, nullptr, -1);
}

static WP_PART *make_sock(WP_EVENTS *ev) { return new DEV_SOCK(ev); }

void dev_sock_install() { wp_kind_add("wpTNSOCK", make_sock); }
