/*
 * Fifty sessions at once, opened by connecting a folder, with PuTTY
 * doubles that crash, hang, never show a window, lose their window or
 * flood their title: the main window keeps answering, every session ends
 * as its case wants, no password is left in clear, and closing them all
 * gives back every handle, GDI object and window.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/key_script.h"
#include "sessions/putty_args.h"
#include "sessions/putty_discovery.h"
#include "sessions/session.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/commands.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tabs.h"
#include "double_cues.h"
#include "gui_objects.h"
#include "ui/tree/tree_view.h"
#include "answer_queue.h"
#include "main_window_util.h"
#include "password_scan.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"

namespace {


/* Server i of the folder plays kind i % KINDS. */
enum Kind { NORMAL, TYPED, CMDLINE, CRASH, HANG, HANG_AT_START, NO_WINDOW, DESTROY, FLOOD, RECONNECT, KINDS };
const char *const KindNames[KINDS] = { "normal", "typed", "cmdline", "crash", "hang", "hang-at-start",
                                       "no-window", "destroy", "flood", "reconnect" };
/* How long a double hangs before it ever pumps (past the capture's 3 s),
 * and once it runs. */
const DWORD StartHangMs = 6000, HangMs = 4000;

/* The last number posted to the probe window that its thread took. */
std::atomic<long> ProbeSeen{ 0 };

LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP) {
        ProbeSeen = (long)wParam;
        return 0;
    }
    return DefWindowProcW(w, msg, wParam, lParam);
}

/* Asks the main window for an answer every few ms from a thread of its
 * own and keeps the longest wait, with what the test was doing then.  A
 * sent WM_NULL is answered even while the main thread waits in a send of
 * its own, so a posted message to a window of that thread is timed too:
 * it waits, as the user's input would, until the thread takes messages. */
struct Watcher {
    HANDLE Thread = NULL;
    HWND Probe = NULL;
    std::atomic<bool> Stop{ false };
    std::atomic<const char *> Doing{ "" };
    double WorstMs = 0;
    const char *WorstDoing = "";
    long Asked = 0;
    std::map<std::string, double> Worst;     /* by what the test was doing */

    static double Since(const LARGE_INTEGER &a)
    {
        LARGE_INTEGER freq, b;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&b);
        return (double)(b.QuadPart - a.QuadPart) * 1000.0 / (double)freq.QuadPart;
    }
    static DWORD WINAPI Run(LPVOID self)
    {
        Watcher *w = (Watcher *)self;
        LARGE_INTEGER a;
        for (long seq = 1; !w->Stop; seq++) {
            const char *doing = w->Doing;
            QueryPerformanceCounter(&a);
            DWORD_PTR result;
            SendMessageTimeoutW(MainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            double sent = Since(a);
            QueryPerformanceCounter(&a);
            PostMessageW(w->Probe, WM_APP, (WPARAM)seq, 0);
            while (ProbeSeen != seq && !w->Stop)
                Sleep(1);
            double ms = Since(a);
            if (sent > ms)
                ms = sent;
            w->Asked++;
            if (ms > w->WorstMs) {
                w->WorstMs = ms;
                w->WorstDoing = doing;
            }
            double &phase = w->Worst[doing];
            if (ms > phase)
                phase = ms;
            Sleep(3);
        }
        return 0;
    }
    void Start()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = L"StressProbe";
        RegisterClassW(&wc);
        Probe = CreateWindowExW(0, L"StressProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
        ProbeSeen = 0;
        Stop = false;
        WorstMs = 0;
        Asked = 0;
        Worst.clear();
        Thread = CreateThread(NULL, 0, Run, this, 0, NULL);
    }
    void Finish()
    {
        Stop = true;
        /* the last question needs one more pump */
        while (WaitForSingleObject(Thread, 5) == WAIT_TIMEOUT)
            Pump();
        CloseHandle(Thread);
        Thread = NULL;
        DestroyWindow(Probe);
    }
};

/* What the process holds of the kinds that leak. */
struct Resources {
    DWORD Handles, Gdi, User;
    std::vector<UINT_PTR> Open;     /* kernel handles, where they were walked */
};

/* The kind of a kernel handle, for a leak's message. */
std::string HandleType(HANDLE h)
{
    typedef LONG(NTAPI * QueryFn)(HANDLE, int, PVOID, ULONG, PULONG);
    QueryFn query = (QueryFn)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject");
    union {
        UNICODE_STRING name;
        char space[1024];
    } info;
    if (!query || query(h, 2 /* ObjectTypeInformation */, &info, sizeof info, NULL) != 0 || !info.name.Buffer)
        return "?";
    std::vector<wchar_t> name(info.name.Buffer, info.name.Buffer + info.name.Length / sizeof(wchar_t));
    name.push_back(0);
    return U8(name.data());
}

