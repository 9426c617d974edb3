// Each kind's update, result and commands through formulas, and the arithmetic the views only
// paint (keyword scan, step controls, graph shapes, shadow pixels) as tables.
#include "app/convert.h"
#include "tests/support/tmpdir.h"
#include "wpfix.h"

#include <cmath>

using namespace kovtest;

namespace {
struct Kinds : PARTS {};
} // namespace

TEST(Options, KeywordScanAndStyle)
{
    static const struct {
        const char *opt, *key;
        bool found;
    } rows[] = {
        {"PUSHF,FOCUS", "FOCUS", true},    {"PUSHF,NOFOCUS", "FOCUS", false}, {" \tFOCUS", "FOCUS", true},
        {"FOCUS_X", "FOCUS", false},       {"FOCUS2", "FOCUS", false},        {"FOCUS ", "FOCUS", true},
        {"focus", "FOCUS", false},         {"", "FOCUS", false},              {"FOCUS", "", false},
        {"A,B,MONO8", "MONO", false},      {"A,B,MONO8", "MONO8", true},      {"xONECALC", "ONECALC", false},
        {"PUSHF,,ONECALC", "ONECALC", true},
    };
    for (auto &r : rows) EXPECT_EQ(WP_PART::wp_has_keyword(r.opt, r.key), r.found) << r.opt << " " << r.key;
    static const struct {
        const char *opt;
        int bits;
    } styles[] = {
        {"", 0},
        {"PUSHF,NOFOCUS", WP_ST_PUSHF | WP_ST_NOFOCUS},
        {"PUSHF,FOCUS", WP_ST_PUSHF},
        {"PULLF", WP_ST_PULLF | WP_ST_NOFOCUS},
        {"LINEF,FOCUS", WP_ST_LINEF},
    };
    WP_PUSH p(nullptr);
    for (auto &s : styles) EXPECT_EQ(p.wp_style_from_options(s.opt), s.bits) << s.opt;
    std::string longer(700, 'A');
    p.wp_style_from_options(longer.c_str());
    EXPECT_EQ(strlen(p.wp_opt), size_t(WP_OPT_MAX));
}

TEST(StepControl, PositionsDecimalsAndErrors)
{
    static const struct {
        double min, max, step, value;
        int n, pos, places;
        const char *shown;
    } rows[] = {
        {0, 100, 1, 37, 100, 63, 0, "37"},
        {0, 1, 0.3, 0.35, 3, 2, 1, "0.3"},   // positions 1, 0.667, 0.333, 0
        {0, 1, 0.25, 2, 4, 0, 1, "1.0"},     // clamped into the range
        {-5, 5, 0.01, -9, 1000, 1000, 2, "-5.00"},
        {0, 10, 20, 3, 1, 1, 0, "0"},        // one step at least
    };
    for (auto &r : rows) {
        WP_GETD g(nullptr, true);
        ASSERT_EQ(g.setup(r.min, r.max, r.step, r.value), 0) << r.step;
        EXPECT_EQ(g.n, r.n) << r.step;
        EXPECT_EQ(g.pos, r.pos) << r.step;
        EXPECT_EQ(g.places, r.places) << r.step;
        EXPECT_EQ(g.shown, r.shown) << r.step;
    }
    WP_GETD g(nullptr, false);
    EXPECT_EQ(g.setup(0, 100, 0, 5), -1);
    EXPECT_EQ(g.shown, "増分が無効");
    EXPECT_EQ(g.setup(10, 10, 1, 5), -1);
    EXPECT_EQ(g.shown, "レンジ無効");
    ASSERT_EQ(g.setup(0, 2, 1, 2), 0);   // positions: 0 -> 2, 1 -> 1, 2 -> 0
    EXPECT_EQ(g.dec(), -1);
    EXPECT_EQ(g.inc(), 0);
    EXPECT_EQ(g.value_at(g.pos), 1);
    EXPECT_EQ(g.inc(), 0);
    EXPECT_EQ(g.inc(), -1);
    EXPECT_EQ(g.set_value(3), -1);
    EXPECT_EQ(g.set_value(2), 0);
    EXPECT_EQ(g.shown, "2");
}

