#include "app/convert.h"
#include "app/kovfname.h"
#include "sheet/csvfile.h"
#include "ui/base/kovhost.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

// "kovash: NAME MESSAGE: reason", the name as given (the system's bytes).
int fail(int status, const char *name, const char *sjis_msg, int err)
{
    fputs("kovash: ", stderr);
    kov_print_file_err(stderr, name, sjis_msg, err);
    return status;
}

bool known_output(const char *name)
{
    return kov_has_ext(name, "kov") || kov_has_ext(name, "csv") || kov_has_ext(name, "txt");
}

} // namespace

int kov_convert(int argc, char **argv)
{
    if (argc != 2) {
        fputs("usage: kovash --convert IN OUT   (OUT: .kov full format, .csv or .txt values only)\n", stderr);
        return 2;
    }
    const char *in = argv[0], *out = argv[1];
    if (!known_output(out)) return fail(2, out, " 出力ファイルの拡張子は .kov .csv .txt のどれか", 0);
    struct stat st;
    if (stat(in, &st) != 0) return fail(1, in, " 読込み失敗", errno);
    if (!S_ISREG(st.st_mode)) return fail(1, in, " 読込み失敗", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    CSV_U sheet;
    CSVFILE_U file(sheet);
    if (file.csv_fload(nullptr, in, nullptr) < 0) return fail(1, in, " 読込み失敗", file.csv_err);
    if (file.csv_fsave(out, nullptr) < 0) return fail(1, out, " 保存失敗", file.csv_err);
    return 0;
}
