// The command table (sheet/kovcmd.h). The rows are written as the menus group them; ranges of
// like commands take their labels from a list and their tips from one pattern. Twin: the
// FORMAT keywords of fmt_keys in sheet/dsptext.cpp follow the rows 86..110.
#include "sheet/kovcmd.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr unsigned NOT_RUNNING = KCR_STOP | KCR_PAUSE | KCR_CALC | KCR_CYCLE;

struct ROWS {
    std::vector<KOV_CMD> v;
    KOV_CMD &one(int id, const char *label, const char *tip, unsigned flags = 0, const char *key = "")
    {
        v.push_back({id, label, tip, key, "", "", flags, 0});
        return v.back();
    }
    // Commands first, first + 1, ... with these labels; tip is a pattern of the label; a keyword
    // prefix (nullptr none) makes each the "celattr" keyword prefix + label.
    void range(int first, std::initializer_list<const char *> labels, const char *tip, unsigned flags = 0,
               const char *keyword = nullptr)
    {
        for (const char *l : labels) {
            char t[160];
            snprintf(t, sizeof t, tip, l);
            one(first++, l, t, flags).keyword = keyword ? std::string(keyword) + l : "";
        }
    }
    // A toolbar button: of a menu command (tip nullptr) or of its own.
    void button(int id, const char *label, const char *tip, unsigned run, unsigned flags = 0)
    {
        auto at = std::find_if(v.begin(), v.end(), [id](const KOV_CMD &c) { return c.id == id; });
        KOV_CMD &c = at != v.end() ? *at : one(id, "", tip);
        c.button = label, c.run = run, c.flags |= flags;
    }
};

void file_rows(ROWS &r)
{
    r.one(KVM_NEW, "新規オープン(&N)", "新しいウインドウを開く");
    r.one(KVM_OPEN, "ファイル読込(&R)", "KOV/CSV ファイルを読み込む", 0, "Ctrl+O");
    r.one(KVM_SAVE_AS, "ファイル保存(&S)", "名前を付けて KOV ファイルに保存", 0, "Ctrl+Shift+S");
    r.one(KVM_SAVE, "現ファイルに上書(&U)", "現在のファイルに上書き保存", 0, "Ctrl+S");
    r.one(KVM_CSV_SAVE, "CSV 保存(&C)", "値だけを CSV ファイルに保存");
    r.one(KVM_PRINT_ALL, "全データ印刷(&A)", "全データを印刷");
    r.one(KVM_PRINT_SEL, "選択領域印刷(&S)", "選択領域を印刷");
    r.one(KVM_QUIT, "終了(&Q)", "終了", 0, "Ctrl+Q");
    // Reached by number only (scripts, files).
    r.one(KVM_NEW_1, "", "新しいウインドウを開く");
    r.one(KVM_CSV_OPEN, "", "CSV ファイルを読み込む");
    r.one(KVM_CSV_OVERWRITE, "", "現在の CSV ファイルに上書き保存");
}

void move_rows(ROWS &r)
{
    r.range(KVM_MARK1, {"マーク 1 (&1)", "マーク 2 (&2)", "マーク 3 (&3)", "マーク 4 (&4)"}, "%s の位置を記録");
    r.range(KVM_JUMP1, {"マーク 1 (&1)", "マーク 2 (&2)", "マーク 3 (&3)", "マーク 4 (&4)"}, "%s の位置へ移動");
    r.one(KVM_GO_FIRST, "先頭セルへ移動(&T)", "R0C0 へ移動");
    r.one(KVM_GO_ROW, "行位置移動(&R)", "指定行へ移動");
    r.one(KVM_GO_COL, "列位置移動(&C)", "指定列へ移動");
    r.one(KVM_GO_USED, "最終非空白セルへ移動(&L)", "値のある最後のセルへ移動");
    r.one(KVM_GO_LAST, "最終セルへ移動(&E)", "シートの最後のセルへ移動");
    r.one(KVM_FIND_FWD, "前方検索(&F)", "前方に検索", 0, "Ctrl+F");
    r.one(KVM_FIND_BACK, "後方検索(&B)", "後方に検索");
    r.one(KVM_FIND_NEXT, "前方再検索(&N)", "前方に再検索", 0, "F3");
    r.one(KVM_FIND_PREV, "後方再検索(&P)", "後方に再検索");
    r.one(KVM_DIAMOND, "ダイヤモンドカーソル(&D)", "ダイヤモンドカーソル表示/非表示", KCF_CHECK);
}

