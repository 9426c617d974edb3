#include "ui/mainwin.h"
#include "app/kov.h"
#include "app/kovfname.h"
#include "ui/grid.h"
#include "ui/qtext.h"
#include "ui/views.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>

#ifndef KOV_VERSION
#define KOV_VERSION "0.8"
#endif

KOV_MAINWIN::KOV_MAINWIN() : grid(new KOV_GRID(this)), editor(new KOV_EDITWIN(this))
{
    setCentralWidget(grid);
    statusBar();
    menus();
    toolbar();
    connect(grid, &KOV_GRID::cursor_moved, this, &KOV_MAINWIN::win_cell_info);
    connect(grid, &KOV_GRID::context, this, &KOV_MAINWIN::win_context);
    connect(grid, &KOV_GRID::status, this, [this](const QString &t) { statusBar()->showMessage(t); });
}

void KOV_MAINWIN::win_attach(KOV_U *k)
{
    kov = k;
    grid->grid_attach(k);
    win_title();
    win_run_state(k->kov_tstat(TMCD_GET));
}

QAction *KOV_MAINWIN::act(int id, const char *label, const char *tip)
{
    auto *a = new QAction(KQ(label), this);
    if (tip && *tip) a->setStatusTip(KQ(tip)), a->setToolTip(KQ(tip));
    connect(a, &QAction::triggered, this, [this, id] { win_command(id); });
    // The run commands keep the function keys their names carry; the rest what people expect.
    static const std::map<int, QKeySequence> keys = {
        {298, Qt::Key_F7}, {299, Qt::Key_F8}, {300, Qt::Key_F9}, {302, Qt::Key_F11}, {303, Qt::Key_F12},
        {297, Qt::Key_F5}, {306, QKeySequence::Open}, {308, QKeySequence::Save}, {307, QKeySequence::SaveAs},
        {262, QKeySequence::Copy}, {264, QKeySequence::Paste}, {7, QKeySequence::Quit}, {26, Qt::Key_F3},
        {24, QKeySequence::Find}, {288, QKeySequence::HelpContents},
    };
    if (acts[id].empty() && keys.count(id)) {
        a->setShortcut(keys.at(id));
        a->setShortcutContext(Qt::WindowShortcut);
    }
    acts[id].push_back(a);
    return a;
}

// A menu entry: a command, a separator (id 0, no label) or a submenu (id 0 with a label).
struct MENU_ITEM {
    int id;
    const char *label, *tip;
    std::vector<MENU_ITEM> sub;
};

static std::vector<MENU_ITEM> range_items(int first, std::initializer_list<const char *> labels, const char *tip_fmt)
{
    std::vector<MENU_ITEM> v;
    static std::vector<std::string> keep;   // the labels and tips live as long as the menus
    int id = first;
    for (const char *l : labels) {
        char t[128];
        snprintf(t, sizeof t, tip_fmt, l);
        keep.push_back(t);
        v.push_back({id++, l, nullptr, {}});
    }
    size_t k = keep.size() - v.size();
    for (auto &i : v) i.tip = keep[k++].c_str();
    return v;
}

void KOV_MAINWIN::add_menu(QMenu *m, const std::vector<MENU_ITEM> &items)
{
    for (const MENU_ITEM &i : items) {
        if (!i.id && !*i.label) m->addSeparator();
        else if (!i.id) add_menu(m->addMenu(KQ(i.label)), i.sub);
        else m->addAction(act(i.id, i.label, i.tip ? i.tip : i.label));
    }
}

