// The views of the timer, clock and media parts: the timer's and clock's texts in the display
// styles of text parts (the same segment drawing), the timer's START and STOP buttons where its
// model puts them, and the media part's picture.
#include "devices/devclock.h"
#include "devices/devmci.h"
#include "devices/devtimer.h"
#include "devices/qt/devqtmedia.h"
#include "gadgets/qt/wpqt.h"
#include "gadgets/qt/wpqtseg.h"

#include <QApplication>
#include <QMediaPlayer>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QVideoWidget>
#include <functional>

DEV_MEDIA_MAKER *dev_qt_media_maker();

namespace {

// A widget painted by its view, passing left presses on.
class FACE : public QWidget {
public:
    std::function<void(QPainter &)> paint;
    std::function<void(QPoint)> press;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        if (paint) paint(p);
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && press) press(e->position().toPoint());
        else QWidget::mousePressEvent(e);
    }
};

void styled_text(QPainter &p, const QRect &r, const std::string &style, const std::string &text)
{
    SEG_STYLE s;
    seg_style(style, s);
    seg_draw(p, r, wp_qs(text), s);
}

class TIMER_VIEW : public WP_QTVIEW {
public:
    TIMER_VIEW(WP_QTVIEWS &vs, DEV_TIMER &p) : WP_QTVIEW(vs, p), k(p), face(new FACE)
    {
        face->paint = [this](QPainter &q) { paint(q); };
        face->press = [this](QPoint at) {
            k.click(at.x(), at.y(), face->width(), face->height());
            face->update();
        };
        set_inner(face);
    }
    void sync() override { face->update(); }
    void paint(QPainter &p)
    {
        int r[2][4];
        k.button_rects(face->width(), face->height(), r);
        styled_text(p, QRect(0, 0, r[0][0], face->height()), k.style, k.shown);
        const char *labels[2] = {"START", "STOP"};
        const QPalette pal = QApplication::palette();
        QFont f = p.font();
        f.setPixelSize(std::clamp(r[0][3] / 2, 6, 12));
        p.setFont(f);
        for (int b = 0; b < 2; b++) {
            QRect box(r[b][0], r[b][1], r[b][2], r[b][3]);
            p.fillRect(box, pal.color(QPalette::Button));
            p.setPen(pal.color(QPalette::Mid));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            p.setPen(pal.color(QPalette::ButtonText));
            p.drawText(box, Qt::AlignCenter, QLatin1String(labels[b]));
        }
    }
    DEV_TIMER &k;
    FACE *face;
};

class CLOCK_VIEW : public WP_QTVIEW {
public:
    CLOCK_VIEW(WP_QTVIEWS &vs, DEV_CLOCK &p) : WP_QTVIEW(vs, p), k(p), face(new FACE)
    {
        face->paint = [this](QPainter &q) { styled_text(q, face->rect(), k.style, k.shown); };
        set_inner(face);
    }
    void sync() override { face->update(); }
    DEV_CLOCK &k;
    FACE *face;
};

// The player's picture; a sound alone leaves the panel dark.
class MCI_VIEW : public WP_QTVIEW {
public:
    MCI_VIEW(WP_QTVIEWS &vs, DEV_MCI &p) : WP_QTVIEW(vs, p), video(new QVideoWidget)
    {
        QPalette pal = frame->palette();
        pal.setColor(QPalette::Window, Qt::black);
        frame->setPalette(pal);
        video->setPalette(pal);
        video->setAutoFillBackground(true);
        if (auto *m = dynamic_cast<DEV_QTMEDIA *>(p.media.get())) player = m->player;
        if (player) player->setVideoOutput(video);
        set_inner(video);
    }
    ~MCI_VIEW() override
    {
        if (player && video) player->setVideoOutput(static_cast<QObject *>(nullptr));
    }
    QPointer<QVideoWidget> video;
    QPointer<QMediaPlayer> player;
};

WP_QTVIEW *dev_qt_view(WP_QTVIEWS &vs, WP_PART &p)
{
    if (auto *k = dynamic_cast<DEV_TIMER *>(&p)) return new TIMER_VIEW(vs, *k);
    if (auto *k = dynamic_cast<DEV_CLOCK *>(&p)) return new CLOCK_VIEW(vs, *k);
    if (auto *k = dynamic_cast<DEV_MCI *>(&p)) return new MCI_VIEW(vs, *k);
    return nullptr;
}

// The window module installs these as it loads.
const bool installed = (dev_qt_time_install(), true);

} // namespace

void dev_qt_time_install()
{
    WP_QTVIEWS::qt_maker_add(dev_qt_view);
    dev_media_set(dev_qt_media_maker());
}
