/*
 * The menus of the real main window under Wine: hotkey texts in the
 * labels, the special-key columns, the mirror of a system menu, the
 * states before a menu opens and the tracked popups themselves.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/session.h"
#include "sessions/session_rules.h"
#include "ui/commands/commands.h"
#include "ui/hotkeys/hotkey_text.h"
#include "ui/hotkeys/hotkeys.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menus.h"
#include "ui/shell/tabs.h"
#include "ui/tree/tree_view.h"
#include "main_window_util.h"
#include "test_util.h"
#include "win_shot.h"

static std::string Text(int value, int size = 64)
{
    wchar_t buf[64];
    HotkeyToText(value, buf, size);
    return U8(buf);
}

/* The system's own name of a key, by scan code. */
static std::string SystemKeyName(int vk, bool extended)
{
    wchar_t name[64] = {};
    GetKeyNameTextW((LONG)((MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16) | (extended ? 1u << 24 : 0)), name, 64);
    return U8(name);
}

TEST(HotkeyText, OrderOwnNamesAndNone)
{
    EXPECT_EQ(Text(0x6009), "Ctrl+Shift+Tab");
    EXPECT_EQ(Text(0x4009), "Ctrl+Tab");
    EXPECT_EQ(Text(0x005D), "Menu 키");
    EXPECT_EQ(Text(0x40C0), "Ctrl+`");
    EXPECT_EQ(Text(0x604B), "Ctrl+Shift+K");
    EXPECT_EQ(Text(HK_ALT | HK_SHIFT | VK_PRIOR), "Shift+Alt+PgUp");
    EXPECT_EQ(Text(HK_CTRL | VK_NEXT), "Ctrl+PgDn");
    EXPECT_EQ(Text(VK_LEFT) + Text(VK_UP) + Text(VK_RIGHT) + Text(VK_DOWN), "←↑→↓");
    EXPECT_EQ(Text(0), "(없음)");
    EXPECT_EQ(Text(HK_CTRL | HK_SHIFT), "(없음)");      /* modifiers without a key */
    std::string f1 = SystemKeyName(VK_F1, false);
    EXPECT_FALSE(f1.empty());
    EXPECT_EQ(Text(HK_CTRL | HK_SHIFT | HK_ALT | VK_F1), "Ctrl+Shift+Alt+" + f1);
}

TEST(HotkeyText, ExtendedKeysFallbackAndCut)
{
    /* the navigation block, not the keypad keys of the same scan codes */
    EXPECT_EQ(Text(VK_DELETE), SystemKeyName(VK_DELETE, true));
    EXPECT_NE(Text(VK_DELETE), SystemKeyName(VK_DELETE, false));
    EXPECT_EQ(Text(VK_HOME), SystemKeyName(VK_HOME, true));
    EXPECT_NE(Text(VK_HOME), SystemKeyName(VK_HOME, false));
    EXPECT_EQ(Text(VK_END), SystemKeyName(VK_END, true));
    EXPECT_EQ(Text(VK_INSERT), SystemKeyName(VK_INSERT, true));
    /* a key without a scan code has no system name */
    EXPECT_EQ(Text(HK_CTRL | 0xE8), "Ctrl+VK 232");
    EXPECT_EQ(Text(0x6009, 5), "Ctrl");
    EXPECT_EQ(Text(0, 3), "(없");
    EXPECT_EQ(Text(0x6009, 1), "");
}

/* One menu item: "text=id", "[popup text]" or "-", with its states. */
static std::string Item(HMENU menu, int pos)
{
    wchar_t text[256] = {};
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = 256;
    if (!GetMenuItemInfoW(menu, (UINT)pos, TRUE, &mi))
        return "?";
    if (mi.fType & MFT_SEPARATOR)
        return "-";
    std::string s = mi.hSubMenu ? "[" + U8(text) + "]" : U8(text) + "=" + std::to_string(mi.wID);
    if (mi.fState & MFS_GRAYED)
        s += " (grayed)";
    if (mi.fState & MFS_CHECKED)
        s += mi.fType & MFT_RADIOCHECK ? " (radio)" : " (checked)";
    return s;
}

static std::string Describe(HMENU menu)
{
    std::string out;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++)
        out += (i ? " | " : "") + Item(menu, i);
    return out;
}

static std::string Label(HMENU menu, int command)
{
    wchar_t text[256] = {};
    GetMenuStringW(menu, (UINT)command, text, 256, MF_BYCOMMAND);
    return U8(text);
}

