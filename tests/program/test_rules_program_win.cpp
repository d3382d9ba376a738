/*
 * Rules seen from the keyboard and the mouse of Kestrum.exe (with the
 * PuTTY double as putty.exe): the window placement across starts, the
 * first run's MTPuTTY offer, the close questions, the session list's
 * menu and the syntax help; and, in this process's main window, the
 * menu bar's labels and the tree images that follow the PuTTY path.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "core/text.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menus.h"
#include "ui/shell/toolbar.h"
#include "double_cues.h"
#include "main_window_util.h"
#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

namespace {


struct RulesProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;

    std::string Log(const std::string &name) { return dir.path + "\\" + name + ".log"; }
    std::string Server(const std::string &name)
    {
        return "<Node Type=\"1\"><DisplayName>" + name +
               "</DisplayName><ServerName>127.0.0.1</ServerName><PuttyConType>4</PuttyConType>"
               "<CLParams>-double-title title-" + name + " -double-log \"" + Log(name) + "\"</CLParams></Node>";
    }
    /* A configuration beside the program: settings after the PuTTY path,
     * and one open session per name. */
    void WriteConfig(const std::string &settings, const std::vector<std::string> &open = {})
    {
        std::string sessions;
        for (const std::string &name : open)
            sessions += "<Open caption=\"\">" + Server(name) + "</Open>";
        ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"),
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n"
                               "<Settings><PuttyPath>" + ProgramDir() + "\\putty_double.exe</PuttyPath>" +
                               settings + "</Settings><Servers/><OpenSessions>" + sessions +
                               "</OpenSessions></Kestrum>\r\n"));
    }
    std::string File() { return ReadBytes(WText(dir.path + "\\kestrum.xml")); }
    /* Started with its sessions embedded, in front. */
    void StartWithSessions(size_t n)
    {
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
        ASSERT_TRUE(WaitFor([&] {
            std::vector<HWND> hosts = k.Hosts();
            if (hosts.size() != n)
                return false;
            for (HWND h : hosts)
                if (!EmbeddedIn(h))
                    return false;
            return true;
        })) << k.Describe();
        ASSERT_TRUE(InFront(k.Main));
    }
    bool InFront(HWND w)
    {
        SetForegroundWindow(w);
        return WaitFor([&] { return GetForegroundWindow() == w; }, 5000);
    }
    HWND Only(const wchar_t *cls)
    {
        std::vector<HWND> found = Children(k.Main, cls);
        return found.size() == 1 ? found[0] : NULL;
    }
    /* The session list's lines. */
    std::vector<std::string> Lines()
    {
        HWND list = Only(L"ListBox");
        std::vector<std::string> out;
        int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            wchar_t text[300] = {};
            SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
            out.push_back(U8(text));
        }
        return out;
    }
    bool LinesAre(const std::vector<std::string> &want)
    {
        return WaitFor([&] { return Lines() == want; }, 10000);
    }
    /* Presses a letter's key and tells whether the named session's PuTTY
     * got it. */
    bool KeyReaches(const std::string &name, char letter)
    {
        PressKey((WORD)letter);
        std::string got = "keydown " + std::to_string(letter) + " ";
        return WaitFor([&] { return ReadBytes(WText(Log(name))).find(got) != std::string::npos; }, 5000);
    }
    bool MenuOpen(const KestrumProcess &p)
    {
        for (HWND w : TopWindows(p.Info.dwProcessId, L"#32768"))
            if (IsWindowVisible(w))
                return true;
        return false;
    }
    bool MenuOpen() { return MenuOpen(k); }
    /* Alt+Space, then the item's key, once the menu is up. */
    void SystemMenu(const KestrumProcess &p, WORD item)
    {
        PressKey(VK_SPACE, VK_MENU);
        ASSERT_TRUE(WaitFor([&] { return MenuOpen(p); }, 5000));
        PressKey(item);
    }
    /* Where the keys go now: the class and text of the focus. */
    std::string Focus()
    {
        HWND f = FocusOf(0);
        wchar_t cls[64] = {};
        GetClassNameW(f, cls, 64);
        return "focus " + U8(cls) + " '" + WindowText(f) + "'";
    }
    HANDLE DoubleOf(const std::string &name)
    {
        for (HWND h : k.Hosts())
            if (WindowText(EmbeddedIn(h)) == "title-" + name) {
                DWORD pid = 0;
                GetWindowThreadProcessId(EmbeddedIn(h), &pid);
                return OpenProcess(SYNCHRONIZE, FALSE, pid);
            }
        return NULL;
    }
    HWND WindowOf(const std::string &name)
    {
        for (HWND h : k.Hosts())
            if (WindowText(EmbeddedIn(h)) == "title-" + name)
                return EmbeddedIn(h);
        return NULL;
    }
};