const std::vector<MENU_ITEM> &KOV_MAINWIN::cell_menu()
{
    static const std::vector<MENU_ITEM> widths = range_items(70, {"10 桁", "2 桁", "4 桁", "8 桁", "12 桁", "16 桁", "20 桁", "24 桁", "28 桁", "32 桁", "36 桁", "40 桁"}, "選択列の幅を %s に");
    static const std::vector<MENU_ITEM> m = {
        {252, "再編集(&M)", "選択セルを再編集", {}},
        {261, "選択領域の再計算(&I)", "選択領域を再計算", {}},
        {0, "コピー", nullptr, {{262, "バイナリコピー(&B)", "選択領域を属性・セル式ごとコピー", {}},
                                {263, "テキストコピー(&T)", "選択領域の値をテキストでコピー", {}},
                                {260, "領域名コピー(&S)", "選択領域の名前をコピー", {}}}},
        {0, "ペースト", nullptr, {{264, "ペースト(&P)", "選択位置にペースト", {}},
                                  {265, "移動(&M)", "コピーした領域を選択位置に移動", {}}}},
        {0, "消去", nullptr, {{266, "データのみ消去(&D)", "選択領域の値とセル式を消去", {}},
                              {267, "属性のみ消去(&A)", "選択領域の属性を消去", {}},
                              {268, "データと属性を消去(&C)", "選択領域をすべて消去", {}}}},
        {0, "行列", nullptr, {{253, "行挿入(&R)", "選択行数分の行を挿入", {}},
                              {254, "列挿入(&C)", "選択列数分の列を挿入", {}},
                              {250, "行削除(&H)", "選択行を削除", {}},
                              {251, "列削除(&V)", "選択列を削除", {}}}},
        {0, "行ソート(&S)", nullptr, {{284, "昇順(&A)", "選択列をキーに昇順ソート", {}}, {285, "降順(&D)", "選択列をキーに降順ソート", {}}}},
        {0, "行スクロール(&U)", nullptr, {{286, "上へ(&U)", "選択行を 1 行上へ回転", {}}, {287, "下へ(&D)", "選択行を 1 行下へ回転", {}}}},
        {0, "セル式絶対/相対統一(&L)", nullptr, {{255, "絶対セル名に統一(&A)", "選択領域のセル名を絶対に", {}},
                                                {256, "相対セル名に統一(&R)", "選択領域のセル名を相対に", {}}}},
        {0, "乱数設定(&R)", nullptr, range_items(269, {"0-9", "0-99", "0-999", "0-9999", "0-0xFF", "0-0xFFFF", "0-0xFFFFFF", "-9-9", "-99-99", "-999-999", "-9999-9999", "0-1 小数", "英字列"}, "乱数 %s を設定")},
        {0, "連版設定(&N)", nullptr, {{282, "0 から(&0)", "0 からの連番", {}}, {283, "1 から(&1)", "1 からの連番", {}}}},
        {0, "列幅変更(&W)", nullptr, widths},
        {0, "入力制限(&G)", nullptr, range_items(82, {"INPUT,AUTO", "INPUT,STR", "INPUT,NUM", "INPUT,NONE"}, "入力制限 %s")},
        {0, "数値表示(&F)", nullptr, range_items(86, {"FORMAT,g", "FORMAT,e", "FORMAT,f.0", "FORMAT,f.1", "FORMAT,f.2", "FORMAT,f.3", "FORMAT,f.4", "FORMAT,f.5", "FORMAT,f.6", "FORMAT,f.7", "FORMAT,f.8", "FORMAT,f.9", "FORMAT,f.10", "FORMAT,f.11", "FORMAT,f.12", "FORMAT,f.13", "FORMAT,f.14", "FORMAT,f.15", "FORMAT,x.1", "FORMAT,x.2", "FORMAT,x.4", "FORMAT,x.6", "FORMAT,x.8", "FORMAT,x.10", "FORMAT,x.12"}, "数値表示 %s")},
        {0, "文字色(&T)", nullptr, range_items(111, {"DEFAULT", "BLACK", "WHITE", "WINDOW", "GRAY", "BLUE", "RED", "MAGENTA", "GREEN", "CYAN", "YELLOW"}, "文字色 %s")},
        {0, "背景色(&B)", nullptr, range_items(122, {"DEFAULT", "BLACK", "WHITE", "WINDOW", "GRAY", "BLUE", "RED", "MAGENTA", "GREEN", "CYAN", "YELLOW"}, "背景色 %s")},
        {0, "罫線(&K)", nullptr, range_items(133, {"LINE,ARRAY", "LINE,BOX", "LINE,HLINE", "LINE,VLINE", "LINE,NONE"}, "罫線 %s")},
        {138, "セル属性解除(&D)", "選択領域の属性をすべて解除", {}},
        {0, "縦集計セル追加(&V)", nullptr, range_items(139, {"SUM", "AVERAGE", "HARMEAN", "GEOMEAN", "MAX", "MIN", "VARP", "VAR", "STDEVP", "STDEV", "COVAR", "回帰直線", "CORREL", "COUNT", "MEDIAN"}, "選択領域の下に %s")},
        {0, "横集計セル追加(&H)", nullptr, range_items(154, {"SUM", "AVERAGE", "HARMEAN", "GEOMEAN", "MAX", "MIN", "VARP", "VAR", "STDEVP", "STDEV", "COVAR", "回帰直線", "CORREL", "COUNT", "MEDIAN"}, "選択領域の右に %s")},
        {169, "連立一次方程式(&L)", "n 行 n+1 列の係数から MEQUATION を追加", {}},
    };
    return m;
}