static UINT State(int command)
{
    return GetMenuState(MenuBar, (UINT)command, MF_BYCOMMAND);
}

/* What a timer saw while a popup menu was open, before it closed it. */
struct OpenMenu {
    std::string items;
    std::string firstSubmenu;   /* items of its first popup item */
    RECT rect;
    int modal;
    const char *shot;           /* picture name, or null */
    HWND shotWindow;            /* what to take; null: the popup */
    int tries;
};
static OpenMenu Seen;

static void CALLBACK InspectOpenMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND popup = FindWindowW(L"#32768", NULL);
    bool open = popup && IsWindowVisible(popup);
    if (!open && ++Seen.tries < 50)
        return;
    KillTimer(NULL, id);
    if (open) {
        HMENU menu = (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0);
        Seen.items = Describe(menu);
        for (int i = 0; i < GetMenuItemCount(menu); i++)
            if (HMENU sub = GetSubMenu(menu, i)) {
                Seen.firstSubmenu = Describe(sub);
                break;
            }
        GetWindowRect(popup, &Seen.rect);
        Seen.modal = ModalDepth;
        if (Seen.shot)
            SaveWindowShot(Seen.shotWindow ? Seen.shotWindow : popup, Seen.shot);
    }
    EndMenu();
}

/* Runs open, which tracks a menu; a timer reads the menu and closes it. */
static void WhileOpen(const std::function<void()> &open, const char *shot = nullptr, HWND shotWindow = NULL)
{
    Seen = OpenMenu();
    Seen.shot = shot;
    Seen.shotWindow = shotWindow;
    UINT_PTR timer = SetTimer(NULL, 0, 150, InspectOpenMenu);
    open();
    KillTimer(NULL, timer);
    Pump();
}

static LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(w, msg, wParam, lParam);
}

struct Menus : ::testing::Test {
    HWND putty = NULL;

    static void SetUpTestSuite()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = L"MenusTestPutty";
        RegisterClassW(&wc);
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetModel();
        RefillTree(NULL);
        RebuildMenuBar();
        ApplyTabPosition();
        SetForegroundWindow(MainWindow);
        Pump();
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], false);
        if (putty)
            DestroyWindow(putty);
        NodeFreeTree(ClipboardNode);
        ClipboardNode = NULL;
        ResetModel();
        RefillTree(NULL);
        RebuildMenuBar();
        ApplyTabPosition();
        Pump();
    }
    /* A stand-in for a captured PuTTY window: a top-level window of our
     * own, so its system menu can be read and changed in-process. */
    HWND PuttyStandIn()
    {
        putty = CreateWindowExW(0, L"MenusTestPutty", L"stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL,
                                GetModuleHandleW(NULL), NULL);
        return putty;
    }
    /* Its system menu with only the window commands, in Windows' order
     * (Wine adds an item of its own). */
    static HMENU PlainSystemMenu(HWND w)
    {
        HMENU system = GetSystemMenu(w, FALSE);
        while (GetMenuItemCount(system) > 0)
            DeleteMenu(system, 0, MF_BYPOSITION);
        AppendMenuW(system, MF_STRING, SC_RESTORE, L"&Restore");
        AppendMenuW(system, MF_STRING, SC_MOVE, L"&Move");
        AppendMenuW(system, MF_STRING, SC_SIZE, L"&Size");
        AppendMenuW(system, MF_STRING, SC_MINIMIZE, L"Mi&nimize");
        AppendMenuW(system, MF_STRING, SC_MAXIMIZE, L"Ma&ximize");
        AppendMenuW(system, MF_SEPARATOR, 0, NULL);
        AppendMenuW(system, MF_STRING, SC_CLOSE, L"&Close\tAlt+F4");
        return system;
    }
    /* An open tab that no PuTTY stands behind. */
    static Session *FakeSession(bool withNode, HWND window)
    {
        Session *s = NewSession();
        s->State = SESSION_ENDED;       /* the poll leaves it alone */
        if (withNode)
            s->Node = NodeNew(NODE_SERVER);
        s->PuttyWindow = window;
        StrCopyTo(s->Caption, CAPTION_MAX, L"시험 세션");
        RebuildTabs();
        ActivateSession(SessionCount - 1, false);
        return s;
    }
};

