/*
 * End to end: Kestrum.exe with a real putty.exe against a real OpenSSH
 * server on 127.0.0.1, as tests/e2e/run.sh sets them up.  Every proof of
 * a login or a script is on the server's side (its log, files written by
 * the test user); Wine does not draw the embedded PuTTY window.
 *
 * Skipped unless run.sh passes the environment:
 *   KESTRUM_E2E_PUTTY    putty.exe
 *   KESTRUM_E2E_HOSTKEY  the server's SHA256 host-key fingerprint
 *   KESTRUM_E2E_LOG      the server's log
 *   KESTRUM_E2E_HOME     the test user's home folder
 *   KESTRUM_E2E_DROP     a file whose creation makes run.sh end the test
 *                        user's processes on the server
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <stdlib.h>

#include <algorithm>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/commands/command_ids.h"
#include "password_scan.h"
#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

static const char *User = "kestrumtest";
static const char *Password = "Kestrum-e2e pw";

static std::string Env(const char *name)
{
    const char *v = getenv(name);
    return v ? v : "";
}

static int Count(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

/* The command line of another process, read from its process block. */
static std::string CommandLineOf(DWORD pid)
{
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p)
        return "<no access>";
    typedef NTSTATUS(NTAPI * QueryFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    QueryFn query = (QueryFn)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION info = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS params = {};
    std::string out = "<unreadable>";
    if (query && query(p, ProcessBasicInformation, &info, sizeof info, NULL) == 0 &&
        ReadProcessMemory(p, info.PebBaseAddress, &peb, sizeof peb, NULL) &&
        ReadProcessMemory(p, peb.ProcessParameters, &params, sizeof params, NULL)) {
        std::vector<wchar_t> line(params.CommandLine.Length / 2 + 1);
        if (ReadProcessMemory(p, params.CommandLine.Buffer, line.data(), params.CommandLine.Length, NULL))
            out = U8(line.data());
    }
    CloseHandle(p);
    return out;
}

static BOOL CALLBACK AddWindow(HWND w, LPARAM out)
{
    wchar_t cls[64] = L"", title[128] = L"";
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, title, 128);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (IsWindowVisible(w) || !lstrcmpW(cls, L"PuTTY"))
        *(std::string *)out += "\n  pid " + std::to_string(pid) + " " + U8(cls) + " \"" + U8(title) + "\"" +
                               (IsWindowVisible(w) ? "" : " (hidden)");
    return TRUE;
}

/* The top-level windows that are shown, and PuTTY's even when hidden:
 * what a PuTTY that was not taken in was showing. */
static std::string TopLevelWindows()
{
    std::string out = "top-level windows:";
    EnumWindows(AddWindow, (LPARAM)&out);
    return out;
}

/* Input as the user gives it: keys through the keyboard, clicks through
 * the mouse, to whatever has the focus or lies under the pointer. */
static void TypeKeys(const char *text)
{
    for (const char *c = text; *c; c++) {
        SHORT scan = VkKeyScanW((wchar_t)(unsigned char)*c);
        PressKey((WORD)(scan & 0xFF), (scan & 0x100) ? VK_SHIFT : 0);
    }
}

static void ClickOn(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    ClickAt({ (r.left + r.right) / 2, (r.top + r.bottom) / 2 });
}

struct FoundChild {
    const wchar_t *Class;
    const char *Text;           /* part of its text, or null */
    HWND Found;
};

static BOOL CALLBACK FindChild(HWND w, LPARAM p)
{
    FoundChild *f = (FoundChild *)p;
    wchar_t cls[64] = L"";
    GetClassNameW(w, cls, 64);
    if (!lstrcmpiW(cls, f->Class) && (!f->Text || WindowText(w).find(f->Text) != std::string::npos)) {
        f->Found = w;
        return FALSE;
    }
    return TRUE;
}

static HWND Descendant(HWND parent, const wchar_t *cls, const char *text = NULL)
{
    FoundChild f = { cls, text, NULL };
    EnumChildWindows(parent, FindChild, (LPARAM)&f);
    return f.Found;
}

struct EndToEnd : ::testing::Test {
    TempDir dir;
    std::string putty, hostkey, log, home, drop;

