/*
 * The toolbar row, the find box, the start page and the settings dialog
 * in this process against the real main window; the settings dialog
 * once more inside Kestrum.exe, where OK reaches the file on disk.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"
#include "../resources/resource.h"
#include "../sessions/key_script.h"
#include "../sessions/putty_discovery.h"
#include "../sessions/session.h"
#include "../ui/commands/command_ids.h"
#include "../ui/dialogs/settings_dialog.h"
#include "../ui/shell/layout.h"
#include "../ui/shell/main_window.h"
#include "../ui/shell/start_page.h"
#include "../ui/shell/toolbar.h"
#include "../ui/tree/tree_view.h"
#include "program_util.h"
#include "main_window_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

void MainWindowUp()
{
    INITCOMMONCONTROLSEX icc = { sizeof icc, 0x42FF };
    InitCommonControlsEx(&icc);
    if (MainWindow)
        return;
    CreateUiFont();
    SettingsSetDefaults();
    RegisterWindowClasses(GetModuleHandleW(NULL));
    CreateMainWindow(GetModuleHandleW(NULL));
    ShowWindow(MainWindow, SW_SHOW);
    LayoutMainWindow();
}

std::string TextOf(HWND w)
{
    wchar_t text[1100];
    text[0] = 0;
    GetWindowTextW(w, text, 1100);
    return U8(text);
}

/* Keystrokes as the keyboard would bring them: one WM_CHAR each. */
void TypeInto(HWND w, const std::string &utf8)
{
    WText text(utf8);
    for (const wchar_t *c = text; *c; c++)
        SendMessageW(w, WM_CHAR, *c, 1);
}

std::string Beside(const char *name)
{
    return ProgramDir() + "\\" + name;
}