TEST_F(Menus, HotkeyTextsInLabels)
{
    ASSERT_TRUE(MenuBar);
    EXPECT_EQ(GetMenu(MainWindow), MenuBar);
    EXPECT_EQ(Describe(MenuBar), "[파일(&F)] | [서버(&S)] | [세션(&E)] | [보기(&V)] | [도구(&T)] | [도움말(&H)]");
    EXPECT_EQ(Label(MenuBar, CMD_QUICK_CONNECT), "빠른 연결(&Q)…\tCtrl+Shift+K");
    EXPECT_EQ(Label(MenuBar, CMD_SWITCH_FOCUS), "트리 ↔ PuTTY 포커스 전환\tCtrl+`");
    EXPECT_EQ(Label(MenuBar, CMD_PUTTY_MENU), "PuTTY 메뉴(&P)\tMenu 키");
    EXPECT_EQ(Label(MenuBar, CMD_FIND_NEXT), "다음 찾기\tF3");
    EXPECT_EQ(Label(MenuBar, CMD_CONNECT), "연결(&C)");

    /* the binding removed, another one added: the rebuilt bar follows,
     * and the old bar is gone */
    HMENU old = MenuBar;
    Settings.Hotkeys[13] = 0;                   /* acConnectTo */
    Settings.Hotkeys[12] = VK_F5;               /* acConnect */
    RebuildMenuBar();
    EXPECT_NE(MenuBar, old);
    EXPECT_FALSE(IsMenu(old));
    EXPECT_EQ(GetMenu(MainWindow), MenuBar);
    EXPECT_EQ(Label(MenuBar, CMD_QUICK_CONNECT), "빠른 연결(&Q)…");
    EXPECT_EQ(Label(MenuBar, CMD_CONNECT), "연결(&C)\t" + Text(VK_F5));

    /* rebuilt while hidden: kept, not attached */
    Settings.HideMenu = 1;
    RebuildMenuBar();
    EXPECT_TRUE(IsMenu(MenuBar));
    EXPECT_EQ(GetMenu(MainWindow), (HMENU)NULL);
}

TEST_F(Menus, SpecialKeyColumns)
{
    HMENU keys = BuildSpecialKeysMenu();
    ASSERT_EQ(GetMenuItemCount(keys), 37);
    for (int i = 0; i < 37; i++) {
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_ID;
        ASSERT_TRUE(GetMenuItemInfoW(keys, (UINT)i, TRUE, &mi));
        EXPECT_EQ((mi.fType & MFT_MENUBARBREAK) != 0, i == 15 || i == 30) << i;
        EXPECT_EQ(mi.wID, (UINT)(CMD_SPECIAL_KEY_FIRST + i));
    }
    EXPECT_EQ(Item(keys, 0), "Enter=41000");
    EXPECT_EQ(Item(keys, 14), "Delete=41014");
    EXPECT_EQ(Item(keys, 15), "Ctrl+C=41015");
    EXPECT_EQ(Item(keys, 30), "F6=41030");
    EXPECT_EQ(Item(keys, 36), "F12=41036");
    DestroyMenu(keys);

    /* the session popup of the bar holds its own copy */
    HMENU session = GetSubMenu(MenuBar, 2);
    EXPECT_EQ(Item(session, 1), "[특수 키 보내기(&K)]");
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(session, 1)), 37);
}

TEST_F(Menus, MirrorOfSystemMenu)
{
    HWND w = PuttyStandIn();
    HMENU system = PlainSystemMenu(w);
    ASSERT_TRUE(system);
    AppendMenuW(system, MF_SEPARATOR, 0, NULL);
    AppendMenuW(system, MF_STRING, 0x0010, L"Event Log");
    AppendMenuW(system, MF_STRING | MF_GRAYED, 0x0020, L"회색 항목");
    AppendMenuW(system, MF_STRING | MF_CHECKED, 0x0030, L"Full Screen");
    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 0x0040, L"안쪽");
    AppendMenuW(system, MF_POPUP | MF_STRING, (UINT_PTR)sub, L"Saved Sessions");
    AppendMenuW(system, MF_STRING, 0x0050, L"");
    AppendMenuW(system, MF_STRING, 0x0060, L"Paste");

    Session s = {};
    s.PuttyWindow = w;
    HMENU mirror = BuildPuttySystemMenu(&s);
    /* the window commands, the submenu and the empty item stay out */
    ASSERT_EQ(SystemMenuMirrorCount, 4);
    EXPECT_EQ(SystemMenuMirror[0], 0x10);
    EXPECT_EQ(SystemMenuMirror[1], 0x20);
    EXPECT_EQ(SystemMenuMirror[2], 0x30);
    EXPECT_EQ(SystemMenuMirror[3], 0x60);
    EXPECT_EQ(Describe(mirror),
              "- | - | Event Log=42000 | 회색 항목=42001 (grayed) | Full Screen=42002 (checked) | Paste=42003");
    DestroyMenu(mirror);

    /* without a window, or without a session: empty, and the old mirror is void */
    s.PuttyWindow = NULL;
    mirror = BuildPuttySystemMenu(&s);
    EXPECT_EQ(GetMenuItemCount(mirror), 0);
    EXPECT_EQ(SystemMenuMirrorCount, 0);
    DestroyMenu(mirror);
    SystemMenuMirrorCount = 3;
    mirror = BuildPuttySystemMenu(NULL);
    EXPECT_EQ(GetMenuItemCount(mirror), 0);
    EXPECT_EQ(SystemMenuMirrorCount, 0);
    DestroyMenu(mirror);
}

