// Services around the interpreter: the script file name of a sheet and the table of files a
// script opened.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "script/scr.h"
#include "sheet/csv.h"
#include "base/kovlog.h"

int SCR_U::scr_get_scrname(const CSV_U *sheet, char *name, int size)
{
    if (!sheet || !name || size < 1) return -1;
    const char *path = sheet->csv_get_fname();
    const char *slash = strrchr(path, '/');
    const char *dot = strrchr(slash ? slash : path, '.');
    int stem = dot ? (int)(dot - path) : (int)strlen(path);
    if (snprintf(name, size, "%.*s.scr", stem, path) >= size) return -1;
    return 0;
}

// ---- script files ----

int SCR_U::scr_file_open(const char *name, int access, int disposition, int type)
{
    int slot = 0;
    while (slot < SCR_FILES && fd_type[slot]) slot++;
    if (slot >= SCR_FILES || !name || type == 0) return -1;
    int fl = (access & SCR_FA_READ) && (access & SCR_FA_WRITE) ? O_RDWR : (access & SCR_FA_WRITE) ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case SCR_CREATE_NEW: fl |= O_CREAT | O_EXCL; break;
    case SCR_CREATE_ALWAYS: fl |= O_CREAT | O_TRUNC; break;
    case SCR_OPEN_ALWAYS: fl |= O_CREAT; break;
    case SCR_TRUNCATE_EXISTING: fl |= O_TRUNC; break;
    default: break;
    }
    // Without waiting: a FIFO without a writer (or a line without carrier) would block the open
    // where no stop reaches; reads and writes then wait as usual.
    int fd = open(name, fl | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd >= 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) < 0) close(fd), fd = -1;
    if (fd < 0) {
        KOV_LOG("CreateFile(%s) 失敗", name);
        return -1;
    }
    fd_slot[slot] = fd;
    fd_type[slot] = (unsigned char)type;
    KOV_LOG("CreateFile(%s) 成功. handle=%d", name, fd);
    return slot;
}

int SCR_U::scr_file_handle(int slot) const
{
    if (slot < 0 || slot >= SCR_FILES || !fd_type[slot]) return -1;
    return fd_slot[slot];
}

// 0 when slot is an open file; else the error text (closed: the caller's own) and -1.
int SCR_U::file_slot_open(int slot, const char *closed_msg)
{
    if (slot < 0 || slot >= SCR_FILES) {
        scr_set_SCRERR("ファイルハンドルが無効");
        return -1;
    }
    if (!fd_type[slot]) {
        scr_set_SCRERR("%s", closed_msg);
        return -1;
    }
    return 0;
}

int SCR_U::scr_file_ftype(int slot)
{
    if (file_slot_open(slot, "ファイルタイプ取得失敗") != 0) return -1;
    return fd_type[slot];
}

int SCR_U::scr_file_close(int slot)
{
    if (file_slot_open(slot, "ファイルクローズ状態") != 0) return -1;
    int fd = fd_slot[slot];
    fd_slot[slot] = -1;
    fd_type[slot] = 0;
    if (close(fd) != 0) {
        scr_set_SCRERR("ファイルクローズ失敗");
        return -1;
    }
    KOV_LOG("CloseHandle(%d)", fd);
    return 0;
}

void SCR_U::scr_file_closeall()
{
    for (int i = 0; i < SCR_FILES; i++)
        if (fd_type[i]) scr_file_close(i);
}
