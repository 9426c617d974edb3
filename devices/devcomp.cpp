#include "devices/devcomp.h"

#include "devices/devsock.h"

#include <cerrno>
#include <cstring>

namespace {

const char START_FAILED[] = "接続開始失敗\n部品右クリックメニューに HELP があります\n";
const char *const PARITIES[] = {"N", "O", "E"};
const char *const FLOWS[] = {"NOFROW", "RTSCTS", "XONOFF", "DSRDTR"};
constexpr int POLL_TIMER = 1, REOPEN_TIMER = 2;
constexpr int READ_CHUNK = 1024;
constexpr int READS_PER_POLL = 64;   // a flooding port still lets the loop go round

// The index of a whole, case-sensitive keyword in a table, -1 for none.
template <size_t N> int keyword(const char *const (&table)[N], const char *s)
{
    for (size_t k = 0; k < N; k++)
        if (s && strcmp(s, table[k]) == 0) return int(k);
    return -1;
}

} // namespace

DEV_COMP::DEV_COMP(WP_EVENTS *ev) : DEV_TERM(ev), doors(dev_doors_of(ev)) {}

DEV_COMP::~DEV_COMP() { doors.dev_forget(this); }

void DEV_COMP::part_reset()
{
    doors.dev_forget(this);
    port.reset();
    DEV_TERM::part_reset();
}

int DEV_COMP::wp_update(const FN_CALL &c)
{
    if (!wp_is_open() && start(c) != 0) return -1;
    term_result();
    return 0;
}

// The first evaluation: the part's window, then the port once. A start that fails is told in
// the part and leaves it without a port; it raises no script error.
int DEV_COMP::start(const FN_CALL &c)
{
    if (wp_open_at_home(wp_style_from_options(c.arg[2].s)) != 0) return -1;
    term_fit();
    term_set_line_end(c.arg[9].s);
    term_reset();
    idle = 0;
    port_name = c.arg[3].s;
    speed = c.arg[4].i, bits = c.arg[5].i, stop = c.arg[6].i;
    parity_text = c.arg[7].s, flow_text = c.arg[8].s;
    parity = keyword(PARITIES, c.arg[7].s);
    flow = keyword(FLOWS, c.arg[8].s);
    reopen = wp_has_keyword(wp_opt, "REOPEN");
    if (line_end.empty() || parity < 0 || flow < 0) return term_print(START_FAILED), 0;
    if (port_start() == 0) return 0;
    int why = errno;
    term_print(START_FAILED);
    // A port not there yet is waited for; settings out of range never open.
    if (reopen && why != EINVAL) schedule_reopen();
    return 0;
}

int DEV_COMP::port_start()
{
    if (port) return -1;
    port.reset(doors.dev_port_open(port_name.c_str(), speed, bits, "NOE"[parity], stop, flow));
    if (!port) return -1;
    term_printf("接続開始 %s,%s,%d,%d,%d,%s,%s\n", wp_opt, port_name.c_str(), speed, bits, stop, parity_text.c_str(),
                flow_text.c_str());
    wait = COM_WAIT_FIRST;
    doors.dev_timer(this, REOPEN_TIMER, -1, nullptr);
    doors.dev_timer(this, POLL_TIMER, COM_POLL_MS, [this] { tick(); });
    return 0;
}

void DEV_COMP::tick()
{
    doors.dev_timer(this, POLL_TIMER, COM_POLL_MS, [this] { tick(); });
    com_poll();
}

void DEV_COMP::com_poll()
{
    if (idle < COM_IDLE_MS && (idle += COM_POLL_MS) >= COM_IDLE_MS) recv.clear();
    char buf[READ_CHUNK];
    for (int k = 0; port && k < READS_PER_POLL; k++) {
        long n = port->port_read(buf, sizeof buf);
        if (n < 0 && reopen) drop();
        if (n <= 0) break;
        idle = 0;
        term_receive(buf, size_t(n));
    }
}

int DEV_COMP::term_send_byte(unsigned char b)
{
    if (!port) return -1;
    char ch = char(b);
    long n = port->port_write(&ch, 1);
    if (n == 1) return 0;
    if (n < 0 && reopen) drop();
    return -1;
}

// The port went away: closed at once (the device may come back under the same name).
void DEV_COMP::drop()
{
    port.reset();
    term_print("STOP\n");
    schedule_reopen();
}

void DEV_COMP::schedule_reopen()
{
    term_printf("%dms 再接続待...", wait);
    doors.dev_timer(this, REOPEN_TIMER, wait, [this] {
        wait = dev_retry::next_wait(0, wait);   // the socket's automatic waits
        term_print("再接続\n");
        if (port_start() != 0) schedule_reopen();
    });
}

void dev_comp_install()
{
    wp_kind_add("wpTNCOM", [](WP_EVENTS *ev) -> WP_PART * { return new DEV_COMP(ev); });
}
