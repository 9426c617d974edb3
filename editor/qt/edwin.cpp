// The script editor's window: menus, toolbar, status bar, settings, the host's side and files.
#include "editor/qt/edwin.h"
#include "base/kovtext.h"
#include "editor/edtext.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

QString qs(const std::string &sj) { return QString::fromStdString(kov::sj_to_utf8(sj)); }

struct ED_ITEM {
    int id;
    const char *label;
    const char *tip;
};

// Labels and tips of the commands; a check mark where the command is a switch.
const ED_ITEM items[] = {
    {EDC_NEW, "新規オープン(&N)", "新規オープン"},
    {EDC_LOAD, "ファイル読込(&L)", "ファイル読込"},
    {EDC_RENAME, "ファイル名変更(&R)", "編集ファイル名変更"},
    {EDC_INSERT, "ファイル挿入(&I)", "キャレット位置に挿入"},
    {EDC_REVERT, "編集無効化(&U)", "読込/保存時の状態に戻す"},
    {EDC_PRINT, "印刷(&P)", "現テキストを印刷"},
    {EDC_SAVEAS, "ファイル保存(&S)", "名前を付けて保存"},
    {EDC_SAVE, "上書保存(&O)", "上書き保存"},
    {EDC_SAVEQUIT, "保存終了(&E)", "保存後, 即終了"},
    {EDC_QUIT, "非保存終了(&Q)", "保存しないて即終了"},
    {EDC_CUT, "切り取り(&T)", ""},
    {EDC_COPY, "コピー(&C)", ""},
    {EDC_PASTE, "貼り付け(&P)", ""},
    {EDC_DELETE, "削除(&D)", ""},
    {EDC_SELALL, "すべて選択(&A)", ""},
    {EDC_MARK1, "マーク 1 (&1)", ""},
    {EDC_MARK2, "マーク 2 (&2)", ""},
    {EDC_MARK3, "マーク 3 (&3)", ""},
    {EDC_MARK4, "マーク 4 (&4)", ""},
    {EDC_GOMARK1, "マーク 1 へ移動(&1)", ""},
    {EDC_GOMARK2, "マーク 2 へ移動(&2)", ""},
    {EDC_GOMARK3, "マーク 3 へ移動(&3)", ""},
    {EDC_GOMARK4, "マーク 4 へ移動(&4)", ""},
    {EDC_TOP, "テキスト先頭(&T)", ""},
    {EDC_GOLINE, "指定行移動(&J)", ""},
    {EDC_BOTTOM, "テキスト最終(&B)", ""},
    {EDC_SETMARK, "マーク位置設定(&S)", ""},
    {EDC_GOMARK, "マーク位置移動(&M)", ""},
    {EDC_FIND, "前方検索(&F)", ""},
    {EDC_RFIND, "後方検索(&H)", ""},
    {EDC_AGAIN, "前方再検索(&G)", ""},
    {EDC_RAGAIN, "後方再検索(&I)", ""},
    {EDC_REPLACE, "文字列置換(&X)", ""},
    {EDC_IDREPLACE, "識別子置換(&Y)", ""},
    {EDC_INSMODE, "挿入モード(&I)", ""},
    {EDC_INDENT, "オートインデント(&D)", ""},
    {EDC_TAB4, "TAB 幅 4 (&4)", ""},
    {EDC_DISPTAB, "TAB 表示(&T)", ""},
    {EDC_DISPEOL, "改行表示(&R)", ""},
    {EDC_DISPNOL, "空行表示(&B)", ""},
    {EDC_DISPEOF, "EOF 表示(&E)", ""},
    {EDC_LINENUM, "行番号(&N)", ""},
    {EDC_MENUBAR, "メニューバー(&M)", ""},
    {EDC_TOOLBAR, "ツールバー(&T)", ""},
    {EDC_SCROLLBAR, "スクロールバー(&V)", ""},
    {EDC_STATBAR, "ステータスバー(&U)", ""},
    {EDC_FONTS, "フォント小(&S)", ""},
    {EDC_FONTM, "フォント中(&N)", ""},
    {EDC_FONTL, "フォント大(&L)", ""},
    {EDC_SIZE0, "80x25(&0)", ""},
    {EDC_SIZE1, "120x38(&1)", ""},
    {EDC_SIZE2, "160x48(&2)", ""},
    {EDC_REVERS, "画面反転(&R)", ""},
    {EDC_USAGE, "使用法(&M)", ""},
    {EDC_VERSION, "バージョン(&V)", ""},
    {EDC_SELECT, "選択開始/終了(&S)", ""},
    {EDC_MACRO, "マクロ記録開始/終了(&K)", ""},
    {EDC_PLAY, "マクロ実行(&P)", ""},
    {EDC_UNDO, "元に戻す(&Z)", ""},   // CTRL-Z scrolls: the undo history has its menu entries
    {EDC_REDO, "やり直し(&R)", ""},
};

} // namespace

