// A temporary folder for one test, removed with everything in it afterwards.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kovtest {

class TmpDir {
public:
    // base: the parent folder; tests that write a file hundreds of times use a memory file
    // system ("/dev/shm") where one exists, so that each flush to disk costs nothing.
    explicit TmpDir(const char *base = "/tmp")
    {
        struct stat st;
        if (stat(base, &st) != 0 || !S_ISDIR(st.st_mode) || access(base, W_OK) != 0) base = "/tmp";
        std::string tmpl = std::string(base) + "/kovtest.XXXXXX";
        if (mkdtemp(tmpl.data())) path = tmpl;
    }
    ~TmpDir()
    {
        if (path.empty()) return;
        nftw(path.c_str(), [](const char *p, const struct stat *, int, struct FTW *) {
            chmod(p, 0700);
            return remove(p);
        }, 16, FTW_DEPTH | FTW_PHYS);
    }
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    std::string path;
};

inline std::string slurp(const std::string &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void spit(const std::string &file, const std::string &data)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << data;
}

inline bool exists(const std::string &file)
{
    struct stat st;
    return stat(file.c_str(), &st) == 0;
}

inline long file_size(const std::string &file)
{
    struct stat st;
    return stat(file.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

} // namespace kovtest
