// Pieces of a save that replaces a file whole or not at all (the sheet files and the settings
// file): where the bytes go, whether the old file may be replaced, and the temporary file beside
// it. A temporary file is named ".NAME.kovtmp-PID-XXXXXX", so that one left by a killed save is
// recognised and removed at the next save of the same file.
#pragma once
#include <string>
#include <sys/stat.h>

namespace kov {

// Opens a file for reading only when it is a regular file of at most max bytes, without
// waiting on a pipe or device: the fd with st filled in, or -1 with errno (EISDIR for a folder,
// KOV_ENOTREG for another kind, EFBIG when larger).
int open_regular(const char *path, struct stat &st, off_t max);

// The file that a save of name writes: symbolic links are followed to their end, a dangling one
// too (its target is then created and the link stays). "" with errno ELOOP when links loop.
std::string save_target(const char *name);

// Folder of a path ("." without a slash).
std::string save_dir(const std::string &path);

// Whether the caller may replace the existing file st describes: it needs a write permission
// bit, as for writing into it (for root: any write bit), although the rename only needs the
// folder. Otherwise errno is EACCES.
bool save_may_replace(const char *path, const struct stat &st);

// Mode of the new file: the old file's, or what the umask leaves of 0666.
mode_t save_mode(const struct stat *old);

// Creates the temporary file for target beside it (mode 0600, close-on-exec), after removing
// the temporary files of that target whose process is gone. The fd, or -1; tmp gets its name.
int save_tmp_open(const std::string &target, std::string &tmp);

// Replaces name (through links) by bytes: a temporary file beside it, written, synced and
// renamed over the old one, so that the old file survives any failure. 0 / -1 with errno.
int save_whole(const char *name, const std::string &bytes);

} // namespace kov
