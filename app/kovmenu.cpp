// The command handler: every menu item, toolbar button and context-menu entry arrives here as a
// number, with the selection in kov_sel. The window handles only what needs its own widgets
// (file dialogs, the script and help windows, new instances) and passes the rest on.
#include "app/kov.h"
#include "sheet/cellref.h"
#include "sheet/csvfile.h"
#include "base/kovlog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Commands that change the sheet: refused while the screen is locked.
bool changes_sheet(int id)
{
    const KOV_CMD *c = kov_cmd(id);
    return c && (c->flags & KCF_SHEET);
}

const int widths[] = {10, 2, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40};
const int win_sizes[][2] = {{648, 432},  {864, 576},  {1080, 720}, {1296, 864}, {1512, 1008}, {1728, 1152},
                            {768, 432},  {1024, 576}, {1280, 720}, {1536, 864}, {1792, 1008}, {2048, 1152}};
// Colour codes of the TEXT and BACK commands, in command order.
const int color_codes[] = {0, 1, 2, 11, 4, 5, 6, 7, 8, 9, 10};
const int hex_formats[] = {31, 32, 34, 36, 38, 40, 42};
const char *const totals1[] = {"SUM", "AVERAGE", "HARMEAN", "GEOMEAN", "MAX", "MIN", "VARP", "VAR", "STDEVP", "STDEV"};
const char *const regress[] = {"SLOPE", "INTERCEPT", "RSQ", "STEYX"};

} // namespace

bool KOV_U::kov_confirm(const char *text) { return kov_hostp->host_msgbox(text, "", KOV_MB_OKCANCEL) == KOV_IDOK; }

void KOV_U::kov_cursor(int x, int y)
{
    kov_cursor_to(x, y);
    kov_hostp->host_show_cursor();
}

void KOV_U::kov_cursor_to(int x, int y)
{
    kov_select_to(x, y);
    kov_sel.x1 = csv_curx, kov_sel.y1 = csv_cury;
}

void KOV_U::kov_select_to(int x, int y)
{
    csv_curx = std::clamp(x, 0, std::max(0, csv_get_xs() - 1));
    csv_cury = std::clamp(y, 0, std::max(0, csv_get_ys() - 1));
    kov_sel.x2 = csv_curx, kov_sel.y2 = csv_cury;
}

void KOV_U::kov_select(const KOV_RECT &sel, int x, int y)
{
    kov_sel = sel;
    csv_curx = x, csv_cury = y;
}

bool KOV_U::kov_in_sel(int x, int y) const
{
    return x >= std::min(kov_sel.x1, kov_sel.x2) && x <= std::max(kov_sel.x1, kov_sel.x2) &&
           y >= std::min(kov_sel.y1, kov_sel.y2) && y <= std::max(kov_sel.y1, kov_sel.y2);
}

// ---- the sheet giving way to another ----

bool KOV_U::kov_unsaved()
{
    long stamp = kov_hostp->host_ed_stamp();
    return csv_get_modify() || (stamp >= 0 && stamp != kov_ed_saved);
}

int KOV_U::kov_drop_ok()
{
    if (!kov_unsaved()) return 0;
    int a = kov_hostp->host_msgbox("非保存データを保存しますか", "", KOV_MB_YESNOCANCEL);
    if (a == KOV_IDNO) return 0;
    if (a != KOV_IDYES) return -1;   // Cancel, or the box closed
    return cse_fsave(csv_get_fname()) == 0 ? 0 : -1;
}

int KOV_U::kov_open(const char *name)
{
    if (scr_tstat != TST_STOP || kov_drop_ok() != 0) return -1;
    return cse_fload(name);
}

