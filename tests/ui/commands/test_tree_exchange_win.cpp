/*
 * The tree export and import commands against the real main window,
 * with the file chooser and the message boxes answered by the recorders,
 * and the bulk password dialog opened in this process: what each asks
 * in which order, what the tree, the saved file and the nodes hold after.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "config/tree_exchange.h"
#include "core/text.h"
#include "resources/resource.h"
#include "ui/commands/command_ids.h"
#include "ui/commands/commands.h"
#include "ui/dialogs/bulk_password.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/tree/tree_view.h"
#include "answer_queue.h"
#include "dialog_driver.h"
#include "main_window_util.h"
#include "password_scan.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

const std::string AskPasswords = "비밀번호도 내보낼까요?\n\n예: 평문으로 포함 (파일 관리에 주의)\n아니요: 비밀번호 제외";
const std::string AskMode = "현재 서버 트리를 바꿀까요?\n\n예: 바꾸기\n아니요: '가져온 서버' 폴더로 추가";
const std::string AskMtputtyMode = "현재 서버 트리를 MTPuTTY 트리로 바꿀까요?\n\n"
                                   "예: 바꾸기 (MTPuTTY의 PuTTY 경로·옵션·단축키도 가져옴)\n"
                                   "아니요: 'MTPuTTY에서 가져옴' 폴더로 추가";
const std::string HandOver = "MTPuTTY 파일입니다. 'MTPuTTY 설정 가져오기'로 진행합니다.";

ServerNode *Add(ServerNode *folder, int type, const char *name, const char *password = "")
{
    ServerNode *n = NodeNew(type);
    StrAssign(&n->DisplayName, WText(name));
    if (type == NODE_SERVER)
        NodeSetPassword(n, WText(password));
    NodeAppendChild(folder, n);
    return n;
}

/* The texts of the tree control's items, depth first, folders in
 * brackets as TreeShape draws the model. */
std::string ItemsBelow(HTREEITEM first)
{
    std::string out;
    for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(ServerTree, item)) {
        wchar_t text[300];
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 300;
        SendMessageW(ServerTree, TVM_GETITEMW, 0, (LPARAM)&tv);
        HTREEITEM child = TreeView_GetChild(ServerTree, item);
        out += (out.empty() ? "" : " ") + (child ? "[" + U8(text) + ": " + ItemsBelow(child) + "]" : U8(text));
    }
    return out;
}

size_t Count(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

/* [web (open): www (pw1) www2] db (no password) */
struct TreeExchangeCommand : ::testing::Test {
    TempDir dir, appdata;
    WText file = dir.File("kestrum-tree.xml");
    ServerNode *web, *www, *www2, *db;
    ScopedEnv appdataEnv{ "APPDATA", appdata.path.c_str() };

    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetForCommands(dir);
        web = Add(ServersRoot, NODE_FOLDER, "web");
        web->Expanded = 1;
        www = Add(web, NODE_SERVER, "www", "pw1");
        www2 = Add(web, NODE_SERVER, "www2");
        db = Add(ServersRoot, NODE_SERVER, "db");
        RefillTree(NULL);
        /* the plain export is the one file asked to hold it */
        WatchPasswords({ "pw1" });
        AllowClearFile(U8(file));
    }
    void TearDown() override
    {
        ExpectNoClearPasswords();
        StubMessageHook = NULL;
        ResetModel();
        RefillTree(NULL);
        Pump();
    }
    void Run(int command, std::vector<int> answers)
    {
        Answers = answers;
        ExecuteCommand(command);
        EXPECT_TRUE(Answers.empty()) << "questions left unasked";
    }
    std::string Saved() { return ReadBytes(ConfigFilePath); }
};

} // namespace

