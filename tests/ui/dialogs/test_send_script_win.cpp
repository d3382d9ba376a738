/*
 * The send-script dialog opened in this process over sessions of the
 * PuTTY double: two running, one ended.  What the doubles log is what
 * the sessions were typed; message boxes and file choosers are the
 * recorders of stub_prompts.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "resources/resource.h"
#include "sessions/key_script.h"
#include "sessions/putty_discovery.h"
#include "sessions/session.h"
#include "ui/dialogs/send_script.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tabs.h"
#include "double_cues.h"
#include "dialog_driver.h"
#include "main_window_util.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {


/* Message loop and main timer until the condition holds. */
/* The double's log lines for typing text, as WM_CHAR with repeat 1. */
std::string Typed(const std::string &chars)
{
    std::string out;
    for (unsigned char c : chars)
        out += "char " + std::to_string(c) + " 00000001\r\n";
    return out;
}

struct SendScriptDialog : ::testing::Test, DialogDriver {
    TempDir dir;
    Session *alpha = NULL, *beta = NULL, *ended = NULL;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        ResetForSessions();
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        ResetModel();
    }

    std::string LogPath(const std::string &name) { return dir.path + "\\" + name + ".log"; }
    std::string Log(const std::string &name) { return ReadBytes(WText(LogPath(name))); }
    Session *OpenDouble(const std::string &name)
    {
        ServerNode *n = NodeNew(NODE_SERVER);
        StrAssign(&n->DisplayName, WText(name));
        StrAssign(&n->ServerName, L"127.0.0.1");
        StrAssign(&n->UserName, L"tester");
        StrAssign(&n->CLParams, WText("-double-log \"" + LogPath(name) + "\""));
        Session *s = OpenSession(n);
        NodeFree(n);
        return s;
    }
    /* alpha and beta running, "gone" ended and kept as a tab; alpha is
     * the active one. */
    void OpenThree()
    {
        Settings.CloseOnNormalEnd = 0;
        alpha = OpenDouble("alpha");
        beta = OpenDouble("beta");
        ended = OpenDouble("gone");
        ASSERT_TRUE(Until([&] {
            return alpha->State == SESSION_RUNNING && beta->State == SESSION_RUNNING &&
                   ended->State == SESSION_RUNNING;
        }));
        PostMessageW(ended->PuttyWindow, CUE_EXIT, 0, 0);
        ASSERT_TRUE(Until([&] { return ended->State == SESSION_ENDED; }, 5000));
        ActivateSession(0, false);
    }

    /* Shown only where focus or pictures matter: taking a shown window
     * away costs two seconds under Wine without a window manager. */
    void Open(bool show = false)
    {
        dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_SEND_SCRIPT), MainWindow,
                                    SendScriptProc, 0);
        ASSERT_NE(dialog, nullptr);
        if (show)
            ShowWindow(dialog, SW_SHOW);
    }
    /* Still open: EndDialog marks a modeless dialog ended and hides it. */
    bool Showing() { return IsWindowVisible(dialog) != FALSE; }
    std::string Entry(int i)
    {
        wchar_t text[300];
        text[0] = 0;
        SendMessageW(Item(IDC_SEND_SESSIONS), LB_GETTEXT, i, (LPARAM)text);
        return U8(text);
    }
    bool Selected(int i) { return SendMessageW(Item(IDC_SEND_SESSIONS), LB_GETSEL, i, 0) > 0; }
    void Select(int i, bool on) { SendMessageW(Item(IDC_SEND_SESSIONS), LB_SETSEL, on, i); }
    bool Typed(const std::string &name, const std::string &chars)
    {
        return Log(name).find(::Typed(chars)) != std::string::npos;
    }
    static int Queues()
    {
        int n = 0;
        for (KeyQueue *q = KeyQueueList; q; q = q->Next)
            n++;
        return n;
    }
};

} // namespace

