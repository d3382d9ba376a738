/*
 * Scripts that wait for what the session received, and session logs,
 * with the PuTTY double writing its session log as PuTTY does: what a
 * test "sends from the server" reaches the log through WM_COPYDATA.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/key_script.h"
#include "sessions/session.h"
#include "sessions/session_log.h"
#include "double_cues.h"
#include "main_window_util.h"
#include "password_scan.h"
#include "session_util.h"
#include "test_util.h"

namespace {

const char *const Password = "s3cret pw";

struct WaitingScripts : ::testing::Test {
    TempDir dir;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        ResetForSessions();
        WatchPasswords({ Password });
        WatchFolder(dir.path);
    }
    void TearDown() override
    {
        TerminateAllSessions();
        while (SessionCount)
            CloseSession(SessionList[0], false);
        PumpKeyQueues();
        ResetModel();
        ExpectNoClearPasswords();
    }
    std::string LogOf(const char *name) { return dir.path + "\\" + name + ".log"; }
    /* A server of the double logging to LogOf(name), shown as display
     * when given, that may type its password by script. */
    Session *Open(const char *name, const char *script, const char *display = NULL)
    {
        ServerNode *n = DoubleServer(display ? display : name, LogOf(name));
        NodeSetPassword(n, WText(Password));
        StrAssign(&n->Script, WText(script));
        return OpenSession(n);
    }
    static bool Running(int id)
    {
        Session *s = FindSessionById(id);
        return s && s->State == SESSION_RUNNING;
    }
    /* The server sends bytes: the double's PuTTY writes them to its log. */
    static void Say(int id, const std::string &bytes)
    {
        COPYDATASTRUCT data = { 1, (DWORD)bytes.size(), (void *)bytes.data() };
        SendMessageW(FindSessionById(id)->PuttyWindow, WM_COPYDATA, 0, (LPARAM)&data);
    }
    /* The characters the double took, in order. */
    std::string Typed(const char *name)
    {
        std::string typed, log = ReadBytes(WText(LogOf(name)));
        for (size_t at = log.find("char "); at != std::string::npos; at = log.find("char ", at + 1))
            typed += (char)atoi(log.c_str() + at + 5);
        return typed;
    }
    std::string CommandLine(const char *name)
    {
        std::string log = ReadBytes(WText(LogOf(name)));
        size_t at = log.find("cmdline ");
        return at == std::string::npos ? "" : log.substr(at + 8, log.find("\r\n", at) - at - 8);
    }
};

} // namespace

/* A login that answers a question the server asks late; the private log
 * is named on PuTTY's command line before the host and gone when the
 * session ends. */
