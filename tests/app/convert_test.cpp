// kovash --convert IN OUT as a process.
#include "tests/app/program.h"
#include "ui/base/kovtext.h"

#include <sys/stat.h>

using namespace kovtest;

namespace {

std::string sheet_golden(const char *name) { return std::string(KOV_TEST_DATA) + "/../sheet/files/" + name; }

class Convert : public ProgramTest {
protected:
    int run(const std::string &args) { return shell("'" + exe + "' --convert " + args); }
};

} // namespace

TEST_F(Convert, CsvToSheetAndBack)
{
    ASSERT_EQ(system(("cp '" + sheet_golden("foreign.csv") + "' '" + dir / "in.csv'").c_str()), 0);
    ASSERT_EQ(run("in.csv mid.kov"), 0) << err;
    EXPECT_EQ(err, "");
    std::string kov = slurp(dir / "mid.kov");
    EXPECT_EQ(kov.rfind("\x02" "FOP_VER\x03" "1.00\r\n", 0), 0u);
    EXPECT_NE(kov.find("\x02" "FOP_XSIZ\x03" "256\r\n"), std::string::npos);
    ASSERT_EQ(run("mid.kov OUT.TXT"), 0) << err;
    EXPECT_EQ(slurp(dir / "OUT.TXT"), slurp(sheet_golden("foreign_out.csv")));
    EXPECT_FALSE(exists(dir / "mid.scr"));   // the converter has no script to write
}

TEST_F(Convert, SheetFileKeepsEverything)
{
    ASSERT_EQ(system(("cp '" + sheet_golden("example.kov") + "' '" + dir / "a.kov'").c_str()), 0);
    ASSERT_EQ(run("a.kov b.kov"), 0) << err;
    ASSERT_EQ(run("b.kov c.kov"), 0) << err;
    std::string b = slurp(dir / "b.kov");
    EXPECT_EQ(b, slurp(dir / "c.kov"));
    EXPECT_NE(b.find("\x02" "FOP_DSPSIZX\x03" "864\r\n"), std::string::npos);   // window state passes through
    EXPECT_NE(b.find("\x02" "=R0C1*2+SUM(R0C1:R0C1)\x03"), std::string::npos);
}

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
