/*
 * Sessions driven for real: the session code starts the PuTTY double
 * (tests/fixtures/putty_double.cpp) as it would start PuTTY, captures its
 * window, types into it and follows its end, under Wine.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/capture.h"
#include "sessions/key_script.h"
#include "sessions/putty_discovery.h"
#include "sessions/putty_sessions.h"
#include "sessions/session.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tabs.h"
#include "double_cues.h"
#include "main_window_util.h"
#include "password_scan.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"


struct Sessions : ::testing::Test {
    TempDir dir;
    std::string log;

    /* The real main window, its timer ticking as in the program. */
    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetModel();
        SessionsInit();     /* after ResetModel, which unplugs the writer */
        UseDouble("putty_double.exe");
        log = dir.path + "\\double.log";
        WatchPasswords({ "s3cret pw" });
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();        /* releases the queues of closed sessions */
        ResetModel();
        ExpectNoClearPasswords();
    }
    /* A server whose extra arguments steer the double. */
    ServerNode *Server(const std::string &extra = "")
    {
        ServerNode *n = NodeNew(NODE_SERVER);
        StrAssign(&n->DisplayName, L"테스트 서버");
        StrAssign(&n->ServerName, L"127.0.0.1");
        StrAssign(&n->UserName, L"tester");
        n->Port = 2222;
        NodeSetPassword(n, L"s3cret pw");
        StrAssign(&n->CLParams, WText("-double-log \"" + log + "\" " + extra));
        NodeAppendChild(ServersRoot, n);
        return n;
    }
    std::string Log() { return ReadBytes(WText(log)); }
    bool Logged(const std::string &line) { return Log().find(line + "\r\n") != std::string::npos; }
    static Session *Open(ServerNode *n) { return OpenSession(n); }
    static bool Running(Session *s) { return s->State == SESSION_RUNNING; }
    static std::string Status(Session *s)
    {
        wchar_t buf[300];
        SessionStatusText(s, buf, 300);
        return U8(buf);
    }
    /* The PuTTY window's client area covers the clip window exactly. */
    static bool Fitted(Session *s)
    {
        RECT clip, client;
        GetClientRect(s->ClipWindow, &clip);
        GetClientRect(s->PuttyWindow, &client);
        POINT origin = { 0, 0 };
        MapWindowPoints(s->PuttyWindow, s->ClipWindow, &origin, 1);
        return origin.x == 0 && origin.y == 0 && client.right == clip.right && client.bottom == clip.bottom;
    }
};

TEST_F(Sessions, PwfileLoginCaptureAndScript)
{
    ServerNode *n = Server();
    StrAssign(&n->Script, L"ls{ENTER}");
    n->ScriptDelay = 200;
    Session *s = Open(n);
    EXPECT_EQ(s->State, SESSION_STARTING) << Status(s);
    EXPECT_EQ(s->PasswordDelivery, 3);
    std::string file = U8(s->PasswordFile);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(Status(s), "PuTTY를 시작하는 중입니다…");
    Until([] { return false; }, 50);
    SaveWindowShot(s->HostWindow, "session-starting");

    ASSERT_TRUE(Until([&] { return Running(s); })) << "the double logged: " << Log();
    DWORD captured = GetTickCount();
    HWND w = s->PuttyWindow;
    EXPECT_EQ(GetParent(w), s->ClipWindow);
    LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_POPUP));
    EXPECT_TRUE(Until([&] { return IsWindowVisible(w) && Fitted(s); }, 3000));
    EXPECT_EQ(U8(s->Caption), "테스트 서버");
    EXPECT_EQ(U8(s->WindowTitle), "127.0.0.1 - PuTTY");

    /* the password went through the file, never the command line */
    std::string text = Log();
    EXPECT_NE(text.find("-pwfile"), std::string::npos);
    EXPECT_EQ(text.find("s3cret"), text.find("pwfile s3cret pw\r\n") + 7);
    EXPECT_TRUE(Logged("pwfile s3cret pw"));
    EXPECT_NE(text.find("-P 2222 -l tester"), std::string::npos);

    /* the login script after its delay; nothing typed for the password */
    ASSERT_TRUE(Until([&] { return Logged("char 13 00000001"); }, 3000));
    EXPECT_NE(Log().find("char 108 00000001\r\nchar 115 00000001\r\nchar 13 00000001"), std::string::npos);
    EXPECT_GE(GetTickCount() - captured, 150u);

    /* the file lives until 5 s after the capture */
    EXPECT_TRUE(PathExists(WText(file)));
    ASSERT_TRUE(Until([&] { return !PathExists(WText(file)); }, 7000));
    EXPECT_GE(GetTickCount() - captured, 4900u);
    EXPECT_EQ(s->PasswordFile[0], 0);
}

