/*
 * The server tree of Kestrum.exe driven with the mouse and the keyboard
 * (input injected as the user's), with the PuTTY double as putty.exe.
 * Every change must reach the configuration file on disk.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <regex>
#include <string>
#include <vector>

#include "ui/commands/command_ids.h"
#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

void Key(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void Press(WORD vk, WORD modifier = 0)
{
    if (modifier)
        Key(modifier, false);
    Key(vk, false);
    Key(vk, true);
    if (modifier)
        Key(modifier, true);
    Sleep(150);
}

INPUT MouseInput(DWORD flags, POINT pt)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = pt.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = pt.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return in;
}

void Mouse(DWORD flags, POINT pt)
{
    INPUT in = MouseInput(flags | MOUSEEVENTF_MOVE, pt);
    SendInput(1, &in, sizeof in);
    Sleep(60);
}

struct TreeProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;
    HWND tree = NULL;
    std::string log;

    std::string Server(const char *name)
    {
        return std::string("<Node Type=\"1\"><DisplayName>") + name +
               "</DisplayName><ServerName>127.0.0.1</ServerName><PuttyConType>4</PuttyConType>"
               "<CLParams>-double-log \"" + log + "\"</CLParams></Node>";
    }
    void SetUp() override
    {
        log = dir.path + "\\double.log";
        std::string config =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings><PuttyPath>" +
            ProgramDir() + "\\putty_double.exe</PuttyPath></Settings><Servers>"
            "<Node Type=\"0\" Expanded=\"1\"><DisplayName>web</DisplayName>" + Server("www") + "</Node>"
            "<Node Type=\"0\"><DisplayName>ops</DisplayName></Node>" + Server("db") +
            "</Servers></Kestrum>\r\n";
        ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), config));
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
        std::vector<HWND> trees = Children(k.Main, WC_TREEVIEWW);
        ASSERT_EQ(trees.size(), 1u);
        tree = trees[0];
        SetForegroundWindow(k.Main);
    }
    void TearDown() override
    {
        if (!k.Main || !IsWindow(k.Main))
            return;
        PostMessageW(k.Main, WM_CLOSE, 0, 0);
        /* open sessions make it ask first */
        WaitFor([&] {
            return WaitForSingleObject(k.Info.hProcess, 0) == WAIT_OBJECT_0 ||
                   !TopWindows(k.Info.dwProcessId, L"#32770").empty();
        }, 10000);
        if (WaitForSingleObject(k.Info.hProcess, 0) != WAIT_OBJECT_0)
            k.Answer(IDYES);
        k.WaitExit();
    }
    /* A point on the label of the visible row (0 at the top) at depth. */
    POINT Row(int row, int depth)
    {
        int h = (int)SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0);
        int indent = (int)SendMessageW(tree, TVM_GETINDENT, 0, 0);
        POINT pt = { indent * (depth + 1) + GetSystemMetrics(SM_CXSMICON) + 8, row * h + h / 2 };
        ClientToScreen(tree, &pt);
        return pt;
    }
    void Click(POINT pt, bool twice = false)
    {
        Mouse(0, pt);
        /* one batch, so that a busy machine cannot stretch a double-click */
        INPUT in[4];
        int n = twice ? 4 : 2;
        for (int i = 0; i < n; i++)
            in[i] = MouseInput(i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN, pt);
        SendInput(n, in, sizeof in[0]);
        Sleep(300);
    }
    void Drag(POINT from, POINT to)
    {
        Mouse(0, from);
        Mouse(MOUSEEVENTF_LEFTDOWN, from);
        for (int i = 1; i <= 8; i++) {
            POINT p = { from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8 };
            Mouse(0, p);
        }
        Mouse(MOUSEEVENTF_LEFTUP, to);
        Sleep(300);
    }
    std::string File() { return ReadBytes(WText(dir.path + "\\kestrum.xml")); }
    /* The saved tree, one "depth name" per node. */
    std::string SavedTree() { return SavedTreeOf(File()); }
    bool SavedTreeIs(const std::string &want)
    {
        return WaitFor([&] { return SavedTree() == want; }, 5000);
    }
};

} // namespace

