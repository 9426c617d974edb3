#include "app/kovfname.h"
#include "app/kovpath.h"
#include "base/kovtext.h"

#include <cstring>
#include <strings.h>

// "/" and "." never occur as trail bytes (those are 0x40..0xFC), so a byte scan is safe.
const char *kov_fname_base(const char *name)
{
    const char *slash = strrchr(name, '/');
    return slash ? slash + 1 : name;
}

const char *kov_fname_ext(const char *name)
{
    const char *base = kov_fname_base(name);
    const char *dot = strrchr(base, '.');
    return dot ? dot + 1 : nullptr;
}

bool kov_has_ext(const char *name, const char *ext)
{
    const char *e = name ? kov_fname_ext(name) : nullptr;
    return e && strcasecmp(e, ext) == 0;
}

std::string kov_sheet_name(const char *name)
{
    std::string s(name, kov::sj_cut(name, KOV_FNAME_MAX));
    const char *ext = kov_fname_ext(s.c_str());
    if (ext && strcasecmp(ext, "scr") == 0) {
        s.resize(ext - s.c_str());
        s += "kov";
    } else if (!ext && s.size() + 4 < (size_t)KOV_FNAME_LIM) {
        s += ".kov";
    }
    return s;
}

std::string kov_script_name(const char *sheet) { return kov_with_ext(sheet, ".scr"); }