TEST_F(Sessions, TypedPasswordThenScript)
{
    UseDouble("putty_double_nover.exe");     /* no version: older than 0.77 */
    ServerNode *n = Server();
    n->PasswordDelay = 300;
    n->ScriptDelay = 100;
    StrAssign(&n->Script, L"id\n");
    Session *s = Open(n);
    EXPECT_EQ(s->PasswordDelivery, 2);
    EXPECT_EQ(s->PasswordFile[0], 0);
    ASSERT_TRUE(Until([&] { return Running(s); }));
    DWORD captured = s->StateSince;     /* the capture queued the keys */
    ASSERT_TRUE(Until([&] { return Logged("char 100 00000001"); }, 3000));
    EXPECT_GE(GetTickCount() - captured, 380u);
    std::string text = Log();
    EXPECT_EQ(text.find("-pw"), std::string::npos);
    std::string typed;
    for (char c : std::string("s3cret pw"))
        typed += "char " + std::to_string((int)c) + " 00000001\r\n";
    typed += "char 13 00000001\r\n";
    size_t pw = text.find(typed);
    ASSERT_NE(pw, std::string::npos);
    EXPECT_LT(pw, text.find("char 105 00000001\r\nchar 100 00000001"));
}

TEST_F(Sessions, NormalAndAbnormalEnds)
{
    /* exit code 0, closing on a normal end: the tab goes */
    Session *s = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(s); }));
    PostMessageW(s->PuttyWindow, CUE_EXIT, 0, 0);
    ASSERT_TRUE(Until([&] { return SessionCount == 0; }, 3000));

    /* kept instead: Ended with its code and a reconnect button */
    Settings.CloseOnNormalEnd = 0;
    s = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(s); }));
    PostMessageW(s->PuttyWindow, CUE_EXIT, 0, 0);
    ASSERT_TRUE(Until([&] { return s->State == SESSION_ENDED; }, 3000));
    EXPECT_EQ(Status(s), "세션이 종료되었습니다 (종료 코드 0).");
    Until([] { return false; }, 100);
    SaveWindowShot(s->HostWindow, "session-ended");
    ASSERT_NE(s->ReconnectButton, nullptr);
    EXPECT_TRUE(IsWindowVisible(s->ReconnectButton));
    EXPECT_FALSE(IsWindowVisible(s->ClipWindow));
    EXPECT_EQ(s->PuttyWindow, nullptr);

    /* the button reconnects through the main window */
    DWORD oldPid = s->ProcessId;
    SendMessageW(s->ReconnectButton, BM_CLICK, 0, 0);
    ASSERT_TRUE(Until([&] { return Running(s); }));
    EXPECT_NE(s->ProcessId, oldPid);
    EXPECT_EQ(s->ReconnectButton, nullptr);
    EXPECT_EQ(s->ReconnectAttempts, 0);

    /* exit code 3 is abnormal: kept by default */
    PostMessageW(s->PuttyWindow, CUE_EXIT, 3, 0);
    ASSERT_TRUE(Until([&] { return s->State == SESSION_ENDED; }, 3000));
    EXPECT_EQ(s->ExitCode, 3);

    /* a window destroyed while its process lives on: 259 after the wait */
    Settings.CloseOnNormalEnd = 1;
    ReconnectSession(s);
    ASSERT_TRUE(Until([&] { return Running(s); }));
    PostMessageW(s->PuttyWindow, CUE_DESTROY, 0, 0);
    ASSERT_TRUE(Until([&] { return s->State == SESSION_ENDED; }, 3000));
    EXPECT_EQ(s->ExitCode, 259);
}

