#include "ui/grid.h"
#include "app/kov.h"
#include "gadgets/qt/wpqt.h"
#include "sheet/cellref.h"
#include "ui/qtext.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QValidator>
#include <functional>

namespace {

// Colour codes 1..11 of the cell attributes; 0 and 12..15 are the window's defaults.
QColor code_color(int code, bool back)
{
    if (code == 11) return QApplication::palette().color(QPalette::Button);
    return QColor(QRgb(csv_code_rgb(code, back)));
}

const QColor head_back(236, 236, 236), head_line(192, 192, 192);

// Keeps out of the cell editor what Shift-JIS cannot hold, however it comes (keys, input method,
// paste, drop): the edit is undone and the grid tells why.
class SJ_VALIDATOR : public QValidator {
public:
    SJ_VALIDATOR(QObject *parent, std::function<void(const QString &)> no) : QValidator(parent), refuse(std::move(no)) {}
    State validate(QString &input, int &) const override
    {
        std::string sj;
        QString bad;
        if (kov_sj_ok(input, sj, &bad)) return Acceptable;
        refuse(bad);
        return Invalid;
    }

private:
    std::function<void(const QString &)> refuse;
};

} // namespace

KOV_GRID::KOV_GRID(QWidget *parent)
    : QAbstractScrollArea(parent), editor(new QLineEdit(viewport())),
      parts(new WP_QTVIEWS(viewport(), [this](int x, int y, int &l, int &t, int &w, int &h) {
          if (!kov || x < 0 || y < 0 || x >= kov->csv_get_xs() || y >= kov->csv_get_ys()) return -1;
          cell_rect(x, y, l, t, w, h);
          return 0;
      }))
{
    parts->setParent(this);
    parts->adopt = [this](QWidget *w) { w->installEventFilter(this); };
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    editor->hide();
    editor->setFrame(false);
    editor->installEventFilter(this);
    editor->setValidator(new SJ_VALIDATOR(editor, [this](const QString &bad) { refuse(bad); }));
    grid_font(16);
}

void KOV_GRID::grid_attach(KOV_U *k)
{
    kov = k;
    grid_sizes();
}

void KOV_GRID::grid_font(int height)
{
    fh = height;
    QFont f(QStringLiteral("IPAGothic"));
    f.setStyleHint(QFont::TypeWriter);
    // Cell texts are Japanese and Latin, neither needing a shaper: without one a frame of a full
    // grid draws its texts in a third of the time.
    f.setStyleStrategy(QFont::PreferNoShaping);
    f.setPixelSize(height);
    setFont(f);
    editor->setFont(f);
    QFontMetrics fm(f);
    cw = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    rh = fm.height() + 4;
    grid_sizes();
}

int KOV_GRID::head_w() const
{
    CSV_WINST ws;
    if (!kov) return 0;
    kov->kov_host().host_win_get(ws);
    return ws.v[CSV_WS_ROWNAME] == 0 ? 0 : kov->csv_rnwide * cw + 6;
}

int KOV_GRID::head_h() const
{
    CSV_WINST ws;
    if (!kov) return 0;
    kov->kov_host().host_win_get(ws);
    return ws.v[CSV_WS_COLNAME] == 0 ? 0 : rh;
}

int KOV_GRID::col_w(int x) const { return kov->csv_get_wide(x) * cw; }

int KOV_GRID::visible_rows() const { return std::max(1, (viewport()->height() - head_h()) / rh); }

int KOV_GRID::visible_cols() const
{
    int w = viewport()->width() - head_w(), n = 0;
    for (int x = left; x < kov->csv_get_xs() && w >= col_w(x); x++, n++) w -= col_w(x);
    return std::max(1, n);
}

void KOV_GRID::grid_sizes()
{
    if (!kov) return;
    verticalScrollBar()->setRange(0, std::max(0, kov->csv_get_ys() - 1));
    verticalScrollBar()->setPageStep(visible_rows());
    horizontalScrollBar()->setRange(0, std::max(0, kov->csv_get_xs() - 1));
    horizontalScrollBar()->setPageStep(visible_cols());
    viewport()->update();
    grid_place_parts();
}

// Cells before the first shown row or column lie at negative offsets, so that a part whose
// home cell scrolled out still knows where its visible rest is.
void KOV_GRID::cell_rect(int x, int y, int &l, int &t, int &w, int &h) const
{
    l = head_w();
    for (int c = left; c < x; c++) l += col_w(c);
    for (int c = x; c < left; c++) l -= col_w(c);
    t = head_h() + (y - top) * rh;
    w = col_w(x), h = rh;
}

