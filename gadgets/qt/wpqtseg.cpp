// Seven-segment lights for the LCD and LED display styles: each character is drawn as the
// segments a real display would light (dimmed segments show where the others are), so the look
// does not depend on a font being installed.
#include "gadgets/qt/wpqtseg.h"

#include <QPainter>
#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// Segment bits: a top, b upper right, c lower right, d bottom, e lower left, f upper left, g middle.
unsigned seg_bits(QChar q)
{
    static const struct { char c; unsigned bits; } map[] = {
        {'0', 0x3F}, {'1', 0x06}, {'2', 0x5B}, {'3', 0x4F}, {'4', 0x66}, {'5', 0x6D}, {'6', 0x7D}, {'7', 0x07},
        {'8', 0x7F}, {'9', 0x6F}, {'A', 0x77}, {'b', 0x7C}, {'C', 0x39}, {'c', 0x58}, {'d', 0x5E}, {'E', 0x79},
        {'F', 0x71}, {'G', 0x3D}, {'H', 0x76}, {'h', 0x74}, {'I', 0x06}, {'i', 0x04}, {'J', 0x1E}, {'L', 0x38},
        {'n', 0x54}, {'N', 0x37}, {'o', 0x5C}, {'O', 0x3F}, {'P', 0x73}, {'q', 0x67}, {'r', 0x50}, {'S', 0x6D},
        {'t', 0x78}, {'U', 0x3E}, {'u', 0x1C}, {'y', 0x6E}, {'-', 0x40}, {'_', 0x08}, {'=', 0x48}, {'"', 0x22},
        {'\'', 0x02}, {'[', 0x39}, {']', 0x0F}, {'?', 0x53}, {'+', 0x46},
    };
    if (q.unicode() > 127) return 0;
    char c = char(q.unicode());
    for (auto &m : map)
        if (m.c == c) return m.bits;
    char other = std::isupper((unsigned char)c) ? char(std::tolower((unsigned char)c)) : char(std::toupper((unsigned char)c));
    for (auto &m : map)
        if (m.c == other) return m.bits;
    return 0;
}

struct CELL {
    unsigned bits = 0;
    bool dp = false, colon = false;
};

std::vector<CELL> seg_cells(const QString &text)
{
    std::vector<CELL> cells;
    for (QChar q : text) {
        if (q == QLatin1Char('.') || q == QLatin1Char(',')) {
            if (cells.empty() || cells.back().dp || cells.back().colon) cells.push_back({});
            cells.back().dp = true;
        } else if (q == QLatin1Char(':')) {
            CELL c;
            c.colon = true;
            cells.push_back(c);
        } else {
            cells.push_back({seg_bits(q), false, false});
        }
    }
    return cells;
}

void seg_cell(QPainter &p, QRectF box, const CELL &c, QColor on, QColor off)
{
    const qreal w = box.width(), h = box.height(), t = std::max<qreal>(1.5, std::min(w, h) * 0.13);
    const qreal x0 = box.left() + w * 0.18, x1 = box.right() - w * 0.22;
    const qreal y0 = box.top() + t, y2 = box.bottom() - t, y1 = (y0 + y2) / 2, g = t * 0.7;
    if (c.colon) {
        p.setPen(Qt::NoPen);
        p.setBrush(on);
        p.drawEllipse(QPointF(box.center().x(), (y0 + y1) / 2), t * 0.6, t * 0.6);
        p.drawEllipse(QPointF(box.center().x(), (y1 + y2) / 2), t * 0.6, t * 0.6);
        return;
    }
    const QLineF segs[7] = {
        {x0 + g, y0, x1 - g, y0}, {x1, y0 + g, x1, y1 - g}, {x1, y1 + g, x1, y2 - g}, {x0 + g, y2, x1 - g, y2},
        {x0, y1 + g, x0, y2 - g}, {x0, y0 + g, x0, y1 - g}, {x0 + g, y1, x1 - g, y1},
    };
    for (int k = 0; k < 7; k++) {
        p.setPen(QPen(c.bits >> k & 1 ? on : off, t, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(segs[k]);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c.dp ? on : off);
    p.drawEllipse(QPointF(box.right() - w * 0.08, y2), t * 0.55, t * 0.55);
}

} // namespace

bool seg_style(const std::string &style, SEG_STYLE &s)
{
    static const struct { const char *name; QRgb back, on, off; bool seg; } styles[] = {
        {"LCD1", qRgb(200, 210, 180), qRgb(30, 40, 20), qRgb(186, 196, 166), true},
        {"LEDO", qRgb(16, 16, 16), qRgb(255, 140, 26), qRgb(50, 30, 12), true},
        {"LEDY", qRgb(16, 16, 16), qRgb(255, 224, 48), qRgb(48, 44, 14), true},
        {"LEDG", qRgb(16, 16, 16), qRgb(48, 255, 80), qRgb(14, 46, 18), true},
        {"LEDC", qRgb(16, 16, 16), qRgb(48, 224, 255), qRgb(14, 42, 48), true},
        {"LEDW", qRgb(16, 16, 16), qRgb(240, 240, 240), qRgb(44, 44, 44), true},
        {"WHITE", qRgb(255, 255, 255), qRgb(0, 0, 0), 0, false},
        {"RED", qRgb(255, 0, 0), qRgb(255, 255, 255), 0, false},
        {"YELLOW", qRgb(255, 255, 0), qRgb(0, 0, 0), 0, false},
        {"GREEN", qRgb(0, 255, 0), qRgb(0, 0, 0), 0, false},
        {"CYAN", qRgb(0, 255, 255), qRgb(0, 0, 0), 0, false},
        {"BLACK", qRgb(0, 0, 0), qRgb(255, 255, 255), 0, false},
    };
    for (auto &st : styles)
        if (style == st.name) {
            s = {QColor(st.back), QColor(st.on), QColor(st.off), st.seg};
            return true;
        }
    s = {QColor(Qt::white), QColor(Qt::black), QColor(), false};
    return false;
}

void seg_draw(QPainter &p, const QRect &r, const QString &text, const SEG_STYLE &s)
{
    p.fillRect(r, s.back);
    if (r.width() <= 2 || r.height() <= 2) return;
    if (!s.segments) {
        QFont f = p.font();
        f.setPixelSize(std::max(6, r.height() * 7 / 10));
        p.setFont(f);
        p.setPen(s.on);
        p.drawText(r.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    std::vector<CELL> cells = seg_cells(text);
    if (cells.empty()) return;
    p.setRenderHint(QPainter::Antialiasing);
    const qreal dh = r.height() * 0.8, cw = std::min(dh * 0.62, qreal(r.width() - 4) / qreal(cells.size()));
    const qreal top = r.top() + (r.height() - std::min(dh, cw / 0.62)) / 2, hh = std::min(dh, cw / 0.62);
    qreal x = r.right() - 2 - cw * qreal(cells.size());   // a display's figures stand at the right
    for (const CELL &c : cells) {
        seg_cell(p, QRectF(x, top, cw, hh), c, s.on, s.off);
        x += cw;
    }
}
