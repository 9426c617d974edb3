// The serial terminal part on a pseudo terminal: the sheet's formula opens the slave, the test
// plays the far end on the master and drives the doors' clock; nothing sleeps.

#include <sys/stat.h>
#include <unistd.h>

#include "devices/devcom.h"
#include "devices/devcomp.h"
#include "ptyfix.h"
#include "devfix.h"

using namespace kovtest;

namespace {

struct ComPart : DEVPARTS {
    PTY pty;
    void SetUp() override
    {
        DEVPARTS::SetUp();
        ASSERT_GE(pty.master, 0);
    }
    // wpTNCOM at (0, 0) on a port with these settings ("9600,8,1,\"N\",\"NOFROW\"").
    void paste(const std::string &port, const std::string &opt = "PUSHF",
               const std::string &set = "9600,8,1,\"N\",\"NOFROW\"", const std::string &end = "\"\\n\"")
    {
        form(0, 0, "wpTNCOM(40,5,\"" + opt + "\",\"" + port + "\"," + set + "," + end + ")");
    }
    DEV_COMP *com() { return part<DEV_COMP>(0, 0); }
    // ms of the clock in steps of the poll, every timer due served, then the sheet's notices.
    void run_ms(int ms)
    {
        for (int t = 0; t < ms; t += COM_POLL_MS) {
            now += COM_POLL_MS;
            doors.dev_serve(0);
        }
        serve();
    }
    // The screen's rows joined by "|".
    std::string screen()
    {
        std::string s;
        DEV_SCREEN &sc = com()->screen;
        for (int r = 0; r <= sc.cy && r < sc.rows; r++) s += (r ? "|" : "") + sc.row_text(r);
        return s;
    }
    bool shows(const std::string &text) { return screen().find(text) != std::string::npos; }
};

const char FAILED[] = "接続開始失敗|部品右クリックメニューに HELP があります";

} // namespace

// The port opens with the formula's settings; received lines become the value one per pass,
// with their line end (a cell shows control bytes as blanks); scripts send.
TEST_F(ComPart, LinesBecomeTheValueAndScriptsSend)
{
    paste(pty.slave);
    ASSERT_NE(com(), nullptr);
    ASSERT_TRUE(com()->com_open());
    EXPECT_EQ(screen(), "接続開始 PUSHF," + pty.slave + ",9600,8,1,N,NOFROW|");
    form(2, 0, "RC+1");   // counts the passes
    std::string passes = cell(2, 0);
    pty.put("12\n34\r");
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'12 '");
    EXPECT_EQ(cell(2, 0), std::to_string(std::stoi(passes) + 1));
    pty.put("\x01\n5\n");   // two more lines in one read: one recalculation serves one line
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'34   '");
    calc();
    EXPECT_EQ(cell(0, 0), "'5 '");
    EXPECT_EQ(screen(), "接続開始 PUSHF," + pty.slave + ",9600,8,1,N,NOFROW|12|34|^A|5");
    EXPECT_EQ(wp(0, 0, "\"SENDS\",\"hi\\n\""), "3");
    EXPECT_EQ(wp(0, 0, "\"SENDB\",321"), "1");
    EXPECT_EQ(pty.take(4), "hi\nA");
}

// Each bad setting is told in the part, which then has no port: sends fail, nothing is read,
// and no script error comes of it.
TEST_F(ComPart, StartFailuresAreToldInThePart)
{
    const std::pair<std::string, std::string> rows[] = {
        {pty.slave + "\",9600,8,1,\"n\",\"NOFROW\",\"\\n", "parity in lower case"},
        {pty.slave + "\",9600,8,1,\"N\",\"RTS\",\"\\n", "flow unknown"},
        {pty.slave + "\",9600,8,1,\"N\",\"NOFROW\",\"", "no line end"},
        {pty.slave + "\",250000,8,1,\"N\",\"NOFROW\",\"\\n", "speed not in the list"},
        {pty.slave + "\",9600,6,1,\"N\",\"NOFROW\",\"\\n", "data bits"},
        {"COM1x\",9600,8,1,\"N\",\"NOFROW\",\"\\n", "no such port"},
    };
    for (auto &[args, why] : rows) {
        form(0, 0, "1");
        form(0, 0, "wpTNCOM(40,5,\"PUSHF\",\"" + args + "\")");
        ASSERT_NE(com(), nullptr) << why;
        EXPECT_FALSE(com()->com_open()) << why;
        EXPECT_EQ(screen(), std::string(FAILED) + "|") << why;
        EXPECT_EQ(cell(0, 0), "empty") << why;
        EXPECT_EQ(wp(0, 0, "\"SENDB\",65"), "0") << why;
        EXPECT_EQ(doors.dev_pending(), 0) << why;   // no poll, no retry
    }
    form(0, 0, "1");
    paste(pty.slave, "PUSHF", "256000,7,2,\"E\",\"DSRDTR\"");
    EXPECT_TRUE(com()->com_open());
}

// After RECVB the formula gives the empty value and lines no longer recalculate; RECVS takes
// them.
TEST_F(ComPart, CommandMode)
{
    paste(pty.slave, "PUSHF", "9600,8,1,\"N\",\"NOFROW\"", "\"\\r\\n\"");
    form(2, 0, "RC+1");
    pty.put("AB\r\nC");
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'AB  '");
    EXPECT_EQ(wp(0, 0, "\"RECVB\""), "67");
    EXPECT_EQ(wp(0, 0, "\"RECVB\""), "-1");
    std::string passes = cell(2, 0);
    pty.put("D\r\nE\r\n");
    run_ms(200);
    EXPECT_EQ(cell(2, 0), passes);
    calc();
    EXPECT_EQ(com()->recv, "D\r\nE\r\n");
    EXPECT_EQ(cell(0, 0), "empty");
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "'D  '");
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "'E  '");
    EXPECT_EQ(wp(0, 0, "\"RECVS\""), "empty");
}

