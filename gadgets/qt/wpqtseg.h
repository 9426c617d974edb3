// The display styles of text parts: segment lights ("LCD1", "LED*") or a text on a colour.
#pragma once
#include <QColor>
#include <QRect>
#include <QString>
#include <string>

class QPainter;

struct SEG_STYLE {
    QColor back, on, off;   // off: an unlit segment
    bool segments = false;  // false: plain text in on over back
};

// The style of a name; false (and black on white) for a name that is none.
bool seg_style(const std::string &style, SEG_STYLE &s);
// The text across the rectangle in the style.
void seg_draw(QPainter &p, const QRect &r, const QString &text, const SEG_STYLE &s);