ED_SETID ed_switch_of(int id)
{
    switch (id) {
    case EDC_INDENT: return TED_INDENT;
    case EDC_TAB4: return TED_TABWID4;
    case EDC_DISPTAB: return TED_DISPTAB;
    case EDC_DISPEOL: return TED_DISPEOL;
    case EDC_DISPNOL: return TED_DISPNOL;
    case EDC_DISPEOF: return TED_DISPEOF;
    case EDC_LINENUM: return TED_LINENUM;
    case EDC_MENUBAR: return TED_MENUBAR;
    case EDC_TOOLBAR: return TED_TOOLBAR;
    case EDC_SCROLLBAR: return TED_SCROLLBAR;
    case EDC_STATBAR: return TED_STATBAR;
    case EDC_REVERS: return TED_REVERS;
    default: return ED_SET_COUNT;
    }
}


KOV_EDITWIN::KOV_EDITWIN(QWidget *parent) : QMainWindow(parent), text(new ED_TEXT(this))
{
    auto *box = new QWidget(this);
    auto *lay = new QVBoxLayout(box);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(text);
    // The prompt line under the text: questions are answered there without a dialog.
    ask_bar = new QWidget(box);
    auto *row = new QHBoxLayout(ask_bar);
    row->setContentsMargins(2, 2, 2, 2);
    ask_label = new QLabel(ask_bar);
    ask_edit = new QLineEdit(ask_bar);
    row->addWidget(ask_label);
    row->addWidget(ask_edit, 1);
    ask_bar->hide();
    ask_edit->installEventFilter(this);
    lay->addWidget(ask_bar);
    setCentralWidget(box);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    pos_label = new QLabel(this);
    statusBar()->addPermanentWidget(pos_label);
    build_menus();
    build_tools();
    connect(text, &QPlainTextEdit::textChanged, this, [this] { stamp++; });
    connect(text->document(), &QTextDocument::contentsChange, this, [this](int at, int removed, int added) { marks.edited(at, removed, added); });
    connect(text, &QPlainTextEdit::cursorPositionChanged, this, &KOV_EDITWIN::status_show);
    connect(text, &QPlainTextEdit::blockCountChanged, this, &KOV_EDITWIN::status_show);
    ask_yes = [this](const QString &q) { return QMessageBox::question(this, windowTitle(), q) == QMessageBox::Yes; };
    ask_file = [this](const QString &t, bool save) {
        return save ? QFileDialog::getSaveFileName(this, t, QString(), QStringLiteral("*.*"))
                    : QFileDialog::getOpenFileName(this, t, QString(), QStringLiteral("*.*"));
    };
    apply_look();
    status_show();
    title();
}

QMenu *KOV_EDITWIN::make_menu(const QString &t, std::initializer_list<int> ids)
{
    QMenu *m = menuBar()->addMenu(t);
    for (int id : ids) {
        if (id < 0) {
            m->addSeparator();
            continue;
        }
        auto it = std::find_if(std::begin(items), std::end(items), [id](const ED_ITEM &i) { return i.id == id; });
        auto *a = m->addAction(QString::fromUtf8(it->label));
        if (*it->tip) a->setToolTip(QString::fromUtf8(it->tip)), a->setStatusTip(QString::fromUtf8(it->tip));
        a->setCheckable(ed_switch_of(id) != ED_SET_COUNT || id == EDC_INSMODE);
        connect(a, &QAction::triggered, this, [this, id] { ed_command(id); });
        acts[id] = a;
    }
    return m;
}