void KOV_MAINWIN::menus()
{
    static const std::vector<MENU_ITEM> marks = range_items(35, {"マーク 1 (&1)", "マーク 2 (&2)", "マーク 3 (&3)", "マーク 4 (&4)"}, "%s の位置を記録");
    static const std::vector<MENU_ITEM> jumps = range_items(39, {"マーク 1 (&1)", "マーク 2 (&2)", "マーク 3 (&3)", "マーク 4 (&4)"}, "%s の位置へ移動");
    static const std::vector<MENU_ITEM> allw = range_items(58, {"デフォルト 10(&0)", "2", "4", "8", "12", "16", "20", "24", "28", "32", "36", "40"}, "全列幅を %s 桁に");
    static const std::vector<MENU_ITEM> sizes = range_items(45, {"648x432", "864x576", "1080x720", "1296x864", "1512x1008", "1728x1152", "768x432", "1024x576", "1280x720", "1536x864", "1792x1008", "2048x1152"}, "%s 画素に変更");
    static const std::vector<std::pair<const char *, std::vector<MENU_ITEM>>> bar = {
        {"ファイル(&F)", {{305, "新規オープン(&N)", "新しいウインドウを開く", {}},
                          {306, "ファイル読込(&R)", "KOV/CSV ファイルを読み込む", {}},
                          {307, "ファイル保存(&S)", "名前を付けて KOV ファイルに保存", {}},
                          {308, "現ファイルに上書(&U)", "現在のファイルに上書き保存", {}},
                          {3, "CSV 保存(&C)", "値だけを CSV ファイルに保存", {}},
                          {0, "印刷(&P)", nullptr, {{5, "全データ印刷(&A)", "全データを印刷", {}}, {6, "選択領域印刷(&S)", "選択領域を印刷", {}}}},
                          {0, "", nullptr, {}},
                          {7, "終了(&Q)", "終了", {}}}},
        {"移動(&G)", {{0, "マーク記録(&M)", nullptr, marks},
                      {0, "マーク移動(&J)", nullptr, jumps},
                      {29, "先頭セルへ移動(&T)", "R0C0 へ移動", {}},
                      {33, "行位置移動(&R)", "指定行へ移動", {}},
                      {34, "列位置移動(&C)", "指定列へ移動", {}},
                      {31, "最終非空白セルへ移動(&L)", "値のある最後のセルへ移動", {}},
                      {32, "最終セルへ移動(&E)", "シートの最後のセルへ移動", {}},
                      {0, "", nullptr, {}},
                      {24, "前方検索(&F)", "前方に検索", {}},
                      {25, "後方検索(&B)", "後方に検索", {}},
                      {26, "前方再検索(&N)", "前方に再検索", {}},
                      {27, "後方再検索(&P)", "後方に再検索", {}},
                      {28, "ダイヤモンドカーソル(&D)", "ダイヤモンドカーソル表示/非表示", {}}}},
        {"全体(&A)", {{257, "全体バイナリコピー(&B)", "シート全体を属性・セル式ごとコピー", {}},
                      {258, "全体テキストコピー(&T)", "シート全体の値をコピー", {}},
                      {259, "全体ペースト(&P)", "R0C0 にペースト", {}},
                      {0, "全体列幅(&W)", nullptr, allw},
                      {57, "列幅自動調整(&Z)", "列幅を内容に合わせる", {}},
                      {0, "", nullptr, {}},
                      {8, "全体削除(&D)", "全データと属性を消去", {}},
                      {9, "全データ消去(&E)", "全データを消去", {}},
                      {10, "全属性消去(&W)", "全属性を消去", {}},
                      {11, "行列サイズ(&A)", "シートの列数と行数を変更", {}}}},
        {"表示(&D)", {{13, "ツールバー(&T)", "ツールバー表示/非表示", {}},
                      {14, "行名(&R)", "行名表示/非表示", {}},
                      {15, "列名(&C)", "列名表示/非表示", {}},
                      {16, "横スクロールバー(&H)", "横スクロールバー表示/非表示", {}},
                      {17, "縦スクロールバー(&V)", "縦スクロールバー表示/非表示", {}},
                      {18, "ステータスバー(&U)", "ステータスバー表示/非表示", {}},
                      {0, "フォント(&F)", nullptr, {{19, "大(&L)", "文字の高さ 24", {}}, {20, "中(&M)", "文字の高さ 16", {}}, {21, "小(&S)", "文字の高さ 12", {}}}},
                      {22, "指定行を列名に(&X)", "カーソル行を列名に (再選択で解除)", {}},
                      {23, "指定列を行名に(&Y)", "カーソル列を行名に (再選択で解除)", {}},
                      {43, "スクーンロック(&Z)", "スクリーン・ロック/解除", {}},
                      {0, "表示サイズ変更(&S)", nullptr, sizes},
                      {44, "貼付部品操作音(&G)", "部品操作時のビープ音 有/無", {}},
                      {0, "貼付部品表示(&J)", nullptr, {{170, "一時非表示(&H)", "貼付部品を一時非表示", {}}, {171, "非表示解除(&F)", "貼付部品の非表示を解除", {}}}}}},
        {"再計算(&C)", {{297, "全体再計算(&A)", "全体再計算", {}},
                        {313, "周期再計算 停止(&0)", "周期再計算を停止", {}},
                        {314, "周期再計算 約 1/4s(&2)", "約 1/4 秒周期で再計算", {}},
                        {315, "周期再計算 約 1s(&3)", "約 1 秒周期で再計算", {}},
                        {316, "周期再計算 約 10s(&4)", "約 10 秒周期で再計算", {}}}},
        {"スクリプト(&S)", {{309, "スクリプト編集(&E)", "スクリプト編集ウインドウ表示", {}},
                            {298, "スクリプト実行開始(&G)", "スクリプト実行開始", {}},
                            {299, "スクリプトステップ(&S)", "スクリプトステップ実行", {}},
                            {300, "スクリプト一時停止(&P)", "スクリプト一時停止", {}},
                            {302, "スクリプト実行継続(&C)", "スクリプト実行継続", {}},
                            {303, "スクリプト実行停止(&H)", "スクリプト実行停止", {}},
                            {310, "スクリプト変数一覧(&V)", "変数一覧ウインドウ", {}},
                            {311, "スクリプト関数一覧(&F)", "関数一覧ウインドウ", {}},
                            {312, "スクリプトスタック(&C)", "スタック履歴ウインドウ", {}}}},
        {"セル(&E)", cell_menu()},
        {"ヘルプ(&H)", {{288, "使用法(&M)", "使用法を表示", {}}, {290, "バージョン(&V)", "バージョン表示", {}}}},
    };
    for (auto &m : bar) add_menu(menuBar()->addMenu(KQ(m.first)), m.second);
}