// Attribute commands (KVM_INPUT_AUTO .. KVM_ATTR_CLEAR) on the selection.
int KOV_U::kov_attr_cmd(int id, const KOV_RECT &r)
{
    auto each = [&](int field, int v) {
        for (int y = r.y1; y <= r.y2; y++)
            for (int x = r.x1; x <= r.x2; x++) csv_set_attr(x, y, field, v);
    };
    if (id <= KVM_INPUT_NONE) return each(CSV_A_INPUT, id - KVM_INPUT_AUTO), 0;
    if (id == KVM_FMT_G || id == KVM_FMT_E) return each(CSV_A_FMT, id == KVM_FMT_G ? 0 : 5), 0;
    if (id <= KVM_FMT_F15) return each(CSV_A_FMT, id - KVM_FMT_F0 + 10), 0;
    if (id <= KVM_FMT_X12) return each(CSV_A_FMT, hex_formats[id - KVM_FMT_X1]), 0;
    if (id <= KVM_TEXT_YELLOW) return each(CSV_A_TEXT, color_codes[id - KVM_TEXT_DEFAULT]), 0;
    if (id <= KVM_BACK_YELLOW) return each(CSV_A_BACK, color_codes[id - KVM_BACK_DEFAULT]), 0;
    if (id == KVM_ATTR_CLEAR) return each(0, 0), 0;
    // Lines: a cell's bottom line is the top line of the cell below, its right line the left
    // line of the cell to its right.
    auto top = [&](int x, int y, int v) { csv_set_attr(x, y, CSV_A_TOP, v); };
    auto left = [&](int x, int y, int v) { csv_set_attr(x, y, CSV_A_LEFT, v); };
    int on = id == KVM_LINE_NONE ? 0 : 1;
    for (int y = r.y1; y <= r.y2 + 1; y++)
        for (int x = r.x1; x <= r.x2 + 1; x++) {
            bool inx = x <= r.x2, iny = y <= r.y2;
            if (id == KVM_LINE_BOX) {   // the outer border only
                if (inx && (y == r.y1 || y == r.y2 + 1)) top(x, y, 1);
                if (iny && (x == r.x1 || x == r.x2 + 1)) left(x, y, 1);
                continue;
            }
            if (inx && (id == KVM_LINE_ARRAY || id == KVM_LINE_HLINE || id == KVM_LINE_NONE)) top(x, y, on);
            if (iny && (id == KVM_LINE_ARRAY || id == KVM_LINE_VLINE || id == KVM_LINE_NONE)) left(x, y, on);
        }
    return 0;
}

// Totals below (139..153) or right of (154..168) the selection, and MEQUATION (169).
int KOV_U::kov_total_cmd(int id, const KOV_RECT &r)
{
    bool below = id <= KVM_DOWN_MEDIAN;
    int k = below ? id - KVM_DOWN_SUM : id - KVM_RIGHT_SUM;
    if (id == KVM_MEQUATION) {
        int n = r.y2 - r.y1 + 1;
        if (r.x2 - r.x1 + 1 != n + 1) return KOV_ATT("n 行 n+1 列が必要"), -1;
        if (r.x2 + 1 >= csv_get_xs()) return KOV_ATT("集計セルが格納できません"), -1;
        char a[64], b[64], f[160];
        csv_print_range(a, r.x1, r.y1, r.x2 - 1, r.y2);
        csv_print_range(b, r.x2, r.y1, r.x2, r.y2);
        snprintf(f, sizeof f, "MEQUATION(%s,%s)", a, b);
        csv_clr_cel(r.x2 + 1, r.y1, CSV_P_VAL);
        csv_put_form(r.x2 + 1, r.y1, f);
        return csv_form_calc(nullptr), 0;
    }
    if (below ? r.y2 + 1 >= csv_get_ys() : r.x2 + 1 >= csv_get_xs()) return KOV_ATT("集計セルが格納できません"), -1;
    int lines = below ? r.x2 - r.x1 + 1 : r.y2 - r.y1 + 1;
    for (int i = 0; i < lines; i++) {
        char mine[64], first[64], f[200];
        if (below) csv_print_range(mine, r.x1 + i, r.y1, r.x1 + i, r.y2), csv_print_range(first, r.x1, r.y1, r.x1, r.y2);
        else csv_print_range(mine, r.x1, r.y1 + i, r.x2, r.y1 + i), csv_print_range(first, r.x1, r.y1, r.x2, r.y1);
        const char *one = k < 10 ? totals1[k] : k == 13 ? "COUNT" : k == 14 ? "MEDIAN" : nullptr;
        int nf = k == 11 ? 4 : 1;
        for (int j = 0; j < nf; j++) {
            int x = below ? r.x1 + i : r.x2 + 1 + j, y = below ? r.y2 + 1 + j : r.y1 + i;
            if (below ? y >= csv_get_ys() : x >= csv_get_xs()) {
                KOV_LOG(below ? "行位置超過" : "列位置超過");
                break;
            }
            if (one) snprintf(f, sizeof f, "%s(%s)", one, mine);
            else snprintf(f, sizeof f, "%s(%s,%s)", k == 10 ? "COVAR" : k == 12 ? "CORREL" : regress[j], mine, first);
            csv_clr_cel(x, y, CSV_P_VAL);
            csv_put_form(x, y, f);
        }
    }
    csv_form_calc(nullptr);
    return 0;
}

