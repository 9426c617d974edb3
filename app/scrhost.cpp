// Command-line script runs.
#include "app/scrhost.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/kov.h"
#include "ui/base/kovlog.h"
#include "ui/base/kovtext.h"

long SCRHOST_U::scr_host_callback(int code, intptr_t arg)
{
    if (code == SCRCB_PAUSE && arg) {   // nobody to press CONT: show the text and go on
        fprintf(stderr, "pause: %s\n", kov::sj_to_utf8((const char *)arg).c_str());
        return 0;
    }
    if (code == SCRCB_ONESTEP && budget >= 0 && ++steps > budget) return -1;
    return 0;
}

void SCRHOST_U::scr_host_showerr(const char *txt, const char *pos, const char *msg)
{
    err_msg = msg ? msg : "";
    err_row = err_col = -1;
    SCR_LEX::scr_text2rowcol(txt, pos, err_row, err_col);
}

// Only a regular file is a script (a folder, a device or a pipe is refused without waiting for
// it), and at most SCR_FILE_MAX bytes of it.
int scr_read_file(const char *path, std::string &text)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > SCR_FILE_MAX) {
        close(fd);
        return -1;
    }
    text.clear();
    text.reserve((size_t)st.st_size);
    char buf[65536];
    ssize_t n;
    int cr = 0;   // a CR waiting to see whether LF follows
    while ((n = read(fd, buf, sizeof buf)) > 0 && (long)text.size() <= SCR_FILE_MAX) {
        for (ssize_t i = 0; i < n; i++) {
            if (cr && buf[i] != '\n') text += '\r';
            cr = buf[i] == '\r';
            if (!cr) text += buf[i];
        }
    }
    if (cr) text += '\r';
    close(fd);
    return n < 0 || (long)text.size() > SCR_FILE_MAX ? -1 : 0;
}

static void print_err(const char *path, int row, int col, const char *msg)
{
    std::string m = kov::sj_to_utf8(msg ? msg : "");
    if (row < 0 || col < 0) fprintf(stderr, "%s: %s\n", path, m.c_str());
    else fprintf(stderr, "%s:%d:%d: %s\n", path, row + 1, col + 1, m.c_str());
}

int scr_run_file(KOV_U &kov, const char *path)
{
    static SCRHOST_U host;
    // Loading the sheet made its folder the current one: read the script under the sheet's
    // script name (a full path), and name it in messages as it was given.
    const char *file = *kov.kov_get_scrname() ? kov.kov_get_scrname() : path;
    if (scr_read_file(file, host.text) != 0 && scr_read_file(path, host.text) != 0) {
        print_err(path, -1, -1, "読込み失敗");
        return -1;
    }
    host.stamp++;
    kov.scr_csv = &kov;
    kov.scr_host = &host;
    kov.scr_edit = &host;
    kov.scr_make_stbl(0);
    if (kov.scr_prepare(PREP_SCRIPT_BEGIN) != 0) {
        print_err(path, host.err_row, host.err_col,
                  host.err_msg.empty() ? kov.scr_get_nowerr() : host.err_msg.c_str());
        return -1;
    }
    int st = 0;
    int rc = kov.scr_do_allstep(kov.scr_text, &st);
    if (rc != 0) {
        int row = -1, col = -1;
        if (kov.scr_errpos) SCR_LEX::scr_text2rowcol(kov.scr_text, kov.scr_errpos, row, col);
        print_err(path, row, col, kov.scr_get_nowerr());
    }
    kov.scr_prepare(PREP_SCRIPT_END);
    return rc != 0 ? -1 : st;
}
