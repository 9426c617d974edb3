// The views with a drawing surface: background, board, graph, shadow picture, text display and
// step setting. Each keeps an off-screen picture of its client size: the kind paints its own
// picture there from the part's state (back), the drawing commands paint on top, and the widget
// shows the picture. A new size paints the kind's picture afresh.
#include "gadgets/qt/wpqt.h"
#include "gadgets/qt/wpqtseg.h"
#include "gadgets/wpkinds.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <functional>

namespace {

QColor rgb(int c, QColor none = Qt::black) { return c < 0 ? none : QColor(QRgb(0xFF000000u | unsigned(c))); }

class CANVAS : public QWidget {
public:
    QImage img;
    std::function<void(QPoint)> click;   // a left press, for parts that take one
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, 0, img);
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && click) click(e->position().toPoint());
        else QWidget::mousePressEvent(e);
    }
};

// "nofile:NAME" where a picture cannot be read.
void nofile(QPainter &p, const std::string &name, QSize sz)
{
    p.setPen(Qt::black);
    p.drawText(QRect(QPoint(2, 2), sz), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("nofile:") + wp_qs(name));
}

class DRAW_VIEW : public WP_QTVIEW {
public:
    DRAW_VIEW(WP_QTVIEWS &vs, WP_PART &p) : WP_QTVIEW(vs, p), c(new CANVAS)
    {
        c->setAttribute(Qt::WA_OpaquePaintEvent);
        set_inner(c);
    }
    // The kind's own picture over the whole client.
    virtual void back(QPainter &p) = 0;
    // The part's state changed what back() paints.
    virtual bool stale() { return true; }

    void sync() override
    {
        if (!fit() && stale()) render();
    }
    // A picture of the client's size; true when it had to be made (and was painted).
    bool fit()
    {
        int cw, ch;
        part.wp_client(cw, ch);
        QSize sz(std::max(cw, 1), std::max(ch, 1));
        if (c->img.size() == sz) return false;
        c->img = QImage(sz, QImage::Format_RGB32);
        render();
        return true;
    }
    void render()
    {
        c->img.fill(QApplication::palette().color(QPalette::Window));
        QPainter p(&c->img);
        back(p);
        p.end();
        c->update();
    }
    int view_draw(const WP_DRAW &d) override;
    int view_copy() override
    {
        fit();
        QApplication::clipboard()->setImage(c->img);
        return 0;
    }
    void term_text(QPainter &p, const char *sj);
    QFont term_font(int size) const
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPixelSize(std::max(size, 4));
        return f;
    }

    CANVAS *c;
    // The terminal of the drawing commands: colours, font height, cursor (column, row).
    QColor tt = Qt::black, tb = Qt::white;
    int tfont = 16, tcol = 0, trow = 0;
};

int DRAW_VIEW::view_draw(const WP_DRAW &d)
{
    fit();
    QPainter p(&c->img);
    p.setRenderHint(QPainter::Antialiasing, d.op == WP_DRAW::CIRCLE || d.op == WP_DRAW::DISK);
    const QRect box = QRect(QPoint(d.x1, d.y1), QPoint(d.x2, d.y2)).normalized();
    const QColor col = rgb(d.color);
    switch (d.op) {
    case WP_DRAW::LINE: p.setPen(QPen(col, d.width, Qt::SolidLine, Qt::RoundCap)); p.drawLine(d.x1, d.y1, d.x2, d.y2); break;
    case WP_DRAW::BOX: p.setPen(QPen(col, d.width)); p.setBrush(Qt::NoBrush); p.drawRect(box); break;
    case WP_DRAW::BAR: p.fillRect(box, col); break;
    case WP_DRAW::CIRCLE: p.setPen(QPen(col, d.width)); p.setBrush(Qt::NoBrush); p.drawEllipse(QPoint(d.x1, d.y1), d.r, d.r); break;
    case WP_DRAW::DISK: p.setPen(Qt::NoPen); p.setBrush(col); p.drawEllipse(QPoint(d.x1, d.y1), d.r, d.r); break;
    case WP_DRAW::PUTS: {
        QFont f = term_font(d.size > 0 ? d.size : tfont);   // a size for this text only
        p.setFont(f);
        QString t = wp_qs(d.text);
        QRect r = QFontMetrics(f).boundingRect(QRect(d.x1, d.y1, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, t);
        if (d.back >= 0) p.fillRect(r, rgb(d.back));
        if (d.color >= 0) p.setPen(rgb(d.color)), p.drawText(r, Qt::AlignLeft | Qt::AlignTop, t);
        break;
    }
    case WP_DRAW::TTEXTC: tt = rgb(d.color); break;
    case WP_DRAW::TBACKC: tb = rgb(d.color, Qt::white); break;
    case WP_DRAW::TCLEAR: c->img.fill(tb), tcol = trow = 0; break;
    case WP_DRAW::TFONT: if (d.size > 0) tfont = d.size; break;
    case WP_DRAW::TGOTO: tcol = std::max(0, d.x1), trow = std::max(0, d.y1); break;
    case WP_DRAW::TPUTS: term_text(p, d.text); break;
    case WP_DRAW::TCLREOL: {
        QFontMetrics fm(term_font(tfont));
        int cw = fm.horizontalAdvance(QLatin1Char('0')), lh = fm.height();
        p.fillRect(tcol * cw, trow * lh, c->img.width(), lh, tb);
        break;
    }
    case WP_DRAW::RESET: p.end(); render(); return 0;
    }
    p.end();
    c->update();
    return 0;
}

// Text at the terminal's cursor, a column a byte (a double-byte character takes two), a line
// end to the next row's start.
void DRAW_VIEW::term_text(QPainter &p, const char *sj)
{
    QFont f = term_font(tfont);
    QFontMetrics fm(f);
    const int cw = fm.horizontalAdvance(QLatin1Char('0')), lh = fm.height();
    p.setFont(f);
    std::string line;
    auto flush = [&] {
        if (line.empty()) return;
        QRect r(tcol * cw, trow * lh, int(line.size()) * cw, lh);
        p.fillRect(r, tb);
        p.setPen(tt);
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, wp_qs(line));
        tcol += int(line.size());
        line.clear();
    };
    for (const char *s = sj ? sj : ""; *s; s++) {
        if (*s == '\n') {
            flush();
            tcol = 0, trow++;
        } else if (*s != '\r') {
            line += *s;
        }
    }
    flush();
}

