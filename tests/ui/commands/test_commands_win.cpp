/*
 * Commands and the server tree through the real main window, in this
 * process: the tree control mirrors the model, the commands change the
 * model as the user asked, and the configuration file on disk follows.
 * Message boxes and dialogs are the recorders of stub_prompts.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "sessions/capture.h"
#include "core/text.h"
#include "sessions/key_script.h"
#include "sessions/putty_discovery.h"
#include "sessions/session.h"
#include "ui/commands/commands.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menus.h"
#include "ui/shell/tabs.h"
#include "ui/tree/tree_view.h"
#include "main_window_util.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

ServerNode *Add(ServerNode *folder, int type, const char *name)
{
    ServerNode *n = NodeNew(type);
    StrAssign(&n->DisplayName, WText(name));
    NodeAppendChild(folder, n);
    return n;
}

/* The visible lines of the control, top to bottom: indentation by depth,
 * "+" before an expanded folder's name. */
std::string Shown()
{
    std::string out;
    HTREEITEM item = (HTREEITEM)SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    int depth = 0;
    while (item) {
        wchar_t text[300];
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT | TVIF_STATE | TVIF_IMAGE | TVIF_CHILDREN;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 300;
        tv.stateMask = TVIS_EXPANDED;
        SendMessageW(ServerTree, TVM_GETITEMW, 0, (LPARAM)&tv);
        out += std::string(depth * 2, ' ') + (tv.state & TVIS_EXPANDED ? "+" : "") + U8(text) + "/" +
               std::to_string(tv.iImage) + (tv.cChildren ? "c" : "") + "\n";
        HTREEITEM next = (HTREEITEM)SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, (LPARAM)item);
        if (next) {
            /* the depth of next: count its parents */
            depth = 0;
            for (HTREEITEM p = next; (p = (HTREEITEM)SendMessageW(ServerTree, TVM_GETNEXTITEM, TVGN_PARENT,
                                                                  (LPARAM)p));)
                depth++;
        }
        item = next;
    }
    return out;
}

void Select(ServerNode *n)
{
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)n->TreeItem);
}

/* A key pressed in the tree, as the control reports it. */
void TreeKey(WORD key, bool ctrl = false)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE old = keys[VK_CONTROL];
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(ServerTree, WM_KEYDOWN, key, 1);
    keys[VK_CONTROL] = old;
    SetKeyboardState(keys);
}

struct Commands : ::testing::Test {
    TempDir dir;
    ServerNode *web, *www1, *www2, *empty, *db;

    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetForSessions();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
        web = Add(ServersRoot, NODE_FOLDER, "web");
        web->Expanded = 1;
        www1 = Add(web, NODE_SERVER, "www1");
        www2 = Add(web, NODE_SERVER, "www2");
        empty = Add(ServersRoot, NODE_FOLDER, "empty");
        empty->Expanded = 1;
        db = Add(ServersRoot, NODE_SERVER, "db");
        for (ServerNode *s : { www1, www2, db })
            StrAssign(&s->CLParams, WText("-double-log \"" + dir.path + "\\double.log\""));
        PuttySessionsFolder = NodeNew(NODE_FOLDER);
        StrAssign(&PuttySessionsFolder->DisplayName, L"PuTTY 세션");
        PuttySessionsFolder->IsPuttySession = true;
        ServerNode *saved = Add(PuttySessionsFolder, NODE_SERVER, "router");
        saved->IsPuttySession = true;
        StrAssign(&saved->SavedSession, L"router");
        RefillTree(NULL);
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        NodeFreeTree(ClipboardNode);
        ClipboardNode = NULL;
        ResetModel();
        RefillTree(NULL);
    }
    std::string Saved() { return ReadBytes(ConfigFilePath); }
    bool SavedHas(const std::string &text) { return Saved().find(text) != std::string::npos; }
    static std::string Message() { return U8(StubMessageText); }
};

} // namespace

