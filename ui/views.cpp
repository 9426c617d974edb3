#include "ui/views.h"
#include "builtins/func.h"
#include "script/scr.h"
#include "ui/qtext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QSplitter>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QStatusBar>
#include <algorithm>
#include <QStandardPaths>

#ifndef KOV_DOCDIR
#define KOV_DOCDIR ""
#endif

KOV_VIEWWIN::KOV_VIEWWIN(QWidget *parent, const QString &title) : QMainWindow(parent), table(new QTableWidget(this))
{
    setWindowTitle(title);
    setCentralWidget(table);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    resize(560, 320);
}

// Row 0 of a view holds its column titles.
void KOV_VIEWWIN::view_fill(const SCR_VIEW &v)
{
    table->clear();
    table->setRowCount(v.rows > 0 ? v.rows - 1 : 0);
    table->setColumnCount(v.cols);
    for (int c = 0; c < v.cols; c++) table->setHorizontalHeaderItem(c, new QTableWidgetItem(kov_qs(v.view_get(0, c))));
    for (int r = 1; r < v.rows; r++)
        for (int c = 0; c < v.cols; c++) table->setItem(r - 1, c, new QTableWidgetItem(kov_qs(v.view_get(r, c))));
    table->resizeColumnsToContents();
}

// The documents: installed beside the program, or in the source tree it was built from.
static QString doc_path(const char *name)
{
    QString here = QCoreApplication::applicationDirPath();
    for (const QString &d : {here + QStringLiteral("/../share/doc/kovash"), QString::fromUtf8(KOV_DOCDIR)}) {
        QString p = d + QLatin1Char('/') + QString::fromUtf8(name);
        if (!d.isEmpty() && QFile::exists(p)) return p;
    }
    return QString();
}

KOV_HELPWIN::KOV_HELPWIN(QWidget *parent) : QMainWindow(parent), text(new QTextBrowser(this)), index(new QListWidget(this))
{
    setWindowTitle(KQ("Kovash 使用法"));
    auto *split = new QSplitter(this);
    split->addWidget(index);
    split->addWidget(text);
    split->setStretchFactor(1, 4);
    setCentralWidget(split);
    QString md;
    for (const char *doc : {"guide.md", "functions.md"}) {
        QFile f(doc_path(doc));
        if (f.open(QIODevice::ReadOnly)) md += QString::fromUtf8(f.readAll()) + QStringLiteral("\n\n");
    }
    if (md.isEmpty()) md = KQ("説明書 (guide.md) が見つかりません");
    // The guide's pictures are named relative to its folder.
    QString guide = doc_path("guide.md");
    if (!guide.isEmpty()) text->setSearchPaths({QFileInfo(guide).absolutePath()});
    text->setMarkdown(md);
    // The index in alphabetical order, whatever the case.
    QStringList names;
    for (const FN_DEF *f = FUNC_U::fn_table(); f->name[0]; f++) names << kov_qs(f->name);
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    index->addItems(names);
    connect(index, &QListWidget::itemActivated, this, [this](QListWidgetItem *i) { help_function(i->text()); });
    connect(index, &QListWidget::itemClicked, this, [this](QListWidgetItem *i) { help_function(i->text()); });
    resize(900, 600);
}

void KOV_HELPWIN::help_function(const QString &name)
{
    text->moveCursor(QTextCursor::End);   // the reference comes after the guide: search upwards
    if (!text->find(QStringLiteral("`") + name + QStringLiteral("("), QTextDocument::FindBackward))
        text->find(name, QTextDocument::FindBackward);
}

int kov_associate(const QString &exe)
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(data + QStringLiteral("/applications"));
    QDir().mkpath(data + QStringLiteral("/mime/packages"));
    QFile desk(data + QStringLiteral("/applications/kovash.desktop"));
    QFile mime(data + QStringLiteral("/mime/packages/kovash.xml"));
    if (!desk.open(QIODevice::WriteOnly | QIODevice::Truncate) || !mime.open(QIODevice::WriteOnly | QIODevice::Truncate)) return -1;
    desk.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Kovash\nExec=%1 %f\nMimeType=application/x-kovash;\n"
                              "Icon=kovash\nTerminal=false\nCategories=Office;Spreadsheet;\n")
                   .arg(exe)
                   .toUtf8());
    mime.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"application/x-kovash\">\n    <comment>Kovash sheet</comment>\n"
               "    <glob pattern=\"*.kov\"/>\n  </mime-type>\n</mime-info>\n");
    if (!desk.flush() || !mime.flush()) return -1;
    QProcess::execute(QStringLiteral("update-mime-database"), {data + QStringLiteral("/mime")});
    int rc = QProcess::execute(QStringLiteral("xdg-mime"), {QStringLiteral("default"), QStringLiteral("kovash.desktop"), QStringLiteral("application/x-kovash")});
    return rc == 0 ? 0 : -1;
}