TEST_F(Sessions, WindowStaysFittedAndAnEmptyTitleIsNoEnd)
{
    Session *s = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(s); }));
    ASSERT_TRUE(Until([&] { return Fitted(s); }, 3000));

    /* the main window grows: refitted from the size change, without a
     * poll's measuring (the poll would look only a second later) */
    RECT frame;
    GetWindowRect(MainWindow, &frame);
    SetWindowPos(MainWindow, NULL, 0, 0, frame.right - frame.left + 40, frame.bottom - frame.top + 30,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Until([&] { return Fitted(s); }, 3000));

    /* PuTTY moves itself: the poll finds it out of place within a second
     * or two and puts it back */
    SetWindowPos(s->PuttyWindow, NULL, 7, 9, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Until([&] { return !Fitted(s); }, 1000));
    EXPECT_TRUE(Until([&] { return Fitted(s); }, 3000));
    /* its frame comes back inside the same outer rectangle (PuTTY after
     * a settings change): the client area no longer fills the clip
     * window, and the once-a-second look fits it again */
    RECT outer, now;
    GetWindowRect(s->PuttyWindow, &outer);
    SetWindowLongW(s->PuttyWindow, GWL_STYLE, GetWindowLongW(s->PuttyWindow, GWL_STYLE) | WS_THICKFRAME);
    SetWindowPos(s->PuttyWindow, NULL, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ASSERT_TRUE(Until([&] { return !Fitted(s); }, 1000));
    GetWindowRect(s->PuttyWindow, &now);
    EXPECT_TRUE(EqualRect(&outer, &now));
    EXPECT_TRUE(Until([&] { return Fitted(s); }, 3000));

    /* two side by side, then back to one at a time: both fitted in turn */
    Session *t = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(t); }));
    SetViewMode(1);
    EXPECT_TRUE(Until([&] { return Fitted(s) && Fitted(t); }, 3000));
    RECT a, b;
    GetWindowRect(s->ClipWindow, &a);
    GetWindowRect(t->ClipWindow, &b);
    EXPECT_LE(a.right, b.left);
    /* one at a time: the active one shown and fitted, the other hidden;
     * then the other way round */
    SetViewMode(0);
    auto shownAlone = [&](int index) {
        Session *on = SessionList[index], *off = SessionList[1 - index];
        return ActiveIndex() == index && Fitted(on) && IsWindowVisible(on->HostWindow) &&
               !IsWindowVisible(off->HostWindow);
    };
    int first = ActiveIndex();
    ASSERT_TRUE(first == 0 || first == 1);
    EXPECT_TRUE(Until([&] { return shownAlone(first); }, 3000));
    ActivateSession(1 - first, false);
    EXPECT_TRUE(Until([&] { return shownAlone(1 - first); }, 3000));
    /* moved while hidden, where no poll looks: measured when shown again
     * (by this activation, or by the focus following into it) */
    SetWindowPos(SessionList[first]->PuttyWindow, NULL, 5, 6, 120, 90, SWP_NOZORDER | SWP_NOACTIVATE);
    Until([] { return false; }, 1300);
    ActivateSession(first, false);
    EXPECT_TRUE(Until([&] { return shownAlone(first); }, 3000));

    /* a title emptied by the remote side is no end of the session */
    SetWindowTextW(s->PuttyWindow, L"");
    Until([] { return false; }, 700);
    EXPECT_TRUE(Running(s));
    EXPECT_EQ(s->WindowTitle[0], 0);
    /* a new title is taken even where only a character the locale's
     * comparison ignores is new */
    SetWindowTextW(s->PuttyWindow, L"ab");
    EXPECT_TRUE(Until([&] { return !lstrcmpW(s->WindowTitle, L"ab"); }, 3000));
    SetWindowTextW(s->PuttyWindow, L"a\u00adb");
    EXPECT_TRUE(Until([&] { return s->WindowTitle[1] == 0xAD; }, 3000));
    SetWindowPos(MainWindow, NULL, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST_F(Sessions, InactiveTitleReconnects)
{
    Settings.AutoReconnect = 1;
    Settings.ReconnectDelay = 1;
    Session *s = Open(Server());
    for (int attempt = 1; attempt <= 2; attempt++) {
        ASSERT_TRUE(Until([&] { return Running(s); }));
        HANDLE old;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), s->Process, GetCurrentProcess(), &old, 0, FALSE,
                                    DUPLICATE_SAME_ACCESS));
        PostMessageW(s->PuttyWindow, CUE_TITLE, 1, 0);
        ASSERT_TRUE(Until([&] { return s->State == SESSION_RECONNECT_WAIT; }, 3000));
        DWORD waitStart = GetTickCount();
        DWORD code = 0;
        EXPECT_EQ(WaitForSingleObject(old, 0), WAIT_OBJECT_0);
        GetExitCodeProcess(old, &code);
        CloseHandle(old);
        EXPECT_EQ(code, 1u);
        EXPECT_EQ(s->ReconnectAttempts, attempt);
        EXPECT_EQ(Status(s), "연결이 끊어졌습니다. 1초 후 다시 연결합니다… (" + std::to_string(attempt) + "번째 시도)");
        Until([] { return false; }, 100);
        SaveWindowShot(s->HostWindow, "session-reconnect-wait");
        ASSERT_TRUE(Until([&] { return s->State == SESSION_STARTING; }, 3000));
        EXPECT_GE(GetTickCount() - waitStart, 700u);
    }
}

