/*
 * Attaching in this process: PuTTY doubles started by the test as a user
 * would start PuTTY, outside Kestrum; the attach dialog over the real
 * main window, opened modelessly to read it and modally (driven from a
 * timer) for the whole choice.  Message boxes are the recorders of
 * stub_prompts.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/text.h"
#include "resources/resource.h"
#include "sessions/capture.h"
#include "sessions/key_script.h"
#include "sessions/session.h"
#include "ui/dialogs/attach.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tabs.h"
#include "double_cues.h"
#include "main_window_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {


struct Entry {
    std::string text;
    HWND window;
};

std::vector<Entry> Entries(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
    std::vector<Entry> out;
    int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        wchar_t text[300];
        text[0] = 0;
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
        out.push_back({ U8(text), (HWND)SendMessageW(list, LB_GETITEMDATA, i, 0) });
    }
    return out;
}

int IndexOf(HWND dialog, HWND window)
{
    std::vector<Entry> e = Entries(dialog);
    for (size_t i = 0; i < e.size(); i++)
        if (e[i].window == window)
            return (int)i;
    return -1;
}

/* The modal dialog, once it is up, is handed to Drive from a timer that
 * its message loop dispatches. */
std::function<void(HWND)> Drive;
bool DialogSeen;

BOOL CALLBACK FindAttachDialog(HWND w, LPARAM found)
{
    wchar_t cls[64], title[64];
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, title, 64);
    if (!lstrcmpW(cls, L"#32770") && !lstrcmpW(title, L"열린 PuTTY 창 가져오기") && IsWindowVisible(w)) {
        *(HWND *)found = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindAttachDialog, (LPARAM)&dialog);
    if (!dialog)
        return;
    KillTimer(NULL, timer);
    DialogSeen = true;
    Drive(dialog);
}

/* ChooseAttachWindow with the dialog driven by drive. */
HWND Choose(const std::function<void(HWND)> &drive)
{
    Drive = drive;
    DialogSeen = false;
    UINT_PTR timer = SetTimer(NULL, 0, 50, DriveDialog);
    HWND chosen = ChooseAttachWindow();
    KillTimer(NULL, timer);
    return chosen;
}

struct AttachDialog : ::testing::Test {
    TempDir dir;
    std::vector<PROCESS_INFORMATION> doubles;
    HWND own = NULL;
    bool ownClass = false;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        ResetModel();
        SessionsInit();
        StubPromptsReset();
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        for (PROCESS_INFORMATION &pi : doubles) {
            TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 3000);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        if (own)
            DestroyWindow(own);
        /* other suites register PuTTY's class with procedures of their own */
        if (ownClass)
            UnregisterClassW(L"PuTTY", GetModuleHandleW(NULL));
        ResetModel();
    }

    std::string LogPath(const std::string &name) { return dir.path + "\\" + name + ".log"; }
    bool Logged(const std::string &name, const std::string &line)
    {
        return ReadBytes(WText(LogPath(name))).find(line + "\r\n") != std::string::npos;
    }
    /* A double started outside Kestrum, shown with show; its window. */
    HWND StartDouble(const std::string &name, const std::string &title, int show = SW_SHOWNORMAL,
                     const std::string &kind = "putty")
    {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = (WORD)show;
        PROCESS_INFORMATION pi;
        std::vector<wchar_t> line(WText("\"" + ProgramDir() + "\\putty_double.exe\" -double-log \"" +
                                        LogPath(name) + "\" -double-window " + kind + " -double-title \"" +
                                        title + "\"").chars);
        if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
            return NULL;
        doubles.push_back(pi);
        HWND w = NULL;
        Until([&] {
            PuttyWindowSearch q = { pi.dwProcessId, NULL, NULL, false };
            EnumWindows(FindPuttyWindow, (LPARAM)&q);
            w = q.Main ? q.Main : q.Fallback;
            return w && (show == SW_HIDE || IsWindowVisible(w));
        }, 5000);
        return w;
    }
    HANDLE ProcessOf(HWND w)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        for (PROCESS_INFORMATION &pi : doubles)
            if (pi.dwProcessId == pid)
                return pi.hProcess;
        return NULL;
    }
    /* A window of this very process with PuTTY's class. */
    void MakeOwnPuttyWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = L"PuTTY";
        ownClass = RegisterClassW(&wc) != 0;
        own = CreateWindowExW(0, L"PuTTY", L"attach-own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                              NULL, NULL, GetModuleHandleW(NULL), NULL);
    }
};

} // namespace

TEST_F(AttachDialog, OffersVisibleTopLevelPuttyWindowsOfOtherProcesses)
{
    HWND first = StartDouble("first", "attach-twin");
    HWND second = StartDouble("second", "attach-twin");
    HWND kitty = StartDouble("kitty", "attach-kitty", SW_SHOWNORMAL, "kitty");
    HWND minimised = StartDouble("min", "attach-min", SW_SHOWMINNOACTIVE);
    HWND untitled = StartDouble("untitled", "");
    HWND hidden = StartDouble("hidden", "attach-hidden", SW_HIDE);
    HWND other = StartDouble("other", "attach-other", SW_SHOWNORMAL, "other");
    ASSERT_TRUE(first && second && kitty && minimised && untitled && hidden && other);
    ASSERT_TRUE(IsIconic(minimised));
    MakeOwnPuttyWindow();
    ASSERT_NE(own, nullptr);

    HWND chosen = (HWND)1;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_ATTACH), MainWindow,
                                     AttachDialogProc, (LPARAM)&chosen);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    std::vector<Entry> entries = Entries(dialog);
    auto text = [&](HWND w) {
        for (const Entry &e : entries)
            if (e.window == w)
                return e.text;
        return std::string("<not offered>");
    };
    /* two windows of one title are two entries, each with its own window */
    EXPECT_EQ(text(first), "attach-twin");
    EXPECT_EQ(text(second), "attach-twin");
    EXPECT_EQ(text(kitty), "attach-kitty");
    EXPECT_EQ(text(minimised), "attach-min");
    EXPECT_EQ(text(untitled), "(제목 없음)");
    EXPECT_EQ(text(hidden), "<not offered>");
    EXPECT_EQ(text(other), "<not offered>");
    EXPECT_EQ(text(own), "<not offered>");
    EXPECT_EQ((int)entries.size(), EnumAttachCandidates(NULL, NULL));
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_ATTACH_LIST));
    Until([] { return false; }, 200);
    SaveWindowShot(dialog, "dialog-206-attach");

    /* nothing is chosen before "가져오기" */
    EXPECT_EQ(chosen, (HWND)1);
    SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_SETCURSEL, IndexOf(dialog, second), 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(chosen, second);
    EXPECT_FALSE(IsWindowVisible(dialog));     /* ended */
    DestroyWindow(dialog);
}

