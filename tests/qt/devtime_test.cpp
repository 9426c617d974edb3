// The timer, clock and media parts in the window: the timer's START button pressed with a real
// mouse click runs it on doors whose clock the test moves on, the clock shows its text, and the
// media part answers without a medium or a sound device and never waits.
#include "tests/qt/winfix.h"
#include "devices/devclock.h"
#include "devices/devmci.h"
#include "devices/devtimer.h"
#include "devices/qt/devqtmedia.h"

#include <fstream>

namespace {

// The doors outlive the window and its parts (a base is destroyed after the fixture's own).
struct TEST_DOORS {
    DEV_DOORS doors;
};

struct DevTime : TEST_DOORS, WIN_FIX<> {
    uint32_t now = 0;
    void SetUp() override
    {
        dev_qt_time_install();
        start(dir / "t.kov");
        doors.dev_clock = [this] { return now; };
        KOV_DOORS d;
        d.views = win.grid->grid_parts();
        d.devices = &doors;
        kov.kov_set_doors(d);
        win.resize(900, 600);
        win.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
    }
    QWidget *face(int x, int y) { return frame(x, y) ? frame(x, y)->findChild<QWidget *>() : nullptr; }
    // A formula's text in a scratch cell.
    QString text(const char *utf8)
    {
        form(9, 9, (std::string("=") + utf8).c_str());
        return kov_qs(value(9, 9).c_str());
    }
};

TEST_F(DevTime, StartButtonRunsTheTimer)
{
    form(1, 1, "=wpTNTIMER(3,2,\"PUSHF,MONOSTABLE\",\"LCD1\",10)");
    form(5, 1, "=R1C1+100");
    auto *t = part<DEV_TIMER>(1, 1);
    ASSERT_TRUE(t);
    QWidget *f = face(1, 1);
    ASSERT_TRUE(f);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->isVisible() && f->width() > 20; }, 5000));
    EXPECT_FALSE(t->running());
    int r[2][4];
    t->button_rects(f->width(), f->height(), r);
    QTest::mouseClick(f, Qt::LeftButton, {}, QPoint(r[0][0] + r[0][2] / 2, r[0][1] + r[0][3] / 2));
    EXPECT_TRUE(t->running());
    EXPECT_EQ(kov_qs(t->shown.c_str()), QString::fromUtf8("単発タイマ 1.0/1.0"));
    for (int k = 0; k < 4; k++) now += 300, doors.dev_serve(0);   // 3 + 3 + 3 + 1 tenths
    EXPECT_EQ(t->fires, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return num(1, 1) == 1 && num(5, 1) == 101; }, 5000));
    // STOP, then a START that STOP cancels again: nothing fires.
    QTest::mouseClick(f, Qt::LeftButton, {}, QPoint(r[0][0] + 2, r[0][1] + 2));
    QTest::mouseClick(f, Qt::LeftButton, {}, QPoint(r[1][0] + 2, r[1][1] + 2));
    EXPECT_FALSE(t->running());
    EXPECT_EQ(doors.dev_pending(), 0);
    QTest::mouseClick(f, Qt::LeftButton, {}, QPoint(2, 2));   // the display is no button
    EXPECT_FALSE(t->running());
}

TEST_F(DevTime, ClockShowsItsText)
{
    form(1, 1, "=wpTNCLOCK(3,1,\"PUSHF\",\"YYYY\",\"LEDG\",9*3600)");
    auto *c = part<DEV_CLOCK>(1, 1);
    ASSERT_TRUE(c);
    ASSERT_TRUE(face(1, 1));
    EXPECT_EQ(c->shown.size(), 4u);
    EXPECT_EQ(text("wp(R1C1,\"GET\")"), kov_qs(c->shown.c_str()));
}

// No medium, a medium that is no media file, and sounds: answers at once, whatever the machine
// has for sound.
TEST_F(DevTime, MediaAnswersAtOnce)
{
    form(1, 1, "=wpTNMCI(3,3,\"BASIC\")");
    auto *m = part<DEV_MCI>(1, 1);
    ASSERT_TRUE(m);
    ASSERT_TRUE(m->media);
    const std::pair<const char *, const char *> rows[] = {
        {"\"MSTAT\"", "CLOSE"}, {"\"MOPEN\",\"nothing.wav\"", "-1"}, {"\"MPLAY\"", "-1"},
        {"\"MSIZE\"", "-1"},    {"\"MVOL\",500", "1000"},            {"\"MVOL\",1001", "-1"},
    };
    for (auto &[args, want] : rows) EXPECT_EQ(text(("wp(R1C1," + std::string(args) + ")").c_str()), want) << args;
    std::ofstream(dir / "junk.wav") << "not a sound";
    text(("wp(R1C1,\"MOPEN\",\"" + (dir / "junk.wav") + "\")").c_str());
    text("wp(R1C1,\"MPLAY\")");
    QString st = text("wp(R1C1,\"MSTAT\")");
    EXPECT_TRUE(st == "BUSY" || st == "PLAY" || st == "STOP" || st == "") << st.toStdString();
    EXPECT_EQ(text("wp(R1C1,\"MCLOSE\")"), "0");
    EXPECT_EQ(text("wp(R1C1,\"MSTAT\")"), "CLOSE");
    EXPECT_EQ(text("sound(\"nothing.wav\")"), "-1");
    EXPECT_EQ(text("sound(\"\")"), "0");
}

} // namespace
