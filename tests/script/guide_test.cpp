// The script examples of docs/guide.md run as the guide shows: each indented block with a line
// "$ kovash X.scr; echo $?" holds the script above that line and its output below it (stderr
// lines, then the status). The interpreter runs here with a test host, so the last error line
// and the status are compared.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scrtest.h"

using namespace scrtest;

namespace {

struct EXAMPLE {
    std::string name;                 // X.scr
    std::string text;                 // the script
    std::vector<std::string> out;     // what the guide shows after the command
};

// Indented blocks of the section "## Scripts" (a blank line inside a block continues it).
std::vector<std::vector<std::string>> script_blocks()
{
    std::ifstream in(std::string(KOV_TEST_DATA) + "/../../docs/guide.md");
    std::vector<std::vector<std::string>> blocks;
    std::string line;
    bool inside = false, open = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) inside = line == "## Scripts";
        if (!inside) continue;
        if (line.rfind("    ", 0) == 0) {
            if (!open) blocks.emplace_back();
            blocks.back().push_back(line.substr(4));
            open = true;
        } else if (!line.empty()) {
            open = false;
        }
    }
    return blocks;
}

std::vector<EXAMPLE> examples()
{
    std::vector<EXAMPLE> list;
    for (const auto &b : script_blocks()) {
        EXAMPLE ex;
        size_t i = 0;
        for (; i < b.size() && b[i].rfind("$ ", 0) != 0; i++) ex.text += b[i] + "\n";
        for (; i < b.size(); i++) {
            const std::string &l = b[i];
            if (l.rfind("$ kovash ", 0) == 0 && l.find(".scr; echo $?") != std::string::npos) {
                ex.name = l.substr(9, l.find(';') - 9);
                ex.out.assign(b.begin() + i + 1, b.end());
                break;
            }
        }
        if (!ex.name.empty()) list.push_back(ex);
    }
    return list;
}

// The sheet of the guide's parts.csv: name, quantity, price from row 1.
void parts_sheet(CSV_U &csv)
{
    const char *cells[] = {"name", "qty", "price", "bolt", "10", "3", "nut", "25", "2"};
    for (int k = 0; k < 9; k++)
        if (isdigit((unsigned char)cells[k][0])) csv.csv_put_num(k % 3, k / 3, atof(cells[k]));
        else csv.csv_put_str(k % 3, k / 3, cells[k]);
}

TEST(Guide, ScriptExamplesGiveWhatTheGuideShows)
{
    std::vector<EXAMPLE> list = examples();
    ASSERT_GE(list.size(), 9u);
    for (const EXAMPLE &ex : list) {
        ASSERT_FALSE(ex.out.empty()) << ex.name;
        ENV e;
        if (ex.name == "parts.scr") {
            e.prepare = parts_sheet;
            parts_sheet(e.csv);
        }
        RUN r = e.run(ex.text.c_str());
        int status = r.linked && r.ran ? r.status & 0xFF : 255;
        EXPECT_EQ(std::to_string(status), ex.out.back()) << ex.name << ": " << kov::sj_to_utf8(r.err);
        if (ex.out.size() < 2) continue;
        std::ostringstream err;
        err << ex.name << ":" << r.row + 1 << ":" << r.col + 1 << ": " << kov::sj_to_utf8(r.err);
        EXPECT_EQ(err.str(), ex.out[ex.out.size() - 2]) << ex.name;
    }
}

}  // namespace
