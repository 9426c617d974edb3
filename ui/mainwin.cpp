#include "ui/mainwin.h"
#include "app/kov.h"
#include "app/kovfname.h"
#include "gadgets/qt/gjqt.h"
#include "gadgets/qt/wpqt.h"
#include "print/prscript.h"
#include "ui/grid.h"
#include "ui/qtext.h"
#include "ui/views.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QProcess>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>

#include "devices/qt/devqt.h"
#include "kovversion.h"

KOV_MAINWIN::KOV_MAINWIN() : grid(new KOV_GRID(this)), editor(new KOV_EDITWIN(this))
{
    setCentralWidget(grid);
    statusBar();
    menus();
    toolbar();
    connect(grid, &KOV_GRID::cursor_moved, this, &KOV_MAINWIN::win_cell_info);
    connect(grid, &KOV_GRID::context, this, &KOV_MAINWIN::win_context);
    connect(grid, &KOV_GRID::part_context, this, &KOV_MAINWIN::win_part_menu);
    connect(grid, &KOV_GRID::status, this, [this](const QString &t) { statusBar()->showMessage(t); });
}

KOV_MAINWIN::~KOV_MAINWIN() = default;

void KOV_MAINWIN::win_attach(KOV_U *k)
{
    kov = k;
    KOV_DOORS doors;
    doors.views = grid->grid_parts();   // parts show through the grid's views
    printer = std::make_unique<PRN_QT>(this);
    doors.printer = printer.get();
    doors.devices = dev_qt_doors();     // devices run on the window's event loop
    dev_qt_install();
    // Script gadgets' windows: POPUPs belong to this window, CHILDs of the sheet sit on the grid.
    if (!gadgets) gadgets = std::make_unique<GJ_QTVIEWS>(this, grid->viewport(), [this] { return grid->font(); });
    doors.gadgets = gadgets.get();
    k->kov_set_doors(doors);
    grid->grid_attach(k);
    editor->ed_settings(&k->kov_prof);   // read when the window first opens, after the start
    editor->print = [this] {   // the script on the sheet's printer, with the "tpr" settings
        std::string msg;
        if (prn_script(kov->kov_printer(), editor->ed_name(), editor->ed_text(), prn_read_tset(kov->kov_prof), msg) == 0)
            return editor->ed_msg(KQ("印刷しました"));
        editor->ed_msg(msg.empty() ? KQ("印刷できません") : kov_qs(msg));
    };
    win_title();
    win_run_state(k->kov_tstat(TMCD_GET));
}

// A command's menu item or button, from its row of the command table. Its key goes to the
// first of them only (a second owner of the key would make it ambiguous).
QAction *KOV_MAINWIN::act(int id, bool button)
{
    const KOV_CMD *c = kov_cmd(id);
    auto *a = new QAction(kov_qs(c ? (button ? c->button : c->label).c_str() : ""), this);
    if (c && !c->tip.empty()) a->setStatusTip(kov_qs(c->tip.c_str())), a->setToolTip(kov_qs(c->tip.c_str()));
    connect(a, &QAction::triggered, this, [this, id] { win_command(id); });
    if (c && (c->flags & KCF_CHECK) && !button) a->setCheckable(true);
    if (c && acts[id].empty() && !c->key.empty()) {
        a->setShortcut(QKeySequence(QString::fromLatin1(c->key.c_str())));
        a->setShortcutContext(Qt::WindowShortcut);
    }
    acts[id].push_back(a);
    return a;
}

// A menu entry: a command (its label from the command table), a separator (id 0, no label) or
// a submenu (id 0 with a label).
struct MENU_ITEM {
    int id;
    const char *label;
    std::vector<MENU_ITEM> sub;
};

// The commands first..last as menu entries.
static std::vector<MENU_ITEM> ids(int first, int last)
{
    std::vector<MENU_ITEM> v;
    for (int id = first; id <= last; id++) v.push_back({id, nullptr, {}});
    return v;
}

