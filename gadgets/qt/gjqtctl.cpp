// The kinds' widgets: each shows its model's state in sync() and writes the user's edits back.
#include "gadgets/qt/gjqt.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <cstring>

#include "base/kovtext.h"
#include "gadgets/qt/wpqt.h"

namespace {

std::string sj(const QString &s) { return kov::sj_from_utf8(s.toStdString()); }

// ---------------------------------------------------------------- buttons

struct PUSH_VIEW final : GJ_QTVIEW {
    PUSH_GJ &p;
    QPushButton *b = new QPushButton;
    PUSH_VIEW(GJ_QTVIEWS &vs, PUSH_GJ &p) : GJ_QTVIEW(vs, p), p(p)
    {
        b->setCheckable(true);   // a latched press shows as a button held down
        set_inner(b);
        QObject::connect(b, &QPushButton::clicked, guard.get(), [this] {
            if (!applying) this->p.user_click();
        });
    }
    void sync() override
    {
        b->setText(wp_qs(p.label));
        b->setChecked(p.pressed);
    }
};

struct CHECK_VIEW final : GJ_QTVIEW {
    CHECK_GJ &c;
    QCheckBox *b = new QCheckBox;
    CHECK_VIEW(GJ_QTVIEWS &vs, CHECK_GJ &c) : GJ_QTVIEW(vs, c), c(c)
    {
        set_inner(b);
        QObject::connect(b, &QCheckBox::clicked, guard.get(), [this] {
            if (!applying) this->c.user_click();
        });
    }
    void sync() override
    {
        b->setText(wp_qs(c.label));
        b->setChecked(c.checked);
    }
};

// ---------------------------------------------------------------- editors

// The model keeps lines ended by CR LF, as the files it saves; the widget by LF.
QString shown_text(const std::string &sjis)
{
    QString s = wp_qs(sjis);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

std::string model_text(QString s)
{
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return sj(s);
}

struct TEDIT_VIEW final : GJ_QTVIEW {
    TEDIT_GJ &t;
    QPlainTextEdit *e = new QPlainTextEdit;
    TEDIT_VIEW(GJ_QTVIEWS &vs, TEDIT_GJ &t) : GJ_QTVIEW(vs, t), t(t)
    {
        set_inner(e);
        QObject::connect(e, &QPlainTextEdit::textChanged, guard.get(), [this] { edited(); });
        QObject::connect(e, &QPlainTextEdit::cursorPositionChanged, guard.get(), [this] { edited(); });
    }
    // The caret as a byte offset of the model's text.
    size_t caret_bytes() const { return model_text(e->toPlainText().left(e->textCursor().position())).size(); }
    void edited()
    {
        if (applying) return;
        t.text = model_text(e->toPlainText());
        t.caret = caret_bytes();
    }
    void sync() override
    {
        QString s = shown_text(t.text);
        if (e->toPlainText() != s) e->setPlainText(s);
        if (caret_bytes() == t.caret) return;
        QTextCursor c = e->textCursor();
        c.setPosition(int(std::min<qsizetype>(shown_text(t.text.substr(0, std::min(t.caret, t.text.size()))).size(), s.size())));
        e->setTextCursor(c);
    }
    void style_inner(int st) override
    {
        e->setVerticalScrollBarPolicy(st & GJ_ST_VSCROLL ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        e->setHorizontalScrollBarPolicy(st & GJ_ST_HSCROLL ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        // Without a horizontal bar the lines wrap, as an editor without one shows them.
        e->setLineWrapMode(st & GJ_ST_HSCROLL ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    }
};

struct SEDIT_VIEW final : GJ_QTVIEW {
    TEDIT_GJ &t;
    QLineEdit *e = new QLineEdit;
    SEDIT_VIEW(GJ_QTVIEWS &vs, TEDIT_GJ &t) : GJ_QTVIEW(vs, t), t(t)
    {
        set_inner(e);
        QObject::connect(e, &QLineEdit::textEdited, guard.get(), [this] { edited(); });
        QObject::connect(e, &QLineEdit::cursorPositionChanged, guard.get(), [this] { edited(); });
    }
    void edited()
    {
        if (applying) return;
        t.text = sj(e->text());
        t.caret = sj(e->text().left(e->cursorPosition())).size();
    }
    void sync() override
    {
        QString s = wp_qs(t.text);
        if (e->text() != s) e->setText(s);
        e->setCursorPosition(int(wp_qs(t.text.substr(0, std::min(t.caret, t.text.size()))).size()));
    }
};

// A number: what the user types counts once it reads as one.
struct NEDIT_VIEW final : GJ_QTVIEW {
    NEDIT_GJ &n;
    QLineEdit *e = new QLineEdit;
    NEDIT_VIEW(GJ_QTVIEWS &vs, NEDIT_GJ &n) : GJ_QTVIEW(vs, n), n(n)
    {
        auto *v = new QDoubleValidator(e);
        v->setLocale(QLocale::c());
        e->setValidator(v);
        e->setAlignment(Qt::AlignRight);
        set_inner(e);
        QObject::connect(e, &QLineEdit::textEdited, guard.get(), [this](const QString &s) {
            bool ok = false;
            double d = s.toDouble(&ok);
            if (!applying && ok) this->n.number = d;
        });
    }
    void sync() override
    {
        bool ok = false;
        double shown = e->text().toDouble(&ok);
        if (!ok || shown != n.number) e->setText(QString::number(n.number, 'g', 15));
    }
};

// ---------------------------------------------------------------- scroll bars and the rest

struct SCROL_VIEW final : GJ_QTVIEW {
    SCROL_GJ &s;
    QScrollBar *b;
    SCROL_VIEW(GJ_QTVIEWS &vs, SCROL_GJ &s, Qt::Orientation o) : GJ_QTVIEW(vs, s), s(s), b(new QScrollBar(o))
    {
        set_inner(b);
        QObject::connect(b, &QScrollBar::valueChanged, guard.get(), [this](int v) {
            if (!applying) this->s.position = v;
        });
    }
    void sync() override
    {
        b->setRange(0, s.maximum - s.page);
        b->setPageStep(std::max(s.page, 1));
        b->setValue(s.position);
    }
};

// The drawing window: the model's picture 1:1 from the top-left corner.
class CANVAS final : public QWidget {
public:
    explicit CANVAS(GRAPH_GJ &g) : g(g) {}
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.drawImage(0, 0, gj_qimage(g.pic));
    }

private:
    GRAPH_GJ &g;
};

struct GRAPH_VIEW final : GJ_QTVIEW {
    CANVAS *c;
    GRAPH_VIEW(GJ_QTVIEWS &vs, GRAPH_GJ &g) : GJ_QTVIEW(vs, g), c(new CANVAS(g)) { set_inner(c); }
    void sync() override { c->update(); }
};

struct PLAIN_VIEW final : GJ_QTVIEW {
    PLAIN_VIEW(GJ_QTVIEWS &vs, GJ_MODEL &m) : GJ_QTVIEW(vs, m) { set_inner(new QWidget); }
};

} // namespace

GJ_QTVIEW *gj_qt_view(GJ_QTVIEWS &vs, GJ_MODEL &m)
{
    if (auto *p = dynamic_cast<PUSH_GJ *>(&m)) return new PUSH_VIEW(vs, *p);
    if (auto *c = dynamic_cast<CHECK_GJ *>(&m)) return new CHECK_VIEW(vs, *c);
    if (auto *s = dynamic_cast<SEDIT_GJ *>(&m)) return new SEDIT_VIEW(vs, *s);
    if (auto *t = dynamic_cast<TEDIT_GJ *>(&m)) return new TEDIT_VIEW(vs, *t);
    if (auto *n = dynamic_cast<NEDIT_GJ *>(&m)) return new NEDIT_VIEW(vs, *n);
    if (auto *v = dynamic_cast<VSCROL_GJ *>(&m)) return new SCROL_VIEW(vs, *v, Qt::Vertical);
    if (auto *h = dynamic_cast<HSCROL_GJ *>(&m)) return new SCROL_VIEW(vs, *h, Qt::Horizontal);
    if (auto *g = dynamic_cast<GRAPH_GJ *>(&m)) return new GRAPH_VIEW(vs, *g);
    if (GJ_QTVIEW *a = gj_qt_grid_view(vs, m)) return a;
    return new PLAIN_VIEW(vs, m);   // BACK, and kinds without a widget of their own
}
