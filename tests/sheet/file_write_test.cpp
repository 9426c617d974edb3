// The writer: field texts, the option header, the script file, and files that are replaced only
// once complete (what is written reads back the same: fuzz_save).
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstring>
#include <random>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>

#include "tests/support/file_facade.h"

using filetest::crlf;
using filetest::Sheet;
using filetest::sx;
using kovtest::ls;
using kovtest::slurp;
using kovtest::spit;

TEST(FileWrite, FieldsOfBothFormatsAndTheOptionHeader)
{
    Sheet s(5, 4);
    s.csv_put_num(0, 0, 0.1);
    s.csv_put_num(1, 0, 1.0 / 3);
    s.csv_put_num(2, 0, 1e20);
    s.csv_put_num(3, 0, -0.0);
    s.csv_put_num(0, 2, 123456789012345678.0);
    s.csv_put_str(1, 2, "a,\"b\\");
    s.csv_put_form(2, 2, "\"x,y\"&R0C0");
    s.csv_put_num(2, 2, 2.5);
    s.csv_set_attr(2, 2, CSV_A_BACK, 6);
    s.csv_set_attr(4, 3, CSV_A_TEXT, 12);
    s.csv_set_attr(4, 3, CSV_A_FMT, 63);
    EXPECT_EQ(s.text(CSV_P_VAL), "0.1,0.3333333333333333,1e+20,-0\r\n"
                                 "\r\n"
                                 "1.234567890123457e+17,\"a\\x2C\\x22b\\x5C\",2.5\r\n");
    s.csv_scrlock = 1;
    s.csv_cnrow = 2;
    s.csv_cyclems = 250;
    s.csv_set_wide(1, 7);
    s.host.ws().v[CSV_WS_FONTSIZ] = 16;
    // Numbers as the bytes of the double, little-endian.
    EXPECT_EQ(s.text(), sx(crlf("{FOP_VER}1.00\n{FOP_YOFF}0\n{FOP_XOFF}0\n{FOP_YSIZ}4\n{FOP_XSIZ}5\n"
                                "{FOP_SCRLOCK}1\n{FOP_WPBEEP}0\n{FOP_RNWID}5\n{FOP_CNROW}2\n{FOP_RNCOL}-1\n"
                                "{FOP_CYCLEMS}250\n{FOP_DSPPOSX}-1\n{FOP_DSPPOSY}-1\n{FOP_CSRPOSX}0\n"
                                "{FOP_CSRPOSY}0\n{FOP_DSPSIZX}-1\n{FOP_DSPSIZY}-1\n{FOP_FONTSIZ}16\n"
                                "{FOP_TOOLBAR}-1\n{FOP_STATBAR}-1\n{FOP_ROWNAME}-1\n{FOP_COLNAME}-1\n"
                                "{FOP_HSCROLL}-1\n{FOP_VSCROLL}-1\n{FOP_FULLSIZ}-1\n{FOP_WID}10,7,10,10,10\n"
                                "{.9A9999999999B93F},{.555555555555D53F},{.408CB5781DAF1544},{.0000000000000080}\n\n"
                                "{.350F63BAB4697B43},\"a\\x2C\\x22b\\x5C\",{060000}{=\\x22x\\x2Cy\\x22&R0C0}"
                                "{.0000000000000440}\n,,,,{<0000o}\n")));
    // A region: its origin and size, then only its rows and columns.
    CSV_RECT r = {1, 2, 2, 3};
    std::string t = s.text(CSV_P_ALL, &r);
    EXPECT_NE(t.find(sx("{FOP_YOFF}2\r\n{FOP_XOFF}1\r\n{FOP_YSIZ}2\r\n{FOP_XSIZ}2\r\n")), std::string::npos);
    EXPECT_EQ(t.substr(t.find(sx("{FOP_WID}"))), sx(crlf("{FOP_WID}10,7,10,10,10\n\"a\\x2C\\x22b\\x5C\","
                                                         "{060000}{=\\x22x\\x2Cy\\x22&R0C0}{.0000000000000440}\n,\n")));
}

