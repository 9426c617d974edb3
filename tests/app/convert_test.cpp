// kovash --convert IN OUT as a process.
#include "tests/app/program.h"
#include "ui/base/kovtext.h"

#include <sys/stat.h>

using namespace kovtest;

namespace {

class Convert : public ProgramTest {
protected:
    int run(const std::string &args) { return shell("'" + exe + "' --convert " + args); }
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
    spit(dir / "bs.csv", "C:\\temp\\new,C:\\\\temp,\"C:\\x5Ctemp\",a\\qb\r\n");
    ASSERT_EQ(run("bs.csv bs-out.csv"), 0) << err;
    EXPECT_EQ(slurp(dir / "bs-out.csv"), "\"C: emp ew\",\"C:\\x5Ctemp\",\"C:\\x5Ctemp\",\"aqb\"\r\n");
}

TEST_F(Convert, Failures)
{
    EXPECT_EQ(run("none.csv x.kov"), 1);
    EXPECT_EQ(err, "kovash: none.csv" + kov::sj_to_utf8(" 読込み失敗") + ": No such file or directory\n");
    EXPECT_FALSE(exists(dir / "x.kov"));
    EXPECT_EQ(run("."), 2);
    EXPECT_EQ(err.rfind("usage: kovash --convert IN OUT", 0), 0u);
    spit(dir / "in.csv", "1,2\r\n");
    EXPECT_EQ(run("in.csv out.xls"), 2);
    EXPECT_EQ(err, "kovash: out.xls" + kov::sj_to_utf8(" 出力ファイルの拡張子は .kov .csv .txt のどれか") + "\n");
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

// A file that is there but may not be read is a load failure: status 1, the reason told, and
// the output left as it was (run as an unprivileged user, since root reads every file).
TEST_F(Convert, UnreadableInputLeavesTheOutputAlone)
{
    spit(dir / "in.csv", "1,2\r\n");
    spit(dir / "out.csv", "old\r\n");
    ASSERT_EQ(chmod((dir / "in.csv").c_str(), 0), 0);
    ASSERT_EQ(chmod(dir.path.c_str(), 0777), 0);
    ASSERT_EQ(chmod((dir / "out.csv").c_str(), 0666), 0);
    std::string as = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    EXPECT_EQ(shell(as + "'" + exe + "' --convert in.csv out.csv"), 1);
    EXPECT_EQ(err, "kovash: in.csv" + kov::sj_to_utf8(" 読込み失敗") + ": Permission denied\n");
    EXPECT_EQ(slurp(dir / "out.csv"), "old\r\n");
}

// The sample of the user guide converts to the CSV the guide shows (formulas over ranges and a
// function of the sheet's script); the number of passes is the user's.
TEST_F(Convert, RecalculatesFormulas)
{
    const std::string root = std::string(KOV_TEST_DATA) + "/../..";
    ASSERT_EQ(run("'" + root + "/examples/budget.kov' budget.csv"), 0) << err;
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