TEST_F(TreeExchangeCommand, ExportAsksAndWrites)
{
    /* the chooser cancelled: no question, no file */
    StubChooserFilter[0] = 0;
    Run(CMD_EXPORT_TREE, {});
    EXPECT_TRUE(Asks.empty());
    EXPECT_EQ(U8(StubChooserFilter), "XML 파일|*.xml");
    EXPECT_EQ(U8(StubChooserExtension), "xml");

    StubChosenFile = file;
    Run(CMD_EXPORT_TREE, { IDCANCEL });
    ASSERT_EQ(Asks.size(), 1u);
    EXPECT_EQ(Asks[0].flags, (UINT)(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(Asks[0].text, AskPasswords);
    EXPECT_FALSE(PathExists(file));

    /* No: no passwords; nothing said on success */
    Asks.clear();
    Run(CMD_EXPORT_TREE, { IDNO });
    EXPECT_EQ(Asks.size(), 1u);
    std::string without = ReadBytes(file);
    EXPECT_EQ(without.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<KestrumTree version=\"1\">\r\n"), 0u);
    EXPECT_EQ(Count(without, "<Password "), 0u);
    EXPECT_EQ(Count(without, "<UID>" + U8(www->UID) + "</UID>"), 1u);

    /* Yes: the one password in clear, over the earlier file */
    Asks.clear();
    Run(CMD_EXPORT_TREE, { IDYES });
    EXPECT_EQ(Asks.size(), 1u);
    std::string with = ReadBytes(file);
    EXPECT_EQ(Count(with, "<Password "), 1u);
    EXPECT_EQ(Count(with, "<Password enc=\"plain\">pw1</Password>"), 1u);
    EXPECT_FALSE(PathExists(dir.File("kestrum-tree.xml.tmp")));
    /* an export is no change of the tree: nothing saved */
    EXPECT_FALSE(PathExists(ConfigFilePath));
}

TEST_F(TreeExchangeCommand, ExportToUnwritablePlace)
{
    /* a folder stands where the file should go */
    WText folder(dir.path);
    StubChosenFile = folder;
    Run(CMD_EXPORT_TREE, { IDYES });
    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[1].flags, (UINT)MB_ICONERROR);
    EXPECT_EQ(Asks[1].text, "파일을 저장하지 못했습니다.");
    EXPECT_FALSE(PathExists(WText(dir.path + ".tmp")));

    /* a folder that does not exist */
    Asks.clear();
    WText missing = dir.File("missing\\tree.xml");
    StubChosenFile = missing;
    Run(CMD_EXPORT_TREE, { IDNO });
    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[1].text, "파일을 저장하지 못했습니다.");
    EXPECT_FALSE(PathExists(dir.File("missing\\tree.xml.tmp")));

    /* a file held open by another program keeps its content; the
     * temporary file goes */
    ASSERT_TRUE(WriteBytes(file, "old"));
    HANDLE held = CreateFileW(file, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Asks.clear();
    StubChosenFile = file;
    Run(CMD_EXPORT_TREE, { IDYES });
    CloseHandle(held);
    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[1].text, "파일을 저장하지 못했습니다.");
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_FALSE(PathExists(dir.File("kestrum-tree.xml.tmp")));
}

