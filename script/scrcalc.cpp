// Cell formulas: one expression read with a current cell, where cell names are operands.
#include <new>

#include "script/scr.h"
#include "ui/base/kovlog.h"

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
    scr_set_SCRERR(nullptr);
    scr_set_FNCERR(nullptr);
    ctx.scr_pass = 2;
    func_depth = 0;
    OUTER outer(*this);
    KOV_LOG("セル式評価:%s", form);
    int r = -1;
    try {
        const char *p = form;
        VAL_U t;
        if (scr_exp(p, t) != 0) {
            scr_set_SCRERR("式評価失敗");
        } else if (scr_skip_space(p) != 0) {
            scr_set_SCRERR("無効な文字 %s がある", p);
        } else {
            if (result) result->val_copy(t);
            r = 0;
        }
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
    func_depth = keep_depth;
    return r;
}
