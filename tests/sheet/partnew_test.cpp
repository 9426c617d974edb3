// The insert-part commands: the formula each writes for a selection, where the caret goes, the
// rows a part needs, and the labels and hints of the command table.
#include "sheet/kovcmd.h"

#include <gtest/gtest.h>
#include <set>

namespace {

struct ROW {
    int id, w, h;
    const char *file;
    const char *form;      // the placeholder shown as |
    const char *form2;
    int need, rows;
};

std::string with_caret(const KOV_PARTFORM &f)
{
    std::string s = f.form;
    if (f.caret >= 0) s.insert(size_t(f.caret), "|");
    return s;
}

} // namespace

TEST(PartNew, FormulasForTheSelection)
{
    const ROW rows[] = {
        {172, 3, 2, "", "wpBACK(3,2,\"PULLF\",\"\")", "", KPN_READY, 1},
        {174, 1, 1, "pic/a.png", "wpBACK(1,1,\"PULLF\",\"pic/a.png\")", "", KPN_FILE, 1},
        {176, 2, 1, "b.jpg", "wpPUSH(2,1,\"\",\"push\",\"b.jpg\")", "", KPN_FILE, 1},
        {177, 1, 1, "", "wpPUSH(1,1,\"REPEAT\",\"repeat\",\"\")", "", KPN_READY, 1},
        {178, 2, 1, "", "wpPUSHLOCK(2,1,\"\",\"lock\",\"Yellow\",RC)", "", KPN_READY, 1},
        {180, 1, 1, "", "wpCHECK(1,1,\"PUSHF\",\"check\",RC)", "", KPN_READY, 1},
        {181, 1, 1, "", "wpCHECK(1,1,\"PULLF\",\"check\",RC)", "", KPN_READY, 1},
        {183, 1, 5, "", "wpVSCROLL(1,5,\"\",1000,RC,0)", "", KPN_READY, 1},
        {184, 2, 2, "", "wpICOMBO(2,2,\"\",|,RC)", "", KPN_AREA, 2},
        {186, 2, 3, "", "wpECOMBO(2,3,\"\",|,RC)", "", KPN_AREA, 2},
        {187, 2, 4, "", "wpILIST(2,4,\"PUSHF\",|,RC)", "", KPN_AREA, 1},
        {188, 1, 1, "", "wpTNLAMP(1,1,\"\",\"lamp\",\"red\")", "", KPN_READY, 1},
        {191, 4, 4, "", "wpTNGRAPH(4,4,\"PUSHF,VLINE\",|,0,0,\"DarkGray\",\"White\")", "", KPN_AREA, 1},
        {192, 4, 4, "", "wpTNGRAPH(4,4,\"PUSHF,HLINE\",|,0,0,\"DarkGray\",\"White\")", "", KPN_AREA, 1},
        {195, 3, 3, "", "wpTNSHADOW(3,3,\"PUSHF,RGB24\",|)", "", KPN_AREA, 1},
        {196, 3, 1, "", "wpTPUTS(3,1,\"PUSHF\",\"|\",\"LCD1\")", "", KPN_TEXT, 1},
        {207, 3, 1, "", "wpTPUTS(3,1,\"PUSHF\",\"|\",\"BLACK\")", "", KPN_TEXT, 1},
        {208, 1, 3, "", "wpVGETD(1,3,\"PUSHF\",\"LCD1\",0,100,1,RC)", "", KPN_READY, 1},
        {231, 3, 1, "", "wpHGETD(3,1,\"PUSHF\",\"BLACK\",0,100,1,RC)", "", KPN_READY, 1},
        {234, 5, 5, "x.bmp", "wpTNBOARD(5,5,\"PUSHF\",\"x.bmp\")", "", KPN_FILE, 1},
        {236, 4, 6, "", "wpTNCOM(4,6,\"PUSHF\",\"COM1\",9600,8,1,\"N\",\"NOFROW\",\"\\n\")", "", KPN_READY, 1},
        {239, 4, 6, "", "wpTNSOCK(4,6,\"PUSHF,NOFOCUS,LISTEN\",\"localhost\",1000,\"\\n\")", "", KPN_READY, 1},
        {242, 2, 1, "", "wpTNTIMER(2,1,\"PUSHF,MONOSTABLE\",\"LCD1\",100)", "", KPN_READY, 1},
        {243, 3, 4, "", "wpHSCROLL(3,1,\"\",100,RC,0)", "wpTNTIMER(3,3,\"PUSHF,ASTABLE\",\"LCD1\",R[-1]C)", KPN_READY, 2},
        {244, 3, 2, "", "wpHSCROLL(3,1,\"\",100,RC,0)", "wpTNTIMER(3,1,\"PUSHF,MONOSTABLE\",\"LCD1\",R[-1]C)", KPN_READY, 2},
        {247, 6, 1, "", "wpTNCLOCK(6,1,\"PUSHF\",\"YYYY/MM/DD hh:mm.ss\",\"LCD1\",9*3600)", "", KPN_READY, 1},
    };
    for (const ROW &r : rows) {
        KOV_PARTFORM f;
        ASSERT_EQ(kov_part_form(r.id, r.w, r.h, r.file, f), 0) << r.id;
        EXPECT_EQ(with_caret(f), r.form) << r.id;
        EXPECT_EQ(f.form2, r.form2) << r.id;
        EXPECT_EQ(f.need, r.need) << r.id;
        EXPECT_EQ(f.rows, r.rows) << r.id;
    }
}