    void SetUp() override
    {
        putty = Env("KESTRUM_E2E_PUTTY");
        hostkey = Env("KESTRUM_E2E_HOSTKEY");
        log = Env("KESTRUM_E2E_LOG");
        home = Env("KESTRUM_E2E_HOME");
        drop = Env("KESTRUM_E2E_DROP");
        if (putty.empty())
            GTEST_SKIP() << "run by tests/e2e/run.sh with a real PuTTY and sshd";
        /* the configuration is written here with the password in clear:
         * Kestrum's closing save must protect it, its backup keeps it */
        WatchPasswords({ Password });
        AllowClearFile(dir.path + "\\kestrum.xml.bak");
    }
    void TearDown() override
    {
        ExpectNoClearPasswords();
    }
    std::string ServerLog() { return ReadBytes(WText(log)); }
    int Logins() { return Count(ServerLog(), std::string("Accepted password for ") + User); }
    std::string Marker(const char *name) { return ReadBytes(WText(home + "\\" + name)); }

    /* A server entry: mode 0 automatic, 2 typed. */
    std::string Server(const char *name, const char *uid, int mode, const std::string &script)
    {
        return std::string("<Node Type=\"1\"><DisplayName>") + name + "</DisplayName><UID>" + uid +
               "</UID><ServerName>127.0.0.1</ServerName><PuttyConType>4</PuttyConType><Port>2222</Port>"
               "<UserName>" + User + "</UserName><Password enc=\"plain\">" + Password + "</Password>"
               "<PasswordMode>" + std::to_string(mode) + "</PasswordMode><PasswordDelay>800</PasswordDelay>"
               "<CLParams>-hostkey " + hostkey + "</CLParams><Script>" + script + "</Script>"
               "<ScriptDelay>500</ScriptDelay></Node>";
    }
    std::string Config(const std::string &servers, const std::string &open, const std::string &settings = "")
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings><PuttyPath>" +
               putty + "</PuttyPath><SaveSessions>1</SaveSessions>" + settings + "</Settings><Servers>" + servers +
               "</Servers><PuttySessions/><OpenSessions>" + open + "</OpenSessions></Kestrum>\r\n";
    }
};