/* The handles opened between two measures, by kind. */
std::map<std::string, int> NewHandles(const Resources &before, const Resources &after)
{
    std::map<std::string, int> kinds;
    for (UINT_PTR h : after.Open)
        if (std::find(before.Open.begin(), before.Open.end(), h) == before.Open.end())
            kinds[HandleType((HANDLE)h)]++;
    return kinds;
}

std::string Describe(const std::map<std::string, int> &kinds)
{
    std::string out;
    for (const auto &k : kinds)
        out += " " + k.first + " x" + std::to_string(k.second);
    return out;
}

bool OnWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != NULL;
}

/* Wine answers GetProcessHandleCount with 0: there the handle table is
 * walked instead, by value, which also names the handles that stayed. */
Resources Measure()
{
    Resources r = {};
    GetProcessHandleCount(GetCurrentProcess(), &r.Handles);
    if (!r.Handles)
        for (UINT_PTR h = 4; h < 0x10000; h += 4) {
            DWORD flags;
            if (GetHandleInformation((HANDLE)h, &flags)) {
                r.Handles++;
                r.Open.push_back(h);
            }
        }
    r.Gdi = CountGdiObjects();
    r.User = CountUserObjects();
    return r;
}

std::string Describe(const Resources &r)
{
    return std::to_string(r.Handles) + " handles, " + std::to_string(r.Gdi) + " GDI, " + std::to_string(r.User) +
           " USER";
}

std::string Password(int i)
{
    return "stress pw " + std::to_string(i) + "!";
}

struct Double {
    int Index;
    Kind Type;
    int SessionId;
    std::string Log;
};

struct Stress : ::testing::Test {
    TempDir dir;
    Watcher watcher;
    std::vector<Double> doubles;
    std::vector<HANDLE> processes;      /* every double started, to see it ended */
    double closeMs = 0;

    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetForSessions();
        AnswerInTurn();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        for (HANDLE h : processes)
            CloseHandle(h);
        StubMessageHook = NULL;
        ResetModel();
        RefillTree(NULL);
        ExpectNoClearPasswords();
    }

    Session *SessionOf(const Double &d) { return FindSessionById(d.SessionId); }
    std::string Log(const Double &d) { return ReadBytes(WText(d.Log)); }
    bool Logged(const Double &d, const std::string &line) { return Log(d).find(line + "\r\n") != std::string::npos; }
    void Cue(const Double &d, UINT cue, WPARAM wParam = 0)
    {
        Session *s = SessionOf(d);
        ASSERT_TRUE(s && s->PuttyWindow) << KindNames[d.Type] << " " << d.Index;
        PostMessageW(s->PuttyWindow, cue, wParam, 0);
    }
    void KeepProcess(Session *s)
    {
        HANDLE h;
        if (s->Process &&
            DuplicateHandle(GetCurrentProcess(), s->Process, GetCurrentProcess(), &h, 0, FALSE, DUPLICATE_SAME_ACCESS))
            processes.push_back(h);
    }
    static std::string Status(Session *s)
    {
        wchar_t buf[300];
        SessionStatusText(s, buf, 300);
        return U8(buf);
    }
    /* Waits, pumping as the main loop would, telling the watcher. */
    bool Wait(const char *doing, const std::function<bool()> &done, DWORD ms = 30000)
    {
        watcher.Doing = doing;
        return Until(done, ms);
    }
    bool AllOf(Kind kind, const std::function<bool(Session *)> &ok)
    {
        for (const Double &d : doubles)
            if (d.Type == kind) {
                Session *s = SessionOf(d);
                if (!s || !ok(s))
                    return false;
            }
        return true;
    }

    /* One folder of count servers, connected at once, taken through every
     * case and closed; returns the longest wait of the main window. */
    double Round(int count);
};