std::string Rect(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

} // namespace

TEST_F(RulesProgram, PlacementRestoredAndWrittenAtExit)
{
    const std::string normal = "left=\"120\" top=\"90\" right=\"1020\" bottom=\"650\"";
    WriteConfig("<Layout><Window show=\"1\" " + normal + "/></Layout>");
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    EXPECT_EQ(Rect(k.Main), "120 90 1020 650");
    EXPECT_FALSE(IsZoomed(k.Main));

    /* maximised and closed from the system menu: the file keeps
     * the normal rectangle under the maximised state */
    ASSERT_TRUE(InFront(k.Main));
    ASSERT_NO_FATAL_FAILURE(SystemMenu(k, 'X'));
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(k.Main) != 0; }, 5000));
    ASSERT_NO_FATAL_FAILURE(SystemMenu(k, 'C'));
    EXPECT_EQ(k.WaitExit(), 0) << k.Describe();
    EXPECT_NE(File().find("<Window show=\"3\" " + normal + "/>"), std::string::npos) << File();

    /* the next start opens maximised, and writes the same at its exit */
    KestrumProcess again;
    ASSERT_TRUE(again.Start(dir.path)) << again.Describe();
    EXPECT_TRUE(IsZoomed(again.Main));
    ASSERT_TRUE(InFront(again.Main));
    ASSERT_NO_FATAL_FAILURE(SystemMenu(again, 'C'));
    EXPECT_EQ(again.WaitExit(), 0) << again.Describe();
    EXPECT_NE(File().find("<Window show=\"3\" " + normal + "/>"), std::string::npos) << File();
}

TEST_F(RulesProgram, FirstRunTakesTheMtputtyServers)
{
    std::string appdata = dir.path + "\\appdata", mtputty = appdata + "\\TTYPlus\\mtputty.xml";
    CreateDirectoryW(WText(appdata), NULL);
    CreateDirectoryW(WText(appdata + "\\TTYPlus"), NULL);
    auto server = [](const std::string &name) {
        return "<Node Type=\"1\"><DisplayName>" + name + "</DisplayName><ServerName>" + name +
               ".example</ServerName></Node>\r\n";
    };
    ASSERT_TRUE(WriteBytes(WText(mtputty),
                           "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<MTPutty version=\"1.0\">\r\n<Servers>\r\n"
                           "<Putty>\r\n<Node Type=\"0\" Expanded=\"1\"><DisplayName>운영</DisplayName>\r\n" +
                           server("web1") + "</Node>\r\n" + server("db1") +
                           "</Putty>\r\n</Servers>\r\n<Globals>\r\n<PuttyLocation>" + ProgramDir() +
                           "\\putty_double.exe</PuttyLocation>\r\n</Globals>\r\n</MTPutty>\r\n"));
    {
        ScopedEnv env("APPDATA", appdata.c_str());
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    }
    HWND tree = Only(WC_TREEVIEWW);
    ASSERT_NE(tree, nullptr);
    LRESULT before = SendMessageW(tree, TVM_GETCOUNT, 0, 0);

    EXPECT_EQ(k.AnswerByKey(VK_RETURN), "MTPuTTY 설정이 있습니다.\n" + mtputty + "\n\n서버 트리와 옵션을 가져올까요?");
    /* the import's own questions: this file, and the tree replaced */
    EXPECT_EQ(k.AnswerByKey(VK_RETURN), "이 파일에서 가져올까요?\n" + mtputty + "\n\n'아니요'를 누르면 다른 파일을 고릅니다.");
    EXPECT_EQ(k.AnswerByKey('Y'), "현재 서버 트리를 MTPuTTY 트리로 바꿀까요?\n\n"
                                  "예: 바꾸기 (MTPuTTY의 PuTTY 경로·옵션·단축키도 가져옴)\n"
                                  "아니요: 'MTPuTTY에서 가져옴' 폴더로 추가");
    EXPECT_EQ(k.AnswerByKey(VK_RETURN), "서버 2개를 가져왔습니다.");
    /* PuTTY came with the import: nothing more to say */
    Sleep(500);
    EXPECT_TRUE(TopWindows(k.Info.dwProcessId, L"#32770").empty());

    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), before + 3);
    std::string saved = ReadBytes(WText(appdata + "\\Kestrum\\kestrum.xml"));
    for (const char *name : { "운영", "web1", "db1" })
        EXPECT_NE(saved.find(std::string("<DisplayName>") + name + "</DisplayName>"), std::string::npos)
            << name << "\n" << saved;
    EXPECT_NE(saved.find("<PuttyPath>" + ProgramDir() + "\\putty_double.exe</PuttyPath>"), std::string::npos);
    /* the keyboard is back in the tree */
    EXPECT_EQ(FocusOf(k.Info.dwThreadId), tree);
    ASSERT_NO_FATAL_FAILURE(SystemMenu(k, 'C'));
    EXPECT_EQ(k.WaitExit(), 0) << k.Describe();
}