TEST_F(Sessions, LongReconnectDelayWaits)
{
    /* nine digits of seconds overflowed into an immediate restart */
    Settings.AutoReconnect = 1;
    Settings.ReconnectDelay = 999999999;
    Session *s = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(s); }));
    PostMessageW(s->PuttyWindow, CUE_TITLE, 1, 0);
    ASSERT_TRUE(Until([&] { return s->State == SESSION_RECONNECT_WAIT; }, 3000));
    Until([] { return false; }, 500);
    EXPECT_EQ(s->State, SESSION_RECONNECT_WAIT);
    EXPECT_EQ(s->ReconnectAttempts, 1);
    EXPECT_EQ(Status(s), "연결이 끊어졌습니다. 999999999초 후 다시 연결합니다… (1번째 시도)");
}

TEST_F(Sessions, InactiveTitleKeptOrClosed)
{
    Session *s = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(s); }));
    PostMessageW(s->PuttyWindow, CUE_TITLE, 1, 0);
    ASSERT_TRUE(Until([&] { return s->Disconnected; }, 3000));
    EXPECT_TRUE(Running(s));
    PostMessageW(s->PuttyWindow, CUE_TITLE, 2, 0);
    ASSERT_TRUE(Until([&] { return !s->Disconnected; }, 3000));
    EXPECT_EQ(U8(s->Caption), "테스트 서버");
    Settings.TabCaption = 1;
    Until([] { return false; }, 300);
    PostMessageW(s->PuttyWindow, CUE_TITLE, 0, 0);
    ASSERT_TRUE(Until([&] { return U8(s->Caption) == "127.0.0.1 - PuTTY"; }, 3000));

    Settings.KeepOnAbnormalEnd = 0;
    PostMessageW(s->PuttyWindow, CUE_TITLE, 1, 0);
    ASSERT_TRUE(Until([&] { return SessionCount == 0; }, 3000));
}

/* The double's configuration box, into the search's Fallback. */
static BOOL CALLBACK FindConfigBox(HWND w, LPARAM p)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (pid == ((PuttyWindowSearch *)p)->ProcessId && !lstrcmpW(cls, L"PuTTYConfigBox"))
        ((PuttyWindowSearch *)p)->Fallback = w;
    return TRUE;
}

TEST_F(Sessions, ConfigBoxWaitsAndNoWindowFails)
{
    Session *s = Open(Server("-double-window config"));
    ASSERT_TRUE(Until([&] { return !Log().empty(); }));
    Until([] { return false; }, 600);
    s->StateSince = GetTickCount() - 31000;         /* long past the 30 s limit */
    Until([] { return false; }, 600);
    EXPECT_EQ(s->State, SESSION_STARTING);
    /* cancelling the box ends PuTTY: an Ended tab */
    PuttyWindowSearch q = { s->ProcessId, NULL, NULL, false };
    HWND box = NULL;
    EnumWindows(FindConfigBox, (LPARAM)&q);
    box = q.Fallback;
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Until([&] { return s->State == SESSION_ENDED; }, 3000));
    EXPECT_EQ(s->ExitCode, 0);

    /* no window at all: Failed after 30 s, the process left running */
    s = Open(Server("-double-window none"));
    Until([&] { return !Log().empty(); });
    s->StateSince = GetTickCount() - 31000;
    ASSERT_TRUE(Until([&] { return s->State == SESSION_FAILED; }, 2000));
    EXPECT_EQ(Status(s), "PuTTY 창을 찾지 못했습니다. (PuTTY 대화상자가 떠 있는지 확인하세요)");
    EXPECT_EQ(WaitForSingleObject(s->Process, 0), (DWORD)WAIT_TIMEOUT);
    EXPECT_NE(s->ReconnectButton, nullptr);
    EXPECT_EQ(s->PasswordFile[0], 0);

    /* a window that never answers: the same limit, and its password
     * file goes with the start */
    s = Open(Server("-double-hang 0"));
    std::string file = U8(s->PasswordFile);
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(Until([&] {
        PuttyWindowSearch q = { s->ProcessId, NULL, NULL, false };
        EnumWindows(FindPuttyWindow, (LPARAM)&q);
        return q.Main != NULL;
    }));
    s->StateSince = GetTickCount() - 31000;
    ASSERT_TRUE(Until([&] { return s->State == SESSION_FAILED; }, 3000));
    EXPECT_EQ(Status(s), "PuTTY 창이 응답하지 않습니다.");
    EXPECT_FALSE(PathExists(WText(file)));
    EXPECT_NE(s->ReconnectButton, nullptr);
}

