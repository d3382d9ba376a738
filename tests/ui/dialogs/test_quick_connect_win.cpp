/*
 * Quick connect in this process, with the real main window and the PuTTY
 * double as putty.exe: the dialog opened modelessly and confirmed, and
 * the toolbar box.  What PuTTY is started with is read from the double's
 * log, which it writes to the file named by KESTRUM_DOUBLE_LOG.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <functional>
#include <string>

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
#include "ui/dialogs/quick_connect.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/toolbar.h"
#include "ui/tree/tree_view.h"
#include "dialog_driver.h"
#include "main_window_util.h"
#include "program_util.h"
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

/* Tree: [ops: DB] web; PuTTY's saved sessions: db, router. */
struct QuickConnect : ::testing::Test, DialogDriver {
    TempDir dir;
    std::string log;
    ServerNode *ops, *db, *web;

    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetForSessions();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
        log = dir.path + "\\double.log";
        SetEnv("KESTRUM_DOUBLE_LOG", log.c_str());
        ops = Add(ServersRoot, NODE_FOLDER, "ops");
        ops->Expanded = 1;
        db = Add(ops, NODE_SERVER, "DB");
        StrAssign(&db->ServerName, L"127.0.0.1");
        StrAssign(&db->UserName, L"admin");
        db->Port = 2200;
        web = Add(ServersRoot, NODE_SERVER, "web");
        StrAssign(&web->ServerName, L"10.0.0.80");
        PuttySessionsFolder = NodeNew(NODE_FOLDER);
        StrAssign(&PuttySessionsFolder->DisplayName, L"PuTTY 세션");
        PuttySessionsFolder->IsPuttySession = true;
        for (const char *name : { "db", "router" }) {
            ServerNode *saved = Add(PuttySessionsFolder, NODE_SERVER, name);
            saved->IsPuttySession = true;
            StrAssign(&saved->SavedSession, WText(name));
        }
        RefillTree(NULL);
        FillRecentsCombo();
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        SetEnv("KESTRUM_DOUBLE_LOG", NULL);
        SetWindowTextW(QuickConnectBox, L"");
        ResetModel();
        RefillTree(NULL);
        FillRecentsCombo();
    }

    void Open()
    {
        dialog = OpenTestDialog(IDD_QUICK_CONNECT, QuickConnectProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    static std::string ListItem(HWND combo, int index)
    {
        wchar_t text[1024];
        text[0] = 0;
        SendMessageW(combo, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
        return U8(text);
    }
    static std::string List(HWND combo)
    {
        std::string out;
        int n = (int)SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++)
            out += (i ? "|" : "") + ListItem(combo, i);
        return out;
    }
    void Ok()
    {
        SetFocus(Item(IDOK));
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    bool Ended() { return !(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_VISIBLE); }

    std::string Log() { return ReadBytes(WText(log)); }
    /* The arguments PuTTY was started with, after the executable. */
    std::string CommandLine()
    {
        if (!Until([&] { return Log().find("\r\n") != std::string::npos; }))
            return "<not started>";
        std::string l = Log();
        std::string line = l.substr(0, l.find("\r\n"));
        size_t exe = line.find("putty_double.exe\" ");
        return exe == std::string::npos ? line : line.substr(exe + 18);
    }
    std::string Saved() { return ReadBytes(ConfigFilePath); }
    bool SavedHas(const std::string &text) { return Saved().find(text) != std::string::npos; }
    static std::string Recent(int i) { return Settings.Recents[i] ? U8(Settings.Recents[i]) : "<none>"; }
    static ServerNode *SessionNode(int i) { return i < SessionCount ? SessionList[i]->Node : nullptr; }
};

} // namespace

TEST_F(QuickConnect, DialogOpensWithHistoryProtocolsAndSessions)
{
    Settings.Recents[0] = StrDup(L"root@web1:822");
    Settings.Recents[1] = StrDup(L"db1");
    Settings.Recents[2] = StrDup(L"");      /* a stray empty slot is not offered */
    Settings.Recents[3] = StrDup(L"[fe80::1]:22");
    Open();
    EXPECT_EQ(WindowText(dialog), "빠른 연결");
    EXPECT_EQ(List(Item(IDC_SRV_HOST)), "root@web1:822|db1|[fe80::1]:22");
    EXPECT_EQ(Text(IDC_SRV_HOST), "");
    ASSERT_EQ(SendMessageW(Item(IDC_SRV_PROTOCOL), CB_GETCOUNT, 0, 0), CON_COUNT);
    EXPECT_EQ(ListItem(Item(IDC_SRV_PROTOCOL), CON_TELNET), "Telnet");
    EXPECT_EQ(SendMessageW(Item(IDC_SRV_PROTOCOL), CB_GETCURSEL, 0, 0), CON_SSH);
    EXPECT_EQ(Text(IDC_SRV_PROTOCOL), "SSH");
    EXPECT_EQ(Text(IDC_SRV_SESSION), "Default Settings");
    EXPECT_EQ(List(Item(IDC_SRV_SESSION)), "Default Settings|db|router");
    EXPECT_EQ(SendMessageW(Item(IDC_SRV_PASSWORD), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
    EXPECT_FALSE(IsDlgButtonChecked(dialog, IDC_QC_KEEP));
    /* the target box has the focus, set by the opening itself */
    EXPECT_EQ(InitReturned, FALSE);
    ASSERT_NE(FocusAfterOpening, nullptr);
    EXPECT_EQ(GetParent(FocusAfterOpening), Item(IDC_SRV_HOST));

    Type(IDC_SRV_HOST, "admin@db1:822");
    Type(IDC_SRV_USER, "ops");
    Type(IDC_SRV_PASSWORD, "s3cret");
    Pump();
    SaveWindowShot(dialog, "quick-connect");
}

TEST_F(QuickConnect, EmptyTargetIsRefusedAndCancelKeepsNothing)
{
    Open();
    Type(IDC_SRV_USER, "ops");
    Ok();
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "호스트를 입력하세요.");
    EXPECT_EQ(StubMessageFlags, (UINT)MB_ICONEXCLAMATION);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(GetParent(GetFocus()), Item(IDC_SRV_HOST));
    EXPECT_EQ(SessionCount, 0);
    EXPECT_EQ(Recent(0), "<none>");
    EXPECT_FALSE(PathExists(ConfigFilePath));

    /* Cancel after typing a target: the history stays as it was */
    Type(IDC_SRV_HOST, "root@web1");
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(SessionCount, 0);
    EXPECT_EQ(Recent(0), "<none>");
    EXPECT_EQ(TreeShape(ServersRoot), "[ops: DB] web");
    EXPECT_FALSE(PathExists(ConfigFilePath));
}

TEST_F(QuickConnect, TextThatIsNoHostIsRefusedAndKeptNowhere)
{
    /* a password typed into the target box by mistake */
    Open();
    Type(IDC_SRV_HOST, "my s3cret pw");
    Ok();
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "올바른 호스트가 아닙니다: 공백이나 제어 문자는 쓸 수 없습니다.");
    EXPECT_EQ(StubMessageFlags, (UINT)MB_ICONEXCLAMATION);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(SessionCount, 0);
    EXPECT_EQ(Recent(0), "<none>");
    EXPECT_FALSE(PathExists(ConfigFilePath));
    /* the next key goes into the target box, to correct it */
    ASSERT_EQ(GetParent(GetFocus()), Item(IDC_SRV_HOST));
    SendMessageW(GetFocus(), WM_CHAR, '7', 0);
    EXPECT_NE(Text(IDC_SRV_HOST).find('7'), std::string::npos);
    Type(IDC_SRV_HOST, "root@");
    Ok();
    EXPECT_EQ(StubMessageCount, 2);
    EXPECT_EQ(SessionCount, 0);
    Type(IDC_SRV_HOST, "web1");
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(SessionCount, 1);
    EXPECT_EQ(Recent(0), "web1");
    EXPECT_EQ(Recent(1), "<none>");
    EXPECT_FALSE(SavedHas("s3cret"));

    /* the toolbar box: a beep, no message, the text left to correct */
    HWND edit = FindWindowExW(QuickConnectBox, NULL, L"Edit", NULL);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    std::string before = Saved(), list = List(QuickConnectBox);
    for (const wchar_t *text : { L"my s3cret pw", L"tab\there", L"root@" }) {
        SetWindowTextW(QuickConnectBox, text);
        ExecuteCommand(CMD_QUICK_CONNECT_BOX);
        EXPECT_EQ(WindowText(QuickConnectBox), U8(text));
        EXPECT_EQ(GetFocus(), edit);
    }
    EXPECT_EQ(StubMessageCount, 2);
    EXPECT_EQ(SessionCount, 1);
    EXPECT_EQ(Recent(0), "web1");
    EXPECT_EQ(Recent(1), "<none>");
    EXPECT_EQ(List(QuickConnectBox), list);
    EXPECT_EQ(Saved(), before);
    /* a server's name with a blank is a name, not a target */
    ServerNode *named = Add(ServersRoot, NODE_SERVER, "백업 서버");
    StrAssign(&named->ServerName, L"10.0.0.9");
    SetWindowTextW(QuickConnectBox, WText("백업 서버"));
    ExecuteCommand(CMD_QUICK_CONNECT_BOX);
    ASSERT_EQ(SessionCount, 2);
    EXPECT_EQ(U8(SessionNode(1)->UID), U8(named->UID));
    EXPECT_EQ(Recent(0), "백업 서버");
}

TEST_F(QuickConnect, BoxesOverrideTheTarget)
{
    Open();
    Type(IDC_SRV_HOST, "admin@db1:822");
    Type(IDC_SRV_PORT, "22");
    Type(IDC_SRV_USER, "ops");
    Type(IDC_SRV_PASSWORD, "s3cret");
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StubMessageCount, 0);
    ASSERT_EQ(SessionCount, 1);
    ServerNode *n = SessionNode(0);
    EXPECT_EQ(U8(n->ServerName), "db1");
    EXPECT_EQ(n->Port, 22);
    EXPECT_EQ(U8(n->UserName), "ops");
    EXPECT_EQ(U8(NodePassword(n)), "s3cret");
    EXPECT_EQ(U8(n->DisplayName), "db1");       /* after the host */
    EXPECT_EQ(U8(n->SavedSession), "Default Settings");
    EXPECT_EQ(n->PuttyConType, CON_SSH);
    EXPECT_FALSE(StrIsEmpty(n->UID));
    std::string args = CommandLine();
    EXPECT_EQ(args.find("-ssh -P 22 -l ops -pwfile "), 0u) << args;
    EXPECT_EQ(args.substr(args.size() - 4), " db1") << args;
    /* the target as typed, user and port included; the tree unchanged */
    EXPECT_EQ(Recent(0), "admin@db1:822");
    EXPECT_TRUE(SavedHas("<R>admin@db1:822</R>"));
    EXPECT_EQ(TreeShape(ServersRoot), "[ops: DB] web");
}

