// The command table as its readers use it, the cursor operations of the window, and opening
// another sheet over unsaved changes with each answer of the question.
#include "tests/support/appfix.h"
#include "tests/support/tmpdir.h"

#include <set>

using namespace kovtest;

// The "celattr" keywords name the same commands as the menus, and the FORMAT rows agree with
// the display formats' own keyword table.
TEST(CmdTable, KeywordsAndTheirTwin)
{
    static const struct {
        const char *keyword;
        int id;
    } rows[] = {
        {"INPUT,AUTO", KVM_INPUT_AUTO}, {"INPUT,NONE", 85},   {"FORMAT,g", 86},      {"FORMAT,f.15", 103},
        {"FORMAT,x.12", 110},           {"TEXT,DEFAULT", 111}, {"TEXT,WINDOW", 114}, {"BACK,RED", 128},
        {"BACK,YELLOW", 132},           {"LINE,ARRAY", 133},   {"LINE,NONE", 137},   {"BACK", -1},
        {"RED", -1},                    {"", -1},              {"INPUT,auto", -1},
    };
    for (const auto &r : rows) EXPECT_EQ(kov_cmd_by_keyword(r.keyword), r.id) << r.keyword;
    EXPECT_EQ(kov_cmd_by_keyword(nullptr), -1);
    for (int id = KVM_FMT_G; id <= KVM_FMT_X12; id++)
        EXPECT_EQ(csv_fmt_code(kov_cmd(id)->keyword.c_str()), csv_fmt_by_cmd(id)) << id;
}

// The toolbar in its order with its gaps; a key belongs to one command only.
TEST(CmdTable, ToolbarAndKeys)
{
    std::string bar;
    std::set<std::string> keys;
    for (const KOV_CMD &c : kov_cmds()) {
        if (!c.button.empty()) bar += std::string(c.flags & KCF_GAP ? "| " : "") + std::to_string(c.id) + " ";
        EXPECT_TRUE(c.key.empty() || keys.insert(c.key).second) << c.key;
    }
    EXPECT_EQ(bar, "292 293 294 295 | 296 297 298 299 | 300 302 303 | 304 ");
    EXPECT_EQ(kov_cmd(KVM_F07_RUN)->key, "F7");
    EXPECT_EQ(kov_cmd(249), nullptr);
    EXPECT_EQ(kov_cmd_enabled(TST_CYCLE_1000ms, KVM_CYCLE_STOP), 1);
    EXPECT_EQ(kov_cmd_enabled(TST_CALC_ONE, KVM_CYCLE_STOP), 0);
    EXPECT_EQ(kov_cmd_enabled(TST_SCRPT_RUN, KVM_SAVE), 1);   // no run states: always
    EXPECT_EQ(kov_cmd_enabled(8, KVM_SAVE), 0);
}

TEST_F(APP, ScreenLockRefusesTheCommandsThatChangeTheSheet)
{
    kov.wm_menu(KVM_SCRLOCK);
    for (int id : {KVM_DEL_ALL, KVM_AUTOWIDE, KVM_INPUT_NUM, KVM_DOWN_SUM, KVM_DEL_ROWS, KVM_PASTE_ALL, KVM_PASTE, KVM_ROT_DOWN}) {
        host.calls.clear();
        EXPECT_EQ(kov.wm_menu(id), -1) << id;
        EXPECT_EQ(count("status スクリーン・ロック状態です"), 1) << id;
    }
    for (int id : {KVM_COPY_NAME, KVM_COPY_BIN, KVM_GO_FIRST}) {
        host.calls.clear();
        EXPECT_EQ(kov.wm_menu(id), 0) << id;
        EXPECT_EQ(count("status スクリーン・ロック状態です"), 0) << id;
    }
}

