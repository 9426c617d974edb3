// Script gadgets as models: their methods through call() in scripts run without a window, the
// drawing of GRAPH gadgets, and their release with the last variable.
#include "gadgets/gjfont.h"
#include "gadgets/gjmodel.h"
#include "tests/support/appfix.h"
#include "tests/support/testlog.h"

namespace kovtest {
namespace {

const char *const DECLS = "PUSH p; CHECK c; TEDIT t; SEDIT s; NEDIT n; VSCROL v; HSCROL h; BACK k; GRAPH g; "
                          "GRAPH g2; ARRAY a; BASE b;\n";

struct GADGETS : APP {
    std::string run(const std::string &body) { return run_in_cell(DECLS, body); }
    std::string err() const { return kov.scr_get_nowerr(); }
};

const char *BAD = "引数が無効";

TEST_F(GADGETS, ButtonsAndChecks)
{
    check_rows(DECLS, {
        {"return call(p, \"ispush\");", "0", ""},
        {"call(p, \"push\", \"ON\"); return call(p, \"ispush\");", "1", ""},
        {"call(p, \"push\", \"ON\"); call(p, \"push\", \"OFF\"); return call(p, \"ispush\");", "0", ""},
        {"return call(p, \"push\", \"on\");", "-1", BAD},      // exact upper-case words only
        {"return call(p, \"push\");", "-1", BAD},              // the count is part of the name
        {"return call(p, \"ispush\", 1);", "-1", BAD},
        {"return call(p, \"Ispush\");", "-1", BAD},
        {"return call(p, \"autopush\", \"ON\") + call(p, \"nopush\", \"OFF\");", "0", ""},
        {"return call(p, \"message\", \"押す\");", "0", ""},
        {"return call(c, \"ischeck\");", "0", ""},
        {"call(c, \"check\", \"ON\"); return call(c, \"ischeck\");", "1", ""},
        {"call(c, \"check\", \"ON\"); call(c, \"check\", \"OFF\"); return call(c, \"ischeck\");", "0", ""},
        {"return call(c, \"check\", 1);", "-1", BAD},
        {"return call(c, \"autocheck\", \"OFF\");", "0", ""},
        {"return call(c, \"ispush\");", "-1", BAD},            // another class's method
        {"return call(c, \"message\");", "-1", BAD},
    });
}

TEST_F(GADGETS, EditorsScrollBarsAndOthers)
{
    check_rows(DECLS, {
        {"return call(t, \"del\", \"ALL\") + call(s, \"del\", \"ALL\");", "0", ""},
        {"return call(t, \"del\", \"all\");", "-1", BAD},
        {"return call(t, \"ed_go\", \"TXTTOP\") + call(s, \"ed_go\", \"TXTEND\");", "0", ""},
        {"return call(t, \"ed_go\", \"TOP\");", "-1", BAD},
        {"return call(t, \"ed_go\");", "-1", BAD},
        {"return call(n, \"clear\", 5);", "0", ""},
        {"return call(n, \"clear\");", "-1", BAD},
        {"return call(n, \"del\", \"ALL\");", "-1", BAD},
        {"return call(v, \"get\");", "0", ""},
        {"call(v, \"set\", 100, 50, 10); return call(v, \"get\");", "50", ""},
        {"call(v, \"set\", 100, 95, 10); return call(v, \"get\");", "90", ""},   // at most max - page
        {"call(h, \"set\", 100, -3, 10); return call(h, \"get\");", "0", ""},
        {"call(h, \"set\", 0, 5, 0); return call(h, \"get\");", "1", ""},        // the maximum is at least 1
        {"return call(h, \"set\", 1, 2);", "-1", BAD},
        {"return call(v, \"get\", 1);", "-1", BAD},
        {"return call(k, \"get\");", "-1", BAD},
        {"return call(b, \"get\");", "-1", BAD},
        {"return call(a, \"rows\");", "0", ""},   // a grid, closed
    });
}

TEST_F(GADGETS, GraphDrawing)
{
    check_rows(DECLS, {
        {"return call(g, \"get_color\", 0, 0) == 16777215;", "1", ""},   // white at first
        {"call(g, \"set_color\", 3, 4, 16711680); return call(g, \"get_color\", 3, 4) == 16711680;", "1", ""},
        {"return call(g, \"get_color\", 320, 0) + call(g, \"get_color\", 0, -1);", "-2", ""},
        {"return call(g, \"paint\", 0, 0, 255);", "76800", ""},       // 320 x 240
        {"call(g, \"box\", 10, 10, 19, 19, 0); return call(g, \"paint\", 15, 15, 255);", "64", ""},
        {"call(g, \"box\", 10, 10, 19, 19, 0); return call(g, \"paint\", 0, 0, 255);", "76700", ""},
        {"call(g, \"line\", 0, 0, 9, 9, 0); return call(g, \"get_color\", 5, 5) * 10 + call(g, \"get_color\", 5, 6) / 16777215;",
         "1", ""},
        {"call(g, \"set_color\", 0, 0, 1); call(g, \"scroll\", 2, 3, 0); "
         "return call(g, \"get_color\", 2, 3) * 10 + call(g, \"get_color\", 0, 0);", "10", ""},
        {"call(g, \"circle\", 50, 50, 10, 0); return call(g, \"get_color\", 60, 50) + call(g, \"get_color\", 50, 40);",
         "0", ""},
        {"call(g, \"circle\", 50, 50, 10, 0); return call(g, \"paint\", 50, 50, 0);", "293", ""},   // the inside only
        {"call(g, \"oval\", 50, 50, 20, 10, 0); return call(g, \"get_color\", 70, 50) + call(g, \"get_color\", 50, 40);",
         "0", ""},
        {"call(g, \"oval2\", 0, 0, 40, 20, 0); return call(g, \"get_color\", 0, 10) + call(g, \"get_color\", 20, 20);",
         "0", ""},
        {"call(g, \"clear\", 0); return call(g, \"get_color\", 319, 239);", "0", ""},
        // The back fills the text's box; the glyph is drawn over it (the system's face).
        {"call(g, \"clear\", 255); call(g, \"puts\", 1, 1, \"字\", 0, 16777215); return call(g, \"get_color\", 1, 1) == 16777215;",
         "1", ""},
        {"return call(g, \"jpg_quality\", 50);", "0", ""},
        // Without a window the clipboard is the process's own.
        {"call(g, \"clear\", 255); call(g, \"set_color\", 1, 2, 7); call(g2, \"clear\", 0); "
         "return call(g, \"clip_copy\") + call(g2, \"clip_past\") + call(g2, \"get_color\", 5, 5) * 10 + call(g2, \"get_color\", 1, 2);",
         "2557", ""},
        {"return call(g, \"line\", 0, 0, 9, 9);", "-1", BAD},
        {"return call(g, \"fsave\", \"a.bmp\");", "-1", BAD},         // five characters
        {"return call(g, \"fsave\", \"pic.tif\");", "-1", BAD},
        {"return call(g, \"fload\", \"/nonexistent/x.png\");", "-1", ""},
        {"return call(g, \"fsave\", \"/nonexistent/x.png\");", "-1", ""},
    });
}

// Editors keep their text through a failed load; the numeric editor saves its number.
TEST_F(GADGETS, EditorFilesAsAUserSavesThem)
{
    TmpDir dir;
    std::string in = dir / "in.txt", out = dir / "out.txt", num = dir / "n.txt";
    spit(in, "一行\r\n二行\r\n");
    auto q = [](const std::string &f) { return "\"" + f + "\""; };
    EXPECT_EQ(run("call(t, \"fload\", " + q(in) + "); call(t, \"ed_go\", \"TXTEND\"); "
                  "return call(t, \"fload\", \"/nonexistent/x\") * 10 + call(t, \"fsave\", " + q(out) + ");"),
              "-10");
    EXPECT_EQ(slurp(out), slurp(in));
    EXPECT_EQ(run("call(s, \"fload\", " + q(in) + "); call(s, \"del\", \"ALL\"); return call(s, \"fsave\", " +
                  q(out) + ");"),
              "0");
    EXPECT_EQ(slurp(out), "");
    EXPECT_EQ(run("call(n, \"clear\", 2.5); return call(n, \"fsave\", " + q(num) + ");"), "0");
    EXPECT_EQ(slurp(num), "2.5");
    EXPECT_EQ(run("return call(t, \"fsave\", \"/nonexistent/x\");"), "-1");
    EXPECT_EQ(err(), "");
}

// Formulas reach the script's gadgets by name, in sheet order, and keep them across passes.
TEST_F(GADGETS, FormulasDriveGlobalGadgets)
{
    host.host_ed_put(DECLS);
    kov.csv_put_form(0, 0, "call(c, \"check\", \"ON\")");
    kov.csv_put_form(0, 1, "call(c, \"ischeck\") + call(v, \"get\")");
    kov.csv_put_form(0, 2, "call(v, \"set\", 10, R[-1]C + 3, 2)");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "0");
    EXPECT_EQ(cell(0, 1), "1");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 1), "5");   // the position 4 set by the first pass
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 1), "9");   // 8: at most maximum - page
    kov.csv_put_form(0, 3, "call(v, \"set\", 10)");
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 3), "-1");
}

