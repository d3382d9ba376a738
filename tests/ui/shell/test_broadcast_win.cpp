/*
 * The broadcast group and bar in this process over sessions of the PuTTY
 * double: what the members' doubles log is what the bar was typed, the
 * others get nothing; membership shows in the texts and the tiles; the
 * ended sessions restart together.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <sstream>
#include <string>

#include "config/settings.h"
#include "core/text.h"
#include "sessions/key_script.h"
#include "sessions/session.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/commands.h"
#include "ui/shell/broadcast_bar.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tabs.h"
#include "double_cues.h"
#include "main_window_util.h"
#include "program_util.h"
#include "session_util.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

void SetClipboardText(const char *utf8)
{
    WText text(utf8);
    size_t bytes = (StrLen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    MemCopy(GlobalLock(block), text.c_str(), bytes);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(MainWindow));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

struct BroadcastBar : ::testing::Test {
    TempDir dir;
    int alpha = 0, beta = 0, gamma = 0;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        ResetForSessions();
        Settings.CloseOnNormalEnd = 0;
        alpha = Running("alpha");
        beta = Running("beta");
        gamma = Running("gamma");
        SetBroadcastMember(S(alpha), true);
        SetBroadcastMember(S(beta), true);
        ExecuteCommand(CMD_TOGGLE_BROADCAST_BAR);
    }
    void TearDown() override
    {
        if (Settings.ShowBroadcastBar)
            ExecuteCommand(CMD_TOGGLE_BROADCAST_BAR);
        SendMessageW(BroadcastLineMode, BM_SETCHECK, BST_UNCHECKED, 0);
        SetWindowTextW(BroadcastBox, L"");
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        SetViewMode(0);
        ResetModel();
    }

    static Session *S(int id) { return FindSessionById(id); }
    std::string LogPath(const std::string &name) { return dir.path + "\\" + name + ".log"; }
    int Running(const char *name)
    {
        Session *s = OpenSession(DoubleServer(name, LogPath(name)));
        int id = s->Id;
        EXPECT_TRUE(Until([&] { return S(id)->State == SESSION_RUNNING; })) << name;
        return id;
    }
    /* The keys a double got, one line each. */
    std::string Keys(const std::string &name)
    {
        std::istringstream in(ReadBytes(WText(LogPath(name))));
        std::string line, out;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.rfind("char ", 0) || !line.rfind("keydown ", 0) || !line.rfind("keyup ", 0))
                out += line + "\n";
        }
        return out;
    }
    /* A key as the keyboard brings it to the box: down, its character
     * when it makes one (as TranslateMessage would), up. */
    static void Press(WORD vk, wchar_t ch = 0, UINT charMsg = WM_CHAR)
    {
        SendMessageW(BroadcastBox, WM_KEYDOWN, vk, 1);
        if (ch)
            SendMessageW(BroadcastBox, charMsg, ch, 1);
        SendMessageW(BroadcastBox, WM_KEYUP, vk, 0xC0000001);
    }
    static void Type(const char *utf8)
    {
        WText text(utf8);
        for (const wchar_t *c = text; *c; c++)
            Press(0, *c);
    }
    static std::string Box() { return WindowText(BroadcastBox); }
    static bool Shown(int id) { return (GetWindowLongW(S(id)->HostWindow, GWL_STYLE) & WS_VISIBLE) != 0; }
};

} // namespace

