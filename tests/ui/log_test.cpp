#include "ui/base/kovlog.h"
#include "tests/ui/tmpdir.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

using namespace kov;
using namespace kovtest;

namespace {

void fixed_clock(struct tm *t)
{
    memset(t, 0, sizeof *t);
    t->tm_year = 2026 - 1900;
    t->tm_mon = 2;  // March
    t->tm_mday = 5;
    t->tm_hour = 7;
    t->tm_min = 8;
    t->tm_sec = 9;
}

std::vector<std::string> g_boxes;
void box(const char *text) { g_boxes.push_back(text); }

class Log : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_path = dir / "KOVASH.LOG";
        log_set_path(log_path.c_str());
        log_set_debug(0);
        log_set_clock(fixed_clock);
        log_set_msgbox(box);
        g_boxes.clear();
    }
    void TearDown() override
    {
        log_set_path(nullptr);
        log_set_debug(0);
        log_set_clock(nullptr);
        log_set_msgbox(nullptr);
    }
    TmpDir dir;
    std::string log_path;
};

} // namespace

TEST_F(Log, HeaderCarriesTagSourceLineAndTime)
{
    log_write(1, "KOV", 12, "abc %d", 5);
    log_set_debug(1);
    log_write(0, "KOV", 12345, "変数 %s は定義済", "x");
    EXPECT_EQ(slurp(log_path), "[ATT]KOV(   12) 26/03/05 07:08.09 abc 5\r\n"
                               " LOG KOV(12345) 26/03/05 07:08.09 変数 x は定義済\r\n");
}

TEST_F(Log, TraceLinesOnlyWithDebug)
{
    KOV_LOG("hidden");
    KOV_ATT("shown");
    int line = __LINE__ - 1;
    log_set_debug(1);
    KOV_LOG("traced");
    std::string got = slurp(log_path);
    EXPECT_EQ(got.find("hidden"), std::string::npos);
    char head[64];
    snprintf(head, sizeof head, "[ATT]KOV(%5d) 26/03/05 07:08.09 shown\r\n", line);
    EXPECT_EQ(got.rfind(head, 0), 0u) << got;
    EXPECT_NE(got.find(" LOG KOV("), std::string::npos);
    EXPECT_NE(got.find(" traced\r\n"), std::string::npos);
}

TEST_F(Log, AttentionGoesToTheMessageBoxOnly)
{
    log_set_debug(1);
    KOV_LOG("trace");
    KOV_ATT("ウインドウ open 失敗");
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], "ウインドウ open 失敗");
}

TEST_F(Log, AttentionWithoutHookGoesToStderrInUtf8)
{
    log_set_msgbox(nullptr);
    testing::internal::CaptureStderr();
    KOV_ATT("メモリ不足");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\xE3\x83\xA1\xE3\x83\xA2\xE3\x83\xAA\xE4\xB8\x8D\xE8\xB6\xB3\n");
}

TEST_F(Log, MessageCutAt1024BytesOnACharacterBoundary)
{
    struct { size_t pad; size_t want; } cases[] = {
        {1100, 1024},  // plain text: cut at 1024
        {1023, 1023},  // a double-byte character at 1023..1024 is dropped whole
        {1022, 1024},  // ... and kept whole when it ends at 1024
    };
    for (auto &c : cases) {
        g_boxes.clear();
        std::string msg(c.pad, 'a');
        msg += "漢字";
        KOV_ATT("%s", msg.c_str());
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].size(), c.want) << c.pad;
        EXPECT_EQ(g_boxes[0], msg.substr(0, c.want));
    }
    std::string got = slurp(log_path);
    EXPECT_NE(got.find(std::string(1024, 'a') + "\r\n"), std::string::npos);
}

TEST_F(Log, TrailingEndOfFileByteIsOverwritten)
{
    spit(log_path, "old\r\n\x1A");
    log_write(1, "KOV", 1, "new");
    EXPECT_EQ(slurp(log_path), "old\r\n[ATT]KOV(    1) 26/03/05 07:08.09 new\r\n");
    // 0x1A inside the file is data, not an end mark.
    spit(log_path, "a\x1A" "b");
    log_write(1, "KOV", 1, "x");
    EXPECT_EQ(slurp(log_path).substr(0, 3), "a\x1A" "b");
}

TEST_F(Log, FullLogBecomesTheOldFile)
{
    std::string old = dir / "KOVASH.OLD";
    spit(old, "previous old");
    spit(log_path, std::string(LOG_ROTATE_SIZE - 10, 'x'));
    log_write(1, "KOV", 1, "tip");
    EXPECT_FALSE(exists(log_path));
    ASSERT_GT(file_size(old), LOG_ROTATE_SIZE - 1);
    std::string o = slurp(old);
    EXPECT_EQ(o.substr(o.size() - 6), " tip\r\n");
    log_write(1, "KOV", 1, "fresh");
    EXPECT_EQ(slurp(log_path), "[ATT]KOV(    1) 26/03/05 07:08.09 fresh\r\n");
}

TEST_F(Log, LogBelowTheLimitStays)
{
    spit(log_path, std::string(LOG_ROTATE_SIZE - 100, 'x'));
    log_write(1, "KOV", 1, "tip");
    EXPECT_TRUE(exists(log_path));
    EXPECT_FALSE(exists(dir / "KOVASH.OLD"));
}

TEST_F(Log, OldPathReplacesTheExtension)
{
    char buf[300];
    log_old_path("/a.b/kovash.LOG", buf, sizeof buf);
    EXPECT_STREQ(buf, "/a.b/kovash.OLD");
    log_old_path("/a.b/kovash", buf, sizeof buf);
    EXPECT_STREQ(buf, "/a.b/kovash.OLD");
}

TEST_F(Log, UnwritablePlaceIsHarmless)
{
    spit(dir / "file", "x");
    std::string bad = dir / "file/KOVASH.LOG";  // a file where a folder should be
    log_set_path(bad.c_str());
    log_write(1, "KOV", 1, "lost");
    log_set_path(nullptr);
    log_write(1, "KOV", 1, "nowhere");
    EXPECT_EQ(g_boxes.size(), 2u);
}