double Stress::Round(int count)
{
    doubles.clear();
    Asks.clear();
    Settings.AutoReconnect = 0;
    Settings.ReconnectDelay = 1;
    ServerNode *folder = NodeNew(NODE_FOLDER);
    StrAssign(&folder->DisplayName, L"stress");
    NodeAppendChild(ServersRoot, folder);
    std::vector<std::string> passwords;
    for (int i = 0; i < count; i++) {
        Kind kind = (Kind)(i % KINDS);
        Double d = { i, kind, 0, dir.path + "\\d" + std::to_string(i) + ".log" };
        ServerNode *n = NodeNew(NODE_SERVER);
        StrAssign(&n->DisplayName, WText(std::to_string(i) + " " + KindNames[kind]));
        StrAssign(&n->ServerName, L"127.0.0.1");
        StrAssign(&n->UserName, L"tester");
        NodeSetPassword(n, WText(Password(i)));
        passwords.push_back(Password(i));
        /* the other kinds take each delivery in turn */
        static const int modes[3] = { PWMODE_PWFILE, PWMODE_TYPE, PWMODE_CMDLINE };
        n->PasswordMode = kind == NORMAL ? PWMODE_PWFILE : kind == TYPED ? PWMODE_TYPE
                        : kind == CMDLINE ? PWMODE_CMDLINE : modes[(i / KINDS) % 3];
        n->PasswordDelay = 100;
        std::string extra = "-double-log \"" + d.Log + "\"";
        if (kind == HANG_AT_START)
            extra += " -double-hang " + std::to_string(StartHangMs);
        if (kind == NO_WINDOW)
            extra += " -double-window none";
        StrAssign(&n->CLParams, WText(extra));
        NodeAppendChild(folder, n);
        doubles.push_back(d);
    }
    WatchPasswords(passwords);
    RefillTree(folder);
    EXPECT_EQ(SelectedNode(), folder);

    watcher.Start();
    watcher.Doing = "connecting the folder";
    Answers = { IDYES };
    ExecuteCommand(CMD_CONNECT_FOLDER);
    EXPECT_EQ(Asks.size(), 1u);
    if (!Asks.empty())
        EXPECT_EQ(Asks.back().text, "서버 " + std::to_string(count) + "개에 한꺼번에 연결할까요?");
    /* the servers come in one a tick, in the folder's order */
    EXPECT_TRUE(Wait("opening", [&] { return SessionCount == count; }));
    EXPECT_EQ(SessionCount, count);
    for (int i = 0; i < SessionCount && i < count; i++) {
        doubles[i].SessionId = SessionList[i]->Id;
        KeepProcess(SessionList[i]);
        EXPECT_EQ(U8(SessionList[i]->Node->DisplayName), std::to_string(i) + " " + KindNames[doubles[i].Type]);
    }
    EXPECT_EQ(ActiveIndex(), count - 1);

    /* every window that shows is taken in, the hung ones too */
    bool captured = Wait("capturing", [&] {
        for (const Double &d : doubles) {
            Session *s = SessionOf(d);
            if (d.Type != NO_WINDOW && (!s || s->State != SESSION_RUNNING))
                return false;
        }
        return true;
    }, 60000);
    EXPECT_TRUE(captured);
    for (const Double &d : doubles) {
        Session *s = SessionOf(d);
        if (!s)
            continue;
        int want = d.Type == NORMAL ? DELIVER_PWFILE : d.Type == TYPED ? DELIVER_TYPE
                 : d.Type == CMDLINE ? DELIVER_CMDLINE : -1;
        if (want >= 0)
            EXPECT_EQ(s->PasswordDelivery, want) << d.Index;
        if (d.Type != NO_WINDOW)
            EXPECT_EQ(s->State, SESSION_RUNNING) << d.Index << " " << KindNames[d.Type] << ": " << Status(s)
                                                 << "\nthe double logged:\n" << Log(d);
    }

    /* the cases */
    for (const Double &d : doubles) {
        if (d.Type == CRASH)
            Cue(d, CUE_CRASH);
        else if (d.Type == HANG)
            Cue(d, CUE_HANG, HangMs);
        else if (d.Type == DESTROY)
            Cue(d, CUE_DESTROY);
        else if (d.Type == FLOOD)
            Cue(d, CUE_FLOOD, 500);
    }
    for (const Double &d : doubles)
        if (d.Type == NO_WINDOW)
            if (Session *s = SessionOf(d))
                s->StateSince = GetTickCount() - 31000;     /* long past the 30 s limit */
    EXPECT_TRUE(Wait("ending", [&] {
        return AllOf(CRASH, [](Session *s) { return s->State == SESSION_ENDED; }) &&
               AllOf(DESTROY, [](Session *s) { return s->State == SESSION_ENDED; }) &&
               AllOf(NO_WINDOW, [](Session *s) { return s->State == SESSION_FAILED; });
    }));
    /* the flood goes on for a while; the poll keeps up with the title */
    Wait("flooding", [] { return false; }, 1500);
    for (const Double &d : doubles)
        if (d.Type == FLOOD) {
            Session *s = SessionOf(d);
            EXPECT_NE(s, nullptr);
            if (!s)
                continue;
            EXPECT_EQ(U8(s->WindowTitle).rfind("flood ", 0), 0u) << U8(s->WindowTitle);
            EXPECT_EQ(U8(s->Caption), std::to_string(d.Index) + " flood");
            Cue(d, CUE_FLOOD, 0);
            Cue(d, CUE_TITLE, 1);
        }
    EXPECT_TRUE(Wait("disconnecting", [&] {
        return AllOf(FLOOD, [](Session *s) { return s->Disconnected; });
    }));

    /* an "(inactive)" title with reconnecting on: ended, waited, started again */
    Settings.AutoReconnect = 1;
    for (const Double &d : doubles)
        if (d.Type == RECONNECT)
            Cue(d, CUE_TITLE, 1);
    EXPECT_TRUE(Wait("reconnecting", [&] {
        return AllOf(RECONNECT, [](Session *s) { return s->ReconnectAttempts == 1 && s->State != SESSION_RUNNING; });
    }));
    EXPECT_TRUE(Wait("reconnected", [&] {
        return AllOf(RECONNECT, [](Session *s) { return s->State == SESSION_RUNNING; });
    }));
    Settings.AutoReconnect = 0;
    for (const Double &d : doubles)
        if (d.Type == RECONNECT)
            if (Session *s = SessionOf(d))
                KeepProcess(s);

    /* the password files go 5 s after the capture; a session whose window
     * was never found keeps its own until it is closed */
    Wait("waiting for the password files to go", [] { return false; }, 5500);
    std::vector<std::string> kept;
    for (const Double &d : doubles) {
        Session *s = SessionOf(d);
        if (s && s->PasswordFile[0]) {
            EXPECT_EQ(d.Type, NO_WINDOW) << d.Index << " " << KindNames[d.Type] << " " << Status(s);
            kept.push_back(U8(s->PasswordFile));
        }
    }
    for (const std::string &f : ClearPasswordsFound(kept))
        ADD_FAILURE() << "a password in clear while the sessions run: " << f;

    /* the normal ones end with 0 and their tabs go */
    for (const Double &d : doubles)
        if (d.Type == NORMAL)
            Cue(d, CUE_EXIT, 0);
    EXPECT_TRUE(Wait("normal ends", [&] {
        for (const Double &d : doubles)
            if (d.Type == NORMAL && SessionOf(d))
                return false;
        return true;
    }));

    /* how each case ended */
    for (const Double &d : doubles) {
        Session *s = SessionOf(d);
        std::string what = std::to_string(d.Index) + " " + KindNames[d.Type];
        std::string log = Log(d);
        if (d.Type == NORMAL) {
            EXPECT_EQ(s, nullptr) << what;
            EXPECT_NE(log.find("pwfile " + Password(d.Index) + "\r\n"), std::string::npos) << what << log;
            continue;
        }
        EXPECT_NE(s, nullptr) << what;
        if (!s)
            continue;
        switch (d.Type) {
        case TYPED: {
            std::string typed;
            for (char c : Password(d.Index))
                typed += "char " + std::to_string((int)c) + " 00000001\r\n";
            EXPECT_NE(log.find(typed + "char 13 00000001\r\n"), std::string::npos) << what;
            EXPECT_EQ(s->State, SESSION_RUNNING) << what;
            break;
        }
        case CMDLINE:
            EXPECT_NE(log.find("-pw \"" + Password(d.Index) + "\""), std::string::npos) << what;
            EXPECT_EQ(s->State, SESSION_RUNNING) << what;
            break;
        case CRASH:
            EXPECT_EQ(s->State, SESSION_ENDED) << what;
            EXPECT_EQ(s->ExitCode, (int)EXCEPTION_ACCESS_VIOLATION) << what;
            EXPECT_EQ(Status(s), "세션이 종료되었습니다 (종료 코드 -1073741819).") << what;
            EXPECT_TRUE(s->ReconnectButton && (GetWindowLongW(s->ReconnectButton, GWL_STYLE) & WS_VISIBLE)) << what;
            break;
        case DESTROY:
            EXPECT_EQ(s->State, SESSION_ENDED) << what;
            EXPECT_EQ(s->ExitCode, 259) << what;
            EXPECT_EQ(Status(s), "세션이 종료되었습니다 (종료 코드 259).") << what;
            EXPECT_TRUE(s->ReconnectButton && (GetWindowLongW(s->ReconnectButton, GWL_STYLE) & WS_VISIBLE)) << what;
            break;
        case NO_WINDOW:
            EXPECT_EQ(s->State, SESSION_FAILED) << what;
            EXPECT_EQ(Status(s), "PuTTY 창을 찾지 못했습니다. (PuTTY 대화상자가 떠 있는지 확인하세요)") << what;
            EXPECT_EQ(WaitForSingleObject(s->Process, 0), (DWORD)WAIT_TIMEOUT) << what;
            EXPECT_TRUE(s->ReconnectButton && (GetWindowLongW(s->ReconnectButton, GWL_STYLE) & WS_VISIBLE)) << what;
            break;
        case HANG:
        case HANG_AT_START:
            EXPECT_NE(log.find("hang over\r\n"), std::string::npos) << what;
            EXPECT_EQ(s->State, SESSION_RUNNING) << what;
            EXPECT_TRUE(IsWindow(s->PuttyWindow)) << what;
            EXPECT_EQ(s->ReconnectButton, nullptr) << what;
            break;
        case FLOOD:
            EXPECT_EQ(s->State, SESSION_RUNNING) << what;
            EXPECT_TRUE(s->Disconnected) << what;
            EXPECT_NE(log.find("flood stop "), std::string::npos) << what;
            break;
        case RECONNECT:
            EXPECT_EQ(s->State, SESSION_RUNNING) << what;
            EXPECT_EQ(s->ReconnectAttempts, 1) << what;
            EXPECT_FALSE(s->Disconnected) << what;
            break;
        default:
            break;
        }
    }

    /* closing them all ends every double */
    watcher.Doing = "closing all";
    int open = SessionCount;
    Answers = { IDYES };
    LARGE_INTEGER freq, a, b;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&a);
    ExecuteCommand(CMD_CLOSE_ALL_TABS);
    QueryPerformanceCounter(&b);
    closeMs = (double)(b.QuadPart - a.QuadPart) * 1000.0 / (double)freq.QuadPart;
    EXPECT_EQ(SessionCount, 0);
    if (!Asks.empty())
        EXPECT_EQ(Asks.back().text, "세션 " + std::to_string(open) + "개를 닫을까요?");
    Wait("closed", [] { return false; }, 300);
    watcher.Finish();
    for (HANDLE h : processes) {
        EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
        CloseHandle(h);
    }
    processes.clear();
    NodeUnlink(folder);
    NodeFreeTree(folder);
    RefillTree(NULL);
    PumpKeyQueues();
    Pump();
    printf("[ figures  ] %d sessions: longest wait of the main window %.1f ms (%s), %ld questions; closing all "
           "took %.1f ms\n", count, watcher.WorstMs, watcher.WorstDoing, watcher.Asked, closeMs);
    for (const auto &phase : watcher.Worst)
        printf("[ figures  ]   %-40s %8.1f ms\n", phase.first.c_str(), phase.second);
    return watcher.WorstMs;
}

} // namespace