TEST_F(BroadcastBar, LiveKeysReachTheMembersAsTheScriptEngineTypesThem)
{
    EXPECT_EQ(GetFocus(), BroadcastBox);
    EXPECT_EQ(WindowText(BroadcastLabel), "동시 입력 (2개 세션):");
    Type("ls -a");
    Press(0, L'한', WM_IME_CHAR);
    Press(0, L'글');
    EXPECT_EQ(Box(), "ls -a한글");
    Press(VK_TAB, 9);
    Press('C', 3);
    Press(VK_UP);
    Press(VK_BACK, 8);
    Press(VK_F5);
    Press(VK_RETURN, 13);
    EXPECT_EQ(Box(), "");
    EXPECT_EQ(GetFocus(), BroadcastBox);
    /* back from another program, the keys still go to the bar */
    SendMessageW(MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(MainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    Until([&] { return false; }, 300);
    EXPECT_EQ(GetFocus(), BroadcastBox);
    /* unless a click brought it back: the keys go where it landed */
    SendMessageW(MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(MainWindow, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    SetFocus(FindBox);
    Until([&] { return false; }, 300);
    EXPECT_EQ(GetFocus(), FindBox);
    SetFocus(BroadcastBox);

    /* what the script engine posts for the same keys */
    int delta = Running("delta");
    SendScript(delta, S(delta)->Node, L"ls -a한글{TAB}{CTRL+C}{UP}{BS}{F5}{ENTER}", 0, 0);
    ASSERT_TRUE(Until([&] { return !Keys("delta").empty() && Keys("delta").find("char 13 ") != std::string::npos; }));
    Sleep(200);
    Pump();
    EXPECT_EQ(Keys("alpha"), Keys("delta"));
    EXPECT_EQ(Keys("beta"), Keys("delta"));
    EXPECT_EQ(Keys("gamma"), "");

    /* pasted lines: each break an Enter, the box keeps the last line */
    SetClipboardText("pwd\r\nid\nwho");
    SendMessageW(BroadcastBox, WM_PASTE, 0, 0);
    EXPECT_EQ(Box(), "who");
    std::string pasted = "char 112 00000001\nchar 119 00000001\nchar 100 00000001\nchar 13 00000001\n"
                         "char 105 00000001\nchar 100 00000001\nchar 13 00000001\n"
                         "char 119 00000001\nchar 104 00000001\nchar 111 00000001\n";
    EXPECT_TRUE(Until([&] { return Keys("alpha") == Keys("delta") + pasted; }, 3000)) << Keys("alpha");
    EXPECT_EQ(Keys("gamma"), "");
}

TEST_F(BroadcastBar, LineModeSendsAtEnterAndRecallsLines)
{
    SendMessageW(BroadcastLineMode, BM_CLICK, 0, 0);
    SetFocus(BroadcastBox);
    Type("echo hi");
    Press(VK_LEFT);
    Press(VK_BACK, 8);
    Pump();
    Sleep(200);
    Pump();
    EXPECT_EQ(Keys("alpha"), "");
    EXPECT_EQ(Box(), "echo i");
    Press(VK_RETURN, 13);
    EXPECT_EQ(Box(), "");
    std::string want = "char 101 00000001\nchar 99 00000001\nchar 104 00000001\nchar 111 00000001\n"
                       "char 32 00000001\nchar 105 00000001\nchar 13 00000001\n";
    EXPECT_TRUE(Until([&] { return Keys("alpha") == want && Keys("beta") == want; }, 3000))
        << Keys("alpha") << Keys("beta");
    Type("date");
    Press(VK_RETURN, 13);
    Press(VK_UP);
    EXPECT_EQ(Box(), "date");
    Press(VK_UP);
    EXPECT_EQ(Box(), "echo i");
    Press(VK_DOWN);
    Press(VK_DOWN);
    EXPECT_EQ(Box(), "");
    Until([&] { return false; }, 300);
    EXPECT_EQ(Keys("gamma"), "");
}

TEST_F(BroadcastBar, MembersThatGoOrRestartGetNothingLater)
{
    SetBroadcastMember(S(gamma), true);
    EXPECT_EQ(WindowText(BroadcastLabel), "동시 입력 (3개 세션):");
    Type("a");
    CloseSession(S(beta), true);
    EXPECT_EQ(WindowText(BroadcastLabel), "동시 입력 (2개 세션):");
    ReconnectSession(S(gamma));
    ASSERT_NE(S(gamma)->State, SESSION_RUNNING);
    Type("b");
    ASSERT_TRUE(Until([&] { return S(gamma)->State == SESSION_RUNNING; }));
    Type("c");
    Until([&] { return false; }, 300);
    EXPECT_EQ(Keys("alpha"), "char 97 00000001\nchar 98 00000001\nchar 99 00000001\n");
    EXPECT_EQ(Keys("gamma"), "char 97 00000001\nchar 99 00000001\n");
    EXPECT_EQ(Keys("beta").find("char 98 "), std::string::npos);     /* closed as "a" went out */
}

TEST_F(BroadcastBar, MembershipShowsInTextsMenusAndTiles)
{
    EXPECT_EQ(TabLabel(SessionIndex(S(alpha))).rfind("● alpha", 0), 0u) << TabLabel(SessionIndex(S(alpha)));
    EXPECT_EQ(ListLine(SessionIndex(S(beta))), "● beta");
    EXPECT_EQ(ListLine(SessionIndex(S(gamma))), "gamma");

    /* the tab menu's item acts on the clicked session, not the active one */
    ActivateSession(SessionIndex(S(alpha)), false);
    ExecuteCommandFor(CMD_BROADCAST_MEMBER, gamma);
    EXPECT_TRUE(S(gamma)->Broadcast);
    EXPECT_EQ(ListLine(SessionIndex(S(gamma))), "● gamma");
    ExecuteCommand(CMD_BROADCAST_NONE);
    EXPECT_EQ(ListLine(SessionIndex(S(alpha))), "alpha");
    EXPECT_EQ(WindowText(BroadcastLabel), "동시 입력 (묶인 세션 없음):");
    Type("x");
    Until([&] { return false; }, 200);
    EXPECT_EQ(Keys("alpha") + Keys("beta") + Keys("gamma"), "");
    ExecuteCommand(CMD_BROADCAST_ALL);
    EXPECT_EQ(WindowText(BroadcastLabel), "동시 입력 (3개 세션):");
    SetBroadcastMember(S(gamma), false);

    /* the members alone in the tiles; an empty group shows everyone */
    SetViewMode(1);
    ExecuteCommand(CMD_VIEW_MEMBERS_ONLY);
    EXPECT_TRUE(Shown(alpha) && Shown(beta));
    EXPECT_FALSE(Shown(gamma));
    RECT a, b, bar;
    GetWindowRect(S(alpha)->HostWindow, &a);
    GetWindowRect(S(beta)->HostWindow, &b);
    GetWindowRect(BroadcastBox, &bar);
    EXPECT_EQ(a.right, b.left);
    EXPECT_LE(bar.bottom, a.top);               /* the bar stands above the sessions */
    SaveWindowShot(MainWindow, "broadcast-bar-members");
    ExecuteCommand(CMD_BROADCAST_NONE);
    EXPECT_TRUE(Shown(alpha) && Shown(beta) && Shown(gamma));
    ExecuteCommand(CMD_VIEW_MEMBERS_ONLY);
    EXPECT_FALSE(Settings.ViewMembersOnly);

    /* hiding the bar gives the keys back to the active session */
    ExecuteCommand(CMD_TOGGLE_BROADCAST_BAR);
    EXPECT_FALSE(IsWindowVisible(BroadcastBox));
    EXPECT_TRUE(Until([&] { return GetFocus() != BroadcastBox; }, 2000));
}

TEST_F(BroadcastBar, EndedSessionsRestartTogether)
{
    int delta = Running("delta");
    for (int id : { alpha, gamma })
        PostMessageW(S(id)->PuttyWindow, CUE_EXIT, 0, 0);
    ASSERT_TRUE(Until([&] { return S(alpha)->State == SESSION_ENDED && S(gamma)->State == SESSION_ENDED; }, 5000));
    SetSessionState(S(gamma), SESSION_FAILED);
    DWORD betaProcess = S(beta)->ProcessId, deltaProcess = S(delta)->ProcessId;
    DWORD alphaProcess = S(alpha)->ProcessId;
    ASSERT_TRUE(AnyEndedSession());
    ExecuteCommand(CMD_RECONNECT_ENDED);
    ASSERT_TRUE(Until([&] { return S(alpha)->State == SESSION_RUNNING && S(gamma)->State == SESSION_RUNNING; }));
    EXPECT_NE(S(alpha)->ProcessId, alphaProcess);
    EXPECT_EQ(S(beta)->ProcessId, betaProcess);
    EXPECT_EQ(S(delta)->ProcessId, deltaProcess);
    EXPECT_FALSE(AnyEndedSession());
    ExecuteCommand(CMD_RECONNECT_ENDED);          /* none: nothing happens */
    Until([&] { return false; }, 300);
    EXPECT_EQ(S(beta)->ProcessId, betaProcess);
}