void KOV_MAINWIN::add_menu(QMenu *m, const std::vector<MENU_ITEM> &items)
{
    for (const MENU_ITEM &i : items) {
        if (!i.id && !*i.label) m->addSeparator();
        else if (!i.id) add_menu(m->addMenu(KQ(i.label)), i.sub);
        else m->addAction(act(i.id, false));
    }
}

const std::vector<MENU_ITEM> &KOV_MAINWIN::cell_menu()
{
    static const std::vector<MENU_ITEM> m = {
        {KVM_REEDIT, nullptr, {}},
        {KVM_CALC_SEL, nullptr, {}},
        {0, "コピー", {{KVM_COPY_BIN, nullptr, {}}, {KVM_COPY_TEXT, nullptr, {}}, {KVM_COPY_NAME, nullptr, {}}}},
        {0, "ペースト", ids(KVM_PASTE, KVM_MOVE)},
        {0, "消去", ids(KVM_CLR_DATA, KVM_CLR_CELLS)},
        {0, "行列", {{KVM_INS_ROWS, nullptr, {}}, {KVM_INS_COLS, nullptr, {}}, {KVM_DEL_ROWS, nullptr, {}}, {KVM_DEL_COLS, nullptr, {}}}},
        {0, "行ソート(&S)", ids(KVM_SORT_UP, KVM_SORT_DOWN)},
        {0, "行スクロール(&U)", ids(KVM_ROT_UP, KVM_ROT_DOWN)},
        {0, "セル式絶対/相対統一(&L)", ids(KVM_REF_ABS, KVM_REF_REL)},
        {0, "乱数設定(&R)", ids(KVM_RAND_10, KVM_RAND_WORD)},
        {0, "連版設定(&N)", ids(KVM_SERIAL_0, KVM_SERIAL_1)},
        {0, "列幅変更(&W)", ids(KVM_WIDE_SEL_10, KVM_WIDE_SEL_40)},
        {0, "入力制限(&G)", ids(KVM_INPUT_AUTO, KVM_INPUT_NONE)},
        {0, "数値表示(&F)", ids(KVM_FMT_G, KVM_FMT_X12)},
        {0, "文字色(&T)", ids(KVM_TEXT_DEFAULT, KVM_TEXT_YELLOW)},
        {0, "背景色(&B)", ids(KVM_BACK_DEFAULT, KVM_BACK_YELLOW)},
        {0, "罫線(&K)", ids(KVM_LINE_ARRAY, KVM_LINE_NONE)},
        {KVM_ATTR_CLEAR, nullptr, {}},
        {0, "縦集計セル追加(&V)", ids(KVM_DOWN_SUM, KVM_DOWN_MEDIAN)},
        {0, "横集計セル追加(&H)", ids(KVM_RIGHT_SUM, KVM_RIGHT_MEDIAN)},
        {KVM_MEQUATION, nullptr, {}},
        {0, "部品ウインドウ追加(&Q)", part_new_menu()},
    };
    return m;
}

// The insert-part commands grouped by kind. Twin: part_news() of sheet/kovcmd.cpp numbers them
// in this order.
std::vector<MENU_ITEM> KOV_MAINWIN::part_new_menu()
{
    auto one = [](int id) { return MENU_ITEM{id, nullptr, {}}; };
    return {
        {0, "背景(&B)", ids(172, 174)},
        {0, "押しボタン(&P)", ids(175, 178)},
        {0, "チェックボックス(&C)", ids(179, 181)},
        {0, "スクロールバー(&S)", ids(182, 183)},
        {0, "コンボボックス(&O)", ids(184, 186)},
        one(187),
        one(188),
        {0, "簡易グラフ(&G)", ids(189, 192)},
        {0, "簡易影絵(&W)", ids(193, 195)},
        {0, "文字列表示(&T)", ids(196, 207)},
        {0, "縦設定(&V)", ids(208, 219)},
        {0, "横設定(&H)", ids(220, 231)},
        {0, "ボード(&D)", ids(232, 234)},
        {0, "シリアル通信(&R)", ids(235, 236)},
        {0, "ソケット通信(&K)", ids(237, 240)},
        {0, "タイマ(&M)", ids(241, 244)},
        {0, "時計(&J)", ids(245, 248)},
    };
}