TEST_F(TreeExchangeCommand, ImportAddsBesideTheTree)
{
    ASSERT_TRUE(ExportTree(file, true));
    StubChosenFile = file;
    StubChooserFilter[0] = 0;
    Run(CMD_IMPORT_TREE, { IDNO });
    EXPECT_EQ(U8(StubChooserFilter), "XML 파일|*.xml|모든 파일|*.*");
    EXPECT_EQ(U8(StubChooserExtension), "xml");
    ASSERT_EQ(Asks.size(), 1u);
    EXPECT_EQ(Asks[0].flags, (UINT)(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(Asks[0].text, AskMode);

    EXPECT_EQ(TreeShape(ServersRoot), "[web: www www2] db [가져온 서버: [web: www www2] db]");
    ServerNode *folder = db->NextSibling;
    ASSERT_NE(folder, nullptr);
    ServerNode *copy = folder->FirstChild->FirstChild;
    EXPECT_NE(copy, www);
    EXPECT_EQ(U8(copy->UID), U8(www->UID));
    EXPECT_EQ(U8(NodePassword(copy)), "pw1");

    /* the control shows it, the new folder selected and open */
    EXPECT_EQ(ItemsBelow(TreeView_GetRoot(ServerTree)),
              "[web: www www2] db [가져온 서버: [web: www www2] db]");
    EXPECT_EQ(SelectedNode(), folder);
    EXPECT_NE(TreeView_GetItemState(ServerTree, (HTREEITEM)folder->TreeItem, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);

    /* saved: both copies with the same UID, passwords protected again */
    std::string saved = Saved();
    EXPECT_EQ(Count(saved, "<UID>" + U8(www->UID) + "</UID>"), 2u);
    EXPECT_EQ(Count(saved, "<DisplayName>가져온 서버</DisplayName>"), 1u);
    EXPECT_EQ(Count(saved, "<Password enc=\"dpapi\">"), 2u);
    EXPECT_EQ(Count(saved, "pw1"), 0u);
    Pump();
    SaveWindowShot(MainWindow, "tree-imported");
}

TEST_F(TreeExchangeCommand, ImportReplacesTheTree)
{
    ASSERT_TRUE(WriteBytes(file, "<KestrumTree version=\"1\"><Servers><Node Type=\"0\" Expanded=\"1\">"
                                 "<DisplayName>other</DisplayName><Node Type=\"1\"><DisplayName>x</DisplayName>"
                                 "</Node></Node></Servers></KestrumTree>"));
    StubChosenFile = file;
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)db->TreeItem);
    Run(CMD_IMPORT_TREE, { IDYES });
    EXPECT_EQ(Asks.size(), 1u);
    EXPECT_EQ(TreeShape(ServersRoot), "[other: x]");
    EXPECT_EQ(ItemsBelow(TreeView_GetRoot(ServerTree)), "[other: x]");
    EXPECT_EQ(SelectedNode(), nullptr);
    std::string saved = Saved();
    EXPECT_EQ(Count(saved, "<DisplayName>x</DisplayName>"), 1u);
    EXPECT_EQ(Count(saved, "<DisplayName>www</DisplayName>"), 0u);
}

TEST_F(TreeExchangeCommand, ImportRefusedOrCancelledChangesNothing)
{
    const struct {
        const char *name;
        const char *content;
        const char *message;
    } cases[] = {
        { "missing.xml", nullptr, "파일을 읽지 못했습니다." },
        { "words.xml", "not xml at all", "Kestrum 트리 파일이 아닙니다." },
        { "noservers.xml", "<KestrumTree version=\"1\"></KestrumTree>", "Kestrum 트리 파일이 아닙니다." },
    };
    for (const auto &c : cases) {
        if (c.content)
            ASSERT_TRUE(WriteBytes(dir.File(c.name), c.content));
        WText path = dir.File(c.name);
        StubChosenFile = path;
        Asks.clear();
        Run(CMD_IMPORT_TREE, {});
        ASSERT_EQ(Asks.size(), 1u) << c.name;    /* the message, no question */
        EXPECT_EQ(Asks[0].flags, (UINT)MB_ICONERROR) << c.name;
        EXPECT_EQ(Asks[0].text, c.message) << c.name;
    }
    /* Cancel at the question */
    ASSERT_TRUE(ExportTree(file, false));
    StubChosenFile = file;
    Asks.clear();
    Run(CMD_IMPORT_TREE, { IDCANCEL });
    EXPECT_EQ(Asks.size(), 1u);

    EXPECT_EQ(TreeShape(ServersRoot), "[web: www www2] db");
    EXPECT_EQ(ItemsBelow(TreeView_GetRoot(ServerTree)), "[web: www www2] db");
    EXPECT_FALSE(PathExists(ConfigFilePath));
}

TEST_F(TreeExchangeCommand, MtputtyFileGoesToItsImport)
{
    ASSERT_TRUE(WriteBytes(file, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<MTPutty version=\"1.0\"><Servers>"
                                 "<Putty><Node Type=\"1\"><DisplayName>m1</DisplayName></Node></Putty>"
                                 "</Servers></MTPutty>"));
    /* no MTPuTTY file under APPDATA: its import asks for a file again,
     * and the recorder gives the same one */
    StubChosenFile = file;
    Run(CMD_IMPORT_TREE, { IDOK, IDNO, IDOK });
    ASSERT_EQ(Asks.size(), 3u);
    EXPECT_EQ(Asks[0].flags, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(Asks[0].text, HandOver);
    EXPECT_EQ(Asks[1].text, AskMtputtyMode);
    EXPECT_EQ(Asks[2].text, "서버 1개를 가져왔습니다.");
    EXPECT_EQ(TreeShape(ServersRoot), "[web: www www2] db [MTPuTTY에서 가져옴: m1]");

    /* Cancel at the MTPuTTY import's own question: nothing more */
    Asks.clear();
    Run(CMD_IMPORT_TREE, { IDOK, IDCANCEL });
    EXPECT_EQ(Asks.size(), 2u);
    EXPECT_EQ(TreeShape(ServersRoot), "[web: www www2] db [MTPuTTY에서 가져옴: m1]");
}

namespace {

/* [ops: a (admin, no password, -pw in its arguments) b (admin, has one)
 * [deep: c (custom command -l ADMIN)]] d (admin, no password) */
struct BulkPassword : ::testing::Test, DialogDriver {
    ServerNode *ops, *a, *b, *deep, *c, *d;
    BulkPasswordRequest request = {};

    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES };
        InitCommonControlsEx(&icc);
    }
    void SetUp() override
    {
        ResetModel();
        StubPromptsReset();
        AnswerInTurn();
        ops = Add(ServersRoot, NODE_FOLDER, "ops");
        a = Add(ops, NODE_SERVER, "a");
        StrAssign(&a->UserName, L"admin");
        StrAssign(&a->CLParams, L"-ssh -pw old a.example");
        a->NeedsPassword = true;
        b = Add(ops, NODE_SERVER, "b", "keep");
        StrAssign(&b->UserName, L"admin");
        deep = Add(ops, NODE_FOLDER, "deep");
        c = Add(deep, NODE_SERVER, "c");
        StrAssign(&c->CLParams, L"-ssh -l ADMIN c.example");
        c->CustomCmd = 1;
        d = Add(ServersRoot, NODE_SERVER, "d");
        StrAssign(&d->UserName, L"admin");
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        StubMessageHook = NULL;
        ResetModel();
    }
    void Open(ServerNode *folder)
    {
        request.Folder = folder;
        request.Changed = -1;
        dialog = OpenTestDialog(IDD_BULK_PASSWORD, BulkPasswordProc, (LPARAM)&request);
        ASSERT_NE(dialog, nullptr);
    }
    bool Shown() { return (GetWindowLongW(dialog, GWL_STYLE) & WS_VISIBLE) != 0; }
    void Ok(std::vector<int> answers = { IDOK })
    {
        Answers = answers;
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        Pump();
    }
    static std::string Password(ServerNode *n) { return U8(NodePassword(n)); }
};

} // namespace