void whole_rows(ROWS &r)
{
    r.one(KVM_COPY_ALL_BIN, "全体バイナリコピー(&B)", "シート全体を属性・セル式ごとコピー");
    r.one(KVM_COPY_ALL_TEXT, "全体テキストコピー(&T)", "シート全体の値をコピー");
    r.one(KVM_PASTE_ALL, "全体ペースト(&P)", "R0C0 にペースト", KCF_SHEET);
    r.range(KVM_WIDE_ALL_10, {"デフォルト 10(&0)", "2", "4", "8", "12", "16", "20", "24", "28", "32", "36", "40"}, "全列幅を %s 桁に", KCF_SHEET);
    r.one(KVM_AUTOWIDE, "列幅自動調整(&Z)", "列幅を内容に合わせる", KCF_SHEET);
    r.one(KVM_DEL_ALL, "全体削除(&D)", "全データと属性を消去", KCF_SHEET);
    r.one(KVM_CLR_ALL_DATA, "全データ消去(&E)", "全データを消去", KCF_SHEET);
    r.one(KVM_CLR_ALL_ATTR, "全属性消去(&W)", "全属性を消去", KCF_SHEET);
    r.one(KVM_RESIZE, "行列サイズ(&A)", "シートの列数と行数を変更", KCF_SHEET);
}

void view_rows(ROWS &r)
{
    r.one(KVM_TOOLBAR, "ツールバー(&T)", "ツールバー表示/非表示", KCF_CHECK);
    r.one(KVM_ROWNAME, "行名(&R)", "行名表示/非表示", KCF_CHECK);
    r.one(KVM_COLNAME, "列名(&C)", "列名表示/非表示", KCF_CHECK);
    r.one(KVM_HSCROLL, "横スクロールバー(&H)", "横スクロールバー表示/非表示", KCF_CHECK);
    r.one(KVM_VSCROLL, "縦スクロールバー(&V)", "縦スクロールバー表示/非表示", KCF_CHECK);
    r.one(KVM_STATBAR, "ステータスバー(&U)", "ステータスバー表示/非表示", KCF_CHECK);
    r.one(KVM_FONT_LARGE, "大(&L)", "文字の高さ 24");
    r.one(KVM_FONT_MEDIUM, "中(&M)", "文字の高さ 16");
    r.one(KVM_FONT_SMALL, "小(&S)", "文字の高さ 12");
    r.one(KVM_CNROW, "指定行を列名に(&X)", "カーソル行を列名に (再選択で解除)");
    r.one(KVM_RNCOL, "指定列を行名に(&Y)", "カーソル列を行名に (再選択で解除)");
    r.one(KVM_SCRLOCK, "スクーンロック(&Z)", "スクリーン・ロック/解除", KCF_CHECK);
    r.range(KVM_SIZE_648x432, {"648x432", "864x576", "1080x720", "1296x864", "1512x1008", "1728x1152", "768x432", "1024x576", "1280x720", "1536x864", "1792x1008", "2048x1152"}, "%s 画素に変更");
    r.one(KVM_WPBEEP, "貼付部品操作音(&G)", "部品操作時のビープ音 有/無", KCF_CHECK);
    r.one(KVM_PARTS_HIDE, "一時非表示(&H)", "貼付部品を一時非表示");
    r.one(KVM_PARTS_SHOW, "非表示解除(&F)", "貼付部品の非表示を解除");
}

