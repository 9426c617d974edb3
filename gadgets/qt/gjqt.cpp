#include "gadgets/qt/gjqt.h"

#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariant>

#include "gadgets/qt/wpqt.h"

// ---------------------------------------------------------------- pictures

QImage gj_qimage(const GJ_PIXELS &pic)
{
    QImage img(std::max(pic.w, 1), std::max(pic.h, 1), QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < pic.h; y++) {
        auto *row = reinterpret_cast<uint32_t *>(img.scanLine(y));
        for (int x = 0; x < pic.w; x++) row[x] = 0xFF000000u | pic.px[size_t(y) * pic.w + x];
    }
    return img;
}

void gj_from_qimage(const QImage &src, GJ_PIXELS &pic)
{
    QImage img = src.convertToFormat(QImage::Format_RGB32);
    if (pic.pix_resize(img.width(), img.height(), 0xFFFFFF) != 0) return;
    for (int y = 0; y < pic.h; y++) {
        auto *row = reinterpret_cast<const uint32_t *>(img.constScanLine(y));
        for (int x = 0; x < pic.w; x++) pic.px[size_t(y) * pic.w + x] = row[x] & 0xFFFFFF;
    }
}

// ---------------------------------------------------------------- the window's services

GJ_QTVIEWS::GJ_QTVIEWS(QWidget *owner, QWidget *client, std::function<QFont()> font)
    : owner(owner), client(client), font(std::move(font))
{
}

GJ_VIEW *GJ_QTVIEWS::gj_view_new(GJ_MODEL &m) { return gj_qt_view(*this, m); }

// A cell is a digit's advance by the font's line height, as the sheet's own text is set.
void GJ_QTVIEWS::gj_cell(int &w, int &h) const
{
    QFontMetrics fm(font ? font() : QFont());
    w = std::max(fm.horizontalAdvance(QLatin1Char('0')), 1);
    h = std::max(fm.height(), 1);
}

// The picture's own words serve as the painter's surface: no copy, the text lands in place.
int GJ_QTVIEWS::gj_text(GJ_PIXELS &pic, int x, int y, const char *text, int color, int back)
{
    if (pic.w < 1 || pic.h < 1 || !text || !*text) return 0;
    QImage img(reinterpret_cast<uchar *>(pic.px.data()), pic.w, pic.h, pic.w * 4, QImage::Format_RGB32);
    QFont f = font ? font() : QFont();
    QFontMetrics fm(f);
    QString s = wp_qs(text);
    {
        QPainter p(&img);
        p.setFont(f);
        if (back >= 0) p.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), QColor::fromRgb(QRgb(back)));
        if (color >= 0) {
            p.setPen(QColor::fromRgb(QRgb(color)));
            p.drawText(x, y + fm.ascent(), s);
        }
    }
    for (uint32_t &v : pic.px) v &= 0xFFFFFF;   // the painter wrote its alpha byte
    return 0;
}

int GJ_QTVIEWS::gj_clip_put(const GJ_PIXELS &pic)
{
    if (pic.w < 1 || !QGuiApplication::clipboard()) return -1;
    QGuiApplication::clipboard()->setImage(gj_qimage(pic));
    return 0;
}

int GJ_QTVIEWS::gj_clip_get(GJ_PIXELS &pic)
{
    QClipboard *cb = QGuiApplication::clipboard();
    QImage img = cb ? cb->image() : QImage();
    if (img.isNull()) return -1;
    GJ_PIXELS got;
    gj_from_qimage(img, got);
    if (got.w < 1) return -1;
    pic = std::move(got);
    return 0;
}

QFrame *GJ_QTVIEWS::gj_window_of(const GJ_MODEL *m)
{
    auto *v = m ? dynamic_cast<GJ_QTVIEW *>(m->gj_view()) : nullptr;
    return v ? v->win.data() : nullptr;
}

GJ_MODEL *GJ_QTVIEWS::gj_model_of(const QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        QVariant v = w->property("gj_model");
        if (v.isValid()) return reinterpret_cast<GJ_MODEL *>(v.value<quintptr>());
    }
    return nullptr;
}

// ---------------------------------------------------------------- the window

namespace {

// What the user does to the window itself: sizes it, closes it.
class WIN_EVENTS final : public QObject {
public:
    WIN_EVENTS(GJ_QTVIEW &v, QObject *parent) : QObject(parent), v(v) {}
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o != v.win || v.applying) return false;
        if (e->type() == QEvent::Resize && v.win->isVisible()) v.m.gj_user_size(v.win->width(), v.win->height());
        // The model closes the window once the event is done: the close deletes the widget.
        if (e->type() == QEvent::Close) {
            GJ_MODEL *m = &v.m;
            QTimer::singleShot(0, parent(), [m] { m->gj_user_close(); });
        }
        return false;
    }

