// Error texts of scripts and built-ins, and the position helpers of messages and logs.
#include "script/lex.h"
#include "base/kovlog.h"
#include "base/kovtext.h"

#include <cstdio>
#include <cstring>

// A text cut at len bytes must not end in the lead byte of a double-byte character.
static void cut_half_char(char *text, int len)
{
    if (kov::sj_is_lead(static_cast<unsigned char>(text[len - 1])) && !kov::sj_is_trail(text, len - 1))
        text[len - 1] = 0;
}

void SCR_LEX::scr_clear_errors()
{
    err_changing();
    err_prescr[0] = err_prefnc[0] = err_nowscr[0] = err_nowfnc[0] = 0;
}

// The texts as far as their ends: mostly empty, and every build of a tree keeps them.
static void err_text_copy(char *to, const char *from)
{
    size_t n = strnlen(from, SCR_ERRSIZE - 1);
    memcpy(to, from, n);
    to[n] = 0;
}

void SCR_LEX::err_copy_out(char (&t)[4][SCR_ERRSIZE]) const
{
    err_text_copy(t[0], err_nowscr);
    err_text_copy(t[1], err_nowfnc);
    err_text_copy(t[2], err_prescr);
    err_text_copy(t[3], err_prefnc);
}

void SCR_LEX::err_copy_in(const char (&t)[4][SCR_ERRSIZE])
{
    err_text_copy(err_nowscr, t[0]);
    err_text_copy(err_nowfnc, t[1]);
    err_text_copy(err_prescr, t[2]);
    err_text_copy(err_prefnc, t[3]);
}

bool SCR_LEX::err_restore(ERR_SAVE &keep, ERR_SAVE *outer)
{
    err_save = outer;
    if (!keep.saved) return false;
    if (outer && !outer->saved) *outer = keep;   // the texts before the inner change were the outer's too
    err_copy_in(keep.t);
    return true;
}

// The first error since the last rotation wins; every text is also a trace line.
const char *SCR_LEX::err_set(char *now, char *pre, const char *fmt, va_list ap)
{
    if (!fmt) {
        if (now[0] || pre[0]) err_changing();
        memcpy(pre, now, strlen(now) + 1);   // runs before every statement: usually 1 byte
        now[0] = 0;
        return now;
    }
    if (now[0] && !kov::log_get_debug()) return now;
    char text[SCR_ERRSIZE];
    int n = vsnprintf(text, sizeof text, fmt, ap);
    if (n >= SCR_ERRSIZE) cut_half_char(text, SCR_ERRSIZE - 1);
    KOV_LOG("%s", text);
    if (!now[0]) {
        if (text[0]) err_changing();
        memcpy(now, text, strlen(text) + 1);
    }
    return now;
}

const char *SCR_LEX::scr_vset_SCRERR(const char *fmt, va_list ap)
{
    return err_set(err_nowscr, err_prescr, fmt, ap);
}

const char *SCR_LEX::scr_vset_FNCERR(const char *fmt, va_list ap)
{
    return err_set(err_nowfnc, err_prefnc, fmt, ap);
}

const char *SCR_LEX::scr_set_SCRERR(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    const char *r = scr_vset_SCRERR(fmt, ap);
    va_end(ap);
    return r;
}

const char *SCR_LEX::scr_set_FNCERR(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    const char *r = scr_vset_FNCERR(fmt, ap);
    va_end(ap);
    return r;
}

const char *SCR_LEX::scr_get_nowerr() const { return err_nowscr[0] ? err_nowscr : err_nowfnc; }

const char *SCR_LEX::scr_get_preerr() const { return err_prescr[0] ? err_prescr : err_prefnc; }

const char *SCR_LEX::scr_line40col(const char *cur)
{
    static char line[41];
    // Blanks only, without moving far_pos: logging must not change where a parse gave up.
    const char *p = scr_past_blanks(cur);
    int n = 0;
    for (; n < 40 && *p && *p != '\n' && *p != '\r'; p++) line[n++] = *p == '\t' ? ' ' : *p;
    line[n] = 0;
    if (n > 0) cut_half_char(line, n);
    return line;
}

int SCR_LEX::scr_text2rowcol(const char *text, const char *pos, int &row, int &col)
{
    row = col = 0;
    if (!text || !pos) {
        KOV_LOG("(txt_pt == NULL) || (now_pt == NULL)");
        return -1;
    }
    bool trail = false;
    for (const char *p = text; *p; p++) {
        if (p == pos) return 0;
        if (trail) {
            trail = false;
        } else if (*p == '\n') {
            row++;
            col = 0;
        } else if (*p != '\r') {
            col++;
            trail = kov::sj_is_lead(static_cast<unsigned char>(*p));
        }
    }
    return -1;
}