TEST_F(RulesProgram, TabCloseAsksForARunningSessionAndQuitDoesNotAsk)
{
    WriteConfig("<NoQuitConfirm>1</NoQuitConfirm><NoCloseConfirm>0</NoCloseConfirm>"
                "<CloseOnNormalEnd>0</CloseOnNormalEnd>",
                { "alpha", "beta", "gamma" });
    ASSERT_NO_FATAL_FAILURE(StartWithSessions(3));
    ASSERT_TRUE(LinesAre({ "alpha", "beta", "gamma" })) << Lines().size();
    HANDLE alpha = DoubleOf("alpha"), gamma = DoubleOf("gamma");
    HWND betaWindow = WindowOf("beta");
    ASSERT_TRUE(alpha && gamma && betaWindow);
    RECT strip;
    GetWindowRect(Only(WC_TABCONTROLW), &strip);
    POINT firstTab = { strip.left + 12, strip.top + 10 };
    auto middleClick = [&] { ClickAt(firstTab, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); };

    /* No keeps the session, and the keyboard stays with the active one */
    middleClick();
    EXPECT_EQ(k.AnswerByKey('N'), "'alpha' 세션을 닫을까요?");
    EXPECT_EQ(Lines(), (std::vector<std::string>{ "alpha", "beta", "gamma" }));
    EXPECT_EQ(WaitForSingleObject(alpha, 0), (DWORD)WAIT_TIMEOUT);
    EXPECT_TRUE(KeyReaches("gamma", 'Q')) << Focus();

    middleClick();
    EXPECT_EQ(k.AnswerByKey('Y'), "'alpha' 세션을 닫을까요?");
    EXPECT_TRUE(LinesAre({ "beta", "gamma" })) << Lines().size();
    EXPECT_EQ(WaitForSingleObject(alpha, 5000), (DWORD)WAIT_OBJECT_0);
    EXPECT_TRUE(KeyReaches("gamma", 'W')) << Focus();

    /* a session that has ended goes without a question */
    PostMessageW(betaWindow, CUE_EXIT, 0, 0);
    ASSERT_TRUE(LinesAre({ "beta (종료)", "gamma" })) << Lines()[0];
    middleClick();
    EXPECT_TRUE(LinesAre({ "gamma" })) << Lines().size();
    EXPECT_TRUE(TopWindows(k.Info.dwProcessId, L"#32770").empty());
    EXPECT_TRUE(KeyReaches("gamma", 'E')) << Focus();

    /* NoQuitConfirm: the close ends it all with a session running */
    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.WaitExit(), 0) << k.Describe();
    EXPECT_EQ(WaitForSingleObject(gamma, 5000), (DWORD)WAIT_OBJECT_0);
    CloseHandle(alpha);
    CloseHandle(gamma);
}