// Random and serial fills 269..283, from the selection's last cell backwards.
int KOV_U::kov_fill_cmd(int id, const KOV_RECT &r)
{
    long serial = (long)(r.x2 - r.x1 + 1) * (r.y2 - r.y1 + 1) - (id == KVM_SERIAL_0 ? 1 : 0);
    for (int y = r.y2; y >= r.y1; y--)
        for (int x = r.x2; x >= r.x1; x--) {
            double v = 0;
            switch (id) {
            case KVM_RAND_10: case KVM_RAND_100: case KVM_RAND_1000: case KVM_RAND_10000: {
                static const int m[] = {10, 100, 1000, 10000};
                v = rand() % m[id - KVM_RAND_10];
                break;
            }
            case KVM_RAND_FF: v = rand() & 0xFF; break;
            case KVM_RAND_FFFF: v = (rand() << 8 | (rand() & 0xFF)) & 0xFFFF; break;
            case KVM_RAND_FFFFFF: v = (rand() & 0xFF) << 16 | (rand() & 0xFF) << 8 | (rand() & 0xFF); break;
            case KVM_RAND_PM9: case KVM_RAND_PM99: case KVM_RAND_PM999: case KVM_RAND_PM9999: {
                static const int m[] = {19, 199, 1999, 19999}, d[] = {9, 99, 999, 9999};
                v = rand() % m[id - KVM_RAND_PM9] - d[id - KVM_RAND_PM9];
                break;
            }
            case KVM_RAND_FRAC:
                for (int k = 0; k < 4; k++) v = (v + rand() % 32767) * (1.0 / 32768);
                break;
            case KVM_RAND_WORD: {
                char t[9];
                for (int k = 0; k < 8; k++) t[k] = char((k ? 'a' : 'A') + rand() % 26);
                t[1 + rand() % 8] = 0;
                csv_put_str(x, y, t, 0, CSV_P_VAL | CSV_P_FORM);
                continue;
            }
            default: v = double(serial--); break;
            }
            csv_put_num(x, y, v, 0, CSV_P_VAL | CSV_P_FORM);
        }
    csv_form_calc(nullptr);
    return 0;
}

// A text found after the cursor (forward) or before it, in a cell's display text or formula.
int KOV_U::kov_find_cmd(int dir)
{
    if (kov_find.empty()) return -1;
    long xs = csv_get_xs(), n = xs * csv_get_ys(), at = (long)csv_cury * xs + csv_curx;
    char b[4097];
    for (long k = 1; k < n; k++) {
        long i = (at + dir * k % n + n) % n;
        int x = int(i % xs), y = int(i / xs);
        CSV_ROW *row = csv_get_row(y);
        if (!row || x >= row->cnt) {   // empty rest of a row: to its end (or start) at once
            if (dir > 0) k += xs - 1 - x;
            else k += x;
            continue;
        }
        const char *f = csv_get_form(x, y);
        csv_dsp_text(x, y, 0, sizeof b, b);
        if (strstr(b, kov_find.c_str()) || (f && strstr(f, kov_find.c_str()))) {
            kov_cursor(x, y);
            return 0;
        }
    }
    kov_hostp->host_status("見つかりません");
    return -1;
}

