/*
 * Kestrum.exe itself, started as a user would start it, with the PuTTY
 * double as its putty.exe: start-up, the sessions of the last exit, the
 * view modes, and the close.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "sessions/putty_discovery.h"
#include "ui/commands/command_ids.h"
#include "password_scan.h"
#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

struct Program : ::testing::Test {
    TempDir dir;
    KestrumProcess k;

    void TearDown() override
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, PuttySessionsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteKeyW(key, L"Saved%20One");
            RegCloseKey(key);
        }
        ExpectNoClearPasswords();
    }
    std::string Server(const char *name, const char *uid, const char *title)
    {
        return std::string("<Node Type=\"1\"><DisplayName>") + name + "</DisplayName>" +
               (uid ? std::string("<UID>") + uid + "</UID>" : "") +
               "<ServerName>127.0.0.1</ServerName><PuttyConType>4</PuttyConType><Port>22</Port>"
               "<UserName>u</UserName><Password enc=\"plain\">pw " + name + "</Password>"
               "<CLParams>-double-title " + title + "</CLParams></Node>";
    }
};

TEST_F(Program, ReopensSessionsTilesThemAndCloses)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(L"") + PuttySessionsKey + L"\\Saved%20One").c_str(),
                              0, NULL, 0, KEY_WRITE, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegCloseKey(key);
    std::string putty = ProgramDir() + "\\putty_double.exe";
    std::string config =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings>"
        "<PuttyPath>" + putty + "</PuttyPath><SaveSessions>1</SaveSessions><ReconnectDelay>5</ReconnectDelay>"
        "</Settings><Servers>" + Server("첫째", "{11111111-2222-3333-4444-555555555555}", "first") +
        "</Servers><PuttySessions><Node Type=\"1\"><SavedSession>Saved One</SavedSession>"
        "<CLParams>-double-title second</CLParams></Node></PuttySessions><OpenSessions>"
        "<Open caption=\"\" uid=\"{11111111-2222-3333-4444-555555555555}\"/>"
        "<Open caption=\"저장된 세션\" session=\"saved one\" group=\"1\"/>"
        "<Open caption=\"\">" + Server("셋째", nullptr, "third") + "</Open>"
        "</OpenSessions></Kestrum>\r\n";
    WText configPath(dir.path + "\\kestrum.xml");
    ASSERT_TRUE(WriteBytes(configPath, config));
    /* the backup of the first save is this file as written here */
    WatchPasswords({ "pw 첫째", "pw 셋째" });
    AllowClearFile(dir.path + "\\kestrum.xml.bak");
    std::vector<std::string> filesBefore = PasswordFiles();
    /* the doubles log what they were given, for the scan */
    SetEnv("KESTRUM_DOUBLE_LOG", (dir.path + "\\double.log").c_str());
    bool started = k.Start(dir.path);
    SetEnv("KESTRUM_DOUBLE_LOG", nullptr);
    ASSERT_TRUE(started) << k.Describe();
    HWND main = k.Main;

    std::vector<HWND> hosts;
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 3 && EmbeddedIn(hosts[0]) && EmbeddedIn(hosts[1]) && EmbeddedIn(hosts[2]);
    })) << hosts.size();
    std::vector<HWND> tabs = Children(main, WC_TABCONTROLW);
    ASSERT_EQ(tabs.size(), 1u);
    EXPECT_EQ(SendMessageW(tabs[0], TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(tabs[0], TCM_GETCURSEL, 0, 0), 2);     /* the last one is active */
    EXPECT_EQ(WindowText(main), "셋째 - Kestrum");
    /* the broadcast group as it was left */
    EXPECT_EQ(ListLine(main, 0), "첫째");
    EXPECT_EQ(ListLine(main, 1), "● 저장된 세션");

    RECT tabArea;
    GetWindowRect(tabs[0], &tabArea);
    auto visibleHosts = [&] {
        std::vector<std::pair<RECT, std::string>> out;
        for (HWND h : k.Hosts())
            if (IsWindowVisible(h)) {
                RECT r;
                GetWindowRect(h, &r);
                out.push_back({ r, WindowText(EmbeddedIn(h)) });
            }
        std::sort(out.begin(), out.end(), [](const auto &a, const auto &b) {
            return a.first.top != b.first.top ? a.first.top < b.first.top : a.first.left < b.first.left;
        });
        return out;
    };
    /* one at a time: only the active session shows */
    auto shown = visibleHosts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].second, "third");
    SaveWindowShot(main, "view-single");

    PostMessageW(main, WM_COMMAND, CMD_VIEW_SIDE_BY_SIDE, 0);
    ASSERT_TRUE(WaitFor([&] { return visibleHosts().size() == 3; }, 5000));
    shown = visibleHosts();
    EXPECT_EQ(shown[0].second + shown[1].second + shown[2].second, "firstsecondthird");
    EXPECT_EQ(shown[0].first.right, shown[1].first.left);
    EXPECT_EQ(shown[1].first.right, shown[2].first.left);
    EXPECT_EQ(shown[0].first.top, shown[2].first.top);
    int width = shown[2].first.right - shown[0].first.left;
    EXPECT_LE(std::abs((shown[1].first.right - shown[1].first.left) * 3 - width), 3);
    Sleep(300);
    SaveWindowShot(main, "view-side-by-side");

    PostMessageW(main, WM_COMMAND, CMD_VIEW_STACKED, 0);
    ASSERT_TRUE(WaitFor([&] {
        shown = visibleHosts();
        /* every window moved, not only the first */
        return shown.size() == 3 && shown[0].first.left == shown[2].first.left &&
               shown[0].first.bottom == shown[1].first.top && shown[1].first.bottom == shown[2].first.top;
    }, 5000));
    EXPECT_EQ(shown[0].first.bottom, shown[1].first.top);
    EXPECT_EQ(shown[1].first.bottom, shown[2].first.top);
    Sleep(300);
    SaveWindowShot(main, "view-stacked");

    PostMessageW(main, WM_COMMAND, CMD_VIEW_GRID, 0);
    ASSERT_TRUE(WaitFor([&] {
        shown = visibleHosts();
        return shown.size() == 3 && shown[0].first.top == shown[1].first.top &&
               shown[2].first.top == shown[0].first.bottom && shown[2].first.left == shown[0].first.left;
    }, 5000));
    EXPECT_EQ(shown[0].first.right, shown[1].first.left);     /* two on top */
    EXPECT_EQ(shown[2].first.left, shown[0].first.left);      /* one bottom left */
    EXPECT_EQ(shown[2].first.top, shown[0].first.bottom);
    EXPECT_EQ(shown[2].second, "third");
    Sleep(300);
    SaveWindowShot(main, "view-grid");

    /* everyone into the group */
    PostMessageW(main, WM_COMMAND, CMD_BROADCAST_ALL, 0);
    ASSERT_TRUE(WaitFor([&] { return ListLine(main, 2) == "● 셋째"; }, 5000)) << ListLine(main, 2);
    EXPECT_EQ(ReadBytes(configPath), config);

    /* closing asks; No keeps everything */
    std::vector<HWND> putties;
    for (HWND h : k.Hosts())
        putties.push_back(EmbeddedIn(h));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.Answer(IDNO, "quit-question"), "열린 세션 3개를 모두 닫고 Kestrum를 끝낼까요?");
    Sleep(300);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(ReadBytes(configPath), config);

    /* Yes: saved with the placement and the sessions, every PuTTY ended */
    std::vector<HANDLE> doubles;
    for (HWND w : putties) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        doubles.push_back(OpenProcess(SYNCHRONIZE, FALSE, pid));
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.Answer(IDYES), "열린 세션 3개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(k.WaitExit(), 0);
    for (HANDLE h : doubles) {
        EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
        CloseHandle(h);
    }
    std::string saved = ReadBytes(configPath);
    EXPECT_NE(saved.find("<Window show=\""), std::string::npos);
    size_t a = saved.find("<Open caption=\"\" group=\"1\" uid=\"{11111111-2222-3333-4444-555555555555}\"/>");
    size_t b = saved.find("<Open caption=\"저장된 세션\" group=\"1\" session=\"Saved One\"/>");
    EXPECT_NE(saved.find("<Open caption=\"\" group=\"1\">"), std::string::npos);
    size_t c = saved.find("<DisplayName>셋째</DisplayName>", saved.find("<OpenSessions>"));
    EXPECT_NE(a, std::string::npos);
    EXPECT_GT(b, a);
    EXPECT_GT(c, b);
    EXPECT_NE(c, std::string::npos);
    EXPECT_EQ(saved.find("pw "), std::string::npos);     /* passwords only protected */

    EXPECT_EQ(PasswordFiles(), filesBefore);
}

TEST_F(Program, FirstRunWithoutPutty)
{
    std::string empty = dir.path + "\\empty";
    CreateDirectoryW(WText(empty), NULL);
    CreateDirectoryW(WText(dir.path + "\\appdata"), NULL);
    HWND main;
    {
        /* the program's environment, where no PuTTY is to be found */
        ScopedEnv appdata("APPDATA", (dir.path + "\\appdata").c_str()), w6432("ProgramW6432", empty.c_str()),
            files("ProgramFiles", empty.c_str()), x86("ProgramFiles(x86)", empty.c_str()), path("PATH", empty.c_str());
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
        main = k.Main;
    }

    EXPECT_EQ(k.Answer(IDOK, "first-run"), "putty.exe를 찾지 못했습니다.\n도구 → PuTTY 위치에서 putty.exe(또는 kitty.exe)를 지정하세요.");
    std::string config = dir.path + "\\appdata\\Kestrum\\kestrum.xml";
    EXPECT_TRUE(WaitFor([&] { return PathExists(WText(config)); }, 5000));
    PostMessageW(main, WM_CLOSE, 0, 0);     /* no session: no question */
    EXPECT_EQ(k.WaitExit(10000), 0);
}
