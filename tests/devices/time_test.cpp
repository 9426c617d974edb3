// The timer, clock and media parts on a test host: the timer runs on device doors whose clock
// the test moves on (no sleeping), the clock reads the host's fixed time, and the media part has
// either no player (no window) or a player that writes down what it is asked.

#include "tests/support/noleak.h"

#include "devices/devclock.h"
#include "devices/devfunc.h"
#include "devices/devmci.h"
#include "devices/devtimer.h"
#include "fntest.h"
#include "devfix.h"

using namespace kovtest;

namespace {

struct TIME : DEVPARTS {
    int elapsed = 0;   // ms since the last part was made
    static void SetUpTestSuite() { dev_install(); }
    // The clock moved on ms in steps of 100 (every timer of these parts is a multiple): the times
    // (since the timer was made) at which a timer ran.
    std::vector<int> run(int ms)
    {
        std::vector<int> at;
        for (int t = 100; t <= ms; t += 100) {
            now += 100;
            elapsed += 100;
            if (doors.dev_serve(0) > 0) at.push_back(elapsed);
        }
        return at;
    }
    DEV_TIMER *timer(const std::string &opt, int period)
    {
        elapsed = 0;
        form(2, 2, "wpTNTIMER(2,2,\"" + opt + "\",\"LCD1\"," + std::to_string(period) + ")");
        return part<DEV_TIMER>(2, 2);
    }
};

// Tick steps from the period, the last tick cut to what remains, and one firing at the exact end.
TEST_F(TIME, TicksAndTheExactLastTick)
{
    struct ROW {
        int period, step, ticks, last;
    };
    const ROW rows[] = {
        {1, 1, 1, 100},   {2, 1, 2, 200},    {3, 2, 2, 300},          {4, 3, 2, 400},
        {10, 3, 4, 1000}, {100, 3, 34, 10000}, {999, 3, 333, 99900}, {1000, 10, 100, 100000},
        {1005, 10, 101, 100500}, {1500, 10, 150, 150000},
    };
    for (const ROW &r : rows) {
        kov.csv_create(20, 300);
        DEV_TIMER *t = timer("PUSHF,ASTABLE", r.period);
        ASSERT_TRUE(t) << r.period;
        EXPECT_EQ(t->step, r.step) << r.period;
        std::vector<int> at = run(r.last - 100);
        EXPECT_EQ(t->fires, 0) << r.period;
        std::vector<int> end = run(100);
        at.insert(at.end(), end.begin(), end.end());
        EXPECT_EQ(int(at.size()), r.ticks) << r.period;
        EXPECT_EQ(at.empty() ? 0 : at.back(), r.last) << r.period;
        EXPECT_EQ(t->fires, 1) << r.period;
        EXPECT_EQ(t->remaining, r.period) << r.period;   // periodic: the next round began
    }
}

// A periodic timer keeps firing; a one-shot one waits for START, fires once and stops.
TEST_F(TIME, PeriodicAndOneShot)
{
    DEV_TIMER *a = timer("ASTABLE", 30);
    run(3000 * 3);
    EXPECT_EQ(a->fires, 3);
    EXPECT_TRUE(a->running());

    kov.csv_create(20, 300);
    EXPECT_EQ(doors.dev_pending(), 0);   // the timer went with its formula
    DEV_TIMER *m = timer("MONOSTABLE", 30);
    EXPECT_FALSE(m->running());
    EXPECT_TRUE(run(6000).empty());
    EXPECT_EQ(wp(2, 2, "\"START\""), "0");
    run(3000);
    EXPECT_EQ(m->fires, 1);
    EXPECT_FALSE(m->running());
    EXPECT_EQ(doors.dev_pending(), 0);
    run(6000);
    EXPECT_EQ(m->fires, 1);
}

// STOP halts at once; START counts the full period again, from wherever it was.
TEST_F(TIME, StopAndStartAgain)
{
    DEV_TIMER *t = timer("ASTABLE", 50);
    run(2400);
    EXPECT_EQ(wp(2, 2, "\"STOP\""), "0");
    EXPECT_EQ(t->remaining, 0);
    EXPECT_TRUE(run(10000).empty());
    EXPECT_EQ(t->fires, 0);
    EXPECT_EQ(wp(2, 2, "\"START\""), "0");
    run(2400);
    EXPECT_EQ(wp(2, 2, "\"START\""), "0");   // restarted before it ran out
    run(4900);
    EXPECT_EQ(t->fires, 0);
    run(100);
    EXPECT_EQ(t->fires, 1);
}

// The state and the reasons a timer does not run, as the part shows them.
TEST_F(TIME, Messages)
{
    struct ROW {
        const char *opt;
        int period, after;
        const char *shown;
    };
    const ROW rows[] = {
        {"PUSHF,ASTABLE", 100, 0, "周期タイマ 10.0/10.0"},
        {"PUSHF,ASTABLE", 100, 6300, "周期タイマ  3.7/10.0"},
        {"PUSHF,ASTABLE", 100, 9900, "周期タイマ  0.1/10.0"},
        {"PUSHF,ASTABLE", 100, 10000, "周期タイマ 10.0/10.0"},
        {"MONOSTABLE", 100, 0, "単発タイマ  0.0/10.0"},
        {"ASTABLE", 5, 300, "周期タイマ 0.2/0.5"},
        {"ASTABLE", 1500, 61000, "周期タイマ  89/150"},
        {"ASTABLE", 864000, 0, "周期タイマ 86400/86400"},
        {"PUSHF", 100, 0, "ASTABLE|MONOSTABLE 未指定"},
        {"ASTABLE", 0, 0, "周期が正でない"},
        {"ASTABLE", -5, 0, "周期が正でない"},
        {"ASTABLE", 900000, 0, "周期は 24H 未満"},
        {"ASTABLE", 864001, 0, "周期は 24H 未満"},
    };
    for (const ROW &r : rows) {
        kov.csv_create(20, 300);
        DEV_TIMER *t = timer(r.opt, r.period);
        run(r.after);
        EXPECT_EQ(t->shown, r.shown) << r.opt << " " << r.period << " " << r.after;
    }
    // Neither kind: START does not run it either.
    kov.csv_create(20, 300);
    DEV_TIMER *t = timer("PUSHF", 100);
    wp(2, 2, "\"START\"");
    EXPECT_FALSE(t->running());
    EXPECT_EQ(doors.dev_pending(), 0);
}

// With the cycle recalculating, each expiry makes the formula give 1 once, then 0.
TEST_F(TIME, FormulaReadsTheFireCountOnce)
{
    form(2, 2, "wpTNTIMER(2,2,\"PUSHF,ASTABLE\",\"LCD1\",100)");
    form(5, 5, "R2C2*10");
    EXPECT_EQ(cell(2, 2), "0");
    run(10000);
    serve();   // the timer's recalculation request
    EXPECT_EQ(cell(2, 2), "1");
    EXPECT_EQ(cell(5, 5), "10");
    calc();
    EXPECT_EQ(cell(2, 2), "0");
    run(10000);
    serve();
    EXPECT_EQ(cell(2, 2), "1");
    // NOCALC: it fires but asks for nothing; the count waits for the next recalculation.
    kov.csv_create(20, 300);
    form(2, 2, "wpTNTIMER(2,2,\"NOCALC,ASTABLE\",\"LCD1\",10)");
    run(2000);
    serve();
    EXPECT_EQ(cell(2, 2), "0");
    calc();
    EXPECT_EQ(cell(2, 2), "2");
}

// A new period: a stopped periodic timer with no period starts; a stopped one with a period only
// takes the new one; a running one goes on with its round.
TEST_F(TIME, PeriodChanges)
{
    kov.csv_put_num(0, 0, 0);
    form(2, 2, "wpTNTIMER(2,2,\"ASTABLE\",\"LCD1\",R0C0)");
    auto *t = part<DEV_TIMER>(2, 2);
    EXPECT_FALSE(t->running());
    kov.csv_put_num(0, 0, 50);
    calc();
    EXPECT_TRUE(t->running());
    EXPECT_EQ(t->remaining, 50);
    run(1000);
    kov.csv_put_num(0, 0, 70);
    calc();
    EXPECT_EQ(t->period, 70);
    EXPECT_EQ(t->remaining, 41);   // the round goes on: 3 tenths a tick
    run(3900);
    EXPECT_EQ(t->remaining, 2);    // the last tick is cut to 200 ms
    run(100);
    EXPECT_EQ(t->remaining, 70);   // the next round has the new period
    wp(2, 2, "\"STOP\"");
    kov.csv_put_num(0, 0, 90);
    calc();
    EXPECT_FALSE(t->running());
    EXPECT_EQ(t->period, 90);
    EXPECT_EQ(t->shown, "周期タイマ 0.0/9.0");
}

// The buttons inside the part: START and STOP where the model puts them, nothing elsewhere.
TEST_F(TIME, Buttons)
{
    DEV_TIMER *t = timer("MONOSTABLE", 20);
    int r[2][4];
    t->button_rects(120, 40, r);
    EXPECT_EQ(t->click(5, 5, 120, 40), -1);
    EXPECT_FALSE(t->running());
    EXPECT_EQ(t->click(r[0][0] + 1, r[0][1] + 1, 120, 40), 0);
    EXPECT_TRUE(t->running());
    EXPECT_EQ(t->click(r[1][0] + 1, r[1][1] + 1, 120, 40), 1);
    EXPECT_FALSE(t->running());
    EXPECT_EQ(t->click(r[0][0] + r[0][2] - 1, r[0][1] + r[0][3] - 1, 120, 40), 0);
    run(2000);
    EXPECT_EQ(t->fires, 1);
}

// ---------------------------------------------------------------- the clock

// 2024-03-05 05:07:09 UTC.
constexpr time_t AT = 1709615229;

TEST(Clock, FormatTokens)
{
    struct ROW {
        const char *fmt;
        long offset;
        time_t at;
        const char *want;
    };
    const ROW rows[] = {
        {"YYYY/MM/DD hh:mm.ss", 32400, AT, "2024/03/05 14 07.09"},   // odd second: no colon
        {"YYYY/MM/DD hh:mm.ss", 32400, AT + 1, "2024/03/05 14:07.10"},
        {"YYYY/MM/DD hh:mm.ss", 0, AT + 1, "2024/03/05 05:07.10"},
        {"hh:mm", 32400, AT, "14 07"},
        {"hh:mm", 32400, AT + 1, "14:07"},
        {"YY-MM-DD", 32400, AT, "24-03-05"},
        {"1h mm AM am", 32400, AT, "02 07 PM pm"},
        {"1h PM pm", 0, AT, "05 AM am"},
        {"1h AM", -5 * 3600 - 8 * 60, AT, "11 PM"},   // 23:59:09 the day before
        {"1h AM", 7 * 3600, AT, "00 PM"},              // 12:07:09: hour modulo 12
        {"DD hh", -5 * 3600 - 8 * 60, AT, "04 23"},
        {"xYYYYY", 0, AT, "x2024Y"},
        {"年YYYY年", 0, AT, "年2024年"},   // the trail byte of a double-byte character starts no token
        {"", 0, AT, ""},
        {"hh", 0, time_t(1) << 62, "ERROR"},
    };
    for (const ROW &r : rows) EXPECT_EQ(DEV_CLOCK::format_time(r.fmt, r.at, r.offset), r.want) << r.fmt;
}

TEST_F(TIME, ClockRedrawsOnTheSecondTick)
{
    host.now = AT;
    form(2, 2, "wpTNCLOCK(3,1,\"PUSHF\",\"hh:mm.ss\",\"LCD1\",9*3600)");
    auto *c = part<DEV_CLOCK>(2, 2);
    ASSERT_TRUE(c);
    EXPECT_EQ(cell(2, 2), "'14 07.09'");
    EXPECT_EQ(wp(2, 2, "\"GET\""), "'14 07.09'");
    host.now = AT + 1;
    for (int k = 0; k < 3; k++) kov.kov_tick();
    EXPECT_EQ(c->shown, "14 07.09");   // not yet a whole second of the sheet's clock
    kov.kov_tick();
    EXPECT_EQ(c->shown, "14:07.10");
    EXPECT_EQ(cell(2, 2), "'14 07.09'");   // the tick redraws; the formula reads it later
    EXPECT_EQ(wp(2, 2, "\"GET\""), "'14:07.10'");
    calc();
    EXPECT_EQ(cell(2, 2), "'14:07.10'");
    int draws = c->draws;
    for (int k = 0; k < 4; k++) kov.kov_tick();   // the same second: nothing drawn again
    EXPECT_EQ(c->draws, draws);
}

// ---------------------------------------------------------------- media

// A player that writes down what it is asked.
struct FAKE_MEDIA final : DEV_MEDIA_MAKER {
    std::vector<std::string> log;
    DEV_MEDIA::STATE state = DEV_MEDIA::CLOSED;
    int vol = 1000;
    struct PLAYER final : DEV_MEDIA {
        FAKE_MEDIA &f;
        explicit PLAYER(FAKE_MEDIA &m) : f(m) {}
        int media_open(const char *file) override { return f.log.push_back(std::string("open ") + file), *file ? 0 : -1; }
        int media_close() override { return f.log.push_back("close"), 0; }
        int media_play() override { return f.log.push_back("play"), 0; }
        int media_stop() override { return f.log.push_back("stop"), 0; }
        long media_length() override { return 61000; }
        long media_position() override { return 1500; }
        int media_seek(long ms) override { return f.log.push_back("seek " + std::to_string(ms)), 0; }
        STATE media_state() override { return f.state; }
        int media_volume(int v) override { return std::exchange(f.vol, v); }
    };
    DEV_MEDIA *media_new() override { return new PLAYER(*this); }
    int media_sound(const char *file) override { return log.push_back(std::string("sound ") + file), 0; }
};

// Without a window there is no player: the part is made, every command fails.
TEST_F(TIME, MediaWithoutAPlayer)
{
    form(2, 2, "wpTNMCI(2,2,\"BASIC\")");
    EXPECT_EQ(cell(2, 2), "0");
    const char *fails[] = {"\"MOPEN\",\"a.wav\"", "\"MCLOSE\"", "\"MPLAY\"", "\"MSTOP\"", "\"MSIZE\"", "\"MTELL\"",
                           "\"MSEEK\",100", "\"MVOL\",500"};
    for (const char *c : fails) EXPECT_EQ(wp(2, 2, c), "-1") << c;
    EXPECT_EQ(wp(2, 2, "\"MCOPY\""), "0");   // the part's picture, from its view
    EXPECT_EQ(views.count("copy"), 1);
    EXPECT_EQ(wp(2, 2, "\"MSTAT\""), "empty");
    EXPECT_EQ(wp(2, 2, "\"MOPEN\""), "-1");   // a missing argument: no command of the kind
    form(4, 4, "wpTNMCI(2,2,\"PUSHF\")");   // no BASIC: no part
    EXPECT_EQ(cell(4, 4), "empty");
    EXPECT_FALSE(part<WP_PART>(4, 4)->wp_is_open());
}

TEST_F(TIME, MediaCommandsReachThePlayer)
{
    FAKE_MEDIA fake;
    dev_media_set(&fake);
    form(2, 2, "wpTNMCI(2,2,\"BASIC\")");
    const std::pair<const char *, const char *> steps[] = {
        {"\"MOPEN\",\"/nonexistent/x.mp3\"", "-1"},   // not found: nothing to open
        {"\"MOPEN\",\"/dev/null\"", "0"}, {"\"MPLAY\"", "0"},     {"\"MSEEK\",2500", "0"}, {"\"MSIZE\"", "61000"},
        {"\"MTELL\"", "1500"},            {"\"MVOL\",300", "1000"}, {"\"MVOL\",600", "300"}, {"\"MSTOP\"", "0"},
        {"\"MCLOSE\"", "0"},
    };
    for (auto &[args, want] : steps) EXPECT_EQ(wp(2, 2, args), want) << args;
    const std::vector<std::string> want = {"open ", "open /dev/null", "play", "seek 2500", "stop", "close"};
    EXPECT_EQ(fake.log, want);
    const char *texts[] = {"'CLOSE'", "'PLAY'", "'RECORD'", "'STOP'", "'PAUSE'", "'BUSY'", "empty"};
    for (int k = 0; k < 7; k++) {
        fake.state = DEV_MEDIA::STATE(k);
        EXPECT_EQ(wp(2, 2, "\"MSTAT\""), texts[k]) << k;
    }
    kov.csv_create(1, 1);
    dev_media_set(nullptr);
}

// sound(): through the window's player; without one it fails, and stopping is always done.
TEST(Sound, ThroughTheDoors)
{
    dev_install();
    fntest::ENV e;
    EXPECT_EQ(e.eval("sound(\"ding.wav\")"), "-1");
    EXPECT_EQ(e.err(), "sound(ding.wav):失敗");
    EXPECT_EQ(e.eval("sound(\"\")"), "0");
    FAKE_MEDIA fake;
    dev_media_set(&fake);
    EXPECT_EQ(e.eval("sound(\"ding.wav\")"), "0");
    EXPECT_EQ(e.eval("sound(\"\")"), "0");
    dev_media_set(nullptr);
    const std::vector<std::string> want = {"sound ding.wav", "sound "};
    EXPECT_EQ(fake.log, want);
}

} // namespace
