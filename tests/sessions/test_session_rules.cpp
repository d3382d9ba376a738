/*
 * The decisions of the session life cycle and the window capture.
 */
#include <gtest/gtest.h>

#include <limits.h>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/session_rules.h"
#include "test_util.h"

struct SessionRules : ::testing::Test {
    void SetUp() override { SettingsSetDefaults(); }
    void TearDown() override { SettingsSetDefaults(); }
};

TEST_F(SessionRules, EndSettings)
{
    /* defaults: close on a normal end, keep an abnormal one, no reconnect */
    EXPECT_EQ(SessionEndAction(true, true), END_CLOSE);
    EXPECT_EQ(SessionEndAction(false, true), END_KEEP);
    Settings.CloseOnNormalEnd = 0;
    EXPECT_EQ(SessionEndAction(true, true), END_KEEP);
    Settings.AutoReconnect = 1;
    EXPECT_EQ(SessionEndAction(true, true), END_KEEP);       /* normal ends never reconnect */
    EXPECT_EQ(SessionEndAction(false, true), END_RECONNECT);
    EXPECT_EQ(SessionEndAction(false, false), END_KEEP);     /* attached windows cannot restart */
    Settings.KeepOnAbnormalEnd = 0;
    EXPECT_EQ(SessionEndAction(false, false), END_CLOSE);

    /* "(inactive)": the same choices, but a kept tab stays Running */
    EXPECT_EQ(DisconnectAction(true), END_RECONNECT);
    EXPECT_EQ(DisconnectAction(false), END_CLOSE);
    Settings.KeepOnAbnormalEnd = 1;
    Settings.AutoReconnect = 0;
    EXPECT_EQ(DisconnectAction(true), END_KEEP);
}

static std::string Caption(int tabCaption, const char *title, const ServerNode *node)
{
    wchar_t out[256];
    ComposeCaption(out, 256, tabCaption, title ? (const wchar_t *)WText(title) : nullptr, node);
    return U8(out);
}

TEST_F(SessionRules, Caption)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    StrAssign(&n->DisplayName, L"웹 서버");
    StrAssign(&n->ServerName, L"10.0.0.5");
    EXPECT_EQ(Caption(0, "root@web: ~", n), "웹 서버");
    EXPECT_EQ(Caption(1, "root@web: ~", n), "root@web: ~");
    EXPECT_EQ(Caption(1, "", n), "웹 서버");                /* no title yet */
    StrAssign(&n->DisplayName, NULL);
    EXPECT_EQ(Caption(0, "t", n), "10.0.0.5");
    StrAssign(&n->ServerName, NULL);
    EXPECT_EQ(Caption(0, "t", n), "t");
    EXPECT_EQ(Caption(0, nullptr, n), "PuTTY");
    EXPECT_EQ(Caption(0, "attached - PuTTY", nullptr), "attached - PuTTY");
    EXPECT_EQ(Caption(0, nullptr, nullptr), "PuTTY");
    std::string longName(400, 'x');
    StrAssign(&n->DisplayName, WText(longName));
    EXPECT_EQ(Caption(0, nullptr, n), std::string(255, 'x'));
    NodeFree(n);
}

static std::string Status(int state, int exitCode, const char *text, int left, int attempts,
                          const char *reason = nullptr)
{
    wchar_t out[600];
    ComposeStatusText(out, 600, state, exitCode, text ? (const wchar_t *)WText(text) : nullptr, left, attempts,
                      reason ? (const wchar_t *)WText(reason) : nullptr);
    return U8(out);
}