TEST_F(Stress, FiftySessionsOfEveryKind)
{
    /* a first, smaller round makes the one-time allocations */
    Round(12);
    ExpectNoClearPasswords();
    Resources before = Measure();

    /* How long the main window waited at worst is printed as a figure;
     * the bound catches a freeze (a folder's opens held it 35 s once, a
     * hung PuTTY for as long as it hung). */
    double worst = Round(50);
    EXPECT_LT(worst, 5000.0) << "the main window did not answer for " << worst << " ms while "
                             << watcher.WorstDoing;
    Resources after = Measure();
    printf("[ figures  ] before %s; after %s; new handles:%s\n", Describe(before).c_str(), Describe(after).c_str(),
           Describe(NewHandles(before, after)).c_str());
    /* Wine's WaitForInputIdle leaves an event handle open on each call, and
     * the poll asks every start until its PuTTY is idle: Wine's, not ours */
    std::map<std::string, int> added = NewHandles(before, after);
    DWORD wineEvents = OnWine() ? (DWORD)added["Event"] : 0;
    EXPECT_LE(after.Handles - wineEvents, before.Handles + 4)
        << Describe(before) << " -> " << Describe(after) << ", new:" << Describe(added);
    EXPECT_LE(after.Gdi, before.Gdi + 4) << Describe(before) << " -> " << Describe(after);
    EXPECT_LE(after.User, before.User + 4) << Describe(before) << " -> " << Describe(after);
}