void KOV_MAINWIN::toolbar()
{
    QToolBar *t = addToolBar(QStringLiteral("toolbar"));
    t->setMovable(false);
    t->setToolButtonStyle(Qt::ToolButtonTextOnly);
    static const struct {
        int id;
        const char *label, *tip;
    } buttons[] = {
        {292, "HELP", "HELP ウインドウ表示/非表示"}, {293, "編集", "選択セルを再編集"},
        {294, "移動", "セル位置移動メニュー"},        {295, "全体", "セル全体操作メニュー"},
        {0, "", ""},                                  {296, "検索", "前方再検索(SHIFT で後方再検索)"},
        {297, "計算", "全体再計算"},                  {298, "RUN ", "スクリプト実行開始"},
        {299, "STEP", "スクリプトステップ実行"},      {0, "", ""},
        {300, "PAUS", "スクリプト一時停止"},          {302, "CONT", "スクリプト実行継続"},
        {303, "STOP", "スクリプト実行停止"},         {0, "", ""},
        {304, "    ", "画面位置調整"},
    };
    for (auto &b : buttons) {
        if (!b.id) t->addSeparator();
        else t->addAction(act(b.id, b.label, b.tip));
    }
}

void KOV_MAINWIN::win_views()
{
    const SCR_VIEW *v[3] = {&kov->view_vtbl, &kov->view_ftbl, &kov->view_stbl};
    for (int k = 0; k < 3; k++)
        if (views[k] && (views[k]->isVisible() || !views[k]->table->rowCount())) views[k]->view_fill(*v[k]);
}

