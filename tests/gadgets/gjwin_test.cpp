// Windows of script gadgets without a display: the window functions keep the record and answer
// from it; a factory that only counts its views shows when views are made, told and destroyed.
#include "gadgets/gjmodel.h"
#include "tests/support/appfix.h"
#include "tests/support/testlog.h"

namespace kovtest {
namespace {

// Views that remember what their model's record said when it was last applied.
struct COUNTING_VIEWS : GJ_VIEWS {
    struct VIEW : GJ_VIEW {
        COUNTING_VIEWS &vs;
        GJ_MODEL &m;
        VIEW(COUNTING_VIEWS &vs, GJ_MODEL &m) : vs(vs), m(m) { vs.live++; }
        ~VIEW() override { vs.live--; }
        void gv_update() override { vs.updates++; }
        void gv_apply() override { vs.last = m.win; }
    };
    GJ_VIEW *gj_view_new(GJ_MODEL &m) override { return new VIEW(*this, m); }
    int live = 0, updates = 0;
    GJ_WIN last;
};

const char *const DECLS = "PUSH p; BACK k; GRAPH g; TEDIT t; BASE b; var z[2];\n";

struct GJWIN : APP {
    COUNTING_VIEWS views;
    void SetUp() override
    {
        APP::SetUp();
        KOV_DOORS d;
        d.gadgets = &views;
        kov.kov_set_doors(d);
    }
    // The windows close while their factory is whole (it goes before the application).
    void TearDown() override
    {
        kov.kov_set_doors({});
        APP::TearDown();
    }
    std::string run(const std::string &body) { return run_in_cell(DECLS, body); }
    std::string err() const { return kov.scr_get_nowerr(); }
};

const char *const OPEN_K = "win_open(k, \"POPUP\", my, 10, 20, 300, 200); ";

TEST_F(GJWIN, WindowFunctionsTable)
{
    check_rows(DECLS, {
        {"return win_open(p, \"POPUP\", my, 10, 20, 200, 100);", "0", ""},
        {"return win_open(p, \"CHILD\", my, 0, 0, 80, 24);", "0", ""},   // in the sheet's client area
        {"return win_open(p, \"popup\", my, 0, 0, 10, 10);", "-1", "win_open(popup):引数が無効"},
        {"return win_open(b, \"POPUP\", my, 0, 0, 10, 10);", "-1", "win_open():対象がない"},
        {"return win_open(z, \"POPUP\", my, 0, 0, 10, 10);", "-1", "win_open():対象がない"},
        {"return win_open(p, \"POPUP\", b, 0, 0, 10, 10);", "-1", "win_open():対象がない"},
        {"return win_open(p, \"CHILD\", k, 0, 0, 10, 10);", "-1", "win_open():未オープン"},
        // The parent is looked up before the kind is read.
        {"return win_open(p, \"BAD\", k, 0, 0, 10, 10);", "-1", "win_open():未オープン"},
        {"return win_open(p, \"POPUP\", my, 0, 0, 0, 10);", "-1", "win_open():オープン失敗"},
        {"return win_open(p, \"POPUP\", my, 0, 0, 10, 5000);", "-1", "win_open():オープン失敗"},
        {"return win_open(p, \"POPUP\", my, 40000, 0, 10, 10);", "-1", "win_open():オープン失敗"},
        {"win_open(k, \"POPUP\", my, 0, 0, 99, 99); return win_open(k, \"CHILD\", k, 0, 0, 9, 9);", "-1",
         "win_open():オープン失敗"},   // inside itself
        {"win_open(k, \"POPUP\", my, 0, 0, 99, 99); win_open(p, \"CHILD\", k, 0, 0, 9, 9); "
         "return win_open(k, \"CHILD\", p, 0, 0, 9, 9);", "-1", "win_open():オープン失敗"},
        {"win_open(k, \"POPUP\", my, 0, 0, 99, 99); return win_open(p, \"CHILD\", k, 5, 5, 20, 20);", "0", ""},
        {"return win_close(p);", "-1", "win_close():未オープン"},
        {"return win_close(z);", "-1", "win_close():対象がない"},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_close(p) * 10 + win_close(p);", "-1",
         "win_close():未オープン"},
        // Closing a window closes those inside it.
        {"win_open(k, \"POPUP\", my, 0, 0, 99, 99); win_open(p, \"CHILD\", k, 0, 0, 9, 9); win_close(k); "
         "return win_pos(p, 1, 1);", "-1", "win_pos():未オープン"},
        {"return win_style(p, \"HIDE\", \"ON\");", "-1", "win_style():未オープン"},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_style(p, \"HIDE\", \"on\");", "-1",
         "win_style(HIDE,on):引数が不正"},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_style(p, \"BOLD\", \"ON\");", "-1",
         "win_style(BOLD,ON):引数が不正"},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_style(p, \"HIDE\", \"ON\") + win_style(p, \"TITLE\", \"OFF\");",
         "0", ""},
        {"return win_title(t, \"題\");", "-1", "win_title():未オープン"},
        {"win_open(t, \"POPUP\", my, 0, 0, 9, 9); return win_title(t, \"題\") + win_active(t);", "0", ""},
        {"return win_active(b);", "-1", "win_active():対象がない"},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_pos(p, -5, 7);", "0", ""},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_pos(p, 0, -40000);", "-1", ""},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_wsize(p, 640, 480);", "0", ""},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_wsize(p, 0, 480);", "-1", ""},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_csize(p, 40, 10);", "0", ""},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_csize(p, 40, 0);", "-1", ""},
        {"win_open(p, \"POPUP\", my, 0, 0, 9, 9); return win_csize(p, 4000, 1);", "-1", ""},
        {"return win_csize(p, 40, 10);", "-1", "win_csize():未オープン"},
    });
}