TEST_F(QuickConnect, ChosenProtocolAndSavedSessionReachPutty)
{
    Open();
    Type(IDC_SRV_HOST, "[fe80::1]:2323");
    SendMessageW(Item(IDC_SRV_PROTOCOL), CB_SETCURSEL, CON_TELNET, 0);
    Type(IDC_SRV_SESSION, "router");
    Type(IDC_SRV_NAME, "스위치");
    Ok();
    ASSERT_EQ(SessionCount, 1);
    ServerNode *n = SessionNode(0);
    EXPECT_EQ(U8(n->ServerName), "fe80::1");
    EXPECT_EQ(n->Port, 2323);
    EXPECT_EQ(n->UserName, nullptr);
    EXPECT_EQ(NodePassword(n), nullptr);
    EXPECT_EQ(U8(n->DisplayName), "스위치");
    EXPECT_EQ(CommandLine(), "-load router -telnet -P 2323 fe80::1");
}

TEST_F(QuickConnect, KeptServerGoesLastInTheTreeSelected)
{
    Open();
    Type(IDC_SRV_HOST, "root@fe80::1");
    SendMessageW(Item(IDC_QC_KEEP), BM_CLICK, 0, 0);
    Ok();
    ASSERT_EQ(SessionCount, 1);
    EXPECT_EQ(TreeShape(ServersRoot), "[ops: DB] web fe80::1");
    ServerNode *kept = ServersRoot->FirstChild->NextSibling->NextSibling;
    EXPECT_EQ(SelectedNode(), kept);
    EXPECT_EQ(U8(kept->ServerName), "fe80::1");
    EXPECT_EQ(kept->Port, 0);
    EXPECT_EQ(U8(kept->UserName), "root");
    /* the same server: the open session names the kept node */
    EXPECT_EQ(U8(kept->UID), U8(SessionNode(0)->UID));
    EXPECT_EQ(CommandLine(), "-ssh -l root fe80::1");
    EXPECT_TRUE(SavedHas("<DisplayName>fe80::1</DisplayName>"));
    EXPECT_TRUE(SavedHas("<R>root@fe80::1</R>"));

    /* named as typed in the display-name box */
    DestroyWindow(dialog);
    Open();
    Type(IDC_SRV_HOST, "db2");
    Type(IDC_SRV_NAME, "백업 DB");
    SendMessageW(Item(IDC_QC_KEEP), BM_CLICK, 0, 0);
    Ok();
    EXPECT_EQ(TreeShape(ServersRoot), "[ops: DB] web fe80::1 백업 DB");
    EXPECT_EQ(U8(SelectedNode()->ServerName), "db2");
    EXPECT_EQ(Recent(0), "db2");
    EXPECT_EQ(Recent(1), "root@fe80::1");
}