void KOV_MAINWIN::win_context(QPoint at)
{
    QMenu m(this);
    add_menu(&m, cell_menu());
    m.exec(at);
}

void KOV_MAINWIN::win_run_state(int state)
{
    if (state == TST_SCRPT_PAUSE && kov) win_views();   // the pause has just refreshed them
    auto enable = [this](int id, bool on) {
        for (QAction *a : acts[id]) a->setEnabled(on);
    };
    for (int id : {292, 293, 294, 295, 296, 297, 298, 299, 300, 302, 303}) enable(id, kov_tbar_enabled(state, id));
    if (kov && kov->csv_scrlock) enable(293, false);   // the screen lock takes the edit button too
    bool cycle_ok = state == TST_STOP || state >= TST_CYCLE_250ms;
    for (int id : {313, 314, 315, 316}) enable(id, cycle_ok);
}

void KOV_MAINWIN::win_title()
{
    if (kov) setWindowTitle(kov_qs(kov->kov_get_title()) + QStringLiteral(" - Kovash"));
}

// The cursor cell: its formula, else its display text, else its attributes.
void KOV_MAINWIN::win_cell_info()
{
    if (!kov) return;
    int x = kov->csv_curx, y = kov->csv_cury;
    char name[64];
    snprintf(name, sizeof name, "R%dC%d ", y, x);
    QString t = QString::fromLatin1(name);
    if (const char *f = kov->csv_get_form(x, y)) {
        t += QLatin1Char('=') + kov_qs(f);
    } else if (kov->csv_get_type(x, y)) {
        char b[4097];
        kov->csv_dsp_text(x, y, 0, sizeof b, b);
        t += kov_qs(b);
    } else {
        static const char *const colors[] = {"", "黒", "白", "暗灰", "明灰", "青", "赤", "紫", "緑", "シアン", "黄", "ウインドウ"};
        static const char *const inputs[] = {"", "入力:文字 ", "入力:数値 ", "入力:禁止 "};
        char b[64];
        int in = kov->csv_get_attr(x, y, CSV_A_INPUT), fmt = kov->csv_get_attr(x, y, CSV_A_FMT);
        int tc = kov->csv_get_attr(x, y, CSV_A_TEXT), bc = kov->csv_get_attr(x, y, CSV_A_BACK);
        if (in) t += KQ(inputs[in & 3]);
        if (fmt && csv_fmt_label(fmt, b, sizeof b) > 0) t += kov_qs(b);
        if (tc) t += KQ("文字:") + (tc <= 11 ? KQ(colors[tc]) : QString::number(tc)) + QLatin1Char(' ');
        if (bc) t += KQ("背景:") + (bc <= 11 ? KQ(colors[bc]) : QString::number(bc)) + QLatin1Char(' ');
    }
    statusBar()->showMessage(t);
}

bool KOV_MAINWIN::save_as(bool ask)
{
    QString name = kov_qs(kov->csv_get_fname());
    if (ask) {
        if (name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) name.chop(4), name += QLatin1String(".kov");
        name = QFileDialog::getSaveFileName(this, KQ("KOV ファイル保存"), name, QStringLiteral("*.kov"));
        if (name.isEmpty()) return false;
    }
    std::string file = name.toStdString();   // file names are the system's bytes
    if (kov->cse_fsave(file.c_str()) != 0) return false;
    kov->csv_set_modify(0);
    editor->saved = editor->stamp;
    win_title();
    statusBar()->showMessage(name + KQ(" 保存"));
    return true;
}

