/*
 * The toolbar row, the find box and the start page in this process
 * against the real main window.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "resources/resource.h"
#include "sessions/key_script.h"
#include "sessions/putty_discovery.h"
#include "sessions/session.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/commands.h"
#include "ui/dialogs/settings_dialog.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/start_page.h"
#include "ui/shell/toolbar.h"
#include "ui/tree/tree_view.h"
#include "program_util.h"
#include "dialog_driver.h"
#include "main_window_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

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

    static void SetUpTestSuite() { OpenMainWindow(); }
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
    EXPECT_EQ(WindowText(QuickConnectBox), "adm");

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
    EXPECT_EQ(WindowText(QuickConnectBox), "adm");

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

/* 운영 (closed) holds web1; 개발 (open) holds dev1, whose host has
 * "web" in it; then alpha and web2. */
struct FindBoxKeys : ::testing::Test {
    TempDir dir;
    ServerNode *ops, *dev, *alpha, *web1, *dev1, *web2;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        ResetModel();
        StubPromptsReset();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
        ops = Folder("운영", false);
        web1 = Server(ops, "web1");
        dev = Folder("개발", true);
        dev1 = Server(dev, "dev1");
        StrAssign(&dev1->ServerName, L"web.dev.example");
        alpha = Server(ServersRoot, "alpha");
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
        /* the filter ends now, not after the pause, with this model */
        SetWindowTextW(FindBox, L"");
        FilterTree(L"");
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
    static ServerNode *Folder(const char *name, bool expanded)
    {
        ServerNode *n = NodeNew(NODE_FOLDER);
        StrAssign(&n->DisplayName, WText(name));
        n->Expanded = expanded;
        NodeAppendChild(ServersRoot, n);
        return n;
    }
    /* What the control shows: an open folder's items in brackets, a
     * closed one's as "[…]". */
    static std::string Shown(HTREEITEM item = TVI_ROOT)
    {
        std::string out;
        HTREEITEM c = (HTREEITEM)SendMessageW(ServerTree, TVM_GETNEXTITEM,
                                              item == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD, (LPARAM)item);
        for (; c; c = (HTREEITEM)SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c)) {
            wchar_t text[64] = L"";
            TVITEMW tv = {};
            tv.mask = TVIF_TEXT | TVIF_STATE;
            tv.hItem = c;
            tv.pszText = text;
            tv.cchTextMax = 64;
            tv.stateMask = TVIS_EXPANDED;
            SendMessageW(ServerTree, TVM_GETITEMW, 0, (LPARAM)&tv);
            out += (out.empty() ? "" : " ") + U8(text);
            if (SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)c))
                out += tv.state & TVIS_EXPANDED ? "[" + Shown(c) + "]" : "[…]";
        }
        return out;
    }
    /* The tree controls shown in the main window, and where. */
    static int TreesShown(RECT *where)
    {
        int shown = 0;
        for (HWND w = GetWindow(MainWindow, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            wchar_t cls[32] = L"";
            GetClassNameW(w, cls, 32);
            if (lstrcmpW(cls, WC_TREEVIEWW) || !(GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE))
                continue;
            shown++;
            GetWindowRect(w, where);
        }
        return shown;
    }
    /* Typed text filters once typing pauses. */
    static bool Filtered(const char *shown)
    {
        return Until([&] { return Shown() == shown; }, 2000);
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
    EXPECT_EQ(Shown(), "운영[…] 개발[dev1] alpha web2");
    HWND whole = ServerTree;
    HIMAGELIST icons = (HIMAGELIST)SendMessageW(whole, TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
    HIMAGELIST marks = (HIMAGELIST)SendMessageW(whole, TVM_GETIMAGELIST, TVSIL_STATE, 0);
    RECT before, now;
    ASSERT_EQ(TreesShown(&before), 1);
    /* typing filters the tree once it pauses and selects the first match */
    TypeInto(FindBox, "web");
    EXPECT_EQ(Shown(), "운영[…] 개발[dev1] alpha web2");
    EXPECT_TRUE(Filtered("운영[web1] 개발[dev1] web2")) << Shown();
    EXPECT_EQ(SelectedNode(), web1);
    /* in the tree's place and with its images, the only tree shown, and
     * following the layout */
    EXPECT_EQ(TreesShown(&now), 1);
    EXPECT_TRUE(EqualRect(&before, &now));
    EXPECT_EQ((HIMAGELIST)SendMessageW(ServerTree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0), icons);
    EXPECT_EQ((HIMAGELIST)SendMessageW(ServerTree, TVM_GETIMAGELIST, TVSIL_STATE, 0), marks);
    GetWindowRect(MainWindow, &before);
    SetWindowPos(MainWindow, NULL, 0, 0, before.right - before.left + 40, before.bottom - before.top + 30,
                 SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    TreesShown(&before);
    /* Enter and F3 go on among what is shown, wrapping, and the box keeps
     * the focus and its text */
    Key(VK_RETURN);
    EXPECT_EQ(SelectedNode(), dev1);
    EXPECT_EQ(GetFocus(), FindBox);
    Key(VK_F3);
    EXPECT_EQ(SelectedNode(), web2);
    Key(VK_F3);
    EXPECT_EQ(SelectedNode(), web1);
    EXPECT_EQ(WindowText(FindBox), "web");
    EXPECT_EQ(GetFocus(), FindBox);

    /* Down goes to the tree, keeping the text and the filter */
    Key(VK_DOWN);
    EXPECT_EQ(GetFocus(), ServerTree);
    EXPECT_EQ(WindowText(FindBox), "web");
    EXPECT_EQ(SelectedNode(), web1);

    /* Esc empties the box and brings the whole tree back; the server
     * chosen while filtered stays chosen, its folder opened to show it */
    SetFocus(FindBox);
    Key(VK_ESCAPE);
    EXPECT_EQ(WindowText(FindBox), "");
    EXPECT_EQ(GetFocus(), ServerTree);
    EXPECT_EQ(ServerTree, whole);
    EXPECT_EQ(TreesShown(&now), 1);
    EXPECT_TRUE(EqualRect(&before, &now));
    EXPECT_EQ(SelectedNode(), web1);
    EXPECT_EQ(Shown(), "운영[web1] 개발[dev1] alpha web2");

    /* with nothing typed, Enter and F3 change nothing */
    SetFocus(FindBox);
    Key(VK_RETURN);
    Key(VK_F3);
    EXPECT_EQ(SelectedNode(), web1);
    EXPECT_EQ(GetFocus(), FindBox);
    TypeInto(FindBox, "alp");
    EXPECT_TRUE(Until([&] { return SelectedNode() == alpha; }, 2000));
}

/* Without a choice made while filtered, Esc gives back the exact tree:
 * every folder's own state and the selection from before.  A rename
 * while filtered keeps the filter and shows its result; what is saved
 * meanwhile keeps the user's own expansion. */
TEST_F(FindBoxKeys, FilterLeavesTheUsersTreeAlone)
{
    RefillTree(alpha);
    TypeInto(FindBox, "web");
    ASSERT_TRUE(Filtered("운영[web1] 개발[dev1] web2")) << Shown();
    EXPECT_FALSE(ops->Expanded);
    /* a server shows by its user name too; "dev" names a folder only */
    StrAssign(&alpha->UserName, L"webadmin");
    SetWindowTextW(FindBox, L"WEBADM");
    EXPECT_TRUE(Filtered("alpha")) << Shown();
    SetWindowTextW(FindBox, L"web");
    ASSERT_TRUE(Filtered("운영[web1] 개발[dev1] alpha web2")) << Shown();

    /* folders closed in the filtered view stay open in the user's tree */
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)dev->TreeItem);
    SetFocus(ServerTree);
    PostMessageW(ServerTree, WM_KEYDOWN, VK_LEFT, 1);
    PostMessageW(ServerTree, WM_KEYUP, VK_LEFT, 0xC0000001);
    Pump();
    EXPECT_EQ(Shown(), "운영[web1] 개발[…] alpha web2");
    EXPECT_TRUE(dev->Expanded);

    /* a rename that no longer matches: the server leaves the view */
    RefillTree(web2);
    ExecuteCommand(CMD_RENAME);
    HWND edit = (HWND)SendMessageW(ServerTree, TVM_GETEDITCONTROL, 0, 0);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"db2");
    SendMessageW(ServerTree, TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(U8(web2->DisplayName), "db2");
    EXPECT_TRUE(Filtered("운영[web1] 개발[dev1] alpha")) << Shown();
    std::string saved = ReadBytes(ConfigFilePath);
    EXPECT_NE(saved.find("<Node Type=\"0\" Expanded=\"0\">\r\n\t\t\t<DisplayName>운영</DisplayName>"), std::string::npos)
        << saved;

    SetFocus(FindBox);
    Key(VK_ESCAPE);
    EXPECT_EQ(Shown(), "운영[…] 개발[dev1] alpha db2");
    EXPECT_EQ(SelectedNode(), alpha);

    /* a server picked in the filtered tree is the one selected after it */
    TypeInto(FindBox, "web");
    ASSERT_TRUE(Filtered("운영[web1] 개발[dev1] alpha")) << Shown();
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)dev1->TreeItem);
    Key(VK_F3);
    EXPECT_EQ(SelectedNode(), alpha);
    Key(VK_ESCAPE);
    EXPECT_EQ(SelectedNode(), alpha);
    EXPECT_EQ(Shown(), "운영[…] 개발[dev1] alpha db2");
}