TEST_F(Menus, MirrorStopsAfter64Commands)
{
    HWND w = PuttyStandIn();
    HMENU system = PlainSystemMenu(w);
    for (int i = 0; i < 70; i++) {
        if (i % 10 == 0)
            AppendMenuW(system, MF_SEPARATOR, 0, NULL);     /* these do not count */
        AppendMenuW(system, MF_STRING, (UINT_PTR)(0x100 + i * 0x10), WText("명령 " + std::to_string(i)));
    }
    Session s = {};
    s.PuttyWindow = w;
    HMENU mirror = BuildPuttySystemMenu(&s);
    EXPECT_EQ(SystemMenuMirrorCount, 64);
    EXPECT_EQ(SystemMenuMirror[63], 0x100 + 63 * 0x10);
    int last = GetMenuItemCount(mirror) - 1;
    EXPECT_EQ(Item(mirror, last), "명령 63=42063");
    DestroyMenu(mirror);
}

TEST_F(Menus, StatesBeforeOpening)
{
    UpdateMenuStates(MenuBar);
    EXPECT_TRUE(State(CMD_CLOSE_ALL_TABS) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_CLOSE_OTHER_TABS) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_RENAME_TAB) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_PASTE) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_TOGGLE_TREE) & MF_CHECKED);
    EXPECT_FALSE(State(CMD_QUICK_CONNECT) & (MF_GRAYED | MF_CHECKED));

    FakeSession(true, NULL);
    UpdateMenuStates(MenuBar);
    EXPECT_FALSE(State(CMD_CLOSE_ALL_TABS) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_CLOSE_OTHER_TABS) & MF_GRAYED);
    EXPECT_FALSE(State(CMD_RECONNECT) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_DETACH) & MF_GRAYED);             /* not captured yet */
    FakeSession(false, PuttyStandIn());
    UpdateMenuStates(MenuBar);
    EXPECT_FALSE(State(CMD_CLOSE_OTHER_TABS) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_RECONNECT) & MF_GRAYED);          /* an attached window */
    EXPECT_FALSE(State(CMD_DETACH) & MF_GRAYED);

    /* checks follow the settings both ways, radio marks move */
    Settings.HideTree = 1;
    Settings.ViewMode = 2;
    Settings.TabBottom = 1;
    ClipboardNode = NodeNew(NODE_SERVER);
    UpdateMenuStates(MenuBar);
    EXPECT_FALSE(State(CMD_TOGGLE_TREE) & MF_CHECKED);
    EXPECT_FALSE(State(CMD_PASTE) & MF_GRAYED);
    HMENU view = GetSubMenu(MenuBar, 3);
    EXPECT_EQ(Describe(view), "서버 트리(&T)\tCtrl+Shift+B=40034 | 세션 목록(&L)=40035 (checked) | "
                              "도구 모음(&B)\tCtrl+Shift+T=40036 (checked) | "
                              "메뉴 표시줄(&M)\tCtrl+Shift+M=40037 (checked) | 동시 입력 줄(&I)=40055 | - | "
                              "탭 하나씩 보기(&1)=40038 | "
                              "좌우로 나란히(&2)=40039 | 위아래로 나란히(&3)=40040 (radio) | 바둑판(&4)=40041 | "
                              "묶인 세션만 보기(&G)=40056 | - | 탭 위치: 위(&U)=40042 | 탭 위치: 아래(&D)=40043 (radio)");
    Settings.HideTree = 0;
    Settings.ViewMode = 0;
    UpdateMenuStates(MenuBar);
    EXPECT_TRUE(State(CMD_TOGGLE_TREE) & MF_CHECKED);
    EXPECT_TRUE(State(CMD_VIEW_SINGLE) & MF_CHECKED);
    EXPECT_FALSE(State(CMD_VIEW_STACKED) & MF_CHECKED);
}

