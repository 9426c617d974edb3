// The script editor's window: the sheet's .scr as plain text (LF in the buffer) with a change
// stamp, menus, toolbar and a status bar with the caret's line, keyboard commands on CTRL
// letters, the ESC prefix and the function keys, search, replacement, marks and a keyboard
// macro. While a script runs it marks the statement that runs next and refuses editing; a
// failure selects its statement and shows its message.
#pragma once
#include <QMainWindow>
#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "editor/edkeys.h"
#include "editor/edset.h"

class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class KOV_EDITWIN;

// The editor's commands (menus, toolbar, keys).
enum ED_CMD {
    EDC_NEW, EDC_LOAD, EDC_RENAME, EDC_INSERT, EDC_REVERT, EDC_PRINT, EDC_SAVEAS, EDC_SAVE,
    EDC_SAVEQUIT, EDC_QUIT,
    EDC_CUT, EDC_COPY, EDC_PASTE, EDC_DELETE, EDC_SELALL, EDC_MARK1, EDC_MARK2, EDC_MARK3, EDC_MARK4,
    EDC_GOMARK1, EDC_GOMARK2, EDC_GOMARK3, EDC_GOMARK4, EDC_TOP, EDC_GOLINE, EDC_BOTTOM, EDC_SETMARK,
    EDC_GOMARK,
    EDC_FIND, EDC_RFIND, EDC_AGAIN, EDC_RAGAIN, EDC_REPLACE, EDC_IDREPLACE,
    EDC_INSMODE, EDC_INDENT, EDC_TAB4, EDC_DISPTAB, EDC_DISPEOL, EDC_DISPNOL, EDC_DISPEOF, EDC_LINENUM,
    EDC_MENUBAR, EDC_TOOLBAR, EDC_SCROLLBAR, EDC_STATBAR, EDC_FONTS, EDC_FONTM, EDC_FONTL,
    EDC_SIZE0, EDC_SIZE1, EDC_SIZE2, EDC_REVERS, EDC_USAGE, EDC_VERSION,
    EDC_SELECT, EDC_MACRO, EDC_PLAY, EDC_UNDO, EDC_REDO, EDC_COUNT
};

// The setting a command switches, ED_SET_COUNT for none.
ED_SETID ed_switch_of(int id);

// The text widget: draws the display marks and the line numbers, and hands every key to its
// window's keyboard table first.
class ED_TEXT : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ED_TEXT(KOV_EDITWIN *w);
    void key(QKeyEvent *e) { keyPressEvent(e); }   // a key of the replayed macro
    void plain_key(QKeyEvent *e) { QPlainTextEdit::keyPressEvent(e); }
    int margin_width() const;
    void margin_fit();   // the margin's width after the setting or the line count changed
    void margin_paint(QPaintEvent *e);
    QWidget *margin;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *m) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    KOV_EDITWIN *win;
    void paint_marks();
};

class KOV_EDITWIN : public QMainWindow {
    Q_OBJECT
public:
    explicit KOV_EDITWIN(QWidget *parent);
    ED_TEXT *text;
    long stamp = 0;
    long saved = 0;    // stamp of the text as loaded or saved
    int loaded = 0;    // a text was put: the editor's text is the script's

    // ---- what the host reaches ----
    void ed_put(const char *sjis);          // a new text (nullptr: none), as loaded
    std::string ed_text() const;            // the text in Shift-JIS
    void ed_saved();                        // the text as it is now was saved with the sheet
    void ed_set_name(const char *name);     // the script file (system bytes)
    const char *ed_name() const { return name.c_str(); }
    // The settings file (nullptr: none): read at once when it has its path, else when the
    // window first opens; the window takes their look.
    void ed_settings(kov::PROF_U *prof);
    // Characters at..end (-1: no position) marked as the statement that runs next.
    void show_run(long at, long end);
    void show_fail(long at, long end, const QString &msg);
    void run_end();    // the run display ends
    bool run_shown() const { return !text->extraSelections().isEmpty(); }
    // While a script owns the interpreter its text cannot change.
    void ed_lock(bool on);
    bool ed_locked() const { return locked; }

    // ---- commands ----
    void ed_command(int id);
    bool ed_key(QKeyEvent *e);              // the keyboard table: true when the key was taken
    void ed_beep();                         // the refusal sound
    void ed_msg(const QString &m);
    bool ed_accept(const QString &t);       // text Shift-JIS can hold, else refused with its reason

    ED_SET set;
    ED_MARKS marks;
    ED_MACRO macro;
    int beeps = 0;                          // refusal sounds made (the tests listen here)
    enum { PRE_NONE, PRE_ESC, PRE_CTRL } prefix = PRE_NONE;
    bool selecting = false;                 // CTRL-O: movements stretch the selection
    std::string find_pat;                   // the last search (Shift-JIS)
    bool find_fwd = true;
    int enc = 0;                            // the encoding of the file last read or written
    QString status_text() const;            // "[%5ld /%5ld]" or the key state
    QLineEdit *prompt_edit() const { return ask_edit; }
    QMenu *menu(int n) const { return menus[n]; }   // file, edit, movement, search, settings, view
    QToolBar *tools = nullptr;
    int cols() const { return set.get(TED_COLSIZE); }

    // Questions and file choices: dialogs, replaced by the tests.
    std::function<bool(const QString &question)> ask_yes;
    std::function<QString(const QString &title, bool save)> ask_file;
    std::function<void()> print;   // prints the text; none: the command says it cannot

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    std::string name;
    QString saved_text;
    kov::PROF_U *prof_p = nullptr;
    bool set_read = false;
    bool locked = false;
    bool replaying = false;
    bool sized = false;
    QLabel *pos_label;
    QWidget *ask_bar;
    QLabel *ask_label;
    QLineEdit *ask_edit;
    std::function<void(const QString &)> ask_done;   // the answer; a null QString: cancelled
    QString ask_cancel_msg;
    QMenu *menus[6] = {};
    QAction *acts[EDC_COUNT] = {};
    QMenu *make_menu(const QString &title, std::initializer_list<int> ids);
    void build_menus();
    void build_tools();
    void apply_look();
    void apply_size();
    void status_show();
    void checks();
    void ask(const QString &prompt, int max, const QString &cancel, std::function<void(const QString &)> done);
    void ask_end(bool ok);
    bool editable();
    bool esc_key(QKeyEvent *e);
    bool ctrl_key(QKeyEvent *e);
    bool fn_key(QKeyEvent *e);
    void record(QKeyEvent *e);
    void play();
    void move(int op, int n = 1);
    void new_line(bool stay);
    void delete_span(int from_op, int to_op);
    void page(bool down);
    void scroll_lines(int n);
    void line_goto();
    void find_ask(bool fwd);
    void find_again(bool fwd);
    void replace_ask(bool ident);
    void replace_all(const std::string &src, const std::string &dst, bool ident);
    void pair_match();
    void mark_ask(bool go);
    void mark_go(int n);
    void toggle(ED_SETID id);
    void size_to(int cols, int rows);
    void file_load(bool insert);
    int file_save(const std::string &to);
    void file_rename();
    void revert(bool ask_first);
    void usage();
    void title();
    long caret_bytes(const std::string &sj) const;
    void caret_to_bytes(const std::string &sj, long at, long len = 0);
};