TEST_F(Sessions, FallbackWindowAfterThreeSeconds)
{
    Session *s = Open(Server("-double-window other"));
    ASSERT_TRUE(Until([&] { return !Log().empty(); }));
    DWORD start = GetTickCount();
    ASSERT_TRUE(Until([&] { return Running(s); }, 6000));
    EXPECT_GE(GetTickCount() - start + 300, 2700u);
    wchar_t cls[64];
    GetClassNameW(s->PuttyWindow, cls, 64);
    EXPECT_EQ(U8(cls), "DoubleOther");
}

TEST_F(Sessions, StartFailures)
{
    /* a directory is no executable: nothing started */
    StrCopyTo(Settings.PuttyPath, KPATH, WText(dir.path));
    Session *s = Open(Server());
    EXPECT_EQ(s->State, SESSION_FAILED);
    EXPECT_EQ(s->Process, nullptr);
    EXPECT_EQ(Status(s), "PuTTY 실행 파일을 찾을 수 없습니다. 도구 → PuTTY 위치에서 지정하세요.");
    EXPECT_NE(s->ReconnectButton, nullptr);

    /* a file that is no program: the error number in the text, no file left */
    std::string bogus = dir.path + "\\bogus.exe";
    WriteBytes(WText(bogus), "this is not a program");
    StrCopyTo(Settings.PuttyPath, KPATH, WText(bogus));
    ReconnectSession(s);
    EXPECT_EQ(s->State, SESSION_FAILED);
    EXPECT_EQ(s->PasswordFile[0], 0);
    std::string status = Status(s);
    EXPECT_EQ(status.rfind("PuTTY를 실행하지 못했습니다 (오류 ", 0), 0u) << status;
    EXPECT_NE(status.find("193"), std::string::npos) << status;
    Until([] { return false; }, 50);
    SaveWindowShot(s->HostWindow, "session-failed");
}

TEST_F(Sessions, TabStripAfterTheLastTabWent)
{
    SetForegroundWindow(MainWindow);
    Session *a = Open(Server()), *b = Open(Server()), *c = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(a) && Running(b) && Running(c); }));
    ActivateSession(0, true);       /* the user works in the first tab meanwhile */
    Until([] { return false; }, 300);
    int id = c->Id;
    PostMessageW(c->PuttyWindow, CUE_EXIT, 0, 0);
    ASSERT_TRUE(Until([&] { return !FindSessionById(id); }, 5000));
    Until([] { return false; }, 300);
    std::string shown = WindowPixels(TabControl);
    RedrawWindow(TabControl, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    Until([] { return false; }, 300);
    EXPECT_TRUE(shown == WindowPixels(TabControl)) << "the strip differs from a freshly drawn one";
}

TEST_F(Sessions, RemovalKeepsTheActiveSession)
{
    StrCopyTo(Settings.PuttyPath, KPATH, L"");      /* quick Failed sessions */
    Session *a = Open(Server()), *b = Open(Server()), *c = Open(Server());
    EXPECT_EQ(ActiveSession(), c);
    RemoveSession(b);
    EXPECT_EQ(ActiveSession(), c);
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_TRUE(IsWindowVisible(c->HostWindow));
    EXPECT_FALSE(IsWindowVisible(a->HostWindow));
    RemoveSession(c);
    EXPECT_EQ(ActiveSession(), a);
    EXPECT_EQ(SessionCount, 1);
    int last = a->Id;
    Session *d = Open(Server());
    EXPECT_GT(d->Id, last + 2);     /* ids of removed sessions are not reused */
}