TEST_F(Menus, PuttySessionsFolderInTheTree)
{
    PuttySessionsFolder = NodeNew(NODE_FOLDER);
    StrAssign(&PuttySessionsFolder->DisplayName, L"PuTTY 세션");
    PuttySessionsFolder->IsPuttySession = true;
    RefillTree(PuttySessionsFolder);
    ASSERT_EQ(SelectedNode(), PuttySessionsFolder);
    HMENU server = GetSubMenu(MenuBar, 1);
    UpdateMenuStates(server);
    for (int id : { CMD_CONNECT, CMD_CONNECT_FOLDER, CMD_PROPERTIES, CMD_RENAME, CMD_DUPLICATE_NODE, CMD_COPY,
                    CMD_DELETE })
        EXPECT_TRUE(State(id) & MF_GRAYED) << id;
    EXPECT_FALSE(State(CMD_ADD_SERVER) & MF_GRAYED);

    ServerNode *entry = NodeNew(NODE_SERVER);
    StrAssign(&entry->DisplayName, L"web");
    StrAssign(&entry->SavedSession, L"web");
    entry->IsPuttySession = true;
    NodeAppendChild(PuttySessionsFolder, entry);
    RefillTree(PuttySessionsFolder);
    UpdateMenuStates(server);
    EXPECT_FALSE(State(CMD_CONNECT_FOLDER) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_CONNECT) & MF_GRAYED);

    RefillTree(entry);
    ASSERT_EQ(SelectedNode(), entry);
    UpdateMenuStates(server);
    for (int id : { CMD_CONNECT, CMD_PROPERTIES, CMD_COPY, CMD_DELETE })
        EXPECT_FALSE(State(id) & MF_GRAYED) << id;
    for (int id : { CMD_CONNECT_FOLDER, CMD_RENAME, CMD_DUPLICATE_NODE })
        EXPECT_TRUE(State(id) & MF_GRAYED) << id;
}

TEST_F(Menus, TabContextMenuTracked)
{
    RECT main;
    GetWindowRect(MainWindow, &main);
    int x = main.left + 300, y = main.top + 200;

    /* no session, toolbar hidden: the single way back */
    Settings.HideToolbar = 1;
    LayoutMainWindow();
    WhileOpen([&] { ShowTabContextMenu(x, y); }, "menu-tabs-no-session");
    EXPECT_EQ(Seen.items, "도구 모음 보이기\tCtrl+Shift+T=40036");
    EXPECT_EQ(Seen.modal, 1);           /* hotkeys off while it is open */
    EXPECT_EQ(ModalDepth, 0);
    Settings.HideToolbar = 0;
    LayoutMainWindow();

    /* a session still starting: no PuTTY menu, detaching grayed */
    FakeSession(true, NULL);
    WhileOpen([&] { ShowTabContextMenu(x, y); });
    EXPECT_EQ(Seen.items, "탭 이름 바꾸기…\tCtrl+Shift+R=40023 | 세션 복제\tCtrl+Shift+D=40024 | 다시 연결=40025 | "
                          "스크립트 보내기…\tCtrl+Shift+S=40022 | [특수 키 보내기] | "
                          "분리 - 별도 창으로=40026 (grayed) | - | 닫기\tCtrl+Shift+W=40027 | "
                          "다른 탭 모두 닫기=40028 (grayed) | 모두 닫기=40029 | - | 동시 입력에 포함=40051");

    /* a captured one: its PuTTY menu mirrors the window's system menu */
    HWND w = PuttyStandIn();
    AppendMenuW(PlainSystemMenu(w), MF_STRING, 0x0150, L"Change Settings...");
    FakeSession(true, w);
    WhileOpen([&] { ShowTabContextMenu(x, y); }, "menu-tabs-session", MainWindow);
    EXPECT_NE(Seen.items.find("분리 - 별도 창으로=40026 | [PuTTY 메뉴] | - |"), std::string::npos) << Seen.items;
    EXPECT_NE(Seen.items.find("다른 탭 모두 닫기=40028 |"), std::string::npos) << Seen.items;
    EXPECT_EQ(SystemMenuMirrorCount, 1);
    EXPECT_EQ(SystemMenuMirror[0], 0x150);
}