TEST_F(Commands, TreeShowsTheModel)
{
    /* empty folders show the closed image and no button even when
     * marked open; the saved sessions come last */
    EXPECT_EQ(Shown(), "+web/1c\n  www1/2\n  www2/2\nempty/0\ndb/2\nPuTTY 세션/0c\n");
    Select(www2);
    RefillTree(NULL);
    EXPECT_EQ(SelectedNode(), www2);        /* kept across a refill */
    RefillTree(db);
    EXPECT_EQ(SelectedNode(), db);

    /* collapsing by hand reaches the model and the image */
    SendMessageW(ServerTree, WM_KEYDOWN, VK_LEFT, 0);
    Select(web);
    TreeView_Expand(ServerTree, (HTREEITEM)web->TreeItem, TVE_COLLAPSE);
    NMTREEVIEWW nm = {};
    nm.hdr.hwndFrom = ServerTree;
    nm.hdr.code = TVN_ITEMEXPANDEDW;
    nm.action = TVE_COLLAPSE;
    nm.itemNew.hItem = (HTREEITEM)web->TreeItem;
    nm.itemNew.lParam = (LPARAM)web;
    SendMessageW(MainWindow, WM_NOTIFY, 0, (LPARAM)&nm);
    EXPECT_EQ(web->Expanded, 0);
    EXPECT_EQ(Shown().substr(0, 7), "web/0c\n");
    SaveWindowShot(MainWindow, "tree");
}

TEST_F(Commands, AddFolderAndRenameInPlace)
{
    Select(www1);
    ExecuteCommand(CMD_ADD_FOLDER);
    EXPECT_EQ(TreeShape(web), "www1 www2 [새 폴더]");
    EXPECT_TRUE(SavedHas("<DisplayName>새 폴더</DisplayName>"));
    HWND edit = (HWND)SendMessageW(ServerTree, TVM_GETEDITCONTROL, 0, 0);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"운영");
    SendMessageW(ServerTree, TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(TreeShape(web), "www1 www2 [운영]");
    EXPECT_TRUE(SavedHas("<DisplayName>운영</DisplayName>"));

    /* an empty name keeps the old one; PuTTY's folder never edits */
    Select(db);
    TreeKey(VK_F2);
    edit = (HWND)SendMessageW(ServerTree, TVM_GETEDITCONTROL, 0, 0);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"");
    SendMessageW(ServerTree, TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(U8(db->DisplayName), "db");
    Select(PuttySessionsFolder);
    SendMessageW(ServerTree, TVM_EDITLABELW, 0, (LPARAM)PuttySessionsFolder->TreeItem);
    EXPECT_EQ(SendMessageW(ServerTree, TVM_GETEDITCONTROL, 0, 0), 0);
}

static void NameIt(ServerNode *n)
{
    StrAssign(&n->DisplayName, L"new-host");
}

TEST_F(Commands, AddServerOnlyOnOk)
{
    Select(empty);
    ExecuteCommand(CMD_ADD_SERVER);
    EXPECT_EQ(StubPropertiesMode, 1);
    EXPECT_EQ(TreeShape(empty), "");
    EXPECT_FALSE(PathExists(ConfigFilePath));

    StubPropertiesAnswer = true;
    StubPropertiesEdit = NameIt;
    TreeKey(VK_INSERT);
    EXPECT_EQ(TreeShape(empty), "new-host");
    EXPECT_EQ(SelectedNode(), empty->FirstChild);
    EXPECT_TRUE(SavedHas("<DisplayName>new-host</DisplayName>"));
}

TEST_F(Commands, CopyPasteGivesNewIdentities)
{
    Select(db);
    TreeKey('C');                   /* without Ctrl: not a command */
    EXPECT_EQ(ClipboardNode, nullptr);
    TreeKey('C', true);
    ASSERT_NE(ClipboardNode, nullptr);
    Select(web);
    TreeKey('V', true);
    ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(TreeShape(web), "www1 www2 db db");
    ServerNode *a = www2->NextSibling, *b = a->NextSibling;
    EXPECT_NE(U8(a->UID), U8(db->UID));
    EXPECT_NE(U8(a->UID), U8(b->UID));
    EXPECT_NE(Saved().find(U8(b->UID)), std::string::npos);

    /* a copied saved session pastes as an ordinary server */
    Select(PuttySessionsFolder->FirstChild);
    ExecuteCommand(CMD_COPY);
    Select(PuttySessionsFolder);
    ExecuteCommand(CMD_PASTE);
    ServerNode *last = ServersRoot->FirstChild;
    while (last->NextSibling)
        last = last->NextSibling;
    EXPECT_EQ(U8(last->SavedSession), "router");
    EXPECT_FALSE(last->IsPuttySession);
}