void KOV_EDITWIN::build_menus()
{
    menus[0] = make_menu(QStringLiteral("ファイル(&F)"), {EDC_NEW, EDC_LOAD, EDC_RENAME, EDC_INSERT, EDC_REVERT, -1, EDC_PRINT, -1,
                                                     EDC_SAVEAS, EDC_SAVE, EDC_SAVEQUIT, EDC_QUIT});
    menus[1] = make_menu(QStringLiteral("編集(&E)"), {EDC_UNDO, EDC_REDO, -1, EDC_CUT, EDC_COPY, EDC_PASTE, EDC_DELETE, EDC_SELALL, -1, EDC_SELECT, -1, EDC_MARK1,
                                                 EDC_MARK2, EDC_MARK3, EDC_MARK4, -1, EDC_MACRO, EDC_PLAY});
    menus[2] = make_menu(QStringLiteral("移動(&M)"), {EDC_TOP, EDC_GOLINE, EDC_BOTTOM, -1, EDC_GOMARK1, EDC_GOMARK2, EDC_GOMARK3,
                                                 EDC_GOMARK4, EDC_SETMARK, EDC_GOMARK});
    menus[3] = make_menu(QStringLiteral("検索/置換(&S)"), {EDC_FIND, EDC_RFIND, EDC_AGAIN, EDC_RAGAIN, -1, EDC_REPLACE, EDC_IDREPLACE});
    menus[4] = make_menu(QStringLiteral("設定(&O)"), {EDC_INSMODE, EDC_INDENT, EDC_TAB4, -1, EDC_DISPTAB, EDC_DISPEOL, EDC_DISPNOL,
                                                 EDC_DISPEOF, EDC_LINENUM});
    menus[5] = make_menu(QStringLiteral("表示(&V)"), {EDC_MENUBAR, EDC_TOOLBAR, EDC_SCROLLBAR, EDC_STATBAR, -1, EDC_FONTS, EDC_FONTM,
                                                 EDC_FONTL, -1, EDC_SIZE0, EDC_SIZE1, EDC_SIZE2, -1, EDC_REVERS, -1, EDC_USAGE,
                                                 EDC_VERSION});
}

// The buttons in their order: the menus drop down under theirs, the rest are commands.
void KOV_EDITWIN::build_tools()
{
    tools = addToolBar(QStringLiteral("tools"));
    tools->setMovable(false);
    auto menu_button = [this](const char *label, int n) {
        QAction *a = tools->addAction(QString::fromUtf8(label));
        connect(a, &QAction::triggered, this, [this, a, n] {
            QWidget *b = tools->widgetForAction(a);
            menus[n]->popup(b ? b->mapToGlobal(QPoint(0, b->height())) : QCursor::pos());
        });
    };
    auto cmd_button = [this](const char *label, int id) {
        QAction *a = tools->addAction(QString::fromUtf8(label));
        connect(a, &QAction::triggered, this, [this, id] { ed_command(id); });
    };
    menu_button("FILE", 0);
    menu_button("編集", 1);
    menu_button("移動", 2);
    menu_button("置換", 3);
    cmd_button("検索", EDC_FIND);
    cmd_button("SEL", EDC_SELECT);
    cmd_button("CUT", EDC_CUT);
    cmd_button("COPY", EDC_COPY);
    cmd_button("PAST", EDC_PASTE);
    tools->addAction(QStringLiteral(" "))->setEnabled(false);   // the blank button
    menu_button("設定", 4);
    menu_button("表示", 5);
}

// ---- the host's side ----

void KOV_EDITWIN::ed_put(const char *sjis)
{
    loaded = sjis != nullptr;
    text->setPlainText(qs(sjis ? sjis : ""));
    marks.clear();
    ed_saved();
}

std::string KOV_EDITWIN::ed_text() const { return kov::sj_from_utf8(text->toPlainText().toStdString()); }

void KOV_EDITWIN::ed_saved()
{
    saved = stamp;
    saved_text = text->toPlainText();
    title();
}

void KOV_EDITWIN::ed_set_name(const char *n)
{
    name = n ? n : "";
    title();
}

void KOV_EDITWIN::title()
{
    QString t = name.empty() ? QStringLiteral("スクリプト") : QFileInfo(QString::fromLocal8Bit(name.c_str())).fileName();
    setWindowTitle(t);
}

void KOV_EDITWIN::ed_settings(kov::PROF_U *prof)
{
    prof_p = prof;
    set_read = false;
    if (!prof || !*prof->prof_get_path()) return;
    set.set_load(prof);
    set_read = true;
    apply_look();
    if (isVisible()) apply_size();
}