TEST(Graph, ShapesAsArithmetic)
{
    using S = WP_SHAPE;
    static const struct {
        WP_GRAPH::MODE mode;
        std::vector<double> vals;
        double lo, hi;
        int count;
        std::vector<std::vector<int>> shapes;   // kind, x1, y1, x2, y2, width
    } rows[] = {
        // Two bars over 100 x 51: steps of 50 pixels, values from 0 to 10 upwards.
        {WP_GRAPH::VBAR, {0, 10}, 0, 0, 2, {{S::BAR, 0, 50, 50, 50, 0}, {S::BAR, 50, 0, 100, 50, 0}}},
        {WP_GRAPH::HBAR, {5, 10}, 10, 0, 2, {{S::BAR, 0, 0, 49, 25, 0}, {S::BAR, 0, 25, 99, 50, 0}}},
        // Lines: a dot per item, a line from the previous one; a cell without a number breaks it.
        {WP_GRAPH::HLINE, {0, 1, NAN, 1}, 0, 0, 3,
         {{S::DOT, 0, 6, 0, 0, 3}, {S::LINE, 0, 6, 99, 19, 3}, {S::DOT, 99, 19, 0, 0, 3}, {S::DOT, 99, 44, 0, 0, 3}}},
        {WP_GRAPH::VLINE, {2, 4}, 0, 4, 2, {{S::DOT, 25, 25, 0, 0, 8}, {S::LINE, 25, 25, 75, 0, 8}, {S::DOT, 75, 0, 0, 0, 8}}},
        {WP_GRAPH::NONE, {1, 2, NAN}, 0, 0, 2, {}},
        // Infinite values and bounds draw at the bottom instead of anywhere.
        {WP_GRAPH::VBAR, {INFINITY}, 0, 0, 1, {{S::BAR, 0, 50, 100, 50, 0}}},
        {WP_GRAPH::HBAR, {1}, -INFINITY, INFINITY, 1, {{S::BAR, 0, 0, 0, 51, 0}}},
    };
    for (auto &r : rows) {
        WP_GRAPH g(nullptr);
        g.mode = r.mode, g.lo = r.lo, g.hi = r.hi;
        EXPECT_EQ(g.compute(r.vals, 100, 51), r.count) << int(r.mode);
        std::vector<std::vector<int>> got;
        for (auto &s : g.shapes) got.push_back({int(s.kind), s.x1, s.y1, s.x2, s.y2, s.width});
        EXPECT_EQ(got, r.shapes) << int(r.mode);
    }
}

TEST(Shadow, PixelColours)
{
    using W = WP_SHADOW;
    static const struct {
        W::MODE mode;
        double v;
        int rgb;
    } rows[] = {
        {W::MONO, 0, 0},         {W::MONO, 1, 0xFFFFFF},    {W::MONO, 0.5, 0x808080}, {W::MONO, 7, 0xFFFFFF},
        {W::MONO, -1, 0},        {W::MONO8, 17.9, 0x111111}, {W::MONO8, 300, 0xFFFFFF}, {W::RGB24, 0x123456, 0x123456},
        {W::RGB24, 1e12, 0xFFFFFF}, {W::RGB24, -5, 0},       {W::MONO8, NAN, 0},
    };
    for (auto &r : rows) EXPECT_EQ(W::pixel(r.mode, r.v), r.rgb) << int(r.mode) << " " << r.v;
}