/* Servers before, between and after folders, at the top and inside a
 * folder, and the PuTTY sessions folder after them all: the control is
 * filled folders first, and every server still lands in its place. */
TEST_F(FindBoxKeys, ServersAmongFoldersKeepTheirPlace)
{
    ResetModel();
    Server(ServersRoot, "web-a");
    ServerNode *f = Folder("F", true);
    Server(f, "web-b");
    ServerNode *g = NodeNew(NODE_FOLDER);
    StrAssign(&g->DisplayName, L"G");
    g->Expanded = 1;
    NodeAppendChild(f, g);
    Server(g, "web-c");
    Server(f, "db-d");
    Server(f, "web-e");
    Server(ServersRoot, "db-f");
    Server(ServersRoot, "web-g");
    Folder("H", false);
    Server(ServersRoot, "web-h");
    PuttySessionsFolder = NodeNew(NODE_FOLDER);
    StrAssign(&PuttySessionsFolder->DisplayName, L"PuTTY");
    PuttySessionsFolder->Expanded = 1;
    Server(PuttySessionsFolder, "web-s")->IsPuttySession = true;
    RefillTree(NULL);
    EXPECT_EQ(Shown(), "web-a F[web-b G[web-c] db-d web-e] db-f web-g H web-h PuTTY[web-s]");
    TypeInto(FindBox, "web");
    EXPECT_TRUE(Filtered("web-a F[web-b G[web-c] web-e] web-g web-h PuTTY[web-s]")) << Shown();
    SetWindowTextW(FindBox, L"db");
    EXPECT_TRUE(Filtered("F[db-d] db-f")) << Shown();
    SetWindowTextW(FindBox, L"");
    FilterTree(L"");
    EXPECT_EQ(Shown(), "web-a F[web-b G[web-c] db-d web-e] db-f web-g H web-h PuTTY[web-s]");
}

