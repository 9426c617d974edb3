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

// The window's cell area to the part's size, with the home cell at its top-left corner.
void KOV_MAINWIN::win_part_fit(WP_PART &part)
{
    if (isMaximized() || isFullScreen() || isMinimized()) {
        QApplication::beep();
        return;
    }
    int l, t, w, h;
    part.wp_rect(l, t, w, h);
    grid->verticalScrollBar()->setValue(part.wp_y);
    grid->horizontalScrollBar()->setValue(part.wp_x);
    grid->grid_place_parts();
    part.wp_rect(l, t, w, h);
    // The cell area now against the part: the window grows or shrinks by the difference.
    QRect cells = grid->grid_parts()->area;
    QSize want = size() + QSize(w - cells.width(), h - cells.height());
    QSize least = minimumSizeHint().expandedTo(QSize(KOV_WIN_MINX, KOV_WIN_MINY));
    if (want.width() > KOV_WIN_MAX || want.height() > KOV_WIN_MAX) {
        statusBar()->showMessage(KQ("部品が多きすぎます"));
        QApplication::beep();
        return;
    }
    if (want.width() < least.width() || want.height() < least.height()) {
        statusBar()->showMessage(KQ("部品が小さすぎます"));
        QApplication::beep();
        return;
    }
    resize(want);
}

void KOV_MAINWIN::win_part_cmd(int id)
{
    auto *part = dynamic_cast<WP_PART *>(kov->csv_get_part(part_x, part_y));
    if (!part || part->wp_home(part_x, part_y) != 0) return QApplication::beep();
    const int x = part_x, y = part_y;
    switch (id) {
    case KVM_PART_EDIT:
        grid->grid_goto(x, y);
        grid->grid_edit(KOV_KEY_REEDIT);
        return;
    case KVM_PART_HELP:
        if (!help) help = new KOV_HELPWIN(this);
        help->help_function(kov_qs(part->wp_kind()));
        help->show();
        help->raise();
        return;
    case KVM_PART_PICTURE:
        if (part->wp_drawable() && part->wp_get_view() && part->wp_get_view()->view_copy() == 0)
            statusBar()->showMessage(KQ("画像をコピーしました"));
        return;
    case KVM_PART_COPY: {
        KOV_RECT r = {x, y, std::min(x + part->wp_cols, kov->csv_get_xs()) - 1, std::min(y + part->wp_rows, kov->csv_get_ys()) - 1};
        CSVFILE_U file(*kov);
        if (file.csv_clip_copy(&r, "$$b") < 0) KOV_ATT("コピー失敗");
        else statusBar()->showMessage(KQ("貼付部品をコピーしました"));
        return;
    }
    case KVM_PART_NAME: {
        char name[64];
        if (csv_print_range(name, x, y, x, y) < 0 || kov->kov_host().host_clip_put(name) < 0) KOV_ATT("セル名作成失敗");
        else statusBar()->showMessage(kov_qs(name) + KQ(" をコピーしました"));
        return;
    }
    case KVM_PART_FIT: win_part_fit(*part); return;
    case KVM_PART_HIDE:
        if (WP_QTVIEW *v = WP_QTVIEWS::qt_view_of(part)) v->hidden = true, v->apply();
        statusBar()->showMessage(KQ("指定部品を非表示にしました。(メインメニューに非表示解除があります)"));
        return;
    case KVM_PART_DELETE:
        if (const char *r = kov->cse_edit_refusal()) {
            statusBar()->showMessage(kov_qs(r));
            QApplication::beep();
            return;
        }
        grid->grid_goto(x, y);
        kov->csv_clr_cel(x, y, CSV_P_VAL | CSV_P_FORM);   // the formula goes, and its part with it
        kov->csv_form_calc(nullptr);
        grid->grid_sizes();
        statusBar()->showMessage(KQ("貼付部品を削除しました"));
        return;
    default: return;
    }
}