TEST_F(EndToEnd, PasswordsScriptsAndReopening)
{
    DeleteFileW(WText(home + "\\marker-auto"));
    DeleteFileW(WText(home + "\\marker-typed"));
    int before = Logins();
    /* automatic (PuTTY 0.78: -pwfile) with a script; typed after 800 ms */
    std::string servers =
        Server("자동", "{E2E00000-0000-0000-0000-000000000001}", 0,
               "{WAIT 300}echo ab{BS}c-auto &gt; marker-auto{ENTER}S=auto{ENTER}") +
        Server("입력", "{E2E00000-0000-0000-0000-000000000002}", 2,
               "echo typed &gt; marker-typed{ENTER}S=typed{ENTER}");
    std::string open = "<Open caption=\"\" uid=\"{E2E00000-0000-0000-0000-000000000001}\"/>"
                       "<Open caption=\"\" uid=\"{E2E00000-0000-0000-0000-000000000002}\"/>";
    WText configPath(dir.path + "\\kestrum.xml");
    ASSERT_TRUE(WriteBytes(configPath, Config(servers, open)));
    std::vector<std::string> oldFiles = PasswordFiles();
    auto newFiles = [&] {
        std::vector<std::string> now = PasswordFiles(), added;
        for (const std::string &f : now)
            if (std::find(oldFiles.begin(), oldFiles.end(), f) == oldFiles.end())
                added.push_back(f);
        return added;
    };
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();

    std::vector<HWND> hosts;
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 2 && EmbeddedIn(hosts[0]) && EmbeddedIn(hosts[1]);
    }, 20000)) << TopLevelWindows();
    DWORD captured = GetTickCount();
    DWORD pids[2];
    std::string lines;
    for (int i = 0; i < 2; i++) {
        GetWindowThreadProcessId(EmbeddedIn(hosts[i]), &pids[i]);
        lines += CommandLineOf(pids[i]) + "\n";
    }
    /* one gets -pwfile, the other has the password typed; neither line holds it */
    EXPECT_EQ(Count(lines, " -pwfile "), 1) << lines;
    EXPECT_EQ(lines.find(Password), std::string::npos) << lines;

    ASSERT_TRUE(WaitFor([&] { return Logins() >= before + 2; }, 20000)) << ServerLog();
    EXPECT_TRUE(WaitFor([&] { return newFiles().empty(); }, 6000 - (GetTickCount() - captured)));
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-auto") == "ac-auto\n"; }, 15000)) << Marker("marker-auto");
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-typed") == "typed\n"; }, 15000)) << Marker("marker-typed");
    SaveWindowShot(k.Main, "e2e-logged-in");

    /* the send-script dialog reaches every open session */
    DeleteFileW(WText(home + "\\marker-all"));
    PostMessageW(k.Main, WM_COMMAND, CMD_SEND_SCRIPT, 0);
    HWND send = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> boxes = TopWindows(k.Info.dwProcessId, L"#32770");
        send = boxes.empty() ? NULL : boxes[0];
        /* shown once it has filled in the remembered text */
        return send != NULL && IsWindowVisible(send);
    }));
    SetDlgItemTextW(send, IDC_SEND_TEXT, L"echo sent >> marker-all{ENTER}");
    SendMessageW(GetDlgItem(send, IDC_SEND_ALL), BM_CLICK, 0, 0);
    SaveWindowShot(send, "e2e-send-script");
    PostMessageW(send, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-all") == "sent\nsent\n"; }, 15000)) << Marker("marker-all");

    /* what the user types next reaches the active session: after the
     * dialog, a click on a tab, Ctrl+Tab (and below the active tab closed) */
    DeleteFileW(WText(home + "\\marker-keys"));
    HWND tabs = Descendant(k.Main, L"SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    const char *const names[] = { "auto", "typed" };     /* the tabs in order */
    std::string keys;
    /* where the keys went instead */
    auto focus = [&] {
        return " (tab " + std::to_string(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)) + ", focus in " +
               FocusName(k.Info.dwThreadId) + ")";
    };
    auto typedReaches = [&](int tab) {
        keys += std::string(names[tab]) + "\n";
        TypeKeys("echo $S >> marker-keys\r");
        return WaitFor([&] { return Marker("marker-keys") == keys; }, 10000);
    };
    int active = (int)SendMessageW(tabs, TCM_GETCURSEL, 0, 0);
    ASSERT_TRUE(active == 0 || active == 1) << active;
    EXPECT_TRUE(typedReaches(active)) << "after the dialog: " << Marker("marker-keys");
    RECT tab = TabOnScreen(tabs, k.Info.dwProcessId, 1 - active);
    ClickAt({ tab.left + (tab.right - tab.left) / 3, (tab.top + tab.bottom) / 2 });
    EXPECT_TRUE(typedReaches(1 - active)) << "after a click on a tab: " << Marker("marker-keys") << focus();
    PressKey(VK_TAB, VK_CONTROL);
    EXPECT_TRUE(typedReaches(active)) << "after Ctrl+Tab: " << Marker("marker-keys") << focus();

    /* both PuTTYs end with Kestrum; the next start logs in again */
    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.Answer(IDYES), "열린 세션 2개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(k.WaitExit(), 0);
    for (DWORD pid : pids) {
        HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
        EXPECT_TRUE(!p || WaitForSingleObject(p, 3000) == WAIT_OBJECT_0);
        if (p)
            CloseHandle(p);
    }
    int after = Logins();
    DeleteFileW(WText(home + "\\marker-auto"));
    DeleteFileW(WText(home + "\\marker-typed"));
    KestrumProcess again;
    ASSERT_TRUE(again.Start(dir.path)) << again.Describe();
    EXPECT_TRUE(WaitFor([&] { return Logins() >= after + 2; }, 20000)) << ServerLog() << TopLevelWindows();
    EXPECT_EQ(again.Hosts().size(), 2u);

    /* the active tab closed after its question, by a middle click */
    ASSERT_TRUE(WaitFor([&] { return !Marker("marker-auto").empty() && !Marker("marker-typed").empty(); }, 15000));
    Sleep(500);
    tabs = Descendant(again.Main, L"SysTabControl32");
    active = (int)SendMessageW(tabs, TCM_GETCURSEL, 0, 0);
    ASSERT_TRUE(active == 0 || active == 1) << active;
    tab = TabOnScreen(tabs, again.Info.dwProcessId, active);
    ClickAt({ tab.left + (tab.right - tab.left) / 3, (tab.top + tab.bottom) / 2 }, MOUSEEVENTF_MIDDLEDOWN,
            MOUSEEVENTF_MIDDLEUP);
    EXPECT_EQ(again.Answer(IDYES), active == 0 ? "'자동' 세션을 닫을까요?" : "'입력' 세션을 닫을까요?");
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) == 1; }, 5000));
    EXPECT_TRUE(typedReaches(1 - active)) << "after the active tab closed: " << Marker("marker-keys");
    PostMessageW(again.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.Answer(IDYES), "열린 세션 1개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(again.WaitExit(), 0);
    EXPECT_TRUE(newFiles().empty());
}

