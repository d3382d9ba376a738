/*
 * Session-log bytes to the text that script waits search: decoding,
 * dropped sequences, the header line, and finding texts across reads.
 */
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text.h"
#include "sessions/output_watch.h"
#include "test_util.h"

namespace {

struct SessionOutput : ::testing::Test {
    OutputWatch W;
    void SetUp() override
    {
        memset(&W, 0, sizeof W);
        WatchRestart(&W);
    }
    void Feed(const std::string &bytes)
    {
        WatchFeed(&W, (const unsigned char *)bytes.data(), (int)bytes.size());
    }
    /* Fed a byte a read, the whole held as text: what any split gives. */
    std::string Bytewise(const std::string &bytes)
    {
        std::string all;
        for (char c : bytes) {
            Feed(std::string(1, c));
            all += Held();
        }
        return all;
    }
    /* The characters of the last feed, as UTF-8. */
    std::string Held()
    {
        static wchar_t fresh[sizeof W.Text / sizeof W.Text[0] + 1];
        int n = (int)(W.Seen - W.FeedFrom);
        memcpy(fresh, W.Text + W.Count - n, n * sizeof(wchar_t));
        fresh[n] = 0;
        return U8(fresh);
    }
    int64_t Find(const char *text, int64_t from = 0)
    {
        WText t(text);
        return WatchFind(&W, t, StrLen(t), from);
    }
};

const std::string Header = "=~=~=~=~=~=~=~=~=~=~=~= PuTTY log 2026.12.11 09:30:00 =~=~=~=~=~=~=~=~=~=~=~=\r\n";

}  // namespace

TEST_F(SessionOutput, HeaderLineIsNotOutput)
{
    Feed(Header + "login: ");
    EXPECT_EQ(Held(), "login: ");
    SetUp();
    EXPECT_EQ(Bytewise(Header + "x"), "x");
    /* a log that does not start with it keeps every byte */
    SetUp();
    EXPECT_EQ(Bytewise("=~=~ PuTTY"), "=~=~ PuTTY");
    /* joined in the middle, nothing is taken for a header */
    SetUp();
    WatchSkip(&W);
    Feed(Header);
    EXPECT_EQ(Held(), Header);
}

TEST_F(SessionOutput, Utf8AcrossReads)
{
    EXPECT_EQ(Bytewise("한글 😀 é"), "한글 😀 é");
    /* overlong forms, surrogates, stray and cut-short sequences go; the
     * byte that cut one short stays */
    Feed("a\xC0\x80" "b\xED\xA0\x80" "c\x80" "d\xE2\x82" "e\xF8" "f");
    EXPECT_EQ(Held(), "abcdef");
    /* C1 controls as well */
    Feed("g\xC2\x85h");
    EXPECT_EQ(Held(), "gh");
}

TEST_F(SessionOutput, SequencesAndControlsDropped)
{
    std::string screen = "\x1b[1;32mOK\x1b[0m \x1b]0;user@host: ~\x07$\x1b]2;t\x1b\\ \x1b(B\x1b=" "a\x07" "b\x08" "c\td\r\n"
                         "\x1bP1$r\x1b\\e\x1b[?2004h\x1b[31\x18" "f";
    std::string want = "OK $ abc\td\r\nef";
    Feed(screen);
    EXPECT_EQ(Held(), want);
    EXPECT_EQ(Bytewise(screen), want);
}

TEST_F(SessionOutput, FindsAcrossReadsInAnyAsciiCase)
{
    WatchSkip(&W);
    Feed(std::string(5000, 'x') + "\x1b[1mTo");
    EXPECT_EQ(Find("Token:"), -1);
    Feed("K\x1b[0m");
    Feed("en: ");
    int64_t end = Find("token:");
    EXPECT_EQ(end, 5000 + 6);
    EXPECT_EQ(Find("TOKEN: "), end + 1);
    /* from the end of a match on, only later text counts */
    EXPECT_EQ(Find("token:", end), -1);
    EXPECT_EQ(Find("en:", 5003), end);
    EXPECT_EQ(Find("en:", 5004), -1);
    /* case is folded for ASCII letters alone */
    Feed("É");
    EXPECT_EQ(Find("é"), -1);
    EXPECT_GT(Find("É"), 0);
    /* only the last 31 characters of earlier reads are kept */
    Feed("Password:" + std::string(31, 'y'));
    Feed("z");
    EXPECT_EQ(Find("Password:"), -1);
    EXPECT_EQ(Find("yz"), W.Seen);
    EXPECT_EQ(Find(""), -1);
}