void KOV_GRID::grid_place_parts()
{
    if (!kov) return;
    parts->qt_area(QRect(head_w(), head_h(), std::max(0, viewport()->width() - head_w()), std::max(0, viewport()->height() - head_h())));
    parts->qt_place_all();
}

bool KOV_GRID::grid_part_at(QPoint p, int &x, int &y) const
{
    QWidget *c = viewport()->childAt(p);
    const WP_PART *part = c && c->isVisible() ? WP_QTVIEWS::qt_part_of(c) : nullptr;
    if (!part) return false;
    x = part->wp_x, y = part->wp_y;
    return true;
}

// A cell under a part takes no typing, except "=" that edits its formula.
bool KOV_GRID::hidden_cell(const QString &typed)
{
    if (!kov || typed.startsWith(QLatin1Char('='))) return false;
    int l, t, w, h, px, py;
    cell_rect(kov->csv_curx, kov->csv_cury, l, t, w, h);
    if (!grid_part_at(QPoint(l + w / 2, t + h / 2), px, py)) return false;
    emit status(KQ("貼付部品に隠れたセルには入力できません"));
    QApplication::beep();
    return true;
}

void KOV_GRID::resizeEvent(QResizeEvent *) { grid_sizes(); }

void KOV_GRID::scrollContentsBy(int, int)
{
    top = verticalScrollBar()->value();
    left = horizontalScrollBar()->value();
    editor->hide();
    viewport()->update();
    grid_place_parts();
}

void KOV_GRID::grid_sel(int &x1, int &y1, int &x2, int &y2) const
{
    const KOV_RECT &r = kov->kov_sel;
    x1 = std::min(r.x1, r.x2), x2 = std::max(r.x1, r.x2);
    y1 = std::min(r.y1, r.y2), y2 = std::max(r.y1, r.y2);
}

void KOV_GRID::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const int W = viewport()->width(), H = viewport()->height();
    p.fillRect(0, 0, W, H, Qt::white);
    if (!kov || !kov->csv_exists()) return;
    const int hw = head_w(), hh = head_h(), xs = kov->csv_get_xs(), ys = kov->csv_get_ys();
    const int lw = std::max(1, fh / 16);
    int sx1, sy1, sx2, sy2;
    grid_sel(sx1, sy1, sx2, sy2);
    char buf[4097];
    const QFontMetrics fm(font());
    const int base = (rh + fm.ascent() - fm.descent()) / 2;
    // Cells first, each with its background, text and own top and left lines. The display text
    // already fits its column, so it is drawn at a point: no layout, no clipping.
    int py = hh, pen = -1;
    p.setPen(Qt::black);
    for (int y = top; y < ys && py < H; y++, py += rh) {
        int px = hw;
        for (int x = left; x < xs && px < W; px += col_w(x), x++) {
            const int w = col_w(x);
            const CSV_CEL *c = kov->csv_get_cel(x, y);
            QRect r(px, py, w, rh);
            if (c) {
                int back = kov->csv_get_attr(x, y, CSV_A_BACK);
                if (back) p.fillRect(r, code_color(back, true));
                int n = kov->csv_dsp_text(x, y, 0, kov->csv_get_wide(x) + 1, buf);
                if (n > 0) {
                    int tc = kov->csv_get_attr(x, y, CSV_A_TEXT);
                    if (tc != pen) p.setPen(code_color(tc, false)), pen = tc;
                    QString t = kov_qs(buf);
                    int tx = CSV_U::csv_cel_type(c) == 3 ? px + w - 2 - fm.horizontalAdvance(t) : px + 2;
                    p.drawText(tx, py + base, t);
                }
                if (kov->csv_get_attr(x, y, CSV_A_TOP)) p.fillRect(px, py, w, lw, Qt::black);
                if (kov->csv_get_attr(x, y, CSV_A_LEFT)) p.fillRect(px, py, lw, rh, Qt::black);
            }
            if (x >= sx1 && x <= sx2 && y >= sy1 && y <= sy2 && (sx1 != sx2 || sy1 != sy2))
                p.fillRect(r, QColor(0, 90, 200, 40));
        }
    }
    // The cursor.
    if (kov->csv_cury >= top && kov->csv_curx >= left) {
        int cx = hw, cy = hh + (kov->csv_cury - top) * rh;
        for (int x = left; x < kov->csv_curx; x++) cx += col_w(x);
        QRect r(cx, cy, col_w(kov->csv_curx), rh);
        p.setPen(QPen(QColor(0, 60, 160), 2));
        p.setBrush(Qt::NoBrush);
        if (diamond) {
            QPoint m = r.center();
            int d = rh / 2 - 2;
            QPoint pts[4] = {{m.x(), m.y() - d}, {m.x() + d, m.y()}, {m.x(), m.y() + d}, {m.x() - d, m.y()}};
            p.drawPolygon(pts, 4);
        }
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }
    // Headers: numbers, or the column-name row and the row-name column.
    p.setPen(Qt::black);
    if (hh) {
        int px = hw;
        for (int x = left; x < xs && px < W; px += col_w(x), x++) {
            QRect r(px, 0, col_w(x), hh);
            p.fillRect(r, head_back);
            QString label = QString::number(x);
            if (kov->csv_cnrow >= 0 && kov->csv_dsp_text(x, kov->csv_cnrow, 0, kov->csv_get_wide(x) + 1, buf) > 0) label = kov_qs(buf);
            p.setPen(head_line);
            p.drawRect(r.adjusted(0, 0, -1, -1));
            p.setPen(Qt::black);
            p.drawText(r, Qt::AlignCenter, label);
        }
    }
    if (hw) {
        int py2 = hh;
        for (int y = top; y < ys && py2 < H; y++, py2 += rh) {
            QRect r(0, py2, hw, rh);
            p.fillRect(r, head_back);
            QString label = QString::number(y);
            if (kov->csv_rncol >= 0 && kov->csv_dsp_text(kov->csv_rncol, y, 0, kov->csv_rnwide + 1, buf) > 0) label = kov_qs(buf);
            p.setPen(head_line);
            p.drawRect(r.adjusted(0, 0, -1, -1));
            p.setPen(Qt::black);
            p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter, label);
        }
    }
    if (hw && hh) p.fillRect(0, 0, hw, hh, head_back);
}

