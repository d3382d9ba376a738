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
#include <winternl.h>

#include <stdlib.h>

#include <algorithm>

#include <string>
#include <vector>

#include "../resources/resource.h"
#include "../ui/commands/command_ids.h"
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
               "{WAIT 300}echo ab{BS}c-auto &gt; marker-auto{ENTER}") +
        Server("입력", "{E2E00000-0000-0000-0000-000000000002}", 2,
               "echo typed &gt; marker-typed{ENTER}");
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
    }, 20000));
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
        return send != NULL;
    }));
    SetDlgItemTextW(send, IDC_SEND_TEXT, L"echo sent >> marker-all{ENTER}");
    SendMessageW(GetDlgItem(send, IDC_SEND_ALL), BM_CLICK, 0, 0);
    SaveWindowShot(send, "e2e-send-script");
    PostMessageW(send, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return Marker("marker-all") == "sent\nsent\n"; }, 15000)) << Marker("marker-all");

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
    KestrumProcess again;
    ASSERT_TRUE(again.Start(dir.path)) << again.Describe();
    EXPECT_TRUE(WaitFor([&] { return Logins() >= after + 2; }, 20000)) << ServerLog();
    EXPECT_EQ(again.Hosts().size(), 2u);
    PostMessageW(again.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.Answer(IDYES), "열린 세션 2개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(again.WaitExit(), 0);
    EXPECT_TRUE(newFiles().empty());
}

TEST_F(EndToEnd, LostConnectionReconnects)
{
    std::string servers = Server("재연결", "{E2E00000-0000-0000-0000-000000000003}", 0, "");
    std::string open = "<Open caption=\"\" uid=\"{E2E00000-0000-0000-0000-000000000003}\"/>";
    ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"),
                           Config(servers, open, "<AutoReconnect>1</AutoReconnect><ReconnectDelay>2</ReconnectDelay>")));
    int before = Logins();
    KestrumProcess k;
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    ASSERT_TRUE(WaitFor([&] { return Logins() >= before + 1; }, 20000)) << ServerLog();
    Sleep(500);

    /* the server drops the user's connection; PuTTY reports it in a box
     * of its own and marks its title "(inactive)" once that is closed */
    std::vector<HWND> hosts = k.Hosts();
    ASSERT_EQ(hosts.size(), 1u);
    DWORD pid = 0;
    GetWindowThreadProcessId(EmbeddedIn(hosts[0]), &pid);
    ASSERT_TRUE(WriteBytes(WText(drop), ""));
    HWND box = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> boxes = TopWindows(pid, L"#32770");
        box = boxes.empty() ? NULL : boxes[0];
        return box != NULL;
    }, 15000));
    Sleep(300);
    SaveWindowShot(box, "e2e-putty-fatal-error");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    /* the session list marks the wait (list boxes pass their texts to other processes) */
    auto listText = [&] {
        std::vector<HWND> lists = Children(k.Main, L"ListBox");
        wchar_t text[300] = L"";
        if (!lists.empty())
            SendMessageW(lists[0], LB_GETTEXT, 0, (LPARAM)text);
        return U8(text);
    };
    ASSERT_TRUE(WaitFor([&] { return listText().find("(재연결 대기)") != std::string::npos; }, 20000))
        << listText();
    SaveWindowShot(k.Main, "e2e-reconnect");
    EXPECT_TRUE(WaitFor([&] { return Logins() >= before + 2; }, 20000)) << ServerLog();
}