// Bytes left unread go after 10 s without a new byte; a byte before that keeps them.
TEST_F(ComPart, IdleDropAfterTenSeconds)
{
    paste(pty.slave);
    pty.put("ab");
    run_ms(200);
    run_ms(9800 - 200);   // 9.8 s of silence
    pty.put("c\n");
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'abc '");
    pty.put("half");
    run_ms(200);
    run_ms(COM_IDLE_MS);
    EXPECT_EQ(com()->recv, "");
    pty.put("rest\n");
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'rest '");
}

// The port is closed with the part: opened again at once, and nothing of the part is served.
TEST_F(ComPart, PartGoneClosesThePort)
{
    paste(pty.slave);
    ASSERT_TRUE(com()->com_open());
    EXPECT_EQ(DEV_COM::com_open(pty.slave.c_str(), {}), nullptr);   // held by the part
    form(0, 0, "1");
    EXPECT_EQ(doors.dev_pending(), 0);
    std::unique_ptr<DEV_COM> again(DEV_COM::com_open(pty.slave.c_str(), {}));
    EXPECT_NE(again, nullptr);
    run_ms(400);
}

// The common command REOPEN pastes the part anew: the port is closed and opened again.
TEST_F(ComPart, PastedAnewReopensThePort)
{
    paste(pty.slave);
    DEV_COMP *p = com();
    EXPECT_EQ(wp(0, 0, "\"REOPEN\""), "0");
    serve();
    ASSERT_EQ(com(), p);
    EXPECT_TRUE(p->com_open());
    std::string opened = "接続開始 PUSHF," + pty.slave + ",9600,8,1,N,NOFROW";
    EXPECT_EQ(screen(), opened + "|" + opened + "|");
    pty.put("x\n");
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'x '");
}

// Without "REOPEN" a vanished port stays gone, silently.
TEST_F(ComPart, WithoutReopenAVanishedPortStaysGone)
{
    paste(pty.slave);
    pty.hang_up();
    run_ms(COM_WAIT_FIRST * 2);
    EXPECT_EQ(screen(), "接続開始 PUSHF," + pty.slave + ",9600,8,1,N,NOFROW|");
    EXPECT_TRUE(com()->com_open());
    EXPECT_EQ(wp(0, 0, "\"SENDB\",65"), "0");
}

// "REOPEN": the adapter pulled out shows STOP and is tried again with growing waits; a new
// device under the same path is opened and works; the waits start afresh.
TEST_F(ComPart, ReopenWhenThePortComesBack)
{
    std::string dir = testing::TempDir() + "kovcom-reopen-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    std::string link = dir + "/port";
    unlink(link.c_str());
    ASSERT_EQ(symlink(pty.slave.c_str(), link.c_str()), 0);
    paste(link, "PUSHF,REOPEN");
    ASSERT_TRUE(com()->com_open());
    pty.hang_up();
    run_ms(200);
    EXPECT_FALSE(com()->com_open());
    EXPECT_TRUE(shows("|STOP|3000ms 再接続待...")) << screen();
    unlink(link.c_str());   // the device is gone
    run_ms(3000);
    EXPECT_TRUE(shows("3000ms 再接続待...再接続|3150ms 再接続待...")) << screen();
    EXPECT_EQ(com()->wait, 3150);
    run_ms(3200);
    EXPECT_EQ(com()->wait, 3307);
    PTY back;
    ASSERT_EQ(symlink(back.slave.c_str(), link.c_str()), 0);
    run_ms(3400);
    ASSERT_TRUE(com()->com_open());
    EXPECT_TRUE(shows("再接続|接続開始 PUSHF,REOPEN," + link)) << screen();
    EXPECT_EQ(com()->wait, COM_WAIT_FIRST);
    back.put("again\n");
    run_ms(200);
    EXPECT_EQ(cell(0, 0), "'again '");
    EXPECT_EQ(wp(0, 0, "\"SENDS\",\"ok\""), "2");
    EXPECT_EQ(back.take(2), "ok");
    // A send to a port gone drops it as well.
    back.hang_up();
    EXPECT_EQ(wp(0, 0, "\"SENDB\",65"), "0");
    EXPECT_FALSE(com()->com_open());
    unlink(link.c_str());
    rmdir(dir.c_str());
}

// The waits grow by 5 % from 3 s and stop at 3 min.
TEST_F(ComPart, ReopenWaitsGrowToThreeMinutes)
{
    paste("/nonexistent/port", "PUSHF,REOPEN");
    EXPECT_TRUE(shows(std::string(FAILED) + "|3000ms 再接続待...")) << screen();
    std::vector<int> waits;
    for (int k = 0; k < 100; k++) {
        int w = com()->wait;
        now += uint32_t(w);
        doors.dev_serve(0);
        waits.push_back(com()->wait);
    }
    EXPECT_EQ(std::vector<int>(waits.begin(), waits.begin() + 3), (std::vector<int>{3150, 3307, 3472}));
    EXPECT_EQ(waits.back(), COM_WAIT_MAX);
    EXPECT_EQ(*std::max_element(waits.begin(), waits.end()), COM_WAIT_MAX);
}