TEST_F(EndToEnd, LostConnectionReconnects)
{
    std::string servers = Server("재연결", "{E2E00000-0000-0000-0000-000000000003}", 0, "");
    std::string open = "<Open caption=\"\" uid=\"{E2E00000-0000-0000-0000-000000000003}\"/>";
    ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"),
                           Config(servers, open, "<AutoReconnect>1</AutoReconnect><ReconnectDelay>2</ReconnectDelay>")));
    AllowClearFile(dir.path + "\\kestrum.xml");       /* ended by the test, never saved */
    std::vector<std::string> filesBefore = PasswordFiles();
    int before = Logins();
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    ASSERT_TRUE(WaitFor([&] { return Logins() >= before + 1; }, 20000)) << ServerLog();
    Sleep(500);

    /* the server drops the user's connection; PuTTY reports it in a box
     * of its own, which nobody answers: the program closes it and
     * connects again within the delay */
    std::vector<HWND> hosts = k.Hosts();
    ASSERT_EQ(hosts.size(), 1u);
    DWORD pid = 0;
    GetWindowThreadProcessId(EmbeddedIn(hosts[0]), &pid);
    ASSERT_TRUE(WriteBytes(WText(drop), ""));
    /* the program closes the box at its next poll, within 250 ms of it
     * showing, and looks between 50 ms pauses could miss it */
    HWND box = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> boxes = TopWindows(pid, L"#32770");
        box = boxes.empty() ? NULL : boxes[0];
        return box != NULL;
    }, 15000, 1));
    DWORD seen = GetTickCount();
    SaveWindowShot(box, "e2e-putty-fatal-error");
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, 3000)) << WindowText(box);
    /* the session list marks the wait */
    EXPECT_TRUE(WaitFor([&] { return ListLine(k.Main, 0).find("(재연결 대기)") != std::string::npos; }, 3000))
        << ListLine(k.Main, 0);
    SaveWindowShot(k.Main, "e2e-reconnect");
    /* within ReconnectDelay and 5 s of the drop */
    DWORD spent = GetTickCount() - seen;
    EXPECT_TRUE(WaitFor([&] { return Logins() >= before + 2; }, spent < 7000 ? 7000 - spent : 0)) << ServerLog();
    /* the new start's password file goes as the first one did */
    EXPECT_TRUE(WaitFor([&] { return PasswordFiles() == filesBefore; }, 7000));
}