void KOV_MAINWIN::win_command(int id)
{
    if (!kov) return;
    switch (id) {
    case 292:
    case 288:
        if (!help) help = new KOV_HELPWIN(this);
        help->setVisible(id == 288 || !help->isVisible());
        if (help->isVisible()) help->raise();
        return;
    case 293:
    case 252: grid->grid_edit(KOV_KEY_REEDIT); return;
    case 304: grid->grid_follow(); return;   // the cursor cell back into view
    case 294:
    case 295: {   // the move and whole-sheet menus at the pointer
        QMenu *m = menuBar()->actions().value(id == 294 ? 1 : 2)->menu();
        if (m) m->exec(QCursor::pos());
        return;
    }
    case 296: win_command(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier ? 27 : 26); return;
    case 1:
    case 305:
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
        return;
    case 2:
    case 306: {
        QString name = QFileDialog::getOpenFileName(this, KQ(id == 2 ? "CSV ファイル読込" : "KOV/CSV ファイル読込"), QString(),
                                                    id == 2 ? QStringLiteral("*.csv") : QStringLiteral("*.kov *.csv"));
        if (name.isEmpty() || kov->kov_tstat(TMCD_GET) != TST_STOP) return;
        kov->cse_fload(name.toStdString().c_str());
        grid->grid_sizes();
        win_title();
        return;
    }
    case 4: kov->cse_fsave(kov->csv_get_fname()); return;
    case 5:
    case 6:
    case 170:
    case 171: statusBar()->showMessage(KQ("この版にはまだありません")); return;
    case 289:
        if (kov_associate(QCoreApplication::applicationFilePath()) == 0) QMessageBox::information(this, QStringLiteral("Kovash"), KQ("拡張子 kov を関連づけました"));
        else QMessageBox::warning(this, QStringLiteral("Kovash"), KQ("失敗"));
        return;
    case 310:
    case 311:
    case 312: {
        static const char *const titles[] = {"変数一覧", "関数一覧", "スタック"};
        KOV_VIEWWIN *&v = views[id - 310];
        if (!v) v = new KOV_VIEWWIN(this, KQ(titles[id - 310]));
        kov->scr_make_alltbl();
        win_views();
        v->show();
        v->raise();
        return;
    }
    case 307: save_as(true); return;
    case 308: save_as(false); return;
    case 3: {
        QString name = kov_qs(kov->csv_get_fname());
        if (name.endsWith(QLatin1String(".kov"), Qt::CaseInsensitive)) name.chop(4), name += QLatin1String(".csv");
        name = QFileDialog::getSaveFileName(this, KQ("CSV ファイル保存"), name, QStringLiteral("*.csv"));
        if (!name.isEmpty()) kov->cse_fsave(name.toStdString().c_str());
        return;
    }
    case 7: close(); return;
    case 309:
        editor->setVisible(!editor->isVisible());
        if (editor->isVisible()) editor->raise();
        return;
    case 290:
        QMessageBox::about(this, QStringLiteral("Kovash"), QStringLiteral("Kovash " KOV_VERSION));
        return;
    default: break;
    }
    if (id >= 172 && id <= 248) return statusBar()->showMessage(KQ("部品はこの版にはまだありません"));
    kov->wm_menu(id);
    grid->grid_sizes();
    if (id < 298 || id > 316) win_cell_info();   // run and cycle commands leave their own status
}

// A running or paused script is stopped first; unsaved changes are asked about.
void KOV_MAINWIN::closeEvent(QCloseEvent *e)
{
    if (kov && kov->kov_tstat(TMCD_GET) != TST_STOP) kov->wm_menu(303);
    if (kov && (kov->csv_get_modify() || editor->stamp != editor->saved)) {
        auto a = QMessageBox::question(this, QStringLiteral("Kovash"), KQ("非保存終了"),
                                       QMessageBox::Yes | QMessageBox::No);
        if (a != QMessageBox::Yes) return e->ignore();
    }
    e->accept();
}
