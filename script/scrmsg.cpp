// Error texts that several constructs report: written once here.
#include "script/scr.h"

int SCR_LEX::scr_err_nomem()
{
    scr_set_SCRERR("メモリ不足");
    return -1;
}

int SCR_U::err_const(const VTBL_U *vt)
{
    scr_set_SCRERR("const %s への代入", vt->name);
    return -1;
}

int SCR_U::err_type(int type)
{
    scr_set_SCRERR("型 %d は無効", type);
    return -1;
}

int SCR_U::err_label(const char *label)
{
    scr_set_SCRERR("ラベル %s: がない", label);
    return -1;
}

int SCR_U::err_nofunc(const char *name)
{
    scr_set_SCRERR("関数 %s() がない", name);
    return -1;
}

int SCR_U::err_paren(const char *name)
{
    scr_set_SCRERR("%s(): ) が必要", name);
    return -1;
}

int SCR_U::err_define(const char *name)
{
    scr_set_SCRERR("%s 定義失敗", name);
    return -1;
}
