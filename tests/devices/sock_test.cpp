// The socket part over real TCP on the loopback: parts of one sheet talking to each other and to
// plain sockets of the test, served by the event source without a window on a test clock.
#include "tests/support/netport.h"

#include "devfix.h"
#include "devices/devsock.h"
#include "tests/support/tmpdir.h"

#include <poll.h>

namespace {

using kovtest::dial;

struct SOCK : kovtest::DEVPARTS {
    int port = kovtest::free_port();
    static void SetUpTestSuite() { dev_sock_install(); }
    // Serves the devices (and the notices they post) until done, for a bounded number of rounds.
    bool until(const std::function<bool()> &done)
    {
        for (int k = 0; k < 200 && !done(); k++) {
            doors.dev_serve(20);
            host.host_pump();
        }
        return done();
    }
    void later(uint32_t ms)
    {
        now += ms;
        doors.dev_serve(0);
        host.host_pump();
    }
    std::string part_form(const char *opt, const char *end = "\\n")
    {
        return "wpTNSOCK(8,30,\"" + std::string(opt) + "\",\"127.0.0.1\"," + std::to_string(port) + ",\"" + end + "\")";
    }
    bool listening(DEV_SOCK *s) { return screen(s).find("ACCEPT...") != std::string::npos; }
    std::string screen(DEV_SOCK *s)
    {
        std::string t;
        for (int r = 0; r < s->screen.rows; r++)
            if (!s->screen.row_text(r).empty()) t += s->screen.row_text(r) + "|";
        return t;
    }
    // Bytes a plain socket has now (after the parts were served).
    std::string read_now(int fd)
    {
        std::string got;
        char b[8192];
        pollfd p{fd, POLLIN, 0};
        while (poll(&p, 1, 0) == 1) {
            ssize_t n = recv(fd, b, sizeof b, 0);
            if (n <= 0) break;
            got.append(b, size_t(n));
        }
        return got;
    }
};

// A listening part and a connecting part of one sheet: lines, status, closes and the reconnect.
TEST_F(SOCK, TwoPartsTalkCloseAndReconnect)
{
    form(0, 0, part_form("PUSHF,LISTEN"));
    form(18, 0, "wp(R0C0,\"STAT\")");
    DEV_SOCK *srv = part<DEV_SOCK>(0, 0);
    ASSERT_NE(srv, nullptr);
    EXPECT_EQ(srv->status, "START");
    ASSERT_TRUE(until([&] { return srv->sock_open() && listening(srv); }));
    form(9, 0, part_form("PUSHF,LISTEN,CONNECT"));   // CONNECT wins
    DEV_SOCK *cli = part<DEV_SOCK>(9, 0);
    ASSERT_NE(cli, nullptr);
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT" && cli->status == "CONNECT"; }));
    EXPECT_EQ(cell(18, 0), "'ACCEPT'");   // the status change recalculated the sheet
    EXPECT_NE(screen(cli).find("CONNECT(" + std::to_string(cli->conn) + ") 127.0.0.1(" + std::to_string(port) + ")"),
              std::string::npos);

    // A line from the client becomes the listening part's value by a recalculation.
    EXPECT_EQ(wp(9, 0, "\"SENDS\",\"hello\\n\""), "6");
    ASSERT_TRUE(until([&] { return cell(0, 0) == "'hello '"; }));   // a cell shows LF as a blank
    EXPECT_EQ(wp(0, 0, "\"SENDB\",321"), "1");   // 321 & 0xFF is 'A'
    EXPECT_EQ(wp(0, 0, "\"SENDB\",10"), "1");
    ASSERT_TRUE(until([&] { return cell(9, 0) == "'A '"; }));

    // The client stops: the server keeps listening; the client starts again and is taken.
    EXPECT_EQ(wp(9, 0, "\"STOP\""), "0");
    EXPECT_EQ(wp(9, 0, "\"STOP\""), "-1");
    EXPECT_NE(screen(cli).find("STOP 失敗"), std::string::npos);
    ASSERT_TRUE(until([&] { return srv->status == "CLOSE"; }));
    EXPECT_EQ(cell(18, 0), "'CLOSE'");
    EXPECT_EQ(wp(0, 0, "\"SENDS\",\"x\""), "0");   // nobody to send to
    EXPECT_EQ(wp(9, 0, "\"START\",\"CONNECT\",\"127.0.0.1\"," + std::to_string(port)), "0");
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT" && cli->status == "CONNECT"; })) << screen(srv) << "\n" << screen(cli);

    // The server goes away: the client waits 3000 ms, fails, waits 3150 ms; the server comes
    // back and the client is connected again, its wait back at 3000 ms.
    EXPECT_EQ(wp(0, 0, "\"STOP\""), "0");
    ASSERT_TRUE(until([&] { return cli->status == "STOP"; }));
    EXPECT_NE(screen(cli).find("3000ms 再接続待..."), std::string::npos);
    later(2999);
    EXPECT_EQ(cli->status, "STOP");
    later(1);
    ASSERT_TRUE(until([&] { return cli->retry_wait == 3150 && cli->status == "STOP"; }));
    EXPECT_NE(screen(cli).find("CONNECT 失敗"), std::string::npos);
    EXPECT_EQ(wp(0, 0, "\"START\",\"LISTEN\",\"127.0.0.1\"," + std::to_string(port)), "0");
    ASSERT_TRUE(until([&] { return srv->sock_open() && srv->status == "START"; }));
    doors.dev_serve(0);
    later(3150);
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT" && cli->status == "CONNECT"; }));
    EXPECT_EQ(cli->retry_wait, 3000);
    EXPECT_EQ(wp(9, 0, "\"SENDS\",\"again\\n\""), "6");
    ASSERT_TRUE(until([&] { return cell(0, 0) == "'again '"; }));
}

// One client at a time; lines as a plain peer sends them; command mode; the buffer's limit.
TEST_F(SOCK, PeerLinesCommandModeAndLimits)
{
    form(0, 0, part_form("LISTEN,FOCUS", "\\r\\n"));
    DEV_SOCK *srv = part<DEV_SOCK>(0, 0);
    ASSERT_TRUE(until([&] { return srv->sock_open() && listening(srv); }));
    int peer = dial(port);
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT"; }));
    int second = dial(port);
    ASSERT_GE(second, 0);
    char b;
    pollfd p{second, POLLIN, 0};
    ASSERT_TRUE(until([&] { return poll(&p, 1, 0) == 1; }));
    EXPECT_EQ(recv(second, &b, 1, 0), 0);   // closed at once
    close(second);
    EXPECT_EQ(srv->status, "ACCEPT");

    // Two lines in one packet: one per recalculation, each with its line end.
    send(peer, "A\r\nB\r\n", 6, 0);
    ASSERT_TRUE(until([&] { return cell(0, 0) == "'A  '"; }));   // a cell shows CR and LF as blanks
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "'B  '");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "empty");
    EXPECT_EQ(screen(srv).substr(screen(srv).find("A|")), "A|B|");

    // Keys typed with FOCUS and SENDS reach the peer.
    EXPECT_EQ(srv->term_key("k", 1), 0);
    EXPECT_EQ(wp(0, 0, "\"SENDS\",\"xyz\""), "3");
    ASSERT_TRUE(until([&] {
        pollfd q{peer, POLLIN, 0};
        return poll(&q, 1, 0) == 1;
    }));
    EXPECT_EQ(read_now(peer), "kxyz");

    // 5000 bytes without a line end: the last 4096 are kept.
    std::string big(5000, 'x');
    for (size_t k = 0; k < big.size(); k++) big[k] = char('a' + k % 26);
    send(peer, big.data(), big.size(), 0);
    ASSERT_TRUE(until([&] { return srv->recv.size() == 4096 && srv->recv.back() == big.back(); }));
    EXPECT_EQ(srv->recv, big.substr(5000 - 4096));

    // RECVB: command mode; the formula gives the empty value and lines wait for RECVS.
    EXPECT_EQ(wp(0, 0, "\"RECVB\""), std::to_string(int(big[5000 - 4096])));
    srv->recv.clear();
    EXPECT_EQ(wp(0, 0, "\"RECVB\""), "-1");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "empty");
    size_t calls = host.calls.size();
    send(peer, "L1\r\n\0\r\nL2\r\n", 11, 0);
    ASSERT_TRUE(until([&] { return srv->recv.size() == 11; }));
    host.host_pump();
    EXPECT_EQ(host.calls.size(), calls);   // no recalculation asked for
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "'L1  '");
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "'  '");   // the zero byte's line keeps its line end
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "'L2  '");
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "empty");

    // The peer closes: the listening part keeps listening.
    close(peer);
    ASSERT_TRUE(until([&] { return srv->status == "CLOSE"; }));
    EXPECT_NE(screen(srv).find("CLOSE("), std::string::npos);
    int again = dial(port);
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT"; }));
    close(again);
}