// ---------------------------------------------------------------- the kinds

class BACK_VIEW : public DRAW_VIEW {
public:
    BACK_VIEW(WP_QTVIEWS &vs, WP_BACK &p) : DRAW_VIEW(vs, p), k(p) { frame->lower(); }
    void back(QPainter &p) override
    {
        frame->lower();   // beneath every other part
        if (!k.back.is_file) {
            if (k.back.color >= 0) p.fillRect(c->img.rect(), rgb(k.back.color));
            return;
        }
        const QImage &img = picture(k.back);
        if (img.isNull()) return nofile(p, k.back.name, c->img.size());
        for (int y = 0; y < c->img.height(); y += img.height())
            for (int x = 0; x < c->img.width(); x += img.width()) p.drawImage(x, y, img);
    }
    WP_BACK &k;
};

class BOARD_VIEW : public DRAW_VIEW {
public:
    BOARD_VIEW(WP_QTVIEWS &vs, WP_BOARD &p) : DRAW_VIEW(vs, p), k(p) {}
    void back(QPainter &p) override
    {
        resets = k.resets;
        if (!k.back.is_file) {
            p.fillRect(c->img.rect(), rgb(k.back.color, Qt::white));
            return;
        }
        const QImage &img = picture(k.back);
        if (img.isNull()) {
            p.fillRect(c->img.rect(), Qt::white);
            return nofile(p, k.back.name, c->img.size());
        }
        p.drawImage(std::max(0, (c->img.width() - img.width()) / 2), std::max(0, (c->img.height() - img.height()) / 2), img);
    }
    bool stale() override { return resets != k.resets; }   // the drawing stays until "RESET"
    WP_BOARD &k;
    int resets = -1;
};

void too_many(QPainter &p, QColor col)
{
    p.setPen(col);
    p.drawText(QPoint(2, p.fontMetrics().ascent() + 2), QStringLiteral("件数超過"));
}

