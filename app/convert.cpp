#include "app/convert.h"
#include "app/clihost.h"
#include "app/kov.h"
#include "app/kovfname.h"
#include "sheet/csvfile.h"
#include "sheet/kovhost.h"
#include "base/kovtext.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

// "kovash: NAME MESSAGE: reason", the name as given (the system's bytes).
int fail(int status, const char *name, const char *sjis_msg, int err)
{
    fputs("kovash: ", stderr);
    kov_print_file_err(stderr, name, sjis_msg, err);
    return status;
}

// "utf-8" or "sjis" (the usual spellings of both taken): kov::SJ_ENC_*, -1 unknown.
int parse_encoding(const char *name)
{
    for (const char *u : {"utf-8", "utf8", "UTF-8", "UTF8"})
        if (strcmp(name, u) == 0) return kov::SJ_ENC_UTF8;
    for (const char *s : {"sjis", "shift-jis", "shift_jis", "cp932", "SJIS", "Shift_JIS", "CP932"})
        if (strcmp(name, s) == 0) return kov::SJ_ENC_SJIS;
    return -1;
}

bool known_output(const char *name)
{
    return kov_has_ext(name, "kov") || kov_has_ext(name, "csv") || kov_has_ext(name, "txt");
}

} // namespace

int kov_convert(int argc, char **argv)
{
    const char *names[2] = {};
    int nnames = 0, passes = -1, enc = -1;
    for (int k = 0; k < argc; k++) {
        if (strcmp(argv[k], "--encoding") == 0 && k + 1 < argc) {
            enc = parse_encoding(argv[++k]);
            if (enc < 0) nnames = 9;
        } else if (strcmp(argv[k], "--calc") == 0 && k + 1 < argc) {
            char *end;
            long n = strtol(argv[++k], &end, 10);
            if (*argv[k] < '0' || *argv[k] > '9' || *end || n > 1000) nnames = 9;
            passes = int(n);
        } else if (nnames < 2) {
            names[nnames++] = argv[k];
        } else {
            nnames = 9;
        }
    }
    if (nnames != 2) {
        fputs("usage: kovash --convert IN OUT [--calc N] [--encoding utf-8|sjis]\n"
              "       (OUT: .kov full format, .csv or .txt values only; N recalculation passes,\n"
              "       0..1000, default one pass when IN has formulas; OUT's encoding, default IN's)\n",
              stderr);
        return 2;
    }
    const char *in = names[0], *out = names[1];
    if (!known_output(out)) return fail(2, out, " 出力ファイルの拡張子は .kov .csv .txt のどれか", 0);
    struct stat st;
    if (stat(in, &st) != 0) return fail(1, in, " 読込み失敗", errno);
    if (!S_ISREG(st.st_mode)) return fail(1, in, " 読込み失敗", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    KOV_CLIHOST host;
    KOV_U sheet(&host);
    CSVFILE_U file(sheet);
    if (file.csv_fload(nullptr, in, nullptr) < 0) return fail(1, in, " 読込み失敗", file.csv_err);
    if (passes < 0) passes = sheet.csv_used_ys(CSV_P_FORM) > 0 ? 1 : 0;
    if (passes > 0) {
        // The formulas see the functions and globals of the sheet's script (IN with .scr).
        int cyclems = sheet.csv_cyclems;
        sheet.csv_set_fname(in);
        host.cli_name = kov_script_name(in);
        if (sheet.kov_ted_fload() < 0) return 1;
        for (int k = 0; k < passes; k++)
            if (sheet.csv_form_calc(nullptr) < 0) return fail(1, in, " 再計算失敗", 0);
        sheet.csv_cyclems = cyclems;
        host.host_ed_put(nullptr);   // the save writes the sheet only: IN's script stays as it is
    }
    // OUT is written in IN's encoding unless told; utf-8 keeps the byte-order mark IN had.
    if (enc == kov::SJ_ENC_SJIS || (enc == kov::SJ_ENC_UTF8 && file.csv_enc != kov::SJ_ENC_UTF8BOM)) file.csv_enc = enc;
    file.csv_sync = 0;   // like other converters: IN stays, so OUT need not wait for the disk
    if (file.csv_fsave(out, nullptr) < 0) return fail(1, out, " 保存失敗", file.csv_err);
    return 0;
}
