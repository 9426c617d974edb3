// Grid gadgets: the methods of an ARRAY's own grid and of the sheet (my) through call() in
// formulas, files and the clipboard round trips, the attribute keywords, the view state.
#include "gadgets/gjgrid.h"
#include "tests/support/appfix.h"
#include "tests/support/tmpdir.h"

namespace kovtest {
namespace {

const char *const BAD = "引数が無効";
const char *const STATE = "状態取得失敗";

const char *const DECLS = "ARRAY a; ARRAY b;\n";

// f() { body } evaluated in cell (0, 0) of the 10 x 20 sheet.
struct GRID : APP {
    std::string run(const std::string &body) { return run_in_cell(DECLS, body); }
    std::string err() const { return kov.scr_get_nowerr(); }
};
using ROW = APP::ROW;

TEST_F(GRID, ArraySizesAndCells)
{
    const std::string o = "call(a, \"open\", 4, 3); ";
    check_rows(DECLS, {
        {"return call(a, \"is_open\") + call(a, \"rows\") + call(a, \"cols\") + call(a, \"xdatas\");", "0", ""},
        {"return call(a, \"resize\", 3, 3);", "-1", STATE},   // closed until opened
        {"a[0][0] = 1; return 5;", "'!!!ERR!!!'", "代入失敗:a xp=0 yp=0"},   // no cell to hold it
        {"return call(a, \"gettype\", 0, 0);", "-1", STATE},
        {"return call(a, \"save\", \"/tmp/never.kov\");", "-1", STATE},
        {o + "return call(a, \"cols\") * 10 + call(a, \"rows\") + call(a, \"is_open\") * 100;", "143", ""},
        {o + "a[1][2] = 5; a[0][3] = \"字\"; return a[1][2] * 100 + call(a, \"gettype\", 2, 1) * 10 + "
             "call(a, \"gettype\", 3, 0) + call(a, \"gettype\", 0, 0);", "512", ""},
        {o + "a[2][3] = 1; return call(a, \"xdatas\") * 10 + call(a, \"ydatas\");", "43", ""},
        {o + "a[1][1] = 7; call(a, \"resize\", 2, 2); call(a, \"resize\", 3, 3); "
             "return call(a, \"cols\") * 100 + call(a, \"rows\") * 10 + a[1][1];", "337", ""},
        {o + "a[0][0] = 1; call(a, \"open\", 2, 2); return call(a, \"gettype\", 0, 0) + call(a, \"cols\");", "2", ""},
        {o + "call(a, \"close\"); return call(a, \"is_open\") + call(a, \"rows\");", "0", ""},
        {"return call(a, \"open\", 0, 3);", "-1", BAD},
        {"return call(a, \"open\", 1001, 3);", "-1", BAD},
        {o + "return call(a, \"gettype\", 4, 0);", "-1", BAD},
        {o + "return call(a, \"resize\", 0, 2);", "-1", BAD},
        // The count belongs to the name.
        {o + "return call(a, \"rows\", 1);", "-1", BAD},
        {o + "return call(a, \"open\", 1);", "-1", BAD},
        {o + "return call(a, \"celattr\", 0, 0, 1, 1, \"TEXT\");", "-1", BAD},
        {o + "return call(a, \"Rows\");", "-1", BAD},
        {o + "return call(a, \"fload\", \"x\");", "-1", BAD},
    });
}

// Row and column editing as a table over a grid g whose block starts at (ox, oy): the column
// ox holds 3, 1, 4, 2 downwards, the next column 9s; a result reads the four cells of column ox.
std::vector<ROW> edit_rows(const std::string &g, int ox, int oy)
{
    auto n = [](int v) { return std::to_string(v); };
    auto at = [&](int dy) { return g + "[" + n(oy + dy) + "][" + n(ox) + "]"; };
    std::string fill = g == "a" ? "call(a, \"open\", 3, 4); " : "call(my, \"yclr\", 1, 19); ";
    const int v[] = {3, 1, 4, 2};
    for (int i = 0; i < 4; i++)
        fill += at(i) + " = " + n(v[i]) + "; " + g + "[" + n(oy + i) + "][" + n(ox + 1) + "] = 9; ";
    std::string sig = "return " + at(0) + " * 1000 + " + at(1) + " * 100 + " + at(2) + " * 10 + " + at(3) + ";";
    auto c = [&](const std::string &m, const std::string &args) {
        return fill + "call(" + g + ", \"" + m + "\", " + args + "); " + sig;
    };
    auto e = [&](const std::string &m, const std::string &args) {
        return fill + "return call(" + g + ", \"" + m + "\", " + args + ");";
    };
    const std::string x = n(ox), y = n(oy), y1 = n(oy + 1), y3 = n(oy + 3), y4 = n(oy + 4);
    std::vector<ROW> rows = {
        {fill + sig, "3142", ""},
        {c("ydel", y1 + ", 1"), "3420", ""},
        {c("ydel", y1 + ", 99"), "3000", ""},        // a count past the end stops there
        {c("yins", y1 + ", 2"), "3001", ""},
        {c("yclr", y1 + ", 2"), "3002", ""},
        {c("yswap", y + ", " + y3), "2143", ""},
        {c("vsort", "\"UP\", " + x + ", " + y + ", 4"), "1234", ""},
        {c("vsort", "\"DOWN\", " + x + ", " + y + ", 4"), "4321", ""},
        {c("vsort", "\"UP\", " + x + ", " + y1 + ", 3"), "3124", ""},
        {c("vscroll", "\"UP\", " + y + ", 4"), "1423", ""},   // the first row goes to the end
        {c("vscroll", "\"DOWN\", " + y + ", 4"), "2314", ""},
        {c("vscroll", "\"UP\", " + y1 + ", 2"), "3412", ""},
        {c("xdel", x + ", 1"), "9999", ""},
        {c("xins", x + ", 1"), "0", ""},
        {e("vsort", "\"up\", " + x + ", " + y + ", 4"), "-1", BAD},
        {e("vsort", "\"UP\", " + x + ", " + y1 + ", " + (g == "a" ? "4" : "20")), "-1", BAD},
        {e("vscroll", "\"LEFT\", " + y + ", 2"), "-1", BAD},
        {e("ydel", y + ", 0"), "-1", BAD},
        {e("yswap", y + ", -1"), "-1", BAD},
        {e("yins", y4 + (g == "a" ? ", 1" : "0, 1")), "-1", BAD},
    };
    if (g == "a") rows.push_back({e("vsort", "\"UP\", 3, 0, 4"), "-1", BAD});   // no column 3
    return rows;
}

TEST_F(GRID, ArrayRowAndColumnEditing) { check_rows(DECLS, edit_rows("a", 0, 0)); }

// The same methods on the sheet, beside the formula at (0, 0) that runs them.
TEST_F(GRID, SheetRowAndColumnEditing)
{
    check_rows(DECLS, edit_rows("my", 1, 1));
    EXPECT_EQ(kov.csv_get_xs(), 10);
    EXPECT_EQ(kov.csv_get_ys(), 20);
}

// The sheet is never closed, and the formula that runs a method keeps its own cell.
TEST_F(GRID, SheetStaysAndKeepsTheRunningFormula)
{
    check_rows(DECLS, {
        {"return call(my, \"is_open\") * 1000 + call(my, \"rows\") * 10 + call(my, \"cols\") / 10;", "1201", ""},
        {"return call(my, \"close\");", "-1", STATE},
        {"my[3][2] = 8; call(my, \"open\", 12, 30); return call(my, \"rows\") + my[3][2];", "38", ""},
        {"return call(my, \"resize\", 10, 20) + call(my, \"cols\");", "10", ""},
        {"return call(my, \"ydel\", 0, 1);", "-1", STATE},
        {"return call(my, \"xdel\", 0, 1);", "-1", STATE},
        {"return call(my, \"yclr\", 0, 3);", "-1", STATE},
        {"return call(my, \"vscroll\", \"UP\", 0, 3);", "-1", STATE},
        {"return call(my, \"vsort\", \"UP\", 1, 0, 2);", "-1", STATE},
        {"return call(my, \"load\", \"/dev/null\");", "-1", STATE},   // the file's cells could cover it
        {"return call(my, \"xdel\", 1, 1) + call(my, \"ydel\", 1, 1);", "0", ""},
    });
    EXPECT_EQ(kov.csv_get_form(0, 0), std::string("f()"));
}

// A grid saved and loaded again is the same grid; a values file holds the values; failures leave
// the grid as it was.
TEST_F(GRID, FilesRoundTrip)
{
    TmpDir dir;
    std::string one = dir / "one.kov", two = dir / "two.kov", csv = dir / "v.csv";
    auto q = [](const std::string &f) { return "\"" + f + "\""; };
    std::string make = "call(a, \"open\", 3, 2); a[0][0] = 1.5; a[1][2] = \"字,\"; a[1][0] = \"=x\"; "
                       "call(a, \"celattr\", 0, 0, 2, 1, \"BACK\", \"RED\"); call(a, \"colwid\", 1, 1, 20); ";
    EXPECT_EQ(run(make + "return call(a, \"save\", " + q(one) + ") + call(a, \"save\", " + q(csv) + ");"), "0");
    EXPECT_EQ(err(), "");
    EXPECT_EQ(run("call(b, \"load\", " + q(one) + "); call(b, \"save\", " + q(two) + "); "
                  "return call(b, \"cols\") * 10 + call(b, \"rows\") + (b[1][2] == \"字,\") * 100 + b[0][0];"),
              "133.5");
    EXPECT_EQ(slurp(two), slurp(one));
    EXPECT_EQ(slurp(csv), "1.5,,\r\n\"=x\",,\"字\\x2C\"\r\n");
    EXPECT_NE(slurp(one).find("FOP_WID"), std::string::npos);
    // A missing file, a folder that is not there, an empty name: the grid keeps its cells.
    check_rows(DECLS, {
        {make + "return call(a, \"load\", \"/nonexistent/x.kov\");", "-1", STATE},
        {make + "call(a, \"load\", \"/nonexistent/x.kov\"); return call(a, \"cols\") + a[0][0];", "4.5", ""},
        {make + "return call(a, \"save\", \"/nonexistent/dir/x.kov\");", "-1", STATE},
        {make + "return call(a, \"load\", \"\");", "-1", BAD},
        {"return call(b, \"load\", " + q(csv) + ") + call(b, \"cols\") * 10 + call(b, \"rows\");", "32", ""},
    });
}

// The sheet loads a file's cells at its top-left cell when a script runs it (not from a formula),
// keeping its size, its name and its other cells.
TEST_F(GRID, SheetLoadsAndSavesFromAScript)
{
    TmpDir dir;
    std::string in = dir / "in.csv", out = dir / "out.csv";
    spit(in, "1,2\r\n3,\"x\"\r\n");
    kov.csv_put_num(5, 10, 42);
    host.host_ed_put(("main() { if (call(my, \"load\", \"" + in + "\") != 0) return 9; "
                      "return call(my, \"save\", \"" + out + "\"); }\n").c_str());
    kov.wm_menu(KVM_F07_RUN);
    EXPECT_EQ(count("status スクリプト実行終了(0)"), 1);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(1, 1), "'x'");
    EXPECT_EQ(cell(5, 10), "42");
    EXPECT_EQ(kov.csv_get_xs(), 10);
    EXPECT_EQ(kov.csv_get_fname(), std::string(""));
    EXPECT_EQ(slurp(out).substr(0, 12), "1,2\r\n3,\"x\"\r\n");
}

// ccopy puts the block on the application's clipboard in the sheet's own format; cpast puts it
// elsewhere, repeated across a larger target, into another grid or the sheet.
TEST_F(GRID, CopyAndPasteBlocks)
{
    std::string fill = "call(a, \"open\", 6, 6); a[0][0] = 1; a[0][1] = \"t\"; a[1][0] = 2; a[1][1] = 3; "
                       "call(a, \"ccopy\", 0, 0, 2, 2); ";
    check_rows(DECLS, {
        {fill + "call(a, \"cpast\", 3, 2, 2, 2); return a[2][3] * 100 + a[3][3] * 10 + a[3][4] + (a[2][4] == \"t\") * 1000;",
         "1123", ""},
        {fill + "call(a, \"cpast\", 0, 4, 6, 2); return a[4][2] + a[4][4] + a[5][5] * 10 + call(a, \"gettype\", 5, 4) * 100;",
         "232", ""},
        {fill + "call(b, \"open\", 2, 2); call(b, \"cpast\", 0, 0, 2, 2); return b[1][1];", "3", ""},
        {fill + "call(my, \"cpast\", 3, 3, 2, 2); return my[4][4];", "3", ""},
        {fill + "return call(my, \"cpast\", 0, 0, 1, 1);", "-1", STATE},   // the running formula's cell
        {fill + "return call(a, \"ccopy\", 5, 5, 2, 1);", "-1", BAD},
        {fill + "return call(a, \"cpast\", -1, 0, 1, 1);", "-1", BAD},
    });
    std::string clip;
    ASSERT_EQ(host.host_clip_get(clip), 0);
    EXPECT_NE(clip.find("\x02"), std::string::npos) << "the full format frames what CSV cannot say";
    EXPECT_EQ(cell(4, 4), "3");
    // Nothing on the clipboard: nothing to paste.
    host.host_clip_put("");
    EXPECT_EQ(run("call(a, \"open\", 2, 2); return call(a, \"cpast\", 0, 0, 1, 1);"), "-1");
    EXPECT_EQ(err(), STATE);
}

// Every "celattr" group sets its attribute as the sheet's attribute menu does.
TEST_F(GRID, CellAttributesByKeyword)
{
    struct ATTR {
        const char *group, *value;
        int field, code;
    } rows[] = {
        {"TEXT", "RED", CSV_A_TEXT, 6},       {"TEXT", "WINDOW", CSV_A_TEXT, 11}, {"BACK", "YELLOW", CSV_A_BACK, 10},
        {"BACK", "DEFAULT", CSV_A_BACK, 0},   {"INPUT", "NUM", CSV_A_INPUT, 2},   {"INPUT", "NONE", CSV_A_INPUT, 3},
        {"FORMAT", "f.2", CSV_A_FMT, 12},     {"FORMAT", "e", CSV_A_FMT, 5},      {"FORMAT", "x.4", CSV_A_FMT, 34},
        {"FORMAT", "g", CSV_A_FMT, 0},
    };
    for (const ATTR &r : rows) {
        std::string call = std::string("return call(my, \"celattr\", 1, 1, 2, 2, \"") + r.group + "\", \"" + r.value + "\");";
        EXPECT_EQ(run(call), "0") << r.group << "," << r.value;
        EXPECT_EQ(kov.csv_get_attr(2, 2, r.field), r.code) << r.group << "," << r.value;
        EXPECT_EQ(kov.csv_get_attr(1, 1, r.field), r.code) << r.group << "," << r.value;
        EXPECT_EQ(kov.csv_get_attr(3, 3, r.field), 0) << r.group << "," << r.value;
    }
    // Lines: (top, left) of the cells inside (2, 2), below (1, 3) and right of (3, 1) the block.
    struct LINES {
        const char *value;
        int inner_top, inner_left, below_top, right_left;
    } lines[] = {
        {"ARRAY", 1, 1, 1, 1}, {"NONE", 0, 0, 0, 0}, {"BOX", 0, 0, 1, 1}, {"NONE", 0, 0, 0, 0},
        {"HLINE", 1, 0, 1, 0}, {"NONE", 0, 0, 0, 0}, {"VLINE", 0, 1, 0, 1},
    };
    for (const LINES &l : lines) {
        EXPECT_EQ(run(std::string("return call(my, \"celattr\", 1, 1, 2, 2, \"LINE\", \"") + l.value + "\");"), "0");
        EXPECT_EQ(kov.csv_get_attr(2, 2, CSV_A_TOP), l.inner_top) << l.value;
        EXPECT_EQ(kov.csv_get_attr(2, 2, CSV_A_LEFT), l.inner_left) << l.value;
        EXPECT_EQ(kov.csv_get_attr(1, 3, CSV_A_TOP), l.below_top) << l.value;
        EXPECT_EQ(kov.csv_get_attr(3, 1, CSV_A_LEFT), l.right_left) << l.value;
    }
    check_rows(DECLS, {
        {"return call(my, \"celattr\", 1, 1, 1, 1, \"TEXT\", \"PINK\");", "-1", BAD},
        {"return call(my, \"celattr\", 1, 1, 1, 1, \"FORMAT\", \"f.16\");", "-1", BAD},
        {"return call(my, \"celattr\", 1, 1, 1, 1, \"text\", \"RED\");", "-1", BAD},
        {"return call(my, \"celattr\", 1, 1, 1, 1, \"TEXT,RED\", \"\");", "-1", BAD},   // two arguments, not one
        {"return call(my, \"celattr\", 9, 1, 2, 1, \"TEXT\", \"RED\");", "-1", BAD},
        {"return call(a, \"celattr\", 0, 0, 1, 1, \"TEXT\", \"RED\");", "-1", STATE},
        {"call(a, \"open\", 2, 2); return call(a, \"celattr\", 0, 0, 2, 2, \"LINE\", \"BOX\");", "0", ""},
    });
}

// Column widths, name rows and columns, the top-left cell, the cursor and the font of the sheet.
TEST_F(GRID, SheetViewState)
{
    check_rows(DECLS, {
        {"return call(my, \"colwid\", 1, 2, 20) + call(my, \"option\", \"XNAME_Y\", 3) + "
         "call(my, \"option\", \"YNAME_X\", 2) + call(my, \"screen\", 2, 5) + call(my, \"cursor\", 3, 4) + "
         "call(my, \"font\", 200);", "0", ""},
        {"return call(my, \"colwid\", 1, 1, 0);", "-1", BAD},
        {"return call(my, \"colwid\", 10, 1, 5);", "-1", BAD},
        {"return call(my, \"option\", \"XNAME_Y\", 20);", "-1", BAD},
        {"return call(my, \"screen\", 10, 0);", "-1", BAD},
        {"return call(my, \"cursor\", 0, 20);", "-1", BAD},
        {"return call(my, \"font\", 0);", "-1", BAD},
    });
    CSV_WINST ws;
    host.host_win_get(ws);
    EXPECT_EQ(std::vector<int>({kov.csv_get_wide(1), kov.csv_get_wide(2), kov.csv_get_wide(3), kov.csv_cnrow, kov.csv_rncol,
                                kov.csv_curx, kov.csv_cury, ws.v[CSV_WS_DSPPOSX], ws.v[CSV_WS_DSPPOSY],
                                ws.v[CSV_WS_CSRPOSX], ws.v[CSV_WS_FONTSIZ]}),
              std::vector<int>({20, 20, 10, 3, 2, 3, 4, 2, 5, 3, KOV_FONT_MAX}));
    EXPECT_EQ(run("return call(my, \"option\", \"XNAME_Y\", -1);"), "0");
    EXPECT_EQ(kov.csv_cnrow, -1);
}

// ---------------------------------------------------------------- the gadget object itself

struct ARGS {
    std::vector<VAL_U> v;
    std::vector<VAL_U *> p;
    ARGS(std::initializer_list<double> nums, const char *word = nullptr)
    {
        v.resize(nums.size() + (word ? 1 : 0));
        size_t k = 0;
        if (word) v[k++].val_puts(word);
        for (double d : nums) v[k++].val_putd(d);
        for (VAL_U &x : v) p.push_back(&x);
    }
    GJ_ARGS args() const { return GJ_ARGS{p.data(), int(p.size())}; }
};

const char *call(ARRAY_GJ &g, const char *name, const ARGS &a, VAL_U &res)
{
    return g.gj_method(name, a.args(), res);
}

// The view of an ARRAY reads its grid and its state: what the methods and a loaded file set.
TEST(ARRAY_GJ_VIEW, StateForTheView)
{
    ARRAY_GJ g;
    VAL_U res;
    EXPECT_EQ(g.ws.v[CSV_WS_FONTSIZ], 16);
    EXPECT_EQ(g.ws.v[CSV_WS_ROWNAME], 1);
    EXPECT_EQ(call(g, "open", {5, 8}, res), nullptr);
    EXPECT_EQ(call(g, "screen", {1, 2}, res), nullptr);
    EXPECT_EQ(call(g, "cursor", {4, 7}, res), nullptr);
    EXPECT_EQ(call(g, "font", {3}, res), nullptr);
    EXPECT_EQ(call(g, "option", ARGS({1}, "YNAME_X"), res), nullptr);
    EXPECT_EQ(call(g, "celattr", {0, 0, 1, 1}, res), GJ_ERR_BAD);
    EXPECT_EQ(std::vector<int>({g.ws.v[CSV_WS_DSPPOSX], g.ws.v[CSV_WS_DSPPOSY], g.ws.v[CSV_WS_CSRPOSX], g.ws.v[CSV_WS_CSRPOSY],
                                g.ws.v[CSV_WS_FONTSIZ], g.grid.csv_rncol, g.grid.csv_curx}),
              std::vector<int>({1, 2, 4, 7, KOV_FONT_MIN, 1, 4}));
    // A saved grid carries its view state; another grid takes it with the cells.
    TmpDir dir;
    std::string f = dir / "g.kov";
    ARGS name({}, f.c_str());
    EXPECT_EQ(call(g, "save", name, res), nullptr);
    ARRAY_GJ h;
    EXPECT_EQ(call(h, "load", name, res), nullptr);
    EXPECT_EQ(std::vector<int>({h.ws.v[CSV_WS_CSRPOSX], h.ws.v[CSV_WS_FONTSIZ], h.grid.csv_get_xs(), h.grid.csv_get_ys(),
                                h.grid.csv_rncol}),
              std::vector<int>({4, KOV_FONT_MIN, 5, 8, 1}));
    // Open again: an empty grid seen from its first cell.
    EXPECT_EQ(call(h, "open", {2, 2}, res), nullptr);
    EXPECT_EQ(h.ws.v[CSV_WS_CSRPOSX], 0);
    EXPECT_EQ(h.ws.v[CSV_WS_DSPPOSY], 0);
}

} // namespace
} // namespace kovtest