TEST_F(QuickConnect, KeptServerThatCannotBeSavedIsReported)
{
    StrCopyTo(ConfigFilePath, KPATH, dir.File("missing\\kestrum.xml"));
    Open();
    Type(IDC_SRV_HOST, "db2");
    SendMessageW(Item(IDC_QC_KEEP), BM_CLICK, 0, 0);
    Ok();
    EXPECT_EQ(SessionCount, 1);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText).find("설정 파일을 저장하지 못했습니다"), 0u) << U8(StubMessageText);
    EXPECT_EQ(TreeShape(ServersRoot), "[ops: DB] web db2");     /* kept in memory for the next save */

    /* without keeping, only the history is at stake: no box */
    DestroyWindow(dialog);
    StubPromptsReset();
    Open();
    Type(IDC_SRV_HOST, "db3");
    Ok();
    EXPECT_EQ(SessionCount, 2);
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(Recent(0), "db3");
}

TEST_F(QuickConnect, BoxConnectsATargetAsTyped)
{
    HWND edit = FindWindowExW(QuickConnectBox, NULL, L"Edit", NULL);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(QuickConnectBox, L"root@web1:822");
    /* Enter in the box, as the toolbar's edit reports it */
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Until([] { return SessionCount == 1; }));
    ServerNode *n = SessionNode(0);
    EXPECT_EQ(U8(n->ServerName), "web1");
    EXPECT_EQ(n->Port, 822);
    EXPECT_EQ(U8(n->UserName), "root");
    EXPECT_EQ(U8(n->DisplayName), "root@web1:822");
    EXPECT_EQ(n->UID, nullptr);         /* no identity */
    EXPECT_EQ(n->PuttyConType, CON_SSH);
    EXPECT_EQ(U8(n->SavedSession), "Default Settings");
    EXPECT_EQ(CommandLine(), "-ssh -P 822 -l root web1");
    EXPECT_EQ(Recent(0), "root@web1:822");
    EXPECT_EQ(List(QuickConnectBox), "root@web1:822");
    EXPECT_EQ(WindowText(QuickConnectBox), "");
    EXPECT_TRUE(SavedHas("<R>root@web1:822</R>"));
    EXPECT_EQ(TreeShape(ServersRoot), "[ops: DB] web");

    /* an empty box does nothing */
    std::string before = Saved();
    ExecuteCommand(CMD_QUICK_CONNECT_BOX);
    EXPECT_EQ(SessionCount, 1);
    EXPECT_EQ(Saved(), before);
}

