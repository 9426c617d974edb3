// Scalar numbers: the C mathematics wrappers, rounding and integer functions, random numbers,
// combinatorics, logic helpers and colours.
#include "builtins/fnutil.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr double PI_D = 3.141592653589793;

// 10^|digits| by repeated multiplication, as the rounding rules are written.
double ten_pow(int digits)
{
    double p = 1;
    for (long k = digits < 0 ? -(long)digits : digits; k > 0 && p < 1e308; k--) p *= 10;
    return p;
}

// trunc toward zero, kept in the double range (no 64-bit overflow for huge values).
double trunc0(double x) { return std::trunc(x); }

double round_to(double x, int digits, int mode)   // mode 0 half away, 1 up (away), 2 down
{
    double p = ten_pow(digits);
    double y = digits >= 0 ? x * p : x / p;
    double t;
    if (mode == 0) t = trunc0(y + (x >= 0 ? 0.5 : -0.5));
    else if (mode == 1) t = trunc0(y) + (trunc0(y) != y ? (y > 0 ? 1 : -1) : 0);
    else t = trunc0(y);
    return digits >= 0 ? t / p : t * p;
}

double permut(int n, int k)
{
    if (n < 0 || k < 0 || n < k) return 0;
    double r = 1;
    for (int i = 0; i < k && !std::isinf(r); i++) r *= n - i;   // every factor is >= 1: inf stays
    return r;
}

// One 15-bit draw.
unsigned draw() { return unsigned(rand() % 32767); }

} // namespace

// ---- C library wrappers ----

#define FN_D1(h, expr)                                       \
    int h(SCR_U &, const FN_CALL &c, FN_RET &r)              \
    {                                                        \
        double x = c.arg[0].d;                               \
        r.d = (expr);                                        \
        return 0;                                            \
    }
#define FN_D2(h, expr)                                       \
    int h(SCR_U &, const FN_CALL &c, FN_RET &r)              \
    {                                                        \
        double a = c.arg[0].d, b = c.arg[1].d;               \
        r.d = (expr);                                        \
        return 0;                                            \
    }

FN_D1(fn_sin, std::sin(x))
FN_D1(fn_cos, std::cos(x))
FN_D1(fn_tan, std::tan(x))
FN_D1(fn_asin, std::asin(x))
FN_D1(fn_acos, std::acos(x))
FN_D1(fn_atan, std::atan(x))
FN_D1(fn_sinh, std::sinh(x))
FN_D1(fn_cosh, std::cosh(x))
FN_D1(fn_tanh, std::tanh(x))
FN_D1(fn_ceil, std::ceil(x))
FN_D1(fn_floor, std::floor(x))
FN_D1(fn_exp, std::exp(x))
FN_D1(fn_log, std::log(x))
FN_D1(fn_log10, std::log10(x))
FN_D1(fn_sqrt, std::sqrt(x))
FN_D1(fn_fabs, std::fabs(x))
FN_D1(fn_ABS, std::fabs(x))
FN_D1(fn_RADIANS, PI_D * x / 180)
FN_D1(fn_DEGREES, x * 180 / PI_D)
FN_D1(fn_INT, std::floor(x))
FN_D1(fn_TRUNC, trunc0(x))
FN_D1(fn_N, x)
FN_D1(fn_SQRTPI, std::sqrt(PI_D * x))
FN_D1(fn_EVEN, x >= 0 ? 2 * std::ceil(x / 2) : -2 * std::ceil(-x / 2))
FN_D1(fn_ODD, x >= 0 ? 2 * std::ceil((x + 1) / 2) - 1 : 1 - 2 * std::ceil((1 - x) / 2))
FN_D2(fn_atan2, std::atan2(a, b))
FN_D2(fn_pow, std::pow(a, b))
FN_D2(fn_fmod, std::fmod(a, b))
FN_D2(fn_min, b <= a ? b : a)
FN_D2(fn_max, a <= b ? b : a)
FN_D2(fn_QUOTIENT, b == 0 ? 0 : trunc0(a / b))
FN_D2(fn_MOD, b == 0 ? 0 : (b < 0 ? -1 : 1) * (std::fabs(a) - std::fabs(b) * trunc0(std::fabs(a) / std::fabs(b))))
FN_D2(fn_FLOOR, b == 0 || a == 0 || (a < 0) != (b < 0) ? 0 : std::floor(a / std::fabs(b)) * std::fabs(b))
FN_D2(fn_CEILING, b == 0 || a == 0 || (a < 0) != (b < 0) ? 0 : std::ceil(a / std::fabs(b)) * std::fabs(b))

