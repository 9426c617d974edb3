#include "devices/devterm.h"

#include "base/kovtext.h"
#include "script/scr.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------- the screen

void DEV_SCREEN::resize(int c, int r)
{
    c = std::clamp(c, 1, 1000), r = std::clamp(r, 1, 1000);
    std::vector<CELL> now(size_t(c) * size_t(r), CELL{' ', fg, bg});
    for (int y = 0; y < std::min(r, rows); y++)
        for (int x = 0; x < std::min(c, cols); x++) now[size_t(y) * size_t(c) + size_t(x)] = at(x, y);
    cells.swap(now);
    cols = c, rows = r;
    cx = std::min(cx, cols - 1), cy = std::min(cy, rows - 1);
    changes++;
}

void DEV_SCREEN::blank(int row, int from)
{
    for (int x = std::max(0, from); x < cols; x++) cells[size_t(row) * size_t(cols) + size_t(x)] = CELL{' ', fg, bg};
}

void DEV_SCREEN::newline()
{
    cx = 0;
    if (++cy < rows) return;
    cy = rows - 1;
    cells.erase(cells.begin(), cells.begin() + cols);
    cells.resize(size_t(cols) * size_t(rows));
    blank(rows - 1, 0);
}

void DEV_SCREEN::put(const char *text, size_t n)
{
    for (size_t k = 0; k < n; k++) {
        auto b = (unsigned char)text[k];
        if (b == '\n') newline();
        else if (b == '\r') cx = 0;
        else if (b == '\b') cx = std::max(0, cx - 1);
        else if (b == '\t') cx = std::min(cols - 1, (cx / 8 + 1) * 8);
        else {
            // A double-byte character is not split over two rows.
            if (cx >= cols || (kov::sj_is_lead(b) && cx == cols - 1 && cols > 1)) newline();
            cells[size_t(cy) * size_t(cols) + size_t(cx)] = CELL{char(b), fg, bg};
            cx++;
            if (cx >= cols && !(kov::sj_is_lead(b) && k + 1 < n)) newline();
        }
    }
    changes++;
}

void DEV_SCREEN::clear()
{
    for (int y = 0; y < rows; y++) blank(y, 0);
    cx = cy = 0;
    changes++;
}

void DEV_SCREEN::clear_eol()
{
    blank(cy, cx);
    changes++;
}

void DEV_SCREEN::go(int col, int row)
{
    cx = std::clamp(col, 0, cols - 1), cy = std::clamp(row, 0, rows - 1);
    changes++;
}

std::string DEV_SCREEN::row_text(int row) const
{
    std::string t;
    if (row < 0 || row >= rows) return t;
    for (int x = 0; x < cols; x++) t += at(x, row).ch;
    t.erase(t.find_last_not_of(' ') + 1);
    return t;
}

// ---------------------------------------------------------------- receiving

void DEV_TERM::term_set_line_end(const char *text)
{
    line_end.clear();
    for (const char *p = text ? text : ""; *p && line_end.size() < DEV_LINEEND_MAX; p++) {
        if (*p != '\\' || !p[1]) {
            line_end += *p;
            continue;
        }
        char c = *++p;
        if (c == 'n') line_end += '\n';
        else if (c == 'r') line_end += '\r';
        else if (c == 't') line_end += '\t';
        else if (c == 'x' && isxdigit((unsigned char)p[1])) {
            int v = 0, k = 0;
            for (; k < 2 && isxdigit((unsigned char)p[1]); k++, p++) v = v * 16 + (isdigit((unsigned char)p[1]) ? p[1] - '0' : (p[1] | 0x20) - 'a' + 10);
            line_end += char(v);
        } else line_end += c;
    }
}

void DEV_TERM::term_reset()
{
    recv.clear();
    cmd_mode = false;
    break_pending = false;
}

std::string DEV_TERM::term_shown(unsigned char b)
{
    if (b == 0 || b == '\r' || b == '\n') return "";
    if ((b >= 1 && b <= 7) || (b >= 11 && b <= 31)) return std::string{'^', char(b + 64)};
    return std::string(1, char(b));
}

void DEV_TERM::show_byte(unsigned char b)
{
    if (b == '\r' || b == '\n') {
        break_pending = true;
        return;
    }
    std::string s = term_shown(b);
    if (s.empty()) return;
    if (break_pending) screen.put("\r\n", 2), break_pending = false;
    screen.put(s);
}

void DEV_TERM::term_receive(const char *bytes, size_t n)
{
    for (size_t k = 0; k < n; k++) {
        auto b = (unsigned char)bytes[k];
        show_byte(b);
        if (recv.size() >= DEV_RECV_MAX) recv.erase(0, recv.size() - DEV_RECV_MAX + 1);
        recv += char(b);
        bool line = !line_end.empty() && recv.size() >= line_end.size() &&
                    recv.compare(recv.size() - line_end.size(), line_end.size(), line_end) == 0;
        if (line && !cmd_mode) wp_request_recalc();
    }
    wp_show();
}