private:
    GJ_QTVIEW &v;
};

} // namespace

GJ_QTVIEW::GJ_QTVIEW(GJ_QTVIEWS &vs, GJ_MODEL &m) : vs(vs), m(m), guard(new QObject)
{
    QWidget *parent = GJ_QTVIEWS::gj_window_of(m.win.parent);
    bool popup = m.win.kind == GJ_KIND::POPUP;
    if (!parent) parent = popup ? vs.owner.data() : vs.client.data();
    if (popup) win = new QFrame(parent ? parent->window() : nullptr, Qt::Window);
    else win = new QFrame(parent);
    win->setProperty("gj_model", QVariant::fromValue(quintptr(&m)));
    win->setAutoFillBackground(true);
    auto *lay = new QVBoxLayout(win);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    win->installEventFilter(new WIN_EVENTS(*this, guard.get()));
}

GJ_QTVIEW::~GJ_QTVIEW()
{
    guard.reset();   // no edit, size or close flows back from here on
    delete win.data();
}

void GJ_QTVIEW::set_inner(QWidget *w)
{
    inner = w;
    win->layout()->addWidget(w);
}

void GJ_QTVIEW::gv_update()
{
    applying = true;
    sync();
    applying = false;
}

void GJ_QTVIEW::gv_apply()
{
    if (!win) return;
    applying = true;
    const GJ_WIN &r = m.win;
    flags();
    frame_style();
    win->setWindowTitle(wp_qs(r.title));
    place();
    win->setEnabled(!(r.style & GJ_ST_DISABLE));
    focus(!(r.style & GJ_ST_NOFOCUS));
    style_inner(r.style);
    sync();
    win->setVisible(!(r.style & GJ_ST_HIDE));
    if (r.kind == GJ_KIND::CHILD) win->raise();   // over the parent's own widget
    applying = false;
}

int GJ_QTVIEW::gv_activate()
{
    if (!win) return -1;
    win->raise();
    if (m.win.kind == GJ_KIND::POPUP) win->activateWindow();
    else win->setFocus();
    return 0;
}

// A child's place counts from the parent window's client area (inside its frame lines).
void GJ_QTVIEW::place()
{
    const GJ_WIN &r = m.win;
    int off = 0;
    if (r.kind == GJ_KIND::CHILD)
        if (auto *pf = qobject_cast<QFrame *>(win->parentWidget())) off = pf->frameWidth();
    win->move(r.x + off, r.y + off);
    if (r.style & GJ_ST_SIZE) {
        win->setMinimumSize(1, 1);
        win->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        win->resize(r.w, r.h);
    } else {
        win->setFixedSize(r.w, r.h);
    }
}

// The title bar and its buttons of a top-level window; without title and sizing, no frame at all.
void GJ_QTVIEW::flags()
{
    if (m.win.kind != GJ_KIND::POPUP) return;
    int st = m.win.style;
    Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint;
    if (st & GJ_ST_TITLE) f |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (st & GJ_ST_MINSW) f |= Qt::WindowMinimizeButtonHint;
    if (st & GJ_ST_MAXSW) f |= Qt::WindowMaximizeButtonHint;
    if (!(st & (GJ_ST_TITLE | GJ_ST_SIZE))) f |= Qt::FramelessWindowHint;
    if (win->windowFlags() != f) win->setWindowFlags(f);   // hides the window: shown again after
}

void GJ_QTVIEW::frame_style()
{
    int st = m.win.style;
    if (st & GJ_ST_PUSHF) win->setFrameStyle(QFrame::Panel | QFrame::Raised);
    else if (st & GJ_ST_PULLF) win->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else if (st & GJ_ST_LINEF) win->setFrameStyle(QFrame::Box | QFrame::Plain);
    else win->setFrameStyle(QFrame::NoFrame);
    win->setLineWidth(m.win.frame());
}

// NOFOCUS: the widgets take no keyboard focus; each keeps its own policy to come back to.
void GJ_QTVIEW::focus(bool on)
{
    if (!inner) return;
    QList<QWidget *> ws = inner->findChildren<QWidget *>();
    ws.prepend(inner);
    for (QWidget *w : ws) {
        QVariant kept = w->property("gj_focus");
        if (!on && !kept.isValid()) w->setProperty("gj_focus", int(w->focusPolicy()));
        if (!on) w->setFocusPolicy(Qt::NoFocus);
        else if (kept.isValid()) w->setFocusPolicy(Qt::FocusPolicy(kept.toInt()));
    }
}