/* The pixels of a part of a window's client area, as drawn. */
std::vector<DWORD> Pixels(HWND w, RECT r)
{
    int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<DWORD> out((size_t)width * height);
    HDC dc = GetDC(w);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, dc, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi = {};
    bi.biSize = sizeof bi;
    bi.biWidth = width;
    bi.biHeight = -height;
    bi.biPlanes = 1;
    bi.biBitCount = 32;
    GetDIBits(mem, bmp, 0, (UINT)height, out.data(), (BITMAPINFO *)&bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(w, dc);
    return out;
}

bool Uniform(const std::vector<DWORD> &pixels)
{
    for (DWORD c : pixels)
        if (c != pixels[0])
            return false;
    return true;
}

/* The popup menu that the thread is tracking: where it showed and how
 * many items it had, then closed. */
RECT PopupRect;
int PopupItems = -1;

BOOL CALLBACK FindPopup(HWND w, LPARAM found)
{
    wchar_t cls[32];
    GetClassNameW(w, cls, 32);
    if (lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(w)) {
        *(HWND *)found = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ProbePopup(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindPopup, (LPARAM)&popup);
    if (!popup)
        return;
    KillTimer(NULL, timer);
    GetWindowRect(popup, &PopupRect);
    HMENU menu = (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0);
    PopupItems = menu ? GetMenuItemCount(menu) : -2;
    EndMenu();
}

struct ToolbarRow : ::testing::Test {
    TempDir dir;

    static void SetUpTestSuite() { MainWindowUp(); }
    void SetUp() override
    {
        ResetModel();
        SessionsInit();
        StubPromptsReset();
        LayoutMainWindow();
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        SetWindowTextW(QuickConnectBox, L"");
        ResetModel();
        FillRecentsCombo();
        LayoutMainWindow();
    }
    static RECT ButtonRect(int command)
    {
        RECT r = {};
        SendMessageW(Toolbar, TB_GETRECT, command, (LPARAM)&r);
        return r;
    }
    /* A click in the middle of a button. */
    static void ClickButton(int command)
    {
        RECT r = ButtonRect(command);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(Toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(Toolbar, WM_LBUTTONUP, 0, at);
        Pump();
    }
    static std::string ComboItems()
    {
        std::string out;
        int n = (int)SendMessageW(QuickConnectBox, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            wchar_t item[300];
            SendMessageW(QuickConnectBox, CB_GETLBTEXT, i, (LPARAM)item);
            out += U8(item) + "|";
        }
        return out;
    }
};

} // namespace

TEST_F(ToolbarRow, ButtonsRunTheirCommands)
{
    /* the row as the control holds it: text and command of each button,
     * the slot and separator widths */
    std::string row;
    int n = (int)SendMessageW(Toolbar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        TBBUTTON b = {};
        SendMessageW(Toolbar, TB_GETBUTTON, i, (LPARAM)&b);
        if (b.fsStyle & BTNS_SEP) {
            row += "|" + std::to_string(b.iBitmap) + "|";
            continue;
        }
        wchar_t text[64] = L"";
        SendMessageW(Toolbar, TB_GETBUTTONTEXTW, b.idCommand, (LPARAM)text);
        row += U8(text) + "=" + std::to_string(b.idCommand) + (b.fsStyle & BTNS_WHOLEDROPDOWN ? "v" : "") + " ";
    }
    std::string gap = "|" + std::to_string(ScaleForDpi(6)) + "|";
    EXPECT_EQ(row, "|" + std::to_string(ScaleForDpi(230)) + "|연결=40049 " + gap +
                       "서버 추가=40010 폴더 추가=40011 트리에서 연결=40008 " + gap + "스크립트=40022 특수 키=41000v "
                       "복제=40024 다시 연결=40025 분리=40026 창 가져오기=40002 " + gap + "설정=40045 ");

    /* a click reaches the command; nothing is disabled beforehand */
    ClickButton(CMD_SETTINGS);
    EXPECT_EQ(StubSettingsCount, 1);
    EXPECT_TRUE(SendMessageW(Toolbar, TB_ISBUTTONENABLED, CMD_DETACH, 0));

    /* the whole face of "특수 키" drops the special keys below it */
    PopupItems = -1;
    UINT_PTR timer = SetTimer(NULL, 0, 50, ProbePopup);
    RECT button = ButtonRect(CMD_SPECIAL_KEY_FIRST);
    MapWindowPoints(Toolbar, NULL, (POINT *)&button, 2);
    ClickButton(CMD_SPECIAL_KEY_FIRST);
    KillTimer(NULL, timer);
    EXPECT_EQ(PopupItems, SPECIAL_KEY_COUNT);
    EXPECT_EQ(PopupRect.left, button.left);
    EXPECT_EQ(PopupRect.top, button.bottom);
}

TEST_F(ToolbarRow, QuickConnectBox)
{
    /* the list: the recents in order, gaps skipped, the typed text kept */
    StrAssign(&Settings.Recents[0], L"root@web1:822");
    StrAssign(&Settings.Recents[2], L"db1");
    StrAssign(&Settings.Recents[14], L"마지막");
    SetWindowTextW(QuickConnectBox, L"adm");
    FillRecentsCombo();
    EXPECT_EQ(ComboItems(), "root@web1:822|db1|마지막|");
    EXPECT_EQ(TextOf(QuickConnectBox), "adm");

    /* Enter in the box asks the main window to connect it, once */
    HWND edit = GetWindow(QuickConnectBox, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    Pump();
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(edit, WM_CHAR, 13, 1);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, MainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(m.wParam, (WPARAM)CMD_QUICK_CONNECT_BOX);
    EXPECT_EQ(m.lParam, 0);
    EXPECT_FALSE(PeekMessageW(&m, MainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(TextOf(QuickConnectBox), "adm");

    /* the box sits in the row's first slot, and the row fits the window */
    RECT slot, box, last = ButtonRect(CMD_SETTINGS), client;
    SendMessageW(Toolbar, TB_GETITEMRECT, 0, (LPARAM)&slot);
    GetWindowRect(QuickConnectBox, &box);
    MapWindowPoints(NULL, MainWindow, (POINT *)&box, 2);
    GetClientRect(MainWindow, &client);
    EXPECT_GE(box.left, slot.left);
    EXPECT_LE(box.right, slot.right);
    EXPECT_LE(last.right, client.right);
}

TEST_F(ToolbarRow, TreeImagesFollowThePuttyPath)
{
    /* three icons whatever the path names: a missing file, a directory,
     * a program without icons and one with */
    const std::string paths[] = { Beside("missing.exe"), ProgramDir(), Beside("version_0_76.exe"),
                                  Beside("putty_double.exe"), "" };
    for (const std::string &p : paths) {
        StrCopyTo(Settings.PuttyPath, KPATH, WText(p));
        BuildTreeImageList();
        HIMAGELIST list = (HIMAGELIST)SendMessageW(ServerTree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
        ASSERT_NE(list, nullptr) << p;
        EXPECT_EQ(ImageList_GetImageCount(list), 3) << p;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(cy, GetSystemMetrics(SM_CYSMICON));
    }
}

TEST_F(ToolbarRow, MainWindowPicture)
{
    ServerNode *folder = NodeNew(NODE_FOLDER);
    StrAssign(&folder->DisplayName, L"웹 서버");
    folder->Expanded = 1;
    NodeAppendChild(ServersRoot, folder);
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("putty_double.exe")));
    ReadPuttyVersion();
    BuildTreeImageList();
    const char *names[] = { "web1", "web2", "db" };
    ServerNode *servers[3];
    for (int i = 0; i < 3; i++) {
        servers[i] = NodeNew(NODE_SERVER);
        StrAssign(&servers[i]->DisplayName, WText(names[i]));
        StrAssign(&servers[i]->ServerName, L"127.0.0.1");
        StrAssign(&servers[i]->CLParams, WText("-double-log \"" + dir.path + "\\double.log\""));
        NodeAppendChild(i < 2 ? folder : ServersRoot, servers[i]);
    }
    RefillTree(servers[2]);
    StrAssign(&Settings.Recents[0], L"root@web1:822");
    FillRecentsCombo();
    OpenSession(servers[0]);
    OpenSession(servers[2]);
    ASSERT_TRUE(Until([] { return SessionCount == 2 && SessionList[0]->PuttyWindow && SessionList[1]->PuttyWindow; }));
    EXPECT_FALSE(IsWindowVisible(StartPageWindow));
    Until([] { return false; }, 300);
    SaveWindowShot(MainWindow, "main-window");
}

namespace {

struct FindBoxKeys : ::testing::Test {
    ServerNode *alpha, *web1, *web2;

    static void SetUpTestSuite() { MainWindowUp(); }
    void SetUp() override
    {
        ResetModel();
        StubPromptsReset();
        ServerNode *folder = NodeNew(NODE_FOLDER);
        StrAssign(&folder->DisplayName, L"운영");
        NodeAppendChild(ServersRoot, folder);
        alpha = Server(ServersRoot, "alpha");
        web1 = Server(folder, "web1");
        web2 = Server(ServersRoot, "web2");
        RefillTree(NULL);
        SetWindowTextW(FindBox, L"");
        LayoutMainWindow();
        /* activation posts a focus restore: let it pass first */
        SetForegroundWindow(MainWindow);
        Pump();
        SetFocus(FindBox);
        Pump();
        ASSERT_EQ(GetFocus(), FindBox);
    }
    void TearDown() override
    {
        SetWindowTextW(FindBox, L"");
        ResetModel();
        RefillTree(NULL);
    }
    static ServerNode *Server(ServerNode *parent, const char *name)
    {
        ServerNode *n = NodeNew(NODE_SERVER);
        StrAssign(&n->DisplayName, WText(name));
        NodeAppendChild(parent, n);
        return n;
    }
    /* A key as it comes from the keyboard: down, the character that
     * TranslateMessage makes of it, up. */
    static void Key(WORD vk)
    {
        PostMessageW(FindBox, WM_KEYDOWN, vk, 1);
        PostMessageW(FindBox, WM_KEYUP, vk, 0xC0000001);
        Pump();
    }
};

} // namespace

TEST_F(FindBoxKeys, EnterF3EscapeAndDown)
{
    /* typing searches from the top; the folder opens to show the match */
    TypeInto(FindBox, "web");
    EXPECT_EQ(SelectedNode(), web1);
    /* Enter and F3 go on from the selection, wrapping, and the box keeps
     * the focus and its text */
    Key(VK_RETURN);
    EXPECT_EQ(SelectedNode(), web2);
    EXPECT_EQ(GetFocus(), FindBox);
    Key(VK_F3);
    EXPECT_EQ(SelectedNode(), web1);
    EXPECT_EQ(TextOf(FindBox), "web");
    EXPECT_EQ(GetFocus(), FindBox);

    /* Down goes to the tree, keeping the text */
    Key(VK_DOWN);
    EXPECT_EQ(GetFocus(), ServerTree);
    EXPECT_EQ(TextOf(FindBox), "web");
    EXPECT_EQ(SelectedNode(), web1);

    /* Esc empties the box and goes to the tree, the match still chosen */
    SetFocus(FindBox);
    Key(VK_ESCAPE);
    EXPECT_EQ(TextOf(FindBox), "");
    EXPECT_EQ(GetFocus(), ServerTree);
    EXPECT_EQ(SelectedNode(), web1);

    /* with nothing typed, Enter and F3 change nothing */
    SetFocus(FindBox);
    Key(VK_RETURN);
    Key(VK_F3);
    EXPECT_EQ(SelectedNode(), web1);
    EXPECT_EQ(GetFocus(), FindBox);
    TypeInto(FindBox, "alp");
    EXPECT_EQ(SelectedNode(), alpha);
}

namespace {

struct StartPageView : ::testing::Test {
    static void SetUpTestSuite() { MainWindowUp(); }
    void SetUp() override
    {
        ResetModel();
        SessionsInit();
        StubPromptsReset();
        LayoutMainWindow();
        Pump();
    }
    void TearDown() override { ResetModel(); }
    static std::vector<HWND> Buttons()
    {
        std::vector<HWND> out;
        for (HWND c = GetWindow(StartPageWindow, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            out.push_back(c);
        return out;
    }
    static std::string Summary()
    {
        wchar_t text[START_SUMMARY_MAX];
        StartPageSummary(text);
        return U8(text);
    }
    static RECT SummaryArea()
    {
        RECT r;
        GetClientRect(StartPageWindow, &r);
        r.left = ScaleForDpi(280);
        r.top = ScaleForDpi(150);
        return r;
    }
    static void Repaint()
    {
        InvalidateRect(StartPageWindow, NULL, TRUE);
        UpdateWindow(StartPageWindow);
        Pump();
    }
};

} // namespace

TEST_F(StartPageView, ButtonsInAColumnRunCommands)
{
    ASSERT_TRUE(IsWindowVisible(StartPageWindow));
    std::vector<HWND> buttons = Buttons();
    ASSERT_EQ(buttons.size(), 5u);
    const char *texts[] = { "빠른 연결…", "서버 추가…", "MTPuTTY 설정 가져오기…", "열린 PuTTY 창 가져오기…", "설정…" };
    const int ids[] = { CMD_QUICK_CONNECT, CMD_ADD_SERVER, CMD_IMPORT_MTPUTTY, CMD_ATTACH_WINDOWS, CMD_SETTINGS };
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(TextOf(buttons[i]), texts[i]);
        EXPECT_EQ(GetDlgCtrlID(buttons[i]), ids[i]);
        RECT r;
        GetWindowRect(buttons[i], &r);
        MapWindowPoints(NULL, StartPageWindow, (POINT *)&r, 2);
        EXPECT_EQ(r.left, ScaleForDpi(40)) << i;
        EXPECT_EQ(r.top, ScaleForDpi(150) + i * ScaleForDpi(38)) << i;
        EXPECT_EQ(r.right - r.left, ScaleForDpi(210)) << i;
        EXPECT_EQ(r.bottom - r.top, ScaleForDpi(30)) << i;
    }
    /* "설정…" opens the settings dialog as the menu item does */
    SendMessageW(buttons[4], BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(StubSettingsCount, 1);
    EXPECT_EQ(StubLaunchCount, 1);
}

TEST_F(StartPageView, SummaryShowsTheCurrentKeys)
{
    EXPECT_EQ(Summary(), "단축키\n  다음 탭: Ctrl+Tab\n  트리 ↔ PuTTY 전환: Ctrl+`\n  빠른 연결: Ctrl+Shift+K\n\n"
                         "탭: 가운데 클릭으로 닫기, 끌어서 순서 바꾸기, 오른쪽 클릭으로 메뉴");
    Settings.Hotkeys[13] = 0;
    EXPECT_NE(Summary().find("  빠른 연결: (없음)\n"), std::string::npos);

    /* the page draws the summary anew at each paint */
    SetWindowPos(MainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Repaint();
    std::vector<DWORD> before = Pixels(StartPageWindow, SummaryArea());
    RECT titleArea = { ScaleForDpi(40), ScaleForDpi(36), ScaleForDpi(200), ScaleForDpi(80) };
    std::vector<DWORD> title = Pixels(StartPageWindow, titleArea);
    EXPECT_FALSE(Uniform(before));
    EXPECT_FALSE(Uniform(title));
    SaveWindowShot(StartPageWindow, "start-page");

    Settings.Hotkeys[0] = VK_F5 | HK_ALT;
    EXPECT_NE(Summary().find("  다음 탭: Alt+F5\n"), std::string::npos);
    Repaint();
    EXPECT_NE(Pixels(StartPageWindow, SummaryArea()), before);
    EXPECT_EQ(Pixels(StartPageWindow, titleArea), title);
    SaveWindowShot(StartPageWindow, "start-page-rebound");
}

namespace {

struct FlagBox {
    int Control;
    int *Field;
};

const FlagBox Flags[] = {
    { IDC_SET_CLOSE_BUTTONS, &Settings.CloseButtonOnTabs },
    { IDC_SET_TABS_BOTTOM, &Settings.TabBottom },
    { IDC_SET_START_PAGE, &Settings.ShowStartPage },
    { IDC_SET_CLOSE_ON_END, &Settings.CloseOnNormalEnd },
    { IDC_SET_KEEP_ON_ABNORMAL, &Settings.KeepOnAbnormalEnd },
    { IDC_SET_RECONNECT, &Settings.AutoReconnect },
    { IDC_SET_NO_QUIT_CONFIRM, &Settings.NoQuitConfirm },
    { IDC_SET_NO_CLOSE_CONFIRM, &Settings.NoCloseConfirm },
    { IDC_SET_SAVE_LAYOUT, &Settings.SaveLayout },
    { IDC_SET_SAVE_SESSIONS, &Settings.SaveSessions },
};

/* Everything the dialog shows, as one text, to see what changed. */
std::string SettingsPicture()
{
    std::string s = U8(Settings.PuttyPath) + "|caption " + std::to_string(Settings.TabCaption) + "|flags ";
    for (const FlagBox &f : Flags)
        s += std::to_string(*f.Field);
    return s + "|reconnect " + std::to_string(Settings.ReconnectDelay) + "|mode " +
           std::to_string(Settings.PasswordMode) + "|delay " + std::to_string(Settings.PasswordDelay);
}

const std::string NotThere = "이 경로에 실행 파일이 없습니다.";
const std::string NoVersion = "버전 정보를 읽지 못했습니다.";
const std::string Without = "  ·  -pwfile 미지원 (0.77 이상 필요, 비밀번호는 창에 입력)";
const std::string With = "  ·  -pwfile 지원 (비밀번호를 명령줄에 노출하지 않음)";

struct SettingsDialog : ::testing::Test {
    TempDir dir;
    HWND dialog = NULL;

    static void SetUpTestSuite() { MainWindowUp(); }
    void SetUp() override
    {
        ResetModel();
        StubPromptsReset();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        ResetModel();
    }
    void Open()
    {
        dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_SETTINGS), MainWindow,
                                    SettingsDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        Pump();
    }
    HWND Item(int id) { return GetDlgItem(dialog, id); }
    std::string Text(int id) { return TextOf(Item(id)); }
    bool Checked(int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    void Click(int id)
    {
        SendMessageW(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
    void Retype(int id, const std::string &text)
    {
        SetWindowTextW(Item(id), L"");
        TypeInto(Item(id), text);
    }
    std::string Mode()
    {
        HWND box = Item(IDC_SET_PASSWORD_MODE);
        int sel = (int)SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (sel < 0)
            return "<none>";
        wchar_t text[128];
        SendMessageW(box, CB_GETLBTEXT, sel, (LPARAM)text);
        return U8(text);
    }
    bool Closed() { return !IsWindowVisible(dialog); }
};

} // namespace

TEST_F(SettingsDialog, ShowsTheSettingsAndOkKeepsThem)
{
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_78.exe")));
    Settings.TabCaption = 1;
    /* every box the other way round from the defaults */
    for (const FlagBox &f : Flags)
        *f.Field = !*f.Field;
    Settings.ReconnectDelay = 7;
    Settings.PasswordMode = 3;
    Settings.PasswordDelay = 0;
    std::string before = SettingsPicture();
    Open();

    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), Beside("version_0_78.exe"));
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 0.78" + With);
    EXPECT_FALSE(Checked(IDC_SET_CAPTION_NAME));
    EXPECT_TRUE(Checked(IDC_SET_CAPTION_TITLE));
    for (const FlagBox &f : Flags)
        EXPECT_EQ(Checked(f.Control), *f.Field != 0) << f.Control;
    EXPECT_EQ(Text(IDC_SET_RECONNECT_DELAY), "7");
    EXPECT_EQ(SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(Mode(), "-pwfile (PuTTY 0.77 이상)");
    EXPECT_EQ(Text(IDC_SET_PASSWORD_DELAY), "0");
    EXPECT_EQ(Text(IDC_SET_CONFIG_FILE), "설정 파일: " + dir.path + "\\kestrum.xml");
    SaveWindowShot(dialog, "dialog-201-settings");

    Click(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(SettingsPicture(), before);
    /* saving is the command's, after OK */
    EXPECT_FALSE(PathExists(ConfigFilePath));
}

TEST_F(SettingsDialog, OkStoresWhatTheBoxesSay)
{
    std::string defaults = SettingsPicture();
    std::vector<int> was;
    for (const FlagBox &f : Flags)
        was.push_back(*f.Field);
    Open();
    EXPECT_TRUE(Checked(IDC_SET_CAPTION_NAME));
    Click(IDC_SET_CAPTION_TITLE);
    for (const FlagBox &f : Flags)
        Click(f.Control);
    Retype(IDC_SET_PUTTY_PATH, "D:\\도구\\kitty.exe");
    Retype(IDC_SET_RECONNECT_DELAY, "");
    SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_SETCURSEL, 3, 0);
    Retype(IDC_SET_PASSWORD_DELAY, "0");
    EXPECT_EQ(SettingsPicture(), defaults);     /* nothing before OK */

    Click(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(U8(Settings.PuttyPath), "D:\\도구\\kitty.exe");
    EXPECT_EQ(Settings.TabCaption, 1);
    for (size_t i = 0; i < was.size(); i++)
        EXPECT_EQ(*Flags[i].Field, !was[i]) << Flags[i].Control;
    EXPECT_EQ(Settings.ReconnectDelay, 1);      /* an empty box stores 1 */
    EXPECT_EQ(Settings.PasswordMode, 4);
    EXPECT_EQ(Settings.PasswordDelay, 0);       /* as entered */
}

TEST_F(SettingsDialog, NumberAndPathBoxesHoldWhatCanBeStored)
{
    Open();
    /* nine digits at most: no delay wraps round to a negative number */
    Retype(IDC_SET_RECONNECT_DELAY, "1234567890123");
    EXPECT_EQ(Text(IDC_SET_RECONNECT_DELAY), "123456789");
    /* the number boxes take no letters */
    Retype(IDC_SET_PASSWORD_DELAY, "5x0");
    EXPECT_EQ(Text(IDC_SET_PASSWORD_DELAY), "50");
    /* the path box stops where the setting does, so what the user sees
     * is what is kept */
    Retype(IDC_SET_PUTTY_PATH, "C:\\" + std::string(400, 'p'));
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH).size(), (size_t)KPATH - 1);
    std::string shown = Text(IDC_SET_PUTTY_PATH);
    /* an out-of-range stored mode shows the entry that OK stores */
    SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_SETCURSEL, (WPARAM)-1, 0);
    Click(IDOK);
    EXPECT_EQ(Settings.ReconnectDelay, 123456789);
    EXPECT_EQ(Settings.PasswordDelay, 50);
    EXPECT_EQ(U8(Settings.PuttyPath), shown);
    EXPECT_EQ(Settings.PasswordMode, 1);        /* no selection */

    DestroyWindow(dialog);
    Settings.PasswordMode = 0;
    Open();
    EXPECT_EQ(Mode(), "자동 (-pwfile 가능하면 사용, 아니면 창에 입력)");
}

TEST_F(SettingsDialog, VersionLineFollowsThePathBox)
{
    Open();
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);
    /* each keystroke reads the box anew */
    std::string path = Beside("version_0_76.exe");
    HWND box = Item(IDC_SET_PUTTY_PATH);
    TypeInto(box, path.substr(0, path.size() - 1));
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);
    TypeInto(box, path.substr(path.size() - 1));
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 0.76" + Without);
    SendMessageW(box, WM_CHAR, 8, 1);           /* backspace */
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);

    SetWindowTextW(box, WText(Beside("version_1_0.exe")));
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 1.0" + With);
    SetWindowTextW(box, WText(Beside("putty_double_nover.exe")));
    EXPECT_EQ(Text(IDC_SET_VERSION), NoVersion);
    SetWindowTextW(box, WText(ProgramDir()));   /* a folder is no program */
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);
    /* the stored path is not what the line describes */
    EXPECT_EQ(U8(Settings.PuttyPath), "");
}

TEST_F(SettingsDialog, CancelKeepsEverythingEvenAfterBrowsing)
{
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_78.exe")));
    std::string before = SettingsPicture();
    Open();
    /* a chooser closed without a choice changes nothing */
    StubChooserFilter[0] = 0;
    Click(IDC_SET_BROWSE);
    EXPECT_EQ(U8(StubChooserFilter), "PuTTY / KiTTY (*.exe)|*.exe");
    EXPECT_EQ(U8(StubChooserExtension), "exe");
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), Beside("version_0_78.exe"));
    std::string chosen = Beside("version_1_0.exe");
    WText choice(chosen);
    StubChosenFile = choice;
    Click(IDC_SET_BROWSE);
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), chosen);
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 1.0" + With);
    Click(IDC_SET_CAPTION_TITLE);
    for (const FlagBox &f : Flags)
        Click(f.Control);
    Retype(IDC_SET_RECONNECT_DELAY, "99");
    SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_SETCURSEL, 3, 0);

    Click(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(SettingsPicture(), before);
    EXPECT_FALSE(PathExists(ConfigFilePath));

    /* Esc and the close box are Cancel too */
    DestroyWindow(dialog);
    Open();
    Click(IDC_SET_BROWSE);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(SettingsPicture(), before);
}