bool KOV_GRID::cell_at(QPoint pt, int &x, int &y) const
{
    if (pt.x() < head_w() || pt.y() < head_h()) return false;
    y = top + (pt.y() - head_h()) / rh;
    int px = head_w();
    for (x = left; x < kov->csv_get_xs(); x++) {
        if (pt.x() < px + col_w(x)) break;
        px += col_w(x);
    }
    return x < kov->csv_get_xs() && y < kov->csv_get_ys();
}

void KOV_GRID::keep_visible()
{
    int x = kov->csv_curx, y = kov->csv_cury;
    if (y < top) verticalScrollBar()->setValue(y);
    else if (y >= top + visible_rows()) verticalScrollBar()->setValue(y - visible_rows() + 1);
    if (x < left) horizontalScrollBar()->setValue(x);
    else if (x >= left + visible_cols()) {
        int l = x, w = viewport()->width() - head_w() - col_w(x);
        while (l > 0 && w >= col_w(l - 1)) w -= col_w(--l);
        horizontalScrollBar()->setValue(l);
    }
}

void KOV_GRID::grid_goto(int x, int y, bool extend)
{
    if (!kov) return;
    if (extend) kov->kov_select_to(x, y);
    else kov->kov_cursor_to(x, y);
    grid_follow();
}

void KOV_GRID::grid_follow()
{
    keep_visible();
    viewport()->update();
    emit cursor_moved();
}

void KOV_GRID::grid_edit(int key, const QString &first)
{
    if (!kov) return;
    std::string text;
    const char *msg = nullptr;
    int x = kov->csv_curx, y = kov->csv_cury;
    int kind = kov->cse_edit_begin(x, y, key, text, &msg);
    if (kind == KOV_ED_NONE) {
        if (msg) emit status(kov_qs(msg));
        return;
    }
    ed_kind = kind, ed_x = x, ed_y = y;
    QString t = key == KOV_KEY_REEDIT ? kov_qs(text) : (kind == KOV_ED_TEXT && first == QLatin1String("\"") ? QString() : first);
    int px = head_w(), py = head_h() + (y - top) * rh;
    for (int c = left; c < x; c++) px += col_w(c);
    editor->setGeometry(px, py, std::max(col_w(x), 8 * cw), rh);
    editor->setText(t);
    editor->show();
    editor->raise();   // above the part windows
    editor->setFocus();
    editor->end(false);
}

