#include "base/kovlog.h"
#include "tests/support/testhost.h"
#include "tests/support/tmpdir.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace kov;
using namespace kovtest;

namespace {

// The host's message boxes, as "msgbox TEXT" lines, without that prefix.
struct BOXES : TESTSYS {
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> b;
        for (const std::string &c : calls) b.push_back(c.substr(c.find(' ') + 1));
        return b;
    }
};

class Log : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_set_path(log_path.c_str());
        log_set_debug(0);
        struct tm t = {};
        t.tm_year = 126, t.tm_mon = 2, t.tm_mday = 5, t.tm_hour = 7, t.tm_min = 8, t.tm_sec = 9, t.tm_isdst = -1;
        host.now = mktime(&t);   // 2026-03-05 07:08:09 local time
        log_set_host(&host);
    }
    void TearDown() override
    {
        log_set_path(nullptr);
        log_set_debug(0);
        log_set_host(nullptr);
    }
    TmpDir dir;
    std::string log_path = dir / "KOVASH.LOG";
    BOXES host;
};

} // namespace

TEST_F(Log, LevelsAndHeader)
{
    KOV_LOG("hidden");  // trace lines only with DEBUG 1
    log_write(1, "KOV", 12, "abc %d", 5);
    log_set_debug(1);
    log_write(0, "KOV", 12345, "変数 %s は定義済", "x");
    EXPECT_EQ(slurp(log_path), "[ATT]KOV(   12) 26/03/05 07:08.09 abc 5\r\n"
                               " LOG KOV(12345) 26/03/05 07:08.09 変数 x は定義済\r\n");
    EXPECT_EQ(host.boxes(), std::vector<std::string>{"abc 5"});  // only attention lines are shown
    spit(dir / "file", "x");
    log_set_path((dir / "file/KOVASH.LOG").c_str());  // a file where a folder should be: harmless
    KOV_ATT("lost");
    log_set_path(nullptr);
    KOV_ATT("nowhere");
    EXPECT_EQ(host.boxes(), std::vector<std::string>({"abc 5", "lost", "nowhere"}));
    log_set_host(nullptr);
    testing::internal::CaptureStderr();
    KOV_ATT("メモリ不足");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\xE3\x83\xA1\xE3\x83\xA2\xE3\x83\xAA\xE4\xB8\x8D\xE8\xB6\xB3\n");
}

TEST_F(Log, MessageCutAt1024BytesOnACharacterBoundary)
{
    struct { size_t pad, want; } cases[] = {
        {1100, 1024},  // plain text: cut at 1024
        {1023, 1023},  // a double-byte character at 1023..1024 is dropped whole
        {1022, 1024},  // ... and kept whole when it ends at 1024
    };
    for (auto &c : cases) {
        host.calls.clear();
        std::string msg = std::string(c.pad, 'a') + "漢字";
        KOV_ATT("%s", msg.c_str());
        EXPECT_EQ(host.boxes().at(0), msg.substr(0, c.want)) << c.pad;
    }
    EXPECT_NE(slurp(log_path).find(std::string(1024, 'a') + "\r\n"), std::string::npos);
}

TEST_F(Log, TrailingEndOfFileByteIsOverwritten)
{
    spit(log_path, "old\r\n\x1A");
    log_write(1, "KOV", 1, "new");
    EXPECT_EQ(slurp(log_path), "old\r\n[ATT]KOV(    1) 26/03/05 07:08.09 new\r\n");
    spit(log_path, "a\x1A" "b");  // 0x1A inside the file is data
    log_write(1, "KOV", 1, "x");
    EXPECT_EQ(slurp(log_path).substr(0, 3), "a\x1A" "b");
}

TEST_F(Log, FullLogBecomesTheOldFile)
{
    std::string old = dir / "KOVASH.OLD";
    spit(log_path, std::string(LOG_ROTATE_SIZE - 100, 'x'));
    log_write(1, "KOV", 1, "tip");
    EXPECT_FALSE(exists(old));  // below the limit it stays
    spit(old, "previous old");
    spit(log_path, std::string(LOG_ROTATE_SIZE - 10, 'x'));
    log_write(1, "KOV", 1, "tip");
    EXPECT_FALSE(exists(log_path));
    EXPECT_EQ(slurp(old), std::string(LOG_ROTATE_SIZE - 10, 'x') + "[ATT]KOV(    1) 26/03/05 07:08.09 tip\r\n");
    char buf[300];
    log_old_path("/a.b/kovash", buf, sizeof buf);  // no extension: appended
    EXPECT_STREQ(buf, "/a.b/kovash.OLD");
}