TEST_F(SendScriptDialog, ListsSessionsAndSendsToAll)
{
    OpenThree();
    Open(true);
    ASSERT_EQ(SendMessageW(Item(IDC_SEND_SESSIONS), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(Entry(0), "alpha");
    EXPECT_EQ(Entry(1), "beta");
    EXPECT_EQ(Entry(2), "gone");
    EXPECT_TRUE(Selected(0));           /* the active session */
    EXPECT_FALSE(Selected(1));
    EXPECT_TRUE(Checked(IDC_SEND_ACTIVE));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SEND_SESSIONS)));
    EXPECT_EQ(GetFocus(), Item(IDC_SEND_TEXT));
    SetText(IDC_SEND_TEXT, "uname -a\r\n{WAIT 500}ls");
    SetText(IDC_SEND_DELAY, "250");
    Click(IDC_SEND_SELECTED);
    Until([] { return false; }, 100);
    SaveWindowShot(dialog, "dialog-203-send-script");

    /* the list follows the radio buttons */
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SEND_SESSIONS)));
    Click(IDC_SEND_ALL);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SEND_SESSIONS)));

    SetText(IDC_SEND_TEXT, "ls{ENTER}");
    SetText(IDC_SEND_DELAY, "");
    Press(IDOK);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(Queues(), 2);             /* nothing queued for the ended one */
    ASSERT_TRUE(Until([&] { return Typed("alpha", "ls\r") && Typed("beta", "ls\r"); }, 5000))
        << Log("alpha") << Log("beta");
    EXPECT_EQ(Log("gone").find("char "), std::string::npos);
    EXPECT_EQ(U8(Settings.SendScriptText), "ls{ENTER}");
    EXPECT_EQ(Settings.SendScriptTarget, 1);
    EXPECT_EQ(Settings.SendScriptDelay, 0);
}

TEST_F(SendScriptDialog, SelectedEntriesFollowTheirSessions)
{
    OpenThree();
    Open(true);
    Click(IDC_SEND_SELECTED);
    Select(0, false);
    Select(1, true);                    /* beta */
    /* alpha closes under the open dialog: beta moves to position 0 and
     * the ended session to position 1 */
    CloseSession(alpha, true);
    alpha = NULL;
    SetText(IDC_SEND_TEXT, "id\n");
    SetText(IDC_SEND_DELAY, "1500");
    Press(IDOK);
    EXPECT_FALSE(Showing());
    ASSERT_EQ(Queues(), 1);
    EXPECT_EQ(KeyQueueList->SessionId, beta->Id);
    EXPECT_EQ(KeyQueueList->LineDelay, 1500);
    ASSERT_TRUE(Until([&] { return Typed("beta", "id\r"); }, 5000)) << Log("beta");
    EXPECT_EQ(Log("gone").find("char "), std::string::npos);
    EXPECT_EQ(Settings.SendScriptTarget, 2);
    EXPECT_EQ(Settings.SendScriptDelay, 1500);

    /* entries of closed sessions reach nobody */
    StrAssign(&Settings.SendScriptText, L"before");
    DestroyWindow(dialog);
    Open(true);
    Click(IDC_SEND_SELECTED);
    Select(0, true);
    CloseSession(beta, true);
    beta = NULL;
    SetText(IDC_SEND_TEXT, "whoami");
    Press(IDOK);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(U8(StubMessageText), "보낼 수 있는(연결된) 세션이 없습니다.");
    EXPECT_EQ(U8(Settings.SendScriptText), "before");
}

TEST_F(SendScriptDialog, CurrentSessionEndedWarnsAndKeepsAll)
{
    OpenThree();
    ActivateSession(2, false);
    Settings.SendScriptTarget = 1;
    Settings.SendScriptDelay = 70;
    Open(true);
    EXPECT_TRUE(Selected(2));
    Click(IDC_SEND_ACTIVE);
    SetText(IDC_SEND_TEXT, "reboot");
    SetText(IDC_SEND_DELAY, "9");
    Press(IDOK);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "보낼 수 있는(연결된) 세션이 없습니다.");
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(KeyQueueList, nullptr);
    /* nothing remembered on failure */
    EXPECT_EQ(Settings.SendScriptText, nullptr);
    EXPECT_EQ(Settings.SendScriptTarget, 1);
    EXPECT_EQ(Settings.SendScriptDelay, 70);

    /* an empty text does nothing at all */
    SetText(IDC_SEND_TEXT, "");
    Click(IDC_SEND_ALL);
    Press(IDOK);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(KeyQueueList, nullptr);

    /* letters in the delay: no line delay; the current one, once running */
    ActivateSession(1, false);
    Click(IDC_SEND_ACTIVE);
    SetText(IDC_SEND_TEXT, "w");
    SetText(IDC_SEND_DELAY, "abc");
    Press(IDOK);
    EXPECT_FALSE(Showing());
    ASSERT_EQ(Queues(), 1);
    EXPECT_EQ(KeyQueueList->SessionId, beta->Id);
    EXPECT_EQ(KeyQueueList->LineDelay, 0);
    EXPECT_EQ(Settings.SendScriptTarget, 0);
    EXPECT_EQ(Settings.SendScriptDelay, 0);
    ASSERT_TRUE(Until([&] { return Typed("beta", "w"); }, 5000));
    EXPECT_EQ(Log("alpha").find("char "), std::string::npos);
}