void KOV_MAINWIN::menus()
{
    const MENU_ITEM gap = {0, "", {}};
    auto one = [](int id) { return MENU_ITEM{id, nullptr, {}}; };
    static const std::vector<std::pair<const char *, std::vector<MENU_ITEM>>> bar = {
        {"ファイル(&F)", {one(KVM_NEW), one(KVM_OPEN), one(KVM_SAVE_AS), one(KVM_SAVE), one(KVM_CSV_SAVE),
                          {0, "印刷(&P)", ids(KVM_PRINT_ALL, KVM_PRINT_SEL)}, gap, one(KVM_QUIT)}},
        {"移動(&G)", {{0, "マーク記録(&M)", ids(KVM_MARK1, KVM_MARK4)}, {0, "マーク移動(&J)", ids(KVM_JUMP1, KVM_JUMP4)},
                      one(KVM_GO_FIRST), one(KVM_GO_ROW), one(KVM_GO_COL), one(KVM_GO_USED), one(KVM_GO_LAST), gap,
                      one(KVM_FIND_FWD), one(KVM_FIND_BACK), one(KVM_FIND_NEXT), one(KVM_FIND_PREV), one(KVM_DIAMOND)}},
        {"全体(&A)", {one(KVM_COPY_ALL_BIN), one(KVM_COPY_ALL_TEXT), one(KVM_PASTE_ALL),
                      {0, "全体列幅(&W)", ids(KVM_WIDE_ALL_10, KVM_WIDE_ALL_40)}, one(KVM_AUTOWIDE), gap,
                      one(KVM_DEL_ALL), one(KVM_CLR_ALL_DATA), one(KVM_CLR_ALL_ATTR), one(KVM_RESIZE)}},
        {"表示(&D)", {one(KVM_TOOLBAR), one(KVM_ROWNAME), one(KVM_COLNAME), one(KVM_HSCROLL), one(KVM_VSCROLL), one(KVM_STATBAR),
                      {0, "フォント(&F)", ids(KVM_FONT_LARGE, KVM_FONT_SMALL)}, one(KVM_CNROW), one(KVM_RNCOL), one(KVM_SCRLOCK),
                      {0, "表示サイズ変更(&S)", ids(KVM_SIZE_648x432, KVM_SIZE_2048x1152)}, one(KVM_WPBEEP),
                      {0, "貼付部品表示(&J)", ids(KVM_PARTS_HIDE, KVM_PARTS_SHOW)}}},
        {"再計算(&C)", {one(KVM_CALC), one(KVM_CYCLE_STOP), one(KVM_CYCLE_250), one(KVM_CYCLE_1000), one(KVM_CYCLE_10000)}},
        {"スクリプト(&S)", {one(KVM_EDIT_SCRIPT), one(KVM_F07_RUN), one(KVM_F08_STEP), one(KVM_F09_PAUS), one(KVM_F11_CONT),
                            one(KVM_F12_STOP), one(KVM_VIEW_VARS), one(KVM_VIEW_FUNCS), one(KVM_VIEW_STACK)}},
        {"セル(&E)", cell_menu()},
        {"ヘルプ(&H)", {one(KVM_USAGE), one(KVM_VERSION)}},
    };
    for (auto &m : bar) {
        QMenu *menu = menuBar()->addMenu(KQ(m.first));
        add_menu(menu, m.second);
        connect(menu, &QMenu::aboutToShow, this, &KOV_MAINWIN::win_checks);
    }
}

// The buttons in command table order, a gap where the row asks for one.
void KOV_MAINWIN::toolbar()
{
    QToolBar *t = addToolBar(QStringLiteral("toolbar"));
    t->setMovable(false);
    t->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const KOV_CMD &c : kov_cmds()) {
        if (c.button.empty()) continue;
        if (c.flags & KCF_GAP) t->addSeparator();
        t->addAction(act(c.id, true));
    }
}