// Dropped files: small ones are sent, 1024 bytes or more are refused with a beep.
TEST_F(SOCK, DroppedFiles)
{
    kovtest::TmpDir dir;
    form(0, 0, part_form("LISTEN"));
    DEV_SOCK *srv = part<DEV_SOCK>(0, 0);
    ASSERT_TRUE(until([&] { return srv->sock_open() && listening(srv); }));
    std::string small = dir.path + "/small.txt", big = dir.path + "/big.bin";
    std::ofstream(small) << "file\n";
    std::ofstream(big) << std::string(2000, 'b');
    EXPECT_EQ(srv->term_send_file(small.c_str()), -1);   // nobody connected
    EXPECT_NE(screen(srv).find("送信失敗"), std::string::npos);
    int peer = dial(port);
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT"; }));
    EXPECT_EQ(srv->term_send_file(big.c_str()), -1);
    EXPECT_NE(screen(srv).find("送信バッファ超過 (max 1024)"), std::string::npos);
    EXPECT_EQ(srv->term_send_file(small.c_str()), 0);
    pollfd q{peer, POLLIN, 0};
    ASSERT_EQ(poll(&q, 1, 2000), 1);
    EXPECT_EQ(read_now(peer), "file\n");
    EXPECT_EQ(count("beep"), 2);
    close(peer);
}