// What the window was told last: place, size, style, title.
TEST_F(GJWIN, RecordAsTheFunctionsLeaveIt)
{
    std::string body = std::string(OPEN_K) +
                       "win_pos(k, 3, 4); win_csize(k, 10, 2); win_style(k, \"PUSHF\", \"ON\"); "
                       "win_style(k, \"TITLE\", \"OFF\"); win_title(k, \"計測\"); return 0;";
    host.host_ed_put((std::string(DECLS) + "f() { " + body + " }\n").c_str());
    kov.csv_put_form(0, 0, "f()");
    // The globals live while a script keeps them: here, until the next link.
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(views.last.x, 3);
    EXPECT_EQ(views.last.y, 4);
    EXPECT_EQ(views.last.w, 80);   // 10 cells of 8 px: the frame came after
    EXPECT_EQ(views.last.h, 32);
    EXPECT_EQ(views.last.client_w(), 76);
    EXPECT_EQ(views.last.style, GJ_ST_SIZE | GJ_ST_MINSW | GJ_ST_MAXSW | GJ_ST_PUSHF);
    EXPECT_EQ(views.last.title, "計測");
    EXPECT_EQ(views.last.kind, GJ_KIND::POPUP);
}

// The picture of a drawing window takes the client size, keeping what it had drawn.
TEST_F(GJWIN, PictureFollowsTheClientArea)
{
    check_rows(DECLS, {
        {"win_open(g, \"POPUP\", my, 0, 0, 200, 100); return (call(g, \"get_color\", 199, 99) == 16777215) * 10 + (call(g, \"get_color\", 200, 0) == -1);",
         "11", ""},
        {"call(g, \"set_color\", 3, 3, 5); win_open(g, \"CHILD\", my, 0, 0, 50, 50); win_style(g, \"LINEF\", \"ON\"); "
         "return call(g, \"get_color\", 3, 3) * 10 + call(g, \"get_color\", 48, 0);", "49", ""},
        {"win_open(g, \"POPUP\", my, 0, 0, 50, 50); win_wsize(g, 20, 10); return (call(g, \"get_color\", 19, 9) == 16777215) * 10 + (call(g, \"get_color\", 20, 9) == -1);",
         "11", ""},
    });
}

// A method that changed the state reaches the view; a failed one does not.
TEST_F(GJWIN, MethodsReachTheView)
{
    run("win_open(p, \"POPUP\", my, 0, 0, 50, 20); call(p, \"push\", \"ON\"); call(p, \"push\", \"on\"); return 0;");
    EXPECT_EQ(views.updates, 1);
    run("call(p, \"push\", \"ON\"); return 0;");   // no window: nothing to tell
    EXPECT_EQ(views.updates, 1);
}

// The last variable of a gadget goes: its window and view go with it.
TEST_F(GJWIN, LocalGadgetTakesItsWindowAlong)
{
    run("return w();\n}\nw() { GRAPH q; BACK r; win_open(r, \"POPUP\", my, 0, 0, 90, 90); "
        "return win_open(q, \"CHILD\", r, 0, 0, 50, 50) + win_style(q, \"HIDE\", \"ON\");");
    EXPECT_EQ(cell(0, 0), "0") << err();
    EXPECT_EQ(views.live, 0);
    EXPECT_EQ(kov.gj_open_count(), 0);
}

// A function run again and again (lean after its first runs) makes its parts anew at each call,
// of their kinds, and their windows close when it returns.
TEST_F(GJWIN, LocalGadgetsOfEachCallCloseWithIt)
{
    run("var i, s = 0; for (i = 0; i < 4; i++) s = s * 10 + w(i); return s;\n}\n"
        "w(var n) { GRAPH q; BACK r; win_open(r, \"POPUP\", my, 0, 0, 90, 90); "
        "return win_open(q, \"CHILD\", r, 0, 0, 50, 50) + call(q, \"line\", 0, 0, n, n, 0) + 1;");
    EXPECT_EQ(cell(0, 0), "1111") << err();
    EXPECT_EQ(views.live, 0);
    EXPECT_EQ(kov.gj_open_count(), 0);
}

// A script's windows close when its run ends, also when it fails.
TEST_F(GJWIN, RunEndClosesWindows)
{
    for (const char *tail : {"return 0;", "return undefined_thing;"}) {
        std::string text = std::string("PUSH p; BACK k;\nmain() { win_open(k, \"POPUP\", my, 0, 0, 90, 90); "
                                       "win_open(p, \"CHILD\", k, 0, 0, 30, 30); ") + tail + " }\n";
        host.host_ed_put(text.c_str());
        kov.wm_menu(KVM_F07_RUN);
        EXPECT_EQ(views.live, 0) << tail;
        EXPECT_EQ(kov.gj_open_count(), 0) << tail;
    }
}

} // namespace
} // namespace kovtest