// A gadget in a function's local variable lives as long as the call: linked, then released.
TEST_F(GADGETS, LocalGadgetReleasedWithItsVariable)
{
    LogCapture log;
    run("return 0;");
    long live = BASE_GJ::gj_objct;
    kov.csv_put_form(0, 0, "f()");
    host.host_ed_put((std::string(DECLS) + "f() { PUSH q; call(q, \"push\", \"ON\"); return call(q, \"ispush\"); }\n").c_str());
    kov.csv_form_calc(nullptr);
    EXPECT_EQ(cell(0, 0), "1");
    kov.csv_form_calc(nullptr);   // a second call makes a fresh, released one again
    EXPECT_EQ(cell(0, 0), "1");
    std::string text = log.text();
    EXPECT_NE(text.find("f@q:ガジェット PUSH_GJ をリンク"), std::string::npos) << text;
    EXPECT_NE(text.find("f@q:ガジェット PUSH_GJ を開放"), std::string::npos);
    EXPECT_EQ(BASE_GJ::gj_objct, live + 0) << "the two calls' gadgets are gone, the globals were made afresh";
}

// ---------------------------------------------------------------- the picture itself

// Text without a window: dark glyph pixels inside the cell box and nothing outside it; no colour
// and no back draws nothing.
TEST(GJ_FONT, TextLandsInItsBox)
{
    GJ_PIXELS pic;
    pic.pix_resize(64, 32, 0xFFFFFF);
    ASSERT_EQ(gj_font_text(pic, 4, 4, "字A", 0x000000, -1, 16), 0);
    int dark = 0, outside = 0;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 64; x++)
            if (pic.pix_get(x, y) != 0xFFFFFF) (x >= 4 && x < 4 + 24 && y >= 4 && y < 4 + 20 ? dark : outside)++;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(outside, 0);
    GJ_PIXELS blank;
    blank.pix_resize(64, 32, 0xFFFFFF);
    gj_font_text(blank, 4, 4, "字A", -1, -1, 16);
    EXPECT_EQ(blank.px, std::vector<uint32_t>(64 * 32, 0xFFFFFF));
}