TEST_F(Kinds, GraphAndShadowOverTheSheet)
{
    kov.csv_set_wide(0, 38);   // 304 pixels, 300 inside a raised frame
    form(0, 0, "wpTNGRAPH(1,2,\"PUSHF,VBAR\",R0C1:R100C3,0,0,\"DarkGray\",\"White\")");
    WP_GRAPH *g = part<WP_GRAPH>(0, 0);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(wp(0, 0, "\"CSIZEX\""), "300");
    EXPECT_EQ(cell(0, 0), "0");
    EXPECT_EQ(g->color, 0xA9A9A9);
    kov.csv_put_num(1, 0, 4);
    kov.csv_put_num(2, 5, 8);
    calc();
    EXPECT_EQ(cell(0, 0), "2");
    EXPECT_EQ(g->vmin, 4);
    EXPECT_EQ(g->vmax, 8);
    EXPECT_EQ(g->shapes.size(), 2u);
    // 101 cells per pixel column are too many; 100 are not.
    kov.csv_create(310, 300);
    kov.csv_set_wide(0, 38);
    form(0, 0, "wpTNGRAPH(1,2,\"PUSHF,VBAR\",R0C1:R100C300,0,0,\"DarkGray\",\"White\")");
    EXPECT_TRUE(part<WP_GRAPH>(0, 0)->too_many);
    form(0, 0, "wpTNGRAPH(1,2,\"PUSHF,VBAR\",R1C1:R100C300,0,0,\"DarkGray\",\"White\")");
    EXPECT_FALSE(part<WP_GRAPH>(0, 0)->too_many);

    kov.csv_create(20, 300);
    kov.csv_set_wide(0, 1);   // 8 x 20 pixels over a 2 x 2 area
    kov.csv_put_num(1, 0, 0.5);
    kov.csv_put_num(2, 0, 1);
    kov.csv_put_num(2, 1, 0);
    form(0, 0, "wpTNSHADOW(1,1,\"MONO,LINEF\",R0C1:R1C2)");
    WP_SHADOW *s = part<WP_SHADOW>(0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width, 6);
    EXPECT_EQ(s->height, 18);
    EXPECT_EQ(cell(0, 0), "81");   // three of the four cells hold numbers: 3 x 27 pixels
    EXPECT_EQ(s->pixels[0], 0x808080u);
    EXPECT_EQ(s->pixels[5], 0xFFFFFFu);
    EXPECT_EQ(s->pixels[17 * 6], 0u);
    form(0, 0, "wpTNSHADOW(1,1,\"LINEF\",R0C1:R1C2)");
    EXPECT_EQ(cell(0, 0), "0");
}

TEST_F(Kinds, ButtonsChecksAndLamps)
{
    form(0, 0, "wpPUSHLOCK(1,1,\"\",\"lock\",\"Yellow\",1)");
    EXPECT_EQ(cell(0, 0), "1");
    WP_PUSHLOCK *l = part<WP_PUSHLOCK>(0, 0);
    EXPECT_EQ(l->lamp, 0xFFFF00);
    l->toggle();
    serve();
    EXPECT_EQ(cell(0, 0), "0");
    EXPECT_EQ(wp(0, 0, "\"REV\""), "0");
    EXPECT_EQ(wp(0, 0, "\"GET\""), "1");
    EXPECT_EQ(wp(0, 0, "\"COLOR\",\"red\""), "0");
    EXPECT_EQ(l->lamp, 0xFF0000);

    form(0, 1, "wpCHECK(1,1,\"\",\"check\",RC)");
    EXPECT_EQ(cell(0, 1), "0");
    EXPECT_EQ(wp(0, 1, "\"SET\",1"), "0");
    calc();
    EXPECT_EQ(cell(0, 1), "1");

    form(0, 2, "wpTNLAMP(1,1,\"\",\"lamp\",IF(R0C4>10,\"red\",\"green\"))");
    EXPECT_EQ(cell(0, 2), "'green'");
    EXPECT_EQ(wp(0, 2, "\"SET\",\"Blue\""), "0");
    EXPECT_EQ(part<WP_LAMP>(0, 2)->color, 0x0000FF);
    EXPECT_EQ(wp(0, 2, "\"GET\""), "'Blue'");

    form(0, 3, "wpPUSH(3,2,\"\",\"push\",\"pic.png\")");
    WP_PUSH *p = part<WP_PUSH>(0, 3);
    EXPECT_TRUE(p->face.is_file);
    EXPECT_EQ(p->face.file, "");   // no such picture: the view says so
    EXPECT_EQ(wp(0, 3, "\"SET\",5"), "0");
    EXPECT_EQ(wp(0, 3, "\"GET\""), "5");
    calc();
    EXPECT_EQ(cell(0, 3), "5");
    EXPECT_EQ(wp(0, 3, "\"GET\""), "0");
}

TEST_F(Kinds, ScrollBars)
{
    form(0, 0, "wpHSCROLL(3,1,\"\",0,5,0)");
    EXPECT_EQ(cell(0, 0), "1");
    form(0, 1, "wpVSCROLL(1,3,\"SUMMOVE\",1000,RC,100)");
    WP_SCROLL *s = part<WP_SCROLL>(0, 1);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->vertical);
    EXPECT_EQ(s->page_step(), 90);
    s->scroll_by(2000);
    serve();
    EXPECT_EQ(cell(0, 1), "900");
    EXPECT_EQ(wp(0, 1, "\"INIT\",50,10,0"), "0");
    EXPECT_EQ(wp(0, 1, "\"SET\",-4"), "0");
    EXPECT_EQ(wp(0, 1, "\"GET\""), "0");
    s->drag_end();
    EXPECT_EQ(kov.scr_calcq.whole, 1);
}