TEST_F(Sessions, DetachAndAttach)
{
    Session *s = Open(Server());
    ASSERT_TRUE(Until([&] { return Running(s); }));
    HWND w = s->PuttyWindow;
    LONG saved = s->SavedStyle, savedEx = s->SavedExStyle;
    DWORD pid = s->ProcessId;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    DetachSession(s);
    EXPECT_EQ(SessionCount, 0);
    EXPECT_EQ(GetParent(w), nullptr);
    EXPECT_EQ((DWORD)GetWindowLongW(w, GWL_STYLE) & ~(DWORD)WS_VISIBLE,
              DetachedStyle((uint32_t)saved) & ~(DWORD)WS_VISIBLE);
    EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, savedEx & ~WS_EX_WINDOWEDGE);
    EXPECT_TRUE(Until([&] { return IsWindowVisible(w); }, 2000));
    EXPECT_EQ(WaitForSingleObject(process, 0), (DWORD)WAIT_TIMEOUT);   /* PuTTY goes on */

    /* the free window is taken in again */
    EXPECT_TRUE(IsForeignPuttyWindow(w, 0));
    EXPECT_TRUE(IsForeignPuttyWindow(w, pid));
    EXPECT_FALSE(IsForeignPuttyWindow(w, pid + 4));
    EXPECT_FALSE(IsForeignPuttyWindow(MainWindow, 0));
    Session *a = AttachWindow(w);
    EXPECT_EQ(a->Node, nullptr);
    EXPECT_TRUE(Running(a));
    EXPECT_EQ(GetParent(w), a->ClipWindow);
    EXPECT_EQ(U8(a->Caption), "127.0.0.1 - PuTTY");
    EXPECT_EQ(AttachWindow(w), a);
    EXPECT_EQ(SessionCount, 1);
    EXPECT_EQ(a->ReconnectButton, nullptr);

    /* its end follows the normal rules; it is never restarted */
    Settings.AutoReconnect = 1;
    Settings.CloseOnNormalEnd = 0;
    PostMessageW(w, CUE_EXIT, 5, 0);
    ASSERT_TRUE(Until([&] { return a->State == SESSION_ENDED; }, 3000));
    EXPECT_EQ(a->ExitCode, 5);
    EXPECT_EQ(a->ReconnectButton, nullptr);
    CloseHandle(process);
}

TEST_F(Sessions, OpenSessionsGoIntoTheConfiguration)
{
    StrCopyTo(Settings.PuttyPath, KPATH, L"");
    Settings.SaveSessions = 1;
    ServerNode *inTree = Server();
    Session *a = Open(inTree);
    ServerNode *gone = Server();
    Session *b = Open(gone);
    StrCopyTo(b->Caption, CAPTION_MAX, L"내 탭 <1>");
    b->CaptionIsCustom = true;
    NodeUnlink(gone);       /* deleted from the tree: the session keeps its copy */
    NodeFree(gone);
    Open(inTree);
    EXPECT_NE(a->Node, inTree);

    StrCopyTo(ConfigFilePath, KPATH, WText(dir.path + "\\kestrum.xml"));
    ASSERT_TRUE(ConfigSave());
    std::string text = ReadBytes(ConfigFilePath);
    std::string uid = "<Open caption=\"\" uid=\"" + U8(inTree->UID) + "\"/>";
    size_t first = text.find(uid);
    ASSERT_NE(first, std::string::npos) << text.substr(text.find("<OpenSessions>"));
    size_t inline_ = text.find("<Open caption=\"내 탭 &lt;1&gt;\">");
    EXPECT_GT(inline_, first);
    EXPECT_NE(text.find(uid, inline_), std::string::npos);
    /* the inline copy carries no password */
    EXPECT_EQ(text.find("<Password enc", inline_), std::string::npos) << text.substr(inline_);

    Settings.SaveSessions = 0;
    ASSERT_TRUE(ConfigSave());
    EXPECT_EQ(ReadBytes(ConfigFilePath).find("<Open "), std::string::npos);
}

