// The script editor's commands and its keyboard table: CTRL letters, the ESC prefix, the
// function keys, the prompt line, search, replacement, marks and the keyboard macro.
#include "base/kovtext.h"
#include "editor/edtext.h"
#include "editor/qt/edwin.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>

#include "kovversion.h"

namespace {

QString qs(const std::string &sj) { return QString::fromStdString(kov::sj_to_utf8(sj)); }

bool modifier_only(int key) { return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta; }

// The control code a key stands for after CTRL-V (letters and @[\]^_), 0 for none.
int control_code(const QKeyEvent *e)
{
    int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k - Qt::Key_A + 1;
    switch (k) {
    case Qt::Key_BracketLeft: return 27;
    case Qt::Key_Backslash: return 28;
    case Qt::Key_BracketRight: return 29;
    case Qt::Key_AsciiCircum: return 30;
    case Qt::Key_Underscore: return 31;
    default: break;
    }
    QString t = e->text();
    return !t.isEmpty() && t[0].unicode() > 0 && t[0].unicode() < 0x20 ? t[0].unicode() : 0;
}

} // namespace

// ---- the prompt line ----

void KOV_EDITWIN::ask(const QString &prompt, int max, const QString &cancel, std::function<void(const QString &)> done)
{
    ask_label->setText(prompt);
    ask_edit->setMaxLength(max);
    ask_edit->clear();
    ask_done = std::move(done);
    ask_cancel_msg = cancel;
    ask_bar->show();
    ask_edit->setFocus();
}

void KOV_EDITWIN::ask_end(bool ok)
{
    auto done = std::move(ask_done);
    ask_done = nullptr;
    QString answer = ask_edit->text();
    ask_bar->hide();
    text->setFocus();
    if (!done) return;
    if (!ok) {
        if (!ask_cancel_msg.isEmpty()) ed_msg(ask_cancel_msg);
        return;
    }
    done(answer);   // may ask the next question
}

bool KOV_EDITWIN::eventFilter(QObject *o, QEvent *e)
{
    if (o != ask_edit || e->type() != QEvent::KeyPress) return QMainWindow::eventFilter(o, e);
    auto *k = static_cast<QKeyEvent *>(e);
    record(k);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) return ask_end(true), true;
    if (k->key() == Qt::Key_Escape) return ask_end(false), true;
    return false;
}

// ---- the keyboard table ----

void KOV_EDITWIN::record(QKeyEvent *e)
{
    if (replaying || !macro.recording() || modifier_only(e->key())) return;
    if (macro.record({e->key(), int(e->modifiers()), e->text().toStdString()}) == 1) ed_beep();
    status_show();
}

bool KOV_EDITWIN::ed_key(QKeyEvent *e)
{
    if (modifier_only(e->key())) return false;
    record(e);
    if (prefix != PRE_NONE) {
        int was = prefix;
        prefix = PRE_NONE;
        status_show();
        if (was == PRE_ESC) {
            if (!esc_key(e)) ed_beep();
            return true;
        }
        int code = control_code(e);
        if (!code) ed_beep();
        else if (editable()) text->insertPlainText(QString(QChar(code)));
        return true;
    }
    if (e->key() == Qt::Key_Escape) {
        prefix = PRE_ESC;
        status_show();
        return true;
    }
    if ((e->modifiers() & Qt::ControlModifier) && !(e->modifiers() & Qt::AltModifier)) return ctrl_key(e);
    if (fn_key(e)) return true;
    switch (e->key()) {
    case Qt::Key_Insert: ed_command(EDC_INSMODE); return true;
    case Qt::Key_End: mark_ask(false); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: new_line(false); return true;
    case Qt::Key_Tab:
        if (editable()) text->insertPlainText(QStringLiteral("\t"));
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete: return !editable();
    default: break;
    }
    if (!selecting) return false;
    switch (e->key()) {   // a selection started by CTRL-O stretches with the plain cursor keys
    case Qt::Key_Left: move(QTextCursor::Left); return true;
    case Qt::Key_Right: move(QTextCursor::Right); return true;
    case Qt::Key_Up: move(QTextCursor::Up); return true;
    case Qt::Key_Down: move(QTextCursor::Down); return true;
    case Qt::Key_Home: move(QTextCursor::StartOfBlock); return true;
    case Qt::Key_PageUp: page(false); return true;
    case Qt::Key_PageDown: page(true); return true;
    default: return false;
    }
}