TEST(PartNew, PromptsAndNotes)
{
    const std::pair<int, const char *> rows[] = {
        {184, "コンボボックス・データ領域"}, {187, "リストボックス・データ領域"}, {190, "簡易グラフ・データ領域"},
        {194, "簡易影絵データ領域"},         {200, "文字列を入力してください"},
        {238, "仮設定です。必要な値に再設定してください\n部品右クリックメニューに HELP があります\n"},
        {175, ""},
    };
    for (auto &r : rows) {
        KOV_PARTFORM f;
        ASSERT_EQ(kov_part_form(r.first, 1, 1, "", f), 0);
        EXPECT_EQ(f.prompt, r.second) << r.first;
    }
}

// Every id of the range is an insert-part command with a label and its hint; nothing outside.
TEST(PartNew, CommandRows)
{
    std::set<std::string> labels;
    for (int id = KVM_PART_NEW_FIRST; id <= KVM_PART_NEW_LAST; id++) {
        const KOV_CMD *c = kov_cmd(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_TRUE(kov_is_part_new(id)) << id;
        EXPECT_FALSE(c->label.empty()) << id;
        EXPECT_TRUE(c->flags & KCF_SHEET) << id;
    }
    const std::tuple<int, const char *, const char *> rows[] = {
        {172, "凸枠背景(&P)", "凸枠背景"},          {184, "項目選択(&I)", "項目選択コンボ"},
        {193, "モノクロ1(&0)", "モノクロ0~1"},     {195, "カラー24(&2)", "カラー 24bit"},
        {197, "LED 橙(&O)", "LED 橙"},              {219, "黒背景(&5)", "黒背景"},
        {237, "LISTEN キー入力有(&A)", "LISTEN ソケット (キー入力有効)5 行以上必要"},
        {248, "YYYY/MM/DD hh:mm(&3)", "JST YYYY/MM/DD HH:MM 形式"},
    };
    for (auto &[id, label, tip] : rows) {
        EXPECT_EQ(kov_cmd(id)->label, label) << id;
        EXPECT_EQ(kov_cmd(id)->tip, tip) << id;
    }
    KOV_PARTFORM f;
    for (int id : {0, 171, 249, 317}) {
        EXPECT_FALSE(kov_is_part_new(id)) << id;
        EXPECT_EQ(kov_part_form(id, 1, 1, "", f), -1) << id;
    }
}