TEST_F(SendScriptDialog, RemembersTextTargetAndDelay)
{
    Settings.SendScriptText = StrDup(L"tail -f /var/log/syslog\r\n");
    Settings.SendScriptTarget = 2;
    Settings.SendScriptDelay = 150;
    Open(true);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "tail -f /var/log/syslog\r\n");
    EXPECT_EQ(Text(IDC_SEND_DELAY), "150");
    EXPECT_TRUE(Checked(IDC_SEND_SELECTED));
    EXPECT_FALSE(Checked(IDC_SEND_ACTIVE));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SEND_SESSIONS)));

    /* "닫기" keeps only the edited text */
    SetText(IDC_SEND_TEXT, "edited");
    SetText(IDC_SEND_DELAY, "5");
    Click(IDC_SEND_ALL);
    Press(IDCANCEL);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(KeyQueueList, nullptr);
    EXPECT_EQ(U8(Settings.SendScriptText), "edited");
    EXPECT_EQ(Settings.SendScriptTarget, 2);
    EXPECT_EQ(Settings.SendScriptDelay, 150);

    /* out-of-range values from the file: clamped target, empty delay */
    DestroyWindow(dialog);
    Settings.SendScriptTarget = 9;
    Settings.SendScriptDelay = 0;
    Open();
    EXPECT_TRUE(Checked(IDC_SEND_SELECTED));
    EXPECT_EQ(Text(IDC_SEND_DELAY), "");
}

TEST_F(SendScriptDialog, LoadsUtf8BomAndAnsiFiles)
{
    Open();
    SetText(IDC_SEND_TEXT, "typed by hand");
    WText file = dir.File("script.txt");

    ASSERT_TRUE(WriteBytes(file, "sudo -i\r\n{WAIT 800}\xED\x95\x9C\xEA\xB8\x80"));
    StubChosenFile = file;
    StubChooserFilter[0] = 0;
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(U8(StubChooserFilter), "텍스트 파일|*.txt|모든 파일|*.*");
    EXPECT_EQ(U8(StubChooserExtension), "txt");
    EXPECT_EQ(Text(IDC_SEND_TEXT), "sudo -i\r\n{WAIT 800}한글");
    /* the text it replaced is one undo away */
    SendMessageW(Item(IDC_SEND_TEXT), EM_UNDO, 0, 0);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "typed by hand");

    ASSERT_TRUE(WriteBytes(file, "\xEF\xBB\xBF" "cd /tmp\n\xED\x95\x9C"));
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "cd /tmp\r\n한");     /* no mark, a line end the edit shows */

    /* not UTF-8: read in the system's ANSI code page */
    std::string ansi = "echo caf\xE9\r\n";
    ASSERT_TRUE(WriteBytes(file, ansi));
    wchar_t expect[64] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), expect, 63);
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(Text(IDC_SEND_TEXT), U8(expect));
    if (GetACP() == 949) {
        ASSERT_TRUE(WriteBytes(file, "\xB0\xA1\xB3\xAA"));
        Press(IDC_SEND_LOAD);
        EXPECT_EQ(Text(IDC_SEND_TEXT), "가나");
    }

    /* Notepad's "Unicode" */
    ASSERT_TRUE(WriteBytes(file, std::string("\xFF\xFE" "l\0s\0\r\0\n\0\x5C\xD5", 12)));
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "ls\r\n한");
    EXPECT_EQ(StubMessageCount, 0);

    /* an empty file empties the edit */
    ASSERT_TRUE(WriteBytes(file, ""));
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "");

    /* a long script is not cut at the edit's usual 32K */
    std::string big;
    for (int i = 0; i < 5000; i++)
        big += "echo " + std::to_string(i) + "\r\n";
    ASSERT_GT(big.size(), 40000u);
    ASSERT_TRUE(WriteBytes(file, big));
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(Text(IDC_SEND_TEXT), big);
    SendMessageW(Item(IDC_SEND_TEXT), EM_SETSEL, big.size(), big.size());
    SendMessageW(Item(IDC_SEND_TEXT), EM_REPLACESEL, TRUE, (LPARAM)L"{ESC}");
    EXPECT_EQ(Text(IDC_SEND_TEXT), big + "{ESC}");
}