void run_rows(ROWS &r)
{
    r.one(KVM_CALC, "全体再計算(&A)", "全体再計算", 0, "F5");
    r.one(KVM_CYCLE_STOP, "周期再計算 停止(&0)", "周期再計算を停止").run = KCR_STOP | KCR_CYCLE;
    r.one(KVM_CYCLE_250, "周期再計算 約 1/4s(&2)", "約 1/4 秒周期で再計算").run = KCR_STOP | KCR_CYCLE;
    r.one(KVM_CYCLE_1000, "周期再計算 約 1s(&3)", "約 1 秒周期で再計算").run = KCR_STOP | KCR_CYCLE;
    r.one(KVM_CYCLE_10000, "周期再計算 約 10s(&4)", "約 10 秒周期で再計算").run = KCR_STOP | KCR_CYCLE;
    r.one(KVM_EDIT_SCRIPT, "スクリプト編集(&E)", "スクリプト編集ウインドウ表示");
    r.one(KVM_F07_RUN, "スクリプト実行開始(&G)", "スクリプト実行開始", 0, "F7");
    r.one(KVM_F08_STEP, "スクリプトステップ(&S)", "スクリプトステップ実行", 0, "F8");
    r.one(KVM_F09_PAUS, "スクリプト一時停止(&P)", "スクリプト一時停止", 0, "F9");
    r.one(KVM_F11_CONT, "スクリプト実行継続(&C)", "スクリプト実行継続", 0, "F11");
    r.one(KVM_F12_STOP, "スクリプト実行停止(&H)", "スクリプト実行停止", 0, "F12");
    r.one(KVM_VIEW_VARS, "スクリプト変数一覧(&V)", "変数一覧ウインドウ");
    r.one(KVM_VIEW_FUNCS, "スクリプト関数一覧(&F)", "関数一覧ウインドウ");
    r.one(KVM_VIEW_STACK, "スクリプトスタック(&C)", "スタック履歴ウインドウ");
    r.one(KVM_USAGE, "使用法(&M)", "使用法を表示", 0, "F1");
    r.one(KVM_VERSION, "バージョン(&V)", "バージョン表示");
    r.one(KVM_ASSOC, "", "拡張子 kov を関連づけ");
}

void cell_rows(ROWS &r)
{
    r.one(KVM_REEDIT, "再編集(&M)", "選択セルを再編集");
    r.one(KVM_CALC_SEL, "選択領域の再計算(&I)", "選択領域を再計算");
    r.one(KVM_COPY_BIN, "バイナリコピー(&B)", "選択領域を属性・セル式ごとコピー", 0, "Ctrl+C");
    r.one(KVM_COPY_TEXT, "テキストコピー(&T)", "選択領域の値をテキストでコピー");
    r.one(KVM_COPY_NAME, "領域名コピー(&S)", "選択領域の名前をコピー");
    r.one(KVM_PASTE, "ペースト(&P)", "選択位置にペースト", KCF_SHEET, "Ctrl+V");
    r.one(KVM_MOVE, "移動(&M)", "コピーした領域を選択位置に移動", KCF_SHEET);
    r.one(KVM_CLR_DATA, "データのみ消去(&D)", "選択領域の値とセル式を消去", KCF_SHEET);
    r.one(KVM_CLR_ATTR, "属性のみ消去(&A)", "選択領域の属性を消去", KCF_SHEET);
    r.one(KVM_CLR_CELLS, "データと属性を消去(&C)", "選択領域をすべて消去", KCF_SHEET);
    r.one(KVM_INS_ROWS, "行挿入(&R)", "選択行数分の行を挿入", KCF_SHEET);
    r.one(KVM_INS_COLS, "列挿入(&C)", "選択列数分の列を挿入", KCF_SHEET);
    r.one(KVM_DEL_ROWS, "行削除(&H)", "選択行を削除", KCF_SHEET);
    r.one(KVM_DEL_COLS, "列削除(&V)", "選択列を削除", KCF_SHEET);
    r.one(KVM_SORT_UP, "昇順(&A)", "選択列をキーに昇順ソート", KCF_SHEET);
    r.one(KVM_SORT_DOWN, "降順(&D)", "選択列をキーに降順ソート", KCF_SHEET);
    r.one(KVM_ROT_UP, "上へ(&U)", "選択行を 1 行上へ回転", KCF_SHEET);
    r.one(KVM_ROT_DOWN, "下へ(&D)", "選択行を 1 行下へ回転", KCF_SHEET);
    r.one(KVM_REF_ABS, "絶対セル名に統一(&A)", "選択領域のセル名を絶対に", KCF_SHEET);
    r.one(KVM_REF_REL, "相対セル名に統一(&R)", "選択領域のセル名を相対に", KCF_SHEET);
    r.range(KVM_RAND_10, {"0-9", "0-99", "0-999", "0-9999", "0-0xFF", "0-0xFFFF", "0-0xFFFFFF", "-9-9", "-99-99", "-999-999", "-9999-9999", "0-1 小数", "英字列"}, "乱数 %s を設定", KCF_SHEET);
    r.one(KVM_SERIAL_0, "0 から(&0)", "0 からの連番", KCF_SHEET);
    r.one(KVM_SERIAL_1, "1 から(&1)", "1 からの連番", KCF_SHEET);
    r.range(KVM_WIDE_SEL_10, {"10 桁", "2 桁", "4 桁", "8 桁", "12 桁", "16 桁", "20 桁", "24 桁", "28 桁", "32 桁", "36 桁", "40 桁"}, "選択列の幅を %s に", KCF_SHEET);
}

