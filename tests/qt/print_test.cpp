// Printing from the window's file menu into a PDF file: the selection, two copies, each copy
// whole after the other.
#include "tests/qt/winfix.h"
#include "sheet/kovcmd.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace kovtest;

namespace {

struct Print : WIN_FIX<> {};

// The menu item of a command under the menu bar's entry k (sub-menus searched too).
QAction *find_action(QMenu *m, const QString &label)
{
    for (QAction *a : m->actions()) {
        if (a->text() == label) return a;
        if (a->menu())
            if (QAction *b = find_action(a->menu(), label)) return b;
    }
    return nullptr;
}

TEST_F(Print, SelectionInTwoCopies)
{
    start(dir / "p.kov");
    for (int y = 0; y < 90; y++) kov.csv_put_num(1, y, y * 7);
    kov.kov_cursor_to(0, 0);
    kov.kov_select_to(2, 89);
    std::string pdf = dir / "sel.pdf";
    win.printer->prn_to_pdf(pdf, 2);
    QAction *item = find_action(win.menuBar()->actions().value(0)->menu(), kov_qs(kov_cmd(KVM_PRINT_SEL)->label.c_str()));
    ASSERT_NE(item, nullptr);
    item->trigger();
    ASSERT_EQ(system(("pdfinfo '" + pdf + "' > '" + pdf + ".info' && pdftotext '" + pdf + "' '" + pdf + ".txt'").c_str()), 0);
    EXPECT_NE(slurp(pdf + ".info").find("Pages:           4"), std::string::npos);
    std::string text = slurp(pdf + ".txt");
    // Pages 1, 2, then 1, 2 again.
    size_t a = text.find("1/2 p.kov"), b = text.find("2/2 p.kov"), c = text.find("1/2 p.kov", b), d = text.find("2/2 p.kov", c);
    EXPECT_TRUE(a < b && b < c && c < d && d != std::string::npos) << text;
    EXPECT_NE(text.find("623"), std::string::npos);   // 89 * 7
}

} // namespace
