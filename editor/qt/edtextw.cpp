// The editor's text widget: Shift-JIS-only entry, the display marks, the line-number margin.
#include "editor/qt/edwin.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>

namespace {

// The margin left of the text: line numbers, when the setting asks for them.
class ED_MARGIN : public QWidget {
public:
    explicit ED_MARGIN(ED_TEXT *t) : QWidget(t), text(t) {}
    QSize sizeHint() const override { return QSize(text->margin_width(), 0); }

protected:
    void paintEvent(QPaintEvent *e) override { text->margin_paint(e); }

private:
    ED_TEXT *text;
};

} // namespace

ED_TEXT::ED_TEXT(KOV_EDITWIN *w) : QPlainTextEdit(w), margin(new ED_MARGIN(this)), win(w)
{
    connect(this, &QPlainTextEdit::blockCountChanged, this, &ED_TEXT::margin_fit);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &r, int dy) {
        if (dy) margin->scroll(0, dy);
        else margin->update(0, r.y(), margin->width(), r.height());
    });
}

int ED_TEXT::margin_width() const
{
    if (!win->set.get(TED_LINENUM)) return 0;
    int digits = int(QString::number(std::max(1, blockCount())).size());
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void ED_TEXT::margin_paint(QPaintEvent *e)
{
    QPainter p(margin);
    p.fillRect(e->rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock b = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(b).translated(contentOffset()).top());
    for (; b.isValid() && top <= e->rect().bottom(); b = b.next()) {
        int h = qRound(blockBoundingRect(b).height());
        if (b.isVisible() && top + h >= e->rect().top())
            p.drawText(0, top, margin->width() - 4, fontMetrics().height(), Qt::AlignRight, QString::number(b.blockNumber() + 1));
        top += h;
    }
}

void ED_TEXT::margin_fit()
{
    setViewportMargins(margin_width(), 0, 0, 0);
    QRect r = contentsRect();
    margin->setGeometry(r.left(), r.top(), margin_width(), r.height());
}

void ED_TEXT::resizeEvent(QResizeEvent *e)
{
    QPlainTextEdit::resizeEvent(e);
    margin_fit();
}

// The editor's own keys come first: Qt's shortcuts for the same keys (CTRL-C copy, CTRL-Z
// undo ...) would otherwise take them before the keyboard table sees them.
bool ED_TEXT::event(QEvent *e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->modifiers() & Qt::ControlModifier || (k->key() >= Qt::Key_F1 && k->key() <= Qt::Key_F12) ||
            k->key() == Qt::Key_Escape || win->prefix != KOV_EDITWIN::PRE_NONE) {
            e->accept();
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Tab) {
        keyPressEvent(static_cast<QKeyEvent *>(e));   // a TAB is text, not a focus change
        return true;
    }
    return QPlainTextEdit::event(e);
}

void ED_TEXT::keyPressEvent(QKeyEvent *e)
{
    if (win->ed_key(e)) return;
    if (!e->text().isEmpty() && !win->ed_accept(e->text())) return;
    QPlainTextEdit::keyPressEvent(e);
}

void ED_TEXT::inputMethodEvent(QInputMethodEvent *e)
{
    if (e->commitString().isEmpty() || win->ed_accept(e->commitString())) return QPlainTextEdit::inputMethodEvent(e);
    QInputMethodEvent none(QString(), {});   // ends the composition, inserts nothing
    QPlainTextEdit::inputMethodEvent(&none);
}

void ED_TEXT::insertFromMimeData(const QMimeData *m)
{
    if (m->hasText() && !win->ed_accept(m->text())) return;
    QPlainTextEdit::insertFromMimeData(m);
}

void ED_TEXT::paintEvent(QPaintEvent *e)
{
    QPlainTextEdit::paintEvent(e);
    paint_marks();
}

// "[" at each line end, "." on each TAB, "^" before a control character, "~" on the rows below
// the text and "[EOF]" after it, each as its setting says.
void ED_TEXT::paint_marks()
{
    QPainter p(viewport());
    p.setPen(palette().color(QPalette::PlaceholderText));
    const ED_SET &s = win->set;
    QFontMetrics fm = fontMetrics();
    auto at = [&](int pos, const QString &mark, int dx = 0) {
        QTextCursor c(document());
        c.setPosition(pos);
        QRect r = cursorRect(c);
        p.drawText(r.left() + dx, r.top() + fm.ascent(), mark);
    };
    // A control character's cell shows "^" and its letter, small enough to share the cell.
    auto control = [&](int pos, ushort c) {
        QTextCursor from(document()), to(document());
        from.setPosition(pos), to.setPosition(pos + 1);
        QRect r = cursorRect(from);
        r.setRight(std::max(r.left() + 2, cursorRect(to).left() - 1));
        p.fillRect(r, palette().color(QPalette::Base));
        QFont small = font();
        small.setPixelSize(std::max(4, font().pixelSize() * 11 / 20));
        p.setFont(small);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("^") + QChar(c + 0x40));
        p.setFont(font());
    };
    QTextBlock b = firstVisibleBlock();
    int bottom = 0;
    for (; b.isValid(); b = b.next()) {
        QRectF g = blockBoundingGeometry(b).translated(contentOffset());
        if (g.top() > viewport()->height()) break;
        bottom = int(g.bottom());
        const QString t = b.text();
        for (int i = 0; i < t.size(); i++) {
            if (t[i] == QLatin1Char('\t') && s.get(TED_DISPTAB)) at(b.position() + i, QStringLiteral("."));
            else if (t[i].unicode() < 0x20 && t[i] != QLatin1Char('\t')) control(b.position() + i, t[i].unicode());
        }
        int end = b.position() + int(t.size());
        if (b.next().isValid()) {
            if (s.get(TED_DISPEOL)) at(end, QStringLiteral("["));
        } else if (s.get(TED_DISPEOF)) {
            at(end, QStringLiteral("[EOF]"), t.isEmpty() ? 0 : fm.horizontalAdvance(QLatin1Char(' ')));
        }
    }
    if (b.isValid() || !s.get(TED_DISPNOL)) return;
    for (int y = bottom; y < viewport()->height(); y += fm.height()) p.drawText(int(document()->documentMargin()), y + fm.ascent(), QStringLiteral("~"));
}