// The attribute commands and their "celattr" keywords.
void attr_rows(ROWS &r)
{
    static const char *const colors[] = {"DEFAULT", "BLACK", "WHITE", "WINDOW", "GRAY", "BLUE", "RED", "MAGENTA", "GREEN", "CYAN", "YELLOW"};
    auto color_range = [&](int first, const char *tip, const char *keyword) {
        for (const char *c : colors) r.range(first++, {c}, tip, KCF_SHEET, keyword);
    };
    r.range(KVM_INPUT_AUTO, {"INPUT,AUTO", "INPUT,STR", "INPUT,NUM", "INPUT,NONE"}, "入力制限 %s", KCF_SHEET, "");
    r.range(KVM_FMT_G, {"FORMAT,g", "FORMAT,e", "FORMAT,f.0", "FORMAT,f.1", "FORMAT,f.2", "FORMAT,f.3", "FORMAT,f.4", "FORMAT,f.5", "FORMAT,f.6", "FORMAT,f.7", "FORMAT,f.8", "FORMAT,f.9", "FORMAT,f.10", "FORMAT,f.11", "FORMAT,f.12", "FORMAT,f.13", "FORMAT,f.14", "FORMAT,f.15", "FORMAT,x.1", "FORMAT,x.2", "FORMAT,x.4", "FORMAT,x.6", "FORMAT,x.8", "FORMAT,x.10", "FORMAT,x.12"}, "数値表示 %s", KCF_SHEET, "");
    color_range(KVM_TEXT_DEFAULT, "文字色 %s", "TEXT,");
    color_range(KVM_BACK_DEFAULT, "背景色 %s", "BACK,");
    r.range(KVM_LINE_ARRAY, {"LINE,ARRAY", "LINE,BOX", "LINE,HLINE", "LINE,VLINE", "LINE,NONE"}, "罫線 %s", KCF_SHEET, "");
    r.one(KVM_ATTR_CLEAR, "セル属性解除(&D)", "選択領域の属性をすべて解除", KCF_SHEET);
    static const std::initializer_list<const char *> totals = {"SUM", "AVERAGE", "HARMEAN", "GEOMEAN", "MAX", "MIN", "VARP", "VAR", "STDEVP", "STDEV", "COVAR", "回帰直線", "CORREL", "COUNT", "MEDIAN"};
    r.range(KVM_DOWN_SUM, totals, "選択領域の下に %s", KCF_SHEET);
    r.range(KVM_RIGHT_SUM, totals, "選択領域の右に %s", KCF_SHEET);
    r.one(KVM_MEQUATION, "連立一次方程式(&L)", "n 行 n+1 列の係数から MEQUATION を追加", KCF_SHEET);
}

// The insert-part commands: menu label, status hint and the formula each writes. In a formula
// {w} and {h} are the selection's columns and rows, {h-1} one row less, {} the placeholder
// (the caret goes there) and {file} the chosen picture. Twin: the submenus of ui/mainwin.cpp
// group these ids in this order.
struct PART_NEW {
    int id;
    const char *label, *tip, *form;
    int need;
    const char *prompt;
    const char *form2 = nullptr;
};