/* The tab strip: close marks, middle click, dragging, and the texts. */
TEST_F(Sessions, TabStrip)
{
    StrCopyTo(Settings.PuttyPath, KPATH, L"");      /* Failed sessions: no PuTTY needed */
    Session *s[4];
    const char *names[] = { "a", "b", "c", "d" };
    for (int i = 0; i < 4; i++) {
        ServerNode *n = Server();
        StrAssign(&n->DisplayName, WText(names[i]));
        s[i] = Open(n);
    }
    ASSERT_EQ((int)SendMessageW(TabControl, TCM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(ActiveIndex(), 3);
    wchar_t title[256];
    GetWindowTextW(MainWindow, title, 256);
    EXPECT_EQ(U8(title), "d - Kestrum");
    EXPECT_EQ(TabLabel(0), "[종료] a");
    EXPECT_EQ(ListLine(0), "a (종료)");

    auto tabRect = [](int i) {
        RECT r = {};
        SendMessageW(TabControl, TCM_GETITEMRECT, i, (LPARAM)&r);
        return r;
    };
    auto at = [](int x, int y) { return MAKELPARAM(x, y); };

    /* dragging tab 0 onto tab 2: a moves there and becomes active */
    RECT r0 = tabRect(0), r2 = tabRect(2);
    int y = (r0.top + r0.bottom) / 2;
    SendMessageW(TabControl, WM_LBUTTONDOWN, MK_LBUTTON, at(r0.left + 4, y));
    SendMessageW(TabControl, WM_MOUSEMOVE, MK_LBUTTON, at(r0.left + 4 + GetSystemMetrics(SM_CXDRAG), y));
    EXPECT_NE(GetCapture(), TabControl);        /* exactly the drag distance: no drag yet */
    SendMessageW(TabControl, WM_MOUSEMOVE, MK_LBUTTON, at((r2.left + r2.right) / 2, y));
    SendMessageW(TabControl, WM_LBUTTONUP, 0, at(r2.left + 4, y));
    ASSERT_EQ(SessionCount, 4);
    EXPECT_EQ(SessionList[0], s[1]);
    EXPECT_EQ(SessionList[1], s[2]);
    EXPECT_EQ(SessionList[2], s[0]);
    EXPECT_EQ(ActiveSession(), s[0]);

    /* a close mark pressed, left and released elsewhere: nothing closes */
    RECT r1 = tabRect(1);
    int markX = r1.right - ScaleForDpi(5) - ScaleForDpi(6);
    SendMessageW(TabControl, WM_LBUTTONDOWN, MK_LBUTTON, at(markX, y));
    SendMessageW(TabControl, WM_LBUTTONUP, 0, at(r1.left + 3, y));
    EXPECT_EQ(SessionCount, 4);
    /* pressed and released on the same mark: that session closes */
    SendMessageW(TabControl, WM_LBUTTONDOWN, MK_LBUTTON, at(markX, y));
    SendMessageW(TabControl, WM_LBUTTONUP, 0, at(markX, y));
    ASSERT_EQ(SessionCount, 3);
    EXPECT_EQ(SessionIndex(s[2]), -1);
    EXPECT_EQ(ActiveSession(), s[0]);          /* the active one stays active */

    /* a middle click closes an ended session without asking */
    RECT r = tabRect(0);
    SendMessageW(TabControl, WM_MBUTTONUP, 0, at(r.left + 3, y));
    EXPECT_EQ(SessionCount, 2);
    EXPECT_EQ(SessionIndex(s[1]), -1);

    /* the session list switches tabs */
    SendMessageW(SessionListBox, LB_SETCURSEL, 1, 0);
    SendMessageW(MainWindow, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), (LPARAM)SessionListBox);
    EXPECT_EQ(ActiveSession(), s[3]);
    GetWindowTextW(MainWindow, title, 256);
    EXPECT_EQ(U8(title), "d - Kestrum");

    /* renaming updates the tab, the list and the title at once */
    StrCopyTo(s[3]->Caption, CAPTION_MAX, L"새 이름");
    s[3]->CaptionIsCustom = true;
    RefreshSessionCaption(s[3]);
    GetWindowTextW(MainWindow, title, 256);
    EXPECT_EQ(U8(title), "새 이름 - Kestrum");
    EXPECT_EQ(ListLine(1), "새 이름 (종료)");

    while (SessionCount)
        CloseSession(SessionList[0], true);
    GetWindowTextW(MainWindow, title, 256);
    EXPECT_EQ(U8(title), "Kestrum");
    EXPECT_TRUE(IsWindowVisible(StartPageWindow));
}

/* The splitters store what the mouse gives them, with their floors. */
TEST_F(Sessions, SplittersAndEndOfWindowsSession)
{
    LayoutMainWindow();
    RECT tree = TreeSplitterRect, list = ListSplitterRect;
    ASSERT_FALSE(IsRectEmpty(&tree));
    ASSERT_FALSE(IsRectEmpty(&list));
    auto at = [](int x, int y) { return MAKELPARAM(x, y); };

    SendMessageW(MainWindow, WM_LBUTTONDOWN, MK_LBUTTON, at(tree.right + 40, tree.top + 40));
    EXPECT_NE(GetCapture(), MainWindow);        /* outside both: no drag */
    SendMessageW(MainWindow, WM_LBUTTONDOWN, MK_LBUTTON, at(tree.left + 1, tree.top + 40));
    EXPECT_EQ(GetCapture(), MainWindow);
    SendMessageW(MainWindow, WM_MOUSEMOVE, MK_LBUTTON, at(10, 100));
    EXPECT_EQ(Settings.TreeWidth, ScaleForDpi(120));
    SendMessageW(MainWindow, WM_MOUSEMOVE, MK_LBUTTON, at(5000, 100));
    EXPECT_EQ(Settings.TreeWidth, 5000);          /* the layout limits what shows */
    RECT client;
    GetClientRect(MainWindow, &client);
    EXPECT_EQ(TreeSplitterRect.left, client.right - ScaleForDpi(200));
    SendMessageW(MainWindow, WM_LBUTTONUP, 0, at(5000, 100));
    EXPECT_NE(GetCapture(), MainWindow);
    Settings.TreeWidth = 230;
    LayoutMainWindow();

    list = ListSplitterRect;
    SendMessageW(MainWindow, WM_LBUTTONDOWN, MK_LBUTTON, at(list.left + 20, list.top + 1));
    SendMessageW(MainWindow, WM_MOUSEMOVE, MK_LBUTTON, at(20, client.bottom - 10));
    EXPECT_EQ(Settings.SessionsHeight, ScaleForDpi(40));
    SendMessageW(MainWindow, WM_MOUSEMOVE, MK_LBUTTON, at(20, client.bottom - 300));
    EXPECT_EQ(Settings.SessionsHeight, 300 - ScaleForDpi(20));
    SendMessageW(MainWindow, WM_LBUTTONUP, 0, at(20, 100));

    /* Windows ending: the placement and the file are saved, nothing asked */
    StrCopyTo(Settings.PuttyPath, KPATH, L"");
    Open(Server());
    StrCopyTo(ConfigFilePath, KPATH, WText(dir.path + "\\kestrum.xml"));
    Settings.WindowValid = false;
    int asked = StubMessageCount;
    EXPECT_TRUE(SendMessageW(MainWindow, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(StubMessageCount, asked);
    EXPECT_TRUE(Settings.WindowValid);
    EXPECT_NE(ReadBytes(ConfigFilePath).find("<Window show="), std::string::npos);
    EXPECT_EQ(SessionCount, 1);
}

TEST_F(Sessions, AttachAWindowStartedOutside)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<wchar_t> line(WText("\"" + ProgramDir() + "\\putty_double.exe\" -double-log \"" + log + "\"").chars);
    ASSERT_TRUE(CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    HWND w = NULL;
    ASSERT_TRUE(Until([&] {
        PuttyWindowSearch q = { pi.dwProcessId, NULL, NULL, false };
        EnumWindows(FindPuttyWindow, (LPARAM)&q);
        w = q.Main;
        return w != NULL;
    }));
    EXPECT_TRUE(IsForeignPuttyWindow(w, pi.dwProcessId));
    Session *s = AttachWindow(w);
    EXPECT_TRUE(Running(s));
    EXPECT_EQ(s->Node, nullptr);
    EXPECT_EQ(GetParent(w), s->ClipWindow);
    EXPECT_EQ(ActiveSession(), s);
    /* typing into it works; reconnecting it cannot */
    SendSpecialKey(s->Id, 0);
    ASSERT_TRUE(Until([&] { return Logged("char 13 00000001"); }, 3000));
    int asked = StubMessageCount;
    ReconnectSession(s);
    EXPECT_EQ(StubMessageCount, asked + 1);
    EXPECT_EQ(U8(StubMessageText), "가져온(Attach) PuTTY 창은 다시 연결할 수 없습니다.");
    EXPECT_TRUE(Running(s));
    CloseSession(s, true);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 3000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