TEST_F(QuickConnect, BoxConnectsServersByName)
{
    /* in the tree and among PuTTY's sessions: the tree's server, with all
     * its settings; the name goes into the history as typed */
    SetWindowTextW(QuickConnectBox, L"db");
    ExecuteCommand(CMD_QUICK_CONNECT_BOX);
    ASSERT_EQ(SessionCount, 1);
    EXPECT_EQ(U8(SessionNode(0)->UID), U8(db->UID));
    EXPECT_EQ(CommandLine(), "-ssh -P 2200 -l admin 127.0.0.1");
    /* only among PuTTY's sessions */
    SetWindowTextW(QuickConnectBox, L"Router");
    ExecuteCommand(CMD_QUICK_CONNECT_BOX);
    ASSERT_EQ(SessionCount, 2);
    EXPECT_EQ(U8(SessionNode(1)->SavedSession), "router");
    EXPECT_EQ(List(QuickConnectBox), "Router|db");
    EXPECT_TRUE(SavedHas("<R>Router</R>"));
    /* the history's letter case wins when a name comes again */
    SetWindowTextW(QuickConnectBox, L"DB");
    ExecuteCommand(CMD_QUICK_CONNECT_BOX);
    EXPECT_EQ(SessionCount, 3);
    EXPECT_EQ(List(QuickConnectBox), "db|Router");
}

TEST_F(QuickConnect, BoxTakesLongTargetsWhole)
{
    /* a cut-off target would connect to another host */
    std::string host(300, 'h');
    host += ".example";
    SetWindowTextW(QuickConnectBox, WText("ops@" + host + ":2222"));
    ExecuteCommand(CMD_QUICK_CONNECT_BOX);
    ASSERT_EQ(SessionCount, 1);
    EXPECT_EQ(U8(SessionNode(0)->ServerName), host);
    EXPECT_EQ(SessionNode(0)->Port, 2222);
    EXPECT_EQ(Recent(0), "ops@" + host + ":2222");
}