TEST_F(BulkPassword, Opening)
{
    Open(ops);
    EXPECT_EQ(Text(IDC_BULK_FOLDER), "선택한 폴더: ops");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_BULK_FOLDER)));
    EXPECT_TRUE(Checked(IDC_BULK_FOLDER));
    EXPECT_FALSE(Checked(IDC_BULK_WHOLE_TREE));
    EXPECT_TRUE(Checked(IDC_BULK_EMPTY_ONLY));
    EXPECT_EQ(SendMessageW(Item(IDC_BULK_PASSWORD), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
    EXPECT_EQ(SendMessageW(Item(IDC_BULK_REPEAT), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
    EXPECT_EQ(Text(IDC_BULK_USER), "");
    SetText(IDC_BULK_USER, "admin");
    SetText(IDC_BULK_PASSWORD, "secret");
    SetText(IDC_BULK_REPEAT, "secret");
    SaveWindowShot(dialog, "bulk-password");
    DestroyWindow(dialog);

    /* from a top-level server: the whole tree, under the folder choice */
    Open(ServersRoot);
    EXPECT_EQ(Text(IDC_BULK_FOLDER), "선택한 폴더: ");
    EXPECT_TRUE(Checked(IDC_BULK_FOLDER));
    DestroyWindow(dialog);

    /* no folder: only the whole tree can be chosen */
    Open(nullptr);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_BULK_FOLDER)));
    EXPECT_FALSE(Checked(IDC_BULK_FOLDER));
    EXPECT_TRUE(Checked(IDC_BULK_WHOLE_TREE));
    SaveWindowShot(dialog, "bulk-password-no-folder");
}

