// Small windows around the sheet: the interpreter's three views (variables, functions, stack
// history) and the help window with its index of built-in functions.
#pragma once
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextBrowser>

struct SCR_VIEW;

// The script window: the sheet's .scr as plain text (LF in the buffer), with a change stamp.
// While a script runs it marks the statement that runs next (the run display); a failure
// selects its statement and shows its message.
class KOV_EDITWIN : public QMainWindow {
    Q_OBJECT
public:
    explicit KOV_EDITWIN(QWidget *parent);
    QPlainTextEdit *text;
    long stamp = 0;
    long saved = 0;    // stamp of the text as loaded or saved
    int loaded = 0;    // a text was put: the editor's text is the script's
    // Characters at..end (-1: no position) marked as the statement that runs next.
    void show_run(long at, long end);
    void show_fail(long at, long end, const QString &msg);
    void run_end();    // the run display ends
    bool run_shown() const { return !text->extraSelections().isEmpty(); }

private:
    QTextCursor span(long at, long end) const;   // clamped to the text shown
};

class KOV_VIEWWIN : public QMainWindow {
    Q_OBJECT
public:
    KOV_VIEWWIN(QWidget *parent, const QString &title);
    void view_fill(const SCR_VIEW &v);   // rows and columns as the interpreter made them
    QTableWidget *table;
};

class KOV_HELPWIN : public QMainWindow {
    Q_OBJECT
public:
    explicit KOV_HELPWIN(QWidget *parent);
    void help_function(const QString &name);   // the reference entry of a built-in
    QTextBrowser *text;
    QListWidget *index;
};

// Registers .kov files with this program for the desktop (a desktop entry and a MIME type in the
// user's data folder, through xdg-mime): 0 / -1.
int kov_associate(const QString &exe);
