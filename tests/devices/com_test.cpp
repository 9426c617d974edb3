// Serial ports on pseudo terminals: the port opens the slave, the test plays the far end on the
// master. Names and their devices, settings as the driver holds them, bytes both ways,
// exclusive open, a vanished far end; and the script functions on a port fopen opened.

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "devices/devcom.h"
#include "devices/devfunc.h"
#include "fntest.h"
#include "ptyfix.h"

using namespace kovtest;

namespace {

std::unique_ptr<DEV_PORT> open_port(const std::string &path, DEV_COM_SET set = {})
{
    return std::unique_ptr<DEV_PORT>(DEV_COM::com_open(path.c_str(), set));
}

int fd_of(const std::unique_ptr<DEV_PORT> &p) { return static_cast<DEV_COM *>(p.get())->com_fd(); }

std::string read_all(DEV_PORT &p)
{
    std::string s;
    char b[64];
    long n;
    while ((n = p.port_read(b, sizeof b)) > 0) s.append(b, size_t(n));
    return s;
}

} // namespace

TEST(ComNames, MapToDevices)
{
    setenv("KOV_COM3", "/dev/ttyUSB0", 1);
    const std::pair<const char *, const char *> rows[] = {
        {"COM1", "/dev/ttyS0"},   {"com2", "/dev/ttyS1"},     {"COM256", "/dev/ttyS255"},
        {"\\\\.\\COM10", "/dev/ttyS9"}, {"COM3", "/dev/ttyUSB0"}, {"/dev/ttyACM0", "/dev/ttyACM0"},
        {"/tmp/x/port", "/tmp/x/port"}, {"COM0", ""},        {"COM257", ""},
        {"COM01", ""},           {"COM1 ", ""},             {"LPT1", ""},
        {"COM", ""},             {"", ""},                  {"ttyS0", ""},
    };
    for (auto &[name, want] : rows) EXPECT_EQ(dev_com_path(name), want) << name;
    unsetenv("KOV_COM3");
    EXPECT_EQ(dev_com_path("COM3"), "/dev/ttyS2");
}

// Every setting reaches the driver; values outside the lists are refused before the port opens.
TEST(ComPort, SettingsReachTheDriver)
{
    PTY pty;
    ASSERT_GE(pty.master, 0);
    struct ROW {
        DEV_COM_SET set;
        const char *want;   // the line as the driver holds it, or "refused"
    };
    const ROW rows[] = {
        {{9600, 8, 'N', 1, 0}, "9600,CS8,N,1,none"},
        {{14400, 8, 'N', 1, 0}, "14400,CS8,N,1,none"},       // no baud constant: by number
        // A pseudo terminal keeps 8 bits without parity whatever it is told.
        {{256000, 7, 'E', 2, 1}, "256000,CS8,N,2,rtscts"},
        {{128000, 8, 'O', 1, 2}, "128000,CS8,N,1,xonxoff"},
        {{56000, 8, 'M', 1, 3}, "56000,CS8,N,1,none"},       // DSR/DTR: held by the port itself
        {{300, 8, 'S', 2, 0}, "300,CS8,N,2,none"},
        {{250000, 8, 'N', 1, 0}, "refused"},
        {{9600, 6, 'N', 1, 0}, "refused"},
        {{9600, 8, 'X', 1, 0}, "refused"},
        {{9600, 8, 'N', 15, 0}, "refused"},
        {{9600, 8, 'N', 1, 4}, "refused"},
    };
    for (const ROW &r : rows) {
        auto p = open_port(pty.slave, r.set);
        EXPECT_EQ(p ? pty_line(fd_of(p)) : std::string(errno == EINVAL ? "refused" : "error"), r.want) << r.set.speed;
    }
    for (int speed : {300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000}) {
        auto p = open_port(pty.slave, {speed, 8, 'N', 1, 0});
        ASSERT_TRUE(p) << speed;
        EXPECT_EQ(pty_line(fd_of(p)), std::to_string(speed) + ",CS8,N,1,none");
    }
}

TEST(ComPort, BytesBothWaysWithoutWaiting)
{
    PTY pty;
    auto p = open_port(pty.slave);
    ASSERT_TRUE(p);
    char b[16];
    EXPECT_EQ(p->port_read(b, sizeof b), 0);   // nothing there: at once
    pty.put(std::string("a\r\n\0\x13z", 6));    // raw: no translation, XOFF only a byte here
    EXPECT_EQ(read_all(*p), std::string("a\r\n\0\x13z", 6));
    EXPECT_EQ(p->port_write("x\ny", 3), 3);
    EXPECT_EQ(pty.take(3), "x\ny");
    EXPECT_EQ(p->port_line("INQUE"), 0);
    pty.put("123");
    EXPECT_EQ(p->port_line("INQUE"), 3);
    EXPECT_EQ(p->port_line("OUTQUE"), 0);
    EXPECT_EQ(p->port_line("CTS"), 0);   // no handshake: output never held
    EXPECT_EQ(p->port_line("RI"), -1);
}

