/*
 * The broadcast bar without windows: which typed keys go out as what,
 * pasted text, the label and the line history.
 */
#include <gtest/gtest.h>

#include <string>

#include "ui/shell/broadcast_rules.h"
#include "test_util.h"

namespace {

std::string Events(const KeyEvent *e, int n)
{
    std::string out;
    for (int i = 0; i < n; i++)
        out += (e[i].Kind == KEY_KEY ? "[K" : "<") + std::to_string(e[i].Value) + (e[i].Kind == KEY_KEY ? "]" : ">");
    return out;
}

std::string Char(int ch)
{
    KeyEvent e;
    int action = BarLiveChar(ch, &e);
    const char *names[] = { "box", "send", "only", "clear" };
    return std::string(names[action]) + (action == BAR_CHAR_BOX ? "" : Events(&e, 1));
}

} // namespace

TEST(BroadcastRules, LiveKeys)
{
    EXPECT_EQ(Char('a'), "send<97>");
    EXPECT_EQ(Char(0xD55C), "send<54620>");     /* 한, as the input method gives it */
    EXPECT_EQ(Char(13), "clear<13>");
    EXPECT_EQ(Char(10), "clear<13>");           /* Ctrl+Enter */
    EXPECT_EQ(Char(9), "only<9>");
    EXPECT_EQ(Char(27), "only<27>");
    EXPECT_EQ(Char(3), "only<3>");              /* Ctrl+C goes out, nothing is copied */
    EXPECT_EQ(Char(8), "box");                  /* its key went out already */
    EXPECT_EQ(Char(22), "box");                 /* Ctrl+V pastes */
    EXPECT_EQ(Char(127), "box");
    KeyEvent e;
    for (int vk : { 0x08, 0x26, 0x28, 0x25, 0x27, 0x24, 0x23, 0x21, 0x22, 0x2D, 0x2E, 0x70, 0x74, 0x7B }) {
        ASSERT_TRUE(BarLiveKey(vk, &e)) << vk;
        EXPECT_EQ(Events(&e, 1), "[K" + std::to_string(vk) + "]");
    }
    for (int vk : { 0x0D, 0x09, 0x1B, 0x41, 0x10, 0x11, 0x7C })    /* sent as characters, or not at all */
        EXPECT_FALSE(BarLiveKey(vk, &e)) << vk;
}

TEST(BroadcastRules, PasteLabelAndHistory)
{
    KeyEvent e[16];
    int n = BarTextEvents(L"ls\r\npwd\nx\ry", e, 16);
    EXPECT_EQ(Events(e, n), "<108><115><13><112><119><100><13><120><13><121>");
    EXPECT_EQ(BarTextEvents(L"a much longer text", e, 4), 18);
    EXPECT_EQ(BarTextEvents(L"", e, 4), 0);

    wchar_t label[64];
    BarLabel(label, 64, 0);
    EXPECT_EQ(U8(label), "동시 입력 (묶인 세션 없음):");
    BarLabel(label, 64, 12);
    EXPECT_EQ(U8(label), "동시 입력 (12개 세션):");

    BarHistory h = {};
    EXPECT_EQ(BarHistoryOlder(&h), nullptr);
    EXPECT_EQ(BarHistoryNewer(&h), nullptr);
    BarHistoryAdd(&h, L"one");
    BarHistoryAdd(&h, L"");
    BarHistoryAdd(&h, L"two");
    BarHistoryAdd(&h, L"two");                  /* the newest again is not kept twice */
    EXPECT_EQ(h.Count, 2);
    EXPECT_EQ(U8(BarHistoryOlder(&h)), "two");
    EXPECT_EQ(U8(BarHistoryOlder(&h)), "one");
    EXPECT_EQ(BarHistoryOlder(&h), nullptr);
    EXPECT_EQ(U8(BarHistoryNewer(&h)), "two");
    EXPECT_EQ(U8(BarHistoryNewer(&h)), "");     /* past the newest: an empty line */
    EXPECT_EQ(BarHistoryNewer(&h), nullptr);
    for (int i = 0; i < 60; i++)
        BarHistoryAdd(&h, WText("line " + std::to_string(i)));
    EXPECT_EQ(h.Count, BAR_HISTORY_MAX);
    EXPECT_EQ(U8(h.Lines[0]), "line 10");
    EXPECT_EQ(U8(BarHistoryOlder(&h)), "line 59");
    BarHistoryFree(&h);
    EXPECT_EQ(h.Count, 0);
}