bool KOV_GRID::grid_edit_text(const QString &text, int caret)
{
    std::string ignored;
    const char *msg = nullptr;
    int x = kov->csv_curx, y = kov->csv_cury;
    if (kov->cse_edit_begin(x, y, '=', ignored, &msg) != KOV_ED_FORM) {
        if (msg) emit status(kov_qs(msg));
        QApplication::beep();
        return false;
    }
    keep_visible();
    ed_kind = KOV_ED_FORM, ed_x = x, ed_y = y;
    int l, t, w, h;
    cell_rect(x, y, l, t, w, h);
    editor->setGeometry(l, t, std::max(w, 8 * cw), h);
    editor->setText(text);
    editor->setCursorPosition(caret);
    editor->show();
    editor->raise();
    editor->setFocus();
    return true;
}

// Stores the editor's text; on success the cursor moves by (dx, dy).
bool KOV_GRID::commit(int dx, int dy)
{
    std::string msg, sj;
    QString bad;
    if (!kov_sj_ok(editor->text(), sj, &bad)) {
        refuse(bad);
        return false;
    }
    if (kov->cse_edit_commit(ed_x, ed_y, ed_kind, sj.c_str(), msg) != 0) {
        if (!msg.empty()) emit status(kov_qs(msg));
        return false;
    }
    editor->hide();
    setFocus();
    grid_goto(ed_x + dx, ed_y + dy);
    return true;
}

bool KOV_GRID::point_start()
{
    QString t = editor->text();
    while (t.endsWith(QLatin1Char('\n'))) t.chop(1);
    if (!t.startsWith(QLatin1Char('='))) return false;   // not a formula
    pt.on = 1;
    pt.text = t;
    pt.caret = std::min<int>(editor->cursorPosition(), int(t.size()));
    pt.top = top, pt.left = left, pt.curx = kov->csv_curx, pt.cury = kov->csv_cury, pt.sel = kov->kov_sel;
    editor->hide();
    setFocus();
    emit status(KQ("セル領域設定開始"));
    return true;
}

// keep: the selection goes into the formula at the caret; otherwise the pointing is dropped.
void KOV_GRID::point_end(bool keep)
{
    int x1, y1, x2, y2;
    grid_sel(x1, y1, x2, y2);
    char range[64];
    csv_print_range(range, x1, y1, x2, y2);
    POINTING p = pt;
    pt.on = 0;
    verticalScrollBar()->setValue(p.top);
    horizontalScrollBar()->setValue(p.left);
    kov->kov_select(p.sel, p.curx, p.cury);
    viewport()->update();
    if (!keep) {
        emit status(KQ("セル領域設定中止"));
        return;
    }
    QString r = kov_qs(range);
    int px = head_w(), py = head_h() + (ed_y - top) * rh;
    for (int c = left; c < ed_x; c++) px += col_w(c);
    editor->move(px, py);
    editor->setText(p.text.left(p.caret) + r + p.text.mid(p.caret));
    editor->setCursorPosition(p.caret + int(r.size()));
    editor->show();
    editor->setFocus();
}

