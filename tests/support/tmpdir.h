// A temporary folder for one test, removed with everything in it afterwards.
#pragma once
#include <algorithm>
#include <filesystem>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
        if (!getcwd(home, sizeof home)) home[0] = 0;
    }
    // Loading a sheet makes its folder current: the folder the test started in comes back.
    ~TmpDir()
    {
        if (home[0] && chdir(home) != 0) home[0] = 0;
        auto rm = [](const char *p, const struct stat *, int, struct FTW *) { return chmod(p, 0700), remove(p); };
        if (!path.empty()) nftw(path.c_str(), rm, 16, FTW_DEPTH | FTW_PHYS);
    }
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    std::string path;

private:
    char home[4096];
};

inline std::string slurp(const std::string &file)
{
    std::stringstream ss;
    ss << std::ifstream(file, std::ios::binary).rdbuf();
    return ss.str();
}

inline void spit(const std::string &file, const std::string &data)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << data;
}

inline long file_size(const std::string &file)
{
    struct stat st;
    return stat(file.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

inline bool exists(const std::string &file) { return file_size(file) >= 0; }

// An environment variable set (nullptr: unset) while it lives; the time zone follows TZ.
class EnvVar {
public:
    EnvVar(const char *name, const char *value) : name(name), had(getenv(name) != nullptr), old(had ? getenv(name) : "")
    {
        if (value) setenv(name, value, 1);
        else unsetenv(name);
        tzset();
    }
    ~EnvVar()
    {
        if (had) setenv(name, old.c_str(), 1);
        else unsetenv(name);
        tzset();
    }

private:
    const char *name;
    bool had;
    std::string old;
};

// Names in a folder, sorted.
inline std::vector<std::string> ls(const std::string &dir)
{
    std::vector<std::string> v;
    for (auto &e : std::filesystem::directory_iterator(dir)) v.push_back(e.path().filename());
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace kovtest
