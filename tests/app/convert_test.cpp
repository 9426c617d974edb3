// kovash --convert IN OUT, run in-process on files in a temporary folder (the failures a
// process shows are in program_test).
#include "app/convert.h"
#include "tests/support/tmpdir.h"
#include "base/kovtext.h"

#include <gtest/gtest.h>
#include <climits>

using namespace kovtest;

namespace {

class Convert : public ::testing::Test {
protected:
    // "--convert ARGS" in the folder (ARGS split at blanks): the exit status; stderr in err.
    int run(const std::string &args)
    {
        std::vector<std::string> words;
        std::istringstream in(args);
        for (std::string w; in >> w;) words.push_back(w);
        std::vector<char *> argv;
        for (auto &w : words) argv.push_back(w.data());
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd) || chdir(dir.path.c_str()) != 0) return -1;
        testing::internal::CaptureStderr();
        int rc = kov_convert(int(argv.size()), argv.data());
        err = testing::internal::GetCapturedStderr();
        return chdir(cwd) == 0 ? rc : -1;
    }
    TmpDir dir;
    std::string err;
};

} // namespace

// The example of the user guide, byte for byte.
TEST_F(Convert, GuideExample)
{
    spit(dir / "parts.csv", "name,qty,price\n\"東京\",3,12.5\nbolt,\"10\",0.1\n\"a,b \"\"q\"\"\",-2,1e3\n");
    ASSERT_EQ(run("parts.csv parts.kov"), 0) << err;
    ASSERT_EQ(run("parts.kov parts-out.csv"), 0) << err;
    const std::string want = "\"name\",\"qty\",\"price\"\r\n\"東京\",3,12.5\r\n\"bolt\",\"10\",0.1\r\n"
                             "\"a\\x2Cb \\x22q\\x22\",-2,1000\r\n";
    EXPECT_EQ(slurp(dir / "parts-out.csv"), want);
    ASSERT_EQ(run("parts.csv PARTS.TXT"), 0) << err;
    EXPECT_EQ(slurp(dir / "PARTS.TXT"), want);
    EXPECT_NE(slurp(dir / "parts.kov").find("\"bolt\",\"10\",\x02.9A9999999999B93F\x03\r\n"), std::string::npos);
}

TEST_F(Convert, Failures)
{
    EXPECT_EQ(run("."), 2);
    EXPECT_EQ(err.rfind("usage: kovash --convert IN OUT", 0), 0u);
    spit(dir / "in.csv", "1,2\r\n");
    EXPECT_EQ(run(". out.csv"), 1);
    EXPECT_EQ(err, "kovash: ." + kov::sj_to_utf8(" 読込み失敗") + ": Is a directory\n");
    EXPECT_EQ(run("in.csv no/such/out.csv"), 1);
    EXPECT_NE(err.find("kovash: no/such/out.csv" + kov::sj_to_utf8(" 保存失敗") + ": No such file or directory\n"),
              std::string::npos)
        << err;
    spit(dir / "keep.csv", "old\r\n");
    ASSERT_EQ(run("in.csv keep.csv"), 0);
    EXPECT_EQ(slurp(dir / "keep.csv"), "1,2\r\n");
}

// The sample of the user guide converts to the CSV the guide shows (formulas over ranges and a
// function of the sheet's script); the number of passes is the user's.
TEST_F(Convert, RecalculatesFormulas)
{
    const std::string root = std::string(KOV_TEST_DATA) + "/../..";
    ASSERT_EQ(run(root + "/examples/budget.kov budget.csv"), 0) << err;
    std::string guide = slurp(root + "/docs/guide.md"), want;
    size_t at = guide.find("    $ cat budget.csv\n");
    ASSERT_NE(at, std::string::npos);
    for (size_t p = guide.find('\n', at) + 1; guide.compare(p, 4, "    ") == 0; p = guide.find('\n', p) + 1)
        want += guide.substr(p + 4, guide.find('\n', p) - p - 4) + "\r\n";
    EXPECT_EQ(kov::sj_to_utf8(slurp(dir / "budget.csv")), want);

    spit(dir / "f.csv", "\x02=RC[1]+1\x03,\x02=1\x03\r\n");
    static const struct {
        const char *calc, *want;
    } rows[] = {{"", "1,1\r\n"}, {" --calc 2", "2,1\r\n"}, {" --calc 0", ""}};
    for (auto &r : rows) {
        ASSERT_EQ(run(std::string("f.csv o.csv") + r.calc), 0) << r.calc << err;
        EXPECT_EQ(slurp(dir / "o.csv"), r.want) << r.calc;
    }
    EXPECT_EQ(run("f.csv o.csv --calc x"), 2);
    spit(dir / "f.scr", "one(){ return 1; }\nmain() { return 0; }\n");   // LF: left as it is
    ASSERT_EQ(run("f.csv o.kov"), 0) << err;
    EXPECT_EQ(slurp(dir / "f.scr"), "one(){ return 1; }\nmain() { return 0; }\n");
    spit(dir / "f.scr", "main() { return 0 }\n");
    EXPECT_EQ(run("f.csv o.csv"), 1);
    EXPECT_EQ(err, "f.scr:1:19: " + kov::sj_to_utf8("; がない") + "\nkovash: f.csv" + kov::sj_to_utf8(" 再計算失敗") + "\n");
}

// OUT is in IN's encoding unless --encoding names another; a Shift-JIS file stays byte for byte.
TEST_F(Convert, Encoding)
{
    auto u8 = [](const char8_t *s) { return std::string(reinterpret_cast<const char *>(s)); };
    const std::string sj = "\"東京\",3\r\n", utf8 = u8(u8"\"東京\",3\r\n"), bom = "\xEF\xBB\xBF";
    spit(dir / "sj.csv", sj);
    spit(dir / "u.csv", utf8);
    spit(dir / "b.csv", bom + utf8);
    struct { const char *args, *out; std::string want; } rows[] = {
        {"sj.csv o1.csv", "o1.csv", sj},
        {"u.csv o2.csv", "o2.csv", utf8},
        {"b.csv o3.csv", "o3.csv", bom + utf8},
        {"sj.csv o4.csv --encoding utf-8", "o4.csv", utf8},
        {"u.csv o5.csv --encoding sjis", "o5.csv", sj},
        {"b.csv o6.csv --encoding utf-8", "o6.csv", bom + utf8},
        {"--encoding SJIS b.csv o7.csv", "o7.csv", sj},
    };
    for (auto &r : rows) {
        ASSERT_EQ(run(r.args), 0) << r.args << err;
        EXPECT_EQ(slurp(dir / r.out), r.want) << r.args;
    }
    EXPECT_EQ(run("u.csv o8.csv --encoding latin1"), 2);
    EXPECT_EQ(err.rfind("usage: kovash --convert IN OUT [--calc N] [--encoding utf-8|sjis]", 0), 0u);
    EXPECT_FALSE(exists(dir / "o8.csv"));
}