namespace {

/* Only the variables that LocatePutty reads, cleared for each test;
 * PATH names the test's own folder. */
struct SettingsSearch : SettingsDialog {
    TempDir root;
    ScopedEnv w6432{ "ProgramW6432", nullptr }, files{ "ProgramFiles", nullptr },
        x86{ "ProgramFiles(x86)", nullptr }, path{ "PATH", root.path.c_str() };
    std::string found;
};

} // namespace

TEST_F(SettingsSearch, FindPuttyFillsTheBoxOrSaysSo)
{
    wchar_t beside[KPATH];
    LocatePutty(beside, KPATH);
    if (beside[0])
        GTEST_SKIP() << "a putty.exe lies where the search always looks: " << U8(beside);
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_76.exe")));
    Open();
    Click(IDC_SET_FIND_PUTTY);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "putty.exe를 찾지 못했습니다.");
    EXPECT_TRUE(StubMessageFlags & MB_ICONINFORMATION);
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), Beside("version_0_76.exe"));

    CreateDirectoryW(WText(root.path + "\\PuTTY"), NULL);
    found = root.path + "\\PuTTY\\putty.exe";
    ASSERT_TRUE(CopyFileW(WText(Beside("version_0_78.exe")), WText(found), FALSE));
    SetEnv("ProgramFiles", root.path.c_str());
    Click(IDC_SET_FIND_PUTTY);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), found);
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 0.78" + With);
    EXPECT_EQ(U8(Settings.PuttyPath), Beside("version_0_76.exe"));
}

