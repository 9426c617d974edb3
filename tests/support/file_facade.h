// A small facade for the sheet file tests: a sheet with its file layer, a host that records what
// it is handed, attention messages caught, and helpers to spell file texts.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "sheet/csvfile.h"
#include "tests/support/sheet_text.h"
#include "tests/support/tmpdir.h"
#include "ui/base/kovlog.h"

namespace filetest {

// The last attention line shown while it lives (the message-box hook).
class Atts {
public:
    Atts() { kov::log_set_msgbox([](const char *t) { text() = t; }), text().clear(); }
    ~Atts() { kov::log_set_msgbox(nullptr); }
    static std::string &text()
    {
        static std::string t;
        return t;
    }
    std::string last() const { return text(); }
};

// A host with an editor text and a private folder for the transfer files.
struct Host : CSV_HOST_U {
    int has_editor = 0;
    std::string ed_text, ed_name, tmpdir;
    int scrlock = -1;
    int csv_ed_text(std::string &text, std::string &name) override
    {
        if (!has_editor) return -1;
        text = ed_text;
        name = ed_name;
        return 0;
    }
    std::string csv_tmp_dir() override { return tmpdir.empty() ? CSV_HOST_U::csv_tmp_dir() : tmpdir; }
    void csv_scrlock_put(int lock) override { scrlock = lock; }
    CSV_WINST &ws() { return host_ws; }
    std::string &clip() { return host_clip; }
};

struct Sheet : sheettest::TextSheet {
    Host host;
    CSVFILE_U file{*this, &host};
    kovtest::TmpDir dir;
    explicit Sheet(int xs = 10, int ys = 20)
    {
        csv_create(xs, ys);
        host.tmpdir = dir.path;
    }
    std::string path(const std::string &name) const { return dir / name; }

    // Loads bytes as a whole sheet (or into a region).
    int load(const std::string &text, const CSV_RECT *region = nullptr, CSV_LOADED *ld = nullptr)
    {
        return file.csv_fload_mem(ld, text.data(), text.size(), region);
    }
    // The file text the writer makes.
    std::string text(int mask = CSV_P_ALL, const CSV_RECT *region = nullptr)
    {
        std::string s;
        file.csv_fwrite_mem(s, mask, region);
        return s;
    }
};

// STX and ETX spelled as '{' and '}' in test texts; "\n" as CR LF where asked.
inline std::string sx(std::string t)
{
    for (char &c : t) c = c == '{' ? CSV_STX : c == '}' ? CSV_ETX : c;
    return t;
}
inline std::string crlf(const std::string &t)
{
    std::string s;
    for (char c : t) s += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return s;
}

} // namespace filetest