TEST_F(Commands, DuplicateAndSort)
{
    Select(web);
    ExecuteCommand(CMD_DUPLICATE_NODE);
    EXPECT_EQ(TreeShape(ServersRoot), "[web: www1 www2] [web (복사본): www1 www2] [empty] db");
    EXPECT_TRUE(SavedHas("web (복사본)"));
    Select(db);
    StrAssign(&www1->DisplayName, L"Zulu");
    ExecuteCommand(CMD_SORT_BY_NAME);       /* a top-level server sorts the top level */
    EXPECT_EQ(TreeShape(ServersRoot), "[empty] [web: Zulu www2] [web (복사본): www1 www2] db");
    Select(www2);
    ExecuteCommand(CMD_SORT_BY_NAME);
    EXPECT_EQ(TreeShape(web), "www2 Zulu");
    EXPECT_EQ(SelectedNode(), www2);
}

TEST_F(Commands, DeleteAsksAndSelectsTheNeighbour)
{
    Select(web);
    StubMessageAnswer = IDNO;
    TreeKey(VK_DELETE);
    EXPECT_EQ(Message(), "폴더 'web'와 그 안의 서버 2개를 삭제할까요?");
    EXPECT_EQ(StubMessageFlags, (UINT)(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(TreeShape(ServersRoot), "[web: www1 www2] [empty] db");

    StubMessageAnswer = IDYES;
    Select(www2);
    ExecuteCommand(CMD_DELETE);
    EXPECT_EQ(Message(), "'www2'을(를) 삭제할까요?");
    EXPECT_EQ(SelectedNode(), web);         /* the last child: its folder */
    EXPECT_FALSE(SavedHas("www2"));
    Select(db);
    ExecuteCommand(CMD_DELETE);
    EXPECT_EQ(SelectedNode(), nullptr);     /* the last of the top level */

    /* a folder of empty folders asks with 0 */
    Add(empty, NODE_FOLDER, "sub");
    RefillTree(empty);
    StubMessageAnswer = IDNO;
    ExecuteCommand(CMD_DELETE);
    EXPECT_EQ(Message(), "폴더 'empty'와 그 안의 서버 0개를 삭제할까요?");

    /* PuTTY's folder cannot go; a saved session only loses its login data */
    int asked = StubMessageCount;
    Select(PuttySessionsFolder);
    ExecuteCommand(CMD_DELETE);
    EXPECT_EQ(StubMessageCount, asked);
    Select(PuttySessionsFolder->FirstChild);
    ExecuteCommand(CMD_DELETE);
    EXPECT_EQ(StubMessageFlags, (UINT)MB_ICONINFORMATION);
    EXPECT_NE(Message().find("PuTTY 저장 세션 자체는 PuTTY에서 삭제하세요."), std::string::npos);
}

TEST_F(Commands, LoginDataOfSavedSessions)
{
    /* a password another Windows user sealed: kept while only the user
     * name changes */
    const wchar_t *sealed = L"c2VhbGVkIGJ5IHNvbWVvbmUgZWxzZQ==";
    ServerNode *login = NodeNew(NODE_SERVER);
    StrAssign(&login->SavedSession, L"router");
    StrAssign(&login->DisplayName, L"router");
    login->SealedPassword = StrDup(sealed);
    NodeAppendChild(PuttyLoginRoot, login);
    ServerNode *saved = PuttySessionsFolder->FirstChild;
    Select(saved);
    StubPropertiesAnswer = true;
    StubPropertiesEdit = [](ServerNode *n) {
        StrAssign(&n->UserName, L"admin");
        StrAssign(&n->DisplayName, L"ignored");
    };
    ExecuteCommand(CMD_PROPERTIES);
    EXPECT_EQ(StubPropertiesMode, 2);
    ServerNode *entry = PuttyLoginFind(L"router");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(U8(entry->UserName), "admin");
    EXPECT_EQ(U8(entry->DisplayName), "router");
    EXPECT_TRUE(SavedHas("<UserName>admin</UserName>"));
    EXPECT_EQ(U8(entry->SealedPassword), U8(sealed));
    EXPECT_TRUE(SavedHas(U8(sealed)));

    /* deleting it asks with the session's name; PuTTY's list is rebuilt
     * from the registry, so the test puts the entry back itself */
    PuttySessionsFolder = NodeNew(NODE_FOLDER);
    PuttySessionsFolder->IsPuttySession = true;
    saved = Add(PuttySessionsFolder, NODE_SERVER, "router");
    saved->IsPuttySession = true;
    StrAssign(&saved->SavedSession, L"router");
    RefillTree(saved);
    StubMessageAnswer = IDYES;
    ExecuteCommand(CMD_DELETE);
    EXPECT_EQ(Message(), "'router'에 저장된 로그인 정보(사용자·비밀번호·스크립트)를 삭제할까요?");
    EXPECT_EQ(PuttyLoginFind(L"router"), nullptr);
    EXPECT_FALSE(SavedHas("admin"));
}

TEST_F(Commands, FolderConnectAsksAboveTen)
{
    for (int i = 0; i < 9; i++)
        Add(empty, NODE_SERVER, "x");
    Add(web, NODE_FOLDER, "nested");
    RefillTree(web);
    StubMessageAnswer = IDNO;
    for (int i = 0; i < 9; i++)
        Add(web->FirstChild->NextSibling->NextSibling, NODE_SERVER, "y");
    ExecuteCommand(CMD_CONNECT);            /* on a folder: connect it all */
    EXPECT_EQ(Message(), "서버 11개에 한꺼번에 연결할까요?");
    EXPECT_EQ(SessionCount, 0);

    /* ten or fewer: no question, every server, the last one active */
    int asked = StubMessageCount;
    NodeUnlink(www1);
    NodeFreeTree(www1);
    RefillTree(web);
    ExecuteCommand(CMD_CONNECT_FOLDER);
    EXPECT_EQ(StubMessageCount, asked);
    EXPECT_TRUE(Until([] { return SessionCount == 10; }));     /* one a timer tick */
    EXPECT_EQ(SessionCount, 10);
    EXPECT_EQ(ActiveIndex(), 9);
}

TEST_F(Commands, EnterAndDoubleClickConnectServers)
{
    Select(web);
    NMHDR hdr = { ServerTree, 0, (UINT)NM_RETURN };
    SendMessageW(MainWindow, WM_NOTIFY, 0, (LPARAM)&hdr);
    EXPECT_EQ(SessionCount, 0);             /* Enter on a folder connects nothing */
    Select(db);
    SendMessageW(MainWindow, WM_NOTIFY, 0, (LPARAM)&hdr);
    ASSERT_EQ(SessionCount, 1);
    EXPECT_EQ(U8(SessionList[0]->Node->DisplayName), "db");

    /* a double-click on the label of a server, with the cursor there */
    Select(www1);
    RECT r;
    HTREEITEM item = (HTREEITEM)www1->TreeItem;
    memcpy(&r, &item, sizeof item);
    SendMessageW(ServerTree, TVM_GETITEMRECT, TRUE, (LPARAM)&r);
    POINT pt = { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    ClientToScreen(ServerTree, &pt);
    SetCursorPos(pt.x, pt.y);
    Pump();
    hdr.code = (UINT)NM_DBLCLK;
    SendMessageW(MainWindow, WM_NOTIFY, 0, (LPARAM)&hdr);
    ASSERT_EQ(SessionCount, 2);
    EXPECT_EQ(U8(SessionList[1]->Node->DisplayName), "www1");
    EXPECT_TRUE(Until([] { return SessionList[1]->PuttyWindow != NULL; }));
}

TEST_F(Commands, TabsCloseStepAndRename)
{
    ExecuteCommand(CMD_CLOSE_OTHER_TABS);       /* nothing open: nothing asked */
    EXPECT_EQ(StubMessageCount, 0);
    OpenSession(db);
    ExecuteCommand(CMD_CLOSE_OTHER_TABS);
    EXPECT_EQ(StubMessageCount, 0);
    ExecuteCommand(CMD_NEXT_TAB);               /* one session: itself again */
    EXPECT_EQ(ActiveIndex(), 0);
    OpenSession(www1);
    OpenSession(www2);
    ActivateSession(0, false);
    ExecuteCommand(CMD_PREV_TAB);
    EXPECT_EQ(ActiveIndex(), 2);
    ExecuteCommand(CMD_NEXT_TAB);
    EXPECT_EQ(ActiveIndex(), 0);

    StubInputAnswer = L"로그 서버";
    ExecuteCommand(CMD_RENAME_TAB);
    EXPECT_EQ(U8(StubInputInitial), "db");
    EXPECT_EQ(U8(SessionList[0]->Caption), "로그 서버");
    EXPECT_TRUE(SessionList[0]->CaptionIsCustom);
    StubInputAnswer = L"";
    ExecuteCommand(CMD_RENAME_TAB);
    EXPECT_EQ(U8(SessionList[0]->Caption), "db");
    EXPECT_FALSE(SessionList[0]->CaptionIsCustom);
    StubInputAnswer = NULL;                     /* Cancel changes nothing */
    ExecuteCommand(CMD_RENAME_TAB);
    EXPECT_EQ(U8(SessionList[0]->Caption), "db");

    ActivateSession(1, false);
    StubMessageAnswer = IDNO;
    ExecuteCommand(CMD_CLOSE_OTHER_TABS);
    EXPECT_EQ(Message(), "세션 2개를 닫을까요?");
    EXPECT_EQ(SessionCount, 3);
    StubMessageAnswer = IDYES;
    ExecuteCommand(CMD_CLOSE_OTHER_TABS);
    ASSERT_EQ(SessionCount, 1);
    EXPECT_EQ(U8(SessionList[0]->Node->DisplayName), "www1");
    OpenSession(db);
    Settings.NoCloseConfirm = 1;
    int asked = StubMessageCount;
    ExecuteCommand(CMD_CLOSE_ALL_TABS);
    EXPECT_EQ(SessionCount, 0);
    EXPECT_EQ(StubMessageCount, asked);
}

/* A window of this process standing in for PuTTY: Wine reads no system
 * menu of another process's window. */
static std::vector<WPARAM> SystemCommands;

static LRESULT CALLBACK StandInProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SYSCOMMAND && wParam < 0xF000) {
        SystemCommands.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(w, msg, wParam, lParam);
}

TEST_F(Commands, MirroredSystemCommandsReachPutty)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"PuTTY";
    /* another suite may have left a class of that name behind */
    UnregisterClassW(L"PuTTY", GetModuleHandleW(NULL));
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND putty = CreateWindowExW(0, L"PuTTY", L"stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 NULL, NULL, GetModuleHandleW(NULL), NULL);
    HMENU sys = GetSystemMenu(putty, FALSE);
    AppendMenuW(sys, MF_SEPARATOR, 0, NULL);
    AppendMenuW(sys, MF_STRING, 0x0010, L"&Event Log");
    AppendMenuW(sys, MF_STRING, 0x0150, L"&About PuTTY");
    Session *s = AttachWindow(putty);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ActiveSession(), s);
    SystemCommands.clear();
    DestroyMenu(BuildPuttySystemMenu(s));
    int count = SystemMenuMirrorCount;
    std::vector<WPARAM> mirrored(SystemMenuMirror, SystemMenuMirror + count);
    /* the window commands are left out; Wine adds one of its own */
    EXPECT_GE(count, 2);
    if (count >= 2)
        EXPECT_EQ(std::vector<WPARAM>(mirrored.end() - 2, mirrored.end()), (std::vector<WPARAM>{ 0x0010, 0x0150 }));
    for (WPARAM id : mirrored)
        EXPECT_TRUE(id != SC_MOVE && id != SC_SIZE && id != SC_CLOSE && id != SC_MINIMIZE && id != SC_MAXIMIZE &&
                    id != SC_RESTORE);
    ExecuteCommand(CMD_PUTTY_SYSMENU_FIRST + count);    /* past the mirror: ignored */
    ExecuteCommand(CMD_SPECIAL_KEY_FIRST + 37);         /* past the table: ignored */
    ExecuteCommand(CMD_PUTTY_SYSMENU_FIRST + count - 1);
    Pump();
    EXPECT_EQ(SystemCommands, std::vector<WPARAM>{ (WPARAM)SystemMenuMirror[count - 1] });

    /* reconnecting an attached window only explains why not */
    ExecuteCommand(CMD_RECONNECT);
    EXPECT_EQ(Message(), "가져온(Attach) PuTTY 창은 다시 연결할 수 없습니다.");
    /* never with terminate: the window's process is this one */
    CloseSession(s, false);
    DestroyWindow(putty);
    UnregisterClassW(L"PuTTY", GetModuleHandleW(NULL));
}

TEST_F(Commands, ViewTogglesWriteNothingUntilTheNextSave)
{
    ExecuteCommand(CMD_TOGGLE_MENU);
    EXPECT_EQ(GetMenu(MainWindow), (HMENU)NULL);
    ExecuteCommand(CMD_TOGGLE_MENU);
    EXPECT_EQ(GetMenu(MainWindow), MenuBar);
    ExecuteCommand(CMD_TOGGLE_TREE);
    EXPECT_FALSE(IsWindowVisible(ServerTree));
    ExecuteCommand(CMD_FIND);               /* finding shows the tree again */
    EXPECT_TRUE(IsWindowVisible(ServerTree));
    EXPECT_EQ(GetFocus(), FindBox);
    EXPECT_FALSE(PathExists(ConfigFilePath));

    /* typing filters and selects the first match, F3 goes on and wraps */
    SetWindowTextW(FindBox, L"www");
    EXPECT_TRUE(Until([&] { return SelectedNode() == www1; }, 2000));
    ExecuteCommand(CMD_FIND_NEXT);
    EXPECT_EQ(SelectedNode(), www2);
    ExecuteCommand(CMD_FIND_NEXT);
    EXPECT_EQ(SelectedNode(), www1);
    SetWindowTextW(FindBox, L"");
    FilterTree(L"");

    /* the PuTTY chooser offers executables; cancelled, it changes nothing */
    StubChooserFilter[0] = 0;
    std::string putty = U8(Settings.PuttyPath);
    ExecuteCommand(CMD_PUTTY_LOCATION);
    EXPECT_EQ(U8(StubChooserFilter), "PuTTY / KiTTY (*.exe)|*.exe");
    EXPECT_EQ(U8(StubChooserExtension), "exe");
    EXPECT_EQ(U8(Settings.PuttyPath), putty);
    EXPECT_FALSE(PathExists(ConfigFilePath));

    /* session logs: nothing to switch on before a folder is chosen; the
     * chooser starts at the folder in use, and Cancel keeps it */
    ExecuteCommand(CMD_SESSION_LOG);
    EXPECT_EQ(Settings.SessionLog, 0);
    StubChosenFolder = L"D:\\로그";
    ExecuteCommand(CMD_SESSION_LOG_FOLDER);
    ExecuteCommand(CMD_SESSION_LOG);
    EXPECT_NE(Saved().find("<SessionLogFolder>D:\\로그</SessionLogFolder>"), std::string::npos);
    EXPECT_NE(Saved().find("<SessionLog>1</SessionLog>"), std::string::npos);
    StubChosenFolder = NULL;
    ExecuteCommand(CMD_SESSION_LOG_FOLDER);
    EXPECT_EQ(U8(StubFolderOffered), "D:\\로그");
    EXPECT_EQ(U8(Settings.SessionLogFolder), "D:\\로그");
    ExecuteCommand(CMD_SESSION_LOG);
    EXPECT_NE(Saved().find("<SessionLog>0</SessionLog>"), std::string::npos);
    DeleteFileW(ConfigFilePath);

    ExecuteCommand(CMD_ABOUT);
    EXPECT_NE(Message().find("Kestrum 1.0.0\n"), std::string::npos);
    EXPECT_NE(Message().find(U8(ConfigFilePath)), std::string::npos);
    Settings.PuttyPath[0] = 0;
    ReadPuttyVersion();
    ExecuteCommand(CMD_ABOUT);
    EXPECT_NE(Message().find("PuTTY: (지정 안 됨) (버전 알 수 없음)"), std::string::npos);
}

/* A copied folder's passwords do not outlive the main window: the copy
 * is wiped and freed when it closes, so what the password's memory holds
 * afterwards is anything but the password.  A suite of its own, run in a
 * process of its own, as it closes the main window. */
TEST(ExitWipe, CopiedPasswordsGoWithTheMainWindow)
{
    OpenMainWindow();
    TempDir dir;
    ResetForCommands(dir);
    Settings.NoQuitConfirm = 1;
    ServerNode *folder = AddNode(ServersRoot, NODE_FOLDER, "운영");
    AddServer(folder, "db", "root", "Clip-s3cret!");
    RefillTree(folder);
    ExecuteCommand(CMD_COPY);
    ASSERT_NE(ClipboardNode, nullptr);
    const wchar_t *copied = ClipboardNode->FirstChild->Password;
    ASSERT_NE(copied, nullptr);
    const size_t bytes = 13 * sizeof(wchar_t);
    std::vector<char> before((const char *)copied, (const char *)copied + bytes);
    SendMessageW(MainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(MainWindow));
    EXPECT_NE(memcmp(before.data(), copied, bytes), 0) << "the copied password is still in memory";
}