// The window moves the cursor and the selection only through these.
TEST_F(APP, CursorAndSelection)
{
    kov.kov_cursor_to(50, -3);   // clamped to the 10 x 20 sheet
    EXPECT_EQ(std::make_pair(kov.csv_curx, kov.csv_cury), std::make_pair(9, 0));
    kov.kov_select_to(2, 5);     // the anchor stays
    EXPECT_EQ(std::make_tuple(kov.kov_sel.x1, kov.kov_sel.y1, kov.kov_sel.x2, kov.kov_sel.y2), std::make_tuple(9, 0, 2, 5));
    EXPECT_EQ(std::make_pair(kov.csv_curx, kov.csv_cury), std::make_pair(2, 5));
    EXPECT_TRUE(kov.kov_in_sel(5, 3));
    EXPECT_TRUE(kov.kov_in_sel(9, 0));
    EXPECT_FALSE(kov.kov_in_sel(1, 3));
    EXPECT_FALSE(kov.kov_in_sel(5, 6));
    kov.kov_cursor_to(4, 4);
    EXPECT_FALSE(kov.kov_in_sel(5, 3));
    kov.kov_select({1, 1, 3, 3}, 3, 3);
    EXPECT_TRUE(kov.kov_in_sel(2, 2));
}

namespace {

// Two sheets on disk: a.kov (open, R0C0 1) and b.kov (R0C0 2).
struct Open : APP {
    TmpDir dir;
    std::string a = dir / "a.kov", b = dir / "b.kov";
    void SetUp() override
    {
        APP::SetUp();
        kov.csv_put_num(0, 0, 2);
        ASSERT_EQ(kov.cse_fsave(b.c_str()), 0);
        kov.csv_put_num(0, 0, 1);
        ASSERT_EQ(kov.cse_fsave(a.c_str()), 0);
        host.calls.clear();
    }
    std::string sheet() { return strrchr(kov.csv_get_fname(), '/') + 1; }
};

} // namespace

// Each answer with a changed cell, then the same sheet opened again to see what was kept.
TEST_F(Open, UnsavedChangesAreAskedAbout)
{
    static const struct {
        int answer, rc;
        const char *after;   // the sheet open afterwards
        const char *cell;    // R0C0 of a.kov as opened again
    } rows[] = {
        {KOV_IDCANCEL, -1, "a.kov", "1"},
        {KOV_IDNO, 0, "b.kov", "1"},
        {KOV_IDYES, 0, "b.kov", "7"},
    };
    for (const auto &r : rows) {
        ASSERT_EQ(kov.kov_open(a.c_str()), 0);
        kov.csv_put_num(0, 0, 7);
        host.answer = r.answer, host.calls.clear();
        EXPECT_EQ(kov.kov_open(b.c_str()), r.rc) << r.answer;
        EXPECT_EQ(count("msgbox 非保存データを保存しますか"), 1);
        EXPECT_EQ(sheet(), r.after);
        EXPECT_EQ(kov.csv_get_num(0, 0), r.rc < 0 ? 7 : 2);   // kept as it was, or the other sheet
        host.answer = KOV_IDNO;
        kov.kov_open(a.c_str());
        EXPECT_EQ(cell(0, 0), r.cell) << r.answer;
        kov.csv_put_num(0, 0, 1), kov.cse_fsave(a.c_str());   // as it was for the next row
    }
    // Nothing changed: no question. A changed script counts as a change.
    host.calls.clear();
    EXPECT_EQ(kov.kov_open(b.c_str()), 0);
    EXPECT_EQ(count("msgbox 非保存データを保存しますか"), 0);
    host.host_ed_put("main() { }\n");
    host.answer = KOV_IDCANCEL;
    EXPECT_EQ(kov.kov_open(a.c_str()), -1);
    EXPECT_EQ(count("msgbox 非保存データを保存しますか"), 1);
    EXPECT_EQ(sheet(), "b.kov");
}

// A save that fails keeps the sheet and its changes; a running cycle refuses to open at all.
TEST_F(Open, FailedSaveAndRunStateKeepTheSheet)
{
    std::string gone = dir / "gone/a.kov";
    kov.csv_set_fname(gone.c_str());
    kov.csv_put_num(0, 0, 7);
    host.answer = KOV_IDYES;
    EXPECT_EQ(kov.kov_open(b.c_str()), -1);
    EXPECT_EQ(kov.csv_get_num(0, 0), 7);
    EXPECT_STREQ(kov.csv_get_fname(), gone.c_str());
    EXPECT_EQ(kov.csv_get_modify(), 1);
    kov.kov_tstat(TMCD_SET, TST_CYCLE_1000ms);
    host.calls.clear();
    EXPECT_EQ(kov.kov_open(b.c_str()), -1);
    EXPECT_TRUE(host.calls.empty());
}
