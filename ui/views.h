// Small windows around the sheet: the interpreter's three views (variables, functions, stack
// history) and the help window with its index of built-in functions.
#pragma once
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextBrowser>

#include "editor/qt/edwin.h"   // the script window, KOV_EDITWIN

struct SCR_VIEW;

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
