// The views of the control kinds: buttons, the lamp, the check box, scroll bars, combo and list
// boxes. Each sets its widget from the part (sync) and gives the user's actions to the part's
// methods; the widget's own change is put back to the part's state afterwards, so the part
// decides (a check box toggled by a click shows what the part holds).
#include "gadgets/qt/wpqt.h"
#include "base/kovtext.h"
#include "gadgets/wpkinds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace {

QString rgb_sheet(int rgb) { return QStringLiteral("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

// A button face: a colour, or the default face (-1).
void face(QPushButton *b, int rgb, bool dark_text = false)
{
    if (rgb < 0) return b->setStyleSheet(QString());
    int y = ((rgb >> 16 & 255) * 3 + (rgb >> 8 & 255) * 6 + (rgb & 255)) / 10;
    QString text = dark_text || y > 128 ? QStringLiteral("black") : QStringLiteral("white");
    b->setStyleSheet(QStringLiteral("QPushButton{background:%1;color:%2;border:1px solid #606060;}").arg(rgb_sheet(rgb), text));
}

// A button's picture; "nofile:NAME" in its place when it cannot be read.
void show_picture(QPushButton *b, const QImage &img, const WP_PICTURE &p, const QString &label, QSize client)
{
    if (img.isNull()) {
        b->setIcon(QIcon());
        b->setText(QStringLiteral("nofile:") + wp_qs(p.name));
        return;
    }
    b->setIcon(QIcon(QPixmap::fromImage(img)));
    b->setIconSize(img.size().scaled(client, Qt::KeepAspectRatio));
    b->setText(label);
}

class PUSH_VIEW : public WP_QTVIEW {
public:
    PUSH_VIEW(WP_QTVIEWS &vs, WP_PUSH &p) : WP_QTVIEW(vs, p), push(p), b(new QPushButton)
    {
        if (p.repeat) b->setAutoRepeat(true), b->setAutoRepeatDelay(500), b->setAutoRepeatInterval(200);
        QObject::connect(b, &QPushButton::clicked, [this] { push.press(); });
        set_inner(b);
    }
    void sync() override
    {
        QString label = wp_qs(push.label);
        int cw, ch;
        part.wp_client(cw, ch);
        if (push.face.is_file) show_picture(b, picture(push.face), push.face, label, QSize(cw, ch));
        else b->setText(label), face(b, push.face.color);
    }
    WP_PUSH &push;
    QPushButton *b;
};

class LOCK_VIEW : public WP_QTVIEW {
public:
    LOCK_VIEW(WP_QTVIEWS &vs, WP_PUSHLOCK &p) : WP_QTVIEW(vs, p), lock(p), b(new QPushButton)
    {
        b->setCheckable(true);
        QObject::connect(b, &QPushButton::clicked, [this] {
            lock.toggle();
            sync();
        });
        set_inner(b);
    }
    void sync() override
    {
        QSignalBlocker hold(b);
        b->setText(wp_qs(lock.label));
        b->setChecked(lock.locked != 0);
        face(b, lock.locked ? lock.lamp : -1);
    }
    WP_PUSHLOCK &lock;
    QPushButton *b;
};

// A lamp is a button face that is never pressed.
class LAMP_BUTTON : public QPushButton {
protected:
    void mousePressEvent(QMouseEvent *e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent *e) override { e->accept(); }
};

class LAMP_VIEW : public WP_QTVIEW {
public:
    LAMP_VIEW(WP_QTVIEWS &vs, WP_LAMP &p) : WP_QTVIEW(vs, p), lamp(p), b(new LAMP_BUTTON)
    {
        b->setFocusPolicy(Qt::NoFocus);
        set_inner(b);
    }
    void sync() override
    {
        b->setText(wp_qs(lamp.label));
        face(b, lamp.color);
    }
    WP_LAMP &lamp;
    QPushButton *b;
};

class CHECK_VIEW : public WP_QTVIEW {
public:
    CHECK_VIEW(WP_QTVIEWS &vs, WP_CHECK &p) : WP_QTVIEW(vs, p), check(p), b(new QCheckBox)
    {
        QObject::connect(b, &QCheckBox::clicked, [this] {
            check.toggle();
            sync();
        });
        set_inner(b);
    }
    void sync() override
    {
        QSignalBlocker hold(b);
        b->setText(wp_qs(check.label));
        b->setChecked(check.checked != 0);
    }
    WP_CHECK &check;
    QCheckBox *b;
};

// The arrows step by 1, clicks beside the thumb by the part's page step; a drag moves the
// position as it goes and ends with drag_end. The part clamps; the bar shows what it holds.
class SCROLL_VIEW : public WP_QTVIEW {
public:
    SCROLL_VIEW(WP_QTVIEWS &vs, WP_SCROLL &p)
        : WP_QTVIEW(vs, p), sc(p), b(new QScrollBar(p.vertical ? Qt::Vertical : Qt::Horizontal))
    {
        QObject::connect(b, &QScrollBar::actionTriggered, [this](int a) { act(a); });
        QObject::connect(b, &QScrollBar::sliderReleased, [this] {
            sc.drag_end();
            sync();
        });
        set_inner(b);
    }
    void act(int a)
    {
        switch (a) {
        case QAbstractSlider::SliderSingleStepAdd: sc.scroll_by(1); break;
        case QAbstractSlider::SliderSingleStepSub: sc.scroll_by(-1); break;
        case QAbstractSlider::SliderPageStepAdd: sc.scroll_by(sc.page_step()); break;
        case QAbstractSlider::SliderPageStepSub: sc.scroll_by(-sc.page_step()); break;
        case QAbstractSlider::SliderMove: sc.drag_to(b->sliderPosition()); break;
        default: return;
        }
        b->setSliderPosition(sc.pos);   // what the action leaves is the part's position
    }
    void sync() override
    {
        QSignalBlocker hold(b);
        b->setRange(0, std::max(0, sc.max - sc.page));
        b->setPageStep(std::max(1, sc.page > 0 ? sc.page + 1 : 1));
        b->setSingleStep(1);
        if (!b->isSliderDown()) b->setValue(sc.pos);
    }
    WP_SCROLL &sc;
    QScrollBar *b;
};

// The items again only when they changed: a refill loses the user's scrolling and selection.
template <class W> void refill(W *w, QStringList &shown, const WP_ITEMS &it)
{
    QStringList items;
    for (const std::string &s : it.items) items << wp_qs(s);
    if (items == shown) return;
    w->clear();
    w->addItems(items);
    shown = items;
}

class COMBO_VIEW : public WP_QTVIEW {
public:
    COMBO_VIEW(WP_QTVIEWS &vs, WP_ITEMS &p) : WP_QTVIEW(vs, p), it(p), b(new QComboBox)
    {
        b->setEditable(p.mode == WP_ITEMS::EDIT);
        b->setInsertPolicy(QComboBox::NoInsert);
        QObject::connect(b, &QComboBox::activated, [this](int k) {
            it.user_select(k);
            if (it.mode == WP_ITEMS::EDIT) it.user_edit(it.selected_text());
        });
        if (QLineEdit *e = b->lineEdit())
            QObject::connect(e, &QLineEdit::editingFinished, [this] { it.user_edit(wp_sj(b->currentText()).c_str()); });
        set_inner(b);
    }
    static std::string wp_sj(const QString &t) { return kov::sj_from_utf8(t.toStdString()); }
    void sync() override
    {
        QSignalBlocker hold(b);
        refill(b, shown, it);
        b->setCurrentIndex(it.sel);
        if (it.mode == WP_ITEMS::EDIT) b->setEditText(wp_qs(it.edit));
    }
    WP_ITEMS &it;
    QComboBox *b;
    QStringList shown;
};

class LIST_VIEW : public WP_QTVIEW {
public:
    LIST_VIEW(WP_QTVIEWS &vs, WP_ITEMS &p) : WP_QTVIEW(vs, p), it(p), b(new QListWidget)
    {
        QObject::connect(b, &QListWidget::itemClicked, [this](QListWidgetItem *i) {
            it.user_select(b->row(i));
            sync();
        });
        set_inner(b);
    }
    void sync() override
    {
        QSignalBlocker hold(b);
        refill(b, shown, it);
        b->setCurrentRow(it.sel);
    }
    WP_ITEMS &it;
    QListWidget *b;
    QStringList shown;
};

} // namespace

WP_QTVIEW *wp_qt_control(WP_QTVIEWS &vs, WP_PART &p)
{
    if (auto *k = dynamic_cast<WP_PUSH *>(&p)) return new PUSH_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_PUSHLOCK *>(&p)) return new LOCK_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_LAMP *>(&p)) return new LAMP_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_CHECK *>(&p)) return new CHECK_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_SCROLL *>(&p)) return new SCROLL_VIEW(vs, *k);
    if (auto *k = dynamic_cast<WP_ITEMS *>(&p)) {
        if (k->mode == WP_ITEMS::LIST) return new LIST_VIEW(vs, *k);
        return new COMBO_VIEW(vs, *k);
    }
    return nullptr;
}