namespace {

struct SettingsProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;

    HWND WaitDialog()
    {
        HWND found = NULL;
        WaitFor([&] {
            for (HWND w : TopWindows(k.Info.dwProcessId, L"#32770"))
                if (IsWindowVisible(w) && WindowText(w) == "설정")
                    found = w;
            return found != NULL;
        });
        return found;
    }
    /* GetWindowText reads no control of another process: ask it */
    static std::string ControlText(HWND control)
    {
        wchar_t text[300] = L"";
        SendMessageW(control, WM_GETTEXT, 300, (LPARAM)text);
        return U8(text);
    }
    HWND SettingsButton()
    {
        for (HWND page : Children(k.Main, L"KestrumStart"))
            for (HWND b : Children(page, L"Button"))
                if (WindowText(b) == "설정…")
                    return b;
        return NULL;
    }
};

} // namespace

TEST_F(SettingsProgram, OkAppliesAndSavesCancelLeavesTheFile)
{
    std::string config = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings>"
                         "<PuttyPath>" + Beside("putty_double.exe") + "</PuttyPath>"
                         "<ReconnectDelay>5</ReconnectDelay></Settings><Servers></Servers></Kestrum>\r\n";
    WText file(dir.path + "\\kestrum.xml");
    ASSERT_TRUE(WriteBytes(file, config));
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    HWND button = SettingsButton();
    ASSERT_NE(button, nullptr);
    std::vector<HWND> tabs = Children(k.Main, WC_TABCONTROLW);
    ASSERT_EQ(tabs.size(), 1u);
    EXPECT_FALSE(GetWindowLongW(tabs[0], GWL_STYLE) & TCS_BOTTOM);

    /* the start page's button opens the dialog; OK applies and saves */
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND dlg = WaitDialog();
    ASSERT_NE(dlg, nullptr) << k.Describe();
    EXPECT_EQ(ControlText(GetDlgItem(dlg, IDC_SET_RECONNECT_DELAY)), "5");
    /* the path box has the focus */
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    EXPECT_TRUE(WaitFor([&] {
        return GetGUIThreadInfo(k.Info.dwThreadId, &gui) && gui.hwndFocus == GetDlgItem(dlg, IDC_SET_PUTTY_PATH);
    }, 3000));
    SetDlgItemTextW(dlg, IDC_SET_RECONNECT_DELAY, L"");
    SendMessageW(GetDlgItem(dlg, IDC_SET_TABS_BOTTOM), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    std::string saved;
    EXPECT_TRUE(WaitFor([&] {
        saved = ReadBytes(file);
        return !IsWindow(dlg) && saved.find("<TabBottom>1</TabBottom>") != std::string::npos;
    })) << saved;
    EXPECT_NE(saved.find("<ReconnectDelay>1</ReconnectDelay>"), std::string::npos) << saved;
    EXPECT_TRUE(GetWindowLongW(tabs[0], GWL_STYLE) & TCS_BOTTOM);

    /* Cancel after changing the path box writes nothing */
    PostMessageW(button, BM_CLICK, 0, 0);
    dlg = WaitDialog();
    ASSERT_NE(dlg, nullptr) << k.Describe();
    SetDlgItemTextW(dlg, IDC_SET_PUTTY_PATH, L"C:\\elsewhere\\putty.exe");
    SendMessageW(GetDlgItem(dlg, IDC_SET_TABS_BOTTOM), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }));
    Sleep(300);
    EXPECT_EQ(ReadBytes(file), saved);
    EXPECT_TRUE(GetWindowLongW(tabs[0], GWL_STYLE) & TCS_BOTTOM);
}