/* Characters posted to a PuTTY window as Kestrum's key player posts them. */
static void PostChars(HWND w, const char *text)
{
    for (const char *c = text; *c; c++)
        PostMessageW(w, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
}

TEST_F(EndToEnd, DetachedAndAttachedWindowsKeepWorking)
{
    DeleteFileW(WText(home + "\\marker-detached"));
    DeleteFileW(WText(home + "\\marker-attached"));
    std::string servers = Server("떼기", "{E2E00000-0000-0000-0000-000000000006}", 0, "");
    std::string open = "<Open caption=\"\" uid=\"{E2E00000-0000-0000-0000-000000000006}\"/>";
    ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), Config(servers, open)));
    int before = Logins();
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    std::vector<HWND> hosts;
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 1 && EmbeddedIn(hosts[0]);
    }, 20000));
    HWND detached = EmbeddedIn(hosts[0]);
    DWORD detachedPid = 0;
    GetWindowThreadProcessId(detached, &detachedPid);
    ASSERT_TRUE(WaitFor([&] { return Logins() >= before + 1; }, 20000)) << ServerLog();

    /* detached: a framed top-level window again, its connection still up */
    PostMessageW(k.Main, WM_COMMAND, CMD_DETACH, 0);
    ASSERT_TRUE(WaitFor([&] {
        return k.Hosts().empty() && GetParent(detached) == NULL && IsWindowVisible(detached);
    }, 10000));
    EXPECT_EQ(GetWindowLongW(detached, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    Sleep(300);
    SaveWindowShot(detached, "e2e-detached-putty");
    PostChars(detached, "echo detached > marker-detached\r");
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-detached") == "detached\n"; }, 15000))
        << Marker("marker-detached");

    /* a PuTTY the user started outside logs in on its own */
    WText pwfile(dir.path + "\\outside-pw");
    AllowClearFile(U8(pwfile));
    ASSERT_TRUE(WriteBytes(pwfile, Password));
    int outsideBefore = Logins();
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(WText("\"" + putty + "\" -ssh -P 2222 -l " + User + " -pwfile \"" +
                                    U8(pwfile) + "\" -hostkey " + hostkey + " 127.0.0.1").chars);
    ASSERT_TRUE(CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    HWND outside = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> w = TopWindows(pi.dwProcessId, L"PuTTY");
        outside = w.empty() ? NULL : w[0];
        return outside && IsWindowVisible(outside);
    }, 20000));
    ASSERT_TRUE(WaitFor([&] { return Logins() >= outsideBefore + 1; }, 20000)) << ServerLog();
    DeleteFileW(pwfile);

    /* both free PuTTYs are offered (their titles may be alike: the entry's
     * data, a number, tells them apart); the outside one is taken in */
    PostMessageW(k.Main, WM_COMMAND, CMD_ATTACH_WINDOWS, 0);
    HWND dialog = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> boxes = TopWindows(k.Info.dwProcessId, L"#32770");
        dialog = boxes.empty() ? NULL : boxes[0];
        return dialog != NULL && IsWindowVisible(dialog);
    }));
    HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
    int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0), index = -1;
    bool offersDetached = false;
    for (int i = 0; i < count; i++) {
        HWND w = (HWND)SendMessageW(list, LB_GETITEMDATA, i, 0);
        if (w == outside)
            index = i;
        offersDetached |= w == detached;
    }
    EXPECT_TRUE(offersDetached);
    ASSERT_GE(index, 0) << count;
    SendMessageW(list, LB_SETCURSEL, index, 0);
    SaveWindowShot(dialog, "e2e-attach-dialog");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 1 && EmbeddedIn(hosts[0]) == outside;
    }, 10000));
    /* PuTTY puts its frame back on every resize; the fit keeps that
     * frame outside the clip window, so only the terminal and its scroll
     * bar show */
    RECT clip, client, frame;
    EXPECT_TRUE(WaitFor([&] {
        GetClientRect(GetParent(outside), &clip);
        GetClientRect(outside, &client);
        GetWindowRect(outside, &frame);
        MapWindowPoints(GetParent(outside), NULL, (POINT *)&clip, 2);
        MapWindowPoints(outside, NULL, (POINT *)&client, 2);
        return client.left == clip.left && client.top == clip.top && client.bottom == clip.bottom &&
               client.right <= clip.right && frame.right >= clip.right;
    }, 5000)) << clip.left << "," << clip.top << "," << clip.right << "," << clip.bottom << " client "
              << client.left << "," << client.top << "," << client.right << "," << client.bottom << " frame "
              << frame.left << "," << frame.top << "," << frame.right << "," << frame.bottom << " style "
              << std::hex << GetWindowLongW(outside, GWL_STYLE);

    /* Kestrum types into it: the send-script dialog to the active session */
    PostMessageW(k.Main, WM_COMMAND, CMD_SEND_SCRIPT, 0);
    HWND send = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> boxes = TopWindows(k.Info.dwProcessId, L"#32770");
        send = boxes.empty() ? NULL : boxes[0];
        return send != NULL && IsWindowVisible(send);
    }));
    SetDlgItemTextW(send, IDC_SEND_TEXT, L"echo attached > marker-attached{ENTER}");
    SendMessageW(GetDlgItem(send, IDC_SEND_ACTIVE), BM_CLICK, 0, 0);
    PostMessageW(send, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-attached") == "attached\n"; }, 15000))
        << Marker("marker-attached");
    SaveWindowShot(k.Main, "e2e-attached");

    /* closing Kestrum ends the PuTTY it holds, not the one it gave back;
     * the question is read once its text is in (the box exists before) */
    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] {
        for (HWND box : TopWindows(k.Info.dwProcessId, L"#32770"))
            if (GetWindowTextLengthW(GetDlgItem(box, 0xFFFF)) > 0)
                return true;
        return false;
    }, 10000));
    EXPECT_EQ(k.Answer(IDYES), "열린 세션 1개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(k.WaitExit(), 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), (DWORD)WAIT_OBJECT_0);
    HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, detachedPid);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(WaitForSingleObject(p, 0), (DWORD)WAIT_TIMEOUT);
    TerminateProcess(p, 9);
    CloseHandle(p);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