int fn_sign(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    double x = c.arg[0].d;
    r.L = x > 0 ? 1 : x < 0 ? -1 : 0;
    return 0;
}

int fn_pi(SCR_U &, const FN_CALL &, FN_RET &r)
{
    r.d = PI_D;
    return 0;
}

int fn_atoi(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = atoi(c.arg[0].s);
    return 0;
}

int fn_atol(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = atol(c.arg[0].s);
    return 0;
}

int fn_atof(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = atof(c.arg[0].s);
    return 0;
}

int fn_abs(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int64_t v = c.arg[0].L;
    r.L = v < 0 && v != INT64_MIN ? -v : v;
    return 0;
}

int fn_labs(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int32_t v = c.arg[0].i;
    r.L = v < 0 && v != INT32_MIN ? -v : v;
    return 0;
}

// ---- rounding ----

int fn_ROUND(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = round_to(c.arg[0].d, c.arg[1].i, 0);
    return 0;
}

int fn_ROUNDUP(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = round_to(c.arg[0].d, c.arg[1].i, 1);
    return 0;
}

int fn_ROUNDDOWN(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = round_to(c.arg[0].d, c.arg[1].i, 2);
    return 0;
}

int fn_MROUND(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int m = c.arg[1].i;
    r.d = m == 0 ? 0 : round_to(c.arg[0].d / m, 0, 0) * m;
    return 0;
}

// ---- random numbers ----

int fn_srand(SCR_U &, const FN_CALL &c, FN_RET &)
{
    srand(unsigned(c.arg[0].i));
    return 0;
}

int fn_rand(SCR_U &, const FN_CALL &, FN_RET &r)
{
    r.L = rand();
    return 0;
}

int fn_RAND(SCR_U &, const FN_CALL &, FN_RET &r)
{
    double v = 0;
    for (int k = 0; k < 4; k++) v = (draw() + v) / 32768;
    r.d = v;
    return 0;
}

int fn_RANDBETWEEN(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int64_t lo = c.arg[0].L, hi = c.arg[1].L;
    if (lo > hi) std::swap(lo, hi);
    uint64_t u = 0;
    for (int k = 0; k < 5; k++) u = u << 15 | draw();
    uint64_t span = uint64_t(hi) - uint64_t(lo) + 1;   // 0: the whole 64-bit range
    r.L = int64_t(uint64_t(lo) + (span ? u % span : u));
    return 0;
}

// ---- combinatorics ----

int fn_PERMUT(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = permut(c.arg[0].i, c.arg[1].i);
    return 0;
}

int fn_FACT(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.d = permut(c.arg[0].i, c.arg[0].i);
    return 0;
}

int fn_COMBIN(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int n = c.arg[0].i, k = c.arg[1].i;
    double p = permut(n, k);
    r.d = p == 0 ? 0 : p / permut(k, k);
    return 0;
}

// ---- logic ----

// OR and AND: every value must be a number; none gives 0.
static int fn_logic(const FN_CALL &c, FN_RET &r, bool all)
{
    r.L = 0;
    if (c.nvargs == 0) return 0;
    bool any = false, every = true;
    for (int k = 0; k < c.nvargs; k++) {
        if (c.vargs[k]->val_kind != VAL_NUM) return 0;
        bool on = c.vargs[k]->val_num != 0;
        any |= on;
        every &= on;
    }
    r.L = all ? every : any;
    return 0;
}