/* A result taller than the tree: the folders of its first screen open at
 * once, those below while the program is idle, without moving the view
 * or touching the user's own folder state; a key in the tree before that
 * finds every folder open, and Esc meanwhile gives the tree back. */
TEST_F(FindBoxKeys, FoldersBelowTheFirstScreenOpenWhenIdle)
{
    ResetModel();
    RefillTree(NULL);
    int rows = (int)SendMessageW(ServerTree, TVM_GETVISIBLECOUNT, 0, 0);
    ASSERT_GT(rows, 8);
    std::string whole, closed, first, lastClosed, lastOpen;
    ServerNode *last = nullptr, *lastFolder = nullptr, *lastSub = nullptr;
    for (int f = 0; f * 8 < rows * 3; f++) {
        std::string name = "F" + std::to_string(f), part = name + "[";
        ServerNode *folder = Folder(name.c_str(), false);
        for (int i = 0; i < 4; i++)
            part += U8(Server(folder, ("web-" + std::to_string(f) + "-" + std::to_string(i)).c_str())->DisplayName) + " ";
        ServerNode *sub = NodeNew(NODE_FOLDER);
        StrAssign(&sub->DisplayName, WText(("G" + std::to_string(f)).c_str()));
        NodeAppendChild(folder, sub);
        lastSub = sub;
        part += "G" + std::to_string(f) + "[";
        for (int i = 0; i < 2; i++) {
            last = Server(sub, ("web-" + std::to_string(f) + "-g" + std::to_string(i)).c_str());
            part += (i ? " " : "") + U8(last->DisplayName);
        }
        part += "]]";
        whole += (f ? " " : "") + part;
        lastClosed = closed;
        closed += (f ? " " : "") + name + "[…]";
        lastOpen = lastClosed + (f ? " " : "") + part;
        if (!f)
            first = part;
        lastFolder = folder;
    }
    RefillTree(NULL);
    ASSERT_EQ(Shown(), closed);

    /* straight to the filter: the box's pause would filter again later */
    FilterTree(L"web");
    std::string now = Shown();
    EXPECT_EQ(now.substr(0, first.size()), first);
    EXPECT_NE(now.find("[…]"), std::string::npos) << now;
    EXPECT_EQ(U8(SelectedNode()->DisplayName), "web-0-0");
    LRESULT top = SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    EXPECT_TRUE(Until([&] { return Shown() == whole; }, 2000)) << Shown();
    EXPECT_EQ(SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0), top);
    EXPECT_EQ(U8(SelectedNode()->DisplayName), "web-0-0");
    TVITEMW tv = {};
    tv.mask = TVIF_IMAGE;
    tv.hItem = (HTREEITEM)lastFolder->TreeItem;
    SendMessageW(ServerTree, TVM_GETITEMW, 0, (LPARAM)&tv);
    EXPECT_EQ(tv.iImage, 1) << "the open folder's image";
    EXPECT_FALSE(lastFolder->Expanded);
    EXPECT_FALSE(lastSub->Expanded);

    /* End before the idle time: the last server, not the last folder */
    FilterTree(L"web-");
    EXPECT_NE(Shown().find("[…]"), std::string::npos);
    SetFocus(ServerTree);
    PostMessageW(ServerTree, WM_KEYDOWN, VK_END, 1);
    PostMessageW(ServerTree, WM_KEYUP, VK_END, 0xC0000001);
    Pump();
    EXPECT_EQ(SelectedNode(), last);
    EXPECT_EQ(GetFocus(), ServerTree);
    EXPECT_EQ(Shown(), whole);

    /* the server picked while filtered is shown in the whole tree */
    FilterTree(L"web");
    FilterTree(L"");
    Until([] { return false; }, 100);
    EXPECT_EQ(Shown(), lastOpen);
    EXPECT_EQ(SelectedNode(), last);
}

namespace {

struct StartPageView : ::testing::Test {
    static void SetUpTestSuite() { OpenMainWindow(); }
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
        EXPECT_EQ(WindowText(buttons[i]), texts[i]);
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
