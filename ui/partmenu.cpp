// The parts' side of the main window: the insert-part commands (172..248), the part menu on a
// right click over a part (317..324) and hiding and showing all parts (170, 171).
#include "app/kov.h"
#include "base/kovlog.h"
#include "gadgets/qt/wpqt.h"
#include "sheet/cellref.h"
#include "sheet/csvfile.h"
#include "ui/grid.h"
#include "ui/mainwin.h"
#include "ui/qtext.h"
#include "ui/views.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>

namespace {

// A chosen picture as the formula names it: relative to the sheet's folder when it lies
// there, quotes and backslashes escaped for the string literal.
QString picture_arg(const QString &file, const QString &sheet)
{
    QDir dir = QFileInfo(sheet).absoluteDir();
    QString rel = dir.relativeFilePath(file);
    QString name = rel.startsWith(QLatin1String("..")) ? file : rel;
    name.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    name.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return name;
}

} // namespace

void KOV_MAINWIN::win_part_new(int id)
{
    if (const char *r = kov->cse_edit_refusal()) {
        statusBar()->showMessage(kov_qs(r));
        QApplication::beep();
        return;
    }
    int x1, y1, x2, y2;
    grid->grid_sel(x1, y1, x2, y2);
    int w = x2 - x1 + 1, h = y2 - y1 + 1;
    KOV_PARTFORM f;
    if (kov_part_form(id, w, h, "", f) != 0) return;
    if (h < f.rows) {   // a combo box's list, a timer's scroll bar: one row more
        if (y1 + f.rows > kov->csv_get_ys()) {
            KOV_LOG("領域不足");
            statusBar()->showMessage(KQ("領域不足"));
            QApplication::beep();
            return;
        }
        h = f.rows;
    }
    std::string file;
    if (f.need == KPN_FILE) {
        QString name = QFileDialog::getOpenFileName(this, KQ("画像読込"), QFileInfo(kov_qs(kov->csv_get_fname())).absolutePath(),
                                                    KQ("画像 (*.jpg *.jpeg *.png *.gif)"));
        if (name.isEmpty()) return;
        QString bad;
        if (!kov_sj_ok(picture_arg(name, kov_qs(kov->csv_get_fname())), file, &bad)) {
            statusBar()->showMessage(kov_sj_refusal(bad));
            QApplication::beep();
            return;
        }
    }
    kov_part_form(id, w, h, file.c_str(), f);
    grid->grid_goto(x1, y1);
    if (f.need == KPN_AREA || f.need == KPN_TEXT) {
        if (grid->grid_edit_text(QLatin1Char('=') + kov_qs(f.form), 1 + int(kov_qs(f.form.substr(0, size_t(f.caret))).size())))
            statusBar()->showMessage(kov_qs(f.prompt));
        return;
    }
    std::string msg;
    int rc = kov->cse_edit_commit(x1, y1, KOV_ED_FORM, ("=" + f.form).c_str(), msg);
    if (rc == 0 && !f.form2.empty()) rc = kov->cse_edit_commit(x1, y1 + 1, KOV_ED_FORM, ("=" + f.form2).c_str(), msg);
    grid->grid_sizes();
    grid->grid_follow();
    if (rc != 0) statusBar()->showMessage(kov_qs(msg));
    else if (!f.prompt.empty()) statusBar()->showMessage(kov_qs(f.prompt).trimmed().replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

void KOV_MAINWIN::win_part_menu(int x, int y, QPoint at)
{
    part_x = x, part_y = y;
    if (!part_menu) {
        part_menu = new QMenu(this);
        for (int id = KVM_PART_EDIT; id <= KVM_PART_DELETE; id++) {
            if (id == KVM_PART_PICTURE || id == KVM_PART_FIT) part_menu->addSeparator();
            part_menu->addAction(act(id, false));
        }
    }
    const WP_PART *part = dynamic_cast<const WP_PART *>(kov->csv_get_part(x, y));
    for (QAction *a : acts[KVM_PART_PICTURE]) a->setEnabled(part && WP_QTVIEWS::qt_draws(part));
    part_menu->exec(at);
}

void KOV_MAINWIN::win_parts_show(bool on)
{
    int n = grid->grid_parts()->qt_hide_all(!on);
    if (!on && !n) {
        statusBar()->showMessage(KQ("貼付部品がありません"));
        QApplication::beep();
        return;
    }
    grid->grid_place_parts();
    statusBar()->showMessage(on ? KQ("貼付部品の非表示を解除しました") : KQ("貼付部品を一時非表示にしました"));
}