int fn_OR(SCR_U &, const FN_CALL &c, FN_RET &r) { return fn_logic(c, r, false); }
int fn_AND(SCR_U &, const FN_CALL &c, FN_RET &r) { return fn_logic(c, r, true); }

int fn_NOT(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].L == 0;
    return 0;
}

int fn_ISEVEN(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = (c.arg[0].L & 1) == 0;
    return 0;
}

int fn_ISODD(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].L & 1;
    return 0;
}

int fn_DELTA(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].d == c.arg[1].d;
    return 0;
}

int fn_GESTEP(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].d >= c.arg[1].d;
    return 0;
}

int fn_IF(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int pick = c.arg[0].d != 0 ? 0 : 1;
    return fn_give(s, r, pick < c.nvargs ? c.vargs[pick] : nullptr);
}

int fn_SUMSQ(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    double t = 0;
    for (int k = 0; k < c.nvargs; k++)
        if (c.vargs[k]->val_kind == VAL_NUM) t += c.vargs[k]->val_num * c.vargs[k]->val_num;
    r.d = t;
    return 0;
}

// ---- colours ----

int fn_rgb(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = int32_t((c.arg[0].i & 255) | (c.arg[1].i & 255) << 8 | (c.arg[2].i & 255) << 16);
    return 0;
}

int fn_rgb2r(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].i & 255;
    return 0;
}

int fn_rgb2g(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].i >> 8 & 255;
    return 0;
}

int fn_rgb2b(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    r.L = c.arg[0].i >> 16 & 255;
    return 0;
}