TEST_F(SessionRules, StatusTextAndCountDown)
{
    EXPECT_EQ(Status(SESSION_STARTING, 0, nullptr, 0, 0), "PuTTY를 시작하는 중입니다…");
    EXPECT_EQ(Status(SESSION_ENDED, -1073741510, nullptr, 0, 0),
              "세션이 종료되었습니다 (종료 코드 -1073741510).");
    EXPECT_EQ(Status(SESSION_FAILED, 0, nullptr, 0, 0), "PuTTY를 시작하지 못했습니다.");
    EXPECT_EQ(Status(SESSION_FAILED, 0, "PuTTY를 실행하지 못했습니다 (오류 193).", 0, 0),
              "PuTTY를 실행하지 못했습니다 (오류 193).");
    EXPECT_EQ(Status(SESSION_RECONNECT_WAIT, 1, nullptr, 3, 2),
              "연결이 끊어졌습니다. 3초 후 다시 연결합니다… (2번째 시도)");
    EXPECT_EQ(Status(SESSION_RUNNING, 0, "x", 0, 0), "");
    /* PuTTY's words on the lost connection, on a line of their own */
    EXPECT_EQ(Status(SESSION_RECONNECT_WAIT, 1, nullptr, 3, 1, "Network error: Connection reset by peer"),
              "연결이 끊어졌습니다. 3초 후 다시 연결합니다… (1번째 시도)\nNetwork error: Connection reset by peer");
    EXPECT_EQ(Status(SESSION_ENDED, 0, nullptr, 0, 0, "x"), "세션이 종료되었습니다 (종료 코드 0).\nx");
    EXPECT_EQ(Status(SESSION_ENDED, 0, nullptr, 0, 0, ""), "세션이 종료되었습니다 (종료 코드 0).");
    EXPECT_EQ(Status(SESSION_STARTING, 0, nullptr, 0, 0, "x"), "PuTTY를 시작하는 중입니다…");
    EXPECT_EQ(Status(SESSION_RUNNING, 0, nullptr, 0, 0, "x"), "");
    EXPECT_TRUE(IsFatalErrorTitle(L"PuTTY Fatal Error"));
    EXPECT_TRUE(IsFatalErrorTitle(L"KiTTY Fatal Error"));
    EXPECT_FALSE(IsFatalErrorTitle(L"PuTTY Security Alert"));
    EXPECT_FALSE(IsFatalErrorTitle(L"Fatal Error in a title"));
    EXPECT_FALSE(IsFatalErrorTitle(L"Error"));

    /* 5, 4, 3, 2, 1, then the restart at 5000 ms */
    EXPECT_EQ(ReconnectSecondsLeft(5, 0), 5);
    EXPECT_EQ(ReconnectSecondsLeft(5, 999), 5);
    EXPECT_EQ(ReconnectSecondsLeft(5, 1000), 4);
    EXPECT_EQ(ReconnectSecondsLeft(5, 4999), 1);
    EXPECT_EQ(ReconnectSecondsLeft(5, 5000), 0);
    EXPECT_EQ(ReconnectSecondsLeft(5, 0xFFFFFFF0u), 0);      /* a clock far ahead */
    EXPECT_EQ(ReconnectSecondsLeft(0, 0), 0);
}

TEST_F(SessionRules, AnyReconnectDelayWaitsItsTime)
{
    EXPECT_FALSE(ReconnectDue(5, 4999));
    EXPECT_TRUE(ReconnectDue(5, 5000));
    /* nine digits from the dialog, and more from the file: in milliseconds
     * beyond 32 bits, yet no immediate restart */
    for (int delay : { 999999999, INT_MAX, 4294968 }) {
        EXPECT_FALSE(ReconnectDue(delay, 0)) << delay;
        EXPECT_FALSE(ReconnectDue(delay, 0xFFFFFFFFu)) << delay;
        EXPECT_EQ(ReconnectSecondsLeft(delay, 0), delay);
        EXPECT_EQ(ReconnectSecondsLeft(delay, 0xFFFFFFFFu), delay - 4294967);
    }
    EXPECT_TRUE(ReconnectDue(4294967, 0xFFFFFFFFu));
    /* none or a negative one: at once */
    for (int delay : { 0, -1, -999999999, INT_MIN }) {
        EXPECT_TRUE(ReconnectDue(delay, 0)) << delay;
        EXPECT_EQ(ReconnectSecondsLeft(delay, 0), 0) << delay;
        EXPECT_EQ(ReconnectSecondsLeft(delay, 123456), 0) << delay;
    }
}