/* A new user: PuTTY has never seen the server's key, the target is typed
 * into the quick-connect box, PuTTY's host-key alert is answered with a
 * click, and then the password and a command are typed: both reach PuTTY,
 * neither becomes a target. */
TEST_F(EndToEnd, QuickConnectThroughTheHostKeyAlert)
{
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\SimonTatham\\PuTTY\\SshHostKeys");
    DeleteFileW(WText(home + "\\marker-quick"));
    ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), Config("", "")));
    int before = Logins();
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    SetForegroundWindow(k.Main);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == k.Main; }, 5000));
    HWND box = Descendant(k.Main, L"ComboBox");
    ASSERT_NE(box, nullptr);
    /* the user clicks into the box, sees the caret there, types the
     * target, sees it, and presses Enter */
    auto inBox = [&] {
        HWND f = FocusOf(k.Info.dwThreadId);
        return f && (f == box || IsChild(box, f));
    };
    /* a window that has just come to the front settles its focus first;
     * a click that came too early is clicked again, as a user would */
    WaitFor([&] { return FocusOf(k.Info.dwThreadId) != NULL; }, 5000);
    Sleep(300);
    ClickOn(box);
    if (!WaitFor(inBox, 2000))
        ClickOn(box);
    ASSERT_TRUE(WaitFor(inBox, 5000));
    std::string target = std::string(User) + "@127.0.0.1:2222";
    TypeKeys(target.c_str());
    auto boxText = [&] {
        wchar_t text[128] = L"";
        SendMessageW(box, WM_GETTEXT, 128, (LPARAM)text);
        return U8(text);
    };
    ASSERT_TRUE(WaitFor([&] { return boxText() == target; }, 5000)) << boxText();
    TypeKeys("\r");

    HWND alert = NULL, accept = NULL;
    ASSERT_TRUE(WaitFor([&] {
        alert = FindWindowW(NULL, L"PuTTY Security Alert");
        accept = alert ? Descendant(alert, L"Button", "Accept") : NULL;
        return accept && IsWindowVisible(alert);
    }, 20000)) << TopLevelWindows();
    /* the question is marked in the session list, and comes to the front
     * when the user clicks the main window */
    EXPECT_TRUE(WaitFor([&] { return ListLine(k.Main, 0).find(" (PuTTY 확인 필요)") != std::string::npos; }, 3000))
        << ListLine(k.Main, 0);
    HWND tree = Descendant(k.Main, L"SysTreeView32");
    ASSERT_NE(tree, nullptr);
    RECT r;
    GetWindowRect(tree, &r);
    ClickAt({ r.left + 20, r.bottom - 20 });
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == alert; }, 3000)) << GetForegroundWindow();
    Sleep(300);
    SaveWindowShot(alert, "e2e-host-key-alert");
    ClickOn(accept);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(alert); }, 5000));
    std::vector<HWND> hosts;
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 1 && EmbeddedIn(hosts[0]);
    }, 20000)) << TopLevelWindows();
    Sleep(1500);        /* PuTTY asks for the password in its window */
    TypeKeys((std::string(Password) + "\r").c_str());
    ASSERT_TRUE(WaitFor([&] { return Logins() >= before + 1; }, 20000)) << ServerLog();
    Sleep(1000);
    TypeKeys("echo quick > marker-quick\r");
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-quick") == "quick\n"; }, 15000)) << Marker("marker-quick");

    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.Answer(IDYES), "열린 세션 1개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(k.WaitExit(), 0);
    std::string saved = ReadBytes(WText(dir.path + "\\kestrum.xml"));
    EXPECT_NE(saved.find(target), std::string::npos) << saved;
    EXPECT_EQ(saved.find("marker-quick"), std::string::npos) << saved;
    EXPECT_EQ(Count(saved, "<R>"), 1) << saved;
}