bool KOV_GRID::eventFilter(QObject *o, QEvent *e)
{
    if (o != editor && e->type() == QEvent::ContextMenu) {   // a right click on a part's window
        WP_PART *part = o->isWidgetType() ? WP_QTVIEWS::qt_part_of(static_cast<QWidget *>(o)) : nullptr;
        int x, y;
        if (!part) return false;
        // The menu opens once this event is done with: its commands may delete the part and
        // the widget the event is for.
        QPoint at = static_cast<QContextMenuEvent *>(e)->globalPos();
        if (part->wp_home(x, y) == 0) QTimer::singleShot(0, this, [this, x, y, at] { emit part_context(x, y, at); });
        return true;
    }
    if (o != editor || e->type() != QEvent::KeyPress) return QAbstractScrollArea::eventFilter(o, e);
    auto *k = static_cast<QKeyEvent *>(e);
    switch (k->key()) {
    case Qt::Key_F4: point_start(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: commit(0, 1); return true;
    case Qt::Key_Tab: commit(1, 0); return true;
    case Qt::Key_Up: commit(0, -1); return true;
    case Qt::Key_Down: commit(0, 1); return true;
    case Qt::Key_Escape:
        editor->hide();
        setFocus();
        return true;
    default: return false;
    }
}

void KOV_GRID::keyPressEvent(QKeyEvent *e)
{
    if (!kov) return;
    if (pt.on && (e->key() == Qt::Key_Shift || e->key() == Qt::Key_Control || e->key() == Qt::Key_Alt || e->key() == Qt::Key_Meta))
        return;   // a modifier alone neither moves nor ends the pointing
    if (pt.on) {
        static const int moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
        if (std::find(std::begin(moves), std::end(moves), e->key()) == std::end(moves)) {
            point_end(e->key() != Qt::Key_Escape);
            if (e->key() != Qt::Key_Escape && e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)
                QApplication::sendEvent(editor, e);   // the key that ended it goes on to the editor
            return;
        }
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier, ctrl = e->modifiers() & Qt::ControlModifier;
    const int x = kov->csv_curx, y = kov->csv_cury;
    switch (e->key()) {
    case Qt::Key_Left: grid_goto(x - 1, y, shift); return;
    case Qt::Key_Right: grid_goto(x + 1, y, shift); return;
    case Qt::Key_Up: grid_goto(x, y - 1, shift); return;
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter: grid_goto(x, y + 1, shift); return;
    case Qt::Key_Tab: grid_goto(x + 1, y); return;
    case Qt::Key_PageUp: grid_goto(x, y - visible_rows(), shift); return;
    case Qt::Key_PageDown: grid_goto(x, y + visible_rows(), shift); return;
    case Qt::Key_Home:
        if (ctrl) grid_goto(0, 0, shift);
        else grid_goto(0, y, shift);
        return;
    case Qt::Key_End:
        if (ctrl) grid_goto(kov->csv_used_xs(CSV_P_ALL) - 1, kov->csv_used_ys(CSV_P_ALL) - 1, shift);
        else grid_goto(std::max(0, kov->csv_get_row(y) ? kov->csv_get_row(y)->cnt - 1 : 0), y, shift);
        return;
    case Qt::Key_F2: grid_edit(KOV_KEY_REEDIT); return;
    case Qt::Key_Delete: {
        if (const char *r = kov->cse_edit_refusal()) {
            emit status(kov_qs(r));
            QApplication::beep();
            return;
        }
        int x1, y1, x2, y2;
        grid_sel(x1, y1, x2, y2);
        for (int cy = y1; cy <= y2; cy++)
            for (int cx = x1; cx <= x2; cx++) kov->csv_clr_cel(cx, cy, CSV_P_VAL | CSV_P_FORM);
        kov->csv_form_calc(nullptr);
        viewport()->update();
        emit cursor_moved();
        return;
    }
    default: break;
    }
    QString t = e->text();
    if (!ctrl && !t.isEmpty() && t[0].isPrint()) {
        if (!hidden_cell(t)) edit_with(t);
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void KOV_GRID::inputMethodEvent(QInputMethodEvent *e)
{
    if (!e->commitString().isEmpty() && !grid_editing() && !hidden_cell(e->commitString())) edit_with(e->commitString());
}

// The cell editor opened by a typed text; one Shift-JIS cannot hold opens nothing.
void KOV_GRID::edit_with(const QString &t)
{
    std::string sj;
    QString bad;
    if (!kov_sj_ok(t, sj, &bad)) return refuse(bad);
    grid_edit((unsigned char)sj[0], t);
}

void KOV_GRID::refuse(const QString &bad)
{
    emit status(kov_sj_refusal(bad));
    QApplication::beep();
}

void KOV_GRID::mousePressEvent(QMouseEvent *e)
{
    int x, y;
    if (pt.on && e->button() == Qt::RightButton) return point_end(false);
    if (editor->isVisible() && !point_start() && !commit(0, 0)) return;
    if (e->button() == Qt::RightButton) return;   // the context menu decides whether the cursor moves
    if (cell_at(e->position().toPoint(), x, y)) grid_goto(x, y, e->modifiers() & Qt::ShiftModifier);
}

void KOV_GRID::mouseReleaseEvent(QMouseEvent *e)
{
    if (pt.on && e->button() == Qt::LeftButton) point_end(true);
}

void KOV_GRID::mouseMoveEvent(QMouseEvent *e)
{
    int x, y;
    if ((e->buttons() & Qt::LeftButton) && cell_at(e->position().toPoint(), x, y)) grid_goto(x, y, true);
}

void KOV_GRID::mouseDoubleClickEvent(QMouseEvent *) { grid_edit(KOV_KEY_REEDIT); }

// A right click inside the selection keeps it; elsewhere it first moves the cursor there.
void KOV_GRID::contextMenuEvent(QContextMenuEvent *e)
{
    int x, y;
    if (e->reason() == QContextMenuEvent::Mouse && cell_at(e->pos(), x, y) && !kov->kov_in_sel(x, y)) grid_goto(x, y);
    emit context(e->globalPos());
}