TEST(GJ_PIXELS_TEST, ShapesStayInsideAndFill)
{
    GJ_PIXELS p;
    ASSERT_EQ(p.pix_resize(64, 48, 0xFFFFFF), 0);
    EXPECT_EQ(p.pix_resize(0, 5, 0), -1);
    EXPECT_EQ(p.pix_resize(9000, 9000, 0), -1);
    EXPECT_EQ(p.w, 64);
    p.pix_bar(60, 40, 100, 100, 0x123456);          // cut at the edge
    EXPECT_EQ(p.pix_get(63, 47), 0x123456);
    EXPECT_EQ(p.pix_get(59, 47), 0xFFFFFF);
    p.pix_disk(20, 20, 5, 0);
    long n = 0;
    for (uint32_t c : p.px) n += c == 0;
    EXPECT_EQ(n, 89);   // rows of a radius-5 disk: 11 + 2 * (11 + 11 + 9 + 7 + 1)
    EXPECT_EQ(p.pix_get(25, 20), 0);
    EXPECT_EQ(p.pix_get(26, 20), 0xFFFFFF);
    // Far ends and huge shapes cost no time and touch only what is visible.
    p.pix_line(0, 0, 2147483647, 2147483647, 0xFF);
    EXPECT_EQ(p.pix_get(47, 47), 0xFF);
    p.pix_oval(-2000000000, -2000000000, 2000000000, 2000000000, 0xFF);
    EXPECT_EQ(p.pix_paint(-1, 0, 1), -1);
    EXPECT_EQ(p.pix_paint(1, 0, p.pix_get(1, 0)), 0);
}

