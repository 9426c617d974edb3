// A small facade for the sheet file tests: a sheet with its file layer, a host that records what
// it is handed, attention messages caught, and helpers to spell file texts.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "sheet/csvfile.h"
#include "tests/support/sheet_text.h"
#include "tests/support/testhost.h"
#include "tests/support/tmpdir.h"
#include "base/kovlog.h"

namespace filetest {

// A host whose attention lines and file failures are caught (the last one is kept), with a
// private folder for the transfer files.
struct Host : kovtest::TESTHOST {
    std::string tmpdir;
    Host() { kov::log_set_host(this); }
    ~Host() override { kov::log_set_host(nullptr); }
    std::string host_tmp_dir() override { return tmpdir.empty() ? KOV_HOST::host_tmp_dir() : tmpdir; }
    CSV_WINST &ws() { return win; }
    std::string &clip() { return KOV_HOST::clip; }
    // The last message shown: "msgbox TEXT" or "file NAME TEXT".
    std::string last() const { return calls.empty() ? "" : calls.back(); }
};

struct Sheet : sheettest::TextSheet {
    Host host;
    CSVFILE_U file{*this};
    kovtest::TmpDir dir;
    explicit Sheet(int xs = 10, int ys = 20)
    {
        csv_set_host(&host);
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