// A port is the process's alone until it closes, also under another path to the same device.
TEST(ComPort, ExclusiveOpen)
{
    PTY pty;
    std::string link = testing::TempDir() + "kovcom-excl-" + std::to_string(getpid());
    unlink(link.c_str());
    ASSERT_EQ(symlink(pty.slave.c_str(), link.c_str()), 0);
    auto a = open_port(pty.slave);
    ASSERT_TRUE(a);
    errno = 0;
    EXPECT_FALSE(open_port(pty.slave));
    EXPECT_EQ(errno, EBUSY);
    EXPECT_FALSE(open_port(link));
    EXPECT_EQ(errno, EBUSY);
    a.reset();
    EXPECT_TRUE(open_port(link));
    unlink(link.c_str());
    errno = 0;
    EXPECT_FALSE(open_port("COM1x"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(open_port("/dev/null"));   // no terminal
    EXPECT_EQ(errno, ENOTTY);
}

// The far end going away (an adapter pulled out) reads as a failed port, not as silence.
TEST(ComPort, HangUpReadsAsFailure)
{
    PTY pty;
    auto p = open_port(pty.slave);
    ASSERT_TRUE(p);
    pty.put("last");
    pty.hang_up();
    char b[16];
    long n = p->port_read(b, sizeof b);
    if (n > 0) n = p->port_read(b, sizeof b);   // what came before the hang-up may still be read
    EXPECT_EQ(n, -1);
    EXPECT_EQ(p->port_write("x", 1), -1);
}

// ---------------------------------------------------------------- the script functions

namespace {

struct ComFn : ::testing::Test {
    static void SetUpTestSuite() { dev_install(); }
    PTY pty;
    fntest::ENV e;
    void SetUp() override
    {
        ASSERT_GE(pty.master, 0);
        setenv("KOV_COM7", pty.slave.c_str(), 1);
    }
    void TearDown() override { unsetenv("KOV_COM7"); }
    // The script's globals r[0..] after it ran, as "v0 v1 ...".
    std::string run(const std::string &body, int n)
    {
        std::string text = "var r[" + std::to_string(n) + "];\nmain(){ var p; " + body + " return 0; }";
        scrtest::RUN res = e.run(text.c_str());
        if (!res.ran) return "fail: " + res.err;
        std::string out;
        BASE_GJ *g = e.scr.scr_get_vtbl("r")->vtb_gajet_pt;
        for (int k = 0; k < n; k++) out += (k ? " " : "") + std::to_string(int(g->gj_getd(k, 0)));
        return out;
    }
};

} // namespace

// fopen("COM7") reaches the device; com_init purges what came before and makes the line raw,
// reads return at once. Formulas keep the file table between them, so the far end speaks
// between two steps.
TEST_F(ComFn, BytesThroughFopen)
{
    const fntest::ROW steps[] = {
        {"fopen(\"COM7\", \"r+b\")", "0"},
        {"put:early\n", ""},
        {"take:early\r\n", ""},                                   // the line as it was: cooked
        {"com_init(0, 0, 0, 0, 0, 0)", "0"},
        {"com_stat(0, \"INQUE\")", "0"},
        {"put:AB\r", ""},
        {"com_stat(0, \"INQUE\")", "3"},
        {"fgetc(0)", "65"}, {"fgetc(0)", "66"}, {"fgetc(0)", "13"},   // binary: CR kept
        {"fgetc(0)", "-1"},                                        // nothing: at once
        {"fputc(10, 0)", "10"},
        {"fopen(\"COM7\", \"r+\")", "1"},                           // text mode: LF as CR LF
        {"fputc(10, 1)", "10"},
        {"put:\r\nx", ""},
        {"fgetc(1)", "10"}, {"fgetc(1)", "120"},
        {"fclose(0) + fclose(1)", "0"},
    };
    for (const fntest::ROW &r : steps) {
        std::string f = r.expr;
        if (f.rfind("put:", 0) == 0) pty.put(f.substr(4));
        else if (f.rfind("take:", 0) == 0) EXPECT_EQ(pty.take(f.size() - 5), f.substr(5));
        else EXPECT_EQ(e.calc(0, 0, f), r.want) << f;
    }
    EXPECT_EQ(pty.take(3), "\n\r\n");
}

// Keywords are exact; a pseudo terminal has no modem lines, so those actions fail with their
// message, while the flow and break actions work on it.
TEST_F(ComFn, ActionsAndItems)
{
    EXPECT_EQ(run("p = fopen(\"COM7\", \"r+b\"); com_init(p, 9600, 8, 0, 1, 0);"
                  "r[0] = com_set(p, \"SETXOFF\"); r[1] = com_set(p, \"SETXON\"); r[2] = com_set(p, \"RESETDEV\");"
                  "r[3] = com_set(p, \"setdtr\"); r[4] = com_stat(p, \"RI\"); r[5] = com_stat(p, \"CTS\");"
                  "r[6] = com_stat(p, \"DSR\"); r[7] = com_stat(p, \"CD\"); r[8] = com_stat(p, \"OUTQUE\");",
                  9),
              "0 0 0 -1 -1 0 0 0 0");
    EXPECT_EQ(e.eval("com_stat(fopen(\"COM7\", \"r+b\"), \"RI\")"), "-1");
    EXPECT_EQ(e.err(), "com_stat(RI):引数が無効");
    EXPECT_EQ(e.eval("com_set(fopen(\"COM7\", \"r+b\"), \"SETDTR\")"), "-1");
    EXPECT_EQ(e.err(), "com_set(SETDTR):失敗");
    EXPECT_EQ(e.eval("com_set(fopen(\"COM7\", \"r+b\"), \"SETBREAK\") + com_set(fopen(\"COM7\", \"r+b\"), \"CLRBREAK\")"), "0");
    EXPECT_EQ(e.eval("com_set(fopen(\"COM7\", \"r+b\"), \"NOPE\")"), "-1");
    EXPECT_EQ(e.err(), "com_set(NOPE):引数が無効");
    EXPECT_EQ(e.eval("com_init(fopen(\"" + testing::TempDir() + "\", \"r\"), 0, 0, 0, 0, 0)"), "-1");
}
