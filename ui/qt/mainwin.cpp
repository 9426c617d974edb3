#include "ui/qt/mainwin.h"
#include "app/kov.h"
#include "app/kovfname.h"
#include "ui/qt/grid.h"
#include "ui/qt/qtext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>

#ifndef KOV_VERSION
#define KOV_VERSION "0.8"
#endif

KOV_EDITWIN::KOV_EDITWIN(QWidget *parent) : QMainWindow(parent), text(new QPlainTextEdit(this))
{
    setCentralWidget(text);
    QFont f(QStringLiteral("IPAGothic"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(14);
    text->setFont(f);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    resize(640, 480);
    connect(text, &QPlainTextEdit::textChanged, this, [this] { stamp++; });
}

// Selects the character at pos and shows msg in the window's status bar.
void KOV_EDITWIN::show_at(long pos, const QString &msg)
{
    if (pos >= 0) {
        QTextCursor c = text->textCursor();
        c.setPosition(int(std::min<long>(pos, text->document()->characterCount() - 1)));
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        text->setTextCursor(c);
        text->centerCursor();
    }
    statusBar()->showMessage(msg);
}

KOV_MAINWIN::KOV_MAINWIN() : grid(new KOV_GRID(this)), editor(new KOV_EDITWIN(this))
{
    setCentralWidget(grid);
    statusBar();
    menus();
    toolbar();
    connect(grid, &KOV_GRID::cursor_moved, this, &KOV_MAINWIN::win_cell_info);
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
    acts[id].push_back(a);
    return a;
}

void KOV_MAINWIN::menus()
{
    struct ITEM {
        int id;
        const char *label, *tip;
    };
    auto add = [this](const char *title, std::initializer_list<ITEM> items) {
        QMenu *m = menuBar()->addMenu(KQ(title));
        for (const ITEM &i : items) {
            if (!i.id) m->addSeparator();
            else m->addAction(act(i.id, i.label, i.tip));
        }
    };
    add("ファイル(&F)", {{306, "ファイル読込(&R)", "KOV/CSV ファイルを読み込む"},
                         {307, "ファイル保存(&S)", "名前を付けて KOV ファイルに保存"},
                         {308, "現ファイルに上書(&U)", "現在のファイルに上書き保存"},
                         {3, "CSV 保存(&C)", "CSV ファイルに保存"},
                         {0, "", ""},
                         {7, "終了(&Q)", "終了"}});
    add("再計算(&C)", {{297, "全体再計算(&A)", "全体再計算"},
                       {313, "周期再計算 停止(&0)", "周期再計算を停止"},
                       {314, "周期再計算 約 1/4s(&2)", "約 1/4 秒周期で再計算"},
                       {315, "周期再計算 約 1s(&3)", "約 1 秒周期で再計算"},
                       {316, "周期再計算 約 10s(&4)", "約 10 秒周期で再計算"}});
    add("スクリプト(&S)", {{309, "スクリプト編集(&E)", "スクリプト編集ウインドウ表示"},
                           {298, "スクリプト実行開始(&G)", "スクリプト実行開始"},
                           {299, "スクリプトステップ(&S)", "スクリプトステップ実行"},
                           {300, "スクリプト一時停止(&P)", "スクリプト一時停止"},
                           {302, "スクリプト実行継続(&C)", "スクリプト実行継続"},
                           {303, "スクリプト実行停止(&H)", "スクリプト実行停止"}});
    add("ヘルプ(&H)", {{290, "バージョン(&V)", "バージョン表示"}});
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
        {303, "STOP", "スクリプト実行停止"},
    };
    for (auto &b : buttons) {
        if (!b.id) t->addSeparator();
        else t->addAction(act(b.id, b.label, b.tip));
    }
}

void KOV_MAINWIN::win_run_state(int state)
{
    auto enable = [this](int id, bool on) {
        for (QAction *a : acts[id]) a->setEnabled(on);
    };
    for (int id : {292, 293, 294, 295, 296, 297, 298, 299, 300, 302, 303}) enable(id, kov_tbar_enabled(state, id));
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
    case 292: statusBar()->showMessage(KQ("docs/guide.md を参照")); return;
    case 293: grid->grid_edit(KOV_KEY_REEDIT); return;
    case 306: {
        QString name = QFileDialog::getOpenFileName(this, KQ("KOV/CSV ファイル読込"), QString(), QStringLiteral("*.kov *.csv"));
        if (name.isEmpty() || kov->kov_tstat(TMCD_GET) != TST_STOP) return;
        kov->cse_fload(name.toStdString().c_str());
        grid->grid_sizes();
        win_title();
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
        editor->show();
        editor->raise();
        return;
    case 290:
        QMessageBox::about(this, QStringLiteral("Kovash"), QStringLiteral("Kovash " KOV_VERSION));
        return;
    default: break;
    }
    int x1, y1, x2, y2;
    grid->grid_sel(x1, y1, x2, y2);
    KOV_RECT sel = {x1, y1, x2, y2};
    if (id == 297 && x1 == x2 && y1 == y2) kov->wm_menu(id);
    else if (id == 297) kov->csv_form_calc(&sel);
    else kov->wm_menu(id);
    grid->viewport()->update();
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