// A running script pumps the devices every 200 ms: a line that came in is taken by RECVS in its
// loop, and a pause serves them too.
TEST_F(SOCK, ServedWhileAScriptRunsAndPauses)
{
    form(0, 0, part_form("LISTEN"));
    DEV_SOCK *srv = part<DEV_SOCK>(0, 0);
    ASSERT_TRUE(until([&] { return listening(srv); }));
    int peer = dial(port);
    ASSERT_TRUE(until([&] { return srv->status == "ACCEPT"; }));
    ASSERT_EQ(send(peer, "run\n", 4, 0), 4);   // not served yet: the script's pump takes it
    host.step_ms = 50;
    host.budget = 100000;
    host.host_ed_put("main() { var t = \"\"; while (strlen(t) == 0) t = wp(my, 0, 0, 1, 1, \"RECVS\"); return strlen(t); }\n");
    EXPECT_EQ(kov.kov_do_scrpt(TST_SCRPT_RUN), 4);   // "run\n"
    // Paused: the pause loop waits on the devices, and the peer's line arrives meanwhile.
    bool sent = false;
    int turns = 0;
    host.on_pump = [&] {
        if (kov.kov_tstat(TMCD_GET) != TST_SCRPT_PAUSE) return;
        if (!sent) sent = send(peer, "p\n", 2, 0) == 2;
        else if (srv->recv == "p\n" || ++turns > 1000) kov.kov_tstat(TMCD_SET, TST_SCRPT_RUN);
    };
    host.host_ed_put("main() { pause(\"x\"); return strlen(wp(my, 0, 0, 1, 1, \"RECVS\")); }\n");
    EXPECT_EQ(kov.kov_do_scrpt(TST_SCRPT_RUN), 2);
    host.on_pump = nullptr;
    close(peer);
}

// Start failures and the printed texts of the policy.
TEST_F(SOCK, StartFailuresAndPolicyTexts)
{
    form(0, 0, "wpTNSOCK(8,30,\"LISTEN\",\"\",1000,\"\\n\")");
    DEV_SOCK *s = part<DEV_SOCK>(0, 0);
    EXPECT_EQ(screen(s), "接続開始失敗|部品右クリックメニューに HELP があります|");
    EXPECT_EQ(s->status, "STOP");
    EXPECT_EQ(wp(0, 0, "\"START\",\"PUSHF\",\"127.0.0.1\",1000"), "-1");   // neither LISTEN nor CONNECT
    EXPECT_NE(screen(s).find("無効パラメータ"), std::string::npos);
    EXPECT_EQ(wp(0, 0, "\"RETRYSEC\",3601"), "-1");
    EXPECT_EQ(wp(0, 0, "\"RETRYSEC\",-2"), "-1");
    EXPECT_EQ(s->retry_setting, 0);
    // A port that will not open: the wait is fixed at 40 s, run as 32767 + 7233 ms.
    EXPECT_EQ(wp(0, 0, "\"RETRYSEC\",40"), "0");
    EXPECT_NE(screen(s).find("再接続時間固定(40000)"), std::string::npos);
    EXPECT_EQ(wp(0, 0, "\"START\",\"CONNECT\",\"127.0.0.1\",70000"), "0");
    ASSERT_TRUE(until([&] { return s->status == "STOP" && s->retry_remain == 7233; })) << screen(s) << s->retry_remain;
    EXPECT_NE(screen(s).find("40000ms 再接続待..."), std::string::npos);
    later(32767);
    EXPECT_EQ(s->retry_remain, 0);
    EXPECT_EQ(screen(s).find("再接続|"), std::string::npos);
    later(7233);
    EXPECT_NE(screen(s).find("再接続|"), std::string::npos);
    ASSERT_TRUE(until([&] { return s->status == "STOP" && s->retry_remain == 7233; }));
    EXPECT_EQ(s->retry_wait, 40000);   // a fixed wait does not grow
    // Suppressed: no timer runs.
    EXPECT_EQ(wp(0, 0, "\"RETRYSEC\",-1"), "0");
    EXPECT_NE(screen(s).find("再接続抑制"), std::string::npos);
    EXPECT_EQ(doors.dev_pending(), 0);
    EXPECT_EQ(wp(0, 0, "\"STAT\""), "'STOP'");
}

} // namespace
