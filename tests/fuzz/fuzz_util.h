// Pieces shared by the fuzz targets: the input taken as a stream of choices, and a private
// temporary folder per process.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

// A failed invariant: trap, so that libFuzzer keeps the input and shows the stack.
#define FUZZ_CHECK(c)                 \
    do {                              \
        if (!(c)) __builtin_trap();   \
    } while (0)

// The input bytes as choices; past the end every choice is 0.
struct FUZZ_IN {
    const uint8_t *d;
    size_t n;
    bool empty() const { return n == 0; }
    unsigned u8()
    {
        if (!n) return 0;
        n--;
        return *d++;
    }
    unsigned u16() { return u8() << 8 | u8(); }
    uint32_t u32() { return uint32_t(u16()) << 16 | u16(); }
    // A small number below m (m >= 1).
    int below(int m) { return int(u16() % unsigned(m)); }
    // The next n bytes (or what is left) as a string.
    std::string take(size_t k)
    {
        k = k < n ? k : n;
        std::string s(reinterpret_cast<const char *>(d), k);
        d += k;
        n -= k;
        return s;
    }
    std::string rest() { return take(n); }
};

// Names handed out by fuzz_tmpname, removed with their folder when the process ends (kept on
// the heap: the exit handler runs after static objects are gone).
inline std::vector<std::string> &fuzz_tmpnames()
{
    static auto *v = new std::vector<std::string>;
    return *v;
}

// A folder of this process's own, made once; in memory when possible, as the settings and
// sheet writers flush every file to disk.
inline const std::string &fuzz_tmpdir()
{
    static const std::string *dir = [] {
        const char *t = getenv("TMPDIR");
        const char *base = t && *t ? t : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        auto *tmpl = new std::string(std::string(base) + "/kovfuzz.XXXXXX");
        if (!mkdtemp(tmpl->data())) abort();
        fuzz_tmpnames();
        atexit([] {
            for (auto &n : fuzz_tmpnames()) unlink(n.c_str());
            rmdir(fuzz_tmpdir().c_str());
        });
        return tmpl;
    }();
    return *dir;
}

// A file name in that folder (the same name for the same base).
inline std::string fuzz_tmpname(const char *base)
{
    std::string n = fuzz_tmpdir() + "/" + base;
    for (auto &k : fuzz_tmpnames())
        if (k == n) return n;
    fuzz_tmpnames().push_back(n);
    return n;
}

inline void fuzz_write_file(const std::string &name, const std::string &bytes)
{
    FILE *fp = fopen(name.c_str(), "wb");
    if (!fp) abort();
    fwrite(bytes.data(), 1, bytes.size(), fp);
    if (fclose(fp) != 0) abort();
}
