// The settings file: a profile (INI) file of sections "[name]" and lines "key=value".
// Values of the program are decimal integers; a missing key is written back with its default
// and a value out of range is clamped, so a damaged file never stops the program.
#pragma once
#include <string>

namespace kov {

// A settings-file path longer than this is refused (every operation fails).
constexpr int PROF_PATH_MAX = 280;

// One integer key of the settings file with its default and accepted range.
struct PROF_KEY {
    const char *sec;
    const char *key;
    int def, min, max;
};

class PROF_U {
public:
    // path: the settings file; defsec: the section that an empty section name stands for
    // (the program's file name). -1 when the path is empty or longer than PROF_PATH_MAX.
    int prof_set_path(const char *path, const char *defsec);
    const char *prof_get_path() const { return pf_path.c_str(); }
    const char *prof_get_defsec() const { return pf_defsec.c_str(); }

    // The text of a key: 0 with the text (possibly empty), -1 when the key is missing, the file
    // cannot be read, or the path or key is unusable. An empty value is not a missing key.
    int prof_read_text(const char *sec, const char *key, std::string &out) const;
    // Sets one key, keeping every other line; the file is replaced atomically (temporary file
    // in the same folder, then rename), so a crash leaves either the old or the new file.
    int prof_write_text(const char *sec, const char *key, const char *text);

    // The key as an integer (leading digits, like atoi) clamped to [min, max]; a missing key is
    // written back with the default and the default is returned.
    int prof_read_int(const char *sec, const char *key, int def, int min, int max);
    // Writes value clamped to [min, max] as "%d"; def is not used (kept for symmetry with the
    // read, so that one table row serves both).
    int prof_write_int(const char *sec, const char *key, int def, int min, int max, int value);

    // Writes every missing key of rows with its default in a single rewrite (one flush to disk
    // instead of one per key on a first start). 0 / -1.
    int prof_fill(const PROF_KEY *rows, int n);

private:
    const char *prof_section(const char *sec) const;
    int prof_usable(const char *key) const;

    std::string pf_path;
    std::string pf_defsec;
};

// Leading decimal digits of text, like atoi, but saturating instead of overflowing.
long long prof_atoll(const char *text);
int prof_clamp(long long v, int min, int max);

} // namespace kov