TEST_F(Menus, PuttyMenuOverTheHostWindow)
{
    /* nothing to show without a captured window: returns at once */
    FakeSession(true, NULL);
    WhileOpen([] { ShowPuttySystemMenu(); });
    EXPECT_EQ(Seen.items, "");

    HWND w = PuttyStandIn();
    AppendMenuW(PlainSystemMenu(w), MF_STRING, 0x0150, L"Change Settings...");
    Session *s = FakeSession(true, w);
    RECT host;
    GetWindowRect(s->HostWindow, &host);
    WhileOpen([] { ShowPuttySystemMenu(); }, "menu-putty-mirror");
    EXPECT_NE(Seen.items.find("Change Settings...=42000"), std::string::npos) << Seen.items;
    EXPECT_EQ(Seen.rect.left, host.left + ScaleForDpi(8));
    EXPECT_EQ(Seen.rect.top, host.top + ScaleForDpi(8));
    EXPECT_EQ(Seen.modal, 1);
    EXPECT_EQ(ModalDepth, 0);
}

TEST_F(Menus, HiddenBarAndTabPosition)
{
    RECT shown;
    GetClientRect(MainWindow, &shown);
    ToggleMenuBar();
    EXPECT_EQ(Settings.HideMenu, 1);
    EXPECT_EQ(GetMenu(MainWindow), (HMENU)NULL);
    EXPECT_TRUE(IsMenu(MenuBar));
    RECT hidden, tabs;
    GetClientRect(MainWindow, &hidden);
    EXPECT_GT(hidden.bottom, shown.bottom);
    GetWindowRect(TabControl, &tabs);
    MapWindowPoints(NULL, MainWindow, (POINT *)&tabs, 2);
    EXPECT_EQ(tabs.bottom, hidden.bottom);          /* laid out again */

    /* moving the tabs keeps the bar hidden; the session follows its tab
     * row's move to the bottom */
    Session *s = FakeSession(true, NULL);
    Settings.TabBottom = 1;
    ApplyTabPosition();
    EXPECT_TRUE(GetWindowLongW(TabControl, GWL_STYLE) & TCS_BOTTOM);
    EXPECT_EQ(GetMenu(MainWindow), (HMENU)NULL);
    RECT host, strip;
    GetWindowRect(s->HostWindow, &host);
    GetWindowRect(TabControl, &strip);
    EXPECT_LT(host.top - strip.top, strip.bottom - host.bottom);
    Pump();
    SaveWindowShot(MainWindow, "tabs-bottom-no-menu");

    ToggleMenuBar();
    EXPECT_EQ(Settings.HideMenu, 0);
    EXPECT_EQ(GetMenu(MainWindow), MenuBar);
    Settings.TabBottom = 0;
    ApplyTabPosition();
    EXPECT_FALSE(GetWindowLongW(TabControl, GWL_STYLE) & TCS_BOTTOM);
    EXPECT_EQ(GetMenu(MainWindow), MenuBar);
    GetWindowRect(s->HostWindow, &host);
    GetWindowRect(TabControl, &strip);
    EXPECT_GT(host.top - strip.top, strip.bottom - host.bottom);
}

/* Pictures of the bar's drop-downs, opened as Alt and a letter would. */
TEST_F(Menus, Pictures)
{
    if (!getenv("KESTRUM_SHOTS"))
        GTEST_SKIP() << "KESTRUM_SHOTS is not set";
    FakeSession(true, NULL);
    Settings.ViewMode = 1;
    const char *names[] = { "menu-file", "menu-server", "menu-session", "menu-view", "menu-tools", "menu-help" };
    const wchar_t keys[] = L"fsevth";
    for (int i = 0; i < 6; i++) {
        WhileOpen([&] { SendMessageW(MainWindow, WM_SYSCOMMAND, SC_KEYMENU, keys[i]); }, names[i], MainWindow);
        EXPECT_FALSE(Seen.items.empty()) << names[i];
    }
    RECT main;
    GetWindowRect(MainWindow, &main);
    HMENU keysMenu = BuildSpecialKeysMenu();
    WhileOpen([&] { TrackPopupMenu(keysMenu, 0, main.left + 100, main.top + 100, 0, MainWindow, NULL); },
              "menu-special-keys");
    DestroyMenu(keysMenu);
}
