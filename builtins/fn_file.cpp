// Files over the script file table (text mode writes LF as CR LF and skips CR on reading),
// folders, and the size of the disk that holds the working folder.
#include "builtins/fnutil.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The descriptor of an open slot, or -1 with the table's own message.
int fd_of(SCR_U &s, int slot) { return s.scr_file_ftype(slot) < 0 ? -1 : s.scr_file_handle(slot); }

int failed(SCR_U &s, FN_RET &r)
{
    s.scr_set_FNCERR("%s():失敗", s.scr_fn_name);
    r.L = -1;
    return 0;
}

ssize_t read_byte(int fd, unsigned char &b)
{
    ssize_t n;
    while ((n = read(fd, &b, 1)) < 0 && errno == EINTR) {
    }
    return n;
}

bool write_all(int fd, const char *p, size_t n)
{
    while (n > 0) {
        ssize_t k = write(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= size_t(k);
    }
    return true;
}

// The drive argument: exactly one letter. On Linux every letter names the file system of the
// working folder.
bool disk(SCR_U &s, const FN_CALL &c, struct statvfs &st, FN_RET &r)
{
    const char *d = c.arg[0].s;
    r.L = -1;
    if (strlen(d) != 1 || !isalpha((unsigned char)d[0])) {
        s.scr_set_FNCERR("%s(%s):引数が無効", s.scr_fn_name, d);
        return false;
    }
    return statvfs(".", &st) == 0;
}

} // namespace

std::string (*fn_device_path)(const char *name) = nullptr;

int fn_fopen(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    const char *name = c.arg[0].s, *m = c.arg[1].s;
    auto bad = [&](const char *msg) {
        s.scr_set_FNCERR(msg, s.scr_fn_name, name, m);
        r.L = -1;
        return 0;
    };
    int access, disp;
    const char *p = m + 1;
    switch (m[0]) {
    case 'r':
        access = SCR_FA_READ;
        if (*p == '+') access |= SCR_FA_WRITE, p++;
        disp = SCR_OPEN_EXISTING;
        break;
    case 'w': access = SCR_FA_WRITE, disp = SCR_CREATE_ALWAYS; break;
    case 'a': access = SCR_FA_WRITE, disp = SCR_OPEN_EXISTING; break;
    default: return bad("%s(%s,%s):引数が無効");
    }
    int type = 't';
    if (*p == 'b' || *p == 't') type = *p++;
    if (*p) return bad("%s(%s,%s):引数が無効");
    std::string dev = fn_device_path ? fn_device_path(name) : "";
    const char *path = dev.empty() ? name : dev.c_str();
    int slot = s.scr_file_open(path, access, disp, type);
    if (slot < 0 && m[0] == 'a') slot = s.scr_file_open(path, access, SCR_CREATE_ALWAYS, type);
    if (slot < 0) return bad("%s(%s,%s):オープン失敗");
    if (m[0] == 'a') lseek(s.scr_file_handle(slot), 0, SEEK_END);
    r.L = slot;
    return 0;
}

int fn_fclose(SCR_U &s, const FN_CALL &c, FN_RET &r) { return r.L = s.scr_file_close(c.arg[0].i), 0; }

int fn_fseek(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    std::string o = c.arg[2].s;
    int whence = o == "SEEK_SET" ? SEEK_SET : o == "SEEK_CUR" ? SEEK_CUR : o == "SEEK_END" ? SEEK_END : -1;
    long off = long(c.arg[1].L);
    r.L = -1;
    if (whence < 0) return s.scr_set_FNCERR("%s(%ld,%s):引数が無効", s.scr_fn_name, off, c.arg[2].s), 0;
    int fd = fd_of(s, c.arg[0].i);
    if (fd < 0) return 0;
    if (lseek(fd, off_t(c.arg[1].L), whence) < 0) return s.scr_set_FNCERR("%s(%ld,%s):失敗", s.scr_fn_name, off, c.arg[2].s), 0;
    return r.L = 0, 0;
}

int fn_ftell(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int fd = fd_of(s, c.arg[0].i);
    off_t at = fd < 0 ? -1 : lseek(fd, 0, SEEK_CUR);
    if (at < 0) return failed(s, r);
    return r.L = int64_t(at), 0;
}

int fn_rewind(SCR_U &s, const FN_CALL &c, FN_RET &)
{
    int fd = fd_of(s, c.arg[0].i);
    if (fd >= 0) lseek(fd, 0, SEEK_SET);
    return 0;
}

// Writes go straight to the file: a flush is a sync of what is written.
int fn_fflush(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int fd = fd_of(s, c.arg[0].i);
    if (fd < 0 || (fsync(fd) != 0 && errno != EINVAL && errno != EROFS)) return failed(s, r);
    return r.L = 0, 0;
}

int fn_fgetc(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int slot = c.arg[0].i, fd = fd_of(s, slot);
    if (fd < 0) return failed(s, r);
    bool text = s.scr_file_ftype(slot) == 't';
    unsigned char b;
    do {
        if (read_byte(fd, b) != 1) return failed(s, r);
    } while (text && b == '\r');
    return r.L = b, 0;
}

int fn_fputc(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    int slot = c.arg[1].i, fd = fd_of(s, slot);
    char b = char(c.arg[0].i & 255);
    if (fd < 0) return failed(s, r);
    bool text = s.scr_file_ftype(slot) == 't';
    bool ok = text && b == '\n' ? write_all(fd, "\r\n", 2) : write_all(fd, &b, 1);
    if (!ok) return failed(s, r);
    return r.L = (unsigned char)b, 0;
}

int fn_chdir(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = chdir(c.arg[0].s), 0; }
int fn_mkdir(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = mkdir(c.arg[0].s, 0777), 0; }
int fn_rmdir(SCR_U &, const FN_CALL &c, FN_RET &r) { return r.L = rmdir(c.arg[0].s), 0; }

int fn_getcwd(SCR_U &s, const FN_CALL &, FN_RET &r)
{
    char b[PATH_MAX];
    return fn_ret_text(s, r, getcwd(b, sizeof b) ? b : "");
}

int fn_diskfree(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    struct statvfs st;
    if (disk(s, c, st, r)) r.L = int64_t(st.f_bavail) * int64_t(st.f_frsize);
    return 0;
}

int fn_disktotal(SCR_U &s, const FN_CALL &c, FN_RET &r)
{
    struct statvfs st;
    if (disk(s, c, st, r)) r.L = int64_t(st.f_blocks) * int64_t(st.f_frsize);
    return 0;
}