TEST_F(TreeProgram, EditByMouseAndKeys)
{
    /* rows: web, www, ops, db, PuTTY 세션 */
    Click(Row(3, 0));
    Press('C', VK_CONTROL);
    Click(Row(2, 0));
    Press('V', VK_CONTROL);
    ASSERT_TRUE(SavedTreeIs("0web 1www 0ops 1db 0db ")) << SavedTree();
    std::smatch uids;
    std::string f = File();
    std::regex uid("<UID>([^<]*)</UID>");
    std::vector<std::string> all;
    for (std::sregex_iterator i(f.begin(), f.end(), uid), end; i != end; ++i)
        all.push_back((*i)[1]);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_NE(all[1], all[2]);      /* the pasted copy has its own UID */

    /* rows: web, www, ops, db (in ops), db, PuTTY 세션 */
    Drag(Row(4, 0), Row(0, 0));
    ASSERT_TRUE(SavedTreeIs("0web 1www 1db 0ops 1db ")) << SavedTree();
    std::string before = File();
    /* a folder onto its own child: refused, nothing saved */
    Drag(Row(0, 0), Row(1, 1));
    Sleep(500);
    EXPECT_EQ(File(), before);
    /* Esc ends a drag before its drop; Delete meanwhile deletes nothing */
    POINT from = Row(4, 0), to = Row(0, 0);
    Mouse(0, from);
    Mouse(MOUSEEVENTF_LEFTDOWN, from);
    for (int i = 1; i <= 4; i++)
        Mouse(0, POINT{ from.x, from.y + (to.y - from.y) * i / 8 });
    Press(VK_DELETE);
    Press(VK_ESCAPE);
    Mouse(0, to);
    Mouse(MOUSEEVENTF_LEFTUP, to);
    Sleep(500);
    EXPECT_TRUE(TopWindows(k.Info.dwProcessId, L"#32770").empty());
    EXPECT_EQ(File(), before);

    /* Delete asks first */
    Click(Row(1, 1));
    Press(VK_DELETE);
    EXPECT_EQ(k.Answer(IDYES), "'www'을(를) 삭제할까요?");
    ASSERT_TRUE(SavedTreeIs("0web 1db 0ops 1db ")) << SavedTree() << k.Answer(IDOK);

    /* a new folder is named in place */
    Click(Row(2, 0));
    PostMessageW(k.Main, WM_COMMAND, CMD_ADD_FOLDER, 0);
    Sleep(500);
    Press('A');
    Press('B');
    Press(VK_RETURN);
    ASSERT_TRUE(SavedTreeIs("0web 1db 0ops 1db 1ab ")) << SavedTree();

    /* right-click opens the tree's menu for the item under the cursor */
    Mouse(0, Row(0, 0));
    Mouse(MOUSEEVENTF_RIGHTDOWN, Row(0, 0));
    Mouse(MOUSEEVENTF_RIGHTUP, Row(0, 0));
    ASSERT_TRUE(WaitFor([&] { return !TopWindows(k.Info.dwProcessId, L"#32768").empty(); }, 5000));
    SaveWindowShot(GetDesktopWindow(), "tree-context-menu");
    Press(VK_ESCAPE);
}

TEST_F(TreeProgram, ConnectByDoubleClickAndEnter)
{
    Click(Row(3, 0), true);
    ASSERT_TRUE(WaitFor([&] { return k.Hosts().size() == 1 && EmbeddedIn(k.Hosts()[0]); })) << k.Describe();
    Click(Row(1, 1));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> h = k.Hosts();
        return h.size() == 2 && EmbeddedIn(h[0]) && EmbeddedIn(h[1]);
    }));
    SaveWindowShot(k.Main, "tree-connected");
}

TEST_F(TreeProgram, HotkeysRunCommandsOnlyWithoutModal)
{
    Click(Row(0, 0));
    ASSERT_TRUE(IsWindowVisible(tree));
    /* Ctrl+Shift+B: the tree pane, even with the focus in the tree */
    Key(VK_CONTROL, false);
    Press('B', VK_SHIFT);
    Key(VK_CONTROL, true);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(tree); }, 3000));

    /* with a message box open the key does nothing */
    PostMessageW(k.Main, WM_COMMAND, CMD_ABOUT, 0);
    ASSERT_TRUE(WaitFor([&] { return !TopWindows(k.Info.dwProcessId, L"#32770").empty(); }, 5000));
    Key(VK_CONTROL, false);
    Press('B', VK_SHIFT);
    Key(VK_CONTROL, true);
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(tree));
    EXPECT_NE(k.Answer(IDOK).find("Kestrum 1.0.0"), std::string::npos);

    SetForegroundWindow(k.Main);
    Sleep(300);
    Key(VK_CONTROL, false);
    Press('B', VK_SHIFT);
    Key(VK_CONTROL, true);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(tree); }, 3000));
}

