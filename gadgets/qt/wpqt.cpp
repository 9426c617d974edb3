// The factory of part views and the frame every view sits in.
#include "gadgets/qt/wpqt.h"
#include "base/kovtext.h"
#include "gadgets/wpkinds.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QRegion>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const char *const PART_PROP = "kov_part";
} // namespace

QString wp_qs(const std::string &sjis) { return QString::fromStdString(kov::sj_to_utf8(sjis)); }
QString wp_qfile(const std::string &name) { return QFile::decodeName(name.c_str()); }

const QImage &WP_QTVIEW::picture(const WP_PICTURE &pic)
{
    if (pic.file != pic_file) {
        pic_file = pic.file;
        pic_img = pic.file.empty() ? QImage() : QImageReader(wp_qfile(pic.file)).read();
    }
    return pic_img;
}

// ---------------------------------------------------------------- the factory

WP_QTVIEWS::WP_QTVIEWS(QWidget *s, CELL_RECT c) : surface(s), cells(std::move(c)) {}

WP_QTVIEWS::~WP_QTVIEWS()
{
    for (WP_QTVIEW *v : views) v->frame = nullptr;   // the surface's children go with it
}

static std::vector<WP_QTVIEWS::MAKER> &makers()
{
    static std::vector<WP_QTVIEWS::MAKER> all;
    return all;
}

void WP_QTVIEWS::qt_maker_add(MAKER make)
{
    if (std::find(makers().begin(), makers().end(), make) == makers().end()) makers().push_back(make);
}

WP_VIEW *WP_QTVIEWS::wp_view_new(WP_PART &part)
{
    WP_QTVIEW *v = nullptr;
    for (MAKER m : makers())
        if (!v) v = m(*this, part);
    if (!v) v = wp_qt_control(*this, part);
    if (!v) v = wp_qt_surface(*this, part);
    if (v) v->sync();
    return v;
}

int WP_QTVIEWS::wp_cell_rect(int x, int y, int &l, int &t, int &w, int &h)
{
    return cells ? cells(x, y, l, t, w, h) : WP_VIEWS::wp_cell_rect(x, y, l, t, w, h);
}

void WP_QTVIEWS::qt_place_all()
{
    for (size_t k = 0; k < views.size(); k++) {   // placing may not add or drop views
        WP_QTVIEW *v = views[k];
        v->part.wp_rect(v->l, v->t, v->w, v->h);
        v->apply();
    }
}

int WP_QTVIEWS::qt_hide_all(bool hide)
{
    all_hidden = hide;
    for (WP_QTVIEW *v : views) {
        if (!hide) v->hidden = false;
        v->apply();
    }
    return int(views.size());
}

WP_PART *WP_QTVIEWS::qt_part_of(const QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        QVariant p = w->property(PART_PROP);
        if (p.isValid()) return reinterpret_cast<WP_PART *>(p.value<quintptr>());
    }
    return nullptr;
}

WP_QTVIEW *WP_QTVIEWS::qt_view_of(const WP_PART *p)
{
    return p ? dynamic_cast<WP_QTVIEW *>(p->wp_get_view()) : nullptr;
}

// ---------------------------------------------------------------- a view

WP_QTVIEW::WP_QTVIEW(WP_QTVIEWS &v, WP_PART &p) : vs(v), part(p), frame(new QFrame(v.surface))
{
    frame->setProperty(PART_PROP, QVariant::fromValue(quintptr(&p)));
    frame->setAutoFillBackground(true);
    int st = p.wp_style;
    if (st & WP_ST_PUSHF) frame->setFrameStyle(QFrame::Panel | QFrame::Raised), frame->setLineWidth(2);
    else if (st & WP_ST_PULLF) frame->setFrameStyle(QFrame::Panel | QFrame::Sunken), frame->setLineWidth(2);
    else if (st & WP_ST_LINEF) frame->setFrameStyle(QFrame::Box | QFrame::Plain), frame->setLineWidth(1);
    auto *lay = new QVBoxLayout(frame);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    frame->hide();
    vs.views.push_back(this);
    if (vs.adopt) vs.adopt(frame);
}

WP_QTVIEW::~WP_QTVIEW()
{
    vs.views.erase(std::remove(vs.views.begin(), vs.views.end(), this), vs.views.end());
    delete frame.data();
}

void WP_QTVIEW::set_inner(QWidget *inner)
{
    frame->layout()->addWidget(inner);
    QList<QWidget *> all = inner->findChildren<QWidget *>();
    all.prepend(inner);
    for (QWidget *c : all) {
        if (part.wp_style & WP_ST_NOFOCUS) c->setFocusPolicy(Qt::NoFocus);
        if (vs.adopt) vs.adopt(c);
    }
}

void WP_QTVIEW::view_place(int x, int y, int pw, int ph)
{
    l = x, t = y, w = pw, h = ph;
    apply();
}

void WP_QTVIEW::view_show(bool on)
{
    shown = on;
    apply();
}

void WP_QTVIEW::apply()
{
    if (!frame) return;
    QRect r(l, t, w, h);
    bool vis = shown && !hidden && !vs.all_hidden && w > 0 && h > 0 && r.intersects(vs.area);
    if (vis) {
        if (frame->geometry() != r) frame->setGeometry(r);
        QRect in = r.intersected(vs.area);
        if (in != r) frame->setMask(QRegion(in.translated(-r.topLeft())));
        else if (!frame->mask().isEmpty()) frame->clearMask();
    }
    if (frame->isVisibleTo(vs.surface) != vis) frame->setVisible(vis);
}

int WP_QTVIEW::view_copy()
{
    if (!frame || w <= 0 || h <= 0) return -1;
    QApplication::clipboard()->setImage(frame->grab().toImage());
    return 0;
}