// Values-only numbers are "%.16g"; the fast layouts must give the very bytes of the general
// formatter, also where the shortest digits and the 16-digit rounding part (near powers of ten,
// leading digits 5 to 9), for whole numbers, signs and the ends of the range.
TEST(FileWrite, NumberTextsAsSixteenDigits)
{
    struct { double d; const char *want; } rows[] = {
        {0, "0"}, {-0.0, "-0"}, {1e15, "1000000000000000"}, {9999999999999998.0, "9999999999999998"},
        {1e16, "1e+16"}, {-123456789012345678.0, "-1.234567890123457e+17"}, {0.1, "0.1"},
        {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.3333333333333333"}, {1e-4, "0.0001"}, {1.5e-5, "1.5e-05"},
        {1e23, "9.999999999999999e+22"}, {9.1, "9.1"}, {5e-324, "4.940656458412465e-324"},
        {DBL_MAX, "1.797693134862316e+308"}, {HUGE_VAL, "inf"}, {-HUGE_VAL, "-inf"},
    };
    char b[32];
    for (auto &r : rows) {
        csv_num_text(b, r.d);
        EXPECT_STREQ(b, r.want) << r.want;
    }
    auto same = [&](double d) {
        char want[32];
        *std::to_chars(want, want + 31, d, std::chars_format::general, 16).ptr = 0;
        int n = csv_num_text(b, d);
        return strcmp(b, want) == 0 && n == int(strlen(want));
    };
    std::mt19937_64 rnd(1);
    int bad = 0;
    for (int i = 0; i < 200000; i++) {
        double d = std::bit_cast<double>(rnd());   // any double at all
        char t[32];
        snprintf(t, sizeof t, "%llue%d", (unsigned long long)(rnd() % 100000000), int(rnd() % 60) - 30);
        double dec = strtod(t, nullptr);   // a few digits, as typed into a sheet
        bad += !same(d) + !same(dec) + !same(std::nextafter(dec, 0.0)) + !same(-dec);
    }
    EXPECT_EQ(bad, 0);
}

TEST(FileWrite, LongTextAndDoubleByte)
{
    Sheet s;
    std::string big(5000, 'x');
    s.csv_put_str(0, 0, big.c_str());
    // 4094 bytes then a double-byte character across the cut: it is left out whole.
    std::string cut = std::string(4094, 'y') + "\x95\x5C";
    s.csv_put_str(0, 1, cut.c_str());
    s.csv_put_str(0, 2, "\x83\x5C\x81\x22\x81");   // a broken pair and a lone lead byte at the end
    std::string t = s.text(CSV_P_VAL);
    EXPECT_EQ(t.substr(0, 4099), "\"" + std::string(4095, 'x') + "\"\r\n");
    EXPECT_EQ(t.substr(4099, 4098), "\"" + std::string(4094, 'y') + "\"\r\n");
    EXPECT_EQ(t.substr(8197), "\"\x83\x5C\\x81\\x22\\x81\"\r\n");
    Sheet back;
    ASSERT_EQ(back.load(t), 0);
    EXPECT_EQ(back.val(0, 2), "\x83\x5C\x81\x22\x81");
}

TEST(FileWrite, ScriptFileFollowsTheEditor)
{
    Sheet s;
    std::string scr = s.path("a.scr");
    spit(scr, "old\r\n");
    ASSERT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(scr), "old\r\n");  // no editor: left alone
    s.host.host_ed_setname(scr.c_str());
    s.host.host_ed_put("main()\n{\r\n}\n");
    ASSERT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), nullptr), 0);
    EXPECT_EQ(slurp(scr), "main()\r\n{\r\n}\r\n");
    s.host.host_ed_put("");  // a region save leaves it; an empty editor deletes it
    CSV_RECT r = {0, 0, 0, 0};
    ASSERT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), &r), 0);
    EXPECT_TRUE(kovtest::exists(scr));
    ASSERT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), nullptr), 0);
    EXPECT_FALSE(kovtest::exists(scr));
    ASSERT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), nullptr), 0);   // nothing to delete
    s.host.host_ed_put("x");  // a script that cannot be written fails the save
    s.host.host_ed_setname(s.path("no/such.scr").c_str());
    EXPECT_EQ(s.file.csv_fsave(s.path("a.kov").c_str(), nullptr), -1);
}

// A file that cannot be created, or (in a child limited to a small file size, SIGXFSZ ignored so
// that writes fail with EFBIG) not written whole, fails the save; what was there stays as it was.
TEST(FileWrite, FailedSavesKeepTheOldFile)
{
    Sheet s(20, 5000);
    for (int y = 0; y < 5000; y++) s.csv_put_str(0, y, "some text to fill the file");
    std::string name = s.path("keep.kov"), d = s.path("sub.kov"), deep = s.path("none/x.kov");
    ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
    for (const std::string &n : {d, deep}) {
        EXPECT_EQ(s.file.csv_fwrite(n.c_str(), CSV_P_ALL, nullptr), -1);
        EXPECT_EQ(s.host.last(), "file " + n + " 作成失敗");
    }
    EXPECT_EQ(s.csv_get_modify(), 1);
    spit(name, "previous content\r\n");
    chmod(name.c_str(), 0640);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &rl);
        int rc = s.file.csv_fsave(name.c_str(), nullptr);
        _exit(rc == -1 && s.host.last() == "file " + name + " 書込失敗" ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(slurp(name), "previous content\r\n");
    EXPECT_EQ(ls(s.dir.path), std::vector<std::string>({"keep.kov", "sub.kov"}));
    // Without the limit the save replaces it and keeps its permissions.
    ASSERT_EQ(s.file.csv_fsave(name.c_str(), nullptr), 0);
    struct stat st;
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_GT(st.st_size, 5000 * 28);
}

// A save onto a folder, a FIFO or a device names its true reason, and leaves the node as it was.
TEST(FileWrite, SaveOntoAnotherKindOfFileSaysWhy)
{
    Sheet s(3, 3);
    s.csv_put_num(0, 0, 1);
    std::string d = s.path("sub.kov"), fifo = s.path("pipe.kov");
    ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string name;
        int err;
    } rows[] = {{d, EISDIR}, {fifo, KOV_ENOTREG}, {"/dev/null", KOV_ENOTREG}};
    for (auto &row : rows) {
        EXPECT_EQ(s.file.csv_fwrite(row.name.c_str(), CSV_P_ALL, nullptr), -1) << row.name;
        EXPECT_EQ(s.file.csv_err, row.err) << row.name;
        char why[256];
        FILE *m = fmemopen(why, sizeof why, "w");
        kov_print_file_err(m, row.name.c_str(), " 保存失敗", s.file.csv_err);
        fclose(m);
        EXPECT_EQ(std::string(why).find("Is a directory") != std::string::npos, row.err == EISDIR) << why;
    }
    struct stat st;
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