namespace {

// Colours of the window parts, by their index; the desktop's own where it has them.
const char *const ctl_names[] = {"MSGBOX", "EDIT", "LISTBOX", "BTN", "DLG", "SCROLLBAR", "STATIC", "MAX"};
const struct {
    const char *name;
    int index;
} sys_names[] = {
    {"BACKGROUND", 1}, {"ACTIVECAPTION", 2}, {"INACTIVECAPTION", 3}, {"MENU", 4}, {"WINDOW", 5},
    {"WINDOWFRAME", 6}, {"MENUTEXT", 7}, {"WINDOWTEXT", 8}, {"CAPTIONTEXT", 9}, {"ACTIVEBORDER", 10},
    {"INACTIVEBORDER", 11}, {"APPWORKSPACE", 12}, {"HIGHLIGHT", 13}, {"HIGHLIGHTTEXT", 14}, {"BTNFACE", 15},
    {"BTNSHADOW", 16}, {"GRAYTEXT", 17}, {"BTNTEXT", 18}, {"INACTIVECAPTIONTEXT", 19}, {"BTNHIGHLIGHT", 20},
    {"3DDKSHADOW", 21}, {"3DLIGHT", 22}, {"INFOTEXT", 23}, {"INFOBK", 24}, {"HOTLIGHT", 26},
    {"GRADIENTACTIVECAPTION", 27}, {"GRADIENTINACTIVECAPTION", 28},
};
// The classic light desktop's colours (0xRRGGBB) for the indices 0..28.
const uint32_t sys_rgb[29] = {
    0xC8C8C8, 0x3A6EA5, 0x0A246A, 0x808080, 0xD4D0C8, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF,
    0xD4D0C8, 0xD4D0C8, 0x808080, 0x0A246A, 0xFFFFFF, 0xD4D0C8, 0x808080, 0x808080, 0x000000, 0xD4D0C8,
    0xFFFFFF, 0x404040, 0xD4D0C8, 0x000000, 0xFFFFE1, 0xB5B5B5, 0x0000FF, 0xA6CAF0, 0xC0C0C0,
};
const struct {
    const char *name;
    uint32_t rgb;   // 0xRRGGBB
} web_names[] = {
    {"AliceBlue", 0xF0F8FF}, {"AntiqueWhite", 0xFAEBD7}, {"Aqua", 0x00FFFF}, {"Aquamarine", 0x7FFFD4},
    {"Azure", 0xF0FFFF}, {"Beige", 0xF5F5DC}, {"Bisque", 0xFFE4C4}, {"Black", 0x000000},
    {"BlanchedAlmond", 0xFFEBCD}, {"Blue", 0x0000FF}, {"BlueViolet", 0x8A2BE2}, {"Brown", 0xA52A2A},
    {"BurlyWood", 0xDEB887}, {"CadetBlue", 0x5F9EA0}, {"Chartreuse", 0x7FFF00}, {"Chocolate", 0xD2691E},
    {"Coral", 0xFF7F50}, {"CornflowerBlue", 0x6495ED}, {"Cornsilk", 0xFFF8DC}, {"Crimson", 0xDC143C},
    {"Cyan", 0x00FFFF}, {"DarkBlue", 0x00008B}, {"DarkCyan", 0x008B8B}, {"DarkGoldenrod", 0xB8860B},
    {"DarkGray", 0xA9A9A9}, {"DarkGreen", 0x006400}, {"DarkKhaki", 0xBDB76B}, {"DarkMagenta", 0x8B008B},
    {"DarkOliveGreen", 0x556B2F}, {"DarkOrange", 0xFF8C00}, {"DarkOrchid", 0x9932CC}, {"DarkRed", 0x8B0000},
    {"DarkSalmon", 0xE9967A}, {"DarkSeaGreen", 0x8FBC8F}, {"DarkSlateBlue", 0x483D8B},
    {"DarkSlateGray", 0x2F4F4F}, {"DarkTurquoise", 0x00CED1}, {"DarkViolet", 0x9400D3},
    {"DeepPink", 0xFF1493}, {"DeepSkyBlue", 0x00BFFF}, {"DimGray", 0x696969}, {"DodgerBlue", 0x1E90FF},
    {"FireBrick", 0xB22222}, {"FloralWhite", 0xFFFAF0}, {"ForestGreen", 0x228B22}, {"Fuchsia", 0xFF00FF},
    {"Gainsboro", 0xDCDCDC}, {"GhostWhite", 0xF8F8FF}, {"Gold", 0xFFD700}, {"Goldenrod", 0xDAA520},
    {"Gray", 0x808080}, {"Green", 0x008000}, {"GreenYellow", 0xADFF2F}, {"Honeydew", 0xF0FFF0},
    {"HotPink", 0xFF69B4}, {"IndianRed", 0xCD5C5C}, {"Indigo", 0x4B0082}, {"Ivory", 0xFFFFF0},
    {"Khaki", 0xF0E68C}, {"Lavender", 0xE6E6FA}, {"LavenderBlush", 0xFFF0F5}, {"LawnGreen", 0x7CFC00},
    {"LemonChiffon", 0xFFFACD}, {"LightBlue", 0xADD8E6}, {"LightCoral", 0xF08080}, {"LightCyan", 0xE0FFFF},
    {"LightGoldenrodYellow", 0xFAFAD2}, {"LightGreen", 0x90EE90}, {"LightGrey", 0xD3D3D3},
    {"LightPink", 0xFFB6C1}, {"LightSalmon", 0xFFA07A}, {"LightSeaGreen", 0x20B2AA},
    {"LightSkyBlue", 0x87CEFA}, {"LightSlateGray", 0x778899}, {"LightSteelBlue", 0xB0C4DE},
    {"LightYellow", 0xFFFFE0}, {"Lime", 0x00FF00}, {"LimeGreen", 0x32CD32}, {"Linen", 0xFAF0E6},
    {"Magenta", 0xFF00FF}, {"Maroon", 0x800000}, {"MediumAquamarine", 0x66CDAA}, {"MediumBlue", 0x0000CD},
    {"MediumOrchid", 0xBA55D3}, {"MediumPurple", 0x9370DB}, {"MediumSeaGreen", 0x3CB371},
    {"MediumSlateBlue", 0x7B68EE}, {"MediumSpringGreen", 0x00FA9A}, {"MediumTurquoise", 0x48D1CC},
    {"MediumVioletRed", 0xC71585}, {"MidnightBlue", 0x191970}, {"MintCream", 0xF5FFFA},
    {"MistyRose", 0xFFE4E1}, {"Moccasin", 0xFFE4B5}, {"NavajoWhite", 0xFFDEAD}, {"Navy", 0x000080},
    {"OldLace", 0xFDF5E6}, {"Olive", 0x808000}, {"OliveDrab", 0x6B8E23}, {"Orange", 0xFFA500},
    {"OrangeRed", 0xFF4500}, {"Orchid", 0xDA70D6}, {"PaleGoldenrod", 0xEEE8AA}, {"PaleGreen", 0x98FB98},
    {"PaleTurquoise", 0xAFEEEE}, {"PaleVioletRed", 0xDB7093}, {"PapayaWhip", 0xFFEFD5},
    {"PeachPuff", 0xFFDAB9}, {"Peru", 0xCD853F}, {"Pink", 0xFFC0CB}, {"Plum", 0xDDA0DD},
    {"PowderBlue", 0xB0E0E6}, {"Purple", 0x800080}, {"PurwaBlue", 0x9BE1FF}, {"Red", 0xFF0000},
    {"RosyBrown", 0xBC8F8F}, {"RoyalBlue", 0x4169E1}, {"SaddleBrown", 0x8B4513}, {"Salmon", 0xFA8072},
    {"SandyBrown", 0xF4A460}, {"SeaGreen", 0x2E8B57}, {"Seashell", 0xFFF5EE}, {"Sienna", 0xA0522D},
    {"Silver", 0xC0C0C0}, {"SkyBlue", 0x87CEEB}, {"SlateBlue", 0x6A5ACD}, {"SlateGray", 0x708090},
    {"Snow", 0xFFFAFA}, {"SpringGreen", 0x00FF7F}, {"SteelBlue", 0x4682B4}, {"Tan", 0xD2B48C},
    {"Teal", 0x008080}, {"Thistle", 0xD8BFD8}, {"Tomato", 0xFF6347}, {"Turquoise", 0x40E0D0},
    {"Violet", 0xEE82EE}, {"Wheat", 0xF5DEB3}, {"White", 0xFFFFFF}, {"WhiteSmoke", 0xF5F5F5},
    {"Yellow", 0xFFFF00}, {"YellowGreen", 0x9ACD32},
};

// 0xRRGGBB into the colour value's layout (red in the low byte).
int32_t from_rgb(uint32_t v) { return int32_t((v >> 16 & 255) | (v & 0xFF00) | (v & 255) << 16); }

} // namespace

int fn_color_rgb(const char *n)
{
    if (!n) return -1;
    if (n[0] == '#' && strlen(n) == 7 && strspn(n + 1, "0123456789abcdefABCDEF") == 6)
        return int(strtoul(n + 1, nullptr, 16));
    for (int k = 0; k < 8; k++)
        if (strcasecmp(n, ctl_names[k]) == 0) return int(sys_rgb[k]);
    for (auto &e : sys_names)
        if (strcasecmp(n, e.name) == 0) return int(sys_rgb[e.index]);
    for (auto &e : web_names)
        if (strcasecmp(n, e.name) == 0) return int(e.rgb);
    return -1;
}

int fn_color(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int rgb = fn_color_rgb(c.arg[0].s);
    r.L = rgb < 0 ? -1 : from_rgb(uint32_t(rgb));
    return 0;
}