int KOV_U::wm_menu(int id)
{
    KOV_RECT r = kov_sel;
    if (r.x1 > r.x2) std::swap(r.x1, r.x2);
    if (r.y1 > r.y2) std::swap(r.y1, r.y2);
    int rc = 0;
    if (changes_sheet(id) && csv_scrlock) {
        kov_hostp->host_status("スクリーン・ロック状態です");
        kov_hostp->host_beep();
        return -1;
    }
    CSV_WINST ws;
    csv_winst_clear(ws);
    CSVFILE_U file(*this);
    std::string answer;
    switch (id) {
    case KVM_DEL_ALL:
        if (kov_confirm("全データと属性を消去します")) cse_del_allcel();
        break;
    case KVM_CLR_ALL_DATA:
        if (kov_confirm("全データを消去します"))
            for (int y = 0; y < csv_get_ys(); y++)
                for (int x = 0; csv_get_row(y) && x < csv_get_row(y)->cnt; x++) csv_clr_cel(x, y, CSV_P_VAL | CSV_P_FORM);
        break;
    case KVM_CLR_ALL_ATTR:
        if (kov_confirm("全属性を消去します"))
            for (int y = 0; y < csv_get_ys(); y++)
                for (int x = 0; csv_get_row(y) && x < csv_get_row(y)->cnt; x++) csv_set_attr(x, y, 0, 0);
        break;
    case KVM_RESIZE: {
        int xs, ys;
        char q[64];
        if (kov_hostp->host_ask("列数 行数:", answer) != 0) break;
        if (sscanf(answer.c_str(), "%d %d", &xs, &ys) != 2) return kov_hostp->host_status("列数 行数を指定"), -1;
        snprintf(q, sizeof q, "%d 列 %d 行に変更します", xs, ys);
        if (kov_confirm(q) && (rc = csv_resize(xs, ys)) < 0) KOV_ATT("リサイズ失敗");
        break;
    }
    case KVM_PRINT_ALL:
    case KVM_PRINT_SEL: return kov_print_cmd(id, r);
    case KVM_TOOLBAR: case KVM_ROWNAME: case KVM_COLNAME: case KVM_HSCROLL: case KVM_VSCROLL: case KVM_STATBAR: {
        static const int slot[] = {CSV_WS_TOOLBAR, CSV_WS_ROWNAME, CSV_WS_COLNAME, CSV_WS_HSCROLL, CSV_WS_VSCROLL, CSV_WS_STATBAR};
        static const int set[] = {SET_TOOLBAR, SET_ROWNAME, SET_COLNAME, SET_HSCROLL, SET_VSCROLL, SET_STATBAR};
        CSV_WINST now;
        kov_hostp->host_win_get(now);
        ws.v[slot[id - KVM_TOOLBAR]] = now.v[slot[id - KVM_TOOLBAR]] == 0 ? 1 : 0;
        kov_hostp->host_win_put(ws);
        kov_put_set(set[id - KVM_TOOLBAR], ws.v[slot[id - KVM_TOOLBAR]]);
        break;
    }
    case KVM_FONT_LARGE: case KVM_FONT_MEDIUM: case KVM_FONT_SMALL:
        ws.v[CSV_WS_FONTSIZ] = id == KVM_FONT_LARGE ? 24 : id == KVM_FONT_MEDIUM ? 16 : 12;
        kov_hostp->host_win_put(ws);
        kov_put_set(SET_FONTSIZE, ws.v[CSV_WS_FONTSIZ]);
        break;
    case KVM_CNROW: csv_cnrow = csv_cnrow >= 0 ? -1 : csv_cury; kov_hostp->host_redraw_head(); break;
    case KVM_RNCOL: csv_rncol = csv_rncol >= 0 ? -1 : csv_curx; kov_hostp->host_redraw_head(); break;
    case KVM_FIND_FWD: case KVM_FIND_BACK:
        if (kov_hostp->host_ask(id == KVM_FIND_FWD ? "前方検索:" : "後方検索:", answer) != 0) break;
        kov_find = answer;
        rc = kov_find_cmd(id == KVM_FIND_FWD ? 1 : -1);
        break;
    case KVM_FIND_NEXT: case KVM_FIND_PREV: rc = kov_find_cmd(id == KVM_FIND_NEXT ? 1 : -1); break;
    case KVM_DIAMOND: kov_hostp->host_diamond(!kov_hostp->host_get_diamond()); kov_put_set(SET_DIAMOND, kov_hostp->host_get_diamond()); break;
    case KVM_GO_FIRST: kov_cursor(0, 0); break;
    case KVM_GO_USED: kov_cursor(csv_used_xs(CSV_P_VAL | CSV_P_FORM) - 1, csv_used_ys(CSV_P_VAL | CSV_P_FORM) - 1); break;
    case KVM_GO_LAST: kov_cursor(csv_get_xs() - 1, csv_get_ys() - 1); break;
    case KVM_GO_ROW: case KVM_GO_COL:
        if (kov_hostp->host_ask(id == KVM_GO_ROW ? "行位置:" : "列位置:", answer) != 0) break;
        if (id == KVM_GO_ROW) kov_cursor(csv_curx, atoi(answer.c_str()));
        else kov_cursor(atoi(answer.c_str()), csv_cury);
        break;
    case KVM_MARK1: case KVM_MARK2: case KVM_MARK3: case KVM_MARK4: kov_mark[id - KVM_MARK1][0] = csv_curx, kov_mark[id - KVM_MARK1][1] = csv_cury; break;
    case KVM_JUMP1: case KVM_JUMP2: case KVM_JUMP3: case KVM_JUMP4: kov_cursor(kov_mark[id - KVM_JUMP1][0], kov_mark[id - KVM_JUMP1][1]); break;
    case KVM_SCRLOCK: cse_set_scrlock(!csv_scrlock); kov_put_set(SET_WIDEFIX, csv_scrlock); break;
    case KVM_WPBEEP: csv_wpbeep = !csv_wpbeep; kov_put_set(SET_WPBEEP, csv_wpbeep); break;
    case KVM_AUTOWIDE: csv_set_autowide(2); break;
    case KVM_CALC_SEL: rc = csv_form_calc(&r); break;
    case KVM_DEL_ROWS:
        if (!kov_confirm("選択した行領域を削除")) break;
        if ((rc = csv_del_rows(r.y1, r.y2 - r.y1 + 1)) < 0) KOV_ATT("行削除失敗");
        else if (csv_cnrow >= r.y1) csv_cnrow = csv_cnrow <= r.y2 ? -1 : csv_cnrow - (r.y2 - r.y1 + 1);
        break;
    case KVM_DEL_COLS:
        if (!kov_confirm("選択した列領域を削除")) break;
        if ((rc = csv_del_cols(r.x1, r.x2 - r.x1 + 1)) < 0) KOV_ATT("列削除失敗");
        else if (csv_rncol >= r.x1) csv_rncol = csv_rncol <= r.x2 ? -1 : csv_rncol - (r.x2 - r.x1 + 1);
        break;
    case KVM_REEDIT: kov_hostp->host_status(""); break;   // the window opens the editor
    case KVM_INS_ROWS: case KVM_INS_COLS: {
        bool rows = id == KVM_INS_ROWS;
        int n = rows ? r.y2 - r.y1 + 1 : r.x2 - r.x1 + 1;
        int used = rows ? csv_used_ys(CSV_P_ALL) : csv_used_xs(CSV_P_ALL), size = rows ? csv_get_ys() : csv_get_xs();
        if (used + n > size) {
            int a = kov_hostp->host_msgbox(rows ? "行数を増やしますか" : "列数を増やしますか", "", KOV_MB_YESNOCANCEL);
            if (a == KOV_IDCANCEL) break;
            if (a == KOV_IDYES && csv_resize(rows ? csv_get_xs() : used + n, rows ? used + n : csv_get_ys()) < 0) {
                KOV_ATT("%d リサイズ失敗", used + n);
                return -1;
            }
        }
        rc = rows ? csv_ins_rows(r.y1, n) : csv_ins_cols(r.x1, n);
        if (rc < 0) KOV_ATT(rows ? "行挿入失敗" : "列挿入失敗");
        else if (rows && csv_cnrow >= r.y1) csv_cnrow = csv_cnrow + n < csv_get_ys() ? csv_cnrow + n : -1;
        else if (!rows && csv_rncol >= r.x1) csv_rncol = csv_rncol + n < csv_get_xs() ? csv_rncol + n : -1;
        break;
    }
    case KVM_REF_ABS: case KVM_REF_REL:
        if ((rc = csv_cnv_region(&r, id == KVM_REF_ABS ? 0 : 1)) < 0) KOV_ATT("セル名変換失敗");
        break;
    case KVM_COPY_ALL_BIN: case KVM_COPY_ALL_TEXT: {
        KOV_RECT all = {0, 0, csv_get_xs() - 1, csv_get_ys() - 1};
        if ((rc = file.csv_clip_copy(&all, id == KVM_COPY_ALL_BIN ? "$$b" : "$$t")) < 0) KOV_ATT("全体コピー失敗");
        break;
    }
    case KVM_PASTE_ALL: {
        if (!kov_confirm("全体にペーストします")) break;
        KOV_RECT at = {0, 0, 0, 0};
        if ((rc = file.csv_clip_paste(&at, 0)) < 0) KOV_ATT("全体ペースト失敗");
        csv_form_calc(nullptr);
        break;
    }
    case KVM_COPY_NAME: {
        char b[64];
        csv_print_range(b, r.x1, r.y1, r.x2, r.y2);
        if ((rc = kov_hostp->host_clip_put(b)) < 0) KOV_ATT("コピー失敗");
        break;
    }
    case KVM_COPY_BIN: case KVM_COPY_TEXT:
        if ((rc = file.csv_clip_copy(&r, id == KVM_COPY_BIN ? "$$b" : "$$t")) < 0) KOV_ATT("コピー失敗");
        break;
    case KVM_PASTE:
        if ((rc = file.csv_clip_paste(&r, 0)) < 0) KOV_ATT("ペースト失敗");
        csv_form_calc(nullptr);
        break;
    case KVM_MOVE:
        if ((rc = file.csv_clip_move(&r)) < 0) KOV_ATT("移動失敗");
        csv_form_calc(nullptr);
        break;
    case KVM_CLR_DATA: case KVM_CLR_ATTR: case KVM_CLR_CELLS: {
        static const char *const q[] = {"選択領域のデータを消去", "選択領域の属性を消去", "選択領域のデータ及び属性を消去"};
        if (!kov_confirm(q[id - KVM_CLR_DATA])) break;
        for (int y = r.y1; y <= r.y2; y++)
            for (int x = r.x1; x <= r.x2; x++) {
                if (id != KVM_CLR_ATTR) csv_clr_cel(x, y, CSV_P_VAL | CSV_P_FORM);
                if (id != KVM_CLR_DATA) csv_set_attr(x, y, 0, 0);
            }
        if (id != KVM_CLR_ATTR) csv_form_calc(nullptr);
        break;
    }
    case KVM_SORT_UP: case KVM_SORT_DOWN:
        if (r.x1 != r.x2) {
            KOV_ATT("横領域はソートキー 1 列を指定して下さい");
            return -1;
        }
        if ((rc = csv_sort_rows(id - KVM_SORT_UP, r.x1, r.y1, r.y2 - r.y1 + 1)) < 0) KOV_ATT("ソート失敗");
        csv_form_calc(nullptr);
        break;
    case KVM_ROT_UP: case KVM_ROT_DOWN:
        if ((rc = csv_rot_rows(id - KVM_ROT_UP, r.y1, r.y2 - r.y1 + 1)) < 0) KOV_ATT("スクロール失敗");
        csv_form_calc(nullptr);
        break;
    default:
        if (id >= KVM_SIZE_648x432 && id <= KVM_SIZE_2048x1152) {
            ws.v[CSV_WS_FULLSIZ] = 0;
            kov_hostp->host_win_put(ws);
            ws.v[CSV_WS_DSPSIZX] = win_sizes[id - KVM_SIZE_648x432][0], ws.v[CSV_WS_DSPSIZY] = win_sizes[id - KVM_SIZE_648x432][1];
            kov_hostp->host_win_put(ws);
            kov_put_set(SET_DSPSIZX, ws.v[CSV_WS_DSPSIZX]);
            kov_put_set(SET_DSPSIZY, ws.v[CSV_WS_DSPSIZY]);
        } else if (id >= KVM_WIDE_ALL_10 && id <= KVM_WIDE_SEL_40) {
            int w = widths[(id - KVM_WIDE_ALL_10) % 12];
            bool all = id <= KVM_WIDE_ALL_40;
            int x1 = all ? 0 : r.x1, x2 = all ? csv_get_xs() - 1 : r.x2;
            for (int x = x1; x <= x2; x++) csv_set_wide(x, w);
            if (all) csv_defwide = int16_t(w);
        } else if (id >= KVM_INPUT_AUTO && id <= KVM_ATTR_CLEAR) {
            rc = kov_attr_cmd(id, r);
        } else if (id >= KVM_DOWN_SUM && id <= KVM_MEQUATION) {
            rc = kov_total_cmd(id, r);
        } else if (id >= KVM_RAND_10 && id <= KVM_SERIAL_1) {
            rc = kov_fill_cmd(id, r);
        } else {
            rc = kov_run_cmd(id);
        }
        break;
    }
    kov_hostp->host_redraw(nullptr);
    if (kov_memory_low()) KOV_ATT("メモリ不足。続行は危険");
    return rc;
}