bool KOV_EDITWIN::ctrl_key(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_A: move(QTextCursor::PreviousWord); break;
    case Qt::Key_B: move(text->textCursor().atBlockStart() ? QTextCursor::EndOfBlock : QTextCursor::StartOfBlock); break;
    case Qt::Key_C: page(true); break;
    case Qt::Key_D: move(QTextCursor::Right); break;
    case Qt::Key_E: move(QTextCursor::Up); break;
    case Qt::Key_F: move(QTextCursor::NextWord); break;
    case Qt::Key_G: delete_span(QTextCursor::NoMove, QTextCursor::NextCharacter); break;
    case Qt::Key_H: delete_span(QTextCursor::PreviousCharacter, QTextCursor::NoMove); break;
    case Qt::Key_I:
        if (editable()) text->insertPlainText(QStringLiteral("\t"));
        break;
    case Qt::Key_J:
    case Qt::Key_M: new_line(false); break;
    case Qt::Key_K: delete_span(QTextCursor::NoMove, QTextCursor::EndOfBlock); break;
    case Qt::Key_L: ed_command(EDC_PASTE); break;
    case Qt::Key_N: new_line(true); break;
    case Qt::Key_O: ed_command(EDC_SELECT); break;
    case Qt::Key_P: ed_command(EDC_CUT); break;
    case Qt::Key_Q: find_again(find_fwd); break;
    case Qt::Key_R: page(false); break;
    case Qt::Key_S: move(QTextCursor::Left); break;
    case Qt::Key_T: mark_ask(true); break;
    case Qt::Key_U: delete_span(QTextCursor::StartOfBlock, QTextCursor::NoMove); break;
    case Qt::Key_V:
        prefix = PRE_CTRL;
        status_show();
        break;
    case Qt::Key_W: scroll_lines(-1); break;
    case Qt::Key_X: move(QTextCursor::Down); break;
    case Qt::Key_Y: delete_span(QTextCursor::StartOfBlock, QTextCursor::NextBlock); break;
    case Qt::Key_Z: scroll_lines(1); break;
    case Qt::Key_BracketLeft:
        prefix = PRE_ESC;
        status_show();
        break;
    case Qt::Key_AsciiCircum:
    case Qt::Key_6: find_ask(true); break;
    case Qt::Key_Backslash: find_ask(false); break;
    case Qt::Key_BracketRight: pair_match(); break;
    default: return false;   // CTRL-HOME and the like: the text widget's own
    }
    return true;
}

bool KOV_EDITWIN::fn_key(QKeyEvent *e)
{
    int k = e->key();
    if (k < Qt::Key_F1 || k > Qt::Key_F12) return false;
    auto drop = [this](int n) {
        QRect r = text->cursorRect();
        menus[n]->popup(text->viewport()->mapToGlobal(r.bottomLeft()));
    };
    switch (k) {
    case Qt::Key_F1: drop(0); break;
    case Qt::Key_F2: drop(1); break;
    case Qt::Key_F3: drop(2); break;
    case Qt::Key_F4: drop(3); break;
    case Qt::Key_F5: find_again(!(e->modifiers() & Qt::ShiftModifier)); break;
    case Qt::Key_F6: ed_command(EDC_SELECT); break;
    case Qt::Key_F7: ed_command(EDC_CUT); break;
    case Qt::Key_F8: ed_command(EDC_COPY); break;
    case Qt::Key_F9: ed_command(EDC_PASTE); break;
    case Qt::Key_F10:   // the main window with its menus
        if (parentWidget()) parentWidget()->window()->raise(), parentWidget()->window()->activateWindow();
        break;
    case Qt::Key_F11: drop(4); break;
    default: drop(5); break;
    }
    return true;
}