std::string DEV_TERM::term_take_line()
{
    while (!line_end.empty()) {
        size_t at = recv.find(line_end);
        if (at == std::string::npos) break;
        std::string line = recv.substr(0, at + line_end.size());
        recv.erase(0, at + line_end.size());
        line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
        if (!line.empty()) return line;
    }
    return "";
}

void DEV_TERM::term_result()
{
    if (cmd_mode) wp_value.val_clear();
    else wp_value.val_puts(term_take_line().c_str());
}

void DEV_TERM::term_print(const char *text)
{
    screen.put(text, strlen(text));
    wp_show();
}

void DEV_TERM::term_printf(const char *fmt, ...)
{
    char buf[1400];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    term_print(buf);
}

void DEV_TERM::term_fit()
{
    int w = 0, h = 0;
    wp_client(w, h);
    int fh = std::max(1, screen.font);
    screen.resize(std::max(1, w / std::max(1, fh / 2)), std::max(1, h / fh));
}

// ---------------------------------------------------------------- sending

void DEV_TERM::beep()
{
    if (wp_scr) wp_scr->scr_host().host_beep();
}

int DEV_TERM::term_key(const char *bytes, size_t n)
{
    if (!term_focus()) return -1;
    for (size_t k = 0; k < n; k++)
        if (term_send_byte((unsigned char)bytes[k]) != 0) return -1;
    return 0;
}

int DEV_TERM::term_send_file(const char *path)
{
    FILE *f = path ? fopen(path, "rb") : nullptr;
    if (!f) {
        term_print("送信失敗\n");
        beep();
        return -1;
    }
    char buf[DEV_FILE_MAX];
    size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    if (n >= DEV_FILE_MAX) {
        term_printf("送信バッファ超過 (max %d)\n", DEV_FILE_MAX);
        beep();
        return -1;
    }
    for (size_t k = 0; k < n; k++) {
        if (term_send_byte((unsigned char)buf[k]) == 0) continue;
        term_print("送信失敗\n");
        beep();
        return -1;
    }
    return 0;
}

// ---------------------------------------------------------------- commands

static bool is_cmd(const char *cmd, int n, const char *name, int argc) { return n == argc && strcmp(cmd, name) == 0; }

// A colour argument: a colour name, or a number (negative: none).
static int color_arg(const VAL_U *v)
{
    if (v->val_kind == VAL_NUM) return v->val_num < 0 ? -1 : int(int64_t(v->val_num) & 0xFFFFFF);
    return wp_color(v->val_gets());
}

static int int_arg(const VAL_U *v)
{
    double d = v->val_kind == VAL_NUM ? v->val_num : atof(v->val_gets());
    return d != d ? 0 : int(std::clamp(d, -1e9, 1e9));
}

// The terminal's own drawing commands act on the screen model; the rest go to the view.
int DEV_TERM::term_draw_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "TTEXTC", 1) || is_cmd(cmd, n, "TBACKC", 1)) {
        int c = color_arg(a[0]);
        if (c >= 0) (cmd[1] == 'T' ? screen.fg : screen.bg) = c;
    } else if (is_cmd(cmd, n, "TCLEAR", 0)) screen.clear();
    else if (is_cmd(cmd, n, "TFONT", 1)) {
        int s = std::clamp(int_arg(a[0]), 0, 256);
        screen.font = s > 0 ? s : 14;
        term_fit();
    } else if (is_cmd(cmd, n, "TGOTO", 2)) screen.go(int_arg(a[0]), int_arg(a[1]));
    else if (is_cmd(cmd, n, "TPUTS", 1)) screen.put(a[0]->val_kind == VAL_NUM ? std::to_string(int_arg(a[0])) : a[0]->val_gets());
    else if (is_cmd(cmd, n, "TCLREOL", 0)) screen.clear_eol();
    else return -1;
    wp_value.val_putd(0);
    wp_show();
    return 0;
}

int DEV_TERM::wp_command(const char *cmd, VAL_U *const *a, int n)
{
    if (is_cmd(cmd, n, "RECVS", 0)) {
        cmd_mode = true;
        wp_value.val_puts(term_take_line().c_str());
    } else if (is_cmd(cmd, n, "RECVB", 0)) {
        cmd_mode = true;
        if (recv.empty()) wp_value.val_putd(-1);
        else wp_value.val_putd((unsigned char)recv[0]), recv.erase(0, 1);
    } else if (is_cmd(cmd, n, "SENDS", 1)) {
        std::string t = a[0]->val_kind == VAL_NUM ? std::to_string(int_arg(a[0])) : a[0]->val_gets();
        size_t k = 0;
        while (k < t.size() && term_send_byte((unsigned char)t[k]) == 0) k++;
        wp_value.val_putd(double(k));
    } else if (is_cmd(cmd, n, "SENDB", 1)) {
        wp_value.val_putd(term_send_byte((unsigned char)(int64_t(a[0]->val_getd()) & 0xFF)) == 0 ? 1 : 0);
    } else if (term_draw_command(cmd, a, n) != 0) return WP_PART::wp_command(cmd, a, n);
    return 0;
}