void KOV_EDITWIN::ed_lock(bool on)
{
    locked = on;
    text->setReadOnly(on);
    // the caret still moves while the text cannot change
    if (on) text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

bool KOV_EDITWIN::editable()
{
    if (!locked) return true;
    ed_msg(QStringLiteral("スクリプト実行中は編集できません"));
    ed_beep();
    return false;
}

void KOV_EDITWIN::ed_beep()
{
    beeps++;
    QApplication::beep();
}

void KOV_EDITWIN::ed_msg(const QString &m) { statusBar()->showMessage(m); }

bool KOV_EDITWIN::ed_accept(const QString &t)
{
    if (locked && !t.isEmpty() && t[0].unicode() >= 0x20) return editable();
    kov::SJ_LOST lost;
    std::string sj;
    if (kov::sj_from_utf8_lost(t.toStdString(), sj, &lost) == 0) return true;
    QString bad = QString::fromStdString(lost.ch);
    uint v = bad.isEmpty() ? 0 : bad.toUcs4().value(0);
    ed_msg(QStringLiteral("「%1」(U+%2) は Shift-JIS にない文字のため入力できません")
               .arg(bad, QString::number(v, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
    ed_beep();
    return false;
}

// ---- the run display ----

namespace {

QTextCursor span(QPlainTextEdit *t, long at, long end)
{
    long last = std::max(0, t->document()->characterCount() - 1);
    QTextCursor c(t->document());
    c.setPosition(int(std::clamp<long>(at, 0, last)));
    c.setPosition(int(std::clamp<long>(std::max(at, end), 0, last)), QTextCursor::KeepAnchor);
    return c;
}

} // namespace

void KOV_EDITWIN::show_run(long at, long end)
{
    if (at < 0) return;
    QTextEdit::ExtraSelection mark;
    mark.cursor = span(text, at, end);
    mark.format.setBackground(QColor(255, 236, 140));
    mark.format.setForeground(QColor(0, 0, 0));
    text->setExtraSelections({mark});
    QTextCursor caret = mark.cursor;   // the caret to the statement's start: scrolled into view
    caret.setPosition(caret.selectionStart());
    text->setTextCursor(caret);
    text->ensureCursorVisible();
}

void KOV_EDITWIN::show_fail(long at, long end, const QString &msg)
{
    if (at >= 0) {
        text->setTextCursor(span(text, at, std::max(end, at + 1)));
        text->centerCursor();
    }
    ed_msg(msg);
}

void KOV_EDITWIN::run_end() { text->setExtraSelections({}); }

// ---- look ----

QString KOV_EDITWIN::status_text() const
{
    if (prefix == PRE_ESC) return QStringLiteral("【 ESC 】");
    if (prefix == PRE_CTRL) return QStringLiteral("【 CTRL 】");
    if (macro.recording()) return QStringLiteral("【MACRO】");
    char b[64];
    snprintf(b, sizeof b, "[%5ld /%5ld]", long(text->textCursor().blockNumber() + 1), long(text->blockCount()));
    return QString::fromLatin1(b);
}

void KOV_EDITWIN::status_show() { pos_label->setText(status_text()); }

void KOV_EDITWIN::apply_look()
{
    QFont f(QStringLiteral("IPAGothic"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(set.get(TED_FONTSIZ));
    text->setFont(f);
    text->setTabStopDistance(QFontMetricsF(f).horizontalAdvance(QLatin1Char(' ')) * set.tab_width());
    QPalette p = text->palette();
    bool rev = set.get(TED_REVERS);
    p.setColor(QPalette::Base, rev ? QColor(16, 16, 32) : QColor(255, 255, 255));
    p.setColor(QPalette::Text, rev ? QColor(224, 224, 224) : QColor(0, 0, 0));
    p.setColor(QPalette::PlaceholderText, rev ? QColor(96, 160, 224) : QColor(64, 96, 192));
    text->setPalette(p);
    menuBar()->setVisible(set.get(TED_MENUBAR));
    tools->setVisible(set.get(TED_TOOLBAR));
    statusBar()->setVisible(set.get(TED_STATBAR));
    auto bars = set.get(TED_SCROLLBAR) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    text->setVerticalScrollBarPolicy(bars);
    text->setHorizontalScrollBarPolicy(bars);
    text->margin->setVisible(set.get(TED_LINENUM));
    text->margin_fit();
    checks();
    text->viewport()->update();
}

void KOV_EDITWIN::checks()
{
    for (int id = 0; id < EDC_COUNT; id++) {
        ED_SETID s = ed_switch_of(id);
        if (acts[id] && s != ED_SET_COUNT) acts[id]->setChecked(set.get(s));
    }
    if (acts[EDC_INSMODE]) acts[EDC_INSMODE]->setChecked(!text->overwriteMode());
}

// The text area holds ColSize x RowSize characters: the window is that plus its frames.
void KOV_EDITWIN::apply_size()
{
    if (set.get(TED_FULSIZE)) {
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    QFontMetrics fm(text->font());
    QSize want(set.get(TED_COLSIZE) * fm.horizontalAdvance(QLatin1Char('0')) + 2 * int(text->document()->documentMargin()) + text->margin_width(),
               set.get(TED_ROWSIZE) * fm.lineSpacing() + 2 * int(text->document()->documentMargin()));
    if (set.get(TED_SCROLLBAR)) want += QSize(text->verticalScrollBar()->sizeHint().width(), text->horizontalScrollBar()->sizeHint().height());
    QSize frame = size() - text->viewport()->size();   // menus, bars, frames as laid out now
    resize(want + frame);
    sized = true;
}

void KOV_EDITWIN::size_to(int c, int r)
{
    set.put(TED_COLSIZE, c);
    set.put(TED_ROWSIZE, r);
    apply_size();
}

void KOV_EDITWIN::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (!set_read && prof_p && *prof_p->prof_get_path()) ed_settings(prof_p);
    if (!sized) apply_size();
}

void KOV_EDITWIN::toggle(ED_SETID id)
{
    set.flip(id);
    apply_look();
    if (id == TED_MENUBAR && !set.get(id)) ed_msg(QStringLiteral("メニューを隠します。F.1 等でメニューが出ます"));
}

// ---- files ----

void KOV_EDITWIN::file_load(bool insert)
{
    if (!editable()) return;
    QString f = ask_file(insert ? QStringLiteral("ファイル挿入") : QStringLiteral("ファイル読込"), false);
    if (f.isEmpty()) return;
    std::string path = f.toLocal8Bit().toStdString(), sj;
    int got = 0;
    if (ed_file_read(path.c_str(), sj, &got) < 0) {
        ed_msg(QString::fromLocal8Bit(path.c_str()) + QStringLiteral(" 読込失敗"));
        ed_beep();
        return;
    }
    if (insert) {
        text->insertPlainText(qs(sj));
        return;
    }
    text->setPlainText(qs(sj));
    loaded = 1;
    enc = got;
    marks.clear();
    name = path;
    ed_saved();
}

int KOV_EDITWIN::file_save(const std::string &to)
{
    if (to.empty() || ed_file_write(to.c_str(), ed_text(), enc) < 0) {
        ed_msg(QString::fromLocal8Bit(to.c_str()) + QStringLiteral(" 保存失敗"));
        ed_beep();
        return -1;
    }
    name = to;
    loaded = 1;
    ed_saved();
    ed_msg(QString::fromLocal8Bit(to.c_str()) + QStringLiteral(" 保存"));
    return 0;
}

void KOV_EDITWIN::file_rename()
{
    ask(QStringLiteral("ファイル名:"), 280, QString(), [this](const QString &a) {
        if (a.trimmed().isEmpty()) return;
        name = a.trimmed().toLocal8Bit().toStdString();
        title();
    });
}

void KOV_EDITWIN::revert(bool ask_first)
{
    if (!editable()) return;
    if (stamp == saved) return;
    if (ask_first && !ask_yes(QStringLiteral("編集無効化？"))) return;
    text->setPlainText(saved_text);
    saved = stamp;
}

void KOV_EDITWIN::usage()
{
    static const char help[] =
        "CTRL-A 単語左  CTRL-B 行頭/行末  CTRL-C ページアップ  CTRL-D 右  CTRL-E 上\n"
        "CTRL-F 単語右  CTRL-G 右削除  CTRL-H 左削除  CTRL-I TAB  CTRL-J 改行\n"
        "CTRL-K 行末まで削除  CTRL-L 貼り付け  CTRL-M 改行  CTRL-N 行挿入  CTRL-O 選択開始/終了\n"
        "CTRL-P 切り取り  CTRL-Q 再検索  CTRL-R ページダウン  CTRL-S 左  CTRL-T マーク位置移動\n"
        "CTRL-U 行頭まで削除  CTRL-V 制御文字入力  CTRL-W 下スクロール  CTRL-X 下  CTRL-Y 行削除\n"
        "CTRL-Z 上スクロール  CTRL-[ ESC  CTRL-^ 前方検索  CTRL-\\ 後方検索  CTRL-] ペアマッチ\n"
        "F.1-F.4 ファイル/編集/移動/置換メニュー  F.5 前方再検索 (SHIFT: 後方)\n"
        "F.6 選択  F.7 切り取り  F.8 コピー  F.9 貼り付け  F.10 メインメニュー  F.11 設定  F.12 表示\n"
        "INS 挿入/上書  END マーク位置設定\n"
        "ESC の後: B 最終 D インデント E 保存終了 H 使用法 I 挿入モード J 行移動 K 改行表示\n"
        "L 読込 M マクロ記録開始/終了 N 新規 O 編集無効化 P マクロ実行 Q 非保存終了 R 挿入\n"
        "S 保存終了 T 先頭 W TAB 幅 X 文字列置換 Y 識別子置換 Z TAB 表示 ! ファイル名変更\n"
        ": 文字列置換 = 識別子置換 ^ 前方再検索 \\ 後方再検索 ESC 取消し";
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("使用法"), QString::fromUtf8(help), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
