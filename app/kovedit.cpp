// Cell entry: which editor a key opens on a cell, what committing it stores, and the refusals
// before it. The window draws the editor; the rules are here, so that they hold without one.
#include "app/kov.h"

#include <cstdlib>
#include <cstring>

const char *KOV_U::cse_edit_refusal() const
{
    if (const char *r = kov_edit_refusal()) return r;
    if (csv_scrlock) return "スクリーン・ロック状態です";
    return nullptr;
}

int KOV_U::cse_edit_begin(int x, int y, int key, std::string &text, const char **msg)
{
    *msg = cse_edit_refusal();
    text.clear();
    if (*msg || x < 0 || y < 0 || x >= csv_get_xs() || y >= csv_get_ys()) return KOV_ED_NONE;
    int input = csv_get_attr(x, y, CSV_A_INPUT);
    if (input == 3) {
        *msg = "編集抑制セルです";
        return KOV_ED_NONE;
    }
    int kind;
    if (key == KOV_KEY_REEDIT) {
        const char *form = csv_get_form(x, y);
        int type = csv_get_type(x, y);
        kind = form ? KOV_ED_FORM : type == 3 ? KOV_ED_NUM : KOV_ED_TEXT;
        if (form) {
            text = std::string("=") + form;
        } else {
            char b[4097];
            int n = csv_dsp_text(x, y, 0, sizeof b, b);
            if (type == 3 && n > 79) csv_dsp_text(x, y, 4, sizeof b, b);
            text = b;
        }
    } else {
        kind = (key >= '0' && key <= '9') || key == '+' || key == '-' || key == '.' ? KOV_ED_NUM
             : key == '='                                                       ? KOV_ED_FORM
                                                                                : KOV_ED_TEXT;
    }
    if (input == 1) {
        if (kind == KOV_ED_FORM) return KOV_ED_NONE;
        kind = KOV_ED_TEXT;
    } else if (input == 2) {
        if (kind == KOV_ED_FORM) return KOV_ED_NONE;
        if (kind == KOV_ED_TEXT && key != KOV_KEY_REEDIT) {
            *msg = "数値専用セルです";
            kov_host().host_beep();
            return KOV_ED_NONE;
        }
        if (key == KOV_KEY_REEDIT) kind = KOV_ED_NUM;
    }
    return kind;
}

int KOV_U::cse_edit_commit(int x, int y, int kind, const char *text, std::string &msg)
{
    msg.clear();
    if (const char *r = cse_edit_refusal()) {
        msg = r;
        return -1;
    }
    int rc = 0;
    if (kind == KOV_ED_NUM) {
        char *end;
        double d = strtod(text, &end);
        while (*end == ' ') end++;
        if (*text && !*end) rc = csv_put_num(x, y, d, 1, CSV_P_VAL | CSV_P_FORM);
        else rc = csv_clr_cel(x, y, CSV_P_VAL | CSV_P_FORM);
    } else if (!*text) {
        rc = csv_clr_cel(x, y, CSV_P_VAL | CSV_P_FORM);
    } else if (text[0] == '=') {
        char err[1025];
        if (csv_form_check(x, y, text + 1, err, sizeof err) != 0) {
            msg = err;
            kov_host().host_beep();
            return -1;
        }
        csv_clr_cel(x, y, CSV_P_VAL);
        rc = csv_put_form(x, y, text + 1);
    } else if (text[0] == '"') {
        std::string t(text + 1);
        if (!t.empty() && t.back() == '"') t.pop_back();   // 0x22 is never a trail byte
        rc = csv_put_str(x, y, t.c_str(), 1, CSV_P_VAL | CSV_P_FORM);
    } else {
        rc = csv_put_str(x, y, text, 1, CSV_P_VAL | CSV_P_FORM);
    }
    csv_form_calc(nullptr);
    return rc < 0 ? -1 : 0;
}

int KOV_U::csv_form_check(int x, int y, const char *form, char *err, int size)
{
    return scr_check_form(x, y, form, err, size);
}
