// The settings file. Every access reads the file afresh (as the platform's profile functions
// did), so hand edits made while the program runs are seen; a read parses it again only when
// its bytes changed (a start reads a dozen keys).
#include "base/kovprof.h"
#include "base/kovlog.h"
#include "base/kovsave.h"
#include "base/kovtext.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kov {

// A settings file larger than this is not ours: read with defaults, never rewritten.
static constexpr off_t PROF_FILE_MAX = 16 << 20;

using Lines = std::vector<std::string>;

// ---- file ----

// 0 with the file's bytes, 1 when the file does not exist, -1 when it cannot be read.
static int ini_slurp(const std::string &path, std::string &all)
{
    all.clear();
    struct stat st;
    int fd = open_regular(path.c_str(), st, PROF_FILE_MAX);
    if (fd < 0) return errno == ENOENT ? 1 : -1;
    all.resize(st.st_size);
    size_t got = 0;
    while (got < all.size()) {
        ssize_t n = read(fd, all.data() + got, all.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    close(fd);
    all.resize(got);
    return 0;
}

// Each line of the bytes (CR LF or LF) to each(line).
template <class EACH> static void ini_split(const std::string &all, EACH each)
{
    for (size_t p = 0; p < all.size();) {
        size_t e = all.find('\n', p);
        if (e == std::string::npos) e = all.size();
        std::string ln = all.substr(p, e - p);
        if (!ln.empty() && ln.back() == '\r') ln.pop_back();
        each(ln);
        p = e + 1;
    }
}

// The file's lines, as ini_slurp.
static int ini_load(const std::string &path, Lines &lines)
{
    lines.clear();
    std::string all;
    if (int rc = ini_slurp(path, all)) return rc;
    ini_split(all, [&](const std::string &ln) { lines.push_back(ln); });
    return 0;
}

// The old file survives any failure. A link (settings kept with other dotfiles) stays one; a
// file made read-only is not replaced.
static int ini_save(const std::string &name, const Lines &lines)
{
    std::string text;
    for (auto &ln : lines) text += ln + "\r\n";
    return save_whole(name.c_str(), text);
}

static int prof_save(const std::string &name, const Lines &lines)
{
    if (ini_save(name, lines) == 0) return 0;
    KOV_LOG("%s 書込み失敗", name.c_str());
    return -1;
}

// ---- lines ----

static std::string ini_trim(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Names compare without regard to the case of single-byte letters; a trail byte that happens
// to be a letter is compared exactly.
static bool ini_same(const std::string &a, const char *b)
{
    const char *p = a.c_str();
    while (*p && *b) {
        size_t k = sj_step(p);
        if (k != sj_step(b)) return false;
        if (k == 2) {
            if (p[0] != b[0] || p[1] != b[1]) return false;
        } else {
            unsigned char x = *p, y = *b;
            if (x >= 'a' && x <= 'z') x -= 32;
            if (y >= 'a' && y <= 'z') y -= 32;
            if (x != y) return false;
        }
        p += k;
        b += k;
    }
    return *p == 0 && *b == 0;
}

// Section name of a header line "[name]", or false.
static bool ini_header(const std::string &ln, std::string &name)
{
    std::string t = ini_trim(ln);
    if (t.size() < 2 || t[0] != '[') return false;
    for (size_t e = 1, k; (k = sj_step(t.c_str() + e)) != 0; e += k) {
        if (t[e] != ']') continue;  // a trail byte 0x5D is never taken for the bracket
        name = ini_trim(t.substr(1, e - 1));
        return true;
    }
    return false;
}

// Key and value of a line "key=value"; comments (";") and lines without "=" are not keys.
static bool ini_entry(const std::string &ln, std::string &key, std::string &val)
{
    std::string t = ini_trim(ln);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = ini_trim(t.substr(0, eq));
    val = ini_trim(t.substr(eq + 1));
    if (val.size() >= 2 && val.front() == '"' && val.back() == '"') val = val.substr(1, val.size() - 2);
    return true;
}

// Line range [first, end) of the first section of that name; first = end = npos when absent.
struct IniSpan { size_t head, end; };

static IniSpan ini_find_section(const Lines &lines, const char *sec)
{
    std::string name;
    for (size_t i = 0; i < lines.size(); i++) {
        if (!ini_header(lines[i], name) || !ini_same(name, sec)) continue;
        size_t e = i + 1;
        while (e < lines.size() && !ini_header(lines[e], name)) e++;
        return {i, e};
    }
    return {std::string::npos, std::string::npos};
}

static size_t ini_find_key(const Lines &lines, IniSpan sp, const char *key, std::string *val)
{
    std::string k, v;
    for (size_t i = sp.head + 1; i < sp.end; i++) {
        if (!ini_entry(lines[i], k, v) || !ini_same(k, key)) continue;
        if (val) *val = v;
        return i;
    }
    return std::string::npos;
}

static void ini_set(Lines &lines, const char *sec, const char *key, const char *text)
{
    IniSpan sp = ini_find_section(lines, sec);
    if (sp.head == std::string::npos) {
        lines.push_back(std::string("[") + sec + "]");
        lines.push_back(std::string(key) + "=" + text);
        return;
    }
    size_t at = ini_find_key(lines, sp, key, nullptr);
    if (at != std::string::npos) {
        std::string ln = lines[at];
        lines[at] = ini_trim(ln.substr(0, ln.find('='))) + "=" + text;
        return;
    }
    size_t ins = sp.end;  // after the last non-blank line of the section
    while (ins > sp.head + 1 && ini_trim(lines[ins - 1]).empty()) ins--;
    lines.insert(lines.begin() + ins, std::string(key) + "=" + text);
}

// ---- the parsed file of the last read ----

namespace {
struct IniParsed {
    struct Sec {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;   // in the file's order
    };
    std::string path, bytes;
    bool valid = false;
    std::vector<Sec> secs;
};
std::mutex ini_mx;
IniParsed ini_last;
}   // namespace

// The file as it is now, parsed in ini_last (again only when its bytes changed): 0, or -1 when
// it is missing or cannot be read. Under ini_mx.
static int ini_now(const std::string &path)
{
    std::string all;
    if (ini_slurp(path, all) != 0) return -1;
    if (ini_last.valid && ini_last.path == path && ini_last.bytes == all) return 0;
    ini_last.secs.clear();
    std::string name, k, v;
    ini_split(all, [&](const std::string &ln) {
        if (ini_header(ln, name)) ini_last.secs.push_back({name, {}});
        else if (!ini_last.secs.empty() && ini_entry(ln, k, v)) ini_last.secs.back().keys.emplace_back(k, v);
    });
    ini_last.path = path;
    ini_last.bytes = std::move(all);
    ini_last.valid = true;
    return 0;
}

// The key's text in ini_last as ini_find_section and ini_find_key find it: 0, or -1.
static int ini_get(const char *sec, const char *key, std::string &out)
{
    for (const IniParsed::Sec &s : ini_last.secs) {
        if (!ini_same(s.name, sec)) continue;
        for (const auto &[k, v] : s.keys)
            if (ini_same(k, key)) {
                out = v;
                return 0;
            }
        return -1;   // the first section of the name is the one
    }
    return -1;
}

// ---- PROF_U ----

int PROF_U::prof_set_path(const char *path, const char *defsec)
{
    pf_defsec = defsec ? defsec : "";
    pf_path.clear();
    if (!path || !*path || strlen(path) > (size_t)PROF_PATH_MAX) return -1;
    pf_path = path;
    return 0;
}

const char *PROF_U::prof_section(const char *sec) const
{
    return sec && *sec ? sec : pf_defsec.c_str();
}

int PROF_U::prof_usable(const char *key) const
{
    if (pf_path.empty() || !key || !*key) return -1;
    return 0;
}

int PROF_U::prof_read_text(const char *sec, const char *key, std::string &out) const
{
    out.clear();
    if (prof_usable(key) < 0) return -1;
    std::lock_guard<std::mutex> lock(ini_mx);
    return ini_now(pf_path) == 0 ? ini_get(prof_section(sec), key, out) : -1;
}

static bool prof_plain(const char *s, const char *bad)
{
    // A line end splits the file's lines even after a lead byte (it is never a trail byte).
    if (strpbrk(s, "\r\n")) return false;
    for (size_t k; (k = sj_step(s)) != 0; s += k)
        if (k == 1 && strchr(bad, *s)) return false;
    return true;
}

// Text that would change the file's structure is refused rather than mangled.
static bool prof_fits(const char *sec, const char *key, const char *text)
{
    return *sec && prof_plain(sec, "]") && prof_plain(key, "=[;") && prof_plain(text, "");
}

int PROF_U::prof_write_text(const char *sec, const char *key, const char *text)
{
    if (prof_usable(key) < 0 || !text) return -1;
    const char *s = prof_section(sec);
    if (!prof_fits(s, key, text)) return -1;
    Lines lines;
    if (ini_load(pf_path, lines) < 0) return -1;  // unreadable: never overwrite it
    std::string old;
    IniSpan sp = ini_find_section(lines, s);
    if (sp.head != std::string::npos && ini_find_key(lines, sp, key, &old) != std::string::npos && old == text)
        return 0;
    ini_set(lines, s, key, text);
    return prof_save(pf_path, lines);
}

long long prof_atoll(const char *text)
{
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
    int neg = *p == '-';
    if (*p == '-' || *p == '+') p++;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        if (v < (1LL << 40)) v = v * 10 + (*p - '0');  // saturates far beyond any int
    return neg ? -v : v;
}

int prof_clamp(long long v, int min, int max)
{
    if (v < min) return min;
    if (v > max) return max;
    return (int)v;
}

int PROF_U::prof_read_int(const char *sec, const char *key, int def, int min, int max)
{
    std::string text;
    if (prof_read_text(sec, key, text) < 0) {
        prof_write_int(sec, key, def, min, max, def);
        return prof_clamp(def, min, max);
    }
    return prof_clamp(prof_atoll(text.c_str()), min, max);
}

int PROF_U::prof_fill(const PROF_KEY *rows, int n)
{
    if (pf_path.empty()) return -1;
    {   // every key there (each start but the first): nothing to write
        std::lock_guard<std::mutex> lock(ini_mx);
        bool whole = ini_now(pf_path) == 0;
        std::string have;
        for (int i = 0; i < n && whole; i++)
            whole = !rows[i].key || !*rows[i].key || ini_get(prof_section(rows[i].sec), rows[i].key, have) == 0;
        if (whole) return 0;
    }
    Lines lines;
    if (ini_load(pf_path, lines) < 0) return -1;
    int added = 0;
    for (int i = 0; i < n; i++) {
        const char *s = prof_section(rows[i].sec);
        char text[16];
        snprintf(text, sizeof text, "%d", prof_clamp(rows[i].def, rows[i].min, rows[i].max));
        if (!rows[i].key || !*rows[i].key || !prof_fits(s, rows[i].key, text)) continue;
        IniSpan sp = ini_find_section(lines, s);
        if (sp.head != std::string::npos && ini_find_key(lines, sp, rows[i].key, nullptr) != std::string::npos)
            continue;
        ini_set(lines, s, rows[i].key, text);
        added++;
    }
    if (added == 0) return 0;
    return prof_save(pf_path, lines);
}

int PROF_U::prof_write_int(const char *sec, const char *key, int, int min, int max, int value)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%d", prof_clamp(value, min, max));
    return prof_write_text(sec, key, buf);
}

} // namespace kov
