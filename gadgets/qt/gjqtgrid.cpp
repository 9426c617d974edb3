// The cell grid window of an ARRAY gadget: its own cells drawn as the sheet draws its own, with
// the display texts, colours and lines of the cell attributes, from the view state the grid
// methods keep (top-left cell, cursor, font height, row and column names).
#include "gadgets/qt/gjqt.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QTimer>

#include "gadgets/gjgrid.h"
#include "gadgets/qt/wpqt.h"

namespace {

// Colour codes 1..11 of the cell attributes; 0 is the window's default.
QColor code_color(int code, bool back)
{
    static const QRgb rgb[] = {0, qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(128, 128, 128), qRgb(192, 192, 192),
                               qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(255, 0, 255), qRgb(0, 255, 0),
                               qRgb(0, 255, 255), qRgb(255, 255, 0)};
    if (code >= 1 && code <= 10) return QColor(rgb[code]);
    if (code == 11) return QApplication::palette().color(QPalette::Button);
    return back ? QColor(Qt::white) : QColor(Qt::black);
}

const QColor head_back(236, 236, 236), head_line(192, 192, 192);

class GRID_CANVAS final : public QWidget {
public:
    explicit GRID_CANVAS(ARRAY_GJ &a) : a(a) {}
    void paintEvent(QPaintEvent *) override;

private:
    int ws(int i, int dflt) const { return a.ws.v[i] >= 0 ? a.ws.v[i] : dflt; }
    void cells(QPainter &p, int hw, int hh);
    void heads(QPainter &p, int hw, int hh);
    ARRAY_GJ &a;
    int cw = 8, rh = 20, left = 0, top = 0;
    char buf[4097];
};

void GRID_CANVAS::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!a.grid.csv_exists()) return;
    QFont f = font();
    f.setPixelSize(std::clamp(ws(CSV_WS_FONTSIZ, 16), KOV_FONT_MIN, KOV_FONT_MAX));
    p.setFont(f);
    QFontMetrics fm(f);
    cw = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    rh = fm.height() + 4;
    left = std::max(ws(CSV_WS_DSPPOSX, 0), 0), top = std::max(ws(CSV_WS_DSPPOSY, 0), 0);
    int hw = ws(CSV_WS_ROWNAME, 1) ? cw * 6 : 0, hh = ws(CSV_WS_COLNAME, 1) ? rh : 0;
    cells(p, hw, hh);
    heads(p, hw, hh);
}

// Each cell with its background, display text (numbers to the right) and its top and left lines;
// the cursor cell framed.
void GRID_CANVAS::cells(QPainter &p, int hw, int hh)
{
    CSV_U &g = a.grid;
    const int W = width(), H = height(), base = (rh + p.fontMetrics().ascent() - p.fontMetrics().descent()) / 2;
    const int cx = ws(CSV_WS_CSRPOSX, 0), cy = ws(CSV_WS_CSRPOSY, 0);
    for (int y = top, py = hh; y < g.csv_get_ys() && py < H; y++, py += rh) {
        for (int x = left, px = hw; x < g.csv_get_xs() && px < W; px += g.csv_get_wide(x) * cw, x++) {
            const int w = g.csv_get_wide(x) * cw;
            if (const CSV_CEL *c = g.csv_get_cel(x, y)) {
                if (int back = g.csv_get_attr(x, y, CSV_A_BACK)) p.fillRect(px, py, w, rh, code_color(back, true));
                if (g.csv_dsp_text(x, y, 0, g.csv_get_wide(x) + 1, buf) > 0) {
                    p.setPen(code_color(g.csv_get_attr(x, y, CSV_A_TEXT), false));
                    QString t = wp_qs(buf);
                    int tx = CSV_U::csv_cel_type(c) == 3 ? px + w - 2 - p.fontMetrics().horizontalAdvance(t) : px + 2;
                    p.drawText(tx, py + base, t);
                }
                if (g.csv_get_attr(x, y, CSV_A_TOP)) p.fillRect(px, py, w, 1, Qt::black);
                if (g.csv_get_attr(x, y, CSV_A_LEFT)) p.fillRect(px, py, 1, rh, Qt::black);
            }
            if (x == cx && y == cy) {
                p.setPen(QPen(QColor(0, 60, 160), 2));
                p.drawRect(QRect(px, py, w, rh).adjusted(1, 1, -1, -1));
            }
        }
    }
}

// Numbers, or the names of the grid's name row and name column.
void GRID_CANVAS::heads(QPainter &p, int hw, int hh)
{
    CSV_U &g = a.grid;
    for (int x = left, px = hw; hh && x < g.csv_get_xs() && px < width(); px += g.csv_get_wide(x) * cw, x++) {
        QRect r(px, 0, g.csv_get_wide(x) * cw, hh);
        QString label = QString::number(x);
        if (g.csv_cnrow >= 0 && g.csv_dsp_text(x, g.csv_cnrow, 0, g.csv_get_wide(x) + 1, buf) > 0) label = wp_qs(buf);
        p.fillRect(r, head_back);
        p.setPen(head_line);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, label);
    }
    for (int y = top, py = hh; hw && y < g.csv_get_ys() && py < height(); y++, py += rh) {
        QRect r(0, py, hw, rh);
        QString label = QString::number(y);
        if (g.csv_rncol >= 0 && g.csv_dsp_text(g.csv_rncol, y, 0, g.csv_rnwide + 1, buf) > 0) label = wp_qs(buf);
        p.fillRect(r, head_back);
        p.setPen(head_line);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter, label);
    }
    if (hw && hh) p.fillRect(0, 0, hw, hh, head_back);
}

struct ARRAY_VIEW final : GJ_QTVIEW {
    GRID_CANVAS *c;
    ARRAY_VIEW(GJ_QTVIEWS &vs, ARRAY_GJ &a) : GJ_QTVIEW(vs, a), c(new GRID_CANVAS(a))
    {
        if (vs.font) c->setFont(vs.font());   // the sheet's face; the grid's own height
        set_inner(c);
        // Element stores (a[y][x] = v) pass no method: the grid is repainted as a sheet is, often.
        auto *t = new QTimer(guard.get());
        QObject::connect(t, &QTimer::timeout, guard.get(), [this] {
            if (c->isVisible()) c->update();
        });
        t->start(250);
    }
    void sync() override { c->update(); }
};

} // namespace

GJ_QTVIEW *gj_qt_grid_view(GJ_QTVIEWS &vs, GJ_MODEL &m)
{
    auto *a = dynamic_cast<ARRAY_GJ *>(&m);
    return a ? new ARRAY_VIEW(vs, *a) : nullptr;
}