constexpr const char *AREA_COMBO = "コンボボックス・データ領域", *AREA_GRAPH = "簡易グラフ・データ領域";
constexpr const char *AREA_SHADOW = "簡易影絵データ領域", *ASK_TEXT = "文字列を入力してください";
constexpr const char *PROVISIONAL = "仮設定です。必要な値に再設定してください\n部品右クリックメニューに HELP があります\n";

const std::vector<PART_NEW> &part_news()
{
    static const std::vector<PART_NEW> t = [] {
        std::vector<PART_NEW> v = {
            {172, "凸枠背景(&P)", "凸枠背景", "wpBACK({w},{h},\"PULLF\",\"\")", KPN_READY, ""},
            {173, "枠無背景(&F)", "枠無背景", "wpBACK({w},{h},\"\",\"\")", KPN_READY, ""},
            {174, "凸枠画像背景(&G)", "凸枠画像背景", "wpBACK({w},{h},\"PULLF\",\"{file}\")", KPN_FILE, ""},
            {175, "無地押しボタン(&P)", "無地押しボタン", "wpPUSH({w},{h},\"\",\"push\",\"\")", KPN_READY, ""},
            {176, "画像押しボタン(&F)", "画像押しボタン", "wpPUSH({w},{h},\"\",\"push\",\"{file}\")", KPN_FILE, ""},
            {177, "リピートボタン(&R)", "リピートボタン", "wpPUSH({w},{h},\"REPEAT\",\"repeat\",\"\")", KPN_READY, ""},
            {178, "ロックボタン(&L)", "ロックボタン", "wpPUSHLOCK({w},{h},\"\",\"lock\",\"Yellow\",RC)", KPN_READY, ""},
            {179, "枠無チェック(&F)", "枠無チェック", "wpCHECK({w},{h},\"\",\"check\",RC)", KPN_READY, ""},
            {180, "凹枠チェック(&L)", "凹枠チェック", "wpCHECK({w},{h},\"PUSHF\",\"check\",RC)", KPN_READY, ""},
            {181, "凸枠チェック(&H)", "凸枠チェック", "wpCHECK({w},{h},\"PULLF\",\"check\",RC)", KPN_READY, ""},
            {182, "横スクロール(&H)", "横スクロール", "wpHSCROLL({w},{h},\"\",1000,RC,0)", KPN_READY, ""},
            {183, "縦スクロール(&V)", "縦スクロール", "wpVSCROLL({w},{h},\"\",1000,RC,0)", KPN_READY, ""},
            {184, "項目選択(&I)", "項目選択コンボ", "wpICOMBO({w},{h},\"\",{},RC)", KPN_AREA, AREA_COMBO},
            {185, "文字列選択(&S)", "文字列選択コンボ", "wpSCOMBO({w},{h},\"\",{},RC)", KPN_AREA, AREA_COMBO},
            {186, "文字列入力(&E)", "文字列入力コンボ", "wpECOMBO({w},{h},\"\",{},RC)", KPN_AREA, AREA_COMBO},
            {187, "リストボックス(&L)", "リストボックス", "wpILIST({w},{h},\"PUSHF\",{},RC)", KPN_AREA, "リストボックス・データ領域"},
            {188, "色ランプ(&A)", "色ランプ", "wpTNLAMP({w},{h},\"\",\"lamp\",\"red\")", KPN_READY, ""},
            {189, "縦棒グラフ(&0)", "縦棒グラフ", "wpTNGRAPH({w},{h},\"PUSHF,VBAR\",{},0,0,\"DarkGray\",\"White\")", KPN_AREA, AREA_GRAPH},
            {190, "横棒グラフ(&1)", "横棒グラフ", "wpTNGRAPH({w},{h},\"PUSHF,HBAR\",{},0,0,\"DarkGray\",\"White\")", KPN_AREA, AREA_GRAPH},
            {191, "縦折線グラフ(&3)", "縦折線グラフ", "wpTNGRAPH({w},{h},\"PUSHF,VLINE\",{},0,0,\"DarkGray\",\"White\")", KPN_AREA, AREA_GRAPH},
            {192, "横折線グラフ(&2)", "横折線グラフ", "wpTNGRAPH({w},{h},\"PUSHF,HLINE\",{},0,0,\"DarkGray\",\"White\")", KPN_AREA, AREA_GRAPH},
            {193, "モノクロ1(&0)", "モノクロ0~1", "wpTNSHADOW({w},{h},\"PUSHF,MONO\",{})", KPN_AREA, AREA_SHADOW},
            {194, "モノクロ8(&1)", "モノクロ8bit", "wpTNSHADOW({w},{h},\"PUSHF,MONO8\",{})", KPN_AREA, AREA_SHADOW},
            {195, "カラー24(&2)", "カラー 24bit", "wpTNSHADOW({w},{h},\"PUSHF,RGB24\",{})", KPN_AREA, AREA_SHADOW},
        };
        // The twelve display styles, for the text display and the two step settings.
        static const char *const styles[][3] = {
            {"LCD(&L)", "LCD", "LCD1"}, {"LED 橙(&O)", "LED 橙", "LEDO"}, {"LED 黄(&Y)", "LED 黄", "LEDY"},
            {"LED 緑(&G)", "LED 緑", "LEDG"}, {"LED 青緑(&C)", "LED 青緑", "LEDC"}, {"LED 白(&W)", "LED 白", "LEDW"},
            {"白背景(&0)", "白背景", "WHITE"}, {"赤背景(&1)", "赤背景", "RED"}, {"黄背景(&2)", "黄背景", "YELLOW"},
            {"緑背景(&3)", "緑背景", "GREEN"}, {"シアン(&4)", "シアン", "CYAN"}, {"黒背景(&5)", "黒背景", "BLACK"}};
        static std::vector<std::string> forms;   // the rows point into it
        forms.reserve(36);
        static const char *const kinds[] = {"wpTPUTS({w},{h},\"PUSHF\",\"{}\",\"%s\")",
                                            "wpVGETD({w},{h},\"PUSHF\",\"%s\",0,100,1,RC)",
                                            "wpHGETD({w},{h},\"PUSHF\",\"%s\",0,100,1,RC)"};
        int id = 196;
        for (int k = 0; k < 3; k++)
            for (auto &s : styles) {
                char f[128];
                snprintf(f, sizeof f, kinds[k], s[2]);
                forms.push_back(f);
                v.push_back({id++, s[0], s[1], forms.back().c_str(), k ? KPN_READY : KPN_TEXT, k ? "" : ASK_TEXT});
            }
        const std::vector<PART_NEW> rest = {
            {232, "白ボード(&W)", "白ボード", "wpTNBOARD({w},{h},\"PUSHF\",\"white\")", KPN_READY, ""},
            {233, "黒ボード(&B)", "黒ボード", "wpTNBOARD({w},{h},\"PUSHF\",\"black\")", KPN_READY, ""},
            {234, "画像ボード(&P)", "画像ボード", "wpTNBOARD({w},{h},\"PUSHF\",\"{file}\")", KPN_FILE, ""},
            {235, "キー入力有効(&I)", "シリアル通信(キー入力有効) 5 行以上必要", "wpTNCOM({w},{h},\"PUSHF,FOCUS\",\"COM1\",9600,8,1,\"N\",\"NOFROW\",\"\\n\")", KPN_READY, PROVISIONAL},
            {236, "キー入力無効(&N)", "シリアル通信(キー入力無効) 5 行以上必要", "wpTNCOM({w},{h},\"PUSHF\",\"COM1\",9600,8,1,\"N\",\"NOFROW\",\"\\n\")", KPN_READY, PROVISIONAL},
            {237, "LISTEN キー入力有(&A)", "LISTEN ソケット (キー入力有効)5 行以上必要", "wpTNSOCK({w},{h},\"PUSHF,FOCUS,LISTEN\",\"localhost\",1000,\"\\n\")", KPN_READY, PROVISIONAL},
            {238, "CONNECT キー入力有(&B)", "CONNECT ソケット (キー入力有効)5 行以上必要", "wpTNSOCK({w},{h},\"PUSHF,FOCUS,CONNECT\",\"localhost\",1000,\"\\n\")", KPN_READY, PROVISIONAL},
            {239, "LISTEN キー入力無(&C)", "LISTEN ソケット (キー入力無効)5 行以上必要", "wpTNSOCK({w},{h},\"PUSHF,NOFOCUS,LISTEN\",\"localhost\",1000,\"\\n\")", KPN_READY, PROVISIONAL},
            {240, "CONNECT キー入力無(&D)", "CONNECT ソケット (キー入力無効)5 行以上必要", "wpTNSOCK({w},{h},\"PUSHF,NOFOCUS,CONNECT\",\"localhost\",1000,\"\\n\")", KPN_READY, PROVISIONAL},
            {241, "10s 周期(&A)", "10s 周期タイマ", "wpTNTIMER({w},{h},\"PUSHF,ASTABLE\",\"LCD1\",100)", KPN_READY, ""},
            {242, "10s 単発(&M)", "10s 単発タイマ", "wpTNTIMER({w},{h},\"PUSHF,MONOSTABLE\",\"LCD1\",100)", KPN_READY, ""},
            {243, "可変周期(&A)", "可変周期タイマ", "wpHSCROLL({w},1,\"\",100,RC,0)", KPN_READY, "", "wpTNTIMER({w},{h-1},\"PUSHF,ASTABLE\",\"LCD1\",R[-1]C)"},
            {244, "可変単発(&M)", "可変単発タイマ", "wpHSCROLL({w},1,\"\",100,RC,0)", KPN_READY, "", "wpTNTIMER({w},{h-1},\"PUSHF,MONOSTABLE\",\"LCD1\",R[-1]C)"},
            {245, "hh:mm.ss(&0)", "JST HH:MM.ss 形式", "wpTNCLOCK({w},{h},\"PUSHF\",\"hh:mm.ss\",\"LCD1\",9*3600)", KPN_READY, ""},
            {246, "hh:mm(&1)", "JST HH:MM 形式", "wpTNCLOCK({w},{h},\"PUSHF\",\"hh:mm\",\"LCD1\",9*3600)", KPN_READY, ""},
            {247, "YYYY/MM/DD hh:mm.ss(&2)", "JST YYYY/MM/DD HH:MM.ss 形式", "wpTNCLOCK({w},{h},\"PUSHF\",\"YYYY/MM/DD hh:mm.ss\",\"LCD1\",9*3600)", KPN_READY, ""},
            {248, "YYYY/MM/DD hh:mm(&3)", "JST YYYY/MM/DD HH:MM 形式", "wpTNCLOCK({w},{h},\"PUSHF\",\"YYYY/MM/DD hh:mm\",\"LCD1\",9*3600)", KPN_READY, ""},
        };
        v.insert(v.end(), rest.begin(), rest.end());
        return v;
    }();
    return t;
}