// ---------------------------------------------------------------- picture files

std::string file_says(const std::string &path)
{
    std::string out;
    if (FILE *f = popen(("file -b '" + path + "'").c_str(), "r")) {
        char b[256];
        while (fgets(b, sizeof b, f)) out += b;
        pclose(f);
    }
    return out;
}

TEST_F(GADGETS, PicturesSavedInEachFormatReadBack)
{
    TmpDir dir;
    struct FMT {
        const char *name, *says;
        bool exact;
    } fmts[] = {
        {"pic.png", "PNG image data, 320 x 240", true},  {"PIC.PNG", "PNG image data", true},
        {"pic.bmp", "PC bitmap", true},                  {"pic.gif", "GIF image data", true},
        {"pic.jpg", "JPEG image data", false},           {"pic.JPEG", "JPEG image data", false},
    };
    GJ_PIXELS ref;
    ref.pix_resize(320, 240, 0xFFFFFF);
    ref.pix_box(10, 10, 29, 19, 0x0000FF);
    ref.pix_paint(15, 15, 0xFF0000);
    ref.pix_line(0, 0, 319, 239, 0x00FF00);
    for (const FMT &f : fmts) {
        std::string path = dir / f.name;
        std::string draw = "call(g, \"box\", 10, 10, 29, 19, 255); call(g, \"paint\", 15, 15, 16711680); "
                           "call(g, \"line\", 0, 0, 319, 239, 65280); ";
        EXPECT_EQ(run(draw + "return call(g, \"fsave\", \"" + path + "\");"), "0") << f.name;
        EXPECT_NE(file_says(path).find(f.says), std::string::npos) << f.name << ": " << file_says(path);
        // Back through a script into another gadget, and as a whole picture.
        std::string red = run("call(g2, \"fload\", \"" + path + "\"); return call(g2, \"get_color\", 25, 12) == 16711680;");
        if (f.exact) {
            EXPECT_EQ(red, "1") << f.name;
        }
        GJ_PIXELS back;
        ASSERT_EQ(gj_image_load(back, path.c_str()), 0) << f.name;
        ASSERT_EQ(back.w, 320);
        ASSERT_EQ(back.h, 240);
        long off = 0;
        for (size_t i = 0; i < ref.px.size(); i++)
            for (int sh : {0, 8, 16}) off += std::abs(int(ref.px[i] >> sh & 255) - int(back.px[i] >> sh & 255));
        if (f.exact) {
            EXPECT_EQ(off, 0) << f.name;
        } else {
            EXPECT_LT(off / long(ref.px.size() * 3), 4) << f.name;
        }
    }
}

// More than 256 colours still make a GIF, near the picture; broken files load nothing.
TEST(GJ_IMAGE, ManyColoursGifAndBrokenFiles)
{
    TmpDir dir;
    GJ_PIXELS p;
    p.pix_resize(64, 64, 0);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) p.pix_set(x, y, uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | 128);
    std::string gif = dir / "many.gif";
    ASSERT_EQ(gj_image_save(p, gif.c_str(), 75), 0);
    GJ_PIXELS back;
    ASSERT_EQ(gj_image_load(back, gif.c_str()), 0);
    EXPECT_NEAR(int(back.pix_get(40, 20) >> 16), 160, 24);
    EXPECT_EQ(gj_image_save(p, (dir / "x.tif").c_str(), 75), -2);
    // A cut PNG, a text, a bitmap claiming a huge size: -1 and the picture kept.
    std::string png = dir / "cut.png", txt = dir / "t.png", bmp = dir / "big.bmp";
    ASSERT_EQ(gj_image_save(p, png.c_str(), 75), 0);
    spit(png, slurp(png).substr(0, 100));
    spit(txt, "not a picture");
    std::string head(54, '\0');
    head[0] = 'B', head[1] = 'M', head[18] = head[19] = head[21] = head[22] = head[25] = char(0x7F), head[28] = 24;
    spit(bmp, head);
    for (const std::string &f : {png, txt, bmp, dir / "none.png"}) {
        EXPECT_EQ(gj_image_load(back, f.c_str()), -1) << f;
        EXPECT_EQ(back.w, 64);
    }
}

} // namespace
} // namespace kovtest