bool KOV_EDITWIN::esc_key(QKeyEvent *e)
{
    static const struct {
        int key, cmd;
    } keys[] = {
        {Qt::Key_B, EDC_BOTTOM},      {Qt::Key_D, EDC_INDENT},       {Qt::Key_E, EDC_SAVEQUIT}, {Qt::Key_H, EDC_USAGE},
        {Qt::Key_I, EDC_INSMODE},     {Qt::Key_J, EDC_GOLINE},       {Qt::Key_K, EDC_DISPEOL},  {Qt::Key_L, EDC_LOAD},
        {Qt::Key_N, EDC_NEW},         {Qt::Key_O, EDC_REVERT},       {Qt::Key_P, EDC_PLAY},     {Qt::Key_Q, EDC_QUIT},
        {Qt::Key_R, EDC_INSERT},      {Qt::Key_S, EDC_SAVEQUIT},     {Qt::Key_T, EDC_TOP},      {Qt::Key_W, EDC_TAB4},
        {Qt::Key_X, EDC_REPLACE},     {Qt::Key_Y, EDC_IDREPLACE},    {Qt::Key_Z, EDC_DISPTAB},  {Qt::Key_Exclam, EDC_RENAME},
        {Qt::Key_Colon, EDC_REPLACE}, {Qt::Key_Equal, EDC_IDREPLACE}, {Qt::Key_AsciiCircum, EDC_AGAIN},
        {Qt::Key_Backslash, EDC_RAGAIN},
    };
    int k = e->key();
    if (k == Qt::Key_Escape) return true;   // the prefix cancelled
    if (k == Qt::Key_M) {
        bool was = macro.recording();
        ed_command(EDC_MACRO);
        if (was) macro.drop(2);   // ESC M itself is not part of the macro
        return true;
    }
    for (auto &r : keys)
        if (r.key == k) return ed_command(r.cmd), true;
    return false;
}

// ---- movement and editing ----

void KOV_EDITWIN::move(int op, int n)
{
    QTextCursor c = text->textCursor();
    c.movePosition(QTextCursor::MoveOperation(op), selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor, n);
    text->setTextCursor(c);
}

void KOV_EDITWIN::page(bool down)
{
    QKeyEvent e(QEvent::KeyPress, down ? Qt::Key_PageDown : Qt::Key_PageUp, selecting ? Qt::ShiftModifier : Qt::NoModifier);
    text->plain_key(&e);
}

void KOV_EDITWIN::scroll_lines(int n)
{
    QScrollBar *b = text->verticalScrollBar();
    b->setValue(b->value() + n);
}

