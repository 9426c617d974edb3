// Time values: seconds since 1970 (UTC based); fields in the local zone except gmtime.
#include "builtins/fnutil.h"

#include <cstdio>
#include <ctime>

namespace {

// The fields of t, false when t cannot be converted.
bool fields(int64_t t, bool local, struct tm &tm)
{
    if (t < 0) return false;
    time_t tt = time_t(t);
    return (local ? localtime_r(&tt, &tm) : gmtime_r(&tt, &tm)) != nullptr;
}

int field(const FN_CALL &c, FN_RET &r, int (*get)(const struct tm &))
{
    struct tm tm;
    r.L = fields(c.arg[0].L, true, tm) ? get(tm) : -1;
    return 0;
}

int stamp(SCR_U &s, const FN_CALL &c, FN_RET &r, bool local)
{
    struct tm tm;
    if (!fields(c.arg[0].L, local, tm)) return fn_ret_text(s, r, "");
    char b[64];
    snprintf(b, sizeof b, "%04d/%02d/%02d %02d:%02d.%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
             tm.tm_min, tm.tm_sec);
    return fn_ret_text(s, r, b);
}

} // namespace

int fn_time(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    r.L = int64_t(s.scr_host().host_now());
    return 0;
}

int fn_NOW(SCR_U &s, const FN_CALL &c, FN_RET &r) { return fn_time(s, c, r); }
int fn_localtime(SCR_U &s, const FN_CALL &c, FN_RET &r) { return stamp(s, c, r, true); }
int fn_gmtime(SCR_U &s, const FN_CALL &c, FN_RET &r) { return stamp(s, c, r, false); }

int fn_YEAR(SCR_U &, const FN_CALL &c, FN_RET &r) { return field(c, r, [](const struct tm &t) { return t.tm_year + 1900; }); }
int fn_MONTH(SCR_U &, const FN_CALL &c, FN_RET &r) { return field(c, r, [](const struct tm &t) { return t.tm_mon + 1; }); }
int fn_DAY(SCR_U &, const FN_CALL &c, FN_RET &r) { return field(c, r, [](const struct tm &t) { return t.tm_mday; }); }
int fn_HOUR(SCR_U &, const FN_CALL &c, FN_RET &r) { return field(c, r, [](const struct tm &t) { return t.tm_hour; }); }
int fn_MINUTE(SCR_U &, const FN_CALL &c, FN_RET &r) { return field(c, r, [](const struct tm &t) { return t.tm_min; }); }
int fn_SECOND(SCR_U &, const FN_CALL &c, FN_RET &r) { return field(c, r, [](const struct tm &t) { return t.tm_sec; }); }

// Local midnight of a date; days past a month's end roll into the next month.
int fn_DATE(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int y = c.arg[0].i, m = c.arg[1].i, d = c.arg[2].i;
    r.L = -1;
    if (y < 1970 || y > 3000 || m < 1 || m > 12 || d < 1 || d > 31) return 0;
    struct tm tm = {};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_isdst = -1;
    time_t t = mktime(&tm);
    r.L = t == time_t(-1) ? -1 : int64_t(t);
    return 0;
}

int fn_TIME(SCR_U &, const FN_CALL &c, FN_RET &r)
{
    int h = c.arg[0].i, m = c.arg[1].i, sec = c.arg[2].i;
    r.L = h < 0 || h > 23 || m < 0 || m > 59 || sec < 0 || sec > 59 ? -1 : h * 3600 + m * 60 + sec;
    return 0;
}