TEST_F(SendScriptDialog, LoadFailuresKeepTheText)
{
    Open();
    SetText(IDC_SEND_TEXT, "keep me");

    /* cancelled chooser: nothing */
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "keep me");

    WText missing = dir.File("missing.txt");
    StubChosenFile = missing;
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "파일을 읽지 못했습니다.");
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONERROR);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "keep me");

    /* a file with zero bytes in it would show cut short: refused */
    WText binary = dir.File("tool.exe");
    ASSERT_TRUE(WriteBytes(binary, std::string("MZ\x90\0\x03\0\0\0", 8)));
    StubChosenFile = binary;
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(StubMessageCount, 2);
    EXPECT_EQ(U8(StubMessageText), "텍스트 파일이 아니어서 불러오지 않았습니다.\n" + U8(binary));
    EXPECT_EQ(Text(IDC_SEND_TEXT), "keep me");
}

TEST_F(SendScriptDialog, SaveRoundTripAndFailure)
{
    Open();
    std::string script = "sudo -i\r\n{WAIT 800}{PASSWORD}\r\n한글 {CTRL+C}\r\n";
    SetText(IDC_SEND_TEXT, script);

    WText file = dir.File("saved.txt");
    StubChosenFile = file;
    StubChooserFilter[0] = 0;
    Press(IDC_SEND_SAVE);
    EXPECT_EQ(U8(StubChooserFilter), "텍스트 파일|*.txt|모든 파일|*.*");
    EXPECT_EQ(U8(StubChooserExtension), "txt");
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(ReadBytes(file), script);     /* UTF-8, no mark, CR LF kept */
    EXPECT_FALSE(PathExists(dir.File("saved.txt.tmp")));

    SetText(IDC_SEND_TEXT, "");
    Press(IDC_SEND_LOAD);
    EXPECT_EQ(Text(IDC_SEND_TEXT), script);

    /* an existing file is replaced whole */
    SetText(IDC_SEND_TEXT, "short");
    Press(IDC_SEND_SAVE);
    EXPECT_EQ(ReadBytes(file), "short");

    /* a folder that does not exist: the message, the text stays */
    WText nowhere = dir.File("no such folder\\x.txt");
    StubChosenFile = nowhere;
    Press(IDC_SEND_SAVE);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "파일을 저장하지 못했습니다.");
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONERROR);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "short");
    EXPECT_EQ(ReadBytes(file), "short");
}

/* Runs inside the pop-up's own message loop. */
static void CALLBACK ShootMenuAndEscape(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menu = FindWindowW(L"#32768", NULL);
    if (menu)
        SaveWindowShot(menu, "dialog-203-special-keys");
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(SendScriptDialog, SpecialKeyPopupInsertsAtTheCaret)
{
    Open(true);
    HWND edit = Item(IDC_SEND_TEXT);
    SetText(IDC_SEND_TEXT, "abXYcd");
    SendMessageW(edit, EM_SETSEL, 2, 4);
    /* the pop-up reads these keys once it is up: the first entry, the
     * first of the next column (Ctrl+C), chosen */
    PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    Press(IDC_SEND_SPECIAL_KEY);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "ab{CTRL+C}cd");
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(start, 10u);
    EXPECT_EQ(end, 10u);
    EXPECT_EQ(GetFocus(), edit);
    /* undoable, the replaced selection included; a second undo redoes */
    SendMessageW(edit, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "abXYcd");
    SendMessageW(edit, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "ab{CTRL+C}cd");
    SendMessageW(edit, EM_SETSEL, 10, 10);

    /* the first entry, at the caret */
    PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    Press(IDC_SEND_SPECIAL_KEY);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "ab{CTRL+C}{ENTER}cd");

    /* the last three entries, reached upwards from the first */
    for (int ups = 1; ups <= 3; ups++) {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
        for (int i = 0; i < ups; i++)
            PostMessageW(dialog, WM_KEYDOWN, VK_UP, 0);
        PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
        Press(IDC_SEND_SPECIAL_KEY);
        EXPECT_EQ(Text(IDC_SEND_TEXT), ups == 1 ? "{USER}" : ups == 2 ? "{PASSWORD}" : "{WAIT 500}");
    }

    /* dismissed: nothing; a picture of the pop-up first */
    UINT_PTR timer = SetTimer(NULL, 0, 200, ShootMenuAndEscape);
    Press(IDC_SEND_SPECIAL_KEY);
    KillTimer(NULL, timer);
    EXPECT_EQ(Text(IDC_SEND_TEXT), "{WAIT 500}");
}