TEST_F(Kinds, CombosAndListsFromDisplayedTexts)
{
    kov.csv_put_str(5, 0, "apple");
    kov.csv_put_num(6, 0, 2.5);
    kov.csv_put_str(5, 1, "pear");
    form(0, 0, "wpICOMBO(1,1,\"\",R0C5:R1C6,1)");
    WP_ITEMS *c = part<WP_ITEMS>(0, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->items, std::vector<std::string>({"apple", "2.5", "pear", ""}));
    EXPECT_EQ(c->wp_style & (WP_ST_LIST | WP_ST_NOFOCUS), WP_ST_LIST);
    EXPECT_EQ(cell(0, 0), "1");
    c->user_select(2);
    serve();
    EXPECT_EQ(cell(0, 0), "2");
    EXPECT_EQ(wp(0, 0, "\"GETS\""), "'pear'");
    EXPECT_EQ(wp(0, 0, "\"SETI\",9"), "0");
    EXPECT_EQ(wp(0, 0, "\"GETI\""), "-1");

    form(0, 1, "wpSCOMBO(1,1,\"\",R0C5:R1C6,\"pear\")");
    EXPECT_EQ(cell(0, 1), "'pear'");
    form(0, 2, "wpSCOMBO(1,1,\"\",R0C5:R1C6,\"plum\")");
    EXPECT_EQ(cell(0, 2), "empty");
    form(0, 3, "wpECOMBO(1,1,\"\",R0C5:R1C6,\"plum\")");
    EXPECT_EQ(cell(0, 3), "'plum'");
    EXPECT_NE(part(0, 3)->wp_style & WP_ST_EDIT, 0);
    form(0, 4, "wpILIST(1,1,\"PUSHF\",R0C5:R1C6,0)");
    EXPECT_EQ(wp(0, 4, "\"SETS\",\"pear\""), "-1");   // lists have no text field
    EXPECT_EQ(wp(0, 4, "\"GETS\""), "'apple'");

    // 3 x 500 cells: the first 1000 only.
    kov.csv_create(10, 600);
    form(0, 0, "wpILIST(1,1,\"\",R0C1:R499C3,0)");
    EXPECT_EQ(part<WP_ITEMS>(0, 0)->items.size(), 1000u);
}

TEST_F(Kinds, TextDisplaysStepControlsAndBoards)
{
    with_views();
    kov.csv_put_str(5, 0, "12:00");
    form(0, 0, "wpTPUTS(2,1,\"PUSHF\",R0C5,\"LEDG\")");
    WP_TPUTS *t = part<WP_TPUTS>(0, 0);
    EXPECT_EQ(cell(0, 0), "'12:00'");
    calc();
    EXPECT_EQ(t->draws, 1);
    kov.csv_put_str(5, 0, "12:01");
    calc();
    EXPECT_EQ(t->draws, 2);
    EXPECT_EQ(t->style, "LEDG");

    form(0, 1, "wpVGETD(1,1,\"\",\"LCD1\",0,100,0,RC)");
    EXPECT_EQ(cell(0, 1), "'増分が無効'");
    form(0, 2, "wpHGETD(1,1,\"\",\"LCD1\",10,10,1,RC)");
    EXPECT_EQ(cell(0, 2), "'レンジ無効'");
    EXPECT_EQ(wp(0, 2, "\"GET\""), "-1");
    kov.csv_put_num(0, 3, 0.5);
    form(0, 3, "wpVGETD(1,1,\"\",\"LCD1\",0,1,0.1,RC)");
    EXPECT_EQ(cell(0, 3), "0.5");
    EXPECT_EQ(wp(0, 3, "\"INC\""), "0.4");
    EXPECT_EQ(wp(0, 3, "\"SET\",2"), "-1");
    EXPECT_EQ(wp(0, 3, "\"SET\",1"), "0");
    EXPECT_EQ(wp(0, 3, "\"DEC\""), "-1");
    part<WP_GETD>(0, 3)->user_inc();
    serve();
    EXPECT_NEAR(kov.csv_get_num(0, 3), 0.9, 1e-12);

    form(0, 4, "wpTNBOARD(2,3,\"PUSHF\",\"white\")");
    EXPECT_EQ(part<WP_BOARD>(0, 4)->back.color, 0xFFFFFF);
    EXPECT_EQ(wp(0, 4, "\"RESET\""), "0");
    EXPECT_TRUE(views.any("draw 13 "));
}