const PART_NEW *part_new(int id)
{
    for (const PART_NEW &p : part_news())
        if (p.id == id) return &p;
    return nullptr;
}

// A template made concrete; the caret lands where {} was.
std::string part_fill(const char *t, int w, int h, const char *file, int *caret)
{
    std::string out;
    auto put = [&](const char *key, const std::string &v) {
        size_t n = strlen(key);
        if (strncmp(t, key, n) != 0) return false;
        out += v, t += n;
        return true;
    };
    while (*t) {
        if (put("{w}", std::to_string(w)) || put("{h}", std::to_string(h)) || put("{h-1}", std::to_string(h - 1)) ||
            put("{file}", file))
            continue;
        if (strncmp(t, "{}", 2) == 0) {
            if (caret) *caret = int(out.size());
            t += 2;
            continue;
        }
        out += *t++;
    }
    return out;
}

void part_rows(ROWS &r)
{
    for (const PART_NEW &p : part_news()) r.one(p.id, p.label, p.tip, KCF_SHEET);
    r.one(KVM_PART_EDIT, "部品セル式再編集(&E)", "指定部品のセル式を再編集");
    r.one(KVM_PART_HELP, "部品ＨＥＬＰ表示(&H)", "指定部品のＨＥＬＰを表示");
    r.one(KVM_PART_PICTURE, "部品画像コピー(&G)", "指定部品の画像をコピー");
    r.one(KVM_PART_COPY, "部品コピー(&F)", "指定部品をコピー");
    r.one(KVM_PART_NAME, "部品セル名コピー(&P)", "指定部品のセル名をコピー");
    r.one(KVM_PART_FIT, "ウインドウを部品サイズに揃える(&M)", "ウインドウを指定部品サイズに揃える");
    r.one(KVM_PART_HIDE, "部品一時非表示(&D)", "指定部品を一時非表示。(メインメニューで非表示解除)");
    r.one(KVM_PART_DELETE, "部品削除(&D)", "指定部品を削除", KCF_SHEET);
}