/* A colour chosen from the tree's menu reaches the file and survives a
 * restart.  A session opened from the coloured folder shows the colour
 * as a band on its tab and a frame round its window, read from the
 * screen, and keeps it when the folder's colour changes. */
TEST_F(TreeProgram, ColourLabels)
{
    /* the folder's menu: 폴더 전체 연결, 서버 추가…, 폴더 추가, 속성…, 색 표시 */
    auto choose = [&](int colour) {
        Mouse(0, Row(0, 0));
        Mouse(MOUSEEVENTF_RIGHTDOWN, Row(0, 0));
        Mouse(MOUSEEVENTF_RIGHTUP, Row(0, 0));
        ASSERT_TRUE(WaitFor([&] { return !TopWindows(k.Info.dwProcessId, L"#32768").empty(); }, 5000));
        for (int i = 0; i < 5; i++)
            Press(VK_DOWN);
        Press(VK_RIGHT);
        for (int i = 0; i < colour; i++)
            Press(VK_DOWN);
        Press(VK_RETURN);
    };
    auto pixel = [](int x, int y) {
        HDC screen = GetDC(NULL);
        COLORREF c = GetPixel(screen, x, y);
        ReleaseDC(NULL, screen);
        return c;
    };
    /* the frame's pixel and the tab band's, once the session shows */
    auto open = [&](KestrumProcess &p, COLORREF want) {
        Click(Row(1, 1), true);
        ASSERT_TRUE(WaitFor([&] { return p.Hosts().size() == 1 && EmbeddedIn(p.Hosts()[0]); })) << p.Describe();
        RECT host;
        GetWindowRect(p.Hosts()[0], &host);
        EXPECT_TRUE(WaitFor([&] { return pixel(host.left + 1, host.top + 1) == want; }, 3000))
            << std::hex << pixel(host.left + 1, host.top + 1);
        HWND tabs = Children(p.Main, WC_TABCONTROLW)[0];
        RECT tab = TabOnScreen(tabs, p.Info.dwProcessId, 0);
        EXPECT_TRUE(WaitFor([&] { return pixel((tab.left + tab.right) / 2, tab.top + 3) == want; }, 3000))
            << std::hex << pixel((tab.left + tab.right) / 2, tab.top + 3);
    };
    const COLORREF red = RGB(213, 94, 0), blue = RGB(0, 114, 178);
    ASSERT_NO_FATAL_FAILURE(choose(1));
    ASSERT_TRUE(WaitFor([&] { return File().find("<Node Type=\"0\" Expanded=\"1\" Color=\"1\">") != std::string::npos; },
                        5000)) << File();
    ASSERT_NO_FATAL_FAILURE(open(k, red));
    SaveWindowShot(k.Main, "colour-labels");

    /* the session keeps the colour it was opened with */
    SetForegroundWindow(k.Main);
    ASSERT_NO_FATAL_FAILURE(choose(5));
    ASSERT_TRUE(WaitFor([&] { return File().find("Color=\"5\"") != std::string::npos; }, 5000)) << File();
    RECT host;
    GetWindowRect(k.Hosts()[0], &host);
    InvalidateRect(k.Hosts()[0], NULL, FALSE);
    Sleep(300);
    EXPECT_EQ(pixel(host.left + 1, host.top + 1), red);

    /* after a restart the folder is blue, and so is what opens from it */
    TearDown();
    KestrumProcess again;
    ASSERT_TRUE(again.Start(dir.path)) << again.Describe();
    tree = Children(again.Main, WC_TREEVIEWW)[0];
    SetForegroundWindow(again.Main);
    EXPECT_NO_FATAL_FAILURE(open(again, blue));
    PostMessageW(again.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.Answer(IDYES), "열린 세션 1개를 모두 닫고 Kestrum를 끝낼까요?");
    EXPECT_EQ(again.WaitExit(), 0);
}
