#include "devices/qt/devqtterm.h"
#include "devices/qt/devqt.h"

#include "base/kovtext.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

// The widget that paints the screen: one fixed-width cell per byte, runs of one colour at once.
class DEV_QTTERMW final : public QWidget {
public:
    explicit DEV_QTTERMW(DEV_TERM &t) : term(t)
    {
        setAcceptDrops(true);
        setFocusPolicy(t.term_focus() ? Qt::StrongFocus : Qt::NoFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    // The screen sized to the widget by the font of the model's height.
    void fit()
    {
        QFont f = font_now();
        QFontMetrics fm(f);
        int cw = std::max(1, fm.horizontalAdvance(QLatin1Char('0'))), ch = std::max(1, fm.height());
        int cols = std::max(1, width() / cw), rows = std::max(1, height() / ch);
        if (cols != term.screen.cols || rows != term.screen.rows) term.screen.resize(cols, rows);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QFont f = font_now();
        p.setFont(f);
        QFontMetrics fm(f);
        int cw = std::max(1, fm.horizontalAdvance(QLatin1Char('0'))), ch = std::max(1, fm.height());
        p.fillRect(rect(), QColor(QRgb(term.screen.bg)));
        const DEV_SCREEN &s = term.screen;
        for (int y = 0; y < s.rows; y++)
            for (int x = 0; x < s.cols;) {
                const DEV_SCREEN::CELL &c = s.at(x, y);
                int end = x;
                std::string run;
                while (end < s.cols && s.at(end, y).fg == c.fg && s.at(end, y).bg == c.bg) run += s.at(end++, y).ch;
                QRect r(x * cw, y * ch, (end - x) * cw, ch);
                p.fillRect(r, QColor(QRgb(c.bg)));
                p.setPen(QColor(QRgb(c.fg)));
                p.drawText(r.x(), r.y() + fm.ascent(), QString::fromStdString(kov::sj_to_utf8(run)));
                x = end;
            }
        if (hasFocus()) p.fillRect(s.cx * cw, s.cy * ch + ch - 2, cw, 2, QColor(QRgb(s.fg)));
    }
    void resizeEvent(QResizeEvent *) override { fit(); }
    void keyPressEvent(QKeyEvent *e) override
    {
        std::string bytes = kov::sj_from_utf8(e->text().toStdString());
        if (bytes.empty() || term.term_key(bytes.data(), bytes.size()) != 0) return QWidget::keyPressEvent(e);
        e->accept();
    }
    void dragEnterEvent(QDragEnterEvent *e) override
    {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent *e) override
    {
        for (const QUrl &u : e->mimeData()->urls())
            if (u.isLocalFile()) term.term_send_file(QFile::encodeName(u.toLocalFile()).constData());
        e->acceptProposedAction();
    }

private:
    DEV_TERM &term;
    QFont font_now() const
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPixelSize(std::max(1, term.screen.font));
        return f;
    }
};

DEV_QTTERM::DEV_QTTERM(WP_QTVIEWS &v, DEV_TERM &p) : WP_QTVIEW(v, p), term(p), screen(new DEV_QTTERMW(p))
{
    set_inner(screen);
    if (p.term_focus()) screen->setFocusPolicy(Qt::StrongFocus);   // set_inner may have taken it
}

void DEV_QTTERM::sync()
{
    if (!screen) return;
    static_cast<DEV_QTTERMW *>(screen)->fit();
    screen->update();
}

static WP_QTVIEW *make_term(WP_QTVIEWS &vs, WP_PART &p)
{
    auto *t = dynamic_cast<DEV_TERM *>(&p);
    return t ? new DEV_QTTERM(vs, *t) : nullptr;
}

void dev_qt_install() { WP_QTVIEWS::qt_maker_add(make_term); }
