#include "print/prscript.h"
#include "base/kovtext.h"
#include "print/prlayout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// Twin: the fields of PRN_TSET (same order).
const kov::PROF_KEY prn_tkeys[8] = {
    {"tpr", "TABWID", 8, 1, 10},     {"tpr", "LEFTMGN", 8, 0, 20},      {"tpr", "RIGHTMGN", 8, 0, 20},
    {"tpr", "UPMGN", 2, 0, 10},      {"tpr", "DOWNMGN", 2, 0, 10},      {"tpr", "LINESPC", 150, 100, 1000},
    {"tpr", "LNUMSPC", 2, 0, 10},    {"tpr", "MINCOL", 80, 10, 1000},
};

PRN_TSET prn_read_tset(kov::PROF_U &prof)
{
    prof.prof_fill(prn_tkeys, 8);
    int v[8];
    for (int i = 0; i < 8; i++) {
        const kov::PROF_KEY &k = prn_tkeys[i];
        v[i] = prof.prof_read_int(k.sec, k.key, k.def, k.min, k.max);
    }
    return PRN_TSET{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
}

std::vector<PRN_TROW> prn_script_rows(const std::string &text, int width, int tab)
{
    std::vector<PRN_TROW> rows;
    width = std::max(width, 2);
    tab = std::max(tab, 1);
    long line = 1;
    PRN_TROW row{line, ""};
    int col = 0;
    for (const char *p = text.c_str(); *p;) {
        if (*p == '\n') {
            rows.push_back(row);
            row = PRN_TROW{++line, ""};
            col = 0;
            p++;
            continue;
        }
        size_t n = kov::sj_step(p);
        int w = *p == '\t' ? tab - col % tab : int(n);
        if (col + std::min(w, width) > width) {   // wrapped: a TAB ends its row
            rows.push_back(row);
            row = PRN_TROW{0, ""};
            col = 0;
            if (*p == '\t') {
                p++;
                continue;
            }
        }
        if (*p == '\t') row.text.append(size_t(w), ' ');
        else row.text.append(p, n);
        col += w;
        p += n;
    }
    rows.push_back(row);
    return rows;
}

namespace {

int digits(long n)
{
    int d = 1;
    while (n >= 10) n /= 10, d++;
    return d;
}

} // namespace

int prn_script(PRN_PRINTER &p, const char *title, const std::string &text, const PRN_TSET &set, std::string &msg)
{
    msg.clear();
    PRN_PAGE page;
    int copies = 1;
    if (p.prn_begin(title, page, copies) != 0) return -1;
    long lines = 1 + long(std::count(text.begin(), text.end(), '\n'));
    int numw = digits(lines) + set.lnumspc;   // the line number and its blanks lead each row
    PRN_SET fit;
    fit.linespc = set.linespc, fit.leftmgn = set.leftmgn, fit.rightmgn = set.rightmgn;
    fit.upmgn = set.upmgn, fit.downmgn = set.downmgn, fit.mincol = set.mincol + numw;
    PRN_LAYOUT lay;
    if (prn_fit(p, page, fit, false, lay, msg) != 0) return p.prn_abort(), -1;
    std::vector<PRN_TROW> rows = prn_script_rows(text, lay.xn - numw, set.tabwid);
    size_t per = size_t(std::max(1, lay.yn));
    bool first = true;
    for (int copy = 0; copy < std::max(1, copies); copy++)
        for (size_t top = 0; top < rows.size(); top += per) {
            if (!first && p.prn_new_page() != 0) return p.prn_abort(), -1;
            first = false;
            for (size_t i = top; i < rows.size() && i < top + per; i++) {
                char num[32] = "";
                if (rows[i].line) snprintf(num, sizeof num, "%*ld", numw - set.lnumspc, rows[i].line);
                std::string s = std::string(num).append(size_t(numw) - strlen(num), ' ') + rows[i].text;
                p.prn_text(lay.left, lay.top + int(i - top) * lay.pitch, lay.fsizy, s.c_str(), 0);
            }
        }
    return p.prn_end() == 0 ? 0 : -1;
}
