// The terminal base and the reconnect arithmetic as tables; the command line's waits and loop
// serving the devices.
#include <gtest/gtest.h>

#include "app/clihost.h"
#include "app/kov.h"
#include "devices/devsock.h"
#include "devices/devterm.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace {

// A terminal without a device: what it sends is kept.
struct TERM : DEV_TERM {
    TERM() : DEV_TERM(nullptr) { screen.resize(10, 3); }
    int wp_update(const FN_CALL &) override { return 0; }
    int term_send_byte(unsigned char b) override
    {
        if (sent.size() >= limit) return -1;
        sent += char(b);
        return 0;
    }
    std::string sent;
    size_t limit = 100;
    std::string rows() const
    {
        std::string t;
        for (int r = 0; r < screen.rows; r++) t += screen.row_text(r) + "|";
        return t;
    }
};

TEST(Term, DisplayRules)
{
    struct ROW {
        std::string in, screen;
    } rows[] = {
        {"ab", "ab|||"},
        {std::string("a\0b", 3), "ab|||"},                 // zero bytes are not shown
        {"a\x01z\x1b\x7f", "a^Az^[\x7f|||"},               // control bytes as caret letters
        {"a\r\n\r\nb", "a|b||"},                           // CR LF CR LF: one line break
        {"a\r", "a|||"},                                   // the break waits for the next byte
        {"ab\x08" "c", "ac|||"},                           // BS and TAB act as they are
        {"a\tb", "a       b|||"},
        {"0123456789AB", "0123456789|AB||"},               // a full row wraps
        {"1\n2\n3\n4", "2|3|4|"},                          // the screen scrolls
        {"123456789\x82\xa0", "123456789|\x82\xa0||"},      // a double-byte character is kept whole
    };
    for (const ROW &r : rows) {
        TERM t;
        t.term_receive(r.in.data(), r.in.size());
        EXPECT_EQ(t.rows(), r.screen) << r.in;
    }
    EXPECT_EQ(DEV_TERM::term_shown(0), "");
    EXPECT_EQ(DEV_TERM::term_shown(13), "");
    EXPECT_EQ(DEV_TERM::term_shown(31), "^_");
    EXPECT_EQ(DEV_TERM::term_shown(9), "\t");
    EXPECT_EQ(DEV_TERM::term_shown(0x82), "\x82");
}

TEST(Term, LineEndsAndLines)
{
    struct ROW {
        const char *typed, *want;
    } ends[] = {
        {"\\n", "\n"}, {"\\r\\n", "\r\n"}, {"\n", "\n"}, {"END\\t", "END\t"}, {"\\x03\\\\", "\x03\\"}, {"a\\", "a\\"},
    };
    for (auto &e : ends) {
        TERM t;
        t.term_set_line_end(e.typed);
        EXPECT_EQ(t.line_end, e.want) << e.typed;
    }
    TERM t;
    t.term_set_line_end(std::string(100, 'e').c_str());
    EXPECT_EQ(t.line_end.size(), 64u);

    // Lines come one by one with their line end; empty ones are skipped, half a line waits.
    t.term_set_line_end("\\r\\n");
    std::string in("A\r\n\0\0\r\nB\r\nhalf", 14);
    t.term_receive(in.data(), in.size());
    EXPECT_EQ(t.term_take_line(), "A\r\n");
    EXPECT_EQ(t.term_take_line(), "\r\n");
    EXPECT_EQ(t.term_take_line(), "B\r\n");
    EXPECT_EQ(t.term_take_line(), "");
    EXPECT_EQ(t.recv, "half");
    t.term_set_line_end("\\n");
    t.recv = std::string("\0\n", 2);
    EXPECT_EQ(t.term_take_line(), "\n");   // the zero bytes go, the line end stays
    t.term_set_line_end("\\x00");
    t.recv = std::string("\0\0C\0", 4);
    EXPECT_EQ(t.term_take_line(), "C");   // lines of zero bytes only are skipped
    t.cmd_mode = true;
    t.term_result();
    EXPECT_EQ(t.wp_value.val_kind, VAL_EMPTY);
}

TEST(Term, ScreenCommands)
{
    TERM t;
    t.screen.put("hello\nworld");
    t.screen.go(2, 0);
    t.screen.clear_eol();
    EXPECT_EQ(t.rows(), "he|world||");
    t.screen.go(50, -4);   // clamped
    EXPECT_EQ(t.screen.cx, 9);
    EXPECT_EQ(t.screen.cy, 0);
    t.screen.fg = 0xFF0000;
    t.screen.put("x");
    EXPECT_EQ(t.screen.at(9, 0).fg, 0xFF0000);
    EXPECT_EQ(t.screen.at(0, 0).fg, 0x000000);
    t.screen.resize(4, 2);   // kept from the top-left corner
    EXPECT_EQ(t.rows(), "he|worl|");
    t.screen.clear();
    EXPECT_EQ(t.rows(), "||");
    // Keys go out only with FOCUS; a send that fails stops SENDS.
    EXPECT_EQ(t.term_key("k", 1), -1);
    snprintf(t.wp_opt, sizeof t.wp_opt, "PUSHF,FOCUS");
    EXPECT_EQ(t.term_key("k", 1), 0);
    EXPECT_EQ(t.sent, "k");
}

TEST(Retry, PolicyArithmetic)
{
    struct ROW {
        int setting, wait, next;
    } rows[] = {
        {0, 3000, 3150}, {0, 3150, 3307}, {0, 3307, 3472}, {0, 0, 3150}, {0, 100, 3150},
        {0, 171500, 180000}, {0, 180000, 180000}, {40000, 40000, 40000}, {-1000, 0, 0},
    };
    for (auto &r : rows) EXPECT_EQ(dev_retry::next_wait(r.setting, r.wait), r.next) << r.setting << " " << r.wait;
    // From the first automatic wait the growth reaches its cap and stays there.
    int w = 3000, n = 0;
    while (w < 180000 && n < 1000) w = dev_retry::next_wait(0, w), n++;
    EXPECT_EQ(w, 180000);
    EXPECT_EQ(n, 84);
    struct PERIOD {
        int wait, first, rest;
    } periods[] = {{3000, 3000, 0}, {32767, 32767, 0}, {32768, 32767, 1}, {40000, 32767, 7233}, {180000, 32767, 147233}};
    for (auto &p : periods) {
        int rest = -1;
        EXPECT_EQ(dev_retry::first_period(p.wait, rest), p.first);
        EXPECT_EQ(rest, p.rest);
    }
}

// The command line's sleep and loop serve the devices of its application.
TEST(CliHost, WaitsAndLoopServeDevices)
{
    KOV_CLIHOST host;
    KOV_U kov(&host);
    DEV_DOORS doors;
    kov.kov_set_doors({nullptr, &doors, nullptr});
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<std::string> got;
    doors.dev_watch(&got, fds[0], DEV_IN, [&](int) {
        char b[8];
        ssize_t n = read(fds[0], b, sizeof b);
        got.emplace_back(b, size_t(n > 0 ? n : 0));
        if (got.size() == 2) doors.dev_watch(&got, fds[0], 0, nullptr);   // done: the loop ends
    });
    ASSERT_EQ(write(fds[1], "a", 1), 1);
    host.host_wait(60000);   // returns as soon as the byte was served
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(write(fds[1], "b", 1), 1);
    EXPECT_EQ(kov.win_loop(), 0);   // runs until no device is left
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b"}));
    close(fds[0]), close(fds[1]);
}

} // namespace