// A graph's dots are all one disk: painted once and copied to every centre. The copy has the
// pixels of a disk painted there (the same coverage at whole-pixel offsets), and a thousand
// dots cost a thousand copies instead of a thousand curves flattened and filled.
QImage disk(int r, QColor col)
{
    QImage img(2 * r + 4, 2 * r + 4, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawEllipse(QPoint(r + 2, r + 2), r, r);
    return img;
}

class GRAPH_VIEW : public DRAW_VIEW {
public:
    GRAPH_VIEW(WP_QTVIEWS &vs, WP_GRAPH &p) : DRAW_VIEW(vs, p), k(p) {}
    void back(QPainter &p) override
    {
        p.fillRect(c->img.rect(), rgb(k.back, Qt::white));
        if (k.too_many) return too_many(p, Qt::black);
        const QColor col = rgb(k.color);
        p.setRenderHint(QPainter::Antialiasing);
        QImage dot;
        for (const WP_SHAPE &s : k.shapes) {
            switch (s.kind) {
            case WP_SHAPE::DOT:
                if (dot.isNull() || dot.width() != 2 * s.width + 4) dot = disk(s.width, col);
                p.drawImage(s.x1 - s.width - 2, s.y1 - s.width - 2, dot);
                break;
            case WP_SHAPE::LINE: p.setPen(QPen(col, s.width, Qt::SolidLine, Qt::RoundCap)), p.drawLine(s.x1, s.y1, s.x2, s.y2); break;
            case WP_SHAPE::BAR: p.fillRect(QRect(QPoint(s.x1, s.y1), QPoint(s.x2, s.y2)).normalized(), col); break;
            }
        }
    }
    WP_GRAPH &k;
};

class SHADOW_VIEW : public DRAW_VIEW {
public:
    SHADOW_VIEW(WP_QTVIEWS &vs, WP_SHADOW &p) : DRAW_VIEW(vs, p), k(p) {}
    void back(QPainter &p) override
    {
        p.fillRect(c->img.rect(), Qt::black);
        if (k.too_many) return too_many(p, Qt::white);
        if (k.width <= 0 || k.height <= 0 || k.pixels.size() < size_t(k.width) * size_t(k.height)) return;
        QImage src(k.width, k.height, QImage::Format_RGB32);
        for (int y = 0; y < k.height; y++) {
            auto *line = reinterpret_cast<QRgb *>(src.scanLine(y));
            for (int x = 0; x < k.width; x++) line[x] = 0xFF000000u | k.pixels[size_t(y) * size_t(k.width) + size_t(x)];
        }
        p.drawImage(0, 0, src);
    }
    WP_SHADOW &k;
};

class TPUTS_VIEW : public DRAW_VIEW {
public:
    TPUTS_VIEW(WP_QTVIEWS &vs, WP_TPUTS &p) : DRAW_VIEW(vs, p), k(p) {}
    void back(QPainter &p) override
    {
        draws = k.draws;
        SEG_STYLE s;
        seg_style(k.style, s);
        seg_draw(p, c->img.rect(), wp_qs(k.text), s);
    }
    bool stale() override { return draws != k.draws; }   // the same text is not drawn again
    WP_TPUTS &k;
    int draws = -1;
};

// The value in its style with two arrows: up and down at the right (vertical), left and right
// at the ends (horizontal). The raising arrow moves the position down (a smaller p is a larger
// value).
class GETD_VIEW : public DRAW_VIEW {
public:
    GETD_VIEW(WP_QTVIEWS &vs, WP_GETD &p) : DRAW_VIEW(vs, p), k(p)
    {
        c->click = [this](QPoint at) { press(at); };
    }
    int arrow() const { return std::max(8, std::min(20, c->img.width() / 4)); }
    void back(QPainter &p) override
    {
        const QRect all = c->img.rect();
        const int a = arrow();
        QRect shown = k.vertical ? all.adjusted(0, 0, -a, 0) : all.adjusted(a, 0, -a, 0);
        SEG_STYLE s;
        seg_style(k.style, s);
        seg_draw(p, shown, wp_qs(k.shown), s);
        p.setRenderHint(QPainter::Antialiasing);
        auto tri = [&](QRect r, int dir) {   // dir 0 up, 1 down, 2 left, 3 right
            p.fillRect(r, QApplication::palette().color(QPalette::Button));
            p.setPen(QApplication::palette().color(QPalette::Mid));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
            QPointF m = QRectF(r).center();
            qreal d = std::min(r.width(), r.height()) * 0.3;
            QPointF pts[4][3] = {{{m.x() - d, m.y() + d / 2}, {m.x() + d, m.y() + d / 2}, {m.x(), m.y() - d}},
                                 {{m.x() - d, m.y() - d / 2}, {m.x() + d, m.y() - d / 2}, {m.x(), m.y() + d}},
                                 {{m.x() + d / 2, m.y() - d}, {m.x() + d / 2, m.y() + d}, {m.x() - d, m.y()}},
                                 {{m.x() - d / 2, m.y() - d}, {m.x() - d / 2, m.y() + d}, {m.x() + d, m.y()}}};
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawPolygon(pts[dir], 3);
        };
        if (k.vertical) {
            tri(QRect(all.right() - a + 1, 0, a, all.height() / 2), 0);
            tri(QRect(all.right() - a + 1, all.height() / 2, a, all.height() - all.height() / 2), 1);
        } else {
            tri(QRect(0, 0, a, all.height()), 2);
            tri(QRect(all.right() - a + 1, 0, a, all.height()), 3);
        }
    }
    void press(QPoint at)
    {
        const int a = arrow(), W = c->img.width(), H = c->img.height();
        bool up;
        if (k.vertical) {
            if (at.x() < W - a) return;
            up = at.y() < H / 2;
        } else {
            if (at.x() >= a && at.x() < W - a) return;
            up = at.x() >= W - a;
        }
        if (up) k.user_dec();
        else k.user_inc();
        render();
    }
    WP_GETD &k;
};

} // namespace

WP_QTVIEW *wp_qt_surface(WP_QTVIEWS &vs, WP_PART &p)
{
    if (auto *k = dynamic_cast<WP_BACK *>(&p)) return new BACK_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_BOARD *>(&p)) return new BOARD_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_GRAPH *>(&p)) return new GRAPH_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_SHADOW *>(&p)) return new SHADOW_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_TPUTS *>(&p)) return new TPUTS_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_GETD *>(&p)) return new GETD_VIEW(vs, *k);
    return nullptr;
}