TEST_F(AttachDialog, ChosenWindowIsAttachedAndNoLongerOffered)
{
    HWND w = StartDouble("chosen", "attach-chosen");
    HWND minimised = StartDouble("min", "attach-min", SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(w && minimised);

    /* a double-click chooses like "가져오기" */
    HWND got = Choose([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
        SendMessageW(list, LB_SETCURSEL, IndexOf(dialog, w), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ATTACH_LIST, LBN_DBLCLK), (LPARAM)list);
    });
    ASSERT_TRUE(DialogSeen);
    ASSERT_EQ(got, w);
    EXPECT_EQ(StubMessageCount, 0);
    Session *s = AttachWindow(got);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->State, SESSION_RUNNING);
    EXPECT_EQ(s->Node, nullptr);
    EXPECT_EQ(GetParent(w), s->ClipWindow);
    EXPECT_EQ(U8(s->Caption), "attach-chosen");
    EXPECT_EQ(ActiveSession(), s);
    SendSpecialKey(s->Id, 0);
    EXPECT_TRUE(Until([&] { return Logged("chosen", "char 13 00000001"); }, 3000));

    /* the embedded window is a child now: the next dialog offers only the
     * minimised one, and capturing that restores it */
    got = Choose([&](HWND dialog) {
        EXPECT_EQ(IndexOf(dialog, w), -1);
        EXPECT_NE(IndexOf(dialog, minimised), -1);
        SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_SETCURSEL, IndexOf(dialog, minimised), 0);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(got, minimised);
    Session *m = AttachWindow(got);
    EXPECT_EQ(GetParent(minimised), m->ClipWindow);
    EXPECT_EQ(SessionCount, 2);
    /* no icon in the tab: restored and fitted to the clip window */
    EXPECT_TRUE(Until([&] {
        RECT clip, client;
        GetClientRect(m->ClipWindow, &clip);
        GetClientRect(minimised, &client);
        return !(GetWindowLongW(minimised, GWL_STYLE) & WS_MINIMIZE) && client.right == clip.right &&
               client.bottom == clip.bottom;
    }, 3000));
}

TEST_F(AttachDialog, CancelEscapeOrNoSelectionChooseNothing)
{
    HWND w = StartDouble("kept", "attach-kept");
    ASSERT_NE(w, nullptr);

    HWND got = Choose([](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(got, nullptr);

    /* Escape reaches the dialog through its own message loop */
    got = Choose([](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
        PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(list, WM_KEYUP, VK_ESCAPE, 0);
    });
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(got, nullptr);

    /* without a selection neither "가져오기" nor a double-click ends it */
    bool stayed = false;
    got = Choose([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
        SendMessageW(list, LB_SETCURSEL, (WPARAM)-1, 0);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ATTACH_LIST, LBN_DBLCLK), (LPARAM)list);
        stayed = IsWindowVisible(dialog) != FALSE;
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(SessionCount, 0);
    EXPECT_EQ(GetParent(w), nullptr);
    EXPECT_EQ(StubMessageCount, 0);
}

TEST_F(AttachDialog, WindowClosedOrTakenWhileTheDialogIsOpenGivesNothing)
{
    HWND gone = StartDouble("gone", "attach-gone");
    HWND taken = StartDouble("taken", "attach-taken");
    ASSERT_TRUE(gone && taken);
    HANDLE process = ProcessOf(gone);
    HWND got = Choose([&](HWND dialog) {
        SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_SETCURSEL, IndexOf(dialog, gone), 0);
        PostMessageW(gone, CUE_EXIT, 0, 0);
        EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
        EXPECT_FALSE(IsWindow(gone));
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(got, nullptr);

    /* another Kestrum (here a window of this process) took it in */
    got = Choose([&](HWND dialog) {
        SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_SETCURSEL, IndexOf(dialog, taken), 0);
        SetWindowLongW(taken, GWL_STYLE, (GetWindowLongW(taken, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        SetParent(taken, MainWindow);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(SessionCount, 0);
}

TEST_F(AttachDialog, NothingToAttachIsToldWithoutTheDialog)
{
    StartDouble("hidden", "attach-hidden", SW_HIDE);
    MakeOwnPuttyWindow();
    ASSERT_EQ(EnumAttachCandidates(NULL, NULL), 0) << "a PuTTY window of another test is still open";
    HWND got = Choose([](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(got, nullptr);
    EXPECT_FALSE(DialogSeen);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(U8(StubMessageText), "가져올 수 있는 PuTTY 창이 없습니다.");
}
