// A socket part in the window: the window's device doors serve a real loopback connection from
// Qt's event loop, also while a modal box is open; keys typed into the terminal are sent.
#include "tests/support/netport.h"
#include "tests/qt/winfix.h"
#include "devices/devsock.h"
#include "devices/qt/devqt.h"
#include "devices/qt/devqtterm.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct SockWin : WIN_FIX<> {
    int port = kovtest::free_port();
    int peer = -1;
    void SetUp() override
    {
        start(dir / "s.kov");
        win.resize(900, 600);
        win.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
    }
    void TearDown() override
    {
        if (peer >= 0) close(peer);
    }
    // Served by the window's doors, a bounded number of rounds.
    bool until(const std::function<bool()> &done)
    {
        for (int k = 0; k < 200 && !done(); k++) kov.kov_devices().dev_serve(50);
        return done();
    }
    DEV_SOCK *sock() { return dynamic_cast<DEV_SOCK *>(kov.csv_get_part(1, 1)); }
};

} // namespace

TEST_F(SockWin, WindowServesTheSocket)
{
    EXPECT_EQ(&kov.kov_devices(), dev_qt_doors());
    std::string f = "=wpTNSOCK(8,6,\"PUSHF,FOCUS,LISTEN\",\"127.0.0.1\"," + std::to_string(port) + ",\"\\n\")";
    std::string msg;
    ASSERT_EQ(kov.cse_edit_commit(1, 1, KOV_ED_FORM, f.c_str(), msg), 0) << msg;
    DEV_SOCK *s = sock();
    ASSERT_NE(s, nullptr);
    auto *view = dynamic_cast<DEV_QTTERM *>(s->wp_get_view());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(until([&] { return s->sock_open() && s->status == "START" && s->screen.row_text(1) == "ACCEPT..."; }));
    peer = kovtest::dial(port);
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(until([&] { return s->status == "ACCEPT"; }));

    // A line becomes the cell's value by the recalculation the window runs.
    ASSERT_EQ(send(peer, "hi\n", 3, 0), 3);
    ASSERT_TRUE(until([&] { return value(1, 1) == "hi "; })) << value(1, 1);
    EXPECT_EQ(s->screen.row_text(2), "hi");

    // While a modal box is open the socket is still served.
    bool seen = false;
    when_shown<QMessageBox>([&](QMessageBox *box) {
        send(peer, "in box\n", 7, 0);
        seen = QTest::qWaitFor([&] { return s->screen.row_text(3) == "in box"; }, 5000);
        box->button(QMessageBox::Ok)->click();
    });
    host.host_msgbox("box", "Kovash", KOV_MB_OK);
    EXPECT_TRUE(seen);

    // Keys typed into the terminal reach the peer.
    view->screen->setFocus();
    QTest::keyClicks(view->screen, "ok");
    pollfd p{peer, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    char b[8] = {};
    EXPECT_EQ(recv(peer, b, 2, MSG_WAITALL), 2);
    EXPECT_STREQ(b, "ok");

    // The peer goes away: the part says so and keeps listening.
    close(peer);
    peer = -1;
    ASSERT_TRUE(until([&] { return s->status == "CLOSE"; }));
}