// The toolbar, in its order; the run states that enable each button (KCR_*).
void toolbar_rows(ROWS &r)
{
    r.button(KVM_TB_HELP, "HELP", "HELP ウインドウ表示/非表示", NOT_RUNNING);
    r.button(KVM_TB_EDIT, "編集", "選択セルを再編集", KCR_STOP | KCR_PAUSE);
    r.button(KVM_TB_MOVE, "移動", "セル位置移動メニュー", NOT_RUNNING);
    r.button(KVM_TB_WHOLE, "全体", "セル全体操作メニュー", NOT_RUNNING);
    r.button(KVM_TB_FIND, "検索", "前方再検索(SHIFT で後方再検索)", NOT_RUNNING, KCF_GAP);
    r.button(KVM_CALC, "計算", nullptr, KCR_STOP);
    r.button(KVM_F07_RUN, "RUN ", nullptr, KCR_STOP);
    r.button(KVM_F08_STEP, "STEP", nullptr, KCR_STOP | KCR_STEP | KCR_PAUSE);
    r.button(KVM_F09_PAUS, "PAUS", nullptr, KCR_RUN | KCR_STEP, KCF_GAP);
    r.button(KVM_F11_CONT, "CONT", nullptr, KCR_PAUSE);
    r.button(KVM_F12_STOP, "STOP", nullptr, KCR_RUN | KCR_STEP | KCR_PAUSE);
    r.button(KVM_TB_ADJUST, "    ", "画面位置調整", 0, KCF_GAP);
}