// The switches' check marks as the window and the sheet now are.
void KOV_MAINWIN::win_checks()
{
    if (!kov) return;
    CSV_WINST ws;
    kov->kov_host().host_win_get(ws);
    static const int slot[] = {CSV_WS_TOOLBAR, CSV_WS_ROWNAME, CSV_WS_COLNAME, CSV_WS_HSCROLL, CSV_WS_VSCROLL, CSV_WS_STATBAR};
    auto check = [this](int id, bool on) {
        for (QAction *a : acts[id])
            if (a->isCheckable()) a->setChecked(on);
    };
    for (int k = 0; k < 6; k++) check(KVM_TOOLBAR + k, ws.v[slot[k]] != 0);
    check(KVM_DIAMOND, kov->kov_host().host_get_diamond());
    check(KVM_SCRLOCK, kov->csv_scrlock);
    check(KVM_WPBEEP, kov->csv_wpbeep);
}

void KOV_MAINWIN::win_views()
{
    const SCR_VIEW *v[3] = {&kov->view_vtbl, &kov->view_ftbl, &kov->view_stbl};
    for (int k = 0; k < 3; k++)
        if (views[k] && (views[k]->isVisible() || !views[k]->table->rowCount())) views[k]->view_fill(*v[k]);
}

// The menu bar's cell menu: its actions are made once.
void KOV_MAINWIN::win_context(QPoint at)
{
    if (QMenu *m = menuBar()->actions().value(6)->menu()) m->exec(at);
}

void KOV_MAINWIN::win_run_state(int state)
{
    if (state == TST_SCRPT_PAUSE && kov) win_views();   // the pause has just refreshed them
    auto enable = [this](int id, bool on) {
        for (QAction *a : acts[id]) a->setEnabled(on);
    };
    for (const KOV_CMD &c : kov_cmds())
        if (c.run) enable(c.id, kov_cmd_enabled(state, c.id));
    if (kov && kov->csv_scrlock) enable(KVM_TB_EDIT, false);   // the screen lock takes the edit button too
    editor->ed_lock(state == TST_SCRPT_RUN || state == TST_SCRPT_STEP || state == TST_SCRPT_PAUSE);
    win_checks();
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
    editor->ed_saved();
    win_title();
    statusBar()->showMessage(name + KQ(" 保存"));
    return true;
}