TEST_F(SessionRules, CaptureStyles)
{
    /* WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN: frame bits go, WS_CHILD comes */
    EXPECT_EQ(CapturedStyle(0x10CF0000u | 0x02000000u), 0x52000000u);
    /* popup, minimised, maximised and disabled: only WS_DISABLED survives */
    EXPECT_EQ(CapturedStyle(0x80000000u | 0x20000000u | 0x01000000u | 0x08000000u), 0x48000000u);
    /* scroll bars and class bits stay */
    EXPECT_EQ(CapturedStyle(0x00300000u | 0x0000ABCDu), 0x4030ABCDu);
    /* WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES */
    EXPECT_EQ(CapturedExStyle(0x00000008u | 0x00040000u | 0x00000100u | 0x00000010u), 0x00000010u);
    EXPECT_EQ(CapturedExStyle(0xFFFFFFFFu), 0xFFF9FCF6u);
    /* detach: child and minimised cleared, visible set */
    EXPECT_EQ(DetachedStyle(0x20CF0000u | 0x40000000u), 0x10CF0000u);
}

static std::string Fit(int dx, int dy, int db, int w, int h)
{
    FitRect r = FitTarget(dx, dy, db, w, h);
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

TEST_F(SessionRules, FitTarget)
{
    EXPECT_EQ(Fit(8, 31, 8, 800, 600), "-8,-31,808,608");
    EXPECT_EQ(Fit(0, 0, 0, 800, 600), "0,0,800,600");
    EXPECT_EQ(Fit(64, 128, 64, 10, 10), "-64,-128,74,74");
    EXPECT_EQ(Fit(65, 31, 8, 800, 600), "0,0,800,600");     /* implausible: no frame */
    EXPECT_EQ(Fit(8, 129, 8, 800, 600), "0,0,800,600");
    EXPECT_EQ(Fit(-1, 31, 8, 800, 600), "0,0,800,600");
    EXPECT_EQ(Fit(8, 31, -1, 800, 600), "0,0,800,600");
    EXPECT_EQ(Fit(8, 31, 65, 800, 600), "0,0,800,600");
}

TEST_F(SessionRules, ActivationAfterRemoval)
{
    /* the active session stays active when another one goes */
    EXPECT_EQ(IndexAfterRemoval(1, 3, 4), 2);
    EXPECT_EQ(IndexAfterRemoval(3, 1, 4), 1);
    /* removing the active one activates the one that took its place */
    EXPECT_EQ(IndexAfterRemoval(1, 1, 3), 1);
    /* index 1 removed while 2 (the last) was active: the same session, now 1 */
    EXPECT_EQ(IndexAfterRemoval(1, 2, 2), 1);
    /* the active last one removed: the new last one */
    EXPECT_EQ(IndexAfterRemoval(2, 2, 2), 1);
    EXPECT_EQ(IndexAfterRemoval(0, -1, 2), 1);
}

TEST_F(SessionRules, SessionLogNames)
{
    const int stamp[6] = { 2026, 12, 1, 9, 5, 7 };
    wchar_t out[LOG_NAME_MAX];
    ComposeSessionLogName(out, L"web <1>: a/b\\c|d?e*\"f\tg", stamp, 1);
    EXPECT_EQ(U8(out), "web _1__ a_b_c_d_e__f_g_20261201-090507.log");
    ComposeSessionLogName(out, L"", stamp, 2);
    EXPECT_EQ(U8(out), "PuTTY_20261201-090507_2.log");
    std::string name;
    for (int i = 0; i < 300; i++)
        name += "가";
    ComposeSessionLogName(out, WText(name), stamp, 1);
    EXPECT_EQ(U8(out), name.substr(0, 300) + "_20261201-090507.log");
}
