// Pieces of a save that replaces a file whole or not at all.
#include "base/kovsave.h"
#include "base/syshost.h"
#include "base/kovlog.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace kov {

int open_regular(const char *path, struct stat &st, off_t max)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    int bad = fstat(fd, &st) != 0    ? errno
              : S_ISDIR(st.st_mode)  ? EISDIR
              : !S_ISREG(st.st_mode) ? KOV_ENOTREG
              : st.st_size > max     ? EFBIG
                                     : 0;
    if (!bad) bad = fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) < 0 ? errno : 0;
    if (bad) {
        close(fd);
        errno = bad;
        return -1;
    }
    return fd;
}

std::string save_dir(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string save_target(const char *name)
{
    std::string cur = name;
    char to[PATH_MAX];
    for (int hops = 0; hops < 40; hops++) {   // the kernel's own limit of links in a path
        struct stat st;
        if (lstat(cur.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return cur;
        ssize_t n = readlink(cur.c_str(), to, sizeof to);
        if (n <= 0 || n == ssize_t(sizeof to)) return cur;
        std::string next(to, size_t(n));
        cur = next[0] == '/' ? next : save_dir(cur) + "/" + next;
    }
    errno = ELOOP;
    return "";
}

bool save_may_replace(const char *path, const struct stat &st)
{
    // Root passes every access check, so for it the bits alone decide.
    bool ok = geteuid() == 0 ? (st.st_mode & 0222) != 0 : faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
    if (!ok) errno = EACCES;
    return ok;
}

mode_t save_mode(const struct stat *old)
{
    if (old) return old->st_mode & 07777;
    mode_t um = umask(0);
    umask(um);
    return 0666 & ~um;
}

namespace {

// Long names are cut so that the temporary's name stays within the 255 bytes of a name.
constexpr size_t TMP_BASE_MAX = 200;

// ".NAME.kovtmp-": how the temporary files of target begin.
std::string tmp_prefix(const std::string &target)
{
    size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.size() > TMP_BASE_MAX) base.resize(TMP_BASE_MAX);
    return "." + base + ".kovtmp-";
}

// The process in the rest "PID-XXXXXX" of a temporary's name; 0 when it is not of that form.
pid_t tmp_pid(const char *s)
{
    pid_t pid = 0;
    const char *p = s;
    for (; *p >= '0' && *p <= '9' && p - s < 9; p++) pid = pid * 10 + (*p - '0');
    if (p == s || *p != '-' || strlen(p + 1) != 6) return 0;
    return pid;
}

bool process_gone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// Removes what saves of target killed midway left behind; a temporary of a running save stays.
void sweep_stale(const std::string &dir, const std::string &prefix)
{
    DIR *d = opendir(dir.c_str());
    if (!d) return;
    while (struct dirent *e = readdir(d)) {
        if (strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        pid_t pid = tmp_pid(e->d_name + prefix.size());
        struct stat st;
        if (pid <= 0 || !process_gone(pid)) continue;
        if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (unlinkat(dirfd(d), e->d_name, 0) == 0) KOV_LOG("%s/%s removed (left by a killed save)", dir.c_str(), e->d_name);
    }
    closedir(d);
}

} // namespace

int save_tmp_open(const std::string &target, std::string &tmp)
{
    std::string dir = save_dir(target), prefix = tmp_prefix(target);
    sweep_stale(dir, prefix);
    tmp = dir + "/" + prefix + std::to_string(getpid()) + "-XXXXXX";
    int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) tmp.clear();
    return fd;
}

int save_whole(const char *name, const std::string &bytes)
{
    std::string path = save_target(name), tmp;
    if (path.empty()) return -1;
    struct stat st;
    bool old = stat(path.c_str(), &st) == 0;
    if (old && !save_may_replace(path.c_str(), st)) return -1;
    int fd = save_tmp_open(path, tmp);
    if (fd < 0) return -1;
    int rc = 0;
    for (size_t done = 0; rc == 0 && done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) rc = -1;
        else done += size_t(n);
    }
    if (rc == 0) rc = fchmod(fd, save_mode(old ? &st : nullptr));
    if (rc == 0) rc = fsync(fd);
    int e = errno;
    if (close(fd) != 0 && rc == 0) rc = -1, e = errno;
    if (rc == 0 && rename(tmp.c_str(), path.c_str()) != 0) rc = -1, e = errno;
    if (rc != 0) unlink(tmp.c_str());
    errno = e;
    return rc;
}

} // namespace kov