void KOV_MAINWIN::win_command(int id)
{
    if (!kov) return;
    switch (id) {
    case KVM_TB_HELP:
    case KVM_USAGE:
        if (!help) help = new KOV_HELPWIN(this);
        help->setVisible(id == KVM_USAGE || !help->isVisible());
        if (help->isVisible()) help->raise();
        return;
    case KVM_TB_EDIT:
    case KVM_REEDIT: grid->grid_edit(KOV_KEY_REEDIT); return;
    case KVM_TB_ADJUST: grid->grid_follow(); return;   // the cursor cell back into view
    case KVM_TB_MOVE:
    case KVM_TB_WHOLE: {   // the move and whole-sheet menus at the pointer
        QMenu *m = menuBar()->actions().value(id == KVM_TB_MOVE ? 1 : 2)->menu();
        if (m) m->exec(QCursor::pos());
        return;
    }
    case KVM_TB_FIND: win_command(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier ? KVM_FIND_PREV : KVM_FIND_NEXT); return;
    case KVM_NEW_1:
    case KVM_NEW:
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
        return;
    case KVM_CSV_OPEN:
    case KVM_OPEN: {
        QString name = QFileDialog::getOpenFileName(this, KQ(id == KVM_CSV_OPEN ? "CSV ファイル読込" : "KOV/CSV ファイル読込"), QString(),
                                                    id == KVM_CSV_OPEN ? QStringLiteral("*.csv") : QStringLiteral("*.kov *.csv"));
        if (!name.isEmpty()) win_open(name);
        return;
    }
    case KVM_CSV_OVERWRITE: kov->cse_fsave(kov->csv_get_fname()); return;
    case KVM_PARTS_HIDE:
    case KVM_PARTS_SHOW: win_parts_show(id == KVM_PARTS_SHOW); return;
    case KVM_ASSOC:
        if (kov_associate(QCoreApplication::applicationFilePath()) == 0) QMessageBox::information(this, QStringLiteral("Kovash"), KQ("拡張子 kov を関連づけました"));
        else QMessageBox::warning(this, QStringLiteral("Kovash"), KQ("失敗"));
        return;
    case KVM_VIEW_VARS:
    case KVM_VIEW_FUNCS:
    case KVM_VIEW_STACK: {
        static const char *const titles[] = {"変数一覧", "関数一覧", "スタック"};
        KOV_VIEWWIN *&v = views[id - KVM_VIEW_VARS];
        if (!v) v = new KOV_VIEWWIN(this, KQ(titles[id - KVM_VIEW_VARS]));
        kov->scr_make_alltbl();
        win_views();
        v->show();
        v->raise();
        return;
    }
    case KVM_SAVE_AS: save_as(true); return;
    case KVM_SAVE: save_as(false); return;
    case KVM_CSV_SAVE: {
        QString name = kov_qs(kov->csv_get_fname());
        if (name.endsWith(QLatin1String(".kov"), Qt::CaseInsensitive)) name.chop(4), name += QLatin1String(".csv");
        name = QFileDialog::getSaveFileName(this, KQ("CSV ファイル保存"), name, QStringLiteral("*.csv"));
        if (!name.isEmpty()) kov->cse_fsave(name.toStdString().c_str());
        return;
    }
    case KVM_QUIT: close(); return;
    case KVM_EDIT_SCRIPT:
        editor->setVisible(!editor->isVisible());
        if (editor->isVisible()) editor->raise();
        return;
    case KVM_PASTE_ALL:
    case KVM_PASTE: {   // text from other programs may hold what Shift-JIS cannot
        std::string sj;
        QString bad;
        if (kov_sj_ok(QApplication::clipboard()->text(), sj, &bad)) break;
        statusBar()->showMessage(kov_sj_refusal(bad));
        QApplication::beep();
        return;
    }
    case KVM_VERSION:
        QMessageBox::about(this, QStringLiteral("Kovash"), QStringLiteral("Kovash " KOV_VERSION));
        return;
    default: break;
    }
    if (kov_is_part_new(id)) return win_part_new(id);
    if (id >= KVM_PART_EDIT && id <= KVM_PART_DELETE) return win_part_cmd(id);
    kov->wm_menu(id);
    grid->grid_sizes();
    win_checks();
    if (id < KVM_F07_RUN || id > KVM_CYCLE_10000) win_cell_info();   // run and cycle commands leave their own status
}

int KOV_MAINWIN::win_open(const QString &name)
{
    std::string file = name.toStdString();   // file names are the system's bytes
    if (!kov || kov->kov_open(file.c_str()) != 0) return win_title(), -1;
    grid->grid_sizes();
    win_title();
    win_checks();
    return 0;
}

bool kov_qt_translate()
{
    static QTranslator qt;
    if (!qt.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return false;
    return QCoreApplication::installTranslator(&qt);
}

// A running or paused script is stopped first; unsaved changes are asked about.
void KOV_MAINWIN::closeEvent(QCloseEvent *e)
{
    if (kov && kov->kov_tstat(TMCD_GET) != TST_STOP) kov->wm_menu(KVM_F12_STOP);
    if (kov && kov->kov_unsaved()) {
        auto a = QMessageBox::question(this, QStringLiteral("Kovash"), KQ("非保存終了"),
                                       QMessageBox::Yes | QMessageBox::No);
        if (a != QMessageBox::Yes) return e->ignore();
    }
    e->accept();
}