std::vector<KOV_CMD> make_table()
{
    ROWS r;
    for (auto rows : {file_rows, move_rows, whole_rows, view_rows, run_rows, cell_rows, attr_rows, part_rows, toolbar_rows})
        rows(r);
    std::sort(r.v.begin(), r.v.end(), [](const KOV_CMD &a, const KOV_CMD &b) { return a.id < b.id; });
    return std::move(r.v);
}

} // namespace

const std::vector<KOV_CMD> &kov_cmds()
{
    static const std::vector<KOV_CMD> table = make_table();
    return table;
}

const KOV_CMD *kov_cmd(int id)
{
    const auto &t = kov_cmds();
    auto at = std::lower_bound(t.begin(), t.end(), id, [](const KOV_CMD &c, int v) { return c.id < v; });
    return at != t.end() && at->id == id ? &*at : nullptr;
}

int kov_cmd_by_keyword(const char *keyword)
{
    if (!keyword || !*keyword) return -1;
    for (const KOV_CMD &c : kov_cmds())
        if (c.keyword == keyword) return c.id;
    return -1;
}

int kov_cmd_enabled(int state, int id)
{
    const KOV_CMD *c = kov_cmd(id);
    if (!c || state < 0 || state > 7) return 0;
    return c->run == 0 || (c->run >> state & 1) ? 1 : 0;
}

bool kov_is_part_new(int id) { return part_new(id) != nullptr; }

int kov_part_form(int id, int w, int h, const char *file, KOV_PARTFORM &f)
{
    const PART_NEW *p = part_new(id);
    if (!p) return -1;
    f = KOV_PARTFORM();
    f.need = p->need;
    f.prompt = p->prompt;
    // A combo box's list drops below its field; the variable timers put their scroll bar above.
    f.rows = (id >= 184 && id <= 186) || p->form2 ? 2 : 1;
    f.form = part_fill(p->form, w, h, file ? file : "", &f.caret);
    if (p->form2) f.form2 = part_fill(p->form2, w, h, file ? file : "", nullptr);
    return 0;
}
