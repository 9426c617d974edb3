// Cell formulas: one expression read with a current cell, where cell names are operands.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "script/scr.h"
#include "script/scrcache.h"
#include "sheet/csv.h"
#include "base/kovlog.h"
#include "base/kovtext.h"

int SCR_U::scr_calc_onecel(int x, int y, const char *form, VAL_U *result)
{
    if (!form) {
        scr_set_SCRERR("form == NULL");
        return -1;
    }
    if (scr_fatal) {
        KOV_ATT("%sデータ保存後, 即終了してください", "危険です！");
        return -1;
    }
    SCR_CTX keep = ctx;
    int keep_depth = func_depth;
    ctx.st_noexect = result ? 0 : 1;
    ctx.goto_label[0] = 0;
    ctx.cel_x = x;
    ctx.cel_y = y;
    if (err_nowscr[0] || err_prescr[0]) scr_set_SCRERR(nullptr);   // every cell asks: usually nothing to do
    if (err_nowfnc[0] || err_prefnc[0]) scr_set_FNCERR(nullptr);
    ctx.scr_pass = 2;
    func_depth = 0;
    OUTER outer(*this);
    SCR_SET<FRAME *> noframe(scr_frame, nullptr);   // names of a formula are looked up
    KOV_LOG("セル式評価:%s", form);
    int r = -1;
    try {
        r = scr_trapped([&]() {
            const char *p = form;
            VAL_U t;
            if ((result ? scr_form_exp(p, t) : scr_exp(p, t)) != 0) return scr_set_SCRERR("式評価失敗"), -1;
            if (scr_skip_space(p) != 0) return scr_set_SCRERR("無効な文字 %s がある", p), -1;
            if (result) result->val_copy(t);
            return 0;
        });
    } catch (E_EXIT e) {
        KOV_LOG("catch(E_EXIT %d)", (int)e);
    } catch (E_GOTO) {
        err_label(scr_goto_to);
    } catch (E_SIGNAL) {
        scr_set_SCRERR("catch(E_SIGNAL)");
        scr_fatal = 1;
    } catch (const std::bad_alloc &) {
        scr_err_nomem();
    }
    ctx = keep;
    vt_bump();
    func_depth = keep_depth;
    return r;
}

// The formula at pos as scr_exp reads it, through its parsed root when it has one.
int SCR_U::scr_form_exp(const char *&pos, VAL_U &val)
{
    if (!scr_tree_mode || kov::log_get_debug()) return scr_exp(pos, val);
    if (!scr_xc) scr_xc = new (std::nothrow) SCR_XC(*this);
    const char *text = nullptr;
    int root = scr_xc ? scr_xc->form_root(pos, text) : 0;
    if (!root) return scr_exp(pos, val);
    const char *q = text;
    {
        DEEP deep(*this);
        if (!deep.ok) return -1;
        int e = scr_xc->run_root(root, q, val);
        if (e == 1) {
            q = pos;   // near the limits: the reader reads the formula's own text
            e = scr_assignment_read(q, val);
        } else {
            q = pos + (q - text);
        }
        if (e != 0) return -1;
    }
    if (scr_exp_rest(q, val) != 0) return -1;
    pos = q;
    return 0;
}

int SCR_U::scr_check_form(int x, int y, const char *form, char *err, int size)
{
    std::string e;
    if (!form || !*form) {
        e = "セル式がない";
    } else if (scr_prepare(PREP_FORM_BEGIN) != 0) {
        KOV_LOG("scr_prepare(PREP_FORM_BEGIN) 失敗");
        e = "セル式評価準備失敗";
    } else {
        if (scr_calc_onecel(x, y, form, nullptr) != 0) {
            e = scr_get_nowerr();
            if (e.empty()) {
                KOV_LOG("scr_calc_onecel() 失敗");
                e = "式が無効";
            }
        }
        scr_prepare(PREP_FORM_END);
    }
    if (err && size > 0) {   // cut at a character, never inside one
        size_t n = kov::sj_cut(e.c_str(), size_t(size - 1));
        memcpy(err, e.c_str(), n);
        err[n] = 0;
    }
    return e.empty() ? 0 : -1;
}

int SCR_U::scr_nopaint(int off)
{
    int old = scr_paint_off;
    scr_paint_off = off;
    scr_host().host_nopaint(off != 0);
    return old;
}

// A block of 1 MiB can still be had: below that a pass or a run is not started.
static bool scr_memory_ok()
{
    char *probe = new (std::nothrow) char[1 << 20];
    delete[] probe;
    return probe != nullptr;
}

namespace {
int calc_in_pass = 0;   // one pass at a time in the program
char calc_form[SCR_FORM_MAX + 1];
} // namespace