TEST_F(BulkPassword, RefusesEmptyAndDifferentPasswords)
{
    Open(ops);
    Ok();
    ASSERT_EQ(Asks.size(), 1u);
    EXPECT_EQ(Asks[0].flags, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(Asks[0].text, "새 비밀번호를 입력하세요.");
    EXPECT_TRUE(Shown());
    EXPECT_EQ(GetFocus(), Item(IDC_BULK_PASSWORD));

    /* the repetition differs only in letter case */
    SetText(IDC_BULK_PASSWORD, "Secret");
    SetText(IDC_BULK_REPEAT, "secret");
    Ok();
    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[1].flags, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(Asks[1].text, "두 비밀번호가 다릅니다.");
    EXPECT_TRUE(Shown());
    EXPECT_EQ(request.Changed, -1);
    for (ServerNode *n : { a, c, d })
        EXPECT_EQ(Password(n), "<null>");
    EXPECT_EQ(U8(a->CLParams), "-ssh -pw old a.example");
    EXPECT_TRUE(a->NeedsPassword);
}

TEST_F(BulkPassword, ChangesTheFilteredServersOfTheFolder)
{
    Open(ops);
    SetText(IDC_BULK_USER, "ADMIN");
    SetText(IDC_BULK_FILTER, "EXAMPLE");
    SetText(IDC_BULK_PASSWORD, "new pw");
    SetText(IDC_BULK_REPEAT, "new pw");
    Ok();
    ASSERT_EQ(Asks.size(), 1u);
    EXPECT_EQ(Asks[0].flags, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(Asks[0].text, "서버 2개의 비밀번호를 바꿨습니다.");
    EXPECT_EQ(request.Changed, 2);
    EXPECT_FALSE(Shown());      /* ended */

    EXPECT_EQ(Password(a), "new pw");
    EXPECT_EQ(U8(a->CLParams), "-ssh a.example");
    EXPECT_FALSE(a->NeedsPassword);
    EXPECT_EQ(Password(c), "new pw");           /* -l ADMIN on its own command line */
    EXPECT_EQ(Password(b), "keep");             /* had one */
    EXPECT_EQ(Password(d), "<null>");           /* outside the folder */
}

TEST_F(BulkPassword, WholeTreeWithPasswordsOrNothing)
{
    Open(ops);
    SendMessageW(Item(IDC_BULK_WHOLE_TREE), BM_CLICK, 0, 0);
    SendMessageW(Item(IDC_BULK_EMPTY_ONLY), BM_CLICK, 0, 0);
    EXPECT_FALSE(Checked(IDC_BULK_FOLDER));
    EXPECT_FALSE(Checked(IDC_BULK_EMPTY_ONLY));
    SetText(IDC_BULK_USER, "admin");
    SetText(IDC_BULK_PASSWORD, "n");
    SetText(IDC_BULK_REPEAT, "n");
    Ok();
    ASSERT_EQ(Asks.size(), 1u);
    EXPECT_EQ(Asks[0].text, "서버 4개의 비밀번호를 바꿨습니다.");
    for (ServerNode *n : { a, b, c, d })
        EXPECT_EQ(Password(n), "n") << U8(n->DisplayName);
    DestroyWindow(dialog);

    /* nothing passes the filters: the count says 0, and it still ends */
    Open(nullptr);
    SetText(IDC_BULK_USER, "nobody");
    SetText(IDC_BULK_PASSWORD, "m");
    SetText(IDC_BULK_REPEAT, "m");
    Ok();
    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[1].text, "서버 0개의 비밀번호를 바꿨습니다.");
    EXPECT_EQ(request.Changed, 0);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Password(a), "n");
}

TEST_F(BulkPassword, CancelChangesNothing)
{
    Open(ops);
    SetText(IDC_BULK_PASSWORD, "n");
    SetText(IDC_BULK_REPEAT, "n");
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    Pump();
    EXPECT_TRUE(Asks.empty());
    EXPECT_FALSE(Shown());
    EXPECT_EQ(request.Changed, -1);
    EXPECT_EQ(Password(a), "<null>");
    EXPECT_EQ(U8(a->CLParams), "-ssh -pw old a.example");
}