/* Two sessions in the broadcast group and one outside it: what is typed
 * into the broadcast bar, Ctrl+C included, reaches the two shells and
 * not the third. */
TEST_F(EndToEnd, BroadcastReachesTheGroupOnly)
{
    auto files = [&](const char *pattern) {
        std::vector<std::string> found;
        ForEachEntry(home, [&](const std::string &path, const WIN32_FIND_DATAW &) { found.push_back(path); },
                     pattern);
        return found;
    };
    auto markers = [&] { return files("marker-bc-*"); };
    auto removeAll = [&] {
        for (const char *pattern : { "marker-bc-*", "asleep-bc-*" })
            for (const std::string &m : files(pattern))
                DeleteFileW(WText(m));
    };
    removeAll();
    DeleteFileW(WText(home + "\\marker-bc"));
    const char *ready = "echo ready &gt;&gt; marker-bc{ENTER}";
    std::string servers = Server("묶음1", "{E2E00000-0000-0000-0000-0000000000B1}", 0, ready) +
                          Server("묶음2", "{E2E00000-0000-0000-0000-0000000000B2}", 0, ready) +
                          Server("밖", "{E2E00000-0000-0000-0000-0000000000B3}", 0, ready);
    std::string open = "<Open caption=\"\" group=\"1\" uid=\"{E2E00000-0000-0000-0000-0000000000B1}\"/>"
                       "<Open caption=\"\" group=\"1\" uid=\"{E2E00000-0000-0000-0000-0000000000B2}\"/>"
                       "<Open caption=\"\" uid=\"{E2E00000-0000-0000-0000-0000000000B3}\"/>";
    ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), Config(servers, open)));
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    ASSERT_TRUE(WaitFor([&] { return Marker("marker-bc") == "ready\nready\nready\n"; }, 30000))
        << Marker("marker-bc") << ServerLog();
    EXPECT_EQ(ListLine(k.Main, 0), "● 묶음1");
    EXPECT_EQ(ListLine(k.Main, 2), "밖");

    /* the bar, from the view menu, takes the keys */
    SetForegroundWindow(k.Main);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == k.Main; }, 5000));
    PostMessageW(k.Main, WM_COMMAND, CMD_TOGGLE_BROADCAST_BAR, 0);
    HWND label = NULL;
    ASSERT_TRUE(WaitFor([&] {
        label = Descendant(k.Main, L"Static", "동시 입력 (2개 세션):");
        return label && IsWindowVisible(label);
    }, 5000));
    /* the box beside the label */
    RECT at;
    GetWindowRect(label, &at);
    HWND box = NULL;
    for (HWND e : Children(k.Main, L"Edit")) {
        RECT r;
        GetWindowRect(e, &r);
        if (IsWindowVisible(e) && r.left >= at.right && r.top < at.bottom && r.bottom > at.top)
            box = e;
    }
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(k.Info.dwThreadId) == box; }, 5000))
        << FocusOf(k.Info.dwThreadId) << " " << box;
    Sleep(300);
    SaveWindowShot(k.Main, "e2e-broadcast-bar");

    /* a command that the next keys interrupt, once both members run it;
     * the shell's own wait, which an interrupt ends however early it comes
     * (a sleep in the foreground outlives one that comes before it runs) */
    FocusTrail trail(k.Info.dwThreadId);
    TypeKeys("sleep 100 & touch asleep-bc-$$; wait\r");
    EXPECT_TRUE(WaitFor([&] { return files("asleep-bc-*").size() == 2; }, 15000))
        << files("asleep-bc-*").size() << "\n" << trail.Text();
    Sleep(300);
    EXPECT_EQ(FocusOf(k.Info.dwThreadId), box) << FocusName(k.Info.dwThreadId);
    PressKey('C', VK_CONTROL);
    Sleep(500);
    EXPECT_EQ(FocusOf(k.Info.dwThreadId), box) << FocusName(k.Info.dwThreadId);
    TypeKeys("echo $$ > marker-bc-$$\r");
    EXPECT_TRUE(WaitFor([&] { return markers().size() == 2; }, 15000))
        << markers().size() << ", focus in " << FocusName(k.Info.dwThreadId) << "\n" << trail.Text();
    Sleep(1000);
    std::vector<std::string> found = markers();
    ASSERT_EQ(found.size(), 2u);
    for (const std::string &m : found) {
        std::string pid = ReadBytes(WText(m));
        EXPECT_EQ(m.substr(m.rfind('-') + 1) + "\n", pid) << m;
    }
    EXPECT_EQ(Marker("marker-bc"), "ready\nready\nready\n");

    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.Answer(IDYES), "열린 세션 3개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(k.WaitExit(), 0);
    removeAll();
}