// The bytes between the two movements from the caret go (a selection goes instead, as typed).
void KOV_EDITWIN::delete_span(int from_op, int to_op)
{
    if (!editable()) return;
    QTextCursor c = text->textCursor();
    if (!c.hasSelection()) {
        QTextCursor from = c, to = c;
        from.movePosition(QTextCursor::MoveOperation(from_op));
        if (!to.movePosition(QTextCursor::MoveOperation(to_op)) && to_op == QTextCursor::NextBlock)
            to.movePosition(QTextCursor::EndOfBlock);   // the last line has no line end to take
        c.setPosition(from.position());
        c.setPosition(to.position(), QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
    text->setTextCursor(c);
    selecting = false;
}

// A new line takes the blanks that begin the line it leaves (automatic indentation); stay
// keeps the caret before it (a line inserted).
void KOV_EDITWIN::new_line(bool stay)
{
    if (!editable()) return;
    QTextCursor c = text->textCursor();
    QString ind;
    if (set.get(TED_INDENT) && !stay) {
        const QString line = c.block().text();
        int col = c.positionInBlock();
        for (int i = 0; i < col && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')); i++) ind += line[i];
    }
    int at = c.selectionStart();
    c.insertText(QStringLiteral("\n") + ind);
    if (stay) c.setPosition(at);
    text->setTextCursor(c);
}

// ---- commands ----

void KOV_EDITWIN::ed_command(int id)
{
    switch (id) {
    case EDC_NEW:
        if (!editable()) return;
        text->clear();
        loaded = 1;
        marks.clear();
        return;
    case EDC_LOAD: return file_load(false);
    case EDC_RENAME: return file_rename();
    case EDC_INSERT: return file_load(true);
    case EDC_REVERT: return revert(true);
    case EDC_PRINT:
        if (print) print();
        else ed_msg(QStringLiteral("印刷できません"));
        return;
    case EDC_SAVEAS: {
        QString f = ask_file(QStringLiteral("ファイル保存"), true);
        if (!f.isEmpty()) file_save(f.toLocal8Bit().toStdString());
        return;
    }
    case EDC_SAVE:
        if (name.empty()) return ed_command(EDC_SAVEAS);
        file_save(name);
        return;
    case EDC_SAVEQUIT:
        if ((name.empty() ? -1 : file_save(name)) == 0) hide();
        else if (name.empty()) ed_command(EDC_SAVEAS);
        return;
    case EDC_QUIT:
        if (stamp != saved && !ask_yes(QStringLiteral("非保存終了"))) return;
        if (!locked) revert(false);
        hide();
        return;
    case EDC_CUT:
        if (editable()) text->cut();
        selecting = false;
        return;
    case EDC_COPY:
        text->copy();
        selecting = false;
        return;
    case EDC_PASTE:
        if (editable()) text->paste();
        return;
    case EDC_DELETE:
        if (editable()) text->textCursor().removeSelectedText();
        return;
    case EDC_SELALL: text->selectAll(); return;
    case EDC_UNDO:
        if (editable()) text->undo();
        return;
    case EDC_REDO:
        if (editable()) text->redo();
        return;
    case EDC_MARK1:
    case EDC_MARK2:
    case EDC_MARK3:
    case EDC_MARK4:
        marks.set(id - EDC_MARK1 + 1, text->textCursor().position());
        ed_msg(QStringLiteral("マーク %1 設定").arg(id - EDC_MARK1 + 1));
        return;
    case EDC_GOMARK1:
    case EDC_GOMARK2:
    case EDC_GOMARK3:
    case EDC_GOMARK4: return mark_go(id - EDC_GOMARK1 + 1);
    case EDC_TOP: return move(QTextCursor::Start);
    case EDC_BOTTOM: return move(QTextCursor::End);
    case EDC_GOLINE: return line_goto();
    case EDC_SETMARK: return mark_ask(false);
    case EDC_GOMARK: return mark_ask(true);
    case EDC_FIND: return find_ask(true);
    case EDC_RFIND: return find_ask(false);
    case EDC_AGAIN: return find_again(true);
    case EDC_RAGAIN: return find_again(false);
    case EDC_REPLACE: return replace_ask(false);
    case EDC_IDREPLACE: return replace_ask(true);
    case EDC_INSMODE:
        text->setOverwriteMode(!text->overwriteMode());
        ed_msg(text->overwriteMode() ? QStringLiteral("上書モード") : QStringLiteral("挿入モード"));
        return checks();
    case EDC_FONTS: set.put(TED_FONTSIZ, 12), apply_look(); return apply_size();
    case EDC_FONTM: set.put(TED_FONTSIZ, 16), apply_look(); return apply_size();
    case EDC_FONTL: set.put(TED_FONTSIZ, 24), apply_look(); return apply_size();
    case EDC_SIZE0: return size_to(80, 25);
    case EDC_SIZE1: return size_to(120, 38);
    case EDC_SIZE2: return size_to(160, 48);
    case EDC_USAGE: return usage();
    case EDC_VERSION: {
        auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("バージョン"),
                                    QStringLiteral("Kovash スクリプトエディタ " KOV_VERSION), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        return;
    }
    case EDC_SELECT:
        selecting = !selecting;
        if (selecting) {   // the selection starts at the caret
            QTextCursor c = text->textCursor();
            c.clearSelection();
            text->setTextCursor(c);
        }
        ed_msg(selecting ? QStringLiteral("選択開始") : QStringLiteral("選択終了"));
        return;
    case EDC_MACRO:
        if (replaying) return ed_beep();
        macro.toggle();
        return status_show();
    case EDC_PLAY: return play();
    default: break;
    }
    ED_SETID s = ed_switch_of(id);
    if (s != ED_SET_COUNT) toggle(s);
}

// Replays the keys as typed: to the prompt line while a question waits, else to the text.
void KOV_EDITWIN::play()
{
    const std::vector<ED_KEY> *keys = macro.play();
    if (!keys || replaying) return ed_beep();
    replaying = true;
    std::vector<ED_KEY> copy = *keys;
    for (const ED_KEY &k : copy) {
        QKeyEvent e(QEvent::KeyPress, k.key, Qt::KeyboardModifiers(k.mods), QString::fromStdString(k.text));
        if (ask_bar->isVisible()) QApplication::sendEvent(ask_edit, &e);
        else text->key(&e);
    }
    replaying = false;
}

// ---- positions in the Shift-JIS text ----

long KOV_EDITWIN::caret_bytes(const std::string &sj) const { return ed_bytes(sj, text->textCursor().selectionStart()); }

// The caret to byte at, selecting len bytes after it with the caret at their start.
void KOV_EDITWIN::caret_to_bytes(const std::string &sj, long at, long len)
{
    QTextCursor c = text->textCursor();
    c.setPosition(int(ed_chars(sj, at + len)));
    c.setPosition(int(ed_chars(sj, at)), QTextCursor::KeepAnchor);
    text->setTextCursor(c);
    text->ensureCursorVisible();
}

void KOV_EDITWIN::line_goto()
{
    ask(QStringLiteral("行番号:"), 20, QString(), [this](const QString &a) {
        long n = ed_line_arg(a.toStdString());
        if (n < 1 || n > text->blockCount()) return ed_beep();
        QTextCursor c = text->textCursor();
        c.setPosition(text->document()->findBlockByNumber(int(n - 1)).position());
        text->setTextCursor(c);
        text->ensureCursorVisible();
    });
}

void KOV_EDITWIN::find_ask(bool fwd)
{
    ask(fwd ? QStringLiteral("前方検索:") : QStringLiteral("後方検索:"), 80, QStringLiteral("検索中断"), [this, fwd](const QString &a) {
        if (a.isEmpty() || !ed_accept(a)) return;
        find_pat = kov::sj_from_utf8(a.toStdString());
        find_again(fwd);
    });
    ask_edit->setText(qs(find_pat));   // Enter searches for the last text again
    ask_edit->selectAll();
}

void KOV_EDITWIN::find_again(bool fwd)
{
    if (find_pat.empty()) return find_ask(fwd);
    find_fwd = fwd;
    std::string sj = ed_text();
    long at = caret_bytes(sj);
    if (fwd && text->textCursor().hasSelection()) at = ed_next(sj, at);   // past the match shown
    long p = ed_find(sj, find_pat, at, fwd);
    if (p < 0) {
        ed_msg(QStringLiteral("見つかりません: ") + qs(find_pat));
        return ed_beep();
    }
    caret_to_bytes(sj, p, long(find_pat.size()));
    statusBar()->clearMessage();
}

void KOV_EDITWIN::replace_ask(bool ident)
{
    if (!editable()) return;
    ask(QStringLiteral("置換元:"), 80, QStringLiteral("置換中止"), [this, ident](const QString &src) {
        if (!src.isEmpty() && !ed_accept(src)) return;
        if (src.isEmpty()) {
            ed_msg(qs(ed_repl_msg(ED_REP_NOSRC, 0)));
            return ed_beep();
        }
        ask(QStringLiteral("置換先:"), 80, QStringLiteral("置換中止"), [this, ident, src](const QString &dst) {
            if (ed_accept(dst)) replace_all(kov::sj_from_utf8(src.toStdString()), kov::sj_from_utf8(dst.toStdString()), ident);
        });
    });
}

// Every occurrence in one step of the undo history, from the last to the first so that the
// positions before each stay where they were found.
void KOV_EDITWIN::replace_all(const std::string &src, const std::string &dst, bool ident)
{
    int rc = ed_repl_check(src, dst);
    std::string sj = ed_text();
    std::vector<long> at = rc == ED_REP_DONE ? ed_matches(sj, src, ident) : std::vector<long>();
    if (rc == ED_REP_DONE && at.empty()) rc = ED_REP_NONE;
    ed_msg(qs(ed_repl_msg(rc, int(at.size()))));
    if (ed_repl_refused(rc)) ed_beep();
    if (rc != ED_REP_DONE) return;
    long len = long(qs(src).size());
    QString to = qs(dst);
    QTextCursor c(text->document());
    c.beginEditBlock();
    long chars = 0, from = 0;   // characters up to byte from, counted once along the text
    std::vector<long> ch;
    for (long p : at) chars += ed_chars(sj.substr(size_t(from), size_t(p - from)), p - from), from = p, ch.push_back(chars);
    for (size_t i = ch.size(); i-- > 0;) {
        c.setPosition(int(ch[i]));
        c.setPosition(int(ch[i] + len), QTextCursor::KeepAnchor);
        c.insertText(to);
    }
    c.endEditBlock();
}

void KOV_EDITWIN::pair_match()
{
    std::string sj = ed_text();
    long p = ed_pair(sj, caret_bytes(sj));
    if (p == ED_NOTPAIR) return ed_msg(QStringLiteral("ペアマッチ対象外"));
    if (p < 0) return ed_beep();
    caret_to_bytes(sj, p);
}

void KOV_EDITWIN::mark_ask(bool go)
{
    ask(go ? QStringLiteral("移動マーク番号:") : QStringLiteral("設定マーク番号:"), 1, QString(), [this, go](const QString &a) {
        int n = a.toInt();
        if (n < 1 || n > ED_MARKS::COUNT) return ed_beep();
        if (go) return mark_go(n);
        ed_command(EDC_MARK1 + n - 1);
    });
}

void KOV_EDITWIN::mark_go(int n)
{
    long at = marks.get(n);
    if (at < 0) return ed_beep();
    QTextCursor c = text->textCursor();
    c.setPosition(int(std::min<long>(at, text->document()->characterCount() - 1)));
    text->setTextCursor(c);
    text->ensureCursorVisible();
}