TEST_F(RulesProgram, SessionListMenuActivatesOnlyALine)
{
    WriteConfig("<NoQuitConfirm>1</NoQuitConfirm>", { "alpha", "beta" });
    ASSERT_NO_FATAL_FAILURE(StartWithSessions(2));
    ASSERT_TRUE(LinesAre({ "alpha", "beta" }));
    HWND list = Only(L"ListBox"), tabs = Only(WC_TABCONTROLW);
    ASSERT_TRUE(list && tabs);
    int h = (int)SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    RECT client;
    GetClientRect(list, &client);
    ASSERT_GT(client.bottom, 3 * h);
    auto rightClick = [&](int y) {
        POINT pt = { 20, y };
        ClientToScreen(list, &pt);
        ClickAt(pt, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        return WaitFor([&] { return MenuOpen(); }, 5000);
    };
    auto active = [&] {
        return std::to_string(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)) + " " +
               std::to_string(SendMessageW(list, LB_GETCURSEL, 0, 0)) + " " + WindowText(k.Main);
    };
    ASSERT_EQ(active(), "1 1 beta - Kestrum");

    /* a click on the first line: its session, the keyboard in the list */
    POINT first = { 20, h / 2 };
    ClientToScreen(list, &first);
    ClickAt(first);
    ASSERT_TRUE(WaitFor([&] { return active() == "0 0 alpha - Kestrum"; }, 5000)) << active();
    ASSERT_TRUE(WaitFor([&] { return FocusOf(k.Info.dwThreadId) == list; }, 5000)) << Focus();

    /* below the last line: the menu, and the active session as it was */
    ASSERT_TRUE(rightClick(2 * h + h / 2));
    EXPECT_EQ(active(), "0 0 alpha - Kestrum");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !MenuOpen(); }, 5000));
    EXPECT_EQ(FocusOf(k.Info.dwThreadId), list) << Focus();

    /* on a line: that session is made active first */
    ASSERT_TRUE(rightClick(h + h / 2));
    EXPECT_EQ(active(), "1 1 beta - Kestrum");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !MenuOpen(); }, 5000));
    EXPECT_EQ(FocusOf(k.Info.dwThreadId), list) << Focus();
}

TEST_F(RulesProgram, ScriptSyntaxFromTheHelpMenu)
{
    WriteConfig("");
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    ASSERT_TRUE(InFront(k.Main));
    PressKey('H', VK_MENU);
    PressKey('S');
    EXPECT_EQ(k.AnswerByKey(VK_RETURN), "스크립트 문법\n"
                                        "\n"
                                        "• 글자는 그대로 입력됩니다.\n"
                                        "• 줄바꿈은 Enter입니다. 마지막 줄 끝에 줄바꿈이 없으면 그 줄의 Enter는 보내지 않습니다.\n"
                                        "• 특수 키: {ENTER} {ESC} {TAB} {BS} {SPACE} {UP} {DOWN} {LEFT} {RIGHT}\n"
                                        "   {HOME} {END} {PGUP} {PGDN} {INS} {DEL} {F1} … {F12}\n"
                                        "• Ctrl 조합: {CTRL+C}, {CTRL+D} 처럼 {CTRL+문자}\n"
                                        "• Alt 조합: {ALT+x} (Esc 다음 x를 보냅니다)\n"
                                        "• 기다리기: {WAIT 500} 또는 {SLEEP 500} (밀리초)\n"
                                        "• 글자 기다리기: {WAITFOR 텍스트} (화면에 나올 때까지, 기본 30초)\n"
                                        "• 기다리는 시간 바꾸기: {TIMEOUT 60} (초)\n"
                                        "• 서버 값: {USER} {PASSWORD} {HOST}\n"
                                        "• 여는 중괄호 글자 자체: {{\n"
                                        "\n"
                                        "예)\n"
                                        "sudo -i\n"
                                        "{WAIT 800}{PASSWORD}\n"
                                        "cd /var/log\n");
    EXPECT_TRUE(WaitFor([&] { return FocusOf(k.Info.dwThreadId) == Only(WC_TREEVIEWW); }, 5000));
    ASSERT_NO_FATAL_FAILURE(SystemMenu(k, 'C'));
    EXPECT_EQ(k.WaitExit(), 0) << k.Describe();
}