int SCR_U::scr_calc_space(CSV_U *sheet, const KOV_RECT *area)
{
    KOV_LOG("scr_calc_space(1)");
    if (!sheet || !sheet->csv_exists()) {
        KOV_LOG("未オープン");
        return -1;
    }
    if (scr_fatal) {
        KOV_LOG("実行継続禁");
        return -1;
    }
    if (!scr_memory_ok()) {
        KOV_LOG("メモリ不足");
        return -1;
    }
    if (calc_in_pass) {
        KOV_LOG("再入抑制");
        return 0;
    }
    // The script is linked at the first formula, so that a sheet without formulas does not
    // report a broken script at every pass.
    struct PASS {
        SCR_U &s;
        CSV_U *sheet;
        int paint, prepared = 0;
        PASS(SCR_U &s, CSV_U *sheet) : s(s), sheet(sheet), paint(s.scr_nopaint(1))
        {
            KOV_LOG("scr_calc_space(2)");
            calc_in_pass = 1;
        }
        int prepare()
        {
            if (prepared) return 0;
            if (s.scr_prepare(PREP_FORM_BEGIN) != 0) {
                KOV_LOG("scr_prepare(PREP_FORM_BEGIN) 失敗");
                return -1;
            }
            prepared = 1;
            return 0;
        }
        ~PASS()
        {
            calc_in_pass = 0;
            s.scr_nopaint(paint);
            sheet->csv_redraw(nullptr);
            if (prepared) s.scr_prepare(PREP_FORM_END);
        }
    } pass(*this, sheet);
    int xs = sheet->csv_get_xs(), ys = sheet->csv_get_ys();
    KOV_RECT r = area ? *area : KOV_RECT{0, 0, xs - 1, ys - 1};
    r.x1 = std::max(r.x1, 0), r.y1 = std::max(r.y1, 0);
    r.x2 = std::min(r.x2, xs - 1), r.y2 = std::min(r.y2, ys - 1);
    try {
        VAL_U v;
        for (int y = r.y1; y <= r.y2 && y < sheet->csv_get_used(); y++) {   // later rows hold no cell
            CSV_ROW *row = sheet->csv_get_row(y);
            if (!row || row->noform) continue;
            int found = 0;
            // A formula may change the sheet: the row is read again for every cell.
            for (int x = r.x1; x <= r.x2 && x < sheet->csv_get_row(y)->cnt; x++) {
                const CSV_CEL *c = sheet->csv_get_cel(x, y);
                if (!c || !c->form) continue;
                found = 1;
                if (pass.prepare() != 0) return -1;
                size_t n = strlen(c->form->text);
                if (n > size_t(SCR_FORM_MAX)) continue;
                memcpy(calc_form, c->form->text, n + 1);
                bool had = c->form->part != nullptr;
                if (had) c->form->part->part_used = false;
                int rc = scr_calc_onecel(x, y, calc_form, &v);
                // A formula that no longer calls its part's function lets the part go (a part
                // made by this evaluation was used by it).
                CSV_PART *part = rc == 0 && had ? sheet->csv_get_part(x, y) : nullptr;
                if (part && !part->part_used) sheet->csv_set_part(x, y, nullptr);
                if (rc != 0) sheet->csv_put_str(x, y, "!!!ERR!!!");
                else if (v.val_kind == VAL_NUM) sheet->csv_put_num(x, y, v.val_num);
                else sheet->csv_put_str(x, y, v.val_kind == VAL_STR ? v.val_gets() : nullptr);
                if (scr_fatal) return -1;
            }
            if (!area && !found) sheet->csv_get_row(y)->noform = 1;
        }
    } catch (const std::bad_alloc &) {
        return scr_err_nomem();
    }
    return 0;
}

int SCR_U::scr_calc_request(CSV_U *sheet, const KOV_RECT *area)
{
    if (!sheet) return -1;
    if (scr_tstat >= TST_SCRPT_RUN && scr_tstat <= TST_SCRPT_PAUSE) return 0;
    SCR_CALCQ &q = scr_calcq;
    if (!q.whole && !area) {
        q.whole = 1;
        q.count = 0;
    } else if (!q.whole) {
        if (q.count >= SCR_CALCQ_MAX) {
            KOV_ATT("再計算件数超過");
            scr_host().host_beep();
            return -1;
        }
        KOV_RECT r = *area;
        if (sheet->csv_chk_space(&r) != 0) return -1;
        q.area[q.count++] = r;
    }
    if (!q.posted) {
        scr_host().host_post(3, 0);
        q.posted = 1;
    }
    return 0;
}
