#include "print/qt/prqt.h"

#include "base/kovtext.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

// A face in which every half-width character has one advance and a double-byte one two.
QFont print_font(int h)
{
    QFont f(QStringLiteral("IPAGothic"));
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setPixelSize(std::max(1, h));   // the painter is scaled to points: a pixel is a point
    return f;
}

QColor rgb(unsigned c) { return QColor(int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)); }

} // namespace

PRN_QT::PRN_QT(QWidget *parent, std::string pdf) : parent(parent), pdf(std::move(pdf)) {}
PRN_QT::~PRN_QT() = default;

int PRN_QT::prn_begin(const char *title, PRN_PAGE &page, int &copies)
{
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QString::fromUtf8(kov::sj_to_utf8(title ? title : "")));
    if (!pdf.empty()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        // Written beside the file and renamed at the end: a failed job keeps the old file.
        printer->setOutputFileName(QString::fromLocal8Bit((pdf + ".part").c_str()));
        printer->setCopyCount(pdf_copies);
    } else {
        QPrintDialog dlg(printer.get(), parent);
        if (dlg.exec() != QDialog::Accepted) return printer.reset(), -1;
    }
    // The layout prints each copy whole after the other itself.
    copies = std::max(1, printer->copyCount());
    printer->setCopyCount(1);
    painter = std::make_unique<QPainter>();
    if (!painter->begin(printer.get())) return painter.reset(), printer.reset(), -1;
    double dots = printer->resolution() / 72.0;
    painter->scale(dots, dots);
    QRectF r = printer->pageLayout().paintRect(QPageLayout::Point);
    page.width = int(r.width()), page.height = int(r.height());
    return 0;
}

int PRN_QT::prn_csize(int h, int &cw, int &ch)
{
    QFontMetricsF fm(print_font(h));
    cw = int(std::ceil(fm.horizontalAdvance(QLatin1Char('0'))));
    ch = std::max(h, int(std::ceil(fm.height())));
    return cw > 0 ? 0 : -1;
}

int PRN_QT::prn_new_page() { return painter && printer->newPage() ? 0 : -1; }

void PRN_QT::prn_text(int x, int y, int h, const char *text, unsigned colour)
{
    if (!painter) return;
    QFont f = print_font(h);
    painter->setFont(f);
    painter->setPen(rgb(colour));
    painter->drawText(QPointF(x, y + QFontMetricsF(f).ascent()), QString::fromUtf8(kov::sj_to_utf8(text)));
}

void PRN_QT::prn_line(int x1, int y1, int x2, int y2, int width)
{
    if (!painter) return;
    painter->setPen(QPen(Qt::black, width));
    painter->drawLine(x1, y1, x2, y2);
}

void PRN_QT::prn_fill(int x, int y, int w, int h, unsigned colour)
{
    if (painter) painter->fillRect(x, y, w, h, rgb(colour));
}

int PRN_QT::prn_end()
{
    bool ok = painter && painter->end();
    painter.reset();
    printer.reset();
    if (!pdf.empty()) {
        std::string part = pdf + ".part";
        if (ok && rename(part.c_str(), pdf.c_str()) != 0) ok = false;
        if (!ok) unlink(part.c_str());
    }
    return ok ? 0 : -1;
}

void PRN_QT::prn_abort()
{
    if (printer && pdf.empty()) printer->abort();
    if (painter) painter->end();
    painter.reset();
    printer.reset();
    if (!pdf.empty()) unlink((pdf + ".part").c_str());
}