namespace {

struct RulesWindow : ::testing::Test {
    static void SetUpTestSuite() { OpenMainWindow(); }
    void TearDown() override
    {
        ResetModel();
        BuildTreeImageList();
        RebuildMenuBar();
    }
};

/* "title", then "label" or "-" or "[popup]" per item, of each popup. */
std::vector<std::string> BarTexts(HMENU bar)
{
    std::vector<std::string> out;
    for (int p = 0; p < GetMenuItemCount(bar); p++) {
        wchar_t text[256] = {};
        GetMenuStringW(bar, (UINT)p, text, 256, MF_BYPOSITION);
        out.push_back(U8(text));
        HMENU popup = GetSubMenu(bar, p);
        for (int i = 0; i < GetMenuItemCount(popup); i++) {
            text[0] = 0;
            GetMenuStringW(popup, (UINT)i, text, 256, MF_BYPOSITION);
            /* a popup's state holds its item count in the high byte */
            if (GetSubMenu(popup, i))
                out.push_back("[" + U8(text) + "]");
            else if (GetMenuState(popup, (UINT)i, MF_BYPOSITION) & MF_SEPARATOR)
                out.push_back("-");
            else
                out.push_back("  " + U8(text));
        }
    }
    return out;
}

/* The small image i of the tree's list drawn on white, as pixels. */
std::vector<DWORD> TreeImage(int i)
{
    HIMAGELIST list = (HIMAGELIST)SendMessageW(ServerTree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = { 0, 0, cx, cy };
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    ImageList_Draw(list, i, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<DWORD> pixels((DWORD *)bits, (DWORD *)bits + cx * cy);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return pixels;
}

} // namespace

TEST_F(RulesWindow, MenuBarLabels)
{
    /* without bound keys a label is the bare text */
    for (int i = 0; i < HOTKEY_COUNT; i++)
        Settings.Hotkeys[i] = 0;
    RebuildMenuBar();
    const std::vector<std::string> want = {
        "파일(&F)",
        "  빠른 연결(&Q)…", "  열린 PuTTY 창 가져오기(&A)…", "-", "  트리 가져오기(&I)…", "  트리 내보내기(&E)…",
        "  MTPuTTY 설정 가져오기(&M)…", "  PuTTY 세션 다시 읽기(&R)", "-", "  끝내기(&X)",
        "서버(&S)",
        "  연결(&C)", "  폴더 전체 연결(&L)", "-", "  서버 추가(&S)…", "  폴더 추가(&F)", "  속성(&P)…", "[색 표시]",
        "  이름 바꾸기(&N)", "  복제(&D)", "  복사(&Y)", "  붙여넣기(&V)", "  삭제(&R)", "-", "  이름순 정렬(&O)",
        "  서버 찾기(&I)", "  다음 찾기\tF3", "  비밀번호 일괄 변경(&U)…",
        "세션(&E)",
        "  스크립트 보내기(&S)…", "[특수 키 보내기(&K)]", "-", "  탭 이름 바꾸기(&N)…", "  세션 복제(&D)",
        "  다시 연결(&R)", "  끝난 세션 모두 다시 연결(&E)", "  분리 - 별도 창으로(&T)", "  PuTTY 메뉴(&P)", "-",
        "  닫기(&C)", "  다른 탭 모두 닫기(&O)", "  모두 닫기(&A)", "-", "  동시 입력에 포함(&B)",
        "  모든 세션을 동시 입력에 포함(&G)", "  동시 입력에서 모두 빼기(&U)", "-", "  다음 탭", "  이전 탭",
        "  트리 ↔ PuTTY 포커스 전환",
        "보기(&V)",
        "  서버 트리(&T)", "  세션 목록(&L)", "  도구 모음(&B)", "  메뉴 표시줄(&M)", "  동시 입력 줄(&I)", "-",
        "  탭 하나씩 보기(&1)", "  좌우로 나란히(&2)", "  위아래로 나란히(&3)", "  바둑판(&4)", "  묶인 세션만 보기(&G)",
        "-", "  탭 위치: 위(&U)", "  탭 위치: 아래(&D)",
        "도구(&T)",
        "  PuTTY 위치(&P)…", "  설정(&S)…", "  단축키(&H)…", "-", "  세션 로그 폴더…", "  세션 로그 남기기",
        "도움말(&H)",
        "  스크립트 문법(&S)", "  Kestrum 정보(&A)",
    };
    EXPECT_EQ(BarTexts(MenuBar), want);
    EXPECT_EQ(GetMenu(MainWindow), MenuBar);
}

TEST_F(RulesWindow, TreeImagesFollowThePuttyPath)
{
    /* the program itself has an icon of its own; the double has none */
    const std::string withIcon = ProgramDir() + "\\..\\bin\\Kestrum.exe";
    ASSERT_TRUE(PathExists(WText(withIcon)));
    auto imagesFor = [](const std::string &path) {
        StrCopyTo(Settings.PuttyPath, KPATH, WText(path));
        BuildTreeImageList();
        return std::vector<std::vector<DWORD>>{ TreeImage(0), TreeImage(1), TreeImage(2) };
    };
    auto missing = imagesFor(ProgramDir() + "\\missing.exe");
    auto iconless = imagesFor(ProgramDir() + "\\putty_double.exe");
    auto icon = imagesFor(withIcon);
    EXPECT_EQ(iconless, missing);
    /* the folders stay, the server takes the program's icon */
    EXPECT_EQ(icon[0], missing[0]);
    EXPECT_EQ(icon[1], missing[1]);
    EXPECT_NE(icon[2], missing[2]);
    EXPECT_NE(icon[2], std::vector<DWORD>(icon[2].size(), 0x00FFFFFF)) << "nothing drawn";
    EXPECT_EQ(imagesFor(ProgramDir() + "\\missing.exe"), missing);
}