/* The server asks a question 1-5 s after the login (sshd.sh, while
 * ask-token exists): scripts that wait for it answer it every time, a
 * fixed pause mostly comes too early, and a wait that runs out sends
 * nothing more.  Session logs are on: each session writes its own under
 * the chosen folder, with what the server sent and no password. */
TEST_F(EndToEnd, ScriptsWaitForTheServer)
{
    std::string answers = home + "\\token-answers", ask = home + "\\ask-token";
    DeleteFileW(WText(answers));
    DeleteFileW(WText(home + "\\marker-leak"));
    ASSERT_TRUE(WriteBytes(WText(ask), ""));
    struct Remove {
        std::string Path;
        ~Remove() { DeleteFileW(WText(Path)); }
    } question = { ask };
    std::string logs = dir.path + "\\logs";
    CreateDirectoryW(WText(logs), NULL);
    WatchFolder(logs);
    std::string servers, open;
    auto add = [&](const std::string &name, int i, const std::string &script) {
        char uid[64];
        snprintf(uid, sizeof uid, "{E2E00000-0000-0000-0000-0000000001%02d}", i);
        servers += Server(name.c_str(), uid, 0, script);
        open += std::string("<Open caption=\"\" uid=\"") + uid + "\"/>";
    };
    for (int i = 0; i < 10; i++)
        add("token" + std::to_string(i), i, "{WAITFOR Token:}{PASSWORD}{ENTER}");
    for (int i = 10; i < 13; i++)
        add("fixed" + std::to_string(i), i, "{WAIT 1000}fixed{ENTER}");
    add("멈춤", 13, "{TIMEOUT 3}{WAITFOR Never said}echo leaked &gt; marker-leak{ENTER}");
    ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"),
                           Config(servers, open, "<SessionLogFolder>" + logs + "</SessionLogFolder><SessionLog>1</SessionLog>")));
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();

    /* every waiting script answered, and with the password */
    auto lines = [&] {
        std::string all;
        for (int i = 0; i < 14; i++)
            all += "\n  " + ListLine(k.Main, i);
        return all;
    };
    EXPECT_TRUE(WaitFor([&] { return Count(ReadBytes(WText(answers)), "right") == 10; }, 45000))
        << ReadBytes(WText(answers)) << "sessions:" << lines() << "\n" << TopLevelWindows();
    EXPECT_TRUE(WaitFor([&] { return ListLine(k.Main, 13).find("멈춤 (스크립트 멈춤)") == 0; }, 10000))
        << ListLine(k.Main, 13);
    Sleep(1000);
    std::string said = ReadBytes(WText(answers));
    EXPECT_EQ(Count(said, "right"), 10) << said;
    EXPECT_LT(Count(said, "other"), 3) << "the fixed pauses came late every time: " << said;
    EXPECT_EQ(ReadBytes(WText(home + "\\marker-leak")), "<missing>") << "typed after a wait that ran out";

    std::vector<std::string> names;
    ForEachEntry(logs, [&](const std::string &, const WIN32_FIND_DATAW &fd) { names.push_back(U8(fd.cFileName)); });
    EXPECT_EQ(names.size(), 14u);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char day[16];
    snprintf(day, sizeof day, "_%04d%02d%02d-", t.wYear, t.wMonth, t.wDay);
    for (const std::string &name : names) {
        EXPECT_NE(name.find(day), std::string::npos) << name;
        EXPECT_EQ(name.size() - name.find(day), 20u) << name;
        if (name.rfind("token", 0) == 0)
            EXPECT_NE(ReadBytes(WText(logs + "\\" + name)).find("Token: "), std::string::npos) << name;
    }
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string &n) { return n.rfind("멈춤_", 0) == 0; }),
              1) << "a name outside the code page";

    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.Answer(IDYES), "열린 세션 14개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(k.WaitExit(), 0);
}