// wp(): the owner must be the sheet and the part open; the result is -1 for unknown names and
// wrong counts; drawing only where there is a surface.
TEST_F(Kinds, WpCommands)
{
    with_views();
    form(0, 0, "wpPUSH(3,2,\"\",\"push\",\"\")");
    form(5, 0, "wpTNBOARD(2,3,\"PUSHF\",\"white\")");
    static const struct {
        int x;
        const char *args, *want;
    } rows[] = {
        {0, "\"COLS\"", "3"},
        {0, "\"ROWS\"", "2"},
        {0, "\"WPNAME\"", "'wpPUSH'"},
        {0, "\"WSIZEX\"", "240"},   // three columns of 10 characters
        {0, "\"WSIZEY\"", "40"},
        {0, "\"CSIZEX\"", "240"},
        {5, "\"CSIZEX\"", "156"},   // less a raised frame
        {0, "\"NOSUCH\"", "-1"},
        {0, "\"COLS\",1", "-1"},
        {0, "\"LINE\",0,0,5,5,\"red\",1", "-1"},   // a button has no surface
        {5, "\"LINE\",0,0,5,5,\"red\"", "-1"},     // five arguments
        {5, "\"LINE\",0,0,5,5,\"red\",40", "0"},
        {5, "\"PUTS\",1,2,\"hi\",\"Black\",-1,300", "0"},
        {5, "\"TTEXTC\",\"Lime\"", "0"},
        {5, "\"GCOPY\"", "0"},
        {3, "\"COLS\"", "0"},                      // no part there
    };
    for (auto &r : rows) EXPECT_EQ(wp(r.x, 0, r.args), r.want) << r.args;
    EXPECT_EQ(views.count("draw 0 0,0,5,5 r0 cFF0000 b-1 w15 s0 ''"), 1);
    EXPECT_EQ(views.count("draw 5 1,2,0,0 r0 c000000 b-1 w1 s256 'hi'"), 1);
    EXPECT_EQ(views.count("copy"), 1);
    // From a script: the sheet as my, column, row and two counts.
    host.host_ed_put("main() { return wp(my, 0, 0, 1, 1, \"COLS\"); }\n");
    EXPECT_EQ(kov.kov_do_scrpt(TST_SCRPT_RUN), 3);
}

// A panel sheet converts without a window: its parts give their values.
TEST(Panel, ConvertsHeadless)
{
    TmpDir dir;
    std::string in = dir / "panel.kov", out = dir / "out.csv";
    {
        TESTHOST host;
        KOV_U kov(&host);
        kov.csv_create(8, 2);
        const char *forms[] = {
            "wpPUSH(1,1,\"\",\"OK\",\"\")", "wpCHECK(1,1,\"\",\"c\",1)", "wpHSCROLL(1,1,\"\",1000,30,0)",
            "wpTNLAMP(1,1,\"\",\"lamp\",\"red\")", "wpVGETD(1,1,\"PUSHF\",\"LCD1\",0,100,1,40)",
            "wpTNBOARD(1,1,\"PUSHF\",\"white\")", "wpTNGRAPH(1,2,\"PUSHF,VBAR\",R0C0:R0C2,0,0,\"DarkGray\",\"White\")",
        };
        for (int x = 0; x < 7; x++) kov.csv_put_form(x, 0, forms[x]);
        ASSERT_EQ(kov.cse_fsave(in.c_str()), 0);
    }
    const char *argv[] = {in.c_str(), out.c_str()};
    ASSERT_EQ(kov_convert(2, const_cast<char **>(argv)), 0);
    std::ifstream f(out);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("!!!ERR!!!"), std::string::npos) << text;
    EXPECT_EQ(text.substr(0, text.find('\r')), "0,1,30,\"red\",40,0,3");
}