TEST_F(WaitingScripts, LateWaitIsMetAndThePrivateLogGoes)
{
    int id = Open("a", "{WAITFOR Token:}{PASSWORD}{ENTER}")->Id;
    Session *s = FindSessionById(id);
    std::string file = U8(s->LogFile), passwordFile = U8(s->PasswordFile);
    EXPECT_NE(file.find("\\kestrum-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(id) + ".log"),
              std::string::npos) << file;
    ASSERT_TRUE(Until([&] { return Running(id); })) << ReadBytes(WText(LogOf("a")));
    std::string line = CommandLine("a");
    EXPECT_NE(line.find("-double-log \"" + LogOf("a") + "\" -sessionlog " + file + " -logoverwrite 127.0.0.1"),
              std::string::npos) << line;

    Until([] { return false; }, 1000);
    Say(id, "Welcome\r\n\x1b[1mTok");
    Until([] { return false; }, 300);
    EXPECT_EQ(Typed("a"), "");
    Say(id, "en:\x1b[0m ");
    EXPECT_TRUE(Until([&] { return Typed("a") == std::string(Password) + "\r"; }, 3000)) << Typed("a");
    EXPECT_FALSE(FindSessionById(id)->ScriptStopped);
    std::string received = ReadBytes(WText(file));
    EXPECT_EQ(received.find("=~=~=~=~=~=~=~=~=~=~=~= PuTTY log "), 0u);
    EXPECT_NE(received.find("Welcome"), std::string::npos);
    /* the password file stays a few seconds, the log never holds it */
    EXPECT_EQ(ClearPasswordsFound({ passwordFile }), std::vector<std::string>());

    PostMessageW(FindSessionById(id)->PuttyWindow, CUE_EXIT, 0, 0);
    EXPECT_TRUE(Until([&] { return !FindSessionById(id) || FindSessionById(id)->State == SESSION_ENDED; }));
    EXPECT_FALSE(FileExists(WText(file)));
}

/* The login script looks at all the session received since PuTTY
 * started: a question asked before the window was taken in counts. */
TEST_F(WaitingScripts, LoginScriptSeesWhatCameBeforeTheCapture)
{
    ServerNode *n = DoubleServer("early", LogOf("early"));
    StrAssign(&n->CLParams, WText("-double-log \"" + LogOf("early") + "\" -double-say \"Token: \""));
    StrAssign(&n->Script, L"{WAITFOR Token:}y");
    int id = OpenSession(n)->Id;
    EXPECT_TRUE(Until([&] { return Typed("early") == "y"; }, 5000)) << Typed("early");
    EXPECT_FALSE(FindSessionById(id)->ScriptStopped);
}

/* A wait that runs out: nothing after it is typed, the tab and the list
 * say so until the restart; {TIMEOUT} sets the limit.  Two sessions wait
 * on their own output side by side. */
TEST_F(WaitingScripts, TimeoutsStopAndSessionsWaitApart)
{
    Settings.CloseOnNormalEnd = 0;
    int a = Open("a", "{TIMEOUT 1}{WAITFOR never}x{ENTER}")->Id;
    int b = Open("b", "{WAITFOR alpha}1")->Id;
    int c = Open("c", "{WAITFOR beta}2")->Id;
    ASSERT_TRUE(Until([&] { return Running(a) && Running(b) && Running(c); }));
    DWORD started = GetTickCount();
    ASSERT_TRUE(Until([&] { return FindSessionById(a)->ScriptStopped; }, 3000));
    EXPECT_GE(GetTickCount() - started, 700u);
    EXPECT_EQ(TabLabel(SessionIndex(FindSessionById(a))), "a (스크립트 멈춤)");
    EXPECT_EQ(ListLine(SessionIndex(FindSessionById(a))), "a (스크립트 멈춤)");
    Say(a, "never");
    Until([] { return false; }, 300);
    EXPECT_EQ(Typed("a"), "");

    Say(c, "alpha");
    Say(b, "beta alpha");
    EXPECT_TRUE(Until([&] { return Typed("b") == "1"; }, 3000));
    Until([] { return false; }, 300);
    EXPECT_EQ(Typed("c"), "");
    Say(c, "bet");
    Say(c, "a");
    EXPECT_TRUE(Until([&] { return Typed("c") == "2"; }, 3000));
    /* a line of the broadcast bar: each member waits on its own output */
    FindSessionById(b)->Broadcast = FindSessionById(c)->Broadcast = true;
    EXPECT_EQ(BroadcastScript(L"{WAITFOR go}y"), 2);
    Say(c, "go");
    EXPECT_TRUE(Until([&] { return Typed("c") == "2y\r"; }, 3000)) << Typed("c");
    EXPECT_EQ(Typed("b"), "1");

    ReconnectSession(FindSessionById(a));
    EXPECT_FALSE(FindSessionById(a)->ScriptStopped);
    EXPECT_EQ(TabLabel(SessionIndex(FindSessionById(a))), "a");
    EXPECT_EQ(ListLine(SessionIndex(FindSessionById(a))), "a (연결 중)");
}

/* A script with a wait sent to a session started without a log stops at
 * its wait at once; the next start keeps a log for it.  A PuTTY whose
 * version cannot be read gets no log: its waits stop at once. */
TEST_F(WaitingScripts, SessionsWithoutALogStopAtTheirWait)
{
    int id = Open("a", "")->Id;
    ASSERT_TRUE(Until([&] { return Running(id); }));
    EXPECT_EQ(CommandLine("a").find("-sessionlog"), std::string::npos);
    SendScript(id, NULL, L"x{WAITFOR $}y", 0, 0);
    EXPECT_TRUE(Until([&] { return FindSessionById(id)->ScriptStopped; }, 2000));
    /* the double logs the key it was posted when it gets to it */
    EXPECT_TRUE(Until([&] { return Typed("a") == "x"; }, 2000)) << Typed("a");
    ReconnectSession(FindSessionById(id));
    EXPECT_NE(FindSessionById(id)->LogFile[0], 0);

    UseDouble("putty_double_nover.exe");
    ServerNode *n = DoubleServer("old", LogOf("old"));
    StrAssign(&n->Script, L"{WAITFOR $}y");
    int old = OpenSession(n)->Id;
    ASSERT_TRUE(Until([&] { return Running(old); }));
    EXPECT_TRUE(Until([&] { return FindSessionById(old)->ScriptStopped; }, 2000));
    EXPECT_EQ(CommandLine("old").find("-sessionlog"), std::string::npos);
    EXPECT_EQ(Typed("old"), "");
}

/* Private logs left by a run that ended without deleting them go at the
 * next start; those another instance holds open stay. */
TEST_F(WaitingScripts, StaleLogsGoAtStart)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string stale = U8(temp) + "kestrum-4000000001-1.log", held = U8(temp) + "kestrum-4000000002-1.log";
    WriteBytes(WText(stale), "old");
    WriteBytes(WText(held), "in use");
    HANDLE h = CreateFileW(WText(held), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    RemoveStaleSessionLogs();
    EXPECT_FALSE(FileExists(WText(stale)));
    EXPECT_TRUE(FileExists(WText(held)));
    CloseHandle(h);
    DeleteFileW(WText(held));

    /* and at exit every private log goes */
    int id = Open("a", "{WAITFOR x}")->Id;
    std::string file = U8(FindSessionById(id)->LogFile);
    ASSERT_TRUE(Until([&] { return Running(id); }));
    TerminateAllSessions();
    EXPECT_FALSE(FileExists(WText(file)));
}

/* With session logs on every session writes one under the chosen folder;
 * a folder that cannot take it fails the start with the reason. */
TEST_F(WaitingScripts, SessionLogsPerServer)
{
    std::string folder = dir.path + "\\logs";
    CreateDirectoryW(WText(folder), NULL);
    StrCopyTo(Settings.SessionLogFolder, KPATH, WText(folder));
    Settings.SessionLog = 1;
    SYSTEMTIME t;
    GetLocalTime(&t);
    int id = Open("w", "", "web:1 & co")->Id;
    std::string file = U8(FindSessionById(id)->LogFile);
    char stamp[32];
    snprintf(stamp, sizeof stamp, "_%04d%02d%02d-", t.wYear, t.wMonth, t.wDay);
    EXPECT_EQ(file.rfind(folder + "\\web_1 & co" + stamp, 0), 0u) << file;
    EXPECT_EQ(file.size(), folder.size() + 1 + 10 + 16 + 4);
    ASSERT_TRUE(Until([&] { return Running(id); }));
    EXPECT_NE(CommandLine("w").find("-sessionlog \"" + folder + "\\web_1 && co"), std::string::npos);
    Say(id, "hello\r\n");
    EXPECT_NE(ReadBytes(WText(file)).find("hello\r\n"), std::string::npos);
    TerminateAllSessions();
    EXPECT_TRUE(FileExists(WText(file)));

    StrCopyTo(Settings.SessionLogFolder, KPATH, WText(dir.path + "\\missing"));
    Session *s = Open("b", "");
    EXPECT_EQ(s->State, SESSION_FAILED);
    wchar_t status[600];
    SessionStatusText(s, status, 600);
    EXPECT_NE(U8(status).find("세션 로그 파일을 만들 수 없습니다 (오류 3): " + dir.path + "\\missing"), std::string::npos)
        << U8(status);
    EXPECT_FALSE(FileExists(WText(LogOf("b"))));
}
